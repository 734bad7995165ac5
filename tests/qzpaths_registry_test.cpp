// qzpaths_registry_test.cpp - qzpaths registry as an administrator and a package script use
// it: set and unset in the stand-in file, each changing only its own lines and leaving the
// file whole under concurrency and interruption; list with each value's line; lint by line.
#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using json = nlohmann::json;
namespace fs = std::filesystem;

const std::string kBase = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60";

bool onWindows() { return qztest::joinSeparator() == '\\'; }

std::string bytesOf(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void write(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        exe = tree.touch(onWindows() ? "inst/bin/win64/ryndel.exe" : "inst/bin/linux64/ryndel");
        tree.mkdir("inst/qzcommon");
        file = tree.path("etc/corvan/registry.reg");
    }

    qztest::ProcessResult qzpaths(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), {"--exe", exe});
        return qztest::runProgram(QZ_QZPATHS, arguments, tree);
    }
    qztest::ProcessResult set(const std::string& name, const std::string& value,
                              std::vector<std::string> more = {}) const
    {
        std::vector<std::string> arguments{"registry", "set", name, value, "--file", file};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return qzpaths(arguments);
    }
    qztest::ProcessResult unset(const std::string& name) const
    {
        return qzpaths({"registry", "unset", name, "--file", file});
    }
    // What a lookup of the library reads for name, through qzpaths sysvar.
    json lookup(const std::string& name)
    {
        env.set("CORVAN_REGISTRY", file);
        const auto run = qzpaths({"--json", "sysvar", name});
        env.unset("CORVAN_REGISTRY");
        return json::parse(run.out)[0];
    }

    qztest::EnvGuard env;
    qztest::TempTree tree;
    std::string exe, file;
};

TEST_F(RegistryTest, SetCreatesTheFileAsRegeditWritesOneAndSysvarReadsIt)
{
    if (onWindows()) {
        const auto refused = set("CORVAN_HOME", "C:\\corvan");
        EXPECT_EQ(refused.exitCode, 2);
        EXPECT_NE(refused.err.find("reg add"), std::string::npos) << refused.err;
        return;
    }
    const auto run = set("CORVAN_HOME", "/opt/corvan");
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string expected = "Windows Registry Editor Version 5.00\r\n\r\n[" + kBase +
                                 "]\r\n\"CORVAN_HOME\"=\"/opt/corvan\"\r\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : expected)
        utf16 += std::string{c, '\0'};
    EXPECT_EQ(bytesOf(file), utf16);
    EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(fs::status(tree.path("etc/corvan")).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec | fs::perms::others_read |
                  fs::perms::others_exec);
    const json read = lookup("CORVAN_HOME");
    EXPECT_EQ(read["value"], "/opt/corvan");
    EXPECT_EQ(read["origin"], "registry");

    // Again, the same: not one byte changes.
    const auto again = set("CORVAN_HOME", "/opt/corvan");
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_NE(again.out.find("no change"), std::string::npos) << again.out;
    EXPECT_EQ(bytesOf(file), utf16);
}

