#pragma once

// Shared by the tests of the versioned-item classes: a fixture with the
// repository tables created, and plain checks of rows and archive files that
// do not go through the classes under test.

#include <sys/stat.h>

#include <string>
#include <vector>

#include "core/IZEB.h"
#include "tests/support/BackendTest.h"

namespace zebtest {

class ItemTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (IsSkipped()) {
            return;
        }
        createTables();
    }

    // Folder of the working files of a test.
    std::string docsDir() const { return workDir() + "/docs"; }
    std::string vfsRoot() const { return installDir() + "/VFS"; }

    // The only column of a one-column query, one element per row.
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> values;
        for (const Row& row : rawQuery(sql)) {
            values.push_back(row.empty() || !row[0] ? std::string("<null>") : *row[0]);
        }
        return values;
    }
    // The single value of a query that must yield exactly one row.
    std::string value(const std::string& sql) {
        const std::vector<std::string> values = column(sql);
        EXPECT_EQ(values.size(), 1u) << sql;
        return values.empty() ? std::string() : values[0];
    }
    size_t rowsOf(const std::string& table) { return rawCount("SELECT * FROM " + table); }
    size_t allRows() { return rowsOf("MASTERZEB") + rowsOf("REVTABLE") + rowsOf("FILETABLE"); }
};

inline std::string uidOf(const IZEB& item) {
    char buffer[1024];
    item.getUID(buffer, sizeof buffer);
    return buffer;
}

inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out + "'";
}

// Names in a folder, without "." and "..", sorted; empty when it is missing.
std::vector<std::string> listNames(const std::string& dir);
bool pathExists(const std::string& path);
struct stat statOf(const std::string& path);
void setModifiedTime(const std::string& path, long long sec, long nsec);

}  // namespace zebtest
