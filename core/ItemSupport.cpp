#include "core/ItemSupport.h"

#include <cstring>

#include "core/ArchiveRoot.h"
#include "core/DatabaseInstance.h"
#include "core/ResultSet.h"

namespace zeb::core {

namespace {

// Length of the longest prefix of `text` (of `length` bytes) that fits in
// `room` bytes and does not end inside a UTF-8 sequence.
size_t utf8Prefix(const char* text, size_t length, size_t room) {
    if (length <= room) {
        return length;
    }
    size_t cut = room;
    // Step back over continuation bytes to the start of the cut character.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return cut;
}

}  // namespace

void copyText(char* out, int size, const char* text) {
    if (out == nullptr || size < 1) {
        return;
    }
    if (text == nullptr) {
        out[0] = '\0';
        return;
    }
    const size_t length = utf8Prefix(text, std::strlen(text), static_cast<size_t>(size) - 1);
    std::memmove(out, text, length);
    out[length] = '\0';
}

void copyText(char* out, int size, const std::string& text) {
    copyText(out, size, text.c_str());
}

bool runUpdate(const std::string& sql) {
    DatabaseInstance* db = DatabaseInstance::instance();
    return db != nullptr && db->executeUpdate(sql);
}

bool runDelete(const std::string& sql) {
    DatabaseInstance* db = DatabaseInstance::instance();
    if (db == nullptr) {
        return false;
    }
    return db->executeUpdate(sql) || db->lastMatchedNoRow();
}

ResultSet* runQuery(const std::string& sql, bool* ok) {
    static ResultSet noResult;
    DatabaseInstance* db = DatabaseInstance::instance();
    if (db == nullptr) {
        if (ok != nullptr) {
            *ok = false;
        }
        return &noResult;
    }
    ResultSet* rs = db->executeQuery(sql);
    if (ok != nullptr) {
        *ok = db->lastReturnCode() == 0;  // SQL_SUCCESS
    }
    return rs != nullptr ? rs : &noResult;
}

bool hasRow(const std::string& sql) {
    return runQuery(sql)->next();
}

bool readText(ResultSet* rs, const char* name, char* field) {
    // getString delivers at most half of the buffer it is given.
    char buffer[2 * kFieldSize];
    if (!rs->getString(name, buffer, static_cast<int>(sizeof buffer))) {
        return false;
    }
    buffer[sizeof buffer - 1] = '\0';
    copyText(field, kFieldSize, buffer);
    return true;
}

std::string objectDirectory(const char* filePath) {
    return filePath != nullptr ? ArchiveRoot::objectDirectory(filePath) : std::string();
}

}  // namespace zeb::core
