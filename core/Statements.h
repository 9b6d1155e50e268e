#pragma once

#include <string>

#include "core/ZebcoreExport.h"

// Every SQL statement the system issues against the repository tables, built
// in one place. Text values are written between single quotes with every
// quote doubled, so no value can end its literal or change a statement.
// Names are cut to 32 characters and notes to 255 (on UTF-8 character
// boundaries) before they are written, the widths of their columns.
class ZEBCORE_API Statements {
public:
    static constexpr int kNameChars = 32;
    static constexpr int kNotesChars = 255;
    static constexpr int kPathChars = 255;

    // 'text' with every ' doubled.
    static std::string quote(const std::string& text);
    // The first `maxChars` UTF-8 characters of `text`.
    static std::string cutText(const std::string& text, int maxChars);
    // Number of UTF-8 characters in `text`.
    static int countChars(const std::string& text);

    // Tables.
    static std::string createMasterTable();
    static std::string createRevisionTable();
    static std::string createFileTable();
    static std::string dropMasterTable();
    static std::string dropRevisionTable();
    static std::string dropFileTable();
    static std::string createFilePathIndex();
    static std::string createUniqueFilePathIndex();
    static std::string dropFilePathIndex();
    static std::string selectPathsRecordedTwice();
    static std::string createMasterUidIndex();

    // Versioned objects (MASTERZEB).
    static std::string selectObject(const std::string& uid);
    static std::string updateObject(const std::string& uid, const std::string& name,
                                    const std::string& notes);
    static std::string insertObject(const std::string& uid, const std::string& name,
                                    const std::string& notes, const std::string& time);
    static std::string deleteRevisionsOfObject(const std::string& uid);
    static std::string deleteObject(const std::string& uid);

    // Revisions (REVTABLE).
    static std::string selectRevisionsOfObject(const std::string& masterUid);
    static std::string selectRevision(const std::string& uid);
    static std::string selectRevisionOwner(const std::string& uid);
    static std::string updateRevision(const std::string& uid, const std::string& name,
                                      const std::string& notes);
    static std::string selectVersionsOfObject(const std::string& masterUid);
    static std::string insertRevision(const std::string& uid, const std::string& name,
                                      const std::string& notes, int version,
                                      const std::string& masterUid, const std::string& time);
    static std::string deleteRevision(const std::string& uid);
    static std::string selectAnyRevisionOfObject(const std::string& masterUid);

    // Versioned files (FILETABLE); paths in the "/" form.
    static std::string selectFileByPath(const std::string& path);
    static std::string selectFileByUid(const std::string& uid);
    static std::string insertFile(const std::string& uid, const std::string& path);
    static std::string deleteFile(const std::string& uid);

    // Emptying the repository.
    static std::string deleteAllFiles();
    static std::string deleteAllRevisions();
    static std::string deleteAllObjects();

    // The main program's search.
    static std::string selectRevisionsWithPaths();
    static std::string selectAllFilePaths();

    // Current time as decimal seconds since 1970-01-01 00:00 UTC.
    static std::string timeText(long long seconds);
};
