// path_manager_test.cpp - the configuration directories, their de-duplication, the file
// search and the walk over all places, through the public interface of the library.
#include <QZApplicationInfo.h>
#include <QZ_PathManager.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

std::string textOf(const char* text) { return text ? text : "<null>"; }

std::string join(const std::vector<std::string>& pieces, const char* delimiter = ";")
{
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i)
        joined += (i == 0 ? "" : delimiter) + pieces[i];
    return joined;
}

// Records every directory that ReadFromAll hands to the reader.
class Recorder : public QZ_PathManager {
public:
    using QZ_PathManager::QZ_PathManager;
    int ReadFile(char* directory, char* data) override
    {
        directories.push_back(textOf(directory));
        datas.push_back(data);
        return 1;
    }
    std::vector<std::string> directories;
    std::vector<char*> datas;
};

// An initialized record over a temporary tree: the executable is bin/app.exe and the
// current directory is work/. HOME and QZ_CONFIG_PATH are unset until a test sets them.
class PathManagerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.set("CORVAN_HOME", tree.path());
        env.unset("QZ_CONFIG_PATH");
        env.unset("HOME");
        const std::string executable = tree.touch("bin/app.exe");
        tree.mkdir("work");
        env.chdir(tree.root() / "work");
        ASSERT_EQ(1, info.Initialize("App", 10.0f, "x@y", executable.c_str(), 0, 2000, 2001));
        bin = textOf(info.GetExecutableDir());
        cwd = textOf(info.GetCurrentWorkingDir());
        ASSERT_NE(bin, cwd);
    }

    // Place names used by the tables: BIN, CWD, or a directory below the tree;
    // "NAME/" adds a trailing separator and "NAME^" spells the path in capitals.
    // Blanks and names that begin with '.' stand for themselves.
    std::string resolve(const std::string& token) const
    {
        if (token.empty() || token[0] == '.' || token.find_first_not_of(' ') == std::string::npos)
            return token;
        if (token.back() == '/')
            return resolve(token.substr(0, token.size() - 1)) + "/";
        if (token.back() == '^') {
            std::string upper = resolve(token.substr(0, token.size() - 1));
            for (char& c : upper)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            return upper;
        }
        if (token == "BIN")
            return bin;
        if (token == "CWD")
            return cwd;
        return tree.path(token);
    }

    std::vector<std::string> resolve(const std::vector<std::string>& tokens) const
    {
        std::vector<std::string> paths;
        for (const std::string& token : tokens)
            paths.push_back(resolve(token));
        return paths;
    }

    void setPlaces(const std::vector<std::string>& config, const char* home)
    {
        if (!config.empty())
            env.set("QZ_CONFIG_PATH", join(resolve(config)));
        if (home)
            env.set("HOME", resolve(home));
    }

    static std::vector<std::string> items(QZ_PathManager& pm)
    {
        std::vector<std::string> result;
        for (int i = 0; pm.GetQZConfigPathItem(i); ++i)
            result.push_back(pm.GetQZConfigPathItem(i));
        return result;
    }

    qztest::TempTree tree;
    qztest::EnvGuard env;
    QZApplicationInfo info;
    std::string bin;
    std::string cwd;
};

// --- the configuration path list ---

