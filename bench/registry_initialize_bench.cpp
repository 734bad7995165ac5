// registry_initialize_bench.cpp - Initialize with CORVAN_HOME set and a stand-in registry
// file of a realistic size (a 20 KB export of several vendors' keys, the suite's values
// last), beside the bare system calls that it has to make: a status query of the file at
// each of the three lookups, and one read of the whole file at the first.
#include "Fixtures.h"

#include <QZApplicationInfo.h>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>

namespace {

// The export, written once; its modification time is set an hour back (and moved by a
// second before each iteration, so that every Initialize finds a changed file and reads
// it, as the first start of an application does).
const std::string& standIn()
{
    static const std::string file = [] {
        std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
        char line[160];
        for (int i = 0; text.size() < 19000; ++i) {
            std::snprintf(line, sizeof line, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor%d\\Product\\Settings%d]\r\n", i % 7, i);
            text += line;
            std::snprintf(line, sizeof line, "\"InstallDir\"=\"C:\\\\Program Files\\\\Vendor%d\\\\Product %d\"\r\n", i % 7, i);
            text += line;
            std::snprintf(line, sizeof line, "\"Version\"=\"%d.%d.%d\"\r\n\"Enabled\"=dword:%08x\r\n", i, i % 10, i * 3, i % 2);
            text += line;
            text += "\"Blob\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,\\\r\n  15,16,17,18\r\n"
                    "\"Path\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,74,00,25,00,00,00\r\n\r\n";
        }
        text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60]\r\n"
                "\"DISPLAY\"=\":7\"\r\n\"CORVAN_ARCH\"=\"linux64\"\r\n\"QZ_MSG_HELP\"=\"/opt/corvan/help\"\r\n";
        const std::string path = qzbench::sandbox().root + "/registry-20KB.reg";
        std::ofstream(path, std::ios::binary) << text;
        return path;
    }();
    return file;
}

// Moves the file's modification time: an hour back, plus seconds.
void stamp(const std::string& file, long seconds)
{
    timespec times[2] = {};
    ::clock_gettime(CLOCK_REALTIME, &times[0]);
    times[0].tv_sec += seconds - 3600;
    times[1] = times[0];
    ::utimensat(AT_FDCWD, file.c_str(), times, 0);
}

void enter()
{
    qzbench::sandbox().enter(true);
    ::setenv("CORVAN_REGISTRY", standIn().c_str(), 1);
}

void initializeWithStandIn(benchmark::State& state)
{
    enter();
    long second = 0;
    for (auto _ : state) {
        state.PauseTiming();
        stamp(standIn(), ++second % 1000);
        state.ResumeTiming();
        QZApplicationInfo info;
        if (info.Initialize("Ryndel", 10.0f, "support@corvan.example", "ryndel", 0, 2008, 2009) != 1) {
            state.SkipWithError("Initialize failed");
            break;
        }
        benchmark::DoNotOptimize(info.GetXDisplayName());
    }
}

// The calls of the stand-in alone; the rest of Initialize's calls are those of
// initialize/corvan_home/bare_calls.
void standInCalls(benchmark::State& state)
{
    enter();
    const std::string& file = standIn();
    struct stat info {};
    char buffer[1 << 15];
    for (auto _ : state) {
        benchmark::DoNotOptimize(::stat(file.c_str(), &info));
        const int fd = ::open(file.c_str(), O_RDONLY);
        while (fd >= 0 && ::read(fd, buffer, sizeof buffer) > 0)
            ;
        if (fd >= 0)
            ::close(fd);
        benchmark::DoNotOptimize(::stat(file.c_str(), &info));
        benchmark::DoNotOptimize(::stat(file.c_str(), &info));
    }
}

} // namespace

BENCHMARK(initializeWithStandIn)->Name("initialize/registry_20KB")->Unit(benchmark::kMicrosecond);
BENCHMARK(standInCalls)->Name("initialize/registry_20KB/stand_in_calls")->Unit(benchmark::kMicrosecond);
