#include "shellext/clients/Glue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "shellext/ShellStrings.h"

namespace glue {

namespace {

namespace sfs = std::filesystem;

constexpr const char* kUniquePrefix = "zebdoc-";

int textId(Verb verb) {
    return verb == Verb::Add ? shellstrings::kMenuAdd : shellstrings::kMenuGet;
}

const char* word(Verb verb) {
    return verb == Verb::Add ? "add" : "get";
}

std::string envOr(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] == '/' ? value : fallback;
}

std::string home() {
    const char* value = std::getenv("HOME");
    return value != nullptr ? value : "";
}

bool readText(const std::string& path, std::string& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    out = text.str();
    return true;
}

// Writes a temporary file beside `path` and renames it into place.
bool writeText(const std::string& path, const std::string& text, unsigned mode,
               std::string& error) {
    std::error_code ec;
    sfs::create_directories(sfs::path(path).parent_path(), ec);
    std::string temporary = path + ".zebtmp-XXXXXX";
    const int fd = mkstemp(temporary.data());
    bool ok = fd >= 0;
    if (ok) {
        size_t done = 0;
        while (ok && done < text.size()) {
            const ssize_t n = write(fd, text.data() + done, text.size() - done);
            ok = n > 0 || (n < 0 && errno == EINTR);
            done += n > 0 ? static_cast<size_t>(n) : 0;
        }
        ok = fchmod(fd, mode) == 0 && ok;
        ok = close(fd) == 0 && ok;
        ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
    }
    if (!ok) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        if (fd >= 0) {
            unlink(temporary.c_str());
        }
    }
    return ok;
}

// Each <action>...</action> element of uca.xml with the text around it.
struct ActionSpan {
    size_t begin;
    size_t end;
};

std::vector<ActionSpan> actionSpans(const std::string& xml) {
    std::vector<ActionSpan> spans;
    size_t at = 0;
    for (;;) {
        const size_t begin = xml.find("<action>", at);
        if (begin == std::string::npos) {
            break;
        }
        const size_t close = xml.find("</action>", begin);
        if (close == std::string::npos) {
            break;
        }
        spans.push_back({begin, close + std::strlen("</action>")});
        at = spans.back().end;
    }
    return spans;
}

bool isOurs(const std::string& action) {
    return action.find(std::string("<unique-id>") + kUniquePrefix) != std::string::npos;
}

// The system's uca.xml, which Thunar uses while the user has none.
std::string systemThunarActions() {
    const char* value = std::getenv("XDG_CONFIG_DIRS");
    const std::string dirs = value != nullptr && *value != '\0' ? value : "/etc/xdg";
    std::istringstream list(dirs);
    for (std::string dir; std::getline(list, dir, ':');) {
        std::string text;
        if (!dir.empty() && readText(dir + "/Thunar/uca.xml", text)) {
            return text;
        }
    }
    return {};
}

}  // namespace

std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (const char c : text) {
        if (c == '\'') {
            out += "'\\''";
        } else {
            out += c;
        }
    }
    return out + "'";
}

std::string desktopExecQuote(const std::string& text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '`' || c == '$' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

std::string keyFileValue(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == ' ' && i == 0) {
            out += "\\s";
        } else {
            out += c;
        }
    }
    return out;
}

std::string xmlEscape(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string nemoActionName(Verb verb) {
    return std::string("zebdoc-") + word(verb) + ".nemo_action";
}

std::string scriptName(Verb verb) {
    return shellstrings::menuText(textId(verb), "");
}

std::string nemoAction(Verb verb, const std::string& host) {
    return "[Nemo Action]\n"
           "Name=" +
           keyFileValue(shellstrings::menuText(textId(verb), "_")) +
           "\n"
           "Comment=" +
           keyFileValue(shellstrings::menuText(textId(verb), "")) +
           "\n"
           "Exec=" +
           keyFileValue(shellQuote(host) + " " + word(verb) + " %F") +
           "\n"
           "Icon-Name=zebdoc\n"
           "Selection=notnone\n"
           "Extensions=nodirs;\n";
}

std::string dolphinServiceMenu(const std::string& host) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Service\n"
        "MimeType=all/allfiles;\n"
        "Actions=zebdocAdd;zebdocGet;\n"
        "X-KDE-Priority=TopLevel\n";
    for (const Verb verb : {Verb::Add, Verb::Get}) {
        text += std::string("\n[Desktop Action ") +
                (verb == Verb::Add ? "zebdocAdd" : "zebdocGet") +
                "]\n"
                "Name=" +
                keyFileValue(shellstrings::menuText(textId(verb), "&")) +
                "\n"
                "Icon=zebdoc\n"
                "Exec=" +
                keyFileValue(desktopExecQuote(host) + " " + word(verb) + " %F") + "\n";
    }
    return text;
}

std::string script(Verb verb, const std::string& host) {
    return "#!/bin/sh\n"
           "# " +
           shellstrings::menuText(textId(verb), "") +
           " (ZEBDOC). The file manager passes the selected names, with their\n"
           "# folder as the current one; zebui-host makes them full paths.\n"
           "exec " +
           shellQuote(host) + " " + word(verb) + " \"$@\"\n";
}