TEST_F(PathManagerTest, ConfigPathListIsSplitIntoDirectories)
{
    struct Case {
        const char* list;
        std::vector<std::string> directories;
        std::vector<std::string> onWindows; // when ':' makes the difference
        bool platformDependent = false;
    };
    const Case cases[] = {
        {";;/a,,/b;", {"/a", "/b"}, {}},
        {".;./x;/cfg", {"/cfg"}, {}},
        {"..,.hidden,conf,/x/.cfg", {"conf", "/x/.cfg"}, {}},
        {" ;  ,a b", {" ", "  ", "a b"}, {}},
        {",;,", {}, {}},
        {"", {}, {}}, // Windows cannot hold it set-but-empty; unset must read the same
        {"/a:/b;/c", {"/a", "/b", "/c"}, {"/a:/b", "/c"}, true},
        {"C:/a,D:/b", {"C", "/a", "D", "/b"}, {"C:/a", "D:/b"}, true},
        {"x:.y", {"x"}, {"x:.y"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("QZ_CONFIG_PATH=") + c.list);
        qztest::EnvGuard local;
        local.set("QZ_CONFIG_PATH", c.list);
        QZ_PathManager pm(&info, 0);
        const std::vector<std::string>& expected = kWindows && c.platformDependent ? c.onWindows : c.directories;
        EXPECT_EQ(expected, items(pm));
        EXPECT_EQ(static_cast<int>(expected.size()), pm.GetNumQZConfigPathArray());
        EXPECT_STREQ(c.list, pm.GetQZConfigPath());
        EXPECT_EQ(nullptr, pm.GetQZConfigPathItem(-1));
        EXPECT_EQ(nullptr, pm.GetQZConfigPathItem(static_cast<int>(expected.size())));
    }
}

TEST_F(PathManagerTest, UnsetConfigPathGivesNoDirectories)
{
    QZ_PathManager pm(&info, 0);
    ASSERT_NE(nullptr, pm.GetQZConfigPath());
    EXPECT_STREQ("", pm.GetQZConfigPath());
    EXPECT_EQ(0, pm.GetNumQZConfigPathArray());
    EXPECT_EQ(nullptr, pm.GetQZConfigPathItem(0));
    EXPECT_STREQ("", pm.GetUserHome());
    EXPECT_STREQ(bin.c_str(), pm.GetProductionInstallationDir());
    EXPECT_STREQ(cwd.c_str(), pm.GetCWD());
    EXPECT_STREQ("/", pm.GetDirectoryString());
    EXPECT_EQ(&info, pm.GetQZApplicationInfo());
}

// --- duplicate removal ---

TEST_F(PathManagerTest, DuplicatesAreBlankedAndTheLastInReadOrderSurvives)
{
    struct Case {
        const char* name;
        std::vector<std::string> config;
        const char* home; // null: unset
        int keepDuplicates;
        const char* production;
        std::vector<std::string> entries;
        const char* homeAfter;
    };
    const Case cases[] = {
        {"later entry survives", {"a", "b", "a"}, nullptr, 0, "BIN", {"", "b", "a"}, ""},
        {"three copies keep the last", {"a", "a", "a"}, nullptr, 0, "BIN", {"", "", "a"}, ""},
        {"keepDuplicates 1 keeps all", {"a", "b", "a"}, "CWD", 1, "BIN", {"a", "b", "a"}, "CWD"},
        {"keepDuplicates 256 keeps all", {"a", "b", "a"}, "CWD", 256, "BIN", {"a", "b", "a"}, "CWD"},
        {"entry equal to home", {"home", "b"}, "home", 0, "BIN", {"", "b"}, "home"},
        {"entry equal to cwd", {"CWD", "b"}, nullptr, 0, "BIN", {"", "b"}, ""},
        {"home equal to cwd", {}, "CWD", 0, "BIN", {}, ""},
        {"entry, home and cwd equal", {"CWD"}, "CWD", 0, "BIN", {""}, ""},
        {"entry blanked by a later one and by home", {"a", "b", "a"}, "a", 0, "BIN", {"", "b", ""}, "a"},
        {"production equal to an entry", {"BIN", "b"}, nullptr, 0, "", {"BIN", "b"}, ""},
        {"production equal to a repeated entry", {"BIN", "BIN"}, nullptr, 0, "", {"", "BIN"}, ""},
        {"production equal to home", {}, "BIN", 0, "", {}, "BIN"},
        {"separator and case count", {"BIN/", "a", "a^"}, "a/", 0, "BIN", {"BIN/", "a", "a^"}, "a/"},
        {"blank entry is no match for unset home", {" "}, nullptr, 0, "BIN", {" "}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qztest::EnvGuard local;
        if (!c.config.empty())
            local.set("QZ_CONFIG_PATH", join(resolve(c.config)));
        if (c.home)
            local.set("HOME", resolve(c.home));
        QZ_PathManager pm(&info, c.keepDuplicates);
        EXPECT_EQ(resolve(c.production), textOf(pm.GetProductionInstallationDir()));
        EXPECT_EQ(resolve(c.entries), items(pm));
        EXPECT_EQ(static_cast<int>(c.entries.size()), pm.GetNumQZConfigPathArray());
        EXPECT_EQ(resolve(c.homeAfter), textOf(pm.GetUserHome()));
        EXPECT_EQ(cwd, textOf(pm.GetCWD()));
    }
}

TEST_F(PathManagerTest, ProductionDirectoryEqualToCwdIsBlanked)
{
    env.chdir(tree.root() / "bin");
    QZApplicationInfo inBin;
    ASSERT_EQ(1, inBin.Initialize("App", 10.0f, "x@y", tree.path("bin/app.exe").c_str(), 0, 2000, 2001));
    ASSERT_STREQ(inBin.GetExecutableDir(), inBin.GetCurrentWorkingDir());
    QZ_PathManager pm(&inBin, 0);
    EXPECT_STREQ("", pm.GetProductionInstallationDir());
    EXPECT_STREQ(inBin.GetCurrentWorkingDir(), pm.GetCWD());
}

TEST_F(PathManagerTest, MissingRecordTextsCountAsEmpty)
{
    QZApplicationInfo uninitialized;
    for (QZApplicationInfo* record : {static_cast<QZApplicationInfo*>(nullptr), &uninitialized}) {
        QZ_PathManager pm(record, 0);
        EXPECT_EQ(record, pm.GetQZApplicationInfo());
        EXPECT_STREQ("", pm.GetProductionInstallationDir());
        EXPECT_STREQ("", pm.GetCWD());
        char directory[1024] = "untouched";
        char name[] = "app.exe";
        EXPECT_FALSE(pm.GetFilePath(name, directory, 5));
        EXPECT_STREQ("", directory);
    }
}

// --- searching ---

TEST_F(PathManagerTest, GetFilePathSearchesStepByStep)
{
    tree.touch("work/both.ini");
    tree.touch("home/both.ini");
    tree.touch("home/home.ini");
    tree.mkdir("home/sub.ini"); // a directory bearing the name counts as found
    tree.touch("cfg1/other.txt");
    tree.touch("cfg2/cfg.ini");
    tree.touch("bin/bin.ini");
    // The trailing entry equals the current directory and is blanked, so the search
    // step of the configuration directories ends on cfg2.
    setPlaces({"cfg1", "cfg2", "CWD"}, "home");
    QZ_PathManager pm(&info, 0);
    ASSERT_EQ((std::vector<std::string>{tree.path("cfg1"), tree.path("cfg2"), ""}), items(pm));

    struct Case {
        const char* file;
        int count;
        bool found;
        const char* directory; // "=" : left as it was
    };
    const Case cases[] = {
        {"both.ini", 1, true, "CWD"},  {"both.ini", 4, true, "CWD"},  {"home.ini", 1, false, "CWD"},
        {"home.ini", 2, true, "home"}, {"sub.ini", 2, true, "home"},  {"cfg.ini", 2, false, "home"},
        {"cfg.ini", 3, true, "cfg2"},  {"bin.ini", 3, false, "cfg2"}, {"bin.ini", 4, true, "BIN"},
        {"none.ini", 4, false, "BIN"}, {"none.ini", 5, false, ""},    {"none.ini", 0, false, "="},
        {"both.ini", -1, false, "="},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " in " + std::to_string(c.count) + " steps");
        char directory[1024] = "untouched";
        std::string file = c.file;
        EXPECT_EQ(c.found, pm.GetFilePath(file.data(), directory, c.count));
        EXPECT_EQ(std::string(c.directory) == "=" ? "untouched" : resolve(c.directory), directory);
    }
}

TEST_F(PathManagerTest, BlankedProductionDirectoryEndsAFailedSearchEmpty)
{
    setPlaces({"BIN"}, nullptr);
    QZ_PathManager pm(&info, 0);
    char directory[1024] = "untouched";
    char file[] = "none.ini";
    EXPECT_FALSE(pm.GetFilePath(file, directory, 4));
    EXPECT_STREQ("", directory);
}

TEST_F(PathManagerTest, LongDirectoriesAreKeptWholeAndNeverOverrunTheCallersBuffer)
{
    tree.touch("cfg/a.ini");
    const std::string longHome = tree.path("home") + std::string(1, qztest::joinSeparator()) + std::string(1500, 'h');
    std::vector<std::string> config;
    for (char c : {'x', 'y', 'z'})
        config.push_back(tree.path("long") + std::string(1, qztest::joinSeparator()) + std::string(2000, c));
    config.push_back(tree.path("cfg"));
    const std::string list = join(config);
    ASSERT_GT(list.size(), 5000u);
    env.set("QZ_CONFIG_PATH", list);
    env.set("HOME", longHome);
    QZ_PathManager pm(&info, 0);
    EXPECT_EQ(longHome, pm.GetUserHome());
    EXPECT_EQ(list, pm.GetQZConfigPath());
    EXPECT_EQ(config, items(pm));
    EXPECT_EQ(4, pm.GetNumQZConfigPathArray());

    struct Case {
        const char* file;
        int count;
        bool found;
        std::string directory;
    };
    const Case cases[] = {
        {"a.ini", 2, false, ""}, // the home does not fit and is passed over
        {"a.ini", 3, true, tree.path("cfg")},
        {"b.ini", 3, false, tree.path("cfg")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " in " + std::to_string(c.count) + " steps");
        std::vector<char> buffer(1024 + 64, '#');
        std::string file = c.file;
        EXPECT_EQ(c.found, pm.GetFilePath(file.data(), buffer.data(), c.count));
        EXPECT_EQ(c.directory, buffer.data());
        EXPECT_EQ(std::string(64, '#'), std::string(buffer.begin() + 1024, buffer.end()));
    }
}

TEST_F(PathManagerTest, FindFilePathJoinsWithSlash)
{
    tree.touch("cfg/a.ini");
    QZ_PathManager pm(&info, 0);
    std::string directory = tree.path("cfg");
    std::string withSeparator = directory + qztest::joinSeparator();
    std::string empty;
    // "" + "/" + this would name the file on systems whose paths begin with '/'.
    std::string rootless = tree.path("cfg/a.ini").substr(1);
    std::string file = "a.ini";
    std::string missing = "b.ini";
    EXPECT_TRUE(pm.FindFilePath(directory.data(), file.data()));
    EXPECT_TRUE(pm.FindFilePath(withSeparator.data(), file.data()));
    EXPECT_FALSE(pm.FindFilePath(directory.data(), missing.data()));
    EXPECT_FALSE(pm.FindFilePath(empty.data(), rootless.data()));
    EXPECT_FALSE(pm.FindFilePath(nullptr, file.data()));

    std::string path = tree.path("cfg/a.ini");
    std::string nowhere = tree.path("cfg/b.ini");
    EXPECT_TRUE(pm.FindFileWithDirectory(path.data()));
    EXPECT_TRUE(pm.FindFileWithDirectory(directory.data()));
    EXPECT_FALSE(pm.FindFileWithDirectory(nowhere.data()));
    EXPECT_FALSE(pm.FindFileWithDirectory(nullptr));
}

TEST_F(PathManagerTest, NullArgumentsAreHarmless)
{
    setPlaces({"cfg"}, "home");
    Recorder pm(&info, 0);
    char directory[1024] = "untouched";
    EXPECT_FALSE(pm.GetFilePath(nullptr, nullptr, 4));
    char file[] = "a.ini";
    EXPECT_FALSE(pm.GetFilePath(file, nullptr, 4));
    EXPECT_FALSE(pm.GetFilePath(nullptr, directory, 0));
    pm.ReadFromAll(nullptr, nullptr);
    EXPECT_EQ(4u, pm.datas.size());
    QZ_PathManager plain(&info, 0);
    EXPECT_EQ(0, plain.ReadFile(nullptr, nullptr));
}

// --- reading from all places ---

TEST_F(PathManagerTest, ReadFromAllVisitsThePlacesInOrder)
{
    struct Case {
        const char* name;
        std::vector<std::string> config;
        const char* home;
        int keepDuplicates;
        std::vector<int> order; // empty: null order
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"default order", {"a", "b"}, "home", 0, {}, {"BIN", "a", "b", "home", "CWD"}},
        {"reversed order", {"a", "b"}, "home", 0, {4, 3, 2, 1}, {"CWD", "home", "a", "b", "BIN"}},
        {"repeated and unknown codes", {"a", "b"}, "home", 0, {2, 2, 0, 9}, {"a", "b", "a", "b"}},
        {"unset home passed empty", {"a", "b"}, nullptr, 0, {}, {"BIN", "a", "b", "", "CWD"}},
        {"blanked places passed empty", {"a", "CWD", "a"}, "a", 0, {}, {"BIN", "", "", "", "a", "CWD"}},
        {"duplicates kept", {"a", "CWD", "a"}, "a", 1, {}, {"BIN", "a", "CWD", "a", "a", "CWD"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        qztest::EnvGuard local;
        if (!c.config.empty())
            local.set("QZ_CONFIG_PATH", join(resolve(c.config)));
        if (c.home)
            local.set("HOME", resolve(c.home));
        Recorder pm(&info, c.keepDuplicates);
        std::vector<int> order = c.order;
        char data[] = "settings.ini";
        pm.ReadFromAll(data, order.empty() ? nullptr : order.data());
        EXPECT_EQ(resolve(c.calls), pm.directories);
        for (char* passed : pm.datas)
            EXPECT_EQ(data, passed);
    }
}

TEST_F(PathManagerTest, PlainReaderReadsNothing)
{
    QZ_PathManager pm(&info, 0);
    char directory[] = "dir";
    char data[] = "data";
    EXPECT_EQ(0, pm.ReadFile(directory, data));
    EXPECT_STREQ("dir", directory);
    EXPECT_STREQ("data", data);
}

// --- copies ---

TEST_F(PathManagerTest, CopiesShareBuffersAndKeepTheirOwnType)
{
    setPlaces({"a", "b", "a"}, "home");
    auto original = std::make_unique<Recorder>(&info, 0);
    auto copy = std::make_unique<QZ_PathManager>(*original);
    EXPECT_EQ(original->GetQZApplicationInfo(), copy->GetQZApplicationInfo());
    EXPECT_EQ(original->GetProductionInstallationDir(), copy->GetProductionInstallationDir());
    EXPECT_EQ(original->GetQZConfigPath(), copy->GetQZConfigPath());
    EXPECT_EQ(original->GetUserHome(), copy->GetUserHome());
    EXPECT_EQ(original->GetCWD(), copy->GetCWD());
    EXPECT_EQ(original->GetDirectoryString(), copy->GetDirectoryString());
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(original->GetQZConfigPathItem(i), copy->GetQZConfigPathItem(i));
    EXPECT_EQ(nullptr, copy->GetQZConfigPathItem(3));

    // The copy is a plain path manager: its walk reaches no Recorder.
    char data[] = "x";
    copy->ReadFromAll(data, nullptr);
    EXPECT_TRUE(original->directories.empty());

    original.reset();
    EXPECT_EQ(tree.path("b"), copy->GetQZConfigPathItem(1));
    EXPECT_STREQ("", copy->GetQZConfigPathItem(0));
    EXPECT_EQ(tree.path("home"), copy->GetUserHome());
    copy.reset();
}

TEST_F(PathManagerTest, AssignmentSharesTheSourcesBuffersAndKeepsTheTargetsType)
{
    auto source = std::make_unique<QZ_PathManager>(&info, 0);
    env.set("QZ_CONFIG_PATH", tree.path("a"));
    env.set("HOME", tree.path("home"));
    auto target = std::make_unique<Recorder>(&info, 1);
    ASSERT_EQ(1, target->GetNumQZConfigPathArray());

    QZ_PathManager& result = (static_cast<QZ_PathManager&>(*target) = *source);
    EXPECT_EQ(target.get(), &result);
    EXPECT_EQ(source->GetProductionInstallationDir(), target->GetProductionInstallationDir());
    EXPECT_EQ(source->GetQZConfigPath(), target->GetQZConfigPath());
    EXPECT_EQ(source->GetUserHome(), target->GetUserHome());
    EXPECT_EQ(source->GetCWD(), target->GetCWD());
    EXPECT_EQ(source->GetDirectoryString(), target->GetDirectoryString());
    EXPECT_EQ(nullptr, target->GetQZConfigPathItem(0));
    EXPECT_EQ(0, target->GetNumQZConfigPathArray());

    source.reset();
    char data[] = "x";
    target->ReadFromAll(data, nullptr);
    EXPECT_EQ((std::vector<std::string>{bin, "", cwd}), target->directories);
    target.reset();
}

// --- the settings reader example ---

#ifdef QZ_SETTINGS_READER

// Runs the example in the current directory; its output goes to out.txt and err.txt.
int runSettingsReader(const std::string& arguments)
{
    const std::string command =
        "\"" + qztest::nativePath(fs::path(QZ_SETTINGS_READER)) + "\" " + arguments + " >out.txt 2>err.txt";
    return std::system(command.c_str());
}

std::string contentsOf(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    return text;
}

TEST_F(PathManagerTest, SettingsReaderExampleLetsNearerPlacesOverride)
{
    tree.touch("cfg1/reader.ini", "a=cfg1\nb=cfg1\nc=cfg1\nd=cfg1\n");
    tree.touch("cfg2/reader.ini", "# second\nb=cfg2\nc=cfg2\nd=cfg2\n");
    tree.touch("home/reader.ini", "c=home\n\nd=home\n");
    tree.touch("work/reader.ini", "d=cwd\ne=with=sign\n");
    // home is listed as well: blanked there, it is still read after cfg2.
    setPlaces({"cfg1", "home", "cfg2", ".", "missing"}, "home");
    ASSERT_EQ(0, runSettingsReader("reader.ini")) << contentsOf("err.txt");
    EXPECT_EQ("a=cfg1\nb=cfg2\nc=home\nd=cwd\ne=with=sign\n", contentsOf("out.txt"));
    EXPECT_EQ("", contentsOf("err.txt"));
}

TEST_F(PathManagerTest, SettingsReaderExampleReportsAFailedStart)
{
    env.unset("CORVAN_HOME");
    env.set("CORVAN_REGISTRY", tree.path("none.reg"));
    EXPECT_NE(0, runSettingsReader("reader.ini"));
    EXPECT_EQ("", contentsOf("out.txt"));
    EXPECT_NE(std::string::npos, contentsOf("err.txt").find("settings_reader: "));
}

#endif

} // namespace
