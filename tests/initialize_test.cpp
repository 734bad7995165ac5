// initialize_test.cpp - Initialize: executable search, executable directory, home and
// sandbox discovery, the upward walk, and every way out with what it leaves set.
#include <QZApplicationInfo.h>

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <tuple>

namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;

namespace {

using qztest::slashed;

// Reads the protected fields that no accessor returns.
class Probe : public QZApplicationInfo {
public:
    std::string productTag() const { return _productTag ? _productTag : "(null)"; }
    bool sandbox() { return _IsSandbox(); }
    int publishedCount() const
    {
        std::unique_ptr<char[]> dump(const_cast<Probe*>(this)->DumpPaths());
        return std::stoi(dump.get());
    }
    using QZApplicationInfo::_Directory;
};

std::string text(const char* value) { return value ? value : "(null)"; }

class InitializeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        startDir = qztest::currentDirectory();
    }

    // A tree with an installation home and an executable in it.
    std::string installation(const std::string& exe = "inst/bin/app.exe")
    {
        env.set("CORVAN_HOME", tree.mkdir("inst"));
        return tree.touch(exe);
    }

    int initialize(Probe& info, const char* executable, const char* name = "Ryndel")
    {
        return info.Initialize(name, 10.0f, "support@example.com", executable, 0, 2008, 2009);
    }

    EnvGuard env;
    TempTree tree;
    std::string startDir;
};

} // namespace

TEST_F(InitializeTest, EmptyOrNullNameFailsBeforeAnythingIsSet)
{
    const std::string exe = installation();
    for (const char* name : {"", static_cast<const char*>(nullptr)}) {
        Probe info;
        EXPECT_EQ(initialize(info, exe.c_str(), name), 0);
        EXPECT_EQ(info.GetApplicationName(), nullptr);
        EXPECT_EQ(info.GetSupportEMail(), nullptr);
        EXPECT_EQ(info.GetCurrentWorkingDir(), nullptr);
        EXPECT_FALSE(info.GetInitializedStatus());
        EXPECT_EQ(info.publishedCount(), 0);
    }
}

TEST_F(InitializeTest, EmptyOrNullExecutableFailsAfterTheCurrentDirectory)
{
    installation();
    for (const char* exe : {"", static_cast<const char*>(nullptr)}) {
        Probe info;
        EXPECT_EQ(initialize(info, exe), 0);
        EXPECT_STREQ(info.GetApplicationName(), "Ryndel");
        EXPECT_STREQ(info.GetSupportEMail(), "mailto:support@example.com");
        EXPECT_EQ(text(info.GetCurrentWorkingDir()), startDir);
        EXPECT_EQ(info.GetExecutablePath(), nullptr);
        EXPECT_EQ(info.GetApplicationTitle(), nullptr);
    }
}

TEST_F(InitializeTest, UnreadableCurrentDirectoryFailsAfterTheVersion)
{
    const std::string exe = installation();
    env.chdir(tree.mkdir("gone"));
    std::error_code error;
    fs::remove(tree.root() / "gone", error);
    if (error)
        GTEST_SKIP() << "this system cannot remove the current directory";

    Probe info;
    EXPECT_EQ(info.Initialize("Ryndel", 10.5f, "s@x", exe.c_str(), 2, 1, 1), 0);
    EXPECT_STREQ(info.GetApplicationName(), "Ryndel");
    EXPECT_EQ(info.productTag(), "ry");
    EXPECT_EQ(info.GetApplicationVersion(), 10.5f);
    EXPECT_EQ(info.GetCurrentWorkingDir(), nullptr);
    EXPECT_EQ(info.GetExecutablePath(), nullptr);
}

TEST_F(InitializeTest, AbsoluteNameGetsTheFirstExistingExtension)
{
    installation("inst/tools/app.exe");
    tree.touch("inst/tools/app.com");
    tree.touch("inst/tools/other.bat");
    tree.touch("inst/tools/other.exe");
    const std::string tools = tree.path("inst/tools");
    const std::string sep(1, qztest::joinSeparator());

    Probe com;
    ASSERT_EQ(initialize(com, (tools + sep + "app").c_str()), 1);
    EXPECT_EQ(text(com.GetExecutablePath()), tools + sep + "app.com");
    EXPECT_EQ(text(com.GetExecutableDir()), tools);

    Probe bat;
    ASSERT_EQ(initialize(bat, (tools + sep + "other").c_str()), 1);
    EXPECT_EQ(text(bat.GetExecutablePath()), tools + sep + "other.bat");

    // The name as given wins over every extension.
    tree.touch("inst/tools/app");
    Probe bare;
    ASSERT_EQ(initialize(bare, (tools + sep + "app").c_str()), 1);
    EXPECT_EQ(text(bare.GetExecutablePath()), tools + sep + "app");
}

