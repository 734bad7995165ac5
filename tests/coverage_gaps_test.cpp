// coverage_gaps_test.cpp - behaviours that no other test reached: the protected extension
// probes, versions without an integer part, the documents setting's line forms, a long
// current directory, the path table's limits and the guards of the protected helpers.
#include <QZApplicationInfo.h>

#include "platform/Platform.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;

namespace {

class Probe : public QZApplicationInfo {
public:
    using QZApplicationInfo::_AttemptAppendingExtension;
    using QZApplicationInfo::_AttemptAppendingExtensions;
    using QZApplicationInfo::_GetSysVar;
    using QZApplicationInfo::_SetupPublishedPaths;

    // A record that has every text the published table is built from, but no internal table.
    void fillWithoutInternalTable()
    {
        _corvanHome = const_cast<char*>("/suite");
        _productArchitecture = const_cast<char*>("linux64");
        _applicationName = const_cast<char*>("Ryndel");
    }
    int publishedCount()
    {
        std::unique_ptr<char[]> dump(DumpPaths());
        return std::stoi(dump.get());
    }
};

// A buffer holding path with room for a dot and a three-letter extension.
std::vector<char> roomFor(const std::string& path)
{
    std::vector<char> buffer(path.size() + 5, '\0');
    std::memcpy(buffer.data(), path.data(), path.size());
    return buffer;
}

} // namespace

// --- the protected extension probes ---

TEST(ExtensionProbes, OneExtensionIsAppendedOnlyWhenThatFormExists)
{
    TempTree tree;
    tree.touch("app.com");
    tree.mkdir("tool.exe"); // a directory counts: the test is for existence only
    char com[] = "com";
    char exe[] = "exe";

    auto app = roomFor(tree.path("app"));
    EXPECT_EQ(Probe::_AttemptAppendingExtension(app.data(), exe), 0);
    EXPECT_EQ(std::string(app.data()), tree.path("app")) << "a failed probe changed the path";
    EXPECT_EQ(Probe::_AttemptAppendingExtension(app.data(), com), 1);
    EXPECT_EQ(std::string(app.data()), tree.path("app.com"));

    auto tool = roomFor(tree.path("tool"));
    EXPECT_EQ(Probe::_AttemptAppendingExtension(tool.data(), exe), 1);
    EXPECT_EQ(std::string(tool.data()), tree.path("tool.exe"));

    EXPECT_EQ(Probe::_AttemptAppendingExtension(nullptr, exe), 0);
    EXPECT_EQ(Probe::_AttemptAppendingExtension(app.data(), nullptr), 0);
}

TEST(ExtensionProbes, TheFirstExistingFormWins)
{
    const struct {
        std::vector<const char*> files;
        const char* expected; // the name it becomes; null when nothing is found
    } cases[] = {
        {{"app", "app.bat", "app.exe"}, "app"},
        {{"app.exe", "app.com", "app.bat"}, "app.bat"},
        {{"app.exe", "app.com"}, "app.com"},
        {{"app.exe"}, "app.exe"},
        {{"app.cmd", "apple.exe"}, nullptr},
    };
    for (const auto& c : cases) {
        TempTree tree;
        for (const char* file : c.files)
            tree.touch(file);
        SCOPED_TRACE(c.expected ? c.expected : "(none)");
        auto path = roomFor(tree.path("app"));
        EXPECT_EQ(Probe::_AttemptAppendingExtensions(path.data()), c.expected ? 1 : 0);
        EXPECT_EQ(std::string(path.data()), tree.path(c.expected ? c.expected : "app"));
    }
    EXPECT_EQ(Probe::_AttemptAppendingExtensions(nullptr), 0);
}

// --- versions and the runtime library's number ---

TEST(RuntimeLibraryNumber, VersionsWithoutAnIntegerPartCountAsZero)
{
    EnvGuard env;
    env.isolate();
    TempTree tree;
    env.set("CORVAN_HOME", tree.mkdir("suite"));
    env.set("HOME", tree.mkdir("user"));
    const std::string executable = tree.touch("bin/app.exe");
    const struct {
        float version;
        const char* library;
    } cases[] = {
        {std::numeric_limits<float>::quiet_NaN(), "ry0.dll"},
        {std::numeric_limits<float>::infinity(), "ry0.dll"},
        {-std::numeric_limits<float>::infinity(), "ry0.dll"},
        {2147483648.0f, "ry0.dll"},  // 2^31: beyond 32 bits
        {2147483520.0f, "ry2147483520.dll"}, // the largest float below 2^31 still has one
        {-7.9f, "ry-7.dll"},                 // truncated toward zero
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library);
        QZApplicationInfo info;
        ASSERT_EQ(info.Initialize("Ryndel", c.version, "support@corvan.example", executable.c_str(), 0, 2009, 2009), 1);
        const std::string module = info.GetSpecifiedPath("ry_module");
        EXPECT_EQ(module.substr(module.rfind('/') + 1), c.library);
    }
}

