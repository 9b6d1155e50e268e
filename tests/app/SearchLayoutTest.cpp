// Where the search form puts its controls, without a window: for the
// toolkit's control sizes the parts keep their order without overlapping,
// and each checked option makes room for its controls.

#include "app/search/SearchLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(SearchLayout, FormPartsKeepTheirOrderForAnyControlSize) {
    FormMetrics tall;
    tall.fieldHeight = 34;
    tall.buttonHeight = 36;
    tall.labelWidth = 70;
    tall.groupTop = 22;
    for (const FormMetrics& m : {FormMetrics(), tall}) {
        SCOPED_TRACE(m.fieldHeight);
        const FormLayout l = layoutForm(320, 600, m);
        ASSERT_TRUE(l.applies);
        EXPECT_GE(l.nameField.x, 15 + m.labelWidth);
        EXPECT_GE(l.nameField.y, l.searchGroup.y + m.groupTop);
        EXPECT_GE(l.noteField.y, l.nameField.bottom() + 10);
        EXPECT_GT(l.optionsGroup.y, l.noteField.bottom());
        EXPECT_GE(l.optionsPanel.y, l.optionsGroup.y + m.groupTop);
        EXPECT_LT(l.optionsPanel.bottom(), l.optionsGroup.bottom());
        EXPECT_LT(l.optionsGroup.bottom(), l.searchNow.y);
        EXPECT_EQ(l.searchNow.bottom(), 600 - 20);
        EXPECT_EQ(l.stopSearch.y, l.searchNow.y);
        EXPECT_LT(l.searchNow.x + l.searchNow.width, l.stopSearch.x);
        EXPECT_LE(l.searchGroup.bottom(), 600);
        EXPECT_LT(l.nameField.x + l.nameField.width, l.searchGroup.x + l.searchGroup.width);
        EXPECT_LT(l.optionsPanel.x + l.optionsPanel.width, l.optionsGroup.x + l.optionsGroup.width);
    }
    // Too small: nothing moves.
    EXPECT_TRUE(layoutForm(kMinFormWidth, kMinFormHeight, FormMetrics()).applies);
    EXPECT_FALSE(layoutForm(kMinFormWidth - 1, 800, FormMetrics()).applies);
    EXPECT_FALSE(layoutForm(800, kMinFormHeight - 1, FormMetrics()).applies);
}

TEST(SearchLayout, EachCheckedOptionMakesRoomForItsControls) {
    for (const int step : {25, 38}) {
        OptionMetrics m;
        m.rowStep = step;
        for (int bits = 0; bits < 16; ++bits) {
            const OptionsState s{(bits & 1) != 0, (bits & 2) != 0, (bits & 4) != 0,
                                 (bits & 8) != 0};
            const OptionRows r = layoutOptions(s, m);
            SCOPED_TRACE(std::to_string(step) + " " + std::to_string(bits));
            // The rows shown, top to bottom: one row step apart.
            std::vector<int> shown = {r.dateBox};
            for (int row : s.date ? std::vector<int>{r.between, r.andRow} : std::vector<int>{}) {
                shown.push_back(row);
            }
            shown.push_back(r.typeBox);
            if (s.type) {
                shown.push_back(r.typeList);
            }
            shown.push_back(r.sizeBox);
            if (s.size) {
                shown.push_back(r.sizeRow);
            }
            shown.push_back(r.versionBox);
            if (s.version) {
                shown.push_back(r.versionList);
            }
            EXPECT_EQ(shown[0], kOptionsMargin);
            for (size_t i = 1; i < shown.size(); ++i) {
                EXPECT_EQ(shown[i] - shown[i - 1], step) << i;
            }
            EXPECT_EQ(r.contentHeight,
                      shown.back() + (s.version ? m.controlHeight : m.boxHeight) + kOptionsMargin);
        }
    }
}

}  // namespace
