#pragma once

// What the extension's tests share: the extension's library loaded the way
// the host loads it, the handler made through its class object, a menu and
// a data object from the host's side, prompts that answer instead of a
// person, and the trace the module writes.

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/UID.h"
#include "shellext/ComAbi.h"
#include "shellext/Prompts.h"
#include "shellext/host/HostObjects.h"
#include "shellext/host/ServerModule.h"
#include "tests/core/ItemTestSupport.h"
#include "tests/support/BackendTest.h"

namespace zebtest {

// The library of this build.
inline std::string zebuiLibrary() {
    return ZEBDOC_BINARY_DIR "/lib/libzebui.so";
}

// The lines of the module's trace file (each with its "\r\n").
inline std::vector<std::string> traceLines(const std::string& file) {
    std::vector<std::string> lines;
    const std::string text = readFile(file);
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        const size_t stop = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(start, stop - start));
        start = stop;
    }
    return lines;
}

struct Prompted {
    std::string kind;  // "message" or "pick"
    std::string text;
    std::string caption;
    unsigned style = 0;
};

// Answers instead of a person and notes what was asked, in order.
class RecordingPrompts : public ShellPrompts {
public:
    int messageBox(HWND, const std::string& text, const std::string& caption,
                   unsigned style) override {
        asked.push_back({"message", text, caption, style});
        return next(IDOK);
    }
    int pickRevision(HWND, const UID& file, UID& revision) override {
        char text[64];
        file.toString(text, sizeof text);
        asked.push_back({"pick", text, "", 0});
        if (onPick) {
            return onPick(file, revision);
        }
        return 2;
    }
    std::vector<std::string> messages() const {
        std::vector<std::string> out;
        for (const Prompted& p : asked) {
            out.push_back(p.kind == "message" ? p.text : "<pick>");
        }
        return out;
    }

    std::deque<int> answers;  // for message boxes; then IDOK
    std::vector<Prompted> asked;
    std::function<int(const UID& file, UID& revision)> onPick;

private:
    int next(int otherwise) {
        if (answers.empty()) {
            return otherwise;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

// The library loaded through the host's loader, with its entry points and,
// while it lives, the recording prompts in place of the real ones.
class LoadedExtension {
public:
    LoadedExtension() {
        std::string error;
        EXPECT_TRUE(m_module.load(zebuiLibrary(), error)) << error;
    }
    ~LoadedExtension() { releasePrompts(); }
    LoadedExtension(const LoadedExtension&) = delete;
    LoadedExtension& operator=(const LoadedExtension&) = delete;

    void usePrompts(ShellPrompts* prompts) {
        auto* set = setter();
        ASSERT_NE(set, nullptr) << "the library has no prompts seam (a test build has)";
        set(prompts);
        m_promptsSet = prompts != nullptr;
    }
    void releasePrompts() {
        if (m_promptsSet && m_module.loaded()) {
            setter()(nullptr);
            m_promptsSet = false;
        }
    }

    HRESULT getClassObject(REFCLSID clsid, REFIID riid, void** object) {
        return m_module.getClassObject()(clsid, riid, object);
    }
    HRESULT canUnloadNow() { return m_module.canUnloadNow()(); }
    ServerModule& module() { return m_module; }

    // A handler made through the class object (the factory released again),
    // asked for `riid`; null on failure.
    template <typename Interface>
    Interface* makeHandler(REFIID riid) {
        IClassFactory* factory = nullptr;
        if (FAILED(getClassObject(CLSID_ZEBShellExt, IID_IClassFactory,
                                  reinterpret_cast<void**>(&factory)))) {
            return nullptr;
        }
        void* object = nullptr;
        factory->CreateInstance(nullptr, riid, &object);
        factory->Release();
        return static_cast<Interface*>(object);
    }

private:
    using Setter = ShellPrompts* (*)(ShellPrompts*);
    Setter setter() {
        return reinterpret_cast<Setter>(m_module.symbol("ZebuiSetPromptsForTesting"));
    }

    ServerModule m_module;
    bool m_promptsSet = false;
};

// A handler initialised with `files`, as both of its faces.
struct Handler {
    IShellExtInit* init = nullptr;
    IContextMenu* menu = nullptr;

    Handler(LoadedExtension& extension, const std::vector<std::string>& files) {
        init = extension.makeHandler<IShellExtInit>(IID_IShellExtInit);
        if (init == nullptr) {
            ADD_FAILURE() << "no handler";
            return;
        }
        auto* data = new HostDataObject(files);
        init->Initialize(nullptr, data, nullptr);
        data->Release();
        init->QueryInterface(IID_IContextMenu, reinterpret_cast<void**>(&menu));
    }
    ~Handler() {
        if (menu != nullptr) {
            menu->Release();
        }
        if (init != nullptr) {
            init->Release();
        }
    }
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;

    // Runs the item at `offset` (0 add, 1 get) as the host does.
    HRESULT invoke(UINT offset) {
        CMINVOKECOMMANDINFO info = {};
        info.cbSize = sizeof info;
        info.lpVerb = MAKEINTRESOURCEA(offset);
        return menu->InvokeCommand(&info);
    }
};

// A program of the build run as a child process (output and errors into one
// file), killed if it outlives the wait or the object.
class ChildProgram {
public:
    ChildProgram(const std::vector<std::string>& argv, const std::string& cwd,
                 const std::string& output);
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    // The exit status, or -1 after `seconds` (then it is killed) or a signal.
    int wait(int seconds = 60);
    std::string output() const { return readFile(m_output); }

private:
    pid_t m_pid = -1;
    std::string m_output;
};

// zebui-host of this build with `arguments`, run in `cwd` to its end.
struct HostRun {
    int status = -1;
    std::string output;
};
HostRun runHost(const std::vector<std::string>& arguments, const std::string& cwd,
                const std::string& workDir);

// A repository on both data sources, and what it holds as one line per
// revision: "PATH|VERSION|NAME|NOTES", by path and version.
class ShellItemTest : public ItemTest {
protected:
    std::vector<std::string> versions() {
        std::vector<std::string> lines;
        for (const Row& row :
             rawQuery("SELECT f.FilePath, r.REVVER, r.REVNAME, r.REVNOTES FROM FILETABLE f, "
                      "REVTABLE r WHERE r.MASTERUID = f.UID ORDER BY f.FilePath, r.REVVER")) {
            std::string line;
            for (const auto& cell : row) {
                line += (line.empty() ? "" : "|") + cell.value_or("<null>");
            }
            lines.push_back(line);
        }
        return lines;
    }
};

}  // namespace zebtest
