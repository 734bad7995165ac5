// trace_test.cpp - the core's watcher interface: what Initialize and the path manager tell a
// watcher attached to them, the sandbox probe's verdicts, and a start-up report reused for a
// second call.
#include <QZApplicationInfo.h>
#include <QZStartupReport.h>
#include <QZ_PathManager.h>

#include "appinfo/CoreAccess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using qztest::EnvGuard;
using qztest::TempTree;
namespace trace = qz::trace;

namespace {

// Keeps the events that the tests look at, each as one line of text.
class Events final : public qz::Trace {
public:
    void step(trace::Step step) override { steps.push_back(step); }
    void finished(const QZApplicationInfo&, int result, trace::Failure failure) override
    {
        results.push_back(result);
        failures.push_back(failure);
    }
    void sandboxProbe(std::string_view path, trace::ProbeResult result) override
    {
        probes.push_back({std::string(path), result});
    }
    void searchPlace(trace::Place place, int index, std::string_view directory, bool tested, bool found) override
    {
        search.push_back(std::to_string(static_cast<int>(place)) + ":" + std::to_string(index) + ":" +
                         std::string(directory) + (tested ? found ? ":found" : ":tested" : ":skipped"));
    }
    void read(trace::Place place, int index, std::string_view directory) override
    {
        reads.push_back(std::to_string(static_cast<int>(place)) + ":" + std::to_string(index) + ":" +
                        std::string(directory));
    }

    std::vector<trace::Step> steps;
    std::vector<int> results;
    std::vector<trace::Failure> failures;
    std::vector<std::pair<std::string, trace::ProbeResult>> probes;
    std::vector<std::string> search;
    std::vector<std::string> reads;
};

class TraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        exe = tree.touch("inst/bin/app.exe");
    }

    int initialize(QZApplicationInfo& info, const std::string& executable)
    {
        return info.Initialize("Ryndel", 10.0f, "support@example.com", executable.c_str(), 0, 2008, 2009);
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
};

} // namespace

TEST_F(TraceTest, AWatcherSeesOnlyTheCallItIsAttachedTo)
{
    QZApplicationInfo info;
    Events events;
    {
        qz::AttachedTrace attached(qz::CoreAccess::slot(info), events);
        EXPECT_EQ(initialize(info, tree.path("missing/app")), 0);
    }
    ASSERT_EQ(events.results, std::vector<int>{0});
    EXPECT_EQ(events.failures, std::vector<trace::Failure>{trace::Failure::ExecutableNotFound});
    EXPECT_EQ(events.steps.back(), trace::Step::ExecutableSearch);

    // Detached: the second call tells nobody. A copy never carries the watcher either.
    env.set("CORVAN_HOME", tree.path("inst"));
    QZApplicationInfo copy;
    Events other;
    {
        qz::AttachedTrace attached(qz::CoreAccess::slot(copy), other);
        QZApplicationInfo copied(copy);
        ASSERT_EQ(initialize(copied, exe), 1);
    }
    ASSERT_EQ(initialize(info, exe), 1);
    EXPECT_EQ(events.results, std::vector<int>{0});
    EXPECT_TRUE(other.steps.empty());
}

// CORVAN_HOME/qzcommon: only a directory makes a sandbox; a plain file and nothing at all
// both make an installation, each told by its own verdict.
TEST_F(TraceTest, TheSandboxProbeTellsMissingFileAndDirectoryApart)
{
    struct Case {
        const char* home;
        bool file;
        bool directory;
        trace::ProbeResult result;
    };
    const Case cases[] = {
        {"none", false, false, trace::ProbeResult::Missing},
        {"plain", true, false, trace::ProbeResult::NotADirectory},
        {"tree", false, true, trace::ProbeResult::Directory},
    };
    for (const Case& c : cases) {
        const std::string home = tree.mkdir(std::string("homes/") + c.home);
        if (c.file)
            tree.touch(std::string("homes/") + c.home + "/qzcommon");
        if (c.directory)
            tree.mkdir(std::string("homes/") + c.home + "/qzcommon");
        env.set("CORVAN_HOME", home);

        QZApplicationInfo info;
        Events events;
        qz::AttachedTrace attached(qz::CoreAccess::slot(info), events);
        ASSERT_EQ(initialize(info, exe), 1) << c.home;
        ASSERT_EQ(events.probes.size(), 1u) << c.home;
        EXPECT_EQ(events.probes[0].first, home + "/qzcommon");
        EXPECT_EQ(events.probes[0].second, c.result) << c.home;
        EXPECT_EQ(qz::CoreAccess::sandbox(info), c.directory) << c.home;

        QZApplicationInfo reported;
        QZStartupReport report;
        ASSERT_EQ(report.Initialize(reported, "Ryndel", 10.0f, "", exe.c_str(), 0, 1, 1), 1);
        EXPECT_EQ(report.sandboxProbeResult, c.result) << c.home;
        EXPECT_EQ(report.sandbox, c.directory) << c.home;
    }
}