TEST_F(InitializeTest, AbsoluteNameIsNeverLookedForElsewhere)
{
    installation();
    tree.touch("cwd/app.exe");
    env.set("PATH", tree.mkdir("cwd"));
    env.chdir(tree.root() / "cwd");
    const std::string missing = tree.path("missing") + qztest::joinSeparator() + "app";

    Probe info;
    EXPECT_EQ(initialize(info, missing.c_str()), 0);
    EXPECT_EQ(text(info.GetExecutablePath()), missing);
    EXPECT_EQ(info.GetExecutableDir(), nullptr);
    EXPECT_EQ(info.GetApplicationTitle(), nullptr);
}

TEST_F(InitializeTest, RelativeNameFoundNowhereLeavesNoExecutablePath)
{
    installation();
    Probe info;
    EXPECT_EQ(initialize(info, "no-such-program"), 0);
    EXPECT_EQ(info.GetExecutablePath(), nullptr);
    EXPECT_EQ(text(info.GetCurrentWorkingDir()), startDir);
}

TEST_F(InitializeTest, BareNameAlongThePathTakesTheFirstDirectoryAndExtension)
{
    installation();
    const std::string first = tree.mkdir("path1");
    tree.touch("path2/app.exe");
    tree.touch("path2/app.bat");
    tree.touch("path3/app");
    const char d = qztest::searchPathDelimiter();
    env.set("PATH", first + d + d + tree.path("path2") + d + tree.path("path3"));

    Probe info;
    ASSERT_EQ(initialize(info, "app"), 1);
    EXPECT_EQ(text(info.GetExecutablePath()), tree.path("path2") + qztest::joinSeparator() + "app.bat");
    EXPECT_EQ(text(info.GetExecutableDir()), tree.path("path2"));
}

TEST_F(InitializeTest, PathEntriesThatBeginWithADotAreSkipped)
{
    installation();
    tree.touch("dot/app.exe");
    tree.touch("dot/tools/app.exe");
    tree.touch("bin/app.exe");
    env.chdir(tree.root() / "dot" / "tools");
    const char d = qztest::searchPathDelimiter();
    const std::string sep(1, qztest::joinSeparator());
    env.set("PATH", std::string(".") + d + "." + sep + "tools" + d + ".." + sep + "bin" + d + ".." + d +
                        tree.path("bin"));

    Probe info;
    const bool searchesCwd = qztest::bareNamesSearchCurrentDirectory();
    // Where the current directory is searched first, it has app.exe; keep it out.
    if (searchesCwd)
        fs::remove(tree.root() / "dot" / "tools" / "app.exe");
    ASSERT_EQ(initialize(info, "app"), 1);
    EXPECT_EQ(text(info.GetExecutablePath()), tree.path("bin") + sep + "app.exe");
}

TEST_F(InitializeTest, BareNameInTheCurrentDirectoryFollowsThePlatformsRule)
{
    installation();
    tree.touch("cwd/app.exe");
    tree.touch("bin/app.exe");
    env.chdir(tree.root() / "cwd");
    env.set("PATH", tree.path("bin"));
    const std::string sep(1, qztest::joinSeparator());

    Probe info;
    ASSERT_EQ(initialize(info, "app"), 1);
    const std::string expected =
        qztest::bareNamesSearchCurrentDirectory() ? tree.path("cwd") + sep + "app.exe" : tree.path("bin") + sep + "app.exe";
    EXPECT_EQ(text(info.GetExecutablePath()), expected);
}

TEST_F(InitializeTest, NameWithDirectoriesIsJoinedToTheCurrentDirectory)
{
    installation();
    tree.touch("cwd/sub/app.exe");
    env.chdir(tree.root() / "cwd");
    const std::string sep(1, qztest::joinSeparator());

    Probe info;
    ASSERT_EQ(initialize(info, ("sub" + sep + "app").c_str()), 1);
    EXPECT_EQ(text(info.GetExecutablePath()), tree.path("cwd") + sep + "sub" + sep + "app.exe");
    EXPECT_EQ(text(info.GetExecutableDir()), tree.path("cwd") + sep + "sub");
}

