#pragma once

#include <string>
#include <vector>

#include "platform/RegistryStore.h"
#include "setup/model/Places.h"
#include "setup/script/InfScript.h"

namespace setup {

// Answers the questions of a commit, and hears of its progress.
class QueueCallback {
public:
    enum class Answer { Skip, Abort };
    virtual ~QueueCallback() = default;
    virtual void progress(size_t done, size_t total, const std::string& target) {
        (void)done;
        (void)total;
        (void)target;
    }
    // A file that could not be deleted.
    virtual Answer deleteFailed(const std::string& path, int error) = 0;
    // A file that could not be copied, or a link that could not be made.
    virtual Answer copyFailed(const std::string& path, int error) = 0;
};

// The interpreter of the installation script: the subset setup uses.
//
// Directory ids: 65600 is the destination (setDestination), 65601 to 65612
// the places of Places.h for this scope; [DestinationDirs] gives each file
// section its folder as "id[,subfolder]" (DefaultDestDir for sections it
// does not name). A section whose id has no place in this scope is passed
// over. In values, %id% stands for an id's folder and %% for "%".
//
// Install sections, file step (queueFiles, then commitQueue):
//   CopyFiles=sections    lines "name[,source[,,flags]]": the file `source`
//                         (relative to the setup program's folder; default
//                         `name`) is copied to the section's folder as
//                         `name`, keeping its mode bits, only when it is
//                         newer than a file of that name there
//   DelFiles=sections     lines "name": deleted from the section's folder;
//                         a file that cannot be deleted is the callback's
//                         to skip
//   SymLinks=sections     lines "name,target": a symbolic link `name` in the
//                         section's folder to `target` (an existing link is
//                         replaced; any other file there is left alone and
//                         fails the commit)
//   DelSymLinks=sections  lines "name,target": such a link is removed, if it
//                         is one and leads to `target`
// The commit deletes first, then copies, then links; the folders below the
// destination that deletes leave empty go too.
//
// Install sections, registry step (installRegistry), in this order:
//   ThunarActions=sections  lines "Merge=fragment" (Thunar's custom actions
//                         of that file, relative to the setup program's
//                         folder, go into uca.xml in the section's folder,
//                         replacing those with the same ids) and
//                         "Remove=unique-id" (an id, or a prefix ending in
//                         "*", taken out of it)
//   DelReg=sections       lines "root,subkey[,value]": the value, or without
//                         one the key with everything below it
//   AddReg=sections       lines "root,subkey,value,flags,data": a string
//                         value (flags 0; 0x2 keeps a value that is there)
// Roots HKCR, HKLM (the system's registry file in a system install) and
// HKCU (always the user's).
//
// Anything else (an unknown section, directive, id or flag, a bad line) is
// an error naming the script's line.
class ScriptInstaller {
public:
    ScriptInstaller(const InfScript& script, const std::string& sourceFolder, const Places& places);

    // Directory id 65600; false for a folder that is not absolute.
    bool setDestination(const std::string& folder);

    // Everything the file step, or the registry step, of `section` would
    // do can be done: its lines are understood, its sections and ids exist
    // and the files to copy are there. Changes nothing.
    bool checkFiles(const std::string& section);
    bool checkRegistry(const std::string& section);

    bool queueFiles(const std::string& section);
    // Carries out and empties the queue; false when it stopped.
    bool commitQueue(QueueCallback& callback);
    bool installRegistry(const std::string& section);

    // The latest error.
    const ScriptError& error() const { return m_error; }

private:
    struct FileOp {
        enum class Kind { Delete, Unlink, Copy, Link } kind;
        std::string source;  // Copy: the file; Link, Unlink: the link's target
        std::string target;
        int line;
    };
    struct RegistryOp {
        enum class Kind { Set, SetIfMissing, DeleteValue, DeleteKey } kind;
        HKEY root;
        zeb::platform::RegistryStore::Scope scope;
        std::string subkey;
        std::string name;
        std::string data;
        int line;
    };
    struct ThunarOp {
        std::string file;      // uca.xml
        std::string fragment;  // Merge: the actions' file; empty for Remove
        std::vector<std::string> ids;
        int line;
    };
    struct RegistryPlan {
        std::vector<ThunarOp> thunar;
        std::vector<RegistryOp> deletes;
        std::vector<RegistryOp> adds;
    };

    bool fail(int line, const std::string& message);
    bool checkDestinationDirs();
    // The directive lines of an install section for `directives`, with the
    // sections they name.
    bool sectionsOf(const std::string& installSection, const std::vector<std::string>& directives,
                    std::vector<std::pair<const InfScript::Line*, std::string>>& out);
    bool folderOf(const std::string& section, int line, std::string& folder);
    bool expand(const std::string& text, int line, std::string& out);
    bool idFolder(int id, std::string& folder) const;
    bool planFiles(const std::string& section, bool checking, std::vector<FileOp>& ops);
    bool planRegistry(const std::string& section, RegistryPlan& plan);
    bool planRegistryLine(const InfScript::Line& line, bool add, RegistryPlan& plan);
    bool applyThunar(const ThunarOp& op);

    const InfScript& m_script;
    std::string m_source;
    Places m_places;
    std::string m_destination;
    std::vector<FileOp> m_queue;
    ScriptError m_error;
};

}  // namespace setup
