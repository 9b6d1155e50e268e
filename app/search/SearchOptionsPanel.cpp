#include "app/search/SearchOptionsPanel.h"

#include <wx/bmpcbox.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/spinbutt.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/valtext.h>

#include <algorithm>

#include "app/search/FileTypeList.h"
#include "app/window/StringTable.h"

namespace {

constexpr int kBoxLeft = 5;
constexpr int kControlLeft = 20;
constexpr int kGap = 5;
constexpr int kListWidth = 132;
constexpr int kScrollLine = 20;
// The KB field's arrows step within 0 to this; typed numbers may be larger.
constexpr int kSizeArrowsMax = 10000;
// The KB field shows this many digits at once.
constexpr char kSizeFieldDigits[] = "0000000";

wxString textOf(int id) {
    return wxString::FromUTF8(strings::text(id));
}

int64_t dayBound(const wxDatePickerCtrl* picker, bool end) {
    wxDateTime day = picker->GetValue();
    if (!day.IsValid()) {
        day = wxDateTime::Today();
    }
    const int year = day.GetYear();
    const int month = static_cast<int>(day.GetMonth()) + 1;
    const int date = day.GetDay();
    return end ? dayEnd(year, month, date) : dayStart(year, month, date);
}

}  // namespace

SearchOptionsPanel::SearchOptionsPanel(wxWindow* parent, const std::vector<std::string>& types)
    : wxScrolled<wxPanel>(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                          wxVSCROLL | wxTAB_TRAVERSAL) {
    createControls(types);
    measure();
    SetScrollRate(0, kScrollLine);
    ShowScrollbars(wxSHOW_SB_NEVER, wxSHOW_SB_DEFAULT);
    applyCriterionBoxes();
    Bind(wxEVT_CHECKBOX, &SearchOptionsPanel::onBox, this);
    Bind(wxEVT_SIZE, &SearchOptionsPanel::onSize, this);
}

void SearchOptionsPanel::createControls(const std::vector<std::string>& types) {
    m_dateBox = new wxCheckBox(this, kDateBoxId, "Date");
    m_betweenLabel = new wxStaticText(this, kBetweenLabelId, "Between");
    m_fromDate = new wxDatePickerCtrl(this, kFromDateId, wxDateTime::Today(), wxDefaultPosition,
                                      wxDefaultSize, wxDP_DROPDOWN | wxDP_SHOWCENTURY);
    m_andLabel = new wxStaticText(this, kAndLabelId, "and");
    m_toDate = new wxDatePickerCtrl(this, kToDateId, wxDateTime::Today(), wxDefaultPosition,
                                    wxDefaultSize, wxDP_DROPDOWN | wxDP_SHOWCENTURY);

    m_typeBox = new wxCheckBox(this, kTypeBoxId, "Type");
    m_typeList = new wxBitmapComboBox(this, kTypeListId, wxEmptyString, wxDefaultPosition,
                                      wxDefaultSize, 0, nullptr, wxCB_READONLY);
    fillTypeList(m_typeList, types);

    m_sizeBox = new wxCheckBox(this, kSizeBoxId, "Size");
    const wxString sizeModes[] = {textOf(strings::kAtLeast), textOf(strings::kAtMost)};
    m_sizeList = new wxChoice(this, kSizeListId, wxDefaultPosition, wxDefaultSize, 2, sizeModes);
    m_sizeList->SetSelection(0);
    // Digits only; the toolkit's spin control would cut a typed number to
    // the arrows' range.
    m_sizeField = new wxTextCtrl(this, kSizeFieldId, "0", wxDefaultPosition, wxDefaultSize, 0,
                                 wxTextValidator(wxFILTER_DIGITS));
    m_sizeField->SetInitialSize(
        m_sizeField->GetSizeFromTextSize(m_sizeField->GetTextExtent(kSizeFieldDigits)));
    m_sizeArrows = new wxSpinButton(this, kSizeArrowsId, wxDefaultPosition, wxDefaultSize,
                                    wxSP_VERTICAL | wxSP_ARROW_KEYS);
    m_sizeArrows->SetRange(0, kSizeArrowsMax);
    m_sizeArrows->SetValue(0);
    m_sizeField->Bind(wxEVT_TEXT, &SearchOptionsPanel::onSizeText, this);
    m_sizeField->Bind(wxEVT_KEY_DOWN, &SearchOptionsPanel::onSizeKey, this);
    m_sizeArrows->Bind(wxEVT_SPIN, &SearchOptionsPanel::onSizeArrows, this);
    m_kbLabel = new wxStaticText(this, kKBLabelId, "KB");

    m_versionBox = new wxCheckBox(this, kVersionBoxId, "Version");
    const wxString versionModes[] = {textOf(strings::kIsLatest), textOf(strings::kIsEarliest)};
    m_versionList = new wxComboBox(this, kVersionListId, wxEmptyString, wxDefaultPosition,
                                   wxDefaultSize, 2, versionModes, wxCB_DROPDOWN);
}