TEST_F(InitializeTest, ExecutablePathNamingADirectoryIsItsOwnDirectory)
{
    installation();
    const std::string dir = tree.mkdir("inst/tool.exe");
    Probe info;
    ASSERT_EQ(initialize(info, dir.c_str()), 1);
    EXPECT_EQ(text(info.GetExecutableDir()), dir);
}

TEST_F(InitializeTest, CorvanHomeLosesOneTrailingSeparatorAndIsProbedForTheMarker)
{
    const std::string exe = tree.touch("bin/app.exe");
    const std::string home = tree.mkdir("home");
    const char sep = qztest::joinSeparator();

    struct Case {
        std::string value;
        std::string expectedHome;
    };
    const Case cases[] = {
        {home, slashed(home)},
        {home + sep, slashed(home)},
        {home + sep + sep, slashed(home) + "/"},
        {home + "/", slashed(home)},
    };
    for (const Case& c : cases) {
        env.set("CORVAN_HOME", c.value);
        Probe info;
        ASSERT_EQ(initialize(info, exe.c_str()), 1) << c.value;
        EXPECT_EQ(text(info.GetCorvanHome()), c.expectedHome) << c.value;
        EXPECT_FALSE(info.sandbox());
    }

    // A file named like the marker does not make a sandbox; a directory does.
    tree.touch("home/qzcommon");
    env.set("CORVAN_HOME", home);
    Probe withFile;
    ASSERT_EQ(initialize(withFile, exe.c_str()), 1);
    EXPECT_FALSE(withFile.sandbox());

    fs::remove(tree.root() / "home" / "qzcommon");
    tree.mkdir("home/qzcommon");
    Probe withDir;
    ASSERT_EQ(initialize(withDir, exe.c_str()), 1);
    EXPECT_TRUE(withDir.sandbox());
    EXPECT_EQ(qztest::currentDirectory(), startDir);
}

TEST_F(InitializeTest, CorvanHomeOfOneSeparatorFails)
{
    const std::string exe = tree.touch("bin/app.exe");
    env.set("CORVAN_HOME", std::string(1, qztest::joinSeparator()));
    Probe info;
    EXPECT_EQ(initialize(info, exe.c_str()), 0);
    EXPECT_STREQ(info.GetCorvanHome(), "");
    EXPECT_NE(info.GetSystemBaseRegistryPath(), nullptr);
    EXPECT_FALSE(info.GetInitializedStatus());
}

TEST_F(InitializeTest, WalkFindsTheMarkerAboveTheExecutableAndRestoresTheCurrentDirectory)
{
    tree.mkdir("dev/tree/qzcommon");
    const std::string exe = tree.touch("dev/tree/bin/win64/app.exe");
    Probe info;
    ASSERT_EQ(initialize(info, exe.c_str()), 1);
    EXPECT_EQ(text(info.GetCorvanHome()), slashed(tree.path("dev/tree")));
    EXPECT_TRUE(info.sandbox());
    EXPECT_EQ(qztest::currentDirectory(), startDir);
}

TEST_F(InitializeTest, WalkTakesTheExecutableDirectoryItselfAndSkipsMarkerFiles)
{
    tree.mkdir("a/b/qzcommon");
    const std::string atExe = tree.touch("a/b/app.exe");
    Probe first;
    ASSERT_EQ(initialize(first, atExe.c_str()), 1);
    EXPECT_EQ(text(first.GetCorvanHome()), slashed(tree.path("a/b")));

    tree.touch("x/y/qzcommon");
    tree.mkdir("x/qzcommon");
    const std::string exe = tree.touch("x/y/z/app.exe");
    Probe second;
    ASSERT_EQ(initialize(second, exe.c_str()), 1);
    EXPECT_EQ(text(second.GetCorvanHome()), slashed(tree.path("x")));
}

