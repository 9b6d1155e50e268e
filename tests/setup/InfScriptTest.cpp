// Reading installation scripts: sections, keys and fields, and the lines
// that are refused with their line numbers.

#include "setup/script/InfScript.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using setup::InfScript;
using setup::ScriptError;

namespace {

const std::string kVersion = "[Version]\nSignature=\"$Chicago$\"\n";

TEST(InfScript, SectionsKeysAndFields) {
    const std::string text = kVersion +
                             "; a comment\n"
                             "[Files]\r\n"
                             "  plain , spaced  name ,\"quoted, with comma\",\"say \"\"hi\"\"\"\n"
                             "Key = a,b ; the rest is a comment\n"
                             "semi=\"x;y\",\"\"\n"
                             "joined = one,\\\n"
                             "          two\n"
                             "[files]\n"
                             "more\n"
                             "[Empty]\n";
    InfScript script;
    ScriptError error;
    ASSERT_TRUE(InfScript::parse(text, "t.inf", script, error)) << error.text();
    const InfScript::Section* files = script.section("FILES");
    ASSERT_NE(files, nullptr);
    EXPECT_EQ(files->name, "Files");
    EXPECT_EQ(files->line, 4);
    ASSERT_EQ(files->lines.size(), 5u) << "a section named twice is one";
    const struct {
        int number;
        bool hasKey;
        std::string key;
        std::vector<std::string> fields;
    } expected[] = {
        {5, false, "", {"plain", "spaced  name", "quoted, with comma", "say \"hi\""}},
        {6, true, "Key", {"a", "b"}},
        {7, true, "semi", {"x;y", ""}},
        {8, true, "joined", {"one", "two"}},
        {11, false, "", {"more"}},
    };
    for (size_t i = 0; i < files->lines.size(); ++i) {
        const InfScript::Line& line = files->lines[i];
        EXPECT_EQ(line.number, expected[i].number) << i;
        EXPECT_EQ(line.hasKey, expected[i].hasKey) << i;
        EXPECT_EQ(line.key, expected[i].key) << i;
        EXPECT_EQ(line.fields, expected[i].fields) << i;
    }
    ASSERT_NE(script.section("empty"), nullptr);
    EXPECT_TRUE(script.section("empty")->lines.empty());
    EXPECT_EQ(script.section("Missing"), nullptr);
}

TEST(InfScript, BadScriptsAreRefusedWithTheirLine) {
    const struct {
        std::string text;
        int line;
        const char* message;
    } cases[] = {
        {"x=1\n" + kVersion, 1, "outside any section"},
        {kVersion + "[Open\n", 3, "section header"},
        {kVersion + "[]\n", 3, "section header"},
        {kVersion + "[S]\na,\"b\n", 4, "quote is not closed"},
        {kVersion + "[S]\n=value\n", 4, "key"},
        {kVersion + "[S]\na b,c = d\n", 4, "key"},
        {"[Other]\nx=1\n", 0, "no [Version]"},
        {"[Version]\nProvider=x\n", 1, "no Signature"},
        {"[Version]\n\nSignature=$Windows 95$\n", 3, "Signature must be"},
        {kVersion + "[S]\n" + std::string("a\0b", 3) + "\n", 4, "zero byte"},
    };
    for (const auto& c : cases) {
        InfScript script;
        ScriptError error;
        EXPECT_FALSE(InfScript::parse(c.text, "bad.inf", script, error)) << c.text;
        EXPECT_EQ(error.line, c.line) << c.text;
        EXPECT_NE(error.message.find(c.message), std::string::npos) << error.message;
        EXPECT_EQ(error.file, "bad.inf");
    }
    ScriptError error{"zebdoc.inf", 12, "unknown directory id 65650"};
    EXPECT_EQ(error.text(), "zebdoc.inf, line 12: unknown directory id 65650");
}

TEST(InfScript, SignaturesAndAFileThatCannotBeRead) {
    for (const char* signature : {"\"$Chicago$\"", "$CHICAGO$", "\"$Windows NT$\""}) {
        InfScript script;
        ScriptError error;
        EXPECT_TRUE(InfScript::parse(std::string("[version]\nsignature=") + signature + "\n", "s",
                                     script, error))
            << signature << ": " << error.text();
    }
    InfScript script;
    ScriptError error;
    EXPECT_FALSE(InfScript::load("/nonexistent/zebdoc.inf", script, error));
    EXPECT_NE(error.text().find("/nonexistent/zebdoc.inf: cannot read it"), std::string::npos)
        << error.text();
}

}  // namespace
