#pragma once

// Helpers of setup's tests: a person who answers from a script and records
// what was shown, and a page host that plays the pages step by step.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "setup/model/Pages.h"
#include "setup/model/SetupStrings.h"

namespace zebtest {

struct ShownMessage {
    int id;
    std::string text;
    std::string caption;
    int style;
};

class ScriptedPerson : public setup::SetupPerson {
public:
    int messageBox(int messageId, const std::string& text, const std::string& caption,
                   int style) override {
        messages.push_back({messageId, text, caption, style});
        auto found = answers.find(messageId);
        if (found != answers.end()) {
            return found->second;
        }
        return (style & setup::kStyleOkCancel) ? setup::kAnswerCancel : setup::kAnswerOk;
    }
    bool chooseFolder(const std::string& title, std::string& folder) override {
        folderTitles.push_back(title);
        if (folders.empty()) {
            return false;
        }
        folder = folders.front();
        folders.pop_front();
        return !folder.empty();
    }
    std::vector<int> messageIds() const {
        std::vector<int> ids;
        for (const ShownMessage& m : messages) {
            ids.push_back(m.id);
        }
        return ids;
    }

    std::map<int, int> answers;       // message id -> kAnswerOk / kAnswerCancel
    std::deque<std::string> folders;  // what the chooser gives; "" cancels
    std::vector<ShownMessage> messages;
    std::vector<std::string> folderTitles;
};

// One step of a scripted wizard: the page expected, and what happens on it
// (returns the end code).
struct PageStep {
    int templateId;
    std::function<int(setup::Page&, setup::PageFields&)> act;
};

// Presses a button of a page that must end it.
inline int press(setup::Page& page, setup::PageFields& fields, int id) {
    const std::optional<int> code = page.command(id, fields);
    EXPECT_TRUE(code.has_value()) << "button " << id << " did not end the page";
    return code.value_or(-999);
}

inline PageStep pressOn(int templateId, int button) {
    return {templateId, [button](setup::Page& page, setup::PageFields& fields) {
                return press(page, fields, button);
            }};
}

class ScriptedHost : public setup::PageHost {
public:
    explicit ScriptedHost(std::vector<PageStep> steps) : m_steps(std::move(steps)) {}
    int showPage(const setup::PageEntry& entry, setup::Page& page) override {
        shown.push_back(entry.templateId);
        if (m_next >= m_steps.size()) {
            ADD_FAILURE() << "page " << entry.templateId << " shown after the script's end";
            return -1;
        }
        const PageStep& step = m_steps[m_next++];
        EXPECT_EQ(entry.templateId, step.templateId) << "step " << m_next;
        setup::PageFields fields;
        page.init(fields);
        return step.act(page, fields);
    }
    bool finished() const { return m_next == m_steps.size(); }

    std::vector<int> shown;

private:
    std::vector<PageStep> m_steps;
    size_t m_next = 0;
};

}  // namespace zebtest

#include <sstream>

#include "tests/support/BackendTest.h"

namespace zebtest {

using IniSection = std::map<std::string, std::string>;

// The sections of an ini file with their keys, blanks around "=" removed.
inline std::map<std::string, IniSection> readIni(const std::string& path) {
    std::map<std::string, IniSection> ini;
    std::istringstream text(readFile(path));
    std::string line;
    std::string section;
    auto trim = [](const std::string& s) {
        const size_t first = s.find_first_not_of(" \t\r");
        return first == std::string::npos
                   ? std::string()
                   : s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
    };
    while (std::getline(text, line)) {
        line = trim(line);
        if (line.size() > 1 && line.front() == '[' && line.back() == ']') {
            ini[section = line.substr(1, line.size() - 2)];
        } else if (size_t eq = line.find('='); eq != std::string::npos && !section.empty()) {
            ini[section][trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
        }
    }
    return ini;
}

}  // namespace zebtest
