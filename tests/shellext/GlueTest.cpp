// The file managers' glue: every file, read back the way its file manager
// reads it (GLib's key files and command-line parser, as Nemo and Thunar
// use them; the shell for the scripts), must start the host named by its
// full path with the selected files intact; Thunar's uca.xml keeps the
// user's other actions.

#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "shellext/clients/Glue.h"
#include "tests/shellext/ShellextTestSupport.h"

namespace zebtest {
namespace {

using Texts = std::vector<std::string>;
using glue::Verb;

const Texts kHosts = {"/opt/zebdoc/bin/zebui-host",
                      "/home/ann marie/it's $HOME;`x` \\ \"q\"/zebui-host"};
const Texts kFiles = {"/docs/a b'c$d;e.txt", "/docs/\"quoted\" `tick` \\back.odt"};

// The command line as the file manager runs it: %F replaced by the quoted
// paths, then split as a shell would.
Texts runCommand(const std::string& exec) {
    std::string quoted;
    for (const std::string& file : kFiles) {
        gchar* q = g_shell_quote(file.c_str());
        quoted += std::string(quoted.empty() ? "" : " ") + q;
        g_free(q);
    }
    std::string line = exec;
    const size_t at = line.find("%F");
    EXPECT_NE(at, std::string::npos) << exec;
    if (at != std::string::npos) {
        line.replace(at, 2, quoted);
    }
    gchar** argv = nullptr;
    GError* error = nullptr;
    Texts out;
    if (!g_shell_parse_argv(line.c_str(), nullptr, &argv, &error)) {
        ADD_FAILURE() << error->message << ": " << line;
        g_error_free(error);
        return out;
    }
    for (gchar** a = argv; *a != nullptr; ++a) {
        out.push_back(*a);
    }
    g_strfreev(argv);
    return out;
}

// A key of a key file, as GLib reads it (escapes undone).
std::string keyOf(const std::string& text, const char* group, const char* key) {
    GKeyFile* file = g_key_file_new();
    GError* error = nullptr;
    std::string value;
    if (!g_key_file_load_from_data(file, text.c_str(), text.size(), G_KEY_FILE_NONE, &error)) {
        ADD_FAILURE() << error->message;
        g_error_free(error);
    } else if (gchar* v = g_key_file_get_string(file, group, key, &error)) {
        value = v;
        g_free(v);
    } else {
        ADD_FAILURE() << error->message;
        g_error_free(error);
    }
    g_key_file_free(file);
    return value;
}

std::string between(const std::string& text, const std::string& open, const std::string& close,
                    size_t from = 0) {
    const size_t begin = text.find(open, from);
    const size_t end = text.find(close, begin);
    return begin == std::string::npos || end == std::string::npos
               ? std::string()
               : text.substr(begin + open.size(), end - begin - open.size());
}

std::string xmlText(const std::string& escaped) {
    // The five entities are all the glue writes.
    std::string out = escaped;
    for (const auto& [entity, c] : std::vector<std::pair<std::string, std::string>>{
             {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}}) {
        for (size_t at; (at = out.find(entity)) != std::string::npos;) {
            out.replace(at, entity.size(), c);
        }
    }
    return out;
}

struct FileManagerCase {
    const char* name;
    std::function<std::string(Verb, const std::string& host)> exec;
    std::function<std::string(Verb, const std::string& host)> label;
    Texts labels;
};

const FileManagerCase kCases[] = {
    {"Nemo",
     [](Verb v, const std::string& h) {
         return keyOf(glue::nemoAction(v, h), "Nemo Action", "Exec");
     },
     [](Verb v, const std::string& h) {
         return keyOf(glue::nemoAction(v, h), "Nemo Action", "Name");
     },
     {"_Add new version", "_Get from archived version"}},
    {"Dolphin",
     [](Verb v, const std::string& h) {
         return keyOf(glue::dolphinServiceMenu(h),
                      v == Verb::Add ? "Desktop Action zebdocAdd" : "Desktop Action zebdocGet",
                      "Exec");
     },
     [](Verb v, const std::string& h) {
         return keyOf(glue::dolphinServiceMenu(h),
                      v == Verb::Add ? "Desktop Action zebdocAdd" : "Desktop Action zebdocGet",
                      "Name");
     },
     {"&Add new version", "&Get from archived version"}},
    {"Thunar",
     [](Verb v, const std::string& h) {
         const std::string xml = glue::thunarActions(h);
         return xmlText(
             between(xml, "<command>", "</command>", v == Verb::Add ? 0 : xml.find("</action>")));
     },
     [](Verb v, const std::string& h) {
         const std::string xml = glue::thunarActions(h);
         return xmlText(
             between(xml, "<name>", "</name>", v == Verb::Add ? 0 : xml.find("</action>")));
     },
     {"_Add new version", "_Get from archived version"}},
};

class GlueCommandTest : public ::testing::TestWithParam<FileManagerCase> {};

TEST_P(GlueCommandTest, StartsTheHostByItsFullPathWithTheFilesIntact) {
    const FileManagerCase& c = GetParam();
    for (const std::string& host : kHosts) {
        SCOPED_TRACE(host);
        EXPECT_EQ(runCommand(c.exec(Verb::Add, host)), (Texts{host, "add", kFiles[0], kFiles[1]}));
        EXPECT_EQ(runCommand(c.exec(Verb::Get, host)), (Texts{host, "get", kFiles[0], kFiles[1]}));
        EXPECT_EQ((Texts{c.label(Verb::Add, host), c.label(Verb::Get, host)}), c.labels);
    }
}

INSTANTIATE_TEST_SUITE_P(FileManagers, GlueCommandTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<FileManagerCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(GlueScripts, AScriptPassesTheBareNamesOnAndTheHostMakesThemFull) {
    TempDir dir;
    // A stand-in for the host at an awkward path: it writes its arguments
    // and its current folder.
    const std::string host = dir.path() + "/it's $x;`y`/zebui-host";
    writeFile(host,
              "#!/bin/sh\npwd > \"$0.out\"\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> "
              "\"$0.out\"; done\n");
    ASSERT_EQ(chmod(host.c_str(), 0755), 0);
    const std::string script = dir.path() + "/" + glue::scriptName(Verb::Add);
    EXPECT_EQ(glue::scriptName(Verb::Add), "Add new version");
    EXPECT_EQ(glue::scriptName(Verb::Get), "Get from archived version");
    writeFile(script, glue::script(Verb::Add, host));
    ASSERT_EQ(chmod(script.c_str(), 0755), 0);
    std::filesystem::create_directories(dir.path() + "/docs");
    ChildProgram child({script, "a b'c$d;e.txt", "-n"}, dir.path() + "/docs",
                       dir.path() + "/output");
    EXPECT_EQ(child.wait(), 0) << child.output();
    EXPECT_EQ(readFile(host + ".out"), dir.path() + "/docs\nadd\na b'c$d;e.txt\n-n\n");
}

const char* const kSystemUca =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n<action>\n"
    "\t<icon>utilities-terminal</icon>\n\t<name>Open Terminal Here</name>\n"
    "\t<unique-id>1-1</unique-id>\n\t<command>exo-open --working-directory %f</command>\n"
    "\t<directories/>\n</action>\n</actions>\n";

TEST(GlueThunar, OurActionsAreMergedOnceAndRemovedWithoutTouchingTheOthers) {
    const std::string merged = glue::mergeThunarActions(kSystemUca, kHosts[0]);
    EXPECT_NE(merged.find("Open Terminal Here"), std::string::npos);
    EXPECT_EQ(glue::mergeThunarActions(merged, kHosts[1]),
              glue::mergeThunarActions(kSystemUca, kHosts[1]));
    EXPECT_EQ(glue::removeThunarActions(merged), kSystemUca);
    EXPECT_EQ(glue::removeThunarActions(kSystemUca), kSystemUca);
    const std::string fresh = glue::mergeThunarActions("", kHosts[0]);
    EXPECT_EQ(fresh.rfind("<?xml", 0), 0u);
    EXPECT_EQ(glue::removeThunarActions(fresh),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<actions>\n</actions>\n");
}

TEST(GlueInstall, InstallsForTheUserAndUninstallsAgain) {
    TempDir dir;
    EnvGuard env;
    env.set("XDG_DATA_HOME", dir.path() + "/data");
    env.set("XDG_CONFIG_HOME", dir.path() + "/config");
    env.set("XDG_CONFIG_DIRS", dir.path() + "/system");
    writeFile(dir.path() + "/system/Thunar/uca.xml", kSystemUca);
    std::string error;
    EXPECT_FALSE(glue::installForUser("zebui-host", error));
    EXPECT_NE(error.find("full path"), std::string::npos);
    ASSERT_TRUE(glue::installForUser(kHosts[1], error)) << error;
    const struct {
        std::string path;
        unsigned mode;
    } expected[] = {
        {"/data/nemo/actions/zebdoc-add.nemo_action", 0644},
        {"/data/nemo/actions/zebdoc-get.nemo_action", 0644},
        {"/data/kio/servicemenus/zebdoc.desktop", 0755},
        {"/data/nautilus/scripts/Add new version", 0755},
        {"/data/nautilus/scripts/Get from archived version", 0755},
        {"/config/caja/scripts/Add new version", 0755},
        {"/config/caja/scripts/Get from archived version", 0755},
        {"/config/Thunar/uca.xml", 0644},
    };
    for (const auto& file : expected) {
        struct stat st {};
        ASSERT_EQ(stat((dir.path() + file.path).c_str(), &st), 0) << file.path;
        EXPECT_EQ(st.st_mode & 0777, file.mode) << file.path;
    }
    EXPECT_EQ(readFile(dir.path() + "/config/Thunar/uca.xml"),
              glue::mergeThunarActions(kSystemUca, kHosts[1]));
    ASSERT_TRUE(glue::uninstallForUser(error)) << error;
    for (const auto& file : expected) {
        EXPECT_EQ(pathExists(dir.path() + file.path), file.path == "/config/Thunar/uca.xml")
            << file.path;
    }
    EXPECT_EQ(readFile(dir.path() + "/config/Thunar/uca.xml"), kSystemUca);
    EXPECT_TRUE(glue::uninstallForUser(error)) << error;
}

}  // namespace
}  // namespace zebtest