// A report used for a failed call and then for a successful one holds the second only.
TEST_F(TraceTest, AReportReusedForASecondCallHoldsThatCallAlone)
{
    QZApplicationInfo info;
    QZStartupReport report;
    ASSERT_EQ(report.Initialize(info, "Ryndel", 10.0f, "", exe.c_str(), 0, 1, 1), 0);
    ASSERT_EQ(report.failure, QZStartupReport::Failure::NoHome);
    const std::size_t failedSteps = report.steps.size();
    ASSERT_FALSE(report.walk.empty());

    env.set("CORVAN_HOME", tree.path("inst"));
    ASSERT_EQ(report.Initialize(info, "Ryndel", 10.0f, "", exe.c_str(), 0, 1, 1), 1);
    EXPECT_EQ(report.failure, QZStartupReport::Failure::None);
    EXPECT_EQ(report.result, 1);
    EXPECT_EQ(std::count(report.steps.begin(), report.steps.end(), QZStartupReport::Step::ApplicationName), 1);
    EXPECT_EQ(report.steps.back(), QZStartupReport::Step::PublishedPaths);
    EXPECT_LT(report.steps.size(), failedSteps + 5);
    EXPECT_TRUE(report.walk.empty());
    EXPECT_EQ(report.walkEnd, QZStartupReport::WalkEnd::NotWalked);
    EXPECT_EQ(report.executableCandidates.size(), 1u);
    EXPECT_EQ(report.lookups.size(), 4u);
    EXPECT_EQ(report.homeSource, QZStartupReport::HomeSource::Environment);
    EXPECT_EQ(report.published.size(), 77u);
}

// The path manager tells each place in the order it takes them: outward for a search,
// stopping at the first hit; inward for the reads, configuration directories first to last.
TEST_F(TraceTest, ThePathManagerTellsEachPlaceInItsOwnOrder)
{
    env.set("CORVAN_HOME", tree.path("inst"));
    const std::string cwd = tree.mkdir("work");
    const std::string userHome = tree.mkdir("user");
    const std::string first = tree.mkdir("cfg1");
    const std::string second = tree.mkdir("cfg2");
    tree.touch("cfg2/app.ini");
    env.chdir(cwd);
    env.set("HOME", userHome);
    env.set("QZ_CONFIG_PATH", first + ";" + second + ";" + first);
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, exe), 1);
    const std::string production = info.GetExecutableDir();

    QZ_PathManager manager(&info, 0);
    Events events;
    qz::AttachedTrace attached(qz::CoreAccess::slot(manager), events);
    std::string name = "app.ini";
    char directory[1024] = "";
    ASSERT_TRUE(manager.GetFilePath(name.data(), directory, 4));
    EXPECT_EQ(events.search, (std::vector<std::string>{"4:-1:" + qztest::currentDirectory() + ":tested",
                                                       "3:-1:" + userHome + ":tested", "2:0::skipped",
                                                       "2:1:" + second + ":found"}));

    events.search.clear();
    name = "absent.ini";
    EXPECT_FALSE(manager.GetFilePath(name.data(), directory, 4));
    EXPECT_EQ(events.search.back(), "1:-1:" + production + ":tested");
    EXPECT_EQ(events.search.size(), 6u);

    int order[4] = {4, 2, 0, 1};
    manager.ReadFromAll(nullptr, order);
    EXPECT_EQ(events.reads, (std::vector<std::string>{"4:-1:" + qztest::currentDirectory(), "2:0:",
                                                      "2:1:" + second, "2:2:" + first, "1:-1:" + production}));
}
