// The Add chooser's accept button on this platform's chooser.

#include "app/AddChooser.h"

#include <gtest/gtest.h>

#include <wx/filedlg.h>

#include "app/AddNewVersion.h"

namespace {

TEST(AddChooser, AcceptButtonReadsAdd) {
    wxFileDialog chooser(nullptr, "Add  new file versions", wxEmptyString, wxEmptyString,
                         AddNewVersion::kWildcard,
                         wxFD_OPEN | wxFD_MULTIPLE | wxFD_FILE_MUST_EXIST);
    EXPECT_NE(acceptButtonLabel(chooser), "Add");
    ASSERT_TRUE(labelAcceptButton(chooser, "Add"));
    EXPECT_EQ(acceptButtonLabel(chooser), "Add");
}

}  // namespace