TEST_F(InitializeTest, WalkWithoutMarkerFailsAndRestoresTheCurrentDirectory)
{
    const std::string exe = tree.touch("plain/bin/app.exe");
    Probe info;
    EXPECT_EQ(initialize(info, exe.c_str()), 0);
    EXPECT_EQ(info.GetCorvanHome(), nullptr);
    EXPECT_FALSE(info.sandbox());
    EXPECT_EQ(qztest::currentDirectory(), startDir);
    // Everything up to the home is set and readable.
    EXPECT_NE(info.GetApplicationTitle(), nullptr);
    EXPECT_NE(info.GetCopyrightStatement(), nullptr);
    EXPECT_NE(info.GetProductArchitecture(), nullptr);
    EXPECT_EQ(info.GetSpecifiedPath("qz_bindir"), nullptr);
    char value[16] = "x";
    info.GetSysVar("PATH", value, sizeof value);
    EXPECT_STREQ(value, "");
}

TEST_F(InitializeTest, ProductTagIsObOnlyForTheExactNameObrenn)
{
    const std::string exe = installation();
    const std::pair<const char*, const char*> cases[] = {
        {"Obrenn", "ob"}, {"obrenn", "ry"}, {"Obrenn Studio", "ry"}, {"Ryndel", "ry"}};
    for (const auto& [name, tag] : cases) {
        Probe info;
        ASSERT_EQ(initialize(info, exe.c_str(), name), 1);
        EXPECT_EQ(info.productTag(), tag) << name;
    }
}

TEST_F(InitializeTest, DisplayAndArchitectureAreKeptOnlyWhenNotEmpty)
{
    const std::string exe = installation();
    Probe unset;
    ASSERT_EQ(initialize(unset, exe.c_str()), 1);
    EXPECT_EQ(unset.GetXDisplayName(), nullptr);
    EXPECT_EQ(unset.GetArchitecture(), nullptr);

    env.set("DISPLAY", ":0.0");
    env.set("CORVAN_ARCH", "x64");
    Probe set;
    ASSERT_EQ(initialize(set, exe.c_str()), 1);
    EXPECT_STREQ(set.GetXDisplayName(), ":0.0");
    EXPECT_STREQ(set.GetArchitecture(), "x64");
}

TEST_F(InitializeTest, SecondCallOnAnInitializedRecordChangesNothing)
{
    const std::string exe = installation();
    Probe info;
    ASSERT_EQ(initialize(info, exe.c_str()), 1);
    char* home = info.GetCorvanHome();
    const int count = info.publishedCount();
    EXPECT_EQ(info.Initialize("Other", 11.0f, "x", exe.c_str(), 1, 1, 1), 0);
    EXPECT_EQ(info.GetCorvanHome(), home);
    EXPECT_STREQ(info.GetApplicationName(), "Ryndel");
    EXPECT_EQ(info.publishedCount(), count);
    EXPECT_TRUE(info.GetInitializedStatus());
}

TEST_F(InitializeTest, CallAfterAFailureStartsFromACleanRecord)
{
    const std::string exe = tree.touch("plain/bin/app.exe");
    Probe info;
    ASSERT_EQ(initialize(info, exe.c_str()), 0);
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    ASSERT_EQ(initialize(info, exe.c_str(), "Obrenn"), 1);
    EXPECT_EQ(info.productTag(), "ob");

    Probe once;
    ASSERT_EQ(initialize(once, exe.c_str()), 1);
    EXPECT_EQ(info.publishedCount(), once.publishedCount());
}

TEST(DirectoryCut, CutsTheNameAndEverySeparatorBeforeIt)
{
    const char sep = qztest::joinSeparator();
    const std::string s(1, sep);
    const std::pair<std::string, std::string> cases[] = {
        {s + "tools" + s + "app.exe", s + "tools"},
        {s + "tools" + s + s + "app", s + "tools"},
        {s + "tools" + s + "sub" + s, s + "tools" + s + "sub"},
        {"app.exe", "app.exe"},
        {s + "app", s},
        {"", ""},
    };
    for (const auto& [input, expected] : cases) {
        std::string buffer = input;
        Probe::_Directory(buffer.data());
        EXPECT_EQ(std::string(buffer.c_str()), expected) << input;
    }
}

TEST(DirectoryCut, DrivePathsKeepTheDriveOnlyOnWindows)
{
    std::string buffer = "C:\\app.exe";
    Probe::_Directory(buffer.data());
    const std::string expected = qztest::joinSeparator() == '\\' ? "C:" : "C:\\app.exe";
    EXPECT_EQ(std::string(buffer.c_str()), expected);
}
