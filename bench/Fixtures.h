// Fixtures.h - the trees, environment and files that the benchmarks run on, made once
// per run; and the table of library/baseline pairs whose ratios the run prints.
#ifndef QZ_BENCH_FIXTURES_H
#define QZ_BENCH_FIXTURES_H

#include <optional>
#include <string>
#include <vector>

namespace qzbench {

// A developer sandbox below the temporary folder, removed at exit:
//   home/qzcommon                       the marker, three levels above the executable
//   home/qz/bin/linux64/ryndel          the executable
//   path/p01 .. path/p19                empty PATH entries searched before the last
//   user/.config/user-dirs.dirs         the documents setting
//   work                                the current directory
//   small.reg                           a small registry stand-in with DISPLAY alone
// The registry stand-in names a file that does not exist, unless the small one is asked for.
struct Sandbox {
    std::string root;
    std::string home;
    std::string exeDir;
    std::string exe;
    std::string work;
    std::string user;
    std::string userDirs;
    std::string registry;
    std::string smallRegistry;
    std::vector<std::string> pathEntries; // 20, the executable's directory last
    std::string path;                     // the entries joined for PATH

    // Sets the environment that Initialize reads (and nothing else of the suite's),
    // with or without CORVAN_HOME and the small registry stand-in, and makes work the
    // current directory.
    void enter(bool withCorvanHome, bool withRegistryFile = false) const;
};

const Sandbox& sandbox();

// A registry export of about 50 MB with the wanted value near its end, generated once
// into the build tree and kept for later runs.
struct LargeRegistry {
    std::string file;
    std::string keyPath;
    std::string valueName;
    std::string expected; // the value's data as the reader gives it
};

const LargeRegistry& largeRegistry();

// The registry reader's baseline: one read() of the whole file into a new buffer and a
// memchr pass over its lines; the count of lines, or nothing after a short read.
std::optional<std::size_t> readAndCountLines(const std::string& file);

// A measured pair: the library's benchmark and the baseline it is held against. A paired
// benchmark (library and baseline the same name) runs both in each of its iterations and
// reports the library's CPU time as its time and the rest as counters (kPaired*).
struct Pair {
    const char* label;
    const char* library;
    const char* baseline;
    double target; // the ratio not to exceed; 0 when there is none
};

// The counters of a paired benchmark: per iteration, the baseline's CPU time in seconds;
// per repetition, the ratio of the CPU times and that of the wall times.
inline constexpr const char* kPairedBaseline = "baseline";
inline constexpr const char* kPairedRatio = "ratio";
inline constexpr const char* kPairedWallRatio = "wall_ratio";

const std::vector<Pair>& pairs();
// Adds a pair to the table, for benchmarks registered at run time; the texts must outlive the run.
void addPair(const Pair& pair);

} // namespace qzbench

#endif
