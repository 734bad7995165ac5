// trace_variable_test.cpp - QZAPPINFO_TRACE in an application that knows nothing of it: the
// records in a file, the text on standard error, many processes sharing one file, and a
// trace that cannot be written, which changes nothing else.
#include "support/TestSupport.h"

#include <nlohmann/json.hpp>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using json = nlohmann::json;

bool onWindows() { return qztest::joinSeparator() == '\\'; }

class TraceVariableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        home = tree.mkdir("inst");
        tree.mkdir("inst/qzcommon");
        exe = tree.touch(onWindows() ? "inst/bin/win64/ryndel.exe" : "inst/bin/linux64/ryndel");
        file = tree.path("trace.jsonl");
    }

    qztest::ProcessResult start(const std::string& executable) const
    {
        return qztest::runProgram(QZ_TRACE_START, {executable}, tree);
    }

    // Every line of the trace file, each parsed; a line that is not JSON fails the test.
    std::vector<json> records() const
    {
        std::vector<json> parsed;
        std::ifstream in(file, std::ios::binary);
        for (std::string line; std::getline(in, line);) {
            EXPECT_TRUE(json::accept(line)) << "not one JSON object: " << line;
            if (json::accept(line))
                parsed.push_back(json::parse(line));
        }
        return parsed;
    }

    qztest::EnvGuard env;
    qztest::TempTree tree;
    std::string home, exe, file;
};

TEST_F(TraceVariableTest, AFileGetsOneRecordForEachCallThatNamesWhatWasFound)
{
    env.set("QZAPPINFO_TRACE", file);
    const auto run = start(exe);
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    const std::vector<json> lines = records();
    ASSERT_EQ(lines.size(), 4u);
    std::vector<std::string> events;
    for (const json& line : lines) {
        events.push_back(line["event"]);
        EXPECT_EQ(line["schema"], 1);
        EXPECT_GT(line["pid"].get<long>(), 0);
        EXPECT_EQ(line["time"].get<std::string>().size(), 24u) << line["time"];
    }
    EXPECT_EQ(events, (std::vector<std::string>{"initialize", "sysvar", "getFilePath", "readFromAll"}));
    const json& startup = lines[0];
    EXPECT_EQ(startup["result"], 1);
    EXPECT_EQ(startup["kept"]["home"], qztest::slashed(home));
    EXPECT_EQ(startup["arguments"]["executableName"], exe);
    EXPECT_EQ(startup["homeSource"], "walk");
    EXPECT_EQ(startup["published"].size(), 77u);
    EXPECT_EQ(lines[1]["lookup"]["name"], "DISPLAY");
    EXPECT_EQ(lines[2]["fileName"], "ryndel.ini");
    EXPECT_EQ(lines[2]["count"], 4);
    EXPECT_EQ(lines[3]["places"].size(), 3u); // no configuration directory
#ifndef _WIN32
    EXPECT_EQ(std::filesystem::status(file).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
#endif

    // A second start appends; nothing of the first is lost.
    ASSERT_EQ(start(exe).exitCode, 0);
    EXPECT_EQ(records().size(), 8u);
}

// The demo tree, as the README starts it: the record names the sandbox as the home.
TEST_F(TraceVariableTest, TheDemoTreesStartUpIsRecordedWithItsHome)
{
    env.set("QZAPPINFO_TRACE", file);
    const std::string demo = QZ_DEMO_SANDBOX;
    const auto run = start(demo + (onWindows() ? "/qz/bin/win64/ryndel.exe" : "/qz/bin/linux64/ryndel"));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    const std::vector<json> lines = records();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0]["kept"]["home"], qztest::slashed(demo));
    EXPECT_EQ(lines[0]["sandbox"], true);
}

TEST_F(TraceVariableTest, AMissingExecutableIsNamedWithTheReason)
{
    env.set("QZAPPINFO_TRACE", file);
    const std::string missing = tree.path(onWindows() ? "gone\\ryndel.exe" : "gone/ryndel");
    const auto run = start(missing);
    EXPECT_EQ(run.exitCode, 1);
    const std::vector<json> lines = records();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0]["result"], 0);
    EXPECT_EQ(lines[0]["failure"], "executableNotFound");
    const std::string reason = lines[0]["reason"];
    EXPECT_NE(reason.find("not found"), std::string::npos) << reason;
    EXPECT_NE(reason.find(missing), std::string::npos) << reason;
    EXPECT_EQ(lines[0]["steps"].back(), "executableSearch");
}