TEST_F(RegistryTest, SetAndUnsetChangeOnlyTheirOwnLinesOfAnExisting8BitFile)
{
    if (onWindows())
        GTEST_SKIP() << "Windows keeps these settings in its registry";
    tree.mkdir("etc/corvan");
    const std::string before = "REGEDIT4\n"
                               "; written by hand\n"
                               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                               "\"CORVAN_HOME\"=\"not this one\"\n"
                               "\n"
                               "[" + kBase + "]\n"
                               "\"DISPLAY\"=\":0\"\n"
                               "\"CORVAN_HOME\"=hex(2):2f,00,6f,00,\\\n"
                               "  6c,00,64,00,00,00\n"
                               "; the end\n";
    write(file, before);
    ASSERT_EQ(set("CORVAN_HOME", "/opt/corvan").exitCode, 0);
    ASSERT_EQ(set("CORVAN_ARCH", "linux64").exitCode, 0);
    ASSERT_EQ(set("Display\\Background", "#d0d8e0").exitCode, 0);
    EXPECT_EQ(bytesOf(file), "REGEDIT4\n"
                             "; written by hand\n"
                             "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other]\n"
                             "\"CORVAN_HOME\"=\"not this one\"\n"
                             "\n"
                             "[" + kBase + "]\n"
                             "\"DISPLAY\"=\":0\"\n"
                             "\"CORVAN_HOME\"=\"/opt/corvan\"\n"
                             "\"CORVAN_ARCH\"=\"linux64\"\n"
                             "; the end\n"
                             "\n"
                             "[" + kBase + "\\Display]\n"
                             "\"Background\"=\"#d0d8e0\"\n");
    EXPECT_EQ(lookup("Display\\Background")["value"], "#d0d8e0");

    ASSERT_EQ(unset("CORVAN_ARCH").exitCode, 0);
    ASSERT_EQ(unset("CORVAN_HOME").exitCode, 0);
    const auto absent = unset("CORVAN_HOME");
    EXPECT_EQ(absent.exitCode, 0);
    EXPECT_NE(absent.out.find("no change"), std::string::npos);
    EXPECT_EQ(lookup("CORVAN_HOME")["origin"], "nowhere");
    EXPECT_EQ(lookup("DISPLAY")["value"], ":0");

    // list: each value with the line that sets it.
    const auto listed = qzpaths({"registry", "list", "--all", "--file", file});
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_NE(listed.out.find("  DISPLAY  REG_SZ  :0  " + file + ":7\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  Background  REG_SZ  #d0d8e0  " + file + ":11\n"), std::string::npos) << listed.out;
    const json list = json::parse(qzpaths({"--json", "registry", "list", "--file", file}).out);
    ASSERT_EQ(list["values"].size(), 1u) << list.dump();
    EXPECT_EQ(list["values"][0]["where"]["line"], 7);
}

// A value reads back byte for byte: quotes, backslashes, line ends and non-ASCII text, in
// an 8-bit file and in a UTF-16 one, up to the longest data that a lookup reads.
TEST_F(RegistryTest, ValuesReadBackByteForByteUpToTheLongestThatIsRead)
{
    if (onWindows())
        GTEST_SKIP() << "Windows keeps these settings in its registry";
    const std::string tricky = "C:\\Program Files\\\"Quazen\"\\ Café €\\\\";
    for (const bool utf16 : {true, false}) {
        fs::remove(file);
        if (!utf16) {
            tree.mkdir("etc/corvan");
            write(file, "Windows Registry Editor Version 5.00\n");
        }
        ASSERT_EQ(set("TRICKY", tricky).exitCode, 0);
        EXPECT_EQ(lookup("TRICKY")["value"], tricky);
        ASSERT_EQ(set("TRICKY", tricky, {"--type", "expand_sz"}).exitCode, 0);
        EXPECT_EQ(lookup("TRICKY")["value"], tricky);
        // 1,022 characters and a terminator are read; one more is not, and is refused.
        const std::string longest(1022, 'x');
        ASSERT_EQ(set("LONG", longest).exitCode, 0);
        EXPECT_EQ(lookup("LONG")["value"], longest);
        const std::string kept = bytesOf(file);
        const auto tooLong = set("LONG", longest + "y");
        EXPECT_EQ(tooLong.exitCode, 1);
        EXPECT_NE(tooLong.err.find("1024 bytes"), std::string::npos) << tooLong.err;
        EXPECT_EQ(bytesOf(file), kept);
    }
    ASSERT_EQ(set("COUNT", "0x10", {"--type", "dword"}).exitCode, 0);
    const auto listed = qzpaths({"registry", "list", "--file", file});
    EXPECT_NE(listed.out.find("  COUNT  REG_DWORD  0x00000010 (16)"), std::string::npos) << listed.out;
    EXPECT_EQ(set("COUNT", "sixteen", {"--type", "dword"}).exitCode, 1);
    EXPECT_EQ(set("COUNT", "1", {"--type", "qword"}).exitCode, 2);
}

TEST_F(RegistryTest, AFileThatCannotBeEditedSafelyIsRefusedAndLeftAsItWas)
{
    if (onWindows())
        GTEST_SKIP() << "Windows keeps these settings in its registry";
    tree.mkdir("etc/corvan");
    const std::string cases[] = {
        "[" + kBase + "]\n\"A\"=\"1\"\n",                                      // no header
        "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\n\"S\"=\"bad\\0\"\n[" + kBase + "]\n", // stops before
    };
    for (const std::string& bytes : cases) {
        write(file, bytes);
        const auto refused = set("CORVAN_HOME", "/opt/corvan");
        EXPECT_EQ(refused.exitCode, 1) << bytes;
        EXPECT_NE(refused.err.find("it is left as it was"), std::string::npos) << refused.err;
        EXPECT_EQ(bytesOf(file), bytes);
    }
}

