#include "setup/model/Answers.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "setup/model/SetupStrings.h"
#include "setup/script/InfScript.h"

namespace setup {

namespace {

std::string trim(const std::string& text) {
    const char* blanks = " \t\r";
    const size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) {
        return std::string();
    }
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

const PageTemplate* pageNamed(const std::string& name) {
    for (const PageTemplate& t : pageTemplates()) {
        if (equalNoCase(t.name, name)) {
            return &t;
        }
    }
    return nullptr;
}

bool isMessageSection(const std::string& name) {
    return name.size() > 8 && equalNoCase(name.substr(0, 8), "Message ") &&
           name.find_first_not_of("0123456789", 8) == std::string::npos;
}

// The id of a page's field or button named by an answers key or value.
int fieldId(const PageTemplate& page, const std::string& key) {
    for (const FieldSpec& field : page.fields) {
        if (!field.answerKey.empty() && equalNoCase(field.answerKey, key)) {
            return field.id;
        }
    }
    return 0;
}

int buttonId(const PageTemplate& page, const std::string& name) {
    for (const ButtonSpec& button : page.buttons) {
        if (equalNoCase(button.label, name) || std::to_string(button.id) == name) {
            return button.id;
        }
    }
    return 0;
}

std::string shown(int id, const std::string& value) {
    return id == kPassword ? "(" + std::to_string(value.size()) + " characters)"
                           : "\"" + value + "\"";
}

}  // namespace

bool Answers::load(const std::string& path, Answers& out, std::string& error) {
    std::string text;
    if (!zeb::platform::readWholeFile(path, text)) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    if (!parse(text, out, error)) {
        error = path + ", " + error;
        return false;
    }
    return true;
}

bool Answers::parse(const std::string& text, Answers& out, std::string& error) {
    Answers answers;
    size_t pos = 0;
    int number = 0;
    auto failAt = [&](int line, const std::string& why) {
        error = "line " + std::to_string(line) + ": " + why;
        return false;
    };
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string::npos ? text.size() : end;
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        ++number;
        const std::string bare = trim(line);
        if (bare.empty() || bare.front() == ';' || bare.front() == '#') {
            continue;
        }
        if (bare.front() == '[') {
            const std::string name = trim(bare.substr(1, bare.size() - 2));
            if (bare.back() != ']' || (pageNamed(name) == nullptr && !isMessageSection(name))) {
                return failAt(number, "unknown section " + bare +
                                          " (pages: Welcome, UserInformation, DataSource, "
                                          "Destination, Uninstall; messages: [Message id])");
            }
            answers.m_sections.push_back(Section{name, number, {}});
            continue;
        }
        const size_t equals = bare.find('=');
        if (answers.m_sections.empty() || equals == std::string::npos) {
            return failAt(number, "expected \"[Section]\" or \"Key=value\"");
        }
        Section& section = answers.m_sections.back();
        const std::string key = trim(bare.substr(0, equals));
        // Values keep their blanks, but not the line's end.
        std::string value = line.substr(line.find('=') + 1);
        if (!value.empty() && value.back() == '\r') {
            value.pop_back();
        }
        value = trim(value);
        if (const PageTemplate* page = pageNamed(section.name)) {
            const bool known = (equalNoCase(key, "Button") && buttonId(*page, value) != 0) ||
                               (equalNoCase(key, "Browse") && page->id == kPageDestination) ||
                               fieldId(*page, key) != 0;
            if (!known) {
                return failAt(number, "[" + section.name + "] has no " + key + "=" +
                                          (equalNoCase(key, "Button") ? value : ""));
            }
        } else if (!equalNoCase(key, "Answer") ||
                   (!equalNoCase(value, "OK") && !equalNoCase(value, "Cancel"))) {
            return failAt(number, "a message is answered by \"Answer=OK\" or \"Answer=Cancel\"");
        }
        section.entries.push_back(Entry{key, value, number});
    }
    out = std::move(answers);
    return true;
}

const Answers::Section* Answers::take(const std::string& name) {
    for (Section& section : m_sections) {
        if (!section.used && equalNoCase(section.name, name)) {
            section.used = true;
            return &section;
        }
    }
    return nullptr;
}

int AnswersHost::showPage(const PageEntry& entry, Page& page) {
    const PageTemplate* view = pageTemplate(entry.templateId);
    if (view == nullptr) {
        return entry.cancelCode;
    }
    PageFields fields;
    page.init(fields);
    const Answers::Section* section = m_answers.take(view->name);
    if (section == nullptr) {
        trace("page " + view->name + ": no answers left, Cancel");
        const auto code = page.command(view->cancelButton, fields);
        return code ? *code : entry.cancelCode;
    }
    for (const Answers::Entry& answer : section->entries) {
        if (equalNoCase(answer.key, "Button") || equalNoCase(answer.key, "Browse")) {
            const bool browse = equalNoCase(answer.key, "Browse");
            m_folder = browse ? answer.value : std::string();
            const int id = browse ? kDestinationBrowse : buttonId(*view, answer.value);
            trace("page " + view->name + ": " +
                  (browse ? "Browse to \"" + answer.value + "\"" : answer.value));
            if (const auto code = page.command(id, fields)) {
                trace("page " + view->name + " ended with " + std::to_string(*code));
                return *code;
            }
            continue;
        }
        const int id = fieldId(*view, answer.key);
        fields.setText(id, answer.value);
        trace("page " + view->name + ": " + answer.key + " = " + shown(id, answer.value));
        if (id == kDriver) {
            page.command(kDriver, fields);
        }
    }
    trace("page " + view->name + ": no button ended it, Cancel");
    const auto code = page.command(view->cancelButton, fields);
    return code ? *code : entry.cancelCode;
}

int AnswersHost::messageBox(int messageId, const std::string& text, const std::string& caption,
                            int style) {
    const bool question = (style & kStyleOkCancel) != 0;
    int answer = question ? kAnswerCancel : kAnswerOk;
    if (const Answers::Section* section = m_answers.take("Message " + std::to_string(messageId))) {
        for (const Answers::Entry& entry : section->entries) {
            answer = equalNoCase(entry.value, "OK") ? kAnswerOk : kAnswerCancel;
        }
    }
    trace("message " + std::to_string(messageId) + " (" + caption + "): " + text + " -> " +
          (answer == kAnswerOk ? "OK" : "Cancel"));
    // Nobody watches the pages: the messages go to the error output too.
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    return answer;
}

bool AnswersHost::chooseFolder(const std::string&, std::string& folder) {
    // A chooser gives whole paths.
    folder = m_folder.empty() ? std::string() : zeb::platform::fullPath(m_folder);
    m_folder.clear();
    return !folder.empty();
}

}  // namespace setup
