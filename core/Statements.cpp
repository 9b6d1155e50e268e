#include "core/Statements.h"

#include "core/Utf8.h"

namespace {

// 'text' with its quotes doubled, cut to `maxChars` characters first.
std::string quoteCut(const std::string& text, int maxChars) {
    return Statements::quote(Statements::cutText(text, maxChars));
}

}  // namespace

std::string Statements::quote(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '\'';
    for (char c : text) {
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    out += '\'';
    return out;
}

std::string Statements::cutText(const std::string& text, int maxChars) {
    if (maxChars <= 0) {
        return std::string();
    }
    return text.substr(
        0, zeb::utf8::prefixChars(text.data(), text.size(), static_cast<size_t>(maxChars)));
}

int Statements::countChars(const std::string& text) {
    return static_cast<int>(zeb::utf8::countChars(text.data(), text.size()));
}

// Tables.

std::string Statements::createMasterTable() {
    return "CREATE TABLE MASTERZEB (UID varchar(32) NOT NULL, VerName varchar(32), VerNotes "
           "varchar(255), UserData varchar(32), VerTime varchar(32), PRIMARY KEY(UID))";
}

std::string Statements::createRevisionTable() {
    return "CREATE TABLE REVTABLE (UID varchar(32) NOT NULL, REVNAME varchar(32), REVNOTES "
           "varchar(255), REVVER int, MASTERUID varchar(32), USERDATA varchar(32), REVTIME "
           "varchar(32), PRIMARY KEY(UID))";
}

std::string Statements::createFileTable() {
    return "CREATE TABLE FILETABLE (UID varchar(32) NOT NULL, FilePath varchar(255), PRIMARY "
           "KEY(UID))";
}

std::string Statements::dropMasterTable() {
    return "DROP TABLE MASTERZEB";
}

std::string Statements::dropRevisionTable() {
    return "DROP TABLE REVTABLE";
}

std::string Statements::dropFileTable() {
    return "DROP TABLE FILETABLE";
}

std::string Statements::createFilePathIndex() {
    return "CREATE INDEX FILETABLE_FILEPATH_IX ON FILETABLE (FilePath)";
}

std::string Statements::createUniqueFilePathIndex() {
    return "CREATE UNIQUE INDEX FILETABLE_FILEPATH_UX ON FILETABLE (FilePath)";
}

std::string Statements::dropFilePathIndex() {
    return "DROP INDEX FILETABLE_FILEPATH_IX";
}

std::string Statements::selectPathsRecordedTwice() {
    return "SELECT FilePath FROM FILETABLE GROUP BY FilePath HAVING COUNT(*) > 1";
}

std::string Statements::createMasterUidIndex() {
    return "CREATE INDEX REVTABLE_MASTERUID_IX ON REVTABLE (MASTERUID)";
}

// Versioned objects.

std::string Statements::selectObject(const std::string& uid) {
    return "SELECT * FROM MASTERZEB WHERE UID = " + quote(uid);
}

std::string Statements::updateObject(const std::string& uid, const std::string& name,
                                     const std::string& notes) {
    return "UPDATE MASTERZEB SET VerName = " + quoteCut(name, kNameChars) +
           ", VerNotes = " + quoteCut(notes, kNotesChars) + " WHERE UID = " + quote(uid);
}

std::string Statements::insertObject(const std::string& uid, const std::string& name,
                                     const std::string& notes, const std::string& time) {
    return "INSERT INTO MASTERZEB VALUES(" + quote(uid) + ", " + quoteCut(name, kNameChars) + ", " +
           quoteCut(notes, kNotesChars) + ", ' ', " + quote(time) + ")";
}

std::string Statements::deleteRevisionsOfObject(const std::string& uid) {
    return "DELETE FROM REVTABLE WHERE MASTERUID = " + quote(uid);
}

std::string Statements::deleteObject(const std::string& uid) {
    return "DELETE FROM MASTERZEB WHERE UID = " + quote(uid);
}

// Revisions.

std::string Statements::selectRevisionsOfObject(const std::string& masterUid) {
    return "SELECT * FROM REVTABLE WHERE MASTERUID = " + quote(masterUid);
}

std::string Statements::selectRevision(const std::string& uid) {
    return "SELECT * FROM REVTABLE WHERE UID = " + quote(uid);
}

std::string Statements::selectRevisionOwner(const std::string& uid) {
    return "SELECT MASTERUID FROM REVTABLE WHERE UID = " + quote(uid);
}

std::string Statements::updateRevision(const std::string& uid, const std::string& name,
                                       const std::string& notes) {
    return "UPDATE REVTABLE SET REVNAME = " + quoteCut(name, kNameChars) +
           ", REVNOTES = " + quoteCut(notes, kNotesChars) + " WHERE UID = " + quote(uid);
}

std::string Statements::selectVersionsOfObject(const std::string& masterUid) {
    return "SELECT REVVER FROM REVTABLE WHERE MASTERUID = " + quote(masterUid);
}

std::string Statements::insertRevision(const std::string& uid, const std::string& name,
                                       const std::string& notes, int version,
                                       const std::string& masterUid, const std::string& time) {
    return "INSERT INTO REVTABLE VALUES(" + quote(uid) + ", " + quoteCut(name, kNameChars) + ", " +
           quoteCut(notes, kNotesChars) + ", " + std::to_string(version) + ", " + quote(masterUid) +
           ", ' ', " + quote(time) + ")";
}

std::string Statements::deleteRevision(const std::string& uid) {
    return "DELETE FROM REVTABLE WHERE UID = " + quote(uid);
}

std::string Statements::selectAnyRevisionOfObject(const std::string& masterUid) {
    return "SELECT UID FROM REVTABLE WHERE MASTERUID = " + quote(masterUid);
}

// Versioned files.

std::string Statements::selectFileByPath(const std::string& path) {
    return "SELECT * FROM FILETABLE WHERE FilePath = " + quote(path);
}

std::string Statements::selectFileByUid(const std::string& uid) {
    return "SELECT * FROM FILETABLE WHERE UID=" + quote(uid);
}

std::string Statements::insertFile(const std::string& uid, const std::string& path) {
    return "INSERT INTO FILETABLE VALUES(" + quote(uid) + ", " + quote(path) + ")";
}

std::string Statements::deleteFile(const std::string& uid) {
    return "DELETE FROM FILETABLE WHERE UID =" + quote(uid);
}

// Emptying the repository.

std::string Statements::deleteAllFiles() {
    return "DELETE FROM FILETABLE";
}

std::string Statements::deleteAllRevisions() {
    return "DELETE FROM REVTABLE";
}

std::string Statements::deleteAllObjects() {
    return "DELETE FROM MASTERZEB";
}

// The main program's search.

std::string Statements::selectRevisionsWithPaths() {
    return "SELECT REVNAME, REVNOTES, REVVER, REVTIME, MASTERUID, FilePath, REVTABLE.UID  FROM "
           "REVTABLE, FILETABLE  WHERE REVTABLE.MASTERUID = FILETABLE.UID";
}

std::string Statements::selectAllFilePaths() {
    return "SELECT FilePath FROM FILETABLE";
}

std::string Statements::timeText(long long seconds) {
    return std::to_string(seconds);
}
