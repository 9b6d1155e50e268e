#include "app/search/SearchLayout.h"

#include <algorithm>

namespace {

constexpr int kFieldLeft = 75;
constexpr int kLabelLeft = 15;
constexpr int kNameTop = 35;

int fieldLeft(const FormMetrics& m) {
    return std::max(kFieldLeft, kLabelLeft + m.labelWidth + 5);
}

int nameTop() {
    return kNameTop;
}

int noteTop(const FormMetrics& m) {
    return nameTop() + m.fieldHeight + 20;
}

}  // namespace

FormLayout layoutForm(int width, int height, const FormMetrics& m) {
    FormLayout layout;
    if (width < kMinFormWidth || height < kMinFormHeight) {
        return layout;
    }
    const int w = width;
    const int h = height;
    layout.applies = true;
    layout.searchGroup = {5, 5, w - 10, h - 10};

    const int left = fieldLeft(m);
    const int fieldWidth = w - left - 15;
    layout.nameField = {left, nameTop(), fieldWidth, m.fieldHeight};
    layout.noteField = {left, noteTop(m), fieldWidth, m.fieldHeight};

    const int buttonTop = h - 20 - m.buttonHeight;
    const int buttonWidth = std::max(80, m.buttonWidth);
    layout.searchNow = {w / 4 - buttonWidth / 2, buttonTop, buttonWidth, m.buttonHeight};
    layout.stopSearch = {3 * w / 4 - buttonWidth / 2, buttonTop, buttonWidth, m.buttonHeight};

    const int groupTop = layout.noteField.bottom() + 5;
    layout.optionsGroup = {10, groupTop, w - 20, buttonTop - 10 - groupTop};
    const int panelTop = groupTop + std::max(15, m.groupTop);
    layout.optionsPanel = {15, panelTop, w - 28, layout.optionsGroup.bottom() - 3 - panelTop};
    return layout;
}

Box nameLabelBox(const FormMetrics& m, int labelHeight) {
    return {kLabelLeft, nameTop() + (m.fieldHeight - labelHeight) / 2, m.labelWidth, labelHeight};
}

Box noteLabelBox(const FormMetrics& m, int labelHeight) {
    return {kLabelLeft, noteTop(m) + (m.fieldHeight - labelHeight) / 2, m.labelWidth, labelHeight};
}

int dateShift(const OptionMetrics& m) {
    return 2 * m.rowStep;
}

int typeShift(const OptionMetrics& m) {
    return m.rowStep;
}

int sizeShift(const OptionMetrics& m) {
    return m.rowStep;
}

OptionRows layoutOptions(const OptionsState& state, const OptionMetrics& m) {
    OptionRows rows;
    const int step = m.rowStep;
    const int afterDate = state.date ? dateShift(m) : 0;
    const int afterType = afterDate + (state.type ? typeShift(m) : 0);
    const int afterSize = afterType + (state.size ? sizeShift(m) : 0);

    rows.dateBox = kOptionsMargin;
    rows.between = rows.dateBox + step;
    rows.andRow = rows.dateBox + 2 * step;
    rows.typeBox = rows.dateBox + step + afterDate;
    rows.typeList = rows.typeBox + step;
    rows.sizeBox = rows.dateBox + 2 * step + afterType;
    rows.sizeRow = rows.sizeBox + step;
    rows.versionBox = rows.dateBox + 3 * step + afterSize;
    rows.versionList = rows.versionBox + step;

    const int bottom =
        state.version ? rows.versionList + m.controlHeight : rows.versionBox + m.boxHeight;
    rows.contentHeight = bottom + kOptionsMargin;
    return rows;
}
