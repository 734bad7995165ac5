// path_manager_bench.cpp - QZ_PathManager construction, and GetFilePath for a file that
// only the last step finds, beside the status queries that it makes.
#include "Fixtures.h"

#include <QZ_PathManager.h>

#include <benchmark/benchmark.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr const char* kFile = "ryndel.ini";

struct Setting {
    QZApplicationInfo info;
    std::vector<std::string> configDirs;
    std::string configPath;

    // The sandbox's environment with three configuration directories.
    void enter() const
    {
        qzbench::sandbox().enter(false);
        ::setenv("QZ_CONFIG_PATH", configPath.c_str(), 1);
    }

    Setting()
    {
        const qzbench::Sandbox& tree = qzbench::sandbox();
        tree.enter(false);
        info.Initialize("Ryndel", 10.0f, "support@corvan.example", "ryndel", 0, 2008, 2009);
        for (const char* name : {"/config/site", "/config/group", "/config/project"}) {
            configDirs.push_back(tree.root + name);
            std::filesystem::create_directories(configDirs.back());
            configPath += (configPath.empty() ? "" : ":") + configDirs.back();
        }
        std::ofstream(tree.exeDir + "/" + kFile) << "[settings]\n";
    }
};

Setting& setting()
{
    static Setting value;
    return value;
}

void construction(benchmark::State& state)
{
    Setting& s = setting();
    s.enter();
    for (auto _ : state) {
        QZ_PathManager manager(&s.info, 0);
        benchmark::DoNotOptimize(manager.GetCWD());
    }
}

void getFilePath(benchmark::State& state)
{
    Setting& s = setting();
    s.enter();
    QZ_PathManager manager(&s.info, 0);
    char directory[1024];
    for (auto _ : state) {
        if (!manager.GetFilePath(const_cast<char*>(kFile), directory, 4)) {
            state.SkipWithError("the file was not found");
            break;
        }
        benchmark::ClobberMemory();
    }
}

// The status queries in GetFilePath's order: current directory, home, each
// configuration directory (the last one tried is tested once more), installation.
void bareStats(benchmark::State& state)
{
    const Setting& s = setting();
    s.enter();
    const qzbench::Sandbox& tree = qzbench::sandbox();
    std::vector<std::string> probes = {tree.work + "/" + kFile, tree.user + "/" + kFile};
    for (const std::string& dir : s.configDirs)
        probes.push_back(dir + "/" + kFile);
    probes.push_back(probes.back());
    probes.push_back(tree.exeDir + "/" + kFile);
    struct stat info {};
    for (auto _ : state)
        for (const std::string& probe : probes)
            benchmark::DoNotOptimize(::stat(probe.c_str(), &info));
}

} // namespace

BENCHMARK(construction)->Name("path_manager/construction");
BENCHMARK(getFilePath)->Name("path_manager/GetFilePath_step4");
BENCHMARK(bareStats)->Name("path_manager/GetFilePath_step4/bare_stats");
