// Every write operation, failing at each of its statements in turn, at its
// copy, and without the writer lock: whatever it answers, the repository
// never holds a version that cannot be got back, never claims a change that
// did not happen, and the check repairs whatever is left half-way.

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/DatabaseInstance.h"
#include "core/RepositoryCheck.h"
#include "core/RevisionFile.h"
#include "core/VersionedFile.h"
#include "core/WriterLock.h"
#include "platform/FileLock.h"
#include "platform/FileSystem.h"
#include "tests/core/ItemTestSupport.h"

namespace zebtest {
namespace {

using Lines = std::vector<std::string>;
using Kind = RepositoryCheck::Kind;

// The repository each step starts from: a.txt with versions a1, a2, a3 and
// b.txt with b1. As state() lines:
const Lines kStart = {"a.txt", "a.txt:1=a1", "a.txt:2=a2", "a.txt:3=a3", "b.txt", "b.txt:1=b1"};

struct Start {
    std::string a, b;                        // file UIDs
    std::map<std::string, std::string> rev;  // "a2" -> revision UID
};

// One write operation. `prepare` makes the objects it needs (their reads are
// not part of the walk) and returns the write itself.
struct Operation {
    const char* name;
    bool copies;       // makes a copy: also walked with a failing copy
    Lines gone;        // state() lines it removes
    Lines added;       // and those it adds
    const char* into;  // content of a.txt after it; null: a.txt is not touched
    std::function<std::function<bool()>(const Start&)> prepare;
};

class WriteFaultWalkTest : public ItemTest {
protected:
    void TearDown() override {
        DatabaseInstance::failStatementForTesting(0);
        WriterLock::setTimeoutForTesting(-1);
        ItemTest::TearDown();
    }

    std::string doc(const std::string& name) const { return docsDir() + "/" + name; }

    Start build() {
        for (const char* table : {"REVTABLE", "MASTERZEB", "FILETABLE"}) {
            EXPECT_TRUE(rawExec(std::string("DELETE FROM ") + table));
        }
        std::filesystem::remove_all(vfsRoot());
        std::filesystem::remove_all(docsDir());
        Start s;
        s.a = add("a.txt", {"a1", "a2", "a3"});
        s.b = add("b.txt", {"b1"});
        for (const Row& row : rawQuery("SELECT UID, REVVER, MASTERUID FROM REVTABLE")) {
            s.rev[(*row[2] == s.a ? "a" : "b") + *row[1]] = *row[0];
        }
        EXPECT_EQ(state(), kStart);
        return s;
    }
    // Adds docs/<name> with one version per entry of `contents`; its UID.
    std::string add(const std::string& name, const Lines& contents) {
        writeFile(doc(name), contents[0]);
        VersionedFile file(name.c_str(), "", doc(name).c_str());
        EXPECT_TRUE(file.save());
        for (size_t i = 1; i < contents.size(); ++i) {
            writeFile(doc(name), contents[i]);
            RevisionFile revision("", "", &file);
            EXPECT_TRUE(revision.save());
        }
        return uidOf(file);
    }

