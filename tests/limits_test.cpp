// limits_test.cpp - the library's fixed limits, each tested on the limit, one below and
// one above, with guard bytes behind every caller's buffer.
#include <QZApplicationInfo.h>
#include <QZ_PathManager.h>

#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;
using qztest::TestRegistry;

namespace {

const bool kWindows = qztest::joinSeparator() == '\\';
// The library probes files with the system's 8-bit calls, which on Windows see no path
// longer than MAX_PATH allows (259 characters; Wine takes 260), and changes only into
// directories of at most 258 characters (Wine: 260).
const bool kLongPathsVisible = !kWindows;
constexpr const char* kLongPathsInvisible = "the 8-bit file calls of Windows see no path of more than 259 characters (Wine: 260)";
constexpr const char* kLongWalkInvisible =
    "the walk changes into each directory, and Windows takes no current directory of more than 258 "
    "characters (Wine takes 260, and no file of a longer path), so the outcome is the system's";

// The caller's buffer of GetFilePath and GetSysVar.
constexpr std::size_t kBufferSize = 1024;

std::string text(const char* value) { return value ? value : "(null)"; }

// A caller's 1024-byte buffer, filled with a pattern, followed by guard bytes that no
// call may touch.
class GuardedBuffer {
public:
    explicit GuardedBuffer(const std::string& initial = "untouched") : _bytes(kBufferSize + kGuardSize, kGuard)
    {
        std::fill(_bytes.begin(), _bytes.begin() + kBufferSize, 'u');
        std::memcpy(_bytes.data(), initial.c_str(), initial.size() + 1);
    }
    char* data() { return _bytes.data(); }
    // The text as the caller reads it; a missing terminator runs into the guard.
    std::string text() const { return std::string(_bytes.data(), strnlen(_bytes.data(), _bytes.size())); }
    bool guardIntact() const
    {
        return std::all_of(_bytes.begin() + kBufferSize, _bytes.end(), [](char c) { return c == kGuard; });
    }

private:
    static constexpr std::size_t kGuardSize = 64;
    static constexpr char kGuard = '#';
    std::vector<char> _bytes;
};

// The native path of a directory below tree whose text has exactly length characters,
// made of components of at most 200 characters (file systems take 255), all named with
// letter. Created when create is set.
std::string directoryOfLength(const TempTree& tree, std::size_t length, char letter, bool create = true)
{
    const char separator = qztest::joinSeparator();
    std::string path = tree.path();
    if (path.size() + 2 > length)
        throw std::invalid_argument("the tree's own path is too long");
    while (path.size() < length) {
        std::size_t left = length - path.size() - 1; // after the separator
        // Never leave a remainder too short for a separator and one character.
        std::size_t piece = left <= 200 ? left : std::min<std::size_t>(200, left - 2);
        path += separator;
        path.append(piece, letter);
    }
    if (create)
        fs::create_directories(fs::path(path));
    return path;
}

class LimitsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        env.set("HOME", tree.mkdir("user"));
        env.chdir(tree.mkdir("work"));
        startDir = qztest::currentDirectory();
    }

    int initialize(QZApplicationInfo& info, const std::string& executable, int firstYear = 2008,
                   int lastYear = 2009, float version = 10.0f)
    {
        return info.Initialize("Ryndel", version, "support@example.com", executable.c_str(), 0, firstYear,
                               lastYear);
    }

    // An installation home with an executable in it.
    std::string installation()
    {
        env.set("CORVAN_HOME", tree.mkdir("inst"));
        return tree.touch("inst/bin/ryndel.exe");
    }

    EnvGuard env;
    TempTree tree;
    std::string startDir;
};

// --- Directories of the path manager: 1024 bytes with the terminator ---

// Places the texts of search steps 0 and 3, which otherwise only an existing current
// or executable directory could fill, so that their limits can be met everywhere.
class PlacedManager : public QZ_PathManager {
public:
    explicit PlacedManager(QZApplicationInfo* info) : QZ_PathManager(info, 1) {}
    void placeCurrentDirectory(const std::string& directory) { _cwd = keep(directory); }
    void placeProductionDirectory(const std::string& directory) { _productionInstallationDir = keep(directory); }

private:
    char* keep(const std::string& directory)
    {
        _placed.push_back(std::make_unique<std::string>(directory));
        return _placed.back()->data();
    }
    std::vector<std::unique_ptr<std::string>> _placed;
};