TEST_F(RegistryTest, TwentyConcurrentSetsLoseNothingAndLeaveNoTemporaryFile)
{
    if (onWindows())
        GTEST_SKIP() << "Windows keeps these settings in its registry";
    std::vector<std::thread> writers;
    std::vector<int> codes(20, -1);
    for (int i = 0; i < 20; ++i)
        writers.emplace_back([&, i] { codes[i] = set("V" + std::to_string(i), std::to_string(i)).exitCode; });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(codes, std::vector<int>(20, 0));
    const json list = json::parse(qzpaths({"--json", "registry", "list", "--file", file}).out);
    EXPECT_EQ(list["values"].size(), 20u);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(tree.path("etc/corvan")))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"registry.reg"});
}

#ifdef QZ_STRACE
// A writer killed after it wrote and flushed its new file, before the rename: the old file
// is intact, and the next writer clears what the dead one left.
TEST_F(RegistryTest, AWriterKilledBeforeItsRenameLeavesTheOldFileWhole)
{
    ASSERT_EQ(set("CORVAN_HOME", "/old").exitCode, 0);
    const std::string old = bytesOf(file);
    const auto killed = qztest::runProgram(
        QZ_STRACE, {"-f", "-qq", "-o", "/dev/null", "-e", "inject=rename:signal=KILL", QZ_QZPATHS, "--exe", exe,
                    "registry", "set", "CORVAN_HOME", "/new", "--file", file},
        tree);
    EXPECT_NE(killed.exitCode, 0);
    EXPECT_EQ(bytesOf(file), old);
    EXPECT_EQ(lookup("CORVAN_HOME")["value"], "/old");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(tree.path("etc/corvan")))
        ++files;
    EXPECT_EQ(files, 2u) << "the dead writer's new file";
    ASSERT_EQ(set("CORVAN_HOME", "/new").exitCode, 0);
    EXPECT_EQ(lookup("CORVAN_HOME")["value"], "/new");
    files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(tree.path("etc/corvan")))
        ++files;
    EXPECT_EQ(files, 1u);
}
#endif

