// qzpaths_test.cpp - qzpaths run as a user runs it: exit codes, output, JSON, colour.
#include <QZApplicationInfo.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using json = nlohmann::json;
using qztest::EnvGuard;
using qztest::TempTree;

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

    const json summary = runJson({"--name", "Obrenn", "--patch", "4"});
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

TEST_F(QzpathsTest, UsageErrorsAndFailedStartsExitWithTwoAndOneLine)
{
    const auto noKey = run({"get"});
    EXPECT_EQ(noKey.exitCode, 2);
    EXPECT_EQ(noKey.out, "");
    EXPECT_NE(noKey.err, "");

    const auto bogus = run({"--bogus"});
    EXPECT_EQ(bogus.exitCode, 2);

    const auto missing = run({"--exe", tree.path("dev") + qztest::joinSeparator() + "nothing"}, false);
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(lineCount(missing.err), 1u);
    EXPECT_NE(missing.err.find("executable not found"), std::string::npos) << missing.err;

    const std::string stray = tree.touch("elsewhere/app.exe");
    const auto homeless = run({"--exe", stray}, false);
    EXPECT_EQ(homeless.exitCode, 2);
    EXPECT_EQ(lineCount(homeless.err), 1u);
    EXPECT_NE(homeless.err.find("no installation home found"), std::string::npos) << homeless.err;

    const auto unnamed = run({"--name", ""});
    EXPECT_EQ(unnamed.exitCode, 2);
    EXPECT_NE(unnamed.err.find("application name is empty"), std::string::npos) << unnamed.err;
}

TEST_F(QzpathsTest, SysVarSaysWhereEachValueCameFrom)
{
    env.set("QZ_TEST_SETTING", "blue");
    const auto result = run({"sysvar", "QZ_TEST_SETTING"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "QZ_TEST_SETTING=blue  (environment)\n");

    const auto nowhere = run({"sysvar", "QZ_TEST_SETTING", "QZ_TEST_UNSET"});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.out.find("QZ_TEST_UNSET is set nowhere"), std::string::npos);

    const json values = runJson({"sysvar", "QZ_TEST_SETTING", "QZ_TEST_UNSET"}, 1);
    ASSERT_EQ(values.size(), 2u);
    EXPECT_EQ(values[0]["origin"], "environment");
    EXPECT_EQ(values[0]["value"], "blue");
    EXPECT_EQ(values[1]["origin"], "nowhere");
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
    EXPECT_NE(text.out.find("CORVAN_HOME from the environment"), std::string::npos) << text.out;
}
