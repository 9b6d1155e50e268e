// Test builds only: prompts answered from the environment, so that a test
// (or the host's benchmark) can run the host, or a file manager that starts
// it, without a person.
//
//   ZEBUI_TEST_ANSWERS  the answers, separated by blanks, used in order:
//                       "ok" or "cancel" for a message box, "pick:N" (the
//                       revision with version N) or "cancel" for the picker.
//                       When they run out, a message box gets OK and the
//                       picker Cancel.
//   ZEBUI_TEST_RECORD   a file that gets one line per prompt:
//                       "message<TAB>caption<TAB>text" or
//                       "pick<TAB>answer<TAB>revision".
//   ZEBUI_TEST_TOOLKIT  "1": start the window toolkit at the first prompt,
//                       as the real prompts do (for timing).

#ifdef ZEBDOC_TEST_SEAMS

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include "core/UID.h"
#include "shellext/Prompts.h"
#include "shellext/RevisionRows.h"
#include "shellext/Toolkit.h"

namespace {

std::string envText(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

// Line breaks and tabs of a text as "\n" and "\t", so a record is one line.
std::string oneLine(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else {
            out += c;
        }
    }
    return out;
}

class EnvironmentPrompts : public ShellPrompts {
public:
    EnvironmentPrompts() {
        std::istringstream words(envText("ZEBUI_TEST_ANSWERS"));
        for (std::string word; words >> word;) {
            m_answers.push_back(word);
        }
        m_record = envText("ZEBUI_TEST_RECORD");
        m_toolkit = envText("ZEBUI_TEST_TOOLKIT") == "1";
    }

    int messageBox(HWND, const std::string& text, const std::string& caption, unsigned) override {
        prompted();
        const std::string answer = next("ok");
        record("message\t" + oneLine(caption) + "\t" + oneLine(text));
        return answer == "cancel" ? IDCANCEL : IDOK;
    }

    int pickRevision(HWND, const UID& file, UID& revision) override {
        prompted();
        const std::string answer = next("cancel");
        int code = 2;
        std::string chosen;
        if (answer.rfind("pick:", 0) == 0) {
            std::vector<std::string> headers;
            std::vector<std::vector<std::string>> rows;
            revisionRows(file, headers, rows);
            for (const auto& row : rows) {
                if (row[0] == answer.substr(5)) {
                    chosen = row[kRevisionUidColumn];
                }
            }
            if (!chosen.empty()) {
                revision = chosen.c_str();
                code = 1;
            }
        }
        record("pick\t" + std::to_string(code) + "\t" + chosen);
        return code;
    }

private:
    void prompted() {
        if (m_toolkit) {
            startToolkit();
        }
    }
    std::string next(const std::string& otherwise) {
        if (m_answers.empty()) {
            return otherwise;
        }
        std::string answer = m_answers.front();
        m_answers.pop_front();
        return answer;
    }
    void record(const std::string& line) const {
        if (m_record.empty()) {
            return;
        }
        const int fd = open(m_record.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd >= 0) {
            const std::string text = line + "\n";
            [[maybe_unused]] const ssize_t written = write(fd, text.data(), text.size());
            close(fd);
        }
    }

    std::deque<std::string> m_answers;
    std::string m_record;
    bool m_toolkit = false;
};

}  // namespace

ShellPrompts* environmentPrompts() {
    if (std::getenv("ZEBUI_TEST_ANSWERS") == nullptr) {
        return nullptr;
    }
    static EnvironmentPrompts prompts;
    return &prompts;
}

#endif
