// registry_shapes_bench.cpp - the registry stand-in over hostile file shapes of 1 MB and
// 10 MB, each paired with a baseline of one read() of the same file and a memchr pass over
// its lines (the target: within 10 times of it): NUL characters behind lines of every
// length around the line buffer's sizes,
// long hex continuations, the wanted key repeated, deep key paths, long names, and
// non-ASCII names in UTF-8 and UTF-16 files; and the 133 KB file of one long line before
// NUL characters that once took a second.
#include "Fixtures.h"

#include "platform/registry/RegistryFile.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>
#include <cstring>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n";
const std::string kKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App";
const std::string kSection = "[" + kKey + "]\r\n";

// The file's text, made by repeating `block` after `head` until it has `size` bytes.
std::string repeated(const std::string& head, const std::string& block, std::size_t size)
{
    std::string text = head;
    text.reserve(size + block.size());
    while (text.size() < size)
        text += block;
    return text;
}

std::string utf16(const std::string& ascii, const std::u16string& tail = u"")
{
    std::string out("\xFF\xFE", 2);
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    for (char16_t c : tail) {
        out += static_cast<char>(c & 0xFF);
        out += static_cast<char>(c >> 8);
    }
    return out;
}

struct Shape {
    std::string name;
    std::function<std::string(std::size_t)> make;
    std::string key = kKey;
    std::string value = "v";
};

std::deque<Shape> shapes()
{
    std::deque<Shape> all;
    for (std::size_t length : {4094, 4095, 4096, 4097, 4098, 8191, 8192, 8193, 32765, 32766, 32767})
        all.push_back({"nul_after_line_" + std::to_string(length), [length](std::size_t size) {
                           // A line of `length` characters, a run where every other one is
                           // NUL, a line end; again and again.
                           std::string block = "\"v\"=\"" + std::string(length - 5, 'x');
                           for (int i = 0; i < 4096; ++i)
                               block += std::string("\0a", 2);
                           return repeated(kHeader + kSection, block + "\r\n", size);
                       }});
    all.push_back({"hex_continuation", [](std::size_t size) {
                       std::string text = kHeader + kSection + "\"v\"=hex:00";
                       while (text.size() < size)
                           text += ",41,42,43,44,45,46,47,48,49,4a,4b,4c,4d,4e,4f,50,51,52,53,54,55,56,57,58,\\\r\n  00";
                       return text + "\r\n";
                   }});
    all.push_back({"repeated_sections", [](std::size_t size) {
                       return repeated(kHeader, kSection + "\"v\"=\"x\"\r\n[-" + kKey + "\\Sub]\r\n", size);
                   }});
    all.push_back({"deep_key_paths", [](std::size_t size) {
                       std::string deep = "[" + kKey;
                       for (int i = 0; i < 4000; ++i)
                           deep += "\\App";
                       return repeated(kHeader, deep + "]\r\n\"v\"=\"x\"\r\n" + kSection + "\"v\"=\"y\"\r\n", size);
                   }});
    all.push_back({"long_names", [](std::size_t size) {
                       const std::string name(100000, 'v');
                       return repeated(kHeader + kSection, "\"" + name + "\"=\"x\"\r\n[" + kKey + "\\" + name + "]\r\n" +
                                                               kSection + "@=\"" + name + "\"\r\n",
                                       size);
                   }});
    all.push_back({"utf8_names", [](std::size_t size) {
                       return repeated(kHeader, "[HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\x98\xD0\xBD\xD1\x81\xD1\x82]\r\n"
                                                "\"\xCF\x83\xCE\xBF\xCF\x86\xCF\x8C\xCF\x82\"=\"\xE2\x82\xAC 10\"\r\n",
                                       size);
                   },
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\xB8\xD0\xBD\xD1\x81\xD1\x82",
                   "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCF\x82"});
    all.push_back({"utf16_names", [](std::size_t size) {
                       std::u16string block = u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\\u0418\u043D\u0441\u0442]\r\n"
                                              u"\"\u03C3\u03BF\u03C6\u03CC\u03C2\"=\"\u20AC 10\"\r\n";
                       std::u16string text;
                       while (text.size() * 2 < size)
                           text += block;
                       return utf16(kHeader, text);
                   },
                   "HKEY_LOCAL_MACHINE\\SOFTWARE\\\xD0\xB8\xD0\xBD\xD1\x81\xD1\x82",
                   "\xCE\xA3\xCE\x9F\xCE\xA6\xCE\x8C\xCF\x82"});
    return all;
}

std::string fileFor(const Shape& shape, std::size_t size, const char* label)
{
    const fs::path self = fs::read_symlink("/proc/self/exe");
    const fs::path file = self.parent_path().parent_path() / "bench-data" / ("shape-" + shape.name + "-" + label + ".reg");
    std::error_code error;
    if (fs::file_size(file, error) >= size && !error)
        return file.string();
    fs::create_directories(file.parent_path());
    const std::string text = shape.make(size);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out) {
        std::fwrite(text.data(), 1, text.size(), out);
        std::fclose(out);
    }
    return file.string();
}