// Rows are as far apart as the tallest control needs, and never less than
// the 25 pixels of 20-pixel controls.
void SearchOptionsPanel::measure() {
    int box = 0;
    for (wxWindow* w : {m_dateBox, m_typeBox, m_sizeBox, m_versionBox}) {
        box = std::max(box, w->GetBestSize().y);
    }
    int control = 0;
    for (wxWindow* w :
         std::initializer_list<wxWindow*>{m_fromDate, m_toDate, m_typeList, m_sizeList, m_sizeField,
                                          m_sizeArrows, m_versionList}) {
        control = std::max(control, w->GetBestSize().y);
    }
    m_metrics.boxHeight = box;
    m_metrics.controlHeight = control;
    m_metrics.rowStep = std::max({25, box + 4, control + 4});
}

int SearchOptionsPanel::typeIconRoom() const {
    return m_typeList->GetBitmapSize().x + 2 * kGap;
}

wxPoint SearchOptionsPanel::contentPosition(const wxWindow* control) const {
    return CalcUnscrolledPosition(control->GetPosition());
}

void SearchOptionsPanel::ScrollWindow(int dx, int dy, const wxRect*) {
    for (wxWindow* child : GetChildren()) {
        child->Move(child->GetPosition() + wxPoint(dx, dy));
    }
    Refresh();
}

void SearchOptionsPanel::place(wxWindow* control, int x, int y) {
    control->Move(CalcScrolledPosition(wxPoint(x, y)));
}

void SearchOptionsPanel::placeControls() {
    // Controls sit in the middle of their rows' first control height; labels
    // beside them in their middle.
    auto middle = [this](const wxWindow* w) {
        return (m_metrics.controlHeight - w->GetSize().y) / 2;
    };
    place(m_dateBox, kBoxLeft, m_rows.dateBox);
    const int labelWidth = std::max(m_betweenLabel->GetBestSize().x, m_andLabel->GetBestSize().x);
    const int dateLeft = kControlLeft + labelWidth + kGap;
    place(m_betweenLabel, kControlLeft, m_rows.between + middle(m_betweenLabel));
    place(m_fromDate, dateLeft, m_rows.between + middle(m_fromDate));
    place(m_andLabel, kControlLeft, m_rows.andRow + middle(m_andLabel));
    place(m_toDate, dateLeft, m_rows.andRow + middle(m_toDate));

    place(m_typeBox, kBoxLeft, m_rows.typeBox);
    // The toolkit's best width leaves out the icons: without room for them
    // the list would show the end of its text only.
    m_typeList->SetSize(std::max(kListWidth, m_typeList->GetBestSize().x + typeIconRoom()), -1);
    place(m_typeList, kControlLeft, m_rows.typeList + middle(m_typeList));

    place(m_sizeBox, kBoxLeft, m_rows.sizeBox);
    place(m_sizeList, kControlLeft, m_rows.sizeRow + middle(m_sizeList));
    const int fieldLeft = kControlLeft + m_sizeList->GetSize().x + kGap;
    place(m_sizeField, fieldLeft, m_rows.sizeRow + middle(m_sizeField));
    const int arrowsLeft = fieldLeft + m_sizeField->GetSize().x;
    place(m_sizeArrows, arrowsLeft, m_rows.sizeRow + middle(m_sizeArrows));
    place(m_kbLabel, arrowsLeft + m_sizeArrows->GetSize().x + kGap,
          m_rows.sizeRow + middle(m_kbLabel));

    place(m_versionBox, kBoxLeft, m_rows.versionBox);
    m_versionList->SetSize(std::max(kListWidth, m_versionList->GetBestSize().x), -1);
    place(m_versionList, kControlLeft, m_rows.versionList + middle(m_versionList));
}

