#include "app/browse/ArchiveFolder.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"
#include "core/RevisionObject.h"
#include "core/Statements.h"
#include "core/UID.h"
#include "core/VersionedObject.h"
#include "platform/FileSystem.h"

namespace fs = zeb::platform;

namespace {

// ResultSet::getString delivers at most half the buffer it is given; a
// path of 255 characters takes at most 1020 bytes.
constexpr int kTextBuffer = 2 * 1024;
constexpr char kLikeEscape = '!';

std::string readColumn(ResultSet* rs, const char* name) {
    char buffer[kTextBuffer];
    if (!rs->getString(name, buffer, kTextBuffer)) {
        return std::string();
    }
    buffer[kTextBuffer - 1] = '\0';
    return buffer;
}

// Runs a query over FILETABLE and hands every (path, uid) row to `take`.
template <typename Take>
void forEachFile(const std::string& where, Take take) {
    ResultSet* rs = DatabaseInstance::instance()->executeQuery(
        "SELECT UID, FilePath FROM FILETABLE WHERE " + where);
    while (rs->next()) {
        VersionedPath file{readColumn(rs, "FilePath"), readColumn(rs, "UID")};
        if (!file.uid.empty() && !file.path.empty()) {
            take(std::move(file));
        }
    }
}

std::string likeCondition(const std::string& pattern, bool negated = false) {
    return std::string("FilePath ") + (negated ? "NOT " : "") + "LIKE " +
           Statements::quote(pattern) + " ESCAPE '" + kLikeEscape + "'";
}

std::string lastPiece(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

unsigned char lowerAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

long long versionNumber(const std::string& label) {
    return std::strtoll(label.c_str(), nullptr, 10);
}

}  // namespace

ArchiveFolder::ArchiveFolder(std::string root, std::string relative)
    : m_root(std::move(root)), m_relative(std::move(relative)) {}

std::string ArchiveFolder::archivePath() const {
    // Without an archive root there is no archive: never a folder of the
    // file system's root instead.
    if (m_root.empty()) {
        return std::string();
    }
    return m_relative.empty() ? m_root : m_root + "/" + m_relative;
}

std::string ArchiveFolder::plainWorkingPath() const {
    return m_relative.empty() ? std::string() : "/" + m_relative;
}

bool ArchiveFolder::listsBefore(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = lowerAscii(static_cast<unsigned char>(a[i]));
        const unsigned char y = lowerAscii(static_cast<unsigned char>(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    if (a.size() != b.size()) {
        return a.size() < b.size();
    }
    return a < b;
}

int ArchiveFolder::classify(const std::string& directory) {
    std::vector<fs::DirEntry> entries;
    if (!fs::listDirectory(directory, entries) || entries.empty()) {
        return kEmptyDirectory;
    }
    // Directories list before files: the first entry is a directory when
    // there is any.
    for (const fs::DirEntry& entry : entries) {
        if (entry.isDirectory) {
            return kFolderDirectory;
        }
    }
    return kVersionedFileDirectory;
}

std::string ArchiveFolder::likeText(const std::string& text) {
    std::string pattern;
    pattern.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '%' || c == '_' || c == kLikeEscape) {
            pattern += kLikeEscape;
            pattern += c;
        } else if (c == '@') {
            pattern += '_';
        } else {
            pattern += c;
        }
    }
    return pattern;
}

std::vector<VersionedPath> ArchiveFolder::filesAt(const std::string& relative) {
    std::vector<VersionedPath> files;
    if (relative.empty()) {
        return files;
    }
    // The pattern also lets through paths that differ in the case of ASCII
    // letters (SQLite's LIKE ignores it); the archive form decides.
    forEachFile(likeCondition("/" + likeText(relative)), [&](VersionedPath file) {
        if (ArchiveRoot::archiveForm(file.path) == relative) {
            files.push_back(std::move(file));
        }
    });
    std::sort(files.begin(), files.end(), [](const VersionedPath& a, const VersionedPath& b) {
        return listsBefore(a.path, b.path);
    });
    return files;
}

std::map<std::string, std::vector<VersionedPath>> ArchiveFolder::versionedChildren(
    const std::string& relative) {
    const std::string prefix = relative.empty() ? "/" : "/" + likeText(relative) + "/";
    const std::string parentForm = relative.empty() ? std::string() : relative + "/";
    std::map<std::string, std::vector<VersionedPath>> files;
    // Paths one level below the folder: below the prefix, without a further
    // separator.
    forEachFile(likeCondition(prefix + "%") + " AND " + likeCondition(prefix + "%/%", true),
                [&](VersionedPath file) {
                    const std::string form = ArchiveRoot::archiveForm(file.path);
                    if (form.size() <= parentForm.size() ||
                        form.compare(0, parentForm.size(), parentForm) != 0) {
                        return;
                    }
                    const std::string name = form.substr(parentForm.size());
                    if (name.find('/') == std::string::npos) {
                        files[name].push_back(std::move(file));
                    }
                });
    for (auto& named : files) {
        std::sort(named.second.begin(), named.second.end(),
                  [](const VersionedPath& a, const VersionedPath& b) {
                      return listsBefore(lastPiece(a.path), lastPiece(b.path));
                  });
    }
    return files;
}

std::vector<ArchiveEntry> ArchiveFolder::revisionsOf(const VersionedPath& file) {
    std::vector<ArchiveEntry> entries;
    UID uid = UID::none();
    uid = file.uid.c_str();
    const int count = VersionedObject::getNumRevs(uid);
    if (count <= 0) {
        return entries;
    }
    std::unique_ptr<RevisionListElement[]> revisions(new RevisionListElement[count]);
    int filled = 0;
    VersionedObject::getRevisions(uid, revisions.get(), count, &filled);
    for (int i = 0; i < filled; ++i) {
        ArchiveEntry entry;
        entry.name = revisions[i][4];
        entry.label = revisions[i][0];
        entry.workingPath = file.path + "/" + entry.name;
        entries.push_back(std::move(entry));
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ArchiveEntry& a, const ArchiveEntry& b) {
                         return versionNumber(a.label) < versionNumber(b.label);
                     });
    return entries;
}