    // The files (with an object row) by name, and every revision row as
    // "name:version=content of its copy".
    Lines state() {
        Lines lines;
        auto name = [&](const std::optional<std::string>& path) {
            return path ? path->substr(docsDir().size() + 1) : std::string("?");
        };
        for (const Row& row :
             rawQuery("SELECT f.FilePath FROM FILETABLE f, MASTERZEB m WHERE f.UID = m.UID")) {
            lines.push_back(name(row[0]));
        }
        for (const Row& row : rawQuery("SELECT r.UID, r.REVVER, f.FilePath FROM REVTABLE r "
                                       "LEFT JOIN FILETABLE f ON r.MASTERUID = f.UID")) {
            const std::string copy = row[2] ? vfsRoot() + *row[2] + "/" + *row[0] : "";
            lines.push_back(name(row[2]) + ":" + *row[1] + "=" +
                            (pathExists(copy) ? readFile(copy) : "<no copy>"));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    // Everything below `dir`: folders, and files with their content.
    static Lines tree(const std::string& dir) {
        Lines lines;
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(dir, error)) {
            const std::string path = entry.path().string();
            lines.push_back(entry.is_directory() ? path + "/" : path + "=" + readFile(path));
        }
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    Lines snapshot() {
        Lines all = state();
        for (const Lines& part : {tree(vfsRoot()), tree(docsDir())}) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    }

    // What must hold after `op` answered `ok`, a.txt having held `before`.
    void checkAfter(const Operation& op, bool ok, const std::string& before) {
        const Lines now = state();
        RepositoryCheck check;
        ASSERT_TRUE(check.run(false)) << check.error();
        std::set<std::string> reported;
        for (const RepositoryCheck::Finding& f : check.findings()) {
            EXPECT_NE(f.kind, Kind::RevisionWithoutCopy) << f.path;
            EXPECT_NE(f.kind, Kind::RevisionWithoutObject) << f.uid;
            if (f.kind == Kind::CopyWithoutRevision || f.kind == Kind::TemporaryFile) {
                reported.insert(f.path);
            }
        }
        std::set<std::string> rows;
        for (const std::string& uid : column("SELECT UID FROM REVTABLE")) {
            rows.insert(uid);
        }
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(vfsRoot(), error)) {
            if (entry.is_regular_file() && rows.count(entry.path().filename().string()) == 0) {
                EXPECT_EQ(reported.count(entry.path().string()), 1u)
                    << "copy without a row, not reported: " << entry.path();
            }
        }
        const std::string working = readFile(doc("a.txt"));
        if (ok) {
            Lines expected;
            std::set_difference(kStart.begin(), kStart.end(), op.gone.begin(), op.gone.end(),
                                std::back_inserter(expected));
            expected.insert(expected.end(), op.added.begin(), op.added.end());
            std::sort(expected.begin(), expected.end());
            EXPECT_EQ(now, expected) << "answered true";
            EXPECT_EQ(check.problemCount(), 0) << "answered true";
            EXPECT_EQ(working, op.into != nullptr ? op.into : before);
        } else {
            for (const std::string& line : kStart) {
                if (std::find(op.gone.begin(), op.gone.end(), line) == op.gone.end()) {
                    EXPECT_NE(std::find(now.begin(), now.end(), line), now.end()) << line;
                }
            }
            EXPECT_TRUE(working == before || (op.into != nullptr && working == op.into)) << working;
        }
        RepositoryCheck repair;
        ASSERT_TRUE(repair.run(true)) << repair.error();
        EXPECT_EQ(repair.remainingCount(), 0);
    }
};

// The write of a revision, made on objects read beforehand.
std::function<bool()> onRevision(const std::string& file, const std::string& revision,
                                 bool (RevisionFile::*write)()) {
    auto owner = std::make_shared<VersionedFile>(uidFrom(file));
    auto object = std::make_shared<RevisionFile>(uidFrom(revision), owner.get());
    return [owner, object, write] { return ((*object).*write)(); };
}

TEST_P(WriteFaultWalkTest, NoFailureLeavesALostVersionOrAFalseSuccess) {
    using Write = std::function<bool()>;
    auto addC = [&](const Start&) -> Write {
        writeFile(doc("c.txt"), "c1");
        auto file = std::make_shared<VersionedFile>("c", "", doc("c.txt").c_str());
        return [file] { return file->save(); };
    };
    auto versionA = [&](const Start& s) -> Write {
        writeFile(doc("a.txt"), "a4");
        auto file = std::make_shared<VersionedFile>(uidFrom(s.a));
        auto revision = std::make_shared<RevisionFile>("next", "", file.get());
        return [file, revision] { return revision->save(); };
    };
    auto destroyA2 = [](const Start& s) {
        return onRevision(s.a, s.rev.at("a2"), &RevisionFile::destroy);
    };
    auto destroyB1 = [](const Start& s) {
        return onRevision(s.b, s.rev.at("b1"), &RevisionFile::destroy);
    };
    auto destroyA = [](const Start& s) -> Write {
        auto file = std::make_shared<VersionedFile>(uidFrom(s.a));
        return [file] { return file->destroy(); };
    };
    auto restoreA1 = [&](const Start& s) {
        writeFile(doc("a.txt"), "changed");
        return onRevision(s.a, s.rev.at("a1"), &RevisionFile::restore);
    };
    const Lines allOfA = {"a.txt", "a.txt:1=a1", "a.txt:2=a2", "a.txt:3=a3"};
    const std::vector<Operation> operations = {
        {"first add", true, {}, {"c.txt", "c.txt:1=c1"}, nullptr, addC},
        {"later version", true, {}, {"a.txt:4=a4"}, nullptr, versionA},
        {"destroy of a revision", false, {"a.txt:2=a2"}, {}, nullptr, destroyA2},
        {"destroy of the last revision", false, {"b.txt", "b.txt:1=b1"}, {}, nullptr, destroyB1},
        {"destroy of a file", false, allOfA, {}, nullptr, destroyA},
        {"restore", true, {}, {}, "a1", restoreA1},
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        // Step 0 runs without a fault and counts the operation's statements;
        // step k fails the k-th of them.
        unsigned long count = 0;
        for (unsigned long k = 0; k <= count; ++k) {
            SCOPED_TRACE("failing statement " + std::to_string(k));
            const Write write = op.prepare(build());
            const std::string before = readFile(doc("a.txt"));
            const unsigned long first = DatabaseInstance::statementCount();
            DatabaseInstance::failStatementForTesting(k);
            const bool ok = write();
            DatabaseInstance::failStatementForTesting(0);
            if (k == 0) {
                count = DatabaseInstance::statementCount() - first;
                std::string key = op.name;
                std::replace(key.begin(), key.end(), ' ', '_');
                RecordProperty(key, static_cast<int>(count));
                EXPECT_TRUE(ok);
            }
            checkAfter(op, ok, before);
        }
        if (op.copies) {
            SCOPED_TRACE("failing copy");
            const Write write = op.prepare(build());
            const Lines before = snapshot();
            zeb::platform::setCopyFaultForTesting(ENOSPC, 1, 1);
            EXPECT_FALSE(write());
            zeb::platform::clearCopyFaultForTesting();
            EXPECT_EQ(snapshot(), before);
        }
        {
            SCOPED_TRACE("lock held elsewhere");
            const Write write = op.prepare(build());
            const Lines before = snapshot();
            zeb::platform::FileLock other;
            ASSERT_TRUE(other.acquire(WriterLock::lockPath(), 0));
            WriterLock::setTimeoutForTesting(50);
            EXPECT_FALSE(write());
            WriterLock::setTimeoutForTesting(-1);
            other.release();
            EXPECT_EQ(snapshot(), before);
        }
    }
}

}  // namespace

ZEB_INSTANTIATE_BACKENDS(WriteFaultWalkTest);

}  // namespace zebtest