void SearchOptionsPanel::applyCriterionBoxes() {
    const bool date = m_dateBox->GetValue();
    for (wxWindow* w :
         std::initializer_list<wxWindow*>{m_betweenLabel, m_andLabel, m_fromDate, m_toDate}) {
        w->Show(date);
    }
    m_typeList->Show(m_typeBox->GetValue());
    const bool size = m_sizeBox->GetValue();
    for (wxWindow* w :
         std::initializer_list<wxWindow*>{m_sizeList, m_sizeField, m_sizeArrows, m_kbLabel}) {
        w->Show(size);
    }
    m_versionList->Show(m_versionBox->GetValue());
    updateOptionsScrollBar();
    Refresh();
}

void SearchOptionsPanel::updateOptionsScrollBar() {
    m_rows = layoutOptions({m_dateBox->GetValue(), m_typeBox->GetValue(), m_sizeBox->GetValue(),
                            m_versionBox->GetValue()},
                           m_metrics);
    // The scrolled distance shrinks with the content, so the controls are
    // placed after it.
    SetVirtualSize(GetClientSize().x, m_rows.contentHeight);
    placeControls();
}

void SearchOptionsPanel::readValues(SearchFormValues& values) const {
    values.dateChecked = m_dateBox->GetValue();
    values.typeChecked = m_typeBox->GetValue();
    values.typeSelection = m_typeList->GetSelection();
    values.sizeChecked = m_sizeBox->GetValue();
    values.sizeSelection = m_sizeList->GetSelection();
    values.sizeText = m_sizeField->GetValue().utf8_string();
    values.versionChecked = m_versionBox->GetValue();
    values.versionSelection = m_versionList->GetSelection();
    values.versionText = m_versionList->GetValue().utf8_string();
}

int64_t SearchOptionsPanel::fromTime() const {
    return dayBound(m_fromDate, false);
}

int64_t SearchOptionsPanel::toTime() const {
    return dayBound(m_toDate, true);
}

void SearchOptionsPanel::onBox(wxCommandEvent& event) {
    const int id = event.GetId();
    if (id == kDateBoxId || id == kTypeBoxId || id == kSizeBoxId || id == kVersionBoxId) {
        applyCriterionBoxes();
        return;
    }
    event.Skip();
}

void SearchOptionsPanel::onSize(wxSizeEvent& event) {
    updateOptionsScrollBar();
    event.Skip();
}

// The arrows stand on the field's number, brought into their range.
void SearchOptionsPanel::onSizeText(wxCommandEvent& event) {
    event.Skip();
    const uint64_t typed = fieldNumber(m_sizeField->GetValue().utf8_string(), kSizeArrowsMax);
    m_sizeArrows->SetValue(static_cast<int>(typed));
}

void SearchOptionsPanel::onSizeArrows(wxSpinEvent& event) {
    m_sizeField->ChangeValue(wxString::Format("%d", event.GetPosition()));
}

// Up and Down in the field step as the arrows do.
void SearchOptionsPanel::onSizeKey(wxKeyEvent& event) {
    int step = 0;
    switch (event.GetKeyCode()) {
        case WXK_UP:
        case WXK_NUMPAD_UP:
            step = 1;
            break;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            step = -1;
            break;
        default:
            event.Skip();
            return;
    }
    const int next = m_sizeArrows->GetValue() + step;
    if (next >= m_sizeArrows->GetMin() && next <= m_sizeArrows->GetMax()) {
        m_sizeArrows->SetValue(next);
        m_sizeField->ChangeValue(wxString::Format("%d", next));
    }
}
