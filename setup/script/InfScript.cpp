#include "setup/script/InfScript.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

namespace setup {

namespace {

char foldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string trim(const std::string& text) {
    const char* blanks = " \t";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

// Splits `text` at the commas outside quotes into trimmed, unquoted fields.
// False when a quote is not closed.
bool splitFields(const std::string& text, std::vector<std::string>& fields) {
    fields.clear();
    std::string field;
    bool quoted = false;     // inside quotes
    bool wasQuoted = false;  // the field had quotes: its blanks are its own
    std::string pending;     // blanks seen outside quotes, kept if more follows
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < text.size() && text[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
            continue;
        }
        if (c == '"') {
            field += pending;
            pending.clear();
            quoted = true;
            wasQuoted = true;
        } else if (c == ',') {
            fields.push_back(wasQuoted ? field : trim(field));
            field.clear();
            pending.clear();
            wasQuoted = false;
        } else if (c == ' ' || c == '\t') {
            pending += c;
        } else {
            field += pending;
            pending.clear();
            field += c;
        }
    }
    if (quoted) {
        return false;
    }
    fields.push_back(wasQuoted ? field : trim(field));
    return true;
}

// The position of the first `wanted` outside quotes, or npos.
size_t findOutsideQuotes(const std::string& text, char wanted) {
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"') {
            quoted = !quoted;
        } else if (!quoted && text[i] == wanted) {
            return i;
        }
    }
    return std::string::npos;
}

}  // namespace

bool equalNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldAscii(x) == foldAscii(y);
           });
}

std::string ScriptError::text() const {
    std::string out = file;
    if (line > 0) {
        out += ", line " + std::to_string(line);
    }
    return out + ": " + message;
}

bool InfScript::load(const std::string& path, InfScript& out, ScriptError& error) {
    std::string text;
    if (!zeb::platform::readWholeFile(path, text)) {
        error = ScriptError{path, 0, std::string("cannot read it: ") + std::strerror(errno)};
        return false;
    }
    return parse(text, path, out, error);
}

bool InfScript::parse(const std::string& text, const std::string& name, InfScript& out,
                      ScriptError& error) {
    InfScript script;
    script.m_name = name;
    Section* current = nullptr;
    size_t pos = 0;
    int number = 0;
    while (pos < text.size()) {
        // One logical line: physical lines joined where one ends in "\".
        const int first = number + 1;
        std::string line;
        for (;;) {
            size_t end = text.find('\n', pos);
            if (end == std::string::npos) {
                end = text.size();
            }
            std::string piece = text.substr(pos, end - pos);
            pos = end + 1;
            ++number;
            if (!piece.empty() && piece.back() == '\r') {
                piece.pop_back();
            }
            const size_t comment = findOutsideQuotes(piece, ';');
            if (comment != std::string::npos) {
                piece.erase(comment);
            }
            piece = trim(piece);
            if (!piece.empty() && piece.back() == '\\' && pos < text.size()) {
                piece.pop_back();
                line += piece;
                continue;
            }
            line += piece;
            break;
        }
        if (line.empty()) {
            continue;
        }
        if (line.find('\0') != std::string::npos) {
            error = script.errorAt(first, "a zero byte in the line");
            return false;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || trim(line.substr(1, line.size() - 2)).empty()) {
                error = script.errorAt(first, "a section header must be [Name]");
                return false;
            }
            const std::string sectionName = trim(line.substr(1, line.size() - 2));
            current = nullptr;
            for (Section& s : script.m_sections) {
                if (equalNoCase(s.name, sectionName)) {
                    current = &s;
                }
            }
            if (current == nullptr) {
                script.m_sections.push_back(Section{sectionName, first, {}});
                current = &script.m_sections.back();
            }
            continue;
        }
        if (current == nullptr) {
            error = script.errorAt(first, "a line outside any section");
            return false;
        }
        Line entry;
        entry.number = first;
        std::string rest = line;
        const size_t equals = findOutsideQuotes(line, '=');
        if (equals != std::string::npos) {
            entry.hasKey = true;
            std::vector<std::string> key;
            if (!splitFields(line.substr(0, equals), key) || key.size() != 1 || key[0].empty()) {
                error = script.errorAt(first, "a key must be one name before \"=\"");
                return false;
            }
            entry.key = key[0];
            rest = line.substr(equals + 1);
        }
        if (!splitFields(rest, entry.fields)) {
            error = script.errorAt(first, "a quote is not closed");
            return false;
        }
        current->lines.push_back(std::move(entry));
    }
    const Section* version = script.section("Version");
    if (version == nullptr) {
        error = script.errorAt(0, "no [Version] section: this is not an installation script");
        return false;
    }
    bool signed_ = false;
    for (const Line& line : version->lines) {
        if (line.hasKey && equalNoCase(line.key, "Signature")) {
            signed_ = line.fields.size() == 1 && (equalNoCase(line.fields[0], "$Chicago$") ||
                                                  equalNoCase(line.fields[0], "$Windows NT$"));
            if (!signed_) {
                error = script.errorAt(line.number,
                                       "the Signature must be \"$Chicago$\" or \"$Windows NT$\"");
                return false;
            }
        }
    }
    if (!signed_) {
        error = script.errorAt(version->line, "[Version] has no Signature");
        return false;
    }
    out = std::move(script);
    return true;
}

const InfScript::Section* InfScript::section(const std::string& name) const {
    for (const Section& s : m_sections) {
        if (equalNoCase(s.name, name)) {
            return &s;
        }
    }
    return nullptr;
}

}  // namespace setup
