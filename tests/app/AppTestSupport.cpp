#include "tests/app/AppTestSupport.h"

#include <sys/stat.h>

#include "core/Registry.h"
#include "platform/RegistryStore.h"

namespace zebtest {

void setTextApplication(const std::string& name, const std::string& program) {
    const std::string data = std::getenv("XDG_DATA_HOME");
    const std::string config = std::getenv("XDG_CONFIG_HOME");
    writeFile(data + "/applications/" + name + ".desktop",
              "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + program +
                  " %f\nMimeType=text/plain;\n");
    writeFile(config + "/mimeapps.list",
              "[Default Applications]\ntext/plain=" + name + ".desktop\n");
}

void MainWindowTest::SetUp() {
    const char* tmp = std::getenv("TMPDIR");
    m_registry = std::string(tmp && *tmp ? tmp : "/tmp") + "/zebdoc-mainwindow-" +
                 std::to_string(::getpid()) + ".reg";
    ::setenv("ZEBDOC_REGISTRY", m_registry.c_str(), 1);
    writeRegistry();
    setPaneMakers(
        [this](wxWindow* main) { return new RecordingPane(main, "browse", journal, ++m_made); },
        [this](wxWindow* main) { return new RecordingPane(main, "search", journal, ++m_made); });
    window = startUp();
    ASSERT_NE(window, nullptr);
    pumpUntil([this] { return window->IsShownOnScreen(); });
    pumpFor(100);
}

void MainWindowTest::TearDown() {
    if (window && !m_windowGone) {
        window->Destroy();
        pumpFor(50);
    }
    setPaneMakers(nullptr, nullptr);
    ::unlink(m_registry.c_str());
}

void MainWindowTest::writeRegistry() {
    zeb::platform::RegistryStore::setString(HKEY_LOCAL_MACHINE, ZEBDOC_USERINFO_KEY,
                                            "DestinationPath", installDir());
}

bool MainWindowTest::withKeyboard(const std::function<bool()>& attempt) {
    for (int i = 0; i < 3; ++i) {
        if (!window->IsActive()) {
            window->Raise();
        }
        if (pumpUntil([this] { return window->IsActive(); }, 2000) && attempt()) {
            return true;
        }
    }
    return false;
}

bool MainWindowTest::fromField(const std::function<bool()>& then) {
    return withKeyboard([&] {
        wxWindow* field = pane()->field();
        field->SetFocus();
        return pumpUntil([&] { return wxWindow::FindFocus() == field; }, 1000) && then();
    });
}

IZEB* ListWalk::nextSelected(bool dropping) {
    droppingSeen.push_back(dropping);
    if (m_next >= m_entries.size()) {
        return nullptr;
    }
    const Entry& e = m_entries[m_next++];
    UID file;
    file = e.file.c_str();
    if (e.revision.empty()) {
        return context.resolveVersionedFile(file);
    }
    UID revision;
    revision = e.revision.c_str();
    return context.resolveRevision(file, revision);
}

void RepositoryTest::SetUp() {
    BackendTest::SetUp();
    if (!IsSkipped() && !HasFatalFailure()) {
        createTables();
    }
}

void RepositoryTest::TearDown() {
    if (window) {
        window->Destroy();
        pumpFor(50);
        window = nullptr;
    }
    setPaneMakers(nullptr, nullptr);
    BackendTest::TearDown();
}

std::string RepositoryTest::workFile(const std::string& relative, const std::string& bytes) {
    const std::string path = workDir() + "/work/" + relative;
    writeFile(path, bytes);
    return path;
}

std::string RepositoryTest::versionFile(const std::string& path, const std::string& name,
                                        const std::string& note) {
    VersionedFile file(name.c_str(), note.c_str(), path.c_str());
    EXPECT_TRUE(file.save()) << path;
    return uidOf(path);
}

std::string RepositoryTest::addRevision(const std::string& fileUid, const std::string& name,
                                        const std::string& note) {
    UID uid;
    uid = fileUid.c_str();
    VersionedFile file(uid);
    RevisionFile revision(name.c_str(), note.c_str(), &file);
    EXPECT_TRUE(revision.save());
    char text[1024] = "";
    revision.getUID(text, sizeof text);
    return text;
}

std::string RepositoryTest::uidOf(const std::string& path) {
    UID uid;
    if (!VersionedFile::isFileVersioned(path.c_str(), uid)) {
        return std::string();
    }
    char text[1024] = "";
    uid.toString(text, sizeof text);
    return text;
}

std::vector<std::string> RepositoryTest::revisionsOf(const std::string& fileUid) {
    std::vector<std::string> out;
    for (const Row& row :
         rawQuery("SELECT UID FROM REVTABLE WHERE MASTERUID = '" + fileUid + "' ORDER BY REVVER")) {
        out.push_back(row[0].value_or(""));
    }
    return out;
}

void RepositoryTest::startWindow(PaneMaker browse, PaneMaker search) {
    setPaneMakers(std::move(browse), std::move(search));
    window = startUp();
    ASSERT_NE(window, nullptr);
    pumpUntil([this] { return window->IsShownOnScreen(); });
}

}  // namespace zebtest
