// catalogue_reuse_test.cpp - what the catalogue builders read back while they fill the two
// tables: the first entry of a key, wherever it lies; the stored values themselves, which
// stay where they are; and the internal table in the order the published one expects.
#include <QZApplicationInfo.h>

#include "appinfo/InternalKeys.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using qztest::EnvGuard;
using qztest::TempTree;

namespace {

using Table = std::vector<std::pair<std::string, std::string>>;

Table parseDump(char* dump)
{
    std::unique_ptr<char[]> text(dump);
    std::istringstream in(text.get());
    std::string line;
    std::getline(in, line); // count
    std::getline(in, line); // rule
    Table rows;
    while (std::getline(in, line) && line.front() != '=') {
        const auto colon = line.find(" : ");
        rows.emplace_back(line.substr(0, colon), line.substr(colon + 3));
    }
    return rows;
}

std::string valueOf(const Table& table, const std::string& key, int occurrence = 1)
{
    for (const auto& [k, v] : table)
        if (k == key && --occurrence == 0)
            return v;
    ADD_FAILURE() << "no such entry of " << key;
    return "";
}

class Probe : public QZApplicationInfo {
public:
    using QZApplicationInfo::_SetupPublishedPaths;

    Table internal() { return parseDump(_internalPaths.DumpPaths()); }
    Table published() { return parseDump(DumpPaths()); }

    Table republish(const Table& table)
    {
        _internalPaths = PathDictionary();
        for (const auto& [key, value] : table)
            _internalPaths.Append(key.c_str(), value.c_str());
        _publishedPaths = PathDictionary();
        _SetupPublishedPaths();
        return published();
    }
};

class CatalogueReuse : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD", "RY_DLL_PATH",
                                 "QZFL_HOME", "DVK_HOME"})
            env.unset(name);
        env.set("CORVAN_REGISTRY", tree.path("no-registry.reg"));
        env.set("HOME", tree.mkdir("user"));
        env.set("XDG_CONFIG_HOME", tree.mkdir("config"));
        executable = tree.touch("bin/app.exe");
    }

    void initialize(Probe& probe, bool sandbox)
    {
        if (sandbox)
            tree.mkdir("suite/qzcommon");
        env.set("CORVAN_HOME", tree.mkdir("suite"));
        ASSERT_EQ(probe.Initialize("Ryndel", 10.0f, "s@x", executable.c_str(), 0, 2009, 2009), 1);
    }

    EnvGuard env;
    TempTree tree;
    std::string executable;
};

// The published table reads the internal one by the builder's order, so the builder must
// store its keys in exactly that order (a sandbox's own two only in a sandbox).
TEST_F(CatalogueReuse, InternalTableKeepsTheOrderOfItsKeyList)
{
    for (bool sandbox : {false, true}) {
        SCOPED_TRACE(sandbox ? "sandbox" : "installation");
        Probe probe;
        initialize(probe, sandbox);
        std::vector<std::string> expected;
        for (std::size_t key = 0; key < qz::kInternalKeyCount; ++key)
            if (sandbox || !qz::isSandboxOnly(static_cast<qz::InternalKey>(key)))
                expected.emplace_back(qz::kInternalKeyNames[key]);
        std::vector<std::string> keys;
        for (const auto& row : probe.internal())
            keys.push_back(row.first);
        EXPECT_EQ(keys, expected);
    }
}