TEST_F(RegistryTest, LintNamesTheLinesThatDoNotDoWhatTheySeemTo)
{
    const std::string lint = tree.touch("lint.reg", "Windows Registry Editor Version 5.00\r\n"
                                                   "\r\n"
                                                   "[" + kBase + "]\r\n"
                                                   "\"CORVAN_HOME\"=\"/opt/a\"\r\n"
                                                   "\"CORVAN_ARCH\"=linux64\r\n"
                                                   "\"CORVAN_HOME\"=\"/opt/b\"\r\n"
                                                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n"
                                                   "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone]\r\n");
    const auto text = qzpaths({"registry", "lint", lint});
    EXPECT_EQ(text.exitCode, 1);
    EXPECT_NE(text.out.find(lint + ":5: ignored: a malformed value"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find(lint + ":6: the value \"CORVAN_HOME\" of " + kBase +
                            " is set again: this line wins over line 4"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find(lint + ":8: the key HKEY_LOCAL_MACHINE\\SOFTWARE\\Gone is deleted"), std::string::npos);
    const json report = json::parse(qzpaths({"--json", "registry", "lint", lint}).out);
    EXPECT_EQ(report["loses"], true);
    ASSERT_EQ(report["findings"].size(), 3u);
    EXPECT_EQ(report["findings"][0]["kind"], "ignored");
    EXPECT_EQ(report["findings"][2]["loses"], false);

    // Files of the corpus recorded from Wine that Wine imports whole pass.
    for (const char* clean : {"header_blanks", "header_regedit4", "header_regedit4_utf16", "header_v5_in_8bit",
                              "line_ends", "strings_utf16", "win31"}) {
        const auto run = qzpaths({"registry", "lint", std::string(QZ_REGISTRY_CORPUS) + "/" + clean + ".reg"});
        EXPECT_EQ(run.exitCode, 0) << clean << "\n" << run.out;
    }
    const auto notExport = qzpaths({"registry", "lint", std::string(QZ_REGISTRY_CORPUS) + "/header_utf8_bom.reg"});
    EXPECT_EQ(notExport.exitCode, 1);
    EXPECT_NE(notExport.out.find("is not a registry export file"), std::string::npos);
    EXPECT_EQ(qzpaths({"registry", "lint", tree.path("absent.reg")}).exitCode, 1);
}

TEST_F(RegistryTest, ListOnWindowsReadsTheRegistry)
{
    if (!onWindows())
        GTEST_SKIP() << "on Linux list reads the stand-in file (the tests above)";
    qztest::TestRegistry registry(env, tree, "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60");
    registry.setString("", "QZ_LIST_TEST", "listed");
    registry.setDword("Sub", "QZ_LIST_DWORD", 7);
    const auto listed = qzpaths({"registry", "list", "--all"});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_NE(listed.out.find("  QZ_LIST_TEST  REG_SZ  listed\n"), std::string::npos) << listed.out;
    EXPECT_NE(listed.out.find("  QZ_LIST_DWORD  REG_DWORD  0x00000007 (7)\n"), std::string::npos) << listed.out;
}

// What a value says of itself: explain, check and lint name a type that is not text, a
// %NAME% that nothing expands, the keys that are there when the wanted one is not, and on
// Windows a value that only the 32-bit view holds.
TEST_F(RegistryTest, ExplainCheckAndLintSayWhatTheValuesThemselvesSay)
{
    const std::string quazen = "SOFTWARE\\Corvan Engineering, Inc.\\Quazen";
    const auto explained = [&] { return qzpaths({"explain"}).out; };
    {
        qztest::TestRegistry registry(env, tree, quazen + "\\10.0build60");
        registry.setDword("", "CORVAN_HOME", 1);
        EXPECT_NE(explained().find("its type is REG_DWORD, not text: a lookup takes its 4 bytes as they stand"),
                  std::string::npos)
            << explained();
        EXPECT_NE(qzpaths({"check"}).out.find("WARNING: CORVAN_HOME in the registry is REG_DWORD data, not text"),
                  std::string::npos);
        registry.setString("", "CORVAN_HOME", "%SystemDrive%\\Quazen");
        EXPECT_NE(explained().find("%SystemDrive% is not expanded: the value is used as it stands"), std::string::npos);
        EXPECT_NE(qzpaths({"check"}).out.find("WARNING: CORVAN_HOME holds %SystemDrive%, which nothing expands"),
                  std::string::npos);
    }
    {
        qztest::TestRegistry registry(env, tree, quazen + "\\11.0build60");
        registry.setString("", "CORVAN_HOME", tree.path("inst"));
        const std::string text = explained();
        const std::size_t below = text.find("below HKEY_LOCAL_MACHINE\\" + quazen + ": only ");
        ASSERT_NE(below, std::string::npos) << text;
        EXPECT_NE(text.substr(below, text.find('\n', below) - below).find("11.0build60"), std::string::npos);
    }
    {
        qztest::TestRegistry registry(env, tree, quazen + "\\10.0build60");
        if (registry.setString32("", "DISPLAY", ":32")) {
            EXPECT_NE(explained().find("the 32-bit view (WOW6432Node) holds the value"), std::string::npos)
                << explained();
        }
    }
    const std::string lint = tree.touch("values.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\" + quazen +
                                                          "\\10.0build60]\n\"CORVAN_HOME\"=dword:00000001\n"
                                                          "\"QZ_MSG_HELP\"=\"%HELP%\\\\en\"\n"
                                                          "[HKEY_CURRENT_USER\\Software\\Corvan]\n\"A\"=\"1\"\n");
    const json report = json::parse(qzpaths({"--json", "registry", "lint", lint}).out);
    std::vector<std::string> kinds;
    for (const json& finding : report["findings"])
        kinds.push_back(finding["kind"]);
    EXPECT_EQ(kinds, (std::vector<std::string>{"notText", "notExpanded", "notRead"})) << report.dump(1);
    EXPECT_EQ(report["loses"], false);
}

} // namespace