enum class Step { CurrentDirectory = 0, Home = 1, ConfigurationDirectory = 2, ProductionDirectory = 3 };

const char* nameOf(Step step)
{
    switch (step) {
    case Step::CurrentDirectory: return "current directory";
    case Step::Home: return "home";
    case Step::ConfigurationDirectory: return "configuration directory";
    case Step::ProductionDirectory: return "production installation directory";
    }
    return "?";
}

// A directory that fits the caller's buffer with its terminator is handed over whole;
// one of 1024 characters is passed over, as if the file were not there, and the buffer
// is neither cut short nor overrun. The path manager itself keeps such texts whole.
TEST_F(LimitsTest, GetFilePathTakesDirectoriesOfUpTo1023Characters)
{
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, installation()), 1);
    char letter = 'a';
    for (Step step : {Step::CurrentDirectory, Step::Home, Step::ConfigurationDirectory, Step::ProductionDirectory}) {
        for (std::size_t length : {1022u, 1023u, 1024u}) {
            SCOPED_TRACE(std::string(nameOf(step)) + " of " + std::to_string(length) + " characters");
            const bool fits = length < kBufferSize;
            const std::string directory = directoryOfLength(tree, length, letter++, kLongPathsVisible);
            if (step == Step::Home)
                env.set("HOME", directory);
            if (step == Step::ConfigurationDirectory)
                env.set("QZ_CONFIG_PATH", directory);
            PlacedManager pm(&info);
            env.set("HOME", tree.path("user"));
            env.unset("QZ_CONFIG_PATH");
            if (step == Step::CurrentDirectory)
                pm.placeCurrentDirectory(directory);
            if (step == Step::ProductionDirectory)
                pm.placeProductionDirectory(directory);
            if (step == Step::Home) {
                EXPECT_EQ(text(pm.GetUserHome()), directory);
            }
            if (step == Step::ConfigurationDirectory) {
                ASSERT_EQ(pm.GetNumQZConfigPathArray(), 1);
                EXPECT_EQ(text(pm.GetQZConfigPathItem(0)), directory);
            }
            const std::string production = text(pm.GetProductionInstallationDir());

            // Nothing to find: the buffer holds what the last step put into it.
            const int count = static_cast<int>(step) + 1;
            GuardedBuffer missing;
            std::string absent = "absent.ini";
            EXPECT_FALSE(pm.GetFilePath(absent.data(), missing.data(), count));
            EXPECT_EQ(missing.text(), fits ? directory : "");
            EXPECT_TRUE(missing.guardIntact());

            // The file in the long directory alone, over all four steps: the joined path
            // is longer than 1023 characters and is still tested whole.
            if (!kLongPathsVisible)
                continue;
            std::string file = "app.ini";
            std::ofstream(fs::path(directory) / file) << "";
            GuardedBuffer found;
            EXPECT_EQ(pm.GetFilePath(file.data(), found.data(), 4), fits);
            EXPECT_EQ(found.text(), fits ? directory : step == Step::ProductionDirectory ? "" : production);
            EXPECT_TRUE(found.guardIntact());
        }
    }
}

// A configuration directory that does not fit is passed over and the search goes on
// with the next one.
TEST_F(LimitsTest, ConfigurationSearchPassesOverEntriesOf1024Characters)
{
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, installation()), 1);
    const std::string shortEntry = tree.mkdir("cfg");
    tree.touch("cfg/app.ini");
    char letter = 'a';
    for (std::size_t length : {1022u, 1023u, 1024u}) {
        SCOPED_TRACE("first entry of " + std::to_string(length) + " characters");
        const std::string longEntry = directoryOfLength(tree, length, letter++, kLongPathsVisible);
        if (kLongPathsVisible)
            std::ofstream(fs::path(longEntry) / "app.ini") << "";
        env.set("QZ_CONFIG_PATH", longEntry + ';' + shortEntry);
        QZ_PathManager pm(&info, 0);
        ASSERT_EQ(pm.GetNumQZConfigPathArray(), 2);
        EXPECT_EQ(text(pm.GetQZConfigPathItem(0)), longEntry);

        std::string file = "app.ini";
        GuardedBuffer buffer;
        EXPECT_TRUE(pm.GetFilePath(file.data(), buffer.data(), 3));
        const bool longFound = kLongPathsVisible && length < kBufferSize;
        EXPECT_EQ(buffer.text(), longFound ? longEntry : shortEntry);
        EXPECT_TRUE(buffer.guardIntact());
    }
}