// The process's CPU time (user and system) and the wall time, in seconds.
struct Clocks {
    double cpu;
    double wall;
    static Clocks now()
    {
        timespec cpu{};
        timespec wall{};
        ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
        ::clock_gettime(CLOCK_MONOTONIC, &wall);
        return {static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) * 1e-9,
                static_cast<double>(wall.tv_sec) + static_cast<double>(wall.tv_nsec) * 1e-9};
    }
    Clocks operator-(const Clocks& earlier) const { return {cpu - earlier.cpu, wall - earlier.wall}; }
    Clocks& operator+=(const Clocks& more)
    {
        cpu += more.cpu;
        wall += more.wall;
        return *this;
    }
};

// The lookup and its baseline one after the other in each iteration, each first in turn,
// so that whatever changes the machine's speed falls on both alike: the runs of 1 MB last
// a fraction of a millisecond, and two benchmarks run apart, even interleaved, have
// differed by more than the margin they are measured against. The iteration's time is the
// lookup's CPU time; the baseline's and the ratios are counters (Fixtures.h). Without a
// shape, the baseline is paired with itself: the control, whose ratio shows what the
// pairing itself adds.
void paired(benchmark::State& state, const Shape* shape, const std::string* file)
{
    Clocks library{};
    Clocks baseline{};
    // Runs work and adds its times to into; returns its CPU time.
    auto timed = [](Clocks& into, auto work) {
        const Clocks start = Clocks::now();
        work();
        const Clocks spent = Clocks::now() - start;
        into += spent;
        return spent.cpu;
    };
    auto lookUp = [&] {
        return timed(library, [&] {
            if (shape)
                benchmark::DoNotOptimize(
                    qz::regfile::queryValue(*file, shape->key, shape->value, 1023, qz::regfile::Encoding::Utf8));
            else
                benchmark::DoNotOptimize(qzbench::readAndCountLines(*file));
        });
    };
    bool readWhole = true;
    bool libraryFirst = false;
    for (auto _ : state) {
        libraryFirst = !libraryFirst;
        double spent = libraryFirst ? lookUp() : 0;
        timed(baseline, [&] {
            const std::optional<std::size_t> lines = qzbench::readAndCountLines(*file);
            benchmark::DoNotOptimize(lines);
            readWhole = lines.has_value();
        });
        if (!readWhole) {
            state.SkipWithError("short read");
            break;
        }
        if (!libraryFirst)
            spent = lookUp();
        state.SetIterationTime(spent);
    }
    if (baseline.cpu <= 0 || baseline.wall <= 0)
        return;
    state.counters[qzbench::kPairedBaseline] = benchmark::Counter(baseline.cpu, benchmark::Counter::kAvgIterations);
    state.counters[qzbench::kPairedRatio] = library.cpu / baseline.cpu;
    state.counters[qzbench::kPairedWallRatio] = library.wall / baseline.wall;
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fs::file_size(*file)));
}

// Registered before main runs; the files are made once into the build tree and kept.
const bool registered = [] {
    static const std::deque<Shape> all = shapes();
    static std::deque<std::string> names;
    static std::deque<std::string> files;
    for (const Shape& shape : all) {
        for (const auto& [size, label] : {std::pair<std::size_t, const char*>{1u << 20, "1MB"}, {10u << 20, "10MB"}}) {
            files.push_back(fileFor(shape, size, label));
            names.push_back("registry_shape/" + shape.name + "_" + label);
            const std::string& name = names.back();
            names.push_back(shape.name + ", " + label);
            benchmark::RegisterBenchmark(name.c_str(), paired, &shape, &files.back())
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
            qzbench::addPair({names.back().c_str(), name.c_str(), name.c_str(), 10.0});
        }
    }
    // The file that once took a second a lookup, as it was reported: one line of 32,765
    // characters, then about 100 KB in which every other character is NUL.
    static const Shape reported{"reported_133KB", [](std::size_t) {
                                    std::string text = kHeader + "\"CORVAN_HOME\"=\"" + std::string(32765 - 15, 'x');
                                    for (int i = 0; i < 50000; ++i)
                                        text += std::string("\0a", 2);
                                    return text;
                                },
                                kKey, "CORVAN_HOME"};
    static const std::string reportedFile = fileFor(reported, 1, "file");
    static const std::string reportedName = "registry_shape/reported_133KB";
    benchmark::RegisterBenchmark(reportedName.c_str(), paired, &reported, &reportedFile)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    qzbench::addPair({"the reported file, 133KB", reportedName.c_str(), reportedName.c_str(), 10.0});
    static const std::string control = "registry_shape/control_1MB";
    benchmark::RegisterBenchmark(control.c_str(), paired, nullptr, &files[files.size() - 2])
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    qzbench::addPair({"control: baseline against itself, utf16_names 1MB", control.c_str(), control.c_str(), 0});
    return true;
}();

} // namespace