std::string thunarActions(const std::string& host) {
    std::string text;
    for (const Verb verb : {Verb::Add, Verb::Get}) {
        text +=
            "<action>\n"
            "\t<icon>zebdoc</icon>\n"
            "\t<name>" +
            xmlEscape(shellstrings::menuText(textId(verb), "_")) +
            "</name>\n"
            "\t<submenu></submenu>\n"
            "\t<unique-id>" +
            kUniquePrefix + word(verb) +
            "</unique-id>\n"
            "\t<command>" +
            xmlEscape(shellQuote(host) + " " + word(verb) + " %F") +
            "</command>\n"
            "\t<description>" +
            xmlEscape(shellstrings::menuText(textId(verb), "")) +
            "</description>\n"
            "\t<range>*</range>\n"
            "\t<patterns>*</patterns>\n"
            "\t<audio-files/>\n"
            "\t<image-files/>\n"
            "\t<other-files/>\n"
            "\t<text-files/>\n"
            "\t<video-files/>\n"
            "</action>\n";
    }
    return text;
}

std::string removeThunarActions(const std::string& existing) {
    std::string out;
    size_t at = 0;
    for (const ActionSpan& span : actionSpans(existing)) {
        const std::string action = existing.substr(span.begin, span.end - span.begin);
        if (!isOurs(action)) {
            continue;
        }
        out += existing.substr(at, span.begin - at);
        at = span.end;
        // The line break after the element goes with it.
        if (at < existing.size() && existing[at] == '\n') {
            ++at;
        }
    }
    return out + existing.substr(at);
}

std::string mergeThunarActions(const std::string& existing, const std::string& host) {
    std::string rest = removeThunarActions(existing);
    const size_t close = rest.rfind("</actions>");
    if (close == std::string::npos) {
        return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n" + thunarActions(host) +
               "</actions>\n";
    }
    return rest.substr(0, close) + thunarActions(host) + rest.substr(close);
}

std::string dataHome() {
    return envOr("XDG_DATA_HOME", home() + "/.local/share");
}

std::string configHome() {
    return envOr("XDG_CONFIG_HOME", home() + "/.config");
}

std::vector<GlueFile> userGlueFiles(const std::string& host) {
    std::vector<GlueFile> files;
    for (const Verb verb : {Verb::Add, Verb::Get}) {
        files.push_back({"data/nemo/actions/" + nemoActionName(verb), nemoAction(verb, host)});
        files.push_back({"data/nautilus/scripts/" + scriptName(verb), script(verb, host), 0755});
        files.push_back({"config/caja/scripts/" + scriptName(verb), script(verb, host), 0755});
    }
    files.push_back({std::string("data/kio/servicemenus/") + kDolphinServiceMenuName,
                     dolphinServiceMenu(host), 0755});
    return files;
}

namespace {

std::string userPath(const std::string& relative) {
    return relative.rfind("data/", 0) == 0 ? dataHome() + relative.substr(4)
                                           : configHome() + relative.substr(6);
}

std::string ucaPath() {
    return configHome() + "/Thunar/uca.xml";
}

}  // namespace

bool installForUser(const std::string& host, std::string& error) {
    if (host.empty() || host[0] != '/') {
        error = "the host must be named by its full path: " + host;
        return false;
    }
    for (const GlueFile& file : userGlueFiles(host)) {
        if (!writeText(userPath(file.path), file.text, file.mode, error)) {
            return false;
        }
    }
    std::string uca;
    if (!readText(ucaPath(), uca)) {
        uca = systemThunarActions();
    }
    return writeText(ucaPath(), mergeThunarActions(uca, host), 0644, error);
}

bool uninstallForUser(std::string& error) {
    for (const GlueFile& file : userGlueFiles("/")) {
        const std::string path = userPath(file.path);
        if (unlink(path.c_str()) != 0 && errno != ENOENT) {
            error = "cannot remove " + path + ": " + std::strerror(errno);
            return false;
        }
    }
    std::string uca;
    if (readText(ucaPath(), uca) && uca != removeThunarActions(uca)) {
        return writeText(ucaPath(), removeThunarActions(uca), 0644, error);
    }
    return true;
}

bool generate(const std::string& folder, const std::string& host, std::string& error) {
    const std::vector<GlueFile> files = {
        {"nemo/" + nemoActionName(Verb::Add), nemoAction(Verb::Add, host)},
        {"nemo/" + nemoActionName(Verb::Get), nemoAction(Verb::Get, host)},
        {"thunar/zebdoc-actions.xml", thunarActions(host)},
        {std::string("dolphin/") + kDolphinServiceMenuName, dolphinServiceMenu(host), 0755},
        {"nautilus-scripts/" + scriptName(Verb::Add), script(Verb::Add, host), 0755},
        {"nautilus-scripts/" + scriptName(Verb::Get), script(Verb::Get, host), 0755},
        {"caja-scripts/" + scriptName(Verb::Add), script(Verb::Add, host), 0755},
        {"caja-scripts/" + scriptName(Verb::Get), script(Verb::Get, host), 0755},
    };
    for (const GlueFile& file : files) {
        if (!writeText(folder + "/" + file.path, file.text, file.mode, error)) {
            return false;
        }
    }
    return true;
}

}  // namespace glue
