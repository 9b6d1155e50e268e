#include "platform/RegistryFile.h"

#include <algorithm>

namespace zeb::platform {

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldAscii(x) == foldAscii(y);
           });
}

bool samePath(const RegistryFile::KeyPath& a, const RegistryFile::KeyPath& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), equalNoCase);
}

bool isBelowOrSame(const RegistryFile::KeyPath& path, const RegistryFile::KeyPath& top) {
    return path.size() >= top.size() &&
           std::equal(top.begin(), top.end(), path.begin(), equalNoCase);
}

std::string trim(const std::string& text) {
    const char* space = " \t\r\n";
    size_t first = text.find_first_not_of(space);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(space) - first + 1);
}

// Reads a quoted text starting at text[pos] == '"'; "\\" and "\"" stand for
// the character after the backslash, any other backslash is kept.
bool readQuoted(const std::string& text, size_t& pos, std::string& out) {
    out.clear();
    for (size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            c = text[++i];
        }
        out += c;
    }
    return false;
}

void skipBlanks(const std::string& text, size_t& pos) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        out += c;
    }
    out += '"';
    return out;
}

}  // namespace

RegistryFile::KeyPath RegistryFile::splitKey(const std::string& text) {
    KeyPath pieces;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\\', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        if (end > start) {
            pieces.push_back(text.substr(start, end - start));
        }
        start = end + 1;
    }
    return pieces;
}

RegistryFile RegistryFile::parse(const std::string& text) {
    RegistryFile file;
    Key* current = nullptr;
    size_t lineStart = 0;
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        lineStart = 3;
    }
    while (lineStart < text.size()) {
        size_t lineEnd = text.find('\n', lineStart);
        if (lineEnd == std::string::npos) {
            lineEnd = text.size();
        }
        std::string line = trim(text.substr(lineStart, lineEnd - lineStart));
        lineStart = lineEnd + 1;
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            // Values below a key line that cannot be read belong to no key.
            current = nullptr;
            if (line.back() != ']' || line.size() < 3 || line[1] == '-') {
                continue;
            }
            KeyPath path = splitKey(line.substr(1, line.size() - 2));
            if (path.empty()) {
                continue;
            }
            current = file.findKey(path);
            if (current == nullptr) {
                file.m_keys.push_back(Key{path, {}});
                current = &file.m_keys.back();
            }
            continue;
        }
        if (current == nullptr) {
            continue;  // the REGEDIT4 header, comments, stray lines
        }
        Value value;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else if (line.front() != '"' || !readQuoted(line, pos, value.name)) {
            continue;
        }
        skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != '=') {
            continue;
        }
        ++pos;
        skipBlanks(line, pos);
        if (pos >= line.size()) {
            continue;
        }
        if (line[pos] == '"') {
            if (!readQuoted(line, pos, value.data)) {
                continue;
            }
            skipBlanks(line, pos);
            if (pos != line.size()) {
                continue;
            }
        } else {
            value.rawLine = line;
        }
        file.storeValue(*current, std::move(value));
    }
    return file;
}

std::string RegistryFile::serialize() const {
    std::string out = "REGEDIT4\n\n";
    for (const Key& key : m_keys) {
        out += '[';
        for (size_t i = 0; i < key.path.size(); ++i) {
            if (i > 0) {
                out += '\\';
            }
            out += key.path[i];
        }
        out += "]\n";
        for (const Value& value : key.values) {
            if (!value.rawLine.empty()) {
                out += value.rawLine;
            } else {
                out += value.name.empty() ? std::string("@") : quoted(value.name);
                out += '=';
                out += quoted(value.data);
            }
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

const RegistryFile::Key* RegistryFile::findKey(const KeyPath& path) const {
    for (const Key& key : m_keys) {
        if (samePath(key.path, path)) {
            return &key;
        }
    }
    return nullptr;
}

RegistryFile::Key* RegistryFile::findKey(const KeyPath& path) {
    return const_cast<Key*>(static_cast<const RegistryFile*>(this)->findKey(path));
}

const RegistryFile::Value* RegistryFile::findValue(const Key& key, const std::string& name) {
    for (const Value& value : key.values) {
        if (equalNoCase(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

RegistryFile::Value* RegistryFile::findValue(Key& key, const std::string& name) {
    return const_cast<Value*>(findValue(static_cast<const Key&>(key), name));
}

void RegistryFile::storeValue(Key& key, Value value) {
    Value* existing = findValue(key, value.name);
    if (existing == nullptr) {
        key.values.push_back(std::move(value));
        return;
    }
    // A later line for the same name wins, as it would on import; the name
    // keeps its first spelling and place.
    existing->data = std::move(value.data);
    existing->rawLine = std::move(value.rawLine);
}

const std::string* RegistryFile::getString(const KeyPath& path, const std::string& name) const {
    const Key* key = findKey(path);
    if (key == nullptr) {
        return nullptr;
    }
    const Value* value = findValue(*key, name);
    if (value == nullptr || !value->rawLine.empty()) {
        return nullptr;
    }
    return &value->data;
}

bool RegistryFile::setString(const KeyPath& path, const std::string& name,
                             const std::string& data) {
    Key* key = findKey(path);
    if (key == nullptr) {
        m_keys.push_back(Key{path, {}});
        key = &m_keys.back();
    }
    Value* value = findValue(*key, name);
    if (value == nullptr) {
        key->values.push_back(Value{name, data, std::string()});
        return true;
    }
    if (value->rawLine.empty() && value->data == data) {
        return false;
    }
    value->data = data;
    value->rawLine.clear();
    return true;
}

bool RegistryFile::deleteValue(const KeyPath& path, const std::string& name) {
    Key* key = findKey(path);
    if (key == nullptr) {
        return false;
    }
    auto it = std::find_if(key->values.begin(), key->values.end(),
                           [&name](const Value& value) { return equalNoCase(value.name, name); });
    if (it == key->values.end()) {
        return false;
    }
    key->values.erase(it);
    return true;
}

bool RegistryFile::deleteTree(const KeyPath& path) {
    size_t before = m_keys.size();
    m_keys.erase(std::remove_if(m_keys.begin(), m_keys.end(),
                                [&path](const Key& key) { return isBelowOrSame(key.path, path); }),
                 m_keys.end());
    return m_keys.size() != before;
}

std::vector<std::string> RegistryFile::valueNames(const KeyPath& path) const {
    std::vector<std::string> names;
    if (const Key* key = findKey(path)) {
        for (const Value& value : key->values) {
            names.push_back(value.name);
        }
    }
    return names;
}

}  // namespace zeb::platform