// FindFilePath joins in a buffer of its own: joined paths of 1023 characters and more
// are tested whole, never cut, and the caller's directory is left as it was.
TEST_F(LimitsTest, FindFilePathTestsJoinedPathsBeyond1023CharactersWhole)
{
    if (!kLongPathsVisible)
        GTEST_SKIP() << kLongPathsInvisible;
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, installation()), 1);
    QZ_PathManager pm(&info, 0);
    std::string file = "a.ini"; // "/a.ini" adds 6 characters
    char letter = 'a';
    for (std::size_t length : {1016u, 1017u, 1018u, 1022u, 1023u, 1024u}) {
        SCOPED_TRACE("directory of " + std::to_string(length) + " characters, joined path of " +
                     std::to_string(length + 6));
        const std::string directory = directoryOfLength(tree, length, letter++);
        std::vector<char> argument(directory.begin(), directory.end());
        argument.push_back('\0');
        argument.insert(argument.end(), 64, '#');
        const std::vector<char> before = argument;

        // Only the name cut short exists at first, so a join that cuts at 1023
        // characters would find it.
        std::ofstream(fs::path(directory) / "a.in") << "";
        EXPECT_FALSE(pm.FindFilePath(argument.data(), file.data()));
        std::ofstream(fs::path(directory) / file) << "";
        EXPECT_TRUE(pm.FindFilePath(argument.data(), file.data()));
        EXPECT_EQ(argument, before);
    }
}

// The configuration list is read whole, also where it passes the 5000 bytes with the
// terminator that its counting copy once held.
TEST_F(LimitsTest, ConfigurationListsAroundFiveThousandCharacters)
{
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, installation()), 1);
    const char delimiter = ';'; // a delimiter of the list on every system
    for (std::size_t length : {4998u, 4999u, 5000u, 5001u}) {
        SCOPED_TRACE("QZ_CONFIG_PATH of " + std::to_string(length) + " characters");
        // Entries of 99 characters and a delimiter each; the last one takes the rest.
        std::vector<std::string> entries;
        std::string list;
        while (list.size() + 100 < length) {
            entries.push_back(std::string(99, static_cast<char>('a' + entries.size() % 26)));
            list += entries.back() + delimiter;
        }
        entries.push_back(std::string(length - list.size(), 'z'));
        list += entries.back();
        ASSERT_EQ(list.size(), length);
        env.set("QZ_CONFIG_PATH", list);
        QZ_PathManager pm(&info, 1);
        ASSERT_EQ(pm.GetNumQZConfigPathArray(), static_cast<int>(entries.size()));
        for (std::size_t i = 0; i < entries.size(); ++i)
            EXPECT_EQ(text(pm.GetQZConfigPathItem(static_cast<int>(i))), entries[i]) << "entry " << i;
    }
}

// --- The path dictionary: texts in blocks of 4096 bytes ---

class ProbedTable : public QZApplicationInfo::PathDictionary {
public:
    const char* keyAt(int index) const { return _keys[index]; }
    const char* valueAt(int index) const { return _values[index]; }
    int count() const { return _count; }
};

enum class Adding { Append, EnrollStream, EnrollText };

// A text of length characters that differs from every other text of the test at every
// position, so that an overlap of two texts shows; unique carries a key's own letter.
std::string patterned(std::size_t length, int unique)
{
    std::string value(length, '\0');
    for (std::size_t i = 0; i < length; ++i)
        value[i] = static_cast<char>('!' + (static_cast<std::size_t>(unique) * 7 + i) % 90);
    if (length > 0)
        value[0] = static_cast<char>('A' + unique);
    return value;
}

