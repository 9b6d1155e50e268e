#include "setup/script/ScriptInstaller.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <set>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "setup/model/SetupState.h"
#include "setup/script/ThunarActions.h"

namespace setup {

namespace {

namespace fs = zeb::platform;
using zeb::platform::RegistryStore;

constexpr const char* kUcaFile = "uca.xml";
constexpr unsigned long kAddRegNoClobber = 0x2;

bool parseNumber(const std::string& text, unsigned long& value) {
    if (text.empty()) {
        value = 0;
        return true;
    }
    errno = 0;
    char* end = nullptr;
    value = std::strtoul(text.c_str(), &end, 0);
    return errno == 0 && end != nullptr && *end == '\0' && text[0] != '-';
}

// A file name of a section line: one piece, no folder.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

// A path below a folder: relative, without "..".
bool isRelativeBelow(const std::string& path) {
    if (path.empty() || path.front() == '/') {
        return false;
    }
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) {
            end = path.size();
        }
        if (path.compare(start, end - start, "..") == 0 && end - start == 2) {
            return false;
        }
        start = end + 1;
    }
    return true;
}

bool rootOf(const std::string& text, HKEY& root) {
    if (equalNoCase(text, "HKCR") || equalNoCase(text, "HKEY_CLASSES_ROOT")) {
        root = HKEY_CLASSES_ROOT;
    } else if (equalNoCase(text, "HKLM") || equalNoCase(text, "HKEY_LOCAL_MACHINE")) {
        root = HKEY_LOCAL_MACHINE;
    } else if (equalNoCase(text, "HKCU") || equalNoCase(text, "HKEY_CURRENT_USER")) {
        root = HKEY_CURRENT_USER;
    } else {
        return false;
    }
    return true;
}

std::string field(const InfScript::Line& line, size_t i) {
    return i < line.fields.size() ? line.fields[i] : std::string();
}

bool isSymlinkTo(const std::string& path, const std::string& target) {
    std::string buffer(PATH_MAX, '\0');
    const ssize_t n = readlink(path.c_str(), &buffer[0], buffer.size());
    return n >= 0 && static_cast<size_t>(n) < buffer.size() &&
           buffer.compare(0, static_cast<size_t>(n), target) == 0 &&
           target.size() == static_cast<size_t>(n);
}