// A key that the internal table holds twice is read from its first entry, whether the
// second comes after the builder's entries or the first comes before them.
TEST_F(CatalogueReuse, FirstOfTwoInternalEntriesIsPublished)
{
    Probe probe;
    initialize(probe, false);
    const Table built = probe.internal();
    const std::string bin = valueOf(built, "qz_bindir");

    Table later = built;
    later.emplace_back("qz_bindir", "{later}");
    later.emplace_back("fe_rtl", "{later}");
    const Table fromLater = probe.republish(later);
    EXPECT_EQ(valueOf(fromLater, "qz_bindir"), bin);
    EXPECT_EQ(valueOf(fromLater, "dn_readers"), bin);
    EXPECT_EQ(valueOf(fromLater, "ry_module"), valueOf(built, "fe_rtl"));

    Table earlier = {{"qz_bindir", "{earlier}"}};
    earlier.insert(earlier.end(), built.begin(), built.end());
    const Table fromEarlier = probe.republish(earlier);
    EXPECT_EQ(valueOf(fromEarlier, "qz_bindir"), "{earlier}");
    EXPECT_EQ(valueOf(fromEarlier, "jvd_rtl"), "{earlier}/qzjvd10.dll");
    EXPECT_EQ(valueOf(fromEarlier, "qz_tstdir"), valueOf(built, "qz_tstdir"));

    // In the builder's order but for one key stored early a second time.
    Table twice = built;
    twice.insert(twice.begin() + 4, {"fe_bindir", "{twice}"});
    const Table fromTwice = probe.republish(twice);
    EXPECT_EQ(valueOf(fromTwice, "RYBIN_DIR"), "{twice}");
    EXPECT_EQ(valueOf(fromTwice, "ry_mac"), "{twice}");
    EXPECT_EQ(valueOf(fromTwice, "qz_launchdir"), valueOf(built, "qz_launchdir"));
}

// Publishing again into a table that holds entries already: each row that builds on an
// earlier one reads that key's first entry, as a lookup finds it, not the one just stored.
TEST_F(CatalogueReuse, PublishingAgainReadsTheFirstEntriesOfEarlierRows)
{
    Probe probe;
    initialize(probe, false);
    const Table first = probe.published();
    ASSERT_EQ(first.size(), 77u);
    env.set("QZFL_HOME", "/elsewhere/fl");
    env.set("DVK_HOME", "/elsewhere/dvk");
    probe._SetupPublishedPaths();
    const Table both = probe.published();
    ASSERT_EQ(both.size(), 154u);
    EXPECT_EQ(valueOf(both, "fl_rootdir", 2), "/elsewhere/fl");
    EXPECT_EQ(valueOf(both, "fl_scriptdir", 2), valueOf(first, "fl_rootdir") + "/fltcl");
    EXPECT_EQ(valueOf(both, "qz_fl_dir", 2), valueOf(first, "fl_rootdir"));
    EXPECT_EQ(valueOf(both, "dvk_scriptdir", 2), valueOf(first, "dvk_rootdir") + "/tcl");
    for (std::size_t row = 0; row < first.size(); ++row)
        EXPECT_EQ(both[row], first[row]) << "row " << row + 1;
    EXPECT_STREQ(probe.GetSpecifiedPath("fl_rootdir"), valueOf(first, "fl_rootdir").c_str());
}

// Values longer than the blocks the table keeps its texts in, among many short ones: every
// pointer handed out keeps its text at its address while the table goes on growing, and
// a key enrolled again still gives its first value.
TEST(PathDictionaryStorage, StoredTextsStayPutAcrossBlocksAndGrowth)
{
    QZApplicationInfo::PathDictionary table;
    std::vector<std::pair<const char*, std::string>> handedOut;
    for (int i = 0; i < 300; ++i) {
        const std::string key = "key" + std::to_string(i);
        const std::string value = std::string(i % 7 == 0 ? 5000 + i : i % 50, static_cast<char>('a' + i % 26)) + std::to_string(i);
        handedOut.emplace_back(table.Enroll(key.c_str(), value.c_str()), value);
        EXPECT_EQ(table.Enroll(key.c_str(), "again"), handedOut.back().first) << key;
    }
    for (int i = 0; i < 300; ++i) {
        const std::string key = "key" + std::to_string(i);
        EXPECT_EQ(table.GetPath(key.c_str()), handedOut[i].first) << key;
        EXPECT_EQ(handedOut[i].first, handedOut[i].second) << key;
    }
    QZApplicationInfo::PathDictionary copy(table);
    table = QZApplicationInfo::PathDictionary();
    EXPECT_EQ(copy.GetPath("key299"), handedOut[299].first);
    EXPECT_EQ(copy.GetPath("key7"), handedOut[7].first);
}

} // namespace
