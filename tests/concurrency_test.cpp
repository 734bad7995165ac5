// concurrency_test.cpp - after Initialize, reads from several threads at once need no lock:
// eight threads ask every reading operation of a shared record and a shared path manager
// again and again, and must get the answers of a single thread. Meant to run under
// ThreadSanitizer as well.
#include <QZApplicationInfo.h>
#include <QZStartupReport.h>
#include <QZ_PathManager.h>

#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using qztest::EnvGuard;
using qztest::TempTree;

namespace {

constexpr int kThreads = 8;
constexpr int kIterations = 200;

std::string text(const char* value) { return value ? value : "(null)"; }

std::string taken(char* value)
{
    const std::unique_ptr<char[]> owned(value);
    return text(owned.get());
}

// The keys of the published table, as its dump lists them.
std::vector<std::string> publishedKeys(QZApplicationInfo& info)
{
    std::istringstream dump(taken(info.DumpPaths()));
    std::vector<std::string> keys;
    std::string line;
    std::getline(dump, line); // count
    std::getline(dump, line); // rule
    const std::string rule = line;
    while (std::getline(dump, line) && line != rule)
        keys.push_back(line.substr(0, line.find(" : ")));
    return keys;
}

// A reader that collects what ReadFromAll hands it in the calling thread's own list.
class Collector : public QZ_PathManager {
public:
    using QZ_PathManager::QZ_PathManager;
    int ReadFile(char* directory, char* data) override
    {
        static_cast<std::vector<std::string>*>(static_cast<void*>(data))->push_back(text(directory));
        return 1;
    }
};

class ConcurrencyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        env.set("CORVAN_HOME", tree.mkdir("inst"));
        env.set("DISPLAY", ":3");
        env.set("HOME", tree.mkdir("user"));
        exe = tree.touch("inst/bin/ryndel");
        tree.touch("inst/bin/ryndel.ini");
        tree.touch("c2/ryndel.ini");
        tree.touch("user/user.ini");
        const char delimiter = qztest::searchPathDelimiter();
        env.set("QZ_CONFIG_PATH", tree.mkdir("c1") + delimiter + tree.mkdir("c2") + delimiter + tree.path("c1"));
        env.chdir(tree.mkdir("work"));
        // A version of its own, so that no other test shares the registry key.
        registry = std::make_unique<qztest::TestRegistry>(env, tree,
                                                          "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\14.0build60");
        registry->setString("", "FROM_REGISTRY", "registry value");
        registry->setString("Sub", "NESTED", "nested value");
        registry->setDword("", "NUMBER", 7);

        ASSERT_EQ(info.Initialize("Ryn del", 14.0f, "support@example.com", exe.c_str(), 2, 2008, 2009), 1);
        keys = publishedKeys(info);
        ASSERT_EQ(keys.size(), 77u);
        keys.push_back("no such key");
        manager = std::make_unique<Collector>(&info, 0);
    }

    // Every reading operation, its answers in one text.
    std::string readEverything()
    {
        std::ostringstream out;
        for (char* field : {info.GetCorvanHome(), info.GetApplicationTitleNoPatch(), info.GetApplicationTitle(),
                            info.GetArchitecture(), info.GetCopyrightStatement(), info.GetCurrentWorkingDir(),
                            info.GetXDisplayName(), info.GetDisplayVersionInfo(), info.GetExecutableDir(),
                            info.GetExecutablePath(), info.GetSystemBaseRegistryPath(),
                            info.GetUserBaseRegistryPath(), info.GetApplicationName(),
                            info.GetProductArchitecture(), info.GetSupportEMail()})
            out << text(field) << '\n';
        out << info.GetApplicationVersion() << ' ' << info.GetInitializedStatus() << '\n';
        for (const std::string& key : keys)
            out << key << '=' << text(info.GetSpecifiedPath(key.c_str())) << '\n';
        for (const char* name : {"DISPLAY", "FROM_REGISTRY", "Sub\\NESTED", "NUMBER", "MISSING", "HOME"}) {
            char value[1024];
            info.GetSysVar(name, value, sizeof value);
            out << name << '=' << value << '\n';
            char small[4];
            QZStartupReport report;
            report.LookUpSysVar(info, name, small, sizeof small);
            out << name << '@' << static_cast<int>(report.lookups.back().source) << '=' << small << '\n';
        }
        out << taken(info.DumpPaths()) << taken(info.GetFeatureName()) << '\n';

        for (char* field : {manager->GetProductionInstallationDir(), manager->GetQZConfigPath(),
                            manager->GetUserHome(), manager->GetCWD(), manager->GetDirectoryString()})
            out << text(field) << '\n';
        out << (manager->GetQZApplicationInfo() == &info) << manager->GetNumQZConfigPathArray() << '\n';
        for (int i = -1; i <= manager->GetNumQZConfigPathArray(); ++i)
            out << text(manager->GetQZConfigPathItem(i)) << '\n';
        for (const char* file : {"ryndel.ini", "user.ini", "missing.ini"})
            for (int count = 0; count <= 5; ++count) {
                char directory[1024] = "";
                const bool found = manager->GetFilePath(const_cast<char*>(file), directory, count);
                out << file << count << found << directory << '\n';
            }
        out << manager->FindFilePath(manager->GetProductionInstallationDir(), const_cast<char*>("ryndel.ini"))
            << manager->FindFileWithDirectory(manager->GetCWD()) << '\n';
        std::vector<std::string> read;
        manager->ReadFromAll(static_cast<char*>(static_cast<void*>(&read)), nullptr);
        for (const std::string& directory : read)
            out << "read " << directory << '\n';
        return out.str();
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
    std::unique_ptr<qztest::TestRegistry> registry;
    QZApplicationInfo info;
    std::vector<std::string> keys;
    std::unique_ptr<Collector> manager;
};

TEST_F(ConcurrencyTest, ReadersOnManyThreadsGetTheSingleThreadAnswers)
{
    const std::string expected = readEverything();
    // The answers are worth comparing: the registry, the search and the reader all answered.
    EXPECT_NE(expected.find("FROM_REGISTRY=registry value"), std::string::npos);
    EXPECT_NE(expected.find("Sub\\NESTED=nested value"), std::string::npos);
    EXPECT_NE(expected.find("ryndel.ini41" + tree.path("c2")), std::string::npos);
    EXPECT_NE(expected.find("read " + tree.path("inst/bin")), std::string::npos);

    std::atomic<int> mismatches{0};
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    std::vector<std::string> firstMismatch(kThreads);
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < kIterations; ++i) {
                std::string answers = readEverything();
                if (answers != expected && mismatches.fetch_add(1) >= 0 && firstMismatch[t].empty())
                    firstMismatch[t] = std::move(answers);
            }
        });
    go = true;
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(mismatches.load(), 0);
    for (const std::string& answers : firstMismatch)
        if (!answers.empty()) {
            ADD_FAILURE() << "one thread read:\n" << answers << "\ninstead of:\n" << expected;
            break;
        }
}

} // namespace
