// registry_bench.cpp - one value from a 50 MB registry export through the registry
// stand-in, beside one read() of the file and a memchr pass over its lines.
#include "Fixtures.h"

#include "platform/registry/RegistryFile.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>

namespace {

void library(benchmark::State& state)
{
    const qzbench::LargeRegistry& registry = qzbench::largeRegistry();
    const auto check = qz::regfile::queryValue(registry.file, registry.keyPath, registry.valueName, 1023);
    if (!check || *check != registry.expected) {
        state.SkipWithError("the wanted value was not read back");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(qz::regfile::queryValue(registry.file, registry.keyPath, registry.valueName, 1023));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(registry.file)));
}

void baseline(benchmark::State& state)
{
    const qzbench::LargeRegistry& registry = qzbench::largeRegistry();
    for (auto _ : state) {
        const int fd = ::open(registry.file.c_str(), O_RDONLY);
        struct stat info {};
        ::fstat(fd, &info);
        const auto size = static_cast<std::size_t>(info.st_size);
        std::unique_ptr<char[]> buffer(new char[size]);
        const ssize_t got = ::read(fd, buffer.get(), size);
        ::close(fd);
        if (got != static_cast<ssize_t>(size)) {
            state.SkipWithError("short read");
            break;
        }
        std::size_t lines = 0;
        const char* end = buffer.get() + size;
        for (const char* p = buffer.get(); p < end; ++lines) {
            const void* newline = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            p = newline ? static_cast<const char*>(newline) + 1 : end;
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(registry.file)));
}

} // namespace

BENCHMARK(library)->Name("registry/queryValue_50MB")->Unit(benchmark::kMillisecond);
BENCHMARK(baseline)->Name("registry/read_memchr_50MB")->Unit(benchmark::kMillisecond);
