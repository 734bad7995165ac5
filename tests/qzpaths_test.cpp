// qzpaths_test.cpp - qzpaths run as a user runs it: exit codes, output, JSON, colour.
#include <QZApplicationInfo.h>
#include <QZStartupReport.h>

#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using json = nlohmann::json;
using qztest::EnvGuard;
using qztest::TempTree;
using qztest::TestRegistry;

namespace {

using qztest::slashed;

std::size_t lineCount(const std::string& text) { return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')); }

// A developer tree with every location that check requires, and an executable two
// levels below its top.
class QzpathsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.unset("NO_COLOR");
        const std::string arch = qztest::productArchitecture();
        for (const std::string& dir : std::vector<std::string>{"qzcommon/tcl", "qz/bin/" + arch, "utility",
                                      "third_party/tcl/tcl8.4.13/" + arch + "/bin",
                                      "third_party/tcl/tcl8.4.13/" + arch + "/lib/tcl8.4",
                                      "third_party/tcl/tcl8.4.13/" + arch + "/lib/tk8.4"})
            tree.mkdir("dev/" + dir);
        exe = tree.touch("dev/qz/bin/" + arch + "/ryndel.exe");
        // An executable that may be run: qzpaths warns about one that may not.
        std::filesystem::permissions(exe, std::filesystem::perms::owner_exec, std::filesystem::perm_options::add);
        home = slashed(tree.path("dev"));
    }

    qztest::ProcessResult run(std::vector<std::string> arguments, bool withExe = true)
    {
        if (withExe) {
            arguments.insert(arguments.begin(), exe);
            arguments.insert(arguments.begin(), "--exe");
        }
        return qztest::runProgram(QZ_QZPATHS, arguments, tree);
    }

    json runJson(std::vector<std::string> arguments, int expectedExit = 0)
    {
        arguments.emplace_back("--json");
        const auto result = run(arguments);
        EXPECT_EQ(result.exitCode, expectedExit) << result.err;
        return json::parse(result.out);
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
    std::string home;
};

} // namespace

