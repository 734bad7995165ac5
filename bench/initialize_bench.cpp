// initialize_bench.cpp - Initialize in the sandbox, found by the upward walk or named by
// CORVAN_HOME, with or without a small registry stand-in, beside the bare file-system
// calls that it has to make (strace_test pins the same sequence down call by call).
#include "Fixtures.h"

#include <QZApplicationInfo.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

using qzbench::Sandbox;
using qzbench::sandbox;

void initialize(benchmark::State& state, bool withCorvanHome, bool withRegistryFile)
{
    const Sandbox& tree = sandbox();
    tree.enter(withCorvanHome, withRegistryFile);
    for (auto _ : state) {
        QZApplicationInfo info;
        const int ok = info.Initialize("Ryndel", 10.0f, "support@corvan.example", "ryndel", 0, 2008, 2009);
        if (ok != 1) {
            state.SkipWithError("Initialize failed");
            break;
        }
        benchmark::DoNotOptimize(info.GetCorvanHome());
    }
}

// The calls, with every path worked out beforehand.
struct BareCalls {
    std::vector<std::string> searchProbes; // PATH entries x {"", .bat, .com, .exe}; the last one hits
    std::string exe;
    std::string registry;
    std::string exeDir;
    std::string work;
    std::string marker;                    // home/qzcommon, for the probe of CORVAN_HOME
    std::string runtimeLibrary;
    std::string framework;
    std::string userDirs;

    BareCalls(const Sandbox& tree, bool withRegistryFile)
        : exe(tree.exe), registry(withRegistryFile ? tree.smallRegistry : tree.registry), exeDir(tree.exeDir), work(tree.work), marker(tree.home + "/qzcommon"),
          runtimeLibrary(tree.home + "/ry/bin/linux64/ry10.dll"), framework(tree.home + "/dn/framework/backbone/base"),
          userDirs(tree.userDirs)
    {
        for (std::size_t i = 0; i + 1 < tree.pathEntries.size(); ++i)
            for (const char* extension : {"", ".bat", ".com", ".exe"})
                searchProbes.push_back(tree.pathEntries[i] + "/ryndel" + extension);
        searchProbes.push_back(tree.exe);
    }
};

void readWhole(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY);
    if (fd < 0)
        return;
    char buffer[8192];
    while (::read(fd, buffer, sizeof buffer) > 0)
        ;
    ::close(fd);
}

void bareCalls(benchmark::State& state, bool withCorvanHome, bool withRegistryFile)
{
    const Sandbox& tree = sandbox();
    tree.enter(withCorvanHome, withRegistryFile);
    const BareCalls calls(tree, withRegistryFile);
    // Each lookup in the registry stand-in checks its status: that tells a missing file,
    // and a settled one was imported once and is kept (the process's first import is not
    // part of the steady state measured here).
    auto lookUp = [&calls] {
        struct stat status {};
        benchmark::DoNotOptimize(::stat(calls.registry.c_str(), &status));
    };
    char directory[1024];
    struct stat info {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(::getcwd(directory, sizeof directory));
        for (const std::string& probe : calls.searchProbes)
            benchmark::DoNotOptimize(::access(probe.c_str(), F_OK));
        benchmark::DoNotOptimize(::stat(calls.exe.c_str(), &info));
        // DISPLAY, CORVAN_ARCH, and CORVAN_HOME unless the environment has it
        lookUp();
        lookUp();
        if (withCorvanHome) {
            benchmark::DoNotOptimize(::access(calls.marker.c_str(), F_OK));
            benchmark::DoNotOptimize(::stat(calls.marker.c_str(), &info));
        } else {
            lookUp();
            benchmark::DoNotOptimize(::chdir(calls.exeDir.c_str()));
            benchmark::DoNotOptimize(::access("qzcommon", F_OK));
            for (int level = 0; level < 3; ++level) {
                benchmark::DoNotOptimize(::chdir(".."));
                benchmark::DoNotOptimize(::getcwd(directory, sizeof directory));
                benchmark::DoNotOptimize(::access("qzcommon", F_OK));
            }
            benchmark::DoNotOptimize(::stat("qzcommon", &info));
            benchmark::DoNotOptimize(::chdir(calls.work.c_str()));
        }
        benchmark::DoNotOptimize(::access(calls.runtimeLibrary.c_str(), F_OK));
        benchmark::DoNotOptimize(::access(calls.framework.c_str(), F_OK));
        readWhole(calls.userDirs);
        lookUp(); // QZ_MSG_HELP
    }
}

} // namespace

BENCHMARK_CAPTURE(initialize, walk, false, false)->Name("initialize/sandbox_walk")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(bareCalls, walk, false, false)
    ->Name("initialize/sandbox_walk/bare_calls")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(initialize, home, true, false)->Name("initialize/corvan_home")->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(bareCalls, home, true, false)
    ->Name("initialize/corvan_home/bare_calls")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(initialize, walk_registry, false, true)
    ->Name("initialize/sandbox_walk_registry")
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(bareCalls, walk_registry, false, true)
    ->Name("initialize/sandbox_walk_registry/bare_calls")
    ->Unit(benchmark::kMicrosecond);
