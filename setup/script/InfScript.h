#pragma once

#include <string>
#include <vector>

namespace setup {

// Where a script went wrong: its file, the line (0: the script as a whole)
// and what is wrong.
struct ScriptError {
    std::string file;
    int line = 0;
    std::string message;

    // "zebdoc.inf, line 12: unknown directory id 65650"
    std::string text() const;
};

// An installation script in the setup-information form the system uses:
//
//   ; comment
//   [Section]
//   Key = field, "quoted, field", field
//   entry, without, key
//
// Section names and keys compare without regard to ASCII case; a section
// named twice is one section. Fields are trimmed; a quoted field keeps its
// blanks and commas, and "" in it stands for one quote. A line that ends in
// "\" goes on on the next one. The script must open with a [Version]
// section whose Signature is "$Chicago$" or "$Windows NT$".
class InfScript {
public:
    struct Line {
        int number = 0;
        bool hasKey = false;
        std::string key;
        std::vector<std::string> fields;
    };
    struct Section {
        std::string name;
        int line = 0;  // of its first header
        std::vector<Line> lines;
    };

    // False with the error when the file cannot be read or is no script.
    static bool load(const std::string& path, InfScript& out, ScriptError& error);
    static bool parse(const std::string& text, const std::string& name, InfScript& out,
                      ScriptError& error);

    const std::string& name() const { return m_name; }
    // Null when the script has no such section.
    const Section* section(const std::string& name) const;

    ScriptError errorAt(int line, const std::string& message) const {
        return ScriptError{m_name, line, message};
    }

private:
    std::string m_name;
    std::vector<Section> m_sections;
};

bool equalNoCase(const std::string& a, const std::string& b);

}  // namespace setup
