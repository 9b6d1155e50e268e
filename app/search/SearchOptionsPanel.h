#pragma once

#include <wx/panel.h>
#include <wx/scrolwin.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/search/SearchCriteria.h"
#include "app/search/SearchLayout.h"

class wxBitmapComboBox;
class wxCheckBox;
class wxChoice;
class wxComboBox;
class wxDateEvent;
class wxDatePickerCtrl;
class wxSpinButton;
class wxSpinEvent;
class wxTextCtrl;
class wxStaticText;

// Window ids of the options panel's controls.
enum SearchOptionId : int {
    kDateBoxId = 1014,
    kTypeBoxId = 1015,
    kSizeBoxId = 1016,
    kBetweenLabelId = 1027,
    kAndLabelId = 1028,
    kFromDateId = 1029,
    kToDateId = 1030,
    kTypeListId = 1031,
    kSizeListId = 1032,
    kSizeFieldId = 1037,
    kSizeArrowsId = 1039,
    kKBLabelId = 1038,
    kVersionBoxId = 1040,
    kVersionListId = 1041,
};

// The search form's options: the Date, Type, Size and Version check boxes
// and the controls each shows while it is checked, in a panel that scrolls
// vertically when they do not fit. Checking a box shows its controls and
// moves the boxes below it down; unchecking hides and moves them back.
class SearchOptionsPanel : public wxScrolled<wxPanel> {
public:
    // Fills the type list with `types` (the type set of the versioned
    // files' extensions).
    SearchOptionsPanel(wxWindow* parent, const std::vector<std::string>& types);

    // Shows or hides each criterion's controls, as its box says, then moves
    // the rows and updates the scroll bar.
    void applyCriterionBoxes();
    // Gives the content's height to the scrolling, which shows the bar when
    // the content does not fit.
    void updateOptionsScrollBar();

    // The criteria's part of the form.
    void readValues(SearchFormValues& values) const;
    // The date test's bounds: from 00:00:00 of the first picker's day to
    // 23:59:59 of the second's, local time.
    int64_t fromTime() const;
    int64_t toTime() const;

    const OptionMetrics& metrics() const { return m_metrics; }
    const OptionRows& rows() const { return m_rows; }
    // Where a control lies in the content (unscrolled).
    wxPoint contentPosition(const wxWindow* control) const;

    // Scrolling moves the controls one by one (the toolkit's own scrolling
    // would also lay out the hidden ones, which it complains about).
    void ScrollWindow(int dx, int dy, const wxRect* rect = nullptr) override;

    wxCheckBox* dateBox() const { return m_dateBox; }
    wxCheckBox* typeBox() const { return m_typeBox; }
    wxCheckBox* sizeBox() const { return m_sizeBox; }
    wxCheckBox* versionBox() const { return m_versionBox; }
    wxDatePickerCtrl* fromDate() const { return m_fromDate; }
    wxDatePickerCtrl* toDate() const { return m_toDate; }
    wxBitmapComboBox* typeList() const { return m_typeList; }
    wxChoice* sizeList() const { return m_sizeList; }
    // The KB field takes any unsigned number; its arrows step within 0 to
    // 10,000, starting from the field's number brought into that range.
    wxTextCtrl* sizeField() const { return m_sizeField; }
    wxSpinButton* sizeArrows() const { return m_sizeArrows; }
    wxComboBox* versionList() const { return m_versionList; }

private:
    void createControls(const std::vector<std::string>& types);
    void measure();
    void placeControls();
    void place(wxWindow* control, int x, int y);
    int typeIconRoom() const;
    void onBox(wxCommandEvent& event);
    void onSize(wxSizeEvent& event);
    void onSizeText(wxCommandEvent& event);
    void onSizeArrows(wxSpinEvent& event);
    void onSizeKey(wxKeyEvent& event);

    wxCheckBox* m_dateBox = nullptr;
    wxStaticText* m_betweenLabel = nullptr;
    wxStaticText* m_andLabel = nullptr;
    wxDatePickerCtrl* m_fromDate = nullptr;
    wxDatePickerCtrl* m_toDate = nullptr;
    wxCheckBox* m_typeBox = nullptr;
    wxBitmapComboBox* m_typeList = nullptr;
    wxCheckBox* m_sizeBox = nullptr;
    wxChoice* m_sizeList = nullptr;
    wxTextCtrl* m_sizeField = nullptr;
    wxSpinButton* m_sizeArrows = nullptr;
    wxStaticText* m_kbLabel = nullptr;
    wxCheckBox* m_versionBox = nullptr;
    wxComboBox* m_versionList = nullptr;

    OptionMetrics m_metrics;
    OptionRows m_rows;
};