bool ArchiveFolder::read(std::vector<ArchiveEntry>& entries, bool forTree) const {
    entries.clear();
    const std::string directory = archivePath();
    std::vector<fs::DirEntry> listed;
    if (!fs::listDirectory(directory, listed)) {
        return false;
    }
    const bool anyDirectory = std::any_of(listed.begin(), listed.end(),
                                          [](const fs::DirEntry& e) { return e.isDirectory; });
    const bool anyFile = std::any_of(listed.begin(), listed.end(),
                                     [](const fs::DirEntry& e) { return !e.isDirectory; });

    const std::map<std::string, std::vector<VersionedPath>> children =
        anyDirectory ? versionedChildren(m_relative)
                     : std::map<std::string, std::vector<VersionedPath>>();
    // Plain files are copies of the versioned files whose directory this
    // is; those show as their revisions. Copies nobody claims stay visible.
    const bool claimed = anyFile && !filesAt(m_relative).empty();
    const std::string plain = plainWorkingPath();

    entries.reserve(listed.size());
    for (fs::DirEntry& item : listed) {
        ArchiveEntry entry;
        entry.name = std::move(item.name);
        entry.isDirectory = item.isDirectory;
        entry.label = entry.name;
        entry.workingPath = plain + "/" + entry.name;
        if (!entry.isDirectory) {
            if (claimed) {
                continue;
            }
            if (forTree) {
                // A copy without a versioned file: whatever its revision gives.
                UID uid = UID::none();
                uid = entry.name.c_str();
                RevisionObject revision(uid);
                char text[1024] = "";
                revision.getVersion(text, sizeof text);
                entry.label = text;
            }
            entries.push_back(std::move(entry));
            continue;
        }
        const auto found = children.find(entry.name);
        const bool versioned = found != children.end();
        if (forTree || versioned) {
            entry.kind = classify(directory + "/" + entry.name);
        }
        if (versioned) {
            for (const VersionedPath& file : found->second) {
                ArchiveEntry own = entry;
                own.kind = kVersionedFileDirectory;
                own.workingPath = file.path;
                own.uid = file.uid;
                own.label = lastPiece(file.path);
                entries.push_back(std::move(own));
            }
        }
        // A directory of versioned files is a folder too when it holds
        // folders.
        if (!versioned || entry.kind == kFolderDirectory) {
            entries.push_back(std::move(entry));
        }
    }
    // Directories first, by what they show; then revisions, by version.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const ArchiveEntry& a, const ArchiveEntry& b) {
                         if (a.isDirectory != b.isDirectory) {
                             return a.isDirectory;
                         }
                         if (!a.isDirectory) {
                             const long long x = versionNumber(a.label);
                             const long long y = versionNumber(b.label);
                             if (x != y) {
                                 return x < y;
                             }
                         } else if (a.label != b.label) {
                             return listsBefore(a.label, b.label);
                         }
                         return listsBefore(a.name, b.name);
                     });
    return true;
}
