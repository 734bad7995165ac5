// trace_process_test.cpp - the process's watcher: made once, on first need, from what was
// registered before; it watches every record and path manager, and every call made through a report.
#include <QZApplicationInfo.h>
#include <QZStartupReport.h>
#include <QZ_PathManager.h>

#include "appinfo/CoreAccess.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Counts final : qz::Trace {
    void finished(const QZApplicationInfo&, int, qz::trace::Failure) override { ++initializations; }
    void read(qz::trace::Place, int, std::string_view) override { ++reads; }
    int initializations = 0;
    int reads = 0;
};

Counts counts;
int sourceCalls = 0;

// Registered before main, as a face inside the library registers its own.
const bool registered = [] {
    qz::registerProcessTrace([]() -> qz::Trace* {
        ++sourceCalls;
        return &counts;
    });
    return true;
}();

} // namespace

TEST(ProcessTrace, WatchesEveryCallWithoutAWatcherOfItsOwn)
{
    ASSERT_TRUE(registered);
    EXPECT_EQ(sourceCalls, 0) << "asked before it was needed";
    qztest::EnvGuard env;
    qztest::TempTree tree;
    env.isolate();
    env.set("PATH", tree.mkdir("nowhere"));
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    const std::string exe = tree.touch("inst/bin/app.exe");

    QZApplicationInfo info;
    ASSERT_EQ(info.Initialize("Ryndel", 10.0f, "", exe.c_str(), 0, 1, 1), 1);
    QZ_PathManager manager(&info, 0);
    manager.ReadFromAll(nullptr, nullptr);
    EXPECT_EQ(counts.initializations, 1);
    EXPECT_EQ(counts.reads, 3); // no configuration directories

    // A call made through a report is told to both: the report keeps its notes, and the
    // process's watcher sees it as any other (the C interface and qzpaths start that way).
    QZApplicationInfo reported;
    QZStartupReport report;
    ASSERT_EQ(report.Initialize(reported, "Ryndel", 10.0f, "", exe.c_str(), 0, 1, 1), 1);
    EXPECT_EQ(counts.initializations, 2);
    EXPECT_EQ(report.result, 1);
    EXPECT_FALSE(report.steps.empty());
    EXPECT_EQ(sourceCalls, 1);
}
