// Where the search form puts its controls, without a window.

#include "app/SearchLayout.h"

#include <gtest/gtest.h>

#include <ostream>

std::ostream& operator<<(std::ostream& out, const Box& b) {
    return out << "(" << b.x << ", " << b.y << ", " << b.width << " x " << b.height << ")";
}

namespace {

TEST(SearchLayout, FormOfTwentyPixelFields) {
    const FormMetrics m;  // 20-pixel fields, 30-pixel buttons
    const int w = 300;
    const int h = 500;
    const FormLayout l = layoutForm(w, h, m);
    ASSERT_TRUE(l.applies);
    EXPECT_EQ(l.searchGroup, (Box{5, 5, w - 10, h - 10}));
    EXPECT_EQ(l.searchNow, (Box{w / 4 - 40, h - 50, 80, 30}));
    EXPECT_EQ(l.stopSearch, (Box{3 * w / 4 - 40, h - 50, 80, 30}));
    EXPECT_EQ(l.optionsGroup, (Box{10, 100, w - 20, h - 160}));
    EXPECT_EQ(l.nameField, (Box{75, 35, w - 90, 20}));
    EXPECT_EQ(l.noteField, (Box{75, 75, w - 90, 20}));
    EXPECT_EQ(l.optionsPanel, (Box{15, 115, w - 28, h - 178}));

    EXPECT_TRUE(layoutForm(kMinFormWidth, kMinFormHeight, m).applies);
    EXPECT_FALSE(layoutForm(kMinFormWidth - 1, 800, m).applies);
    EXPECT_FALSE(layoutForm(800, kMinFormHeight - 1, m).applies);
}

TEST(SearchLayout, TallerControlsPushTheRowsApart) {
    FormMetrics m;
    m.fieldHeight = 34;
    m.buttonHeight = 36;
    m.labelWidth = 70;
    m.groupTop = 22;
    const FormLayout l = layoutForm(320, 600, m);
    ASSERT_TRUE(l.applies);
    EXPECT_GE(l.nameField.x, 15 + m.labelWidth);
    EXPECT_GE(l.noteField.y, l.nameField.bottom() + 10);
    EXPECT_GT(l.optionsGroup.y, l.noteField.bottom());
    EXPECT_GE(l.optionsPanel.y, l.optionsGroup.y + m.groupTop);
    EXPECT_LT(l.optionsPanel.bottom(), l.optionsGroup.bottom());
    EXPECT_LT(l.optionsGroup.bottom(), l.searchNow.y);
    EXPECT_EQ(l.searchNow.bottom(), 600 - 20);
}

TEST(SearchLayout, CheckedBoxesMoveTheBoxesBelowThem) {
    const OptionMetrics m;  // rows 25 pixels apart
    const OptionRows none = layoutOptions({}, m);
    EXPECT_EQ(none.dateBox, 9);
    EXPECT_EQ(none.contentHeight, none.versionBox + m.boxHeight + 9);
    // Date moves what follows by two rows, Type and Size by one each.
    struct Case {
        OptionsState state;
        int type, size, version;
    };
    const Case cases[] = {{{true, false, false, false}, 50, 50, 50},
                          {{true, true, false, false}, 50, 75, 75},
                          {{false, true, true, false}, 0, 25, 50},
                          {{true, true, true, false}, 50, 75, 100}};
    for (const Case& c : cases) {
        const OptionRows rows = layoutOptions(c.state, m);
        SCOPED_TRACE(c.size);
        EXPECT_EQ(rows.dateBox, none.dateBox);
        EXPECT_EQ(rows.typeBox - none.typeBox, c.type);
        EXPECT_EQ(rows.typeList - none.typeList, c.type);
        EXPECT_EQ(rows.sizeBox - none.sizeBox, c.size);
        EXPECT_EQ(rows.sizeRow - none.sizeRow, c.size);
        EXPECT_EQ(rows.versionBox - none.versionBox, c.version);
        EXPECT_EQ(rows.contentHeight - none.contentHeight, c.version);
    }
    // Version moves nothing, but its list ends the content.
    const OptionRows all = layoutOptions({true, true, true, true}, m);
    EXPECT_EQ(all.versionBox - none.versionBox, 100);
    EXPECT_EQ(all.contentHeight, all.versionList + m.controlHeight + 9);

    // Taller rows move by as many rows.
    OptionMetrics tall;
    tall.rowStep = 38;
    EXPECT_EQ(layoutOptions({true, true, false, false}, tall).versionBox -
                  layoutOptions({}, tall).versionBox,
              3 * 38);
}

}  // namespace
