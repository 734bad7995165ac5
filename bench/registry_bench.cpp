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
#include <optional>

namespace {

void library(benchmark::State& state)
{
    const qzbench::LargeRegistry& registry = qzbench::largeRegistry();
    const auto check = qz::regfile::queryValue(registry.file, registry.keyPath, registry.valueName, 1023,
                                                  qz::regfile::Encoding::Utf8);
    if (!check || *check != registry.expected) {
        state.SkipWithError("the wanted value was not read back");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(qz::regfile::queryValue(registry.file, registry.keyPath, registry.valueName, 1023,
                                                                 qz::regfile::Encoding::Utf8));
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(registry.file)));
}

void baseline(benchmark::State& state)
{
    const qzbench::LargeRegistry& registry = qzbench::largeRegistry();
    for (auto _ : state) {
        const std::optional<std::size_t> lines = qzbench::readAndCountLines(registry.file);
        if (!lines) {
            state.SkipWithError("short read");
            break;
        }
        benchmark::DoNotOptimize(*lines);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(std::filesystem::file_size(registry.file)));
}

} // namespace

BENCHMARK(library)->Name("registry/queryValue_50MB")->Unit(benchmark::kMillisecond);
BENCHMARK(baseline)->Name("registry/read_memchr_50MB")->Unit(benchmark::kMillisecond);