TEST_F(QzpathsTest, SummaryShowsTheRecordAndTheWholeCatalogue)
{
    const auto result = run({});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_NE(result.out.find("Title:               Ryndel v10.0\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Home:                " + home + "\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("sandbox"), std::string::npos);
    EXPECT_NE(result.out.find("Home found by:       a qzcommon directory at or above the executable\n"),
              std::string::npos);
    EXPECT_NE(result.out.find("Published paths (77):"), std::string::npos);

    // Text and JSON show the same fields: an unset one is "(unset)" and null.
    EXPECT_NE(result.out.find("Architecture:        (unset)  (CORVAN_ARCH)\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Registry base:       HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, "
                              "Inc.\\Quazen\\10.0build60\n"),
              std::string::npos);
    const json summary = runJson({"--name", "Obrenn", "--patch", "4"});
    EXPECT_EQ(summary["architecture"], nullptr);
    EXPECT_EQ(summary["registryBase"], "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60");
    EXPECT_EQ(summary["home"], home);
    EXPECT_EQ(summary["sandbox"], true);
    EXPECT_EQ(summary["homeFoundBy"], "a qzcommon directory at or above the executable");
    EXPECT_EQ(summary["title"], "Obrenn v10.0-004");
    EXPECT_EQ(summary["executable"], exe);
    ASSERT_EQ(summary["published"].size(), 77u);
    EXPECT_EQ(summary["published"]["tcl_lib"],
              home + "/third_party/tcl/tcl8.4.13/" + qztest::productArchitecture() + "/lib/tcl8.4");
}

TEST_F(QzpathsTest, GetPrintsValuesOnlyAndRefusesUnknownKeys)
{
    const auto result = run({"get", "qz_bindir", "TEMPLATES_DIR"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, home + "/qz/bin/" + qztest::productArchitecture() + "\n" + home + "/templates\n");

    const auto unknown = run({"get", "qz_bindir", "qz_rootdir"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "qzpaths: unknown key: qz_rootdir\n");

    const json values = runJson({"get", "wish", "tclsh"});
    EXPECT_EQ(values.size(), 2u);
    EXPECT_EQ(values["wish"], home + "/third_party/tcl/tcl8.4.13/" + qztest::productArchitecture() + "/bin/wish84");
}

TEST_F(QzpathsTest, DumpIsTheLibrarysOwnText)
{
    QZApplicationInfo info;
    ASSERT_EQ(info.Initialize("Ryndel", 10.0f, "support@corvan-engineering.example", exe.c_str(), 0, 2009, 2009), 1);
    std::unique_ptr<char[]> dump(info.DumpPaths());
    const auto result = run({"dump"});
    ASSERT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, dump.get());
}

TEST_F(QzpathsTest, UsageErrorsExitWithTwoAndFailedStartsWithThreeAndSayWhy)
{
    const auto noKey = run({"get"});
    EXPECT_EQ(noKey.exitCode, 2);
    EXPECT_EQ(noKey.out, "");
    EXPECT_NE(noKey.err, "");

    const auto bogus = run({"--bogus"});
    EXPECT_EQ(bogus.exitCode, 2);

    const auto missing = run({"--exe", tree.path("dev") + qztest::joinSeparator() + "nothing"}, false);
    EXPECT_EQ(missing.exitCode, 3);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(lineCount(missing.err), 2u);
    EXPECT_NE(missing.err.find("qzpaths: cannot initialize: executable not found"), std::string::npos) << missing.err;
    EXPECT_NE(missing.err.find("\nqzpaths: run 'qzpaths explain'"), std::string::npos) << missing.err;

    const std::string stray = tree.touch("elsewhere/app.exe");
    const auto homeless = run({"--exe", stray}, false);
    EXPECT_EQ(homeless.exitCode, 3);
    EXPECT_EQ(lineCount(homeless.err), 2u);
    EXPECT_NE(homeless.err.find("no installation home found"), std::string::npos) << homeless.err;

    const auto unnamed = run({"--name", ""});
    EXPECT_EQ(unnamed.exitCode, 3);
    EXPECT_NE(unnamed.err.find("application name is empty"), std::string::npos) << unnamed.err;
}

TEST_F(QzpathsTest, JsonKeepsValidUtf8AsAStringWhereverItsLastCharacterEnds)
{
    // Valid UTF-8 is a JSON string, also when it ends inside the last bytes of the text;
    // only text that is not UTF-8 becomes {"bytes", "text"}.
    for (const std::string& text : {std::string("/home/Caf\xC3\xA9"), std::string("/x/\xE2\x82\xAC"),
                                    std::string("/x/\xF0\x9F\x98\x80"), std::string("\xC3\xA9")}) {
        env.set("QZ_TEST_SETTING", text);
        const json values = runJson({"sysvar", "QZ_TEST_SETTING"});
        EXPECT_EQ(values[0]["value"], text);
    }
    env.set("QZ_TEST_SETTING", "/home/Caf\xC3");
    const json cut = runJson({"sysvar", "QZ_TEST_SETTING"});
    EXPECT_EQ(cut[0]["value"]["bytes"], "2f686f6d652f436166c3");
}

TEST_F(QzpathsTest, SysVarSaysWhereEachValueCameFrom)
{
    env.set("QZ_TEST_SETTING", "blue");
    const auto result = run({"sysvar", "QZ_TEST_SETTING"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "QZ_TEST_SETTING=blue  (environment)\n");

    const auto nowhere = run({"sysvar", "QZ_TEST_SETTING", "QZ_TEST_UNSET"});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.out.find("QZ_TEST_UNSET: not found\n  environment: unset\n  registry: "), std::string::npos)
        << nowhere.out;

    const json values = runJson({"sysvar", "QZ_TEST_SETTING", "QZ_TEST_UNSET"}, 1);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0]["origin"], "environment");
    EXPECT_EQ(values[0]["value"], "blue");
    EXPECT_EQ(values[0]["registry"], nullptr);
    EXPECT_EQ(values[1]["origin"], "nowhere");
    EXPECT_EQ(values[1]["value"], nullptr);
    EXPECT_EQ(values[1]["environment"]["state"], "unset");
    EXPECT_EQ(values[1]["registry"]["valueName"], "QZ_TEST_UNSET");

    // System variables need no home: only the registry base path, built before it.
    const std::string stray = tree.touch("elsewhere/app.exe");
    const auto homeless = run({"--exe", stray, "sysvar", "QZ_TEST_SETTING"}, false);
    EXPECT_EQ(homeless.exitCode, 0) << homeless.err;
    EXPECT_EQ(homeless.out, "QZ_TEST_SETTING=blue  (environment)\n");
    const auto noExecutable = run({"--exe", tree.path("absent"), "sysvar", "QZ_TEST_SETTING"}, false);
    EXPECT_EQ(noExecutable.exitCode, 3);
    EXPECT_EQ(noExecutable.out, "");
    EXPECT_NE(noExecutable.err.find("before it built the registry base path: executable not found"),
              std::string::npos)
        << noExecutable.err;
}

TEST_F(QzpathsTest, ConfigShowsTheSearchAndThePlacesRead)
{
    const std::string work = tree.mkdir("work");
    tree.touch("work/ryndel.ini");
    env.chdir(work);
    env.set("HOME", work);

    const json found = runJson({"config", "ryndel.ini"});
    EXPECT_EQ(found["found"], true);
    EXPECT_EQ(found["directory"], qztest::currentDirectory());
    EXPECT_EQ(found["search"][0]["found"], true);
    // The home is the current directory, so it is read only once, as the current directory.
    bool homeBlanked = false;
    for (const auto& place : found["read"])
        if (place["place"] == "home")
            homeBlanked = place["blanked"].get<bool>();
    EXPECT_TRUE(homeBlanked);

    const auto text = run({"config", "ryndel.ini"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("Found in "), std::string::npos);

    const auto missing = run({"config", "absent.ini"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.out.find("Not found"), std::string::npos);
}

TEST_F(QzpathsTest, CheckMarksEveryLocationAndFailsOnlyForRequiredOnes)
{
    const auto complete = run({"check"});
    EXPECT_EQ(complete.exitCode, 0) << complete.out;
    EXPECT_EQ(complete.out.find('\033'), std::string::npos) << "colour in a pipe";
    EXPECT_NE(complete.out.find("-- tcl8.4  [ok]  tcl_lib"), std::string::npos) << complete.out;
    EXPECT_NE(complete.out.find(" present, "), std::string::npos);

    const json report = runJson({"check"});
    EXPECT_EQ(report["requiredMissing"].size(), 0u);
    EXPECT_EQ(report["present"].get<int>() + report["missing"].get<int>(),
              static_cast<int>(report["locations"].size()));

    std::filesystem::remove_all(tree.root() / "dev" / "third_party" / "tcl" / "tcl8.4.13" /
                                qztest::productArchitecture() / "lib" / "tk8.4");
    const auto broken = run({"check"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_NE(broken.out.find("required but missing: tk_lib"), std::string::npos) << broken.out;
    const json brokenReport = runJson({"check"}, 1);
    EXPECT_EQ(brokenReport["requiredMissing"], json::array({"tk_lib"}));
}

TEST_F(QzpathsTest, CheckIsColouredOnATerminalUnlessNoColorIsSet)
{
    if (qztest::joinSeparator() != '/')
        GTEST_SKIP() << "no pseudo-terminal here";
    // script(1) runs the command on a pseudo-terminal.
    const std::string command = qztest::quoteArgument(QZ_QZPATHS) + " --exe " + qztest::quoteArgument(exe) + " check";
    const auto coloured = qztest::runProgram("script", {"-qec", command, "/dev/null"}, tree);
    EXPECT_NE(coloured.out.find("\033[32m[ok]"), std::string::npos) << coloured.out;
    env.set("NO_COLOR", "1");
    const auto plain = qztest::runProgram("script", {"-qec", command, "/dev/null"}, tree);
    EXPECT_EQ(plain.out.find('\033'), std::string::npos);
    EXPECT_NE(plain.out.find("[ok]"), std::string::npos);
}

TEST_F(QzpathsTest, ExplainFollowsTheWalkOrTheVariable)
{
    const json walked = runJson({"explain"});
    EXPECT_EQ(walked["origin"], "walk");
    EXPECT_EQ(walked["walk"].size(), 4u);
    EXPECT_EQ(walked["walk"][3]["qzcommon"], true);
    EXPECT_EQ(walked["CORVAN_HOME"], nullptr);

    env.set("QZFL_HOME", "/opt/fl");
    env.set("CORVAN_HOME", tree.path("dev"));
    const json fromVariable = runJson({"explain"});
    EXPECT_EQ(fromVariable["origin"], "environment");
    EXPECT_EQ(fromVariable["walk"].size(), 0u);
    bool sawFl = false;
    for (const auto& entry : fromVariable["entries"])
        if (entry["key"] == "fl_scriptdir") {
            sawFl = true;
            EXPECT_EQ(entry["origin"], "environment");
            EXPECT_EQ(entry["setting"], "QZFL_HOME");
            EXPECT_EQ(entry["value"], "/opt/fl/fltcl");
        }
    EXPECT_TRUE(sawFl);

    const auto text = run({"explain"});
    EXPECT_EQ(text.exitCode, 0);
    EXPECT_NE(text.out.find("found by CORVAN_HOME in the environment\n"), std::string::npos) << text.out;
}

namespace {

// qzpaths on a machine where the application cannot start: an executable with no
// qzcommon above it, and settings below the registry base of a version of its own, so
// that tests that share one registry do not meet.
class FailureTest : public QzpathsTest {
protected:
    void SetUp() override
    {
        QzpathsTest::SetUp();
        stray = tree.touch("elsewhere/bin/app.exe");
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        version = 700.0f + static_cast<float>(std::hash<std::string>{}(test->name()) % 400) / 4.0f;
        versionText = std::to_string(version);
        base = baseFor(version);
    }

    static std::string baseFor(float v)
    {
        // Only the base path is wanted; it is built before the home is looked for, and the
        // current directory exists, so it passes as the executable.
        QZApplicationInfo info;
        info.Initialize("Ryndel", v, "", qztest::currentDirectory().c_str(), 0, 1, 1);
        return info.GetSystemBaseRegistryPath() ? info.GetSystemBaseRegistryPath() : "";
    }

    qztest::ProcessResult explain(std::vector<std::string> more = {})
    {
        std::vector<std::string> arguments{"--exe", stray, "--app-version", versionText};
        arguments.insert(arguments.end(), more.begin(), more.end());
        arguments.emplace_back("explain");
        return run(arguments, false);
    }

    json explainJson()
    {
        const auto result = explain({"--json"});
        EXPECT_EQ(result.exitCode, 1) << result.err;
        return json::parse(result.out);
    }

    // The JSON lookup of CORVAN_HOME among the steps.
    static json corvanHomeStep(const json& report)
    {
        for (const auto& step : report["steps"])
            if (step["step"] == "CORVAN_HOME")
                return step["lookup"];
        return nullptr;
    }

    static bool onWindows() { return qztest::joinSeparator() == '\\'; }

    std::string stray;
    float version = 0;
    std::string versionText;
    std::string base;
};

} // namespace

TEST_F(FailureTest, NoExecutableAndNoHomeAreExplainedStepByStep)
{
    const std::string absent = tree.path("nowhere") + qztest::joinSeparator() + "ryndel";
    const auto missing = run({"--exe", absent, "explain"}, false);
    EXPECT_EQ(missing.exitCode, 1) << missing.err;
    EXPECT_NE(missing.out.find("   4. executable search for " + absent), std::string::npos) << missing.out;
    // The four names of one place share a line; --verbose gives each in full.
    EXPECT_NE(missing.out.find("       " + absent + "{,.bat,.com,.exe}: not there\n"), std::string::npos)
        << missing.out;
    const auto verbose = run({"--exe", absent, "explain", "--verbose"}, false);
    EXPECT_NE(verbose.out.find("       " + absent + ".com  not there\n       " + absent + ".exe  not there\n"),
              std::string::npos)
        << verbose.out;
    EXPECT_NE(missing.out.find("Initialize failed at step 4: executable not found: " + absent), std::string::npos);
    const auto missingJson = run({"--exe", absent, "--json", "explain"}, false);
    EXPECT_EQ(missingJson.exitCode, 1);
    const json missingReport = json::parse(missingJson.out);
    EXPECT_EQ(missingReport["initialized"], false);
    EXPECT_EQ(missingReport["failure"]["step"], "executableSearch");
    ASSERT_EQ(missingReport["steps"].size(), 4u);
    EXPECT_EQ(missingReport["steps"][3]["candidates"].size(), 4u);
    EXPECT_EQ(missingReport["steps"][3]["ok"], false);
    EXPECT_EQ(missingReport["steps"][1]["value"], qztest::currentDirectory());

    const auto homeless = explain();
    EXPECT_EQ(homeless.exitCode, 1);
    EXPECT_NE(homeless.out.find("walk up from the executable directory"), std::string::npos) << homeless.out;
    EXPECT_NE(homeless.out.find(tree.path("elsewhere/bin") + "  no qzcommon\n"), std::string::npos);
    EXPECT_NE(homeless.out.find("the root was reached"), std::string::npos);
    EXPECT_NE(homeless.out.find("as the value CORVAN_HOME of the key HKEY_LOCAL_MACHINE\\" + base),
              std::string::npos);
    EXPECT_NE(homeless.out.find("Initialize failed at step 11: no installation home found"), std::string::npos);
    const json report = explainJson();
    EXPECT_EQ(report["failure"]["step"], "home");
    EXPECT_EQ(report["walk"][0]["directory"], tree.path("elsewhere/bin"));
    EXPECT_EQ(report["origin"], "none");
    EXPECT_EQ(report["home"], nullptr);
}

TEST_F(FailureTest, TooLongValuesSayHowLongAndHowMuchIsRead)
{
    const std::string longHome(1500, 'h');
    env.set("CORVAN_HOME", longHome);
    const auto environment = explain();
    EXPECT_EQ(environment.exitCode, 1);
    EXPECT_NE(environment.out.find("       environment: set, but 1,500 bytes: at most 1,023 are read\n"),
              std::string::npos)
        << environment.out;
    json lookup = corvanHomeStep(explainJson());
    EXPECT_EQ(lookup["environment"]["state"], "tooLong");
    EXPECT_EQ(lookup["environment"]["bytes"], 1500);
    EXPECT_EQ(lookup["value"], nullptr);
    env.unset("CORVAN_HOME");

    // One byte below what is read, on it, and above: a string's data holds its terminator.
    TestRegistry registry(env, tree, base);
    registry.setString("", "CORVAN_HOME", std::string(1499, 'r'));
    const auto tooLong = explain();
    EXPECT_NE(tooLong.out.find("       value: CORVAN_HOME  set, but 1,500 bytes: at most 1,023 are read\n"),
              std::string::npos)
        << tooLong.out;
    EXPECT_NE(tooLong.out.find("       key: HKEY_LOCAL_MACHINE\\" + base + "  found\n"), std::string::npos);
    lookup = corvanHomeStep(explainJson());
    EXPECT_EQ(lookup["registry"]["valueBytes"], 1500);
    EXPECT_EQ(lookup["registry"]["readLimit"], 1023);
    EXPECT_EQ(lookup["registry"]["text"], nullptr);

    for (std::size_t length : {1021u, 1022u, 1023u}) {
        registry.setString("", "QZ_TEST_EDGE", std::string(length, 'e'));
        const json values = runJson({"--app-version", versionText, "sysvar", "QZ_TEST_EDGE"}, length < 1023 ? 0 : 1);
        EXPECT_EQ(values[0]["registry"]["valueBytes"], length + 1);
        EXPECT_EQ(values[0]["origin"], length < 1023 ? "registry" : "nowhere") << length;
    }
}

TEST_F(FailureTest, AValueUnderTheWrongKeyOrVersionNamesTheKeyLookedUp)
{
    TestRegistry registry(env, tree, base);
    registry.setString("", "CORVAN_ARCH", "linux64");
    registry.setString("Settings", "CORVAN_HOME", tree.path("dev"));
    const auto wrongKey = explain();
    EXPECT_EQ(wrongKey.exitCode, 1);
    EXPECT_NE(wrongKey.out.find("       key: HKEY_LOCAL_MACHINE\\" + base + "  found\n"
                                "       value: CORVAN_HOME  not found\n"),
              std::string::npos)
        << wrongKey.out;

    // The same settings read by another version: its base key does not exist.
    const float other = version + 0.25f;
    const std::string otherBase = baseFor(other);
    const auto wrongVersion = run({"--exe", stray, "--app-version", std::to_string(other), "explain"}, false);
    EXPECT_NE(wrongVersion.out.find("       key: HKEY_LOCAL_MACHINE\\" + otherBase + "  not found\n"),
              std::string::npos)
        << wrongVersion.out;
    const auto parsed = run({"--exe", stray, "--app-version", std::to_string(other), "--json", "explain"}, false);
    const auto lookup = corvanHomeStep(json::parse(parsed.out));
    EXPECT_EQ(lookup["registry"]["key"], "HKEY_LOCAL_MACHINE\\" + otherBase);
    EXPECT_EQ(lookup["registry"]["keyFound"], false);
}

TEST_F(FailureTest, TheStandInFileNamesItselfAndWhyItWasNotRead)
{
    if (onWindows())
        GTEST_SKIP() << "Windows reads its own registry, not a stand-in file";
    // root reads any file: the unreadable case runs as nobody instead.
    const std::optional<qztest::Command> nobody = qztest::unprivileged(QZ_QZPATHS, tree);
    if (!nobody)
        GTEST_SKIP() << "running as root and no setpriv to drop to an unprivileged user";
    const std::string locked = tree.touch("locked.reg", "REGEDIT4\n");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
    struct Case {
        std::string file;
        std::string says;
        const char* state;
        std::string firstLineSays; // of a start-up that fails for want of a home
    };
    const Case cases[] = {
        {tree.path("absent.reg"), "missing (No such file or directory)", "missing", "does not exist"},
        {tree.mkdir("folder.reg"), "a directory, not a file", "directory", "is a directory, not a file"},
        {tree.touch("garbled.reg", "Windows Registry Editor\n[HKEY_LOCAL_MACHINE\\x]\n"),
         "not a registry export file", "notAnExportFile", "is not a registry export file"},
        {locked, "unreadable (Permission denied)", "unreadable", "could not be read (Permission denied)"},
    };
    for (const Case& c : cases) {
        env.set("CORVAN_REGISTRY", c.file);
        std::vector<std::string> arguments{"--exe", stray, "--app-version", versionText, "explain"};
        std::string program = QZ_QZPATHS;
        if (std::string(c.state) == "unreadable") {
            arguments.insert(arguments.begin(), nobody->arguments.begin(), nobody->arguments.end());
            program = nobody->program;
        }
        const auto text = qztest::runProgram(program, arguments, tree);
        EXPECT_EQ(text.exitCode, 1) << c.file << text.err;
        // The failed start-up's first line names every source and what it found there.
        arguments.pop_back();
        const auto failed = qztest::runProgram(program, arguments, tree);
        EXPECT_EQ(failed.exitCode, 3);
        EXPECT_EQ(failed.err.substr(0, failed.err.find('\n')),
                  "qzpaths: cannot initialize: no installation home found: CORVAN_HOME is unset in the environment; "
                  "the registry stand-in " + c.file + " " + c.firstLineSays +
                      "; no qzcommon directory lies at or above " + tree.path("elsewhere/bin"));
        arguments.push_back("explain");
        EXPECT_NE(text.out.find("       registry: stand-in file " + c.file + "  (from CORVAN_REGISTRY): " + c.says),
                  std::string::npos)
            << text.out;
        EXPECT_NE(text.out.find("       key: HKEY_LOCAL_MACHINE\\" + base + ", value CORVAN_HOME: not looked up"),
                  std::string::npos);
        arguments.insert(arguments.end() - 1, "--json");
        const auto parsed = qztest::runProgram(program, arguments, tree);
        EXPECT_EQ(parsed.exitCode, 1);
        const json lookup = corvanHomeStep(json::parse(parsed.out));
        EXPECT_EQ(lookup["registry"]["store"], c.file);
        EXPECT_EQ(lookup["registry"]["storeSetting"], "CORVAN_REGISTRY");
        EXPECT_EQ(lookup["registry"]["storeState"], c.state);
    }
    std::filesystem::permissions(locked, std::filesystem::perms::owner_all);

    // Without CORVAN_REGISTRY the default file is named as the default.
    env.unset("CORVAN_REGISTRY");
    const auto byDefault = explain();
    EXPECT_NE(byDefault.out.find("(the default; CORVAN_REGISTRY names another)"), std::string::npos)
        << byDefault.out;
}

TEST_F(FailureTest, TheDemoRegistryFileIsAccepted)
{
    if (onWindows())
        GTEST_SKIP() << "the demo file is the Linux stand-in; Windows imports it with regedit";
    env.set("CORVAN_REGISTRY", QZ_DEMO_REGISTRY);
    const auto result = run({"--exe", stray, "sysvar", "CORVAN_ARCH", "Display\\Background"}, false);
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("CORVAN_ARCH=linux64  (registry)\n"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("Display\\Background=#d0d8e0  (registry)\n"), std::string::npos) << result.out;
}

TEST_F(FailureTest, TextThatIsNotUtf8NeverStopsTheJson)
{
    // Byte 0xE9 (e acute in the 8-bit code pages of Western Europe) in each source.
    const std::string name = "caf\xE9";
    const char separator = qztest::joinSeparator();
    const std::string cafe = tree.path() + separator + name;
    const std::string bin = cafe + separator + "qz" + separator + "bin";
    const std::string exeInCafe = bin + separator + "app.exe";
    if (onWindows()) {
        // The names in the 8-bit code page, as the command processor makes them.
        for (const std::string& command : {"mkdir " + qztest::quoteArgument(cafe + "\\qzcommon"),
                                           "mkdir " + qztest::quoteArgument(bin),
                                           "type nul > " + qztest::quoteArgument(exeInCafe)})
            ASSERT_EQ(qztest::exitCodeOf(std::system(qztest::commandLine(command).c_str())), 0) << command;
    } else {
        tree.mkdir(name + "/qzcommon");
        tree.touch(name + "/qz/bin/app.exe");
    }
    auto check = [&](const json& text, const std::string& where) {
        ASSERT_TRUE(text.is_object()) << where << ": " << text.dump();
        EXPECT_NE(text["bytes"].get<std::string>().find("636166e9"), std::string::npos) << where;
        EXPECT_NE(text["text"].get<std::string>().find("caf\xEF\xBF\xBD"), std::string::npos) << where;
    };
    auto runJsonAt = [&](std::vector<std::string> arguments, int expected) {
        arguments.insert(arguments.begin(), {"--exe", exeInCafe, "--json"});
        const auto result = run(arguments, false);
        EXPECT_EQ(result.exitCode, expected) << result.err;
        return json::parse(result.out);
    };

    // A file name: the walk finds the home in a directory so named; the executable path
    // holds the byte too (under Wine, the code page's e acute).
    json summary = runJsonAt({}, 0);
    check(summary["home"], "home found by the walk");
    check(summary["executable"], "executable path");
    check(summary["published"]["qz_bindir"], "published value");
    check(runJsonAt({"explain"}, 0)["walk"].back()["directory"], "walk level");
    check(runJsonAt({"get", "qz_bindir"}, 0)["qz_bindir"], "get");
    check(runJsonAt({"config", "ryndel.ini"}, 1)["search"].back()["directory"], "config");

    // The environment.
    env.set("CORVAN_HOME", cafe);
    check(runJsonAt({"sysvar", "CORVAN_HOME"}, 0)[0]["value"], "environment");
    summary = runJsonAt({}, 0);
    EXPECT_EQ(summary["homeFoundBy"], "CORVAN_HOME in the environment");
    check(summary["home"], "home from the environment");
    env.unset("CORVAN_HOME");

    // The registry: an 8-bit stand-in file on Linux, the registry under Wine.
    TestRegistry registry(env, tree, baseFor(10.0f));
    registry.setString("", "CORVAN_HOME", cafe);
    const json fromRegistry = runJsonAt({"explain"}, 0);
    EXPECT_EQ(fromRegistry["origin"], "registry");
    check(fromRegistry["CORVAN_HOME"], "registry value");
    check(corvanHomeStep(fromRegistry)["registry"]["text"], "registry text");

    // A key that is not UTF-8, from the command line.
    const auto unknown = run({"--exe", exeInCafe, "--json", "get", name}, false);
    EXPECT_EQ(unknown.exitCode, 1);
}

// The faces read the published table as data: a value that holds a line end is the same
// value in the summary, explain, keys and check.
TEST_F(QzpathsTest, AValueWithALineEndIsTheSameInEverySubcommand)
{
    const std::string value = tree.path("fl") + "\nsecond line : with a colon";
    env.set("QZFL_HOME", value);

    EXPECT_EQ(runJson({})["published"]["fl_rootdir"], value);
    EXPECT_EQ(runJson({"keys", "--values"})["fl_rootdir"], value);
    std::size_t keys = 0;
    const json keyList = runJson({"keys"});
    for (const auto& key : keyList)
        keys += key == "qz_fl_dir" ? 1 : 0;
    EXPECT_EQ(keys, 1u);
    bool explained = false;
    const json explain = runJson({"explain"});
    for (const auto& entry : explain["entries"])
        if (entry["key"] == "fl_rootdir") {
            EXPECT_EQ(entry["value"], value);
            explained = true;
        }
    EXPECT_TRUE(explained);
    bool checked = false;
    const json check = runJson({"check"});
    for (const auto& location : check["locations"])
        if (location["key"] == "qz_fl_dir") {
            EXPECT_EQ(location["path"], value);
            checked = true;
        }
    EXPECT_TRUE(checked);
    const auto summary = run({});
    const std::size_t row = summary.out.find("\n  fl_rootdir ");
    ASSERT_NE(row, std::string::npos) << summary.out;
    const std::size_t start = summary.out.find_first_not_of(' ', row + 13);
    EXPECT_EQ(summary.out.substr(start, value.size() + 1), value + "\n");
}

// CORVAN_HOME/qzcommon: nothing there and a plain file both give an installation, each
// with its own verdict; only a directory gives a sandbox.
TEST_F(QzpathsTest, ExplainTellsTheSandboxProbesThreeVerdicts)
{
    struct Case {
        const char* home;
        const char* make; // "", "file" or "directory"
        const char* result;
        const char* text;
        bool sandbox;
    };
    const Case cases[] = {
        {"none", "", "missing", "/qzcommon does not exist: an installation", false},
        {"plain", "file", "notADirectory", "/qzcommon is not a directory: an installation", false},
        {"tree", "directory", "directory", "/qzcommon is a directory: a sandbox tree", true},
    };
    for (const Case& c : cases) {
        const std::string installation = tree.mkdir(std::string("homes/") + c.home);
        if (std::string(c.make) == "file")
            tree.touch(std::string("homes/") + c.home + "/qzcommon");
        else if (std::string(c.make) == "directory")
            tree.mkdir(std::string("homes/") + c.home + "/qzcommon");
        env.set("CORVAN_HOME", installation);

        const json explained = runJson({"explain"});
        EXPECT_EQ(explained["sandbox"], c.sandbox) << c.home;
        bool probed = false;
        for (const auto& step : explained["steps"])
            if (step["step"] == "sandboxProbe") {
                EXPECT_EQ(step["result"], c.result) << c.home;
                probed = true;
            }
        EXPECT_TRUE(probed) << c.home;
        const auto text = run({"explain"});
        EXPECT_NE(text.out.find(installation + c.text), std::string::npos) << text.out;
        EXPECT_NE(text.out.find(c.sandbox ? "  (sandbox)" : "  (installation)"), std::string::npos) << text.out;
    }
}

// explain --from shows what an application recorded with QZAPPINFO_TRACE=FILE exactly as
// explain shows its own start-up: each start-up of the file, or those of one process; a
// line that is not a record is named by its number and skipped.
TEST_F(FailureTest, ExplainFromATraceFileShowsEachStartUpAsExplainDoes)
{
    const std::string file = tree.path("trace.jsonl");
    env.set("QZAPPINFO_TRACE", file);
    ASSERT_EQ(run({"get", "tcl_lib"}).exitCode, 0);
    EXPECT_EQ(explain().exitCode, 1);
    env.unset("QZAPPINFO_TRACE");
    {
        std::ofstream out(file, std::ios::app | std::ios::binary);
        out << "not a record\n";
    }
    const auto own = run({"explain"});
    const auto ownFailed = explain();

    const auto both = run({"explain", "--from", file}, false);
    EXPECT_EQ(both.exitCode, 1) << "one of the start-ups failed";
    EXPECT_NE(both.err.find(file + ":3: not a trace record, skipped"), std::string::npos) << both.err;
    const std::size_t second = both.out.find("\nProcess ");
    ASSERT_NE(second, std::string::npos) << both.out;
    const auto body = [](const std::string& shown) { return shown.substr(shown.find('\n') + 1); };
    EXPECT_EQ(body(both.out.substr(0, second)), own.out);
    EXPECT_EQ(body(both.out.substr(second + 1)), ownFailed.out);

    const json records = json::parse(run({"--json", "explain", "--from", file}, false).out);
    ASSERT_EQ(records.size(), 2u);
    json failed = records[1];
    const long pid = failed["pid"];
    failed.erase("pid");
    failed.erase("time");
    EXPECT_EQ(failed, json::parse(explain({"--json"}).out));

    const auto one = run({"explain", "--from", file, "--pid", std::to_string(pid)}, false);
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(body(one.out), ownFailed.out);
    const auto none = run({"explain", "--from", file, "--pid", "1"}, false);
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_EQ(none.out, "No start-up of process 1 in " + file + "\n");
    EXPECT_EQ(run({"explain", "--pid", "1"}, false).exitCode, 2);
    EXPECT_EQ(run({"explain", "--from", tree.path("absent.jsonl")}, false).exitCode, 1);
}