TEST_F(TraceVariableTest, StandardErrorGetsTheExplanationWithEveryLineMarked)
{
    env.set("QZAPPINFO_TRACE", "stderr");
    const auto run = start(exe);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "started\n");
    std::istringstream lines(run.err);
    std::string first;
    std::getline(lines, first);
    ASSERT_EQ(first.rfind("qzappinfo[", 0), 0u) << run.err;
    const std::string mark = first.substr(0, first.find("]: ") + 3);
    EXPECT_EQ(first, mark + "Initialize, step by step:");
    for (std::string line; std::getline(lines, line);)
        EXPECT_EQ(line.rfind(mark, 0), 0u) << line;
    EXPECT_NE(run.err.find(mark + "Home: " + qztest::slashed(home) + "  (sandbox)"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(mark + "system variable DISPLAY: not found"), std::string::npos);
    EXPECT_NE(run.err.find(mark + "GetFilePath ryndel.ini, 4 steps:"), std::string::npos);
    EXPECT_NE(run.err.find(mark + "ReadFromAll, in order:"), std::string::npos);
}

TEST_F(TraceVariableTest, TwentyProcessesShareOneFileRecordByRecord)
{
    env.set("QZAPPINFO_TRACE", file);
    std::vector<std::thread> starts;
    std::vector<int> codes(20, -1);
    for (int i = 0; i < 20; ++i)
        starts.emplace_back([&, i] { codes[i] = start(exe).exitCode; });
    for (std::thread& t : starts)
        t.join();
    EXPECT_EQ(codes, std::vector<int>(20, 0));
    int startups = 0;
    for (const json& line : records())
        startups += line["event"] == "initialize" && line["result"] == 1;
    EXPECT_EQ(startups, 20);
}

TEST_F(TraceVariableTest, ATraceThatCannotBeWrittenIsToldOnceAndChangesNothing)
{
    const std::string unwritable = tree.path(onWindows() ? "no\\such\\dir\\trace.jsonl" : "no/such/dir/trace.jsonl");
    env.set("QZAPPINFO_TRACE", unwritable);
    const auto run = start(exe);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "started\n");
    // One line, which names the file and the reason, however many records were lost.
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_NE(run.err.find(unwritable), std::string::npos) << run.err;
    // The system's reason follows the name (Wine says "Path not found").
    EXPECT_NE(run.err.find(unwritable + ": " + (onWindows() ? "" : "No such file or directory")), std::string::npos)
        << run.err;

    env.set("QZAPPINFO_TRACE", "trace.jsonl");
    const auto relative = start(exe);
    EXPECT_EQ(relative.exitCode, 0);
    EXPECT_NE(relative.err.find("nor an absolute file name: nothing is traced"), std::string::npos) << relative.err;
    EXPECT_FALSE(std::filesystem::exists(tree.path("trace.jsonl")));
}

TEST_F(TraceVariableTest, TheDebuggerOutputTakesTheTextWhereTheSystemHasOne)
{
    env.set("QZAPPINFO_TRACE", "debug");
    const auto run = start(exe);
    EXPECT_EQ(run.exitCode, 0);
    if (onWindows())
        EXPECT_EQ(run.err, ""); // OutputDebugStringA: nothing on the console
    else
        EXPECT_NE(run.err.find("neither stderr nor an absolute file name"), std::string::npos) << run.err;
}

#ifdef QZ_TRACE_START_STATIC
// As the dynamic loader ignores LD_DEBUG_OUTPUT there, a process that runs with raised
// privileges ignores the variable: a user must not make a set-user-ID program write a file
// of their choosing with its owner's rights.
TEST_F(TraceVariableTest, ASetUserIdProgramIgnoresTheVariable)
{
    if (qztest::runProgram("/usr/bin/id", {"-u"}, tree).out != "0\n" || !std::filesystem::exists("/usr/bin/setpriv"))
        GTEST_SKIP() << "needs root and setpriv, to run a set-user-ID program as another user";
    namespace fs = std::filesystem;
    const fs::path place = tree.mkdir("raised");
    const fs::path program = place / "trace_start";
    fs::copy_file(QZ_TRACE_START_STATIC, program);
    const fs::path out = tree.mkdir("out");
    fs::permissions(out, fs::perms::all);
    for (const bool setUserId : {false, true}) {
        const fs::path traced = out / (setUserId ? "raised.jsonl" : "plain.jsonl");
        fs::permissions(program, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                     fs::perms::others_read | fs::perms::others_exec |
                                     (setUserId ? fs::perms::set_uid : fs::perms::none));
        const auto run = qztest::runProgram(
            "/usr/bin/setpriv", {"--reuid=65534", "--regid=65534", "--clear-groups", "/usr/bin/env", "QZAPPINFO_TRACE=" + traced.string(),
                        program.string(), exe},
            tree);
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        EXPECT_EQ(fs::exists(traced), !setUserId) << traced;
    }
}
#endif

} // namespace