// --- the documents folder from user-dirs.dirs ---

TEST(DocumentsFolder, LinesAreReadAsXdgUserDirReadsThem)
{
    if (!qztest::documentsFolderFollowsHome())
        GTEST_SKIP() << "the system, not HOME, decides the documents folder here";
    EnvGuard env;
    TempTree tree;
    const std::string home = tree.mkdir("user");
    env.set("HOME", home);
    env.set("XDG_CONFIG_HOME", tree.mkdir("config"));
    const struct {
        const char* content;
        std::string expected;
    } cases[] = {
        {"XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", home + "/Papers"},
        {"XDG_DOCUMENTS_DIR=\"/srv/documents\"\n", "/srv/documents"},
        {"  \t\n\t XDG_DOCUMENTS_DIR \t=  \"$HOME/Spaced\"\n", home + "/Spaced"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Best\\\" \\\\Papers\"\n", home + "/My \"Best\" \\Papers"},
        // forms that xdg-user-dir passes over: the home stays
        {"XDG_DOCUMENTS_DIR=\"Papers\"\n", home},
        {"XDG_DOCUMENTS_DIR=\"\"\n", home},
        {"XDG_DOCUMENTS_DIR=$HOME/Papers\n", home},
        {"XDG_DOCUMENTS_DIR \"$HOME/Papers\"\n", home},
        {"XDG_DOCUMENTS_DIR\n", home},
        {"XDG_DOCUMENTS_DIR=  \n", home},
        {"XDG_DOCUMENTS_DIR=\"", home},
        {"XDG_DOCUMENTS_DIRS=\"$HOME/Papers\"\n", home},
        {"# XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n", home},
        // the last line that counts wins; later lines that do not count change nothing
        {"XDG_DOCUMENTS_DIR=\"$HOME/First\"\nXDG_DOCUMENTS_DIR=\"$HOME/Second\"\nXDG_DOCUMENTS_DIR=\"x\"\n",
         home + "/Second"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content);
        tree.touch("config/user-dirs.dirs", c.content);
        EXPECT_EQ(qz::platform::documentsFolder().value_or("(none)"), c.expected);
    }
}

// --- the platform layer ---

TEST(CurrentDirectory, ALongCurrentDirectoryIsReadWhole)
{
    EnvGuard env;
    TempTree tree;
    // Past twice the first buffer's 1024 bytes, in names that every file system takes.
    fs::path deep = tree.root();
    while (deep.string().size() < 2200)
        deep /= std::string(100, 'd');
    std::error_code error;
    fs::create_directories(deep, error);
    if (error || !qz::platform::changeDirectory(deep.string().c_str()))
        GTEST_SKIP() << "this system does not take a directory of " << deep.string().size() << " characters";
    EXPECT_EQ(qz::platform::currentDirectory().value_or("(none)"), qztest::nativePath(fs::current_path()));
}

// --- the path table's limits ---

TEST(PathDictionaryLimits, ACapacityBeyondIntIsRefusedAsAnAllocationFailure)
{
    const unsigned int tooLarge = static_cast<unsigned int>(std::numeric_limits<int>::max()) + 1u;
    EXPECT_THROW(QZApplicationInfo::PathDictionary table(tooLarge), std::bad_alloc);
}

TEST(PathDictionaryLimits, AStreamWithNothingWrittenEnrollsTheEmptyText)
{
    QZApplicationInfo::PathDictionary table;
    std::ostrstream nothing;
    EXPECT_STREQ(table.Enroll("key", &nothing), "");
    EXPECT_STREQ(table.GetPath("key"), "");
}

// --- guards of the protected helpers ---

TEST(ProtectedHelpers, SystemVariableLookupWithoutRoomWritesNothing)
{
    EnvGuard env;
    env.set("QZ_GAPS_VARIABLE", "value");
    Probe info;
    char value[4] = {'x', 'x', 'x', '\0'};
    info._GetSysVar("QZ_GAPS_VARIABLE", value, 0);
    EXPECT_STREQ(value, "xxx");
    info._GetSysVar("QZ_GAPS_VARIABLE", nullptr, sizeof value); // must not crash
}

TEST(ProtectedHelpers, PublishedTableIsNotBuiltWithoutTheInternalTable)
{
    Probe info;
    info._SetupPublishedPaths();
    EXPECT_EQ(info.publishedCount(), 0);
    info.fillWithoutInternalTable();
    info._SetupPublishedPaths();
    EXPECT_EQ(info.publishedCount(), 0);
}