// Keys and values of 4094 to 4097 characters (4095 to 4098 bytes with the terminator),
// texts that fill a block exactly and texts one byte larger than the room left, by each
// way of adding. Every text must stay whole and every pointer handed out where it was.
TEST_F(LimitsTest, PathDictionaryTextsAroundTheBlockSize)
{
    // (key length, value length); the comments count bytes in 4096-byte blocks.
    const std::pair<std::size_t, std::size_t> rows[] = {
        {1, 4093},    // 2 + 4094: the first block exactly full
        {4095, 4096}, // a key that is one block; a value larger than one
        {1, 4094},    // 2, then a value one byte larger than the room left
        {0, 4097},    // a key that fills the room exactly; a value of two bytes beyond a block
        {4094, 4095}, // 4095, then a value that needs the one byte left and more
        {4096, 4094}, // a key larger than a block; 4095
        {1, 0},       // a key one byte larger than the room left; an empty value
        {4097, 1},
        {2, 4095},
    };
    for (Adding adding : {Adding::Append, Adding::EnrollStream, Adding::EnrollText}) {
        SCOPED_TRACE("adding by " + std::to_string(static_cast<int>(adding)));
        ProbedTable table;
        std::vector<std::string> keys, values;
        std::vector<const char*> keyPointers, valuePointers;
        // Memory of the test's own, taken after each entry: a text written past the end
        // of the library's storage lands in it or under it, and one of the two shows.
        std::vector<std::string> guards;
        const std::string guard(8192, '#');
        for (const auto& [keyLength, valueLength] : rows) {
            const int index = static_cast<int>(keys.size());
            keys.push_back(patterned(keyLength, index));
            values.push_back(patterned(valueLength, index + 20));
            const char* returned = nullptr;
            switch (adding) {
            case Adding::Append:
                table.Append(keys.back().c_str(), values.back().c_str());
                break;
            case Adding::EnrollStream: {
                std::ostrstream stream;
                stream << values.back() << std::ends;
                returned = table.Enroll(keys.back().c_str(), &stream);
                break;
            }
            case Adding::EnrollText:
                returned = table.Enroll(keys.back().c_str(), values.back().c_str());
                break;
            }
            ASSERT_EQ(table.count(), index + 1);
            keyPointers.push_back(table.keyAt(index));
            valuePointers.push_back(table.valueAt(index));
            if (adding != Adding::Append) {
                EXPECT_EQ(returned, valuePointers.back());
            }
            // Every text so far whole, at the address it was given.
            for (int i = 0; i <= index; ++i) {
                SCOPED_TRACE("after entry " + std::to_string(index) + ", entry " + std::to_string(i));
                EXPECT_EQ(table.keyAt(i), keyPointers[i]);
                EXPECT_EQ(table.valueAt(i), valuePointers[i]);
                EXPECT_EQ(keyPointers[i], keys[i]);
                EXPECT_EQ(valuePointers[i], values[i]);
            }
            guards.push_back(guard);
            for (const std::string& g : guards)
                ASSERT_EQ(g, guard) << "memory next to the table was overwritten";
        }
        std::size_t dumpLength = 0;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(table.GetPath(keys[i].c_str()), valuePointers[i]) << "entry " << i;
            dumpLength += keys[i].size() + 3 + values[i].size() + 1;
        }
        const std::unique_ptr<char[]> dump(table.DumpPaths());
        const std::string head = std::to_string(keys.size()) + " keys\n=======================\n";
        EXPECT_EQ(std::strlen(dump.get()), head.size() + dumpLength + 24);
    }
}

// --- The upward walk: executable directories and ancestors of 259 to 261 characters ---

