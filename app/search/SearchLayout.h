#pragma once

// Where the search form's controls go: plain arithmetic, free of windows.
// The numbers are those of a form whose fields are 20 pixels high and whose
// buttons are 30; taller controls of the toolkit in use push the rows apart
// by as much as they are taller.

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int bottom() const { return y + height; }
    bool operator==(const Box& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// Sizes the toolkit gives the form's controls.
struct FormMetrics {
    int fieldHeight = 20;   // a one-line text field
    int buttonHeight = 30;  // "Search Now", "Stop Search"
    int buttonWidth = 80;   // at least 80
    int labelWidth = 55;    // the wider of "Name has:" and "Note has:"
    int groupTop = 15;      // from a group box's top to the room inside it
};

// The form's layout for a client area of width x height. Nothing moves when
// the area is narrower than kMinFormWidth or lower than kMinFormHeight
// (`applies` is false); the labels keep the places they got at creation.
constexpr int kMinFormWidth = 191;
constexpr int kMinFormHeight = 314;

struct FormLayout {
    bool applies = false;
    Box searchGroup;   // "Search" group box
    Box nameField;     // "Name has:" field
    Box noteField;     // "Note has:" field
    Box optionsGroup;  // "Options" group box
    Box optionsPanel;  // the scrollable panel inside it
    Box searchNow;
    Box stopSearch;
};

FormLayout layoutForm(int width, int height, const FormMetrics& metrics);

// Where the labels go: left of their fields, centred on them.
Box nameLabelBox(const FormMetrics& metrics, int labelHeight);
Box noteLabelBox(const FormMetrics& metrics, int labelHeight);

// The options panel's rows. Each criterion has a check box; its controls
// lie in the rows below it and show only while it is checked. Checking a
// box moves every box below it down by the height of its controls: Date by
// two rows, Type and Size by one row each; Version's list is the last row.
struct OptionMetrics {
    int rowStep = 25;        // from one row to the next; at least 25
    int boxHeight = 20;      // a check box
    int controlHeight = 20;  // the tallest of the criteria's controls
};

struct OptionsState {
    bool date = false;
    bool type = false;
    bool size = false;
    bool version = false;
};

// Tops of the rows in the panel's content, which starts at 0.
struct OptionRows {
    int dateBox = 0;
    int between = 0;  // "Between" and the first date
    int andRow = 0;   // "and" and the second date
    int typeBox = 0;
    int typeList = 0;
    int sizeBox = 0;
    int sizeRow = 0;  // the size list, the KB field and "KB"
    int versionBox = 0;
    int versionList = 0;
    int contentHeight = 0;  // 9 pixels below the last shown control
};

// Space left above the first box and below the last shown control.
constexpr int kOptionsMargin = 9;

int dateShift(const OptionMetrics& metrics);
int typeShift(const OptionMetrics& metrics);
int sizeShift(const OptionMetrics& metrics);

OptionRows layoutOptions(const OptionsState& state, const OptionMetrics& metrics);
