// lookup_bench.cpp - GetSpecifiedPath over every published key, beside a plain strcmp
// scan of an array of the same key/value pairs.
#include "Fixtures.h"

#include <QZApplicationInfo.h>
#include <QZStartupReport.h>

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Initialized {
    QZApplicationInfo info;
    std::vector<std::pair<std::string, std::string>> table;
    std::vector<std::string> keys; // the queries: copies, so that no pointer compares equal

    Initialized()
    {
        qzbench::sandbox().enter(false);
        // The start-up report lists the published table in its order.
        QZStartupReport report;
        if (report.Initialize(info, "Ryndel", 10.0f, "support@corvan.example", "ryndel", 0, 2008, 2009) == 1)
            table = report.published;
        for (const auto& row : table)
            keys.push_back(row.first);
    }
};

const Initialized& initialized()
{
    static const Initialized record;
    return record;
}

void library(benchmark::State& state)
{
    const Initialized& record = initialized();
    if (record.keys.size() != 77) {
        state.SkipWithError("the published table does not have 77 keys");
        return;
    }
    for (auto _ : state)
        for (const std::string& key : record.keys)
            benchmark::DoNotOptimize(record.info.GetSpecifiedPath(key.c_str()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(record.keys.size()));
}

const char* scan(const std::vector<std::pair<const char*, const char*>>& pairs, const char* key)
{
    for (const auto& pair : pairs)
        if (std::strcmp(pair.first, key) == 0)
            return pair.second;
    return nullptr;
}

void baseline(benchmark::State& state)
{
    const Initialized& record = initialized();
    std::vector<std::pair<const char*, const char*>> pairs;
    for (const auto& row : record.table)
        pairs.emplace_back(row.first.c_str(), row.second.c_str());
    for (auto _ : state)
        for (const std::string& key : record.keys)
            benchmark::DoNotOptimize(scan(pairs, key.c_str()));
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(record.keys.size()));
}

} // namespace

BENCHMARK(library)->Name("lookup/GetSpecifiedPath_77");
BENCHMARK(baseline)->Name("lookup/strcmp_scan_77");
