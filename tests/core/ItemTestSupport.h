#pragma once

// Shared by the tests of the versioned items: a fixture with the repository
// tables made, and checks of rows and archive files that do not go through
// the classes under test.

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/IZEB.h"
#include "core/UID.h"
#include "core/VersionedFile.h"
#include "platform/FileSystem.h"
#include "tests/support/BackendTest.h"

namespace zebtest {

class ItemTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (!IsSkipped()) {
            createTables();
        }
    }
    void TearDown() override {
        zeb::platform::clearCopyFaultForTesting();
        BackendTest::TearDown();
    }

    std::string docsDir() const { return workDir() + "/docs"; }
    std::string vfsRoot() const { return installDir() + "/VFS"; }

    // The first column of every row of a query.
    std::vector<std::string> column(const std::string& sql) {
        std::vector<std::string> values;
        for (const Row& row : rawQuery(sql)) {
            values.push_back(row.empty() || !row[0] ? "<null>" : *row[0]);
        }
        return values;
    }
    // The value of a query that must yield exactly one row.
    std::string value(const std::string& sql) {
        const std::vector<std::string> values = column(sql);
        EXPECT_EQ(values.size(), 1u) << sql;
        return values.empty() ? std::string() : values[0];
    }
    size_t rowsOf(const std::string& table) { return rawCount("SELECT * FROM " + table); }
    size_t allRows() { return rowsOf("MASTERZEB") + rowsOf("REVTABLE") + rowsOf("FILETABLE"); }
};

inline std::string objectDirOf(const VersionedFile& file) {
    char text[1024];
    file.getObjectDir(text, sizeof text);
    return text;
}

inline std::string uidOf(const IZEB& item) {
    char text[1024];
    item.getUID(text, sizeof text);
    return text;
}

inline UID uidFrom(const std::string& text) {
    UID uid;
    uid = text.c_str();
    return uid;
}

// Names in a folder, sorted; empty when it is missing.
inline std::vector<std::string> listNames(const std::string& dir) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

inline bool pathExists(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

inline struct stat statOf(const std::string& path) {
    struct stat st {};
    EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
    return st;
}

inline void setModifiedTime(const std::string& path, long long sec, long nsec) {
    timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(sec), nsec}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << path;
}

}  // namespace zebtest