// Makes `path` a link to `target`, replacing a link that is there.
bool placeLink(const std::string& target, const std::string& path, int& error) {
    struct stat st;
    if (lstat(path.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        error = EEXIST;
        return false;
    }
    const std::string temporary = path + ".zebtmp-link";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 ||
        rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace

ScriptInstaller::ScriptInstaller(const InfScript& script, const std::string& sourceFolder,
                                 const Places& places)
    : m_script(script), m_source(sourceFolder), m_places(places) {}

bool ScriptInstaller::fail(int line, const std::string& message) {
    m_error = m_script.errorAt(line, message);
    trace(m_error.text());
    return false;
}

bool ScriptInstaller::setDestination(const std::string& folder) {
    if (folder.empty() || folder.front() != '/') {
        return fail(0, "the destination \"" + folder + "\" is not an absolute folder");
    }
    m_destination = fs::fullPath(folder);
    return true;
}

bool ScriptInstaller::idFolder(int id, std::string& folder) const {
    if (id == Places::kDestinationId) {
        // Before the person chose one, checks work on a stand-in.
        folder = m_destination.empty() ? std::string("/zebdoc-destination") : m_destination;
        return true;
    }
    return m_places.projectFolder(id, folder);
}

bool ScriptInstaller::expand(const std::string& text, int line, std::string& out) {
    out.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        const size_t close = text.find('%', i + 1);
        if (close == std::string::npos) {
            return fail(line, "a \"%\" without its closing \"%\" (write %% for one)");
        }
        const std::string name = text.substr(i + 1, close - i - 1);
        i = close;
        if (name.empty()) {
            out += '%';
            continue;
        }
        unsigned long id = 0;
        std::string folder;
        if (!parseNumber(name, id) || id > INT_MAX || !idFolder(static_cast<int>(id), folder)) {
            return fail(line, "unknown directory id or string %" + name + "%");
        }
        if (folder.empty()) {
            return fail(line, "the directory id " + name + " has no place in this installation");
        }
        out += folder;
    }
    return true;
}

bool ScriptInstaller::checkDestinationDirs() {
    const InfScript::Section* dirs = m_script.section("DestinationDirs");
    if (dirs == nullptr) {
        return true;
    }
    for (const InfScript::Line& line : dirs->lines) {
        unsigned long id = 0;
        std::string folder;
        if (!line.hasKey || line.fields.empty() || line.fields.size() > 2) {
            return fail(line.number, "a destination must read \"section = id[,subfolder]\"");
        }
        if (!parseNumber(line.fields[0], id) || line.fields[0].empty() || id > INT_MAX ||
            !idFolder(static_cast<int>(id), folder)) {
            return fail(line.number, "unknown directory id " + line.fields[0]);
        }
        if (line.fields.size() == 2 && !isRelativeBelow(line.fields[1])) {
            return fail(line.number, "the subfolder \"" + line.fields[1] +
                                         "\" must be relative, without \"..\"");
        }
    }
    return true;
}

bool ScriptInstaller::folderOf(const std::string& section, int line, std::string& folder) {
    const InfScript::Section* dirs = m_script.section("DestinationDirs");
    const InfScript::Line* found = nullptr;
    for (const char* name : {section.c_str(), "DefaultDestDir"}) {
        if (dirs == nullptr || found != nullptr) {
            break;
        }
        for (const InfScript::Line& entry : dirs->lines) {
            if (entry.hasKey && equalNoCase(entry.key, name)) {
                found = &entry;
            }
        }
    }
    if (found == nullptr) {
        return fail(line, "no destination for the section [" + section + "] in [DestinationDirs]");
    }
    unsigned long id = 0;
    if (!parseNumber(found->fields[0], id) || !idFolder(static_cast<int>(id), folder)) {
        return fail(found->number, "unknown directory id " + found->fields[0]);
    }
    if (!folder.empty() && found->fields.size() == 2) {
        folder += "/" + found->fields[1];
    }
    folder = folder.empty() ? folder : fs::fullPath(folder);
    return true;
}

bool ScriptInstaller::sectionsOf(const std::string& installSection,
                                 const std::vector<std::string>& directives,
                                 std::vector<std::pair<const InfScript::Line*, std::string>>& out) {
    static const char* const kKnown[] = {"CopyFiles", "DelFiles", "SymLinks",     "DelSymLinks",
                                         "AddReg",    "DelReg",   "ThunarActions"};
    out.clear();
    const InfScript::Section* section = m_script.section(installSection);
    if (section == nullptr) {
        return fail(0, "no section [" + installSection + "]");
    }
    if (!checkDestinationDirs()) {
        return false;
    }
    for (const InfScript::Line& line : section->lines) {
        bool known = false;
        for (const char* name : kKnown) {
            known = known || (line.hasKey && equalNoCase(line.key, name));
        }
        if (!known) {
            return fail(line.number, line.hasKey ? "unknown directive " + line.key
                                                 : std::string("a line without a directive"));
        }
        bool wanted = false;
        for (const std::string& name : directives) {
            wanted = wanted || equalNoCase(line.key, name);
        }
        if (!wanted) {
            continue;
        }
        for (const std::string& name : line.fields) {
            if (name.empty()) {
                continue;
            }
            if (name.front() == '@') {
                return fail(line.number, "single files (" + name + ") are not supported");
            }
            if (m_script.section(name) == nullptr) {
                return fail(line.number, "no section [" + name + "]");
            }
            out.emplace_back(&line, name);
        }
    }
    return true;
}

bool ScriptInstaller::planFiles(const std::string& section, bool checking,
                                std::vector<FileOp>& ops) {
    std::vector<std::pair<const InfScript::Line*, std::string>> named;
    if (!sectionsOf(section, {"CopyFiles", "DelFiles", "SymLinks", "DelSymLinks"}, named)) {
        return false;
    }
    for (const auto& [directive, name] : named) {
        std::string folder;
        if (!folderOf(name, directive->number, folder)) {
            return false;
        }
        const bool copy = equalNoCase(directive->key, "CopyFiles");
        const bool del = equalNoCase(directive->key, "DelFiles");
        const bool link = equalNoCase(directive->key, "SymLinks");
        for (const InfScript::Line& line : m_script.section(name)->lines) {
            const std::string file = field(line, 0);
            if (line.hasKey || !isPlainName(file)) {
                return fail(line.number, "a file name without a folder must come first");
            }
            unsigned long flags = 0;
            if ((copy || del) && (!parseNumber(field(line, 3), flags) || flags != 0)) {
                return fail(line.number, "unsupported copy flags " + field(line, 3));
            }
            if ((copy || del) && line.fields.size() > 4) {
                return fail(line.number, "too many fields");
            }
            FileOp op{FileOp::Kind::Copy, "", folder + "/" + file, line.number};
            if (copy) {
                const std::string source =
                    line.fields.size() > 1 && !line.fields[1].empty() ? line.fields[1] : file;
                if (!isRelativeBelow(source)) {
                    return fail(line.number,
                                "the source \"" + source + "\" must be relative, without \"..\"");
                }
                op.source = m_source + "/" + source;
                if (checking && !fs::isRegularFile(op.source)) {
                    return fail(line.number,
                                "the file " + source + " is missing beside the setup program");
                }
            } else if (del) {
                op.kind = FileOp::Kind::Delete;
            } else {
                op.kind = link ? FileOp::Kind::Link : FileOp::Kind::Unlink;
                if (line.fields.size() != 2) {
                    return fail(line.number, "a link must read \"name,target\"");
                }
                if (!expand(line.fields[1], line.number, op.source)) {
                    return false;
                }
                if (op.source.empty() || op.source.front() != '/') {
                    return fail(line.number, "a link's target must be an absolute path");
                }
            }
            if (folder.empty()) {
                continue;  // no place for this section in this scope
            }
            ops.push_back(op);
        }
        if (folder.empty() && !checking) {
            trace("[" + name + "] has no place in this installation: passed over");
        }
    }
    return true;
}

bool ScriptInstaller::checkFiles(const std::string& section) {
    std::vector<FileOp> ops;
    return planFiles(section, true, ops);
}

bool ScriptInstaller::queueFiles(const std::string& section) {
    std::vector<FileOp> ops;
    if (!planFiles(section, false, ops)) {
        return false;
    }
    m_queue.insert(m_queue.end(), ops.begin(), ops.end());
    return true;
}

bool ScriptInstaller::commitQueue(QueueCallback& callback) {
    std::vector<FileOp> queue;
    queue.swap(m_queue);
    const size_t total = queue.size();
    size_t done = 0;
    const std::string destination = m_destination.empty() ? std::string("/") : m_destination;
    auto belowDestination = [&](const std::string& path) {
        return !m_destination.empty() &&
               path.compare(0, destination.size() + 1, destination + "/") == 0;
    };
    // Deletes first; then the folders below the destination they emptied.
    std::set<std::string> emptied;
    for (const FileOp& op : queue) {
        if (op.kind != FileOp::Kind::Delete && op.kind != FileOp::Kind::Unlink) {
            continue;
        }
        callback.progress(done++, total, op.target);
        if (op.kind == FileOp::Kind::Unlink && !isSymlinkTo(op.target, op.source)) {
            struct stat st;
            if (lstat(op.target.c_str(), &st) == 0) {
                trace("kept " + op.target + ": not a link to " + op.source);
            }
            continue;
        }
        int error = 0;
        if (unlink(op.target.c_str()) != 0) {
            error = errno;
        }
        if (error == 0) {
            trace("deleted " + op.target);
            if (belowDestination(op.target)) {
                emptied.insert(fs::parentPath(op.target));
            }
        } else if (error != ENOENT) {
            trace("cannot delete " + op.target + ": " + std::strerror(error));
            if (callback.deleteFailed(op.target, error) == QueueCallback::Answer::Abort) {
                return fail(op.line, "cannot delete " + op.target + ": " + std::strerror(error));
            }
        }
    }
    for (std::string folder : emptied) {
        while (belowDestination(folder) || folder == destination) {
            if (rmdir(folder.c_str()) != 0) {
                break;
            }
            trace("removed the empty folder " + folder);
            folder = fs::parentPath(folder);
        }
    }
    // Then the copies, into the destination made private for a user.
    for (const FileOp& op : queue) {
        if (op.kind != FileOp::Kind::Copy) {
            continue;
        }
        callback.progress(done++, total, op.target);
        int error = 0;
        const std::string folder = fs::parentPath(op.target);
        if (!m_destination.empty() && !fs::isDirectory(m_destination) &&
            belowDestination(op.target)) {
            fs::createDirectories(m_destination, m_places.isSystem() ? 0755 : 0700, &error);
        }
        fs::FileStatus source;
        fs::FileStatus target;
        struct stat sourceId {};
        struct stat targetId {};
        const bool same = stat(op.source.c_str(), &sourceId) == 0 &&
                          stat(op.target.c_str(), &targetId) == 0 &&
                          sourceId.st_dev == targetId.st_dev && sourceId.st_ino == targetId.st_ino;
        if (same || (fs::getStatus(op.source, source) && fs::getStatus(op.target, target) &&
                     target.exists && source.exists &&
                     (target.modified.sec > source.modified.sec ||
                      (target.modified.sec == source.modified.sec &&
                       target.modified.nsec >= source.modified.nsec)))) {
            trace("kept " + op.target + ": not older than " + op.source);
            continue;
        }
        fs::CopyOptions options;
        options.replace = true;
        options.durable = true;
        if (!fs::createDirectories(folder, 0755, &error) ||
            !fs::copyFile(op.source, op.target, options, &error)) {
            trace("cannot copy " + op.source + " to " + op.target + ": " + std::strerror(error));
            if (callback.copyFailed(op.target, error) == QueueCallback::Answer::Abort) {
                return fail(op.line, "cannot copy " + op.source + " to " + op.target + ": " +
                                         std::strerror(error));
            }
            continue;
        }
        trace("copied " + op.source + " to " + op.target);
    }
    for (const FileOp& op : queue) {
        if (op.kind != FileOp::Kind::Link) {
            continue;
        }
        callback.progress(done++, total, op.target);
        int error = 0;
        if (!fs::createDirectories(fs::parentPath(op.target), 0755, &error) ||
            !placeLink(op.source, op.target, error)) {
            const std::string why = error == EEXIST
                                        ? std::string("a file that is not a link is there")
                                        : std::string(std::strerror(error));
            trace("cannot make the link " + op.target + ": " + why);
            if (callback.copyFailed(op.target, error) == QueueCallback::Answer::Abort) {
                return fail(op.line, "cannot make the link " + op.target + ": " + why);
            }
            continue;
        }
        trace("linked " + op.target + " to " + op.source);
    }
    callback.progress(total, total, std::string());
    return true;
}

bool ScriptInstaller::planRegistryLine(const InfScript::Line& line, bool add, RegistryPlan& plan) {
    if (line.hasKey || line.fields.size() < 2) {
        return fail(line.number, "a registry line must read \"root,subkey,...\"");
    }
    RegistryOp op{
        RegistryOp::Kind::Set, nullptr, RegistryStore::Scope::User, "", "", "", line.number};
    if (!rootOf(line.fields[0], op.root)) {
        return fail(line.number, "unsupported registry root " + line.fields[0]);
    }
    op.scope = op.root != HKEY_CURRENT_USER && m_places.isSystem() ? RegistryStore::Scope::System
                                                                   : RegistryStore::Scope::User;
    if (!expand(line.fields[1], line.number, op.subkey)) {
        return false;
    }
    if (op.subkey.empty()) {
        return fail(line.number, "no subkey");
    }
    if (line.fields.size() > 2 && !expand(line.fields[2], line.number, op.name)) {
        return false;
    }
    if (!add) {
        op.kind =
            line.fields.size() > 2 ? RegistryOp::Kind::DeleteValue : RegistryOp::Kind::DeleteKey;
        plan.deletes.push_back(op);
        return true;
    }
    unsigned long flags = 0;
    if (line.fields.size() < 3) {
        return fail(line.number, "a key without a value is not supported");
    }
    if (!parseNumber(field(line, 3), flags) || (flags & ~kAddRegNoClobber) != 0) {
        return fail(line.number, "unsupported registry flags " + field(line, 3));
    }
    if (line.fields.size() > 5) {
        return fail(line.number, "too many fields (a string value has one)");
    }
    if (!expand(field(line, 4), line.number, op.data)) {
        return false;
    }
    op.kind = flags & kAddRegNoClobber ? RegistryOp::Kind::SetIfMissing : RegistryOp::Kind::Set;
    plan.adds.push_back(op);
    return true;
}

bool ScriptInstaller::planRegistry(const std::string& section, RegistryPlan& plan) {
    std::vector<std::pair<const InfScript::Line*, std::string>> named;
    if (!sectionsOf(section, {"ThunarActions", "DelReg", "AddReg"}, named)) {
        return false;
    }
    for (const auto& [directive, name] : named) {
        const InfScript::Section* listed = m_script.section(name);
        if (equalNoCase(directive->key, "ThunarActions")) {
            std::string folder;
            if (!folderOf(name, directive->number, folder)) {
                return false;
            }
            for (const InfScript::Line& line : listed->lines) {
                ThunarOp op{folder.empty() ? folder : folder + "/" + kUcaFile, "", {}, line.number};
                if (line.hasKey && equalNoCase(line.key, "Merge") && line.fields.size() == 1 &&
                    isRelativeBelow(line.fields[0])) {
                    op.fragment = m_source + "/" + line.fields[0];
                } else if (line.hasKey && equalNoCase(line.key, "Remove") &&
                           line.fields.size() == 1 && !line.fields[0].empty()) {
                    op.ids.push_back(line.fields[0]);
                } else {
                    return fail(line.number,
                                "Thunar's actions are named by \"Merge=file\" or \"Remove=id\"");
                }
                if (!folder.empty()) {
                    plan.thunar.push_back(op);
                }
            }
            continue;
        }
        const bool add = equalNoCase(directive->key, "AddReg");
        for (const InfScript::Line& line : listed->lines) {
            if (!planRegistryLine(line, add, plan)) {
                return false;
            }
        }
    }
    return true;
}

bool ScriptInstaller::checkRegistry(const std::string& section) {
    RegistryPlan plan;
    if (!planRegistry(section, plan)) {
        return false;
    }
    for (const ThunarOp& op : plan.thunar) {
        if (!op.fragment.empty() && !fs::isRegularFile(op.fragment)) {
            return fail(op.line, "the file " + op.fragment + " is missing");
        }
    }
    return true;
}

bool ScriptInstaller::applyThunar(const ThunarOp& op) {
    std::string existing;
    const bool present = fs::readWholeFile(op.file, existing);
    if (!present && errno != ENOENT) {
        return fail(op.line, "cannot read " + op.file + ": " + std::strerror(errno));
    }
    std::string updated;
    if (op.fragment.empty()) {
        if (!present) {
            return true;
        }
        updated = removeActions(existing, op.ids);
    } else {
        std::string fragment;
        if (!fs::readWholeFile(op.fragment, fragment)) {
            return fail(op.line, "cannot read " + op.fragment + ": " + std::strerror(errno));
        }
        // A user without a file of their own has the system's actions: they
        // stay when ours are added.
        if (!present && !m_places.isSystem()) {
            const std::string dirs = Places::systemConfigFolders();
            size_t start = 0;
            while (start <= dirs.size()) {
                size_t end = dirs.find(':', start);
                end = end == std::string::npos ? dirs.size() : end;
                const std::string folder = dirs.substr(start, end - start);
                if (!folder.empty() && folder.front() == '/' &&
                    fs::readWholeFile(folder + "/Thunar/" + kUcaFile, existing)) {
                    break;
                }
                existing.clear();
                start = end + 1;
            }
        }
        std::string why;
        if (!mergeActions(existing, fragment, updated, why)) {
            return fail(op.line, op.file + ": " + why + "; it is left as it is");
        }
    }
    if (present && updated == existing) {
        return true;
    }
    struct stat st;
    const unsigned mode = stat(op.file.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    if (!fs::makeFolders(fs::parentPath(op.file), 0755) ||
        !fs::writeFileAtomically(op.file, updated, mode)) {
        return fail(op.line, "cannot write " + op.file + ": " + std::strerror(errno));
    }
    trace(
        (op.fragment.empty() ? "took ZEBDOC's actions out of " : "merged ZEBDOC's actions into ") +
        op.file);
    return true;
}

bool ScriptInstaller::installRegistry(const std::string& section) {
    RegistryPlan plan;
    if (!planRegistry(section, plan)) {
        return false;
    }
    for (const ThunarOp& op : plan.thunar) {
        if (!applyThunar(op)) {
            return false;
        }
    }
    // Deleting what is not there is no failure.
    for (const RegistryOp& op : plan.deletes) {
        const bool done = op.kind == RegistryOp::Kind::DeleteKey
                              ? RegistryStore::deleteKey(op.root, op.subkey, op.scope)
                              : RegistryStore::deleteValue(op.root, op.subkey, op.name, op.scope);
        trace(std::string(done ? "deleted" : "found no") + " registry " +
              (op.kind == RegistryOp::Kind::DeleteKey ? "key " : "value " + op.name + " of ") +
              RegistryStore::rootName(op.root) + "\\" + op.subkey);
    }
    for (const RegistryOp& op : plan.adds) {
        std::string present;
        if (op.kind == RegistryOp::Kind::SetIfMissing &&
            RegistryStore::getString(op.root, op.subkey, op.name, present)) {
            continue;
        }
        if (!RegistryStore::setString(op.root, op.subkey, op.name, op.data, op.scope)) {
            return fail(op.line, "cannot write the registry value \"" + op.name + "\" of " +
                                     RegistryStore::rootName(op.root) + "\\" + op.subkey + " to " +
                                     RegistryStore::writePath(op.scope));
        }
        trace("set registry value \"" + op.name + "\" of " + RegistryStore::rootName(op.root) +
              "\\" + op.subkey + " in " + RegistryStore::writePath(op.scope));
    }
    return true;
}

}  // namespace setup
