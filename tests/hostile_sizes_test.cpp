// hostile_sizes_test.cpp - sizes far beyond any real installation: variables and names of
// a megabyte, search lists of ten thousand entries, a tree 300 levels deep, a registry
// file of 100 MB. Each must give its specified answer, or fail cleanly, without a crash
// and with the current directory put back. Times are reported, never asserted.
#include <QZApplicationInfo.h>
#include <QZ_PathManager.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;

namespace {

// Windows holds variables of at most 32767 characters and has no registry file.
const bool kWindows = qztest::joinSeparator() == '\\';

constexpr std::size_t kMegabyte = 1 << 20;

std::string text(const char* value) { return value ? value : "(null)"; }

// Reports how long body took, as a test property and on the output.
template <typename Body>
void timed(const char* what, Body body)
{
    const auto start = std::chrono::steady_clock::now();
    body();
    const double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    ::testing::Test::RecordProperty(what, std::to_string(static_cast<long long>(ms)) + " ms");
    std::cout << "[ time     ] " << what << ": " << ms << " ms\n";
}

class HostileSizesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        env.set("HOME", tree.mkdir("user"));
        env.chdir(tree.mkdir("work"));
        startDir = qztest::currentDirectory();
    }

    int initialize(QZApplicationInfo& info, const std::string& executable)
    {
        return info.Initialize("Ryndel", 10.0f, "support@example.com", executable.c_str(), 0, 2008, 2009);
    }

    EnvGuard env;
    TempTree tree;
    std::string startDir;
};

TEST_F(HostileSizesTest, MegabyteHomeThatNamesNothingFailsCleanly)
{
    if (kWindows)
        GTEST_SKIP() << "a variable holds at most 32767 characters here";
    // Too large for the lookup's buffer, so it counts as unset; no sandbox lies above
    // the executable, so there is no home at all.
    env.set("CORVAN_HOME", "/nowhere/" + std::string(kMegabyte, 'h'));
    const std::string exe = tree.touch("inst/bin/ryndel");

    QZApplicationInfo info;
    int result = -1;
    timed("megabyte CORVAN_HOME", [&] { result = initialize(info, exe); });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(info.GetCorvanHome(), nullptr);
    EXPECT_FALSE(info.GetInitializedStatus());
    EXPECT_EQ(qztest::currentDirectory(), startDir);
}

TEST_F(HostileSizesTest, MegabyteHelpFolderFallsBackToTheHomeHelpFolder)
{
    if (kWindows)
        GTEST_SKIP() << "a variable holds at most 32767 characters here";
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    env.set("QZ_MSG_HELP", std::string(kMegabyte, 'm'));
    const std::string exe = tree.touch("inst/bin/ryndel");

    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, exe), 1);
    EXPECT_EQ(text(info.GetSpecifiedPath("qz_help_dir")), text(info.GetCorvanHome()) + "/help/");
    // GetSysVar does not cut what does not fit either.
    char value[1024] = "untouched";
    info.GetSysVar("QZ_MSG_HELP", value, sizeof value);
    EXPECT_STREQ(value, "");
}

TEST_F(HostileSizesTest, MegabyteExecutableNamesAreNotFound)
{
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    const std::string sep(1, qztest::joinSeparator());
    const std::string huge(kMegabyte, 'e');
    // Absolute, relative to the current directory, and bare (along PATH).
    for (const std::string& name : {tree.path("inst") + sep + huge, "." + sep + huge, huge}) {
        QZApplicationInfo info;
        int result = -1;
        timed("megabyte executable name", [&] { result = initialize(info, name); });
        EXPECT_EQ(qztest::currentDirectory(), startDir);
        EXPECT_EQ(result, 0);
        EXPECT_EQ(info.GetExecutableDir(), nullptr);
    }
}

TEST_F(HostileSizesTest, ExecutableFoundAtTheEndOfTenThousandSearchPathEntries)
{
    if (kWindows)
        GTEST_SKIP() << "a variable holds at most 32767 characters here";
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    const std::string exe = tree.touch("inst/bin/ryndel");
    std::string path;
    for (int i = 0; i < 9999; ++i)
        path += tree.path("missing" + std::to_string(i)) + qztest::searchPathDelimiter();
    path += tree.path("inst/bin");
    env.set("PATH", path);

    QZApplicationInfo info;
    int result = -1;
    timed("PATH of 10000 entries", [&] { result = initialize(info, "ryndel"); });
    ASSERT_EQ(result, 1);
    EXPECT_EQ(text(info.GetExecutablePath()), exe);
}