// The walk works on texts of any length, so the home is found from an executable
// directory of those lengths and in an ancestor of those lengths alike.
TEST_F(LimitsTest, UpwardWalkAroundTwoHundredSixtyCharacters)
{
    if (!kLongPathsVisible)
        GTEST_SKIP() << kLongWalkInvisible;
    enum class Marker { InExecutableDirectory, AtTheTop, InTheAncestor };
    for (Marker marker : {Marker::InExecutableDirectory, Marker::AtTheTop, Marker::InTheAncestor}) {
        for (std::size_t length : {259u, 260u, 261u}) {
            SCOPED_TRACE("marker " + std::to_string(static_cast<int>(marker)) + ", directory of " +
                         std::to_string(length) + " characters");
            TempTree walkTree;
            const std::string sep(1, qztest::joinSeparator());
            const std::string directory = directoryOfLength(walkTree, length, 'w');
            std::string executableDir = directory;
            std::string home = directory;
            if (marker == Marker::InTheAncestor) {
                executableDir = directory + sep + "bin";
                fs::create_directories(executableDir);
            }
            if (marker == Marker::AtTheTop)
                home = walkTree.path();
            fs::create_directories(fs::path(home) / "qzcommon");
            const std::string exe = executableDir + sep + "ryndel";
            std::ofstream(exe) << "";

            QZApplicationInfo info;
            ASSERT_EQ(initialize(info, exe), 1);
            EXPECT_EQ(text(info.GetExecutableDir()), executableDir);
            EXPECT_EQ(text(info.GetCorvanHome()), qztest::slashed(home));
            EXPECT_EQ(qztest::currentDirectory(), startDir);
        }
    }
}

// --- The copyright statement: years as they come ---

TEST_F(LimitsTest, CopyrightYearsAreWrittenAsGiven)
{
    const std::string exe = installation();
    const struct {
        int first, last;
        const char* years;
    } rows[] = {
        {2009, 2009, "2009"},      // equal: one year
        {2008, 2009, "2008-2009"}, // one apart, in order
        {2010, 2009, "2010-2009"}, // one apart, reversed
        {2009, 1998, "2009-1998"}, // reversed: no reordering, no check
        {1998, 2009, "1998-2009"},
        {0, 0, "0"},
        {-1, 1, "-1-1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::to_string(row.first) + ", " + std::to_string(row.last));
        QZApplicationInfo info;
        ASSERT_EQ(initialize(info, exe, row.first, row.last), 1);
        EXPECT_EQ(text(info.GetCopyrightStatement()),
                  std::string("Copyright (c) ") + row.years +
                      " Corvan Engineering, Inc.,   All rights reserved.\n"
                      "This program is protected by copyright law and international treaties.\n"
                      "Copying or distributing it without a license from Corvan Engineering, Inc. is prohibited.\n"
                      "\n");
    }
}

// --- System variables: a value fits when it is shorter than the caller's size ---

TEST_F(LimitsTest, SystemVariableValuesAroundTheCallersSize)
{
    const std::string exe = installation();
    // A version of this test's own, so that its registry values are seen by no other test.
    constexpr float kVersion = 3.75f;
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, exe, 2008, 2009, kVersion), 1);
    TestRegistry registry(env, tree, info.GetSystemBaseRegistryPath());
    registry.setString("", "LIMIT_FALLBACK", "from the registry");

    const struct {
        std::size_t length;
        unsigned int size;
        bool fits;
    } rows[] = {
        {1022, 1024, true}, {1023, 1024, true}, {1024, 1024, false}, {1025, 1024, false},
        {4, 5, true},       {5, 5, false},       {0, 1024, false}, // empty counts as absent
        {1, 1, false},      {1023, 1023, false}, {1022, 1023, true},
    };
    for (const auto& row : rows) {
        for (const char* name : {"LIMIT_ALONE", "LIMIT_FALLBACK"}) {
            SCOPED_TRACE(std::string(name) + " of " + std::to_string(row.length) + " characters, size " +
                         std::to_string(row.size));
            const std::string value = patterned(row.length, 3);
            if (row.length == 0 && !qztest::canHoldEmptyVariables())
                env.unset(name);
            else
                env.set(name, value);
            GuardedBuffer buffer;
            info.GetSysVar(name, buffer.data(), row.size);
            const bool fallback = std::strcmp(name, "LIMIT_FALLBACK") == 0 && row.size > 17;
            EXPECT_EQ(buffer.text(), row.fits ? value : fallback ? "from the registry" : "");
            EXPECT_TRUE(buffer.guardIntact());
        }
    }
}

} // namespace
