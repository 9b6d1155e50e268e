#include "setup/script/ThunarActions.h"

#include <algorithm>
#include <cstring>

namespace setup {

namespace {

constexpr const char* kOpen = "<action>";
constexpr const char* kClose = "</action>";
constexpr const char* kIdOpen = "<unique-id>";
constexpr const char* kIdClose = "</unique-id>";
constexpr const char* kListClose = "</actions>";

bool matches(const std::string& id, const std::vector<std::string>& ids) {
    return std::any_of(ids.begin(), ids.end(), [&](const std::string& wanted) {
        if (!wanted.empty() && wanted.back() == '*') {
            return id.compare(0, wanted.size() - 1, wanted, 0, wanted.size() - 1) == 0;
        }
        return id == wanted;
    });
}

// Removes the elements for which `drop` holds, each with the line break
// after it.
template <typename Drop>
std::string without(const std::string& xml, Drop drop) {
    std::string out;
    size_t at = 0;
    for (const ActionElement& element : actionElements(xml)) {
        if (!drop(element)) {
            continue;
        }
        out += xml.substr(at, element.begin - at);
        at = element.end;
        if (at < xml.size() && xml[at] == '\n') {
            ++at;
        }
    }
    return out + xml.substr(at);
}

}  // namespace

std::vector<ActionElement> actionElements(const std::string& xml) {
    std::vector<ActionElement> elements;
    size_t at = 0;
    for (;;) {
        const size_t begin = xml.find(kOpen, at);
        if (begin == std::string::npos) {
            break;
        }
        const size_t close = xml.find(kClose, begin);
        if (close == std::string::npos) {
            break;
        }
        ActionElement element;
        element.begin = begin;
        element.end = close + std::strlen(kClose);
        const size_t idOpen = xml.find(kIdOpen, begin);
        if (idOpen != std::string::npos && idOpen < close) {
            const size_t idBegin = idOpen + std::strlen(kIdOpen);
            const size_t idClose = xml.find(kIdClose, idBegin);
            if (idClose != std::string::npos && idClose < close) {
                element.uniqueId = xml.substr(idBegin, idClose - idBegin);
            }
        }
        elements.push_back(element);
        at = element.end;
    }
    return elements;
}

bool mergeActions(const std::string& existing, const std::string& fragment, std::string& out,
                  std::string& error) {
    const std::vector<ActionElement> ours = actionElements(fragment);
    if (ours.empty()) {
        error = "the actions to add hold no <action> element";
        return false;
    }
    std::vector<std::string> ids;
    std::string actions;
    for (const ActionElement& element : ours) {
        if (element.uniqueId.empty()) {
            error = "an action to add has no <unique-id>";
            return false;
        }
        ids.push_back(element.uniqueId);
        actions += fragment.substr(element.begin, element.end - element.begin) + "\n";
    }
    if (existing.find_first_not_of(" \t\r\n") == std::string::npos) {
        out =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" + actions + kListClose + "\n";
        return true;
    }
    const std::string rest = without(
        existing, [&](const ActionElement& element) { return matches(element.uniqueId, ids); });
    const size_t close = rest.rfind(kListClose);
    if (close == std::string::npos) {
        error = "the file has no </actions>";
        return false;
    }
    // The actions start on a line of their own.
    const std::string before = rest.substr(0, close);
    const bool lineStart = before.empty() || before.back() == '\n';
    out = before + (lineStart ? "" : "\n") + actions + rest.substr(close);
    return true;
}

std::string removeActions(const std::string& existing, const std::vector<std::string>& ids) {
    return without(existing,
                   [&](const ActionElement& element) { return matches(element.uniqueId, ids); });
}

}  // namespace setup