TEST_F(HostileSizesTest, TenThousandConfigurationDirectories)
{
    if (kWindows)
        GTEST_SKIP() << "a variable holds at most 32767 characters here";
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    const std::string exe = tree.touch("inst/bin/ryndel");
    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, exe), 1);

    // 5000 directories, each listed twice; only the last one exists, with the file.
    constexpr int kDistinct = 5000;
    std::string list;
    for (int round = 0; round < 2; ++round)
        for (int i = 0; i < kDistinct; ++i)
            list += tree.path("c" + std::to_string(i)) + qztest::searchPathDelimiter();
    const std::string last = tree.path("c" + std::to_string(kDistinct - 1));
    tree.touch("c" + std::to_string(kDistinct - 1) + "/app.ini");
    env.set("QZ_CONFIG_PATH", list);

    for (int keepDuplicates : {1, 0}) {
        std::unique_ptr<QZ_PathManager> manager;
        const std::string label = "QZ_CONFIG_PATH of 10000 entries, keepDuplicates " + std::to_string(keepDuplicates);
        timed(label.c_str(), [&] { manager = std::make_unique<QZ_PathManager>(&info, keepDuplicates); });
        ASSERT_EQ(manager->GetNumQZConfigPathArray(), 2 * kDistinct);
        // Without duplicates the first of each pair is blanked, the second kept.
        EXPECT_EQ(text(manager->GetQZConfigPathItem(0)), keepDuplicates ? tree.path("c0") : "");
        EXPECT_EQ(text(manager->GetQZConfigPathItem(kDistinct)), tree.path("c0"));
        EXPECT_EQ(text(manager->GetQZConfigPathItem(2 * kDistinct - 1)), last);
        EXPECT_EQ(manager->GetQZConfigPathItem(2 * kDistinct), nullptr);

        char directory[1024];
        bool found = false;
        timed("search of 10000 configuration directories",
              [&] { found = manager->GetFilePath(const_cast<char*>("app.ini"), directory, 4); });
        EXPECT_TRUE(found);
        EXPECT_EQ(std::string(directory), last);
    }
}

TEST_F(HostileSizesTest, UpwardWalkThroughThreeHundredLevels)
{
    // Short names keep the deepest path near 600 characters, within what Linux takes
    // at once; Windows refuses paths of more than 260 characters in most calls, and
    // there the walk may fail but must fail cleanly.
    std::string relative = "top";
    for (int level = 0; level < 300; ++level)
        relative += "/d";
    tree.mkdir("top/qzcommon");
    const std::string exe = tree.touch(relative + "/ryndel");

    QZApplicationInfo info;
    int result = -1;
    timed("upward walk of 300 levels", [&] { result = initialize(info, exe); });
    EXPECT_EQ(qztest::currentDirectory(), startDir);
    if (kWindows && result == 0)
        return;
    ASSERT_EQ(result, 1);
    std::string home = tree.path("top");
    for (char& c : home)
        if (c == '\\')
            c = '/';
    EXPECT_EQ(text(info.GetCorvanHome()), home);
    EXPECT_EQ(text(info.GetSpecifiedPath("qz_bindir")), home + "/qz/bin/" + qztest::productArchitecture());

    // The same from the bottom of the tree, through a name relative to it.
    env.chdir(tree.path(relative));
    const std::string bottom = qztest::currentDirectory();
    QZApplicationInfo fromBottom;
    EXPECT_EQ(initialize(fromBottom, "." + std::string(1, qztest::joinSeparator()) + "ryndel"), 1);
    EXPECT_EQ(text(fromBottom.GetCorvanHome()), home);
    EXPECT_EQ(qztest::currentDirectory(), bottom);
}

TEST_F(HostileSizesTest, HundredMegabyteRegistryFileAnswersFromItsEnd)
{
    if (kWindows)
        GTEST_SKIP() << "the registry stand-in file is read on Linux only";
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    const std::string exe = tree.touch("inst/bin/ryndel");

    const std::string file = tree.path("registry.reg");
    timed("writing a 100 MB registry file", [&] {
        std::ofstream out(file, std::ios::binary);
        out << "Windows Registry Editor Version 5.00\r\n\r\n";
        std::string block;
        for (int i = 0; block.size() < kMegabyte; ++i)
            block += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\Filler" + std::to_string(i) +
                     "]\r\n\"WANTED\"=\"not this one\"\r\n\"Count\"=dword:00000010\r\n"
                     "\"Blob\"=hex:01,02,03,04,05,06,07,08,\\\r\n  09,0a\r\n\r\n";
        for (int i = 0; i < 100; ++i)
            out << block;
        out << "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60]\r\n"
               "\"WANTED\"=\"found at the end\"\r\n";
    });
    ASSERT_GE(fs::file_size(file), 100 * kMegabyte);
    env.set("CORVAN_REGISTRY", file);
    // The variables that Initialize looks up come from the environment, so that the
    // file is read only by the lookups below.
    env.set("DISPLAY", ":0");
    env.set("CORVAN_ARCH", "x86_64");
    env.set("QZ_MSG_HELP", tree.mkdir("help"));

    QZApplicationInfo info;
    ASSERT_EQ(initialize(info, exe), 1);
    char value[1024] = "";
    timed("GetSysVar from the end of a 100 MB registry file",
          [&] { info.GetSysVar("WANTED", value, sizeof value); });
    EXPECT_STREQ(value, "found at the end");
    timed("GetSysVar of a value that the 100 MB file lacks",
          [&] { info.GetSysVar("MISSING", value, sizeof value); });
    EXPECT_STREQ(value, "");
}

} // namespace
