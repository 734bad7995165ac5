// registry_cache_test.cpp - the stand-in file is imported once and read again when it changes.
#include "platform/Platform.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

const std::string kKey = "SOFTWARE\\Vendor";

std::string fileWith(const std::string& value)
{
    return "Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n\"v\"=\"" + value +
           "\"\r\n";
}

using qztest::setModified;

std::string valueOf(const qz::platform::RegistryRead& read) { return read.data.value_or("(none)"); }

} // namespace

// A settled file of the same size whose contents change is read again: its times moved.
TEST(RegistryStandIn, AChangedFileIsReadAgain)
{
    qztest::TempTree tree;
    qztest::EnvGuard env;
    const std::string file = tree.touch("registry.reg", fileWith("one"));
    env.set("CORVAN_REGISTRY", file);
    setModified(file, -3600);
    EXPECT_EQ(valueOf(qz::platform::readRegistryValue(kKey, "v", 1023)), std::string("one", 4));
    EXPECT_EQ(valueOf(qz::platform::readRegistryValue(kKey, "v", 1023)), std::string("one", 4));

    tree.touch("registry.reg", fileWith("two"));
    setModified(file, -3500);
    EXPECT_EQ(valueOf(qz::platform::readRegistryValue(kKey, "v", 1023)), std::string("two", 4));

    // A file changed just now is read at every lookup, whatever its status shows.
    tree.touch("registry.reg", fileWith("six"));
    EXPECT_EQ(valueOf(qz::platform::readRegistryValue(kKey, "v", 1023)), std::string("six", 4));
    tree.touch("registry.reg", fileWith("ten"));
    EXPECT_EQ(valueOf(qz::platform::readRegistryValue(kKey, "v", 1023)), std::string("ten", 4));

    // Another file named by the variable is another stand-in.
    const std::string other = tree.touch("other.reg", fileWith("xyz"));
    setModified(other, -3600);
    env.set("CORVAN_REGISTRY", other);
    EXPECT_EQ(valueOf(qz::platform::readRegistryValue(kKey, "v", 1023)), std::string("xyz", 4));
    ::unlink(other.c_str());
    EXPECT_EQ(qz::platform::readRegistryValue(kKey, "v", 1023).storeState,
              qz::platform::RegistryRead::StoreState::Missing);
}

// Lookups on several threads share the kept import while the file changes under them:
// each answer is one of the file's states, never a mixture or a failure.
TEST(RegistryStandIn, ThreadsShareTheImportWhileTheFileChanges)
{
    qztest::TempTree tree;
    qztest::EnvGuard env;
    const std::string file = tree.touch("registry.reg", fileWith("one"));
    env.set("CORVAN_REGISTRY", file);
    setModified(file, -3600);
    std::atomic<bool> done{false};
    std::atomic<int> odd{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 4; ++i)
        readers.emplace_back([&] {
            // Bounded as well: a scheduler that runs one thread at a time (valgrind's)
            // may leave the writer waiting until the readers stop.
            for (int reads = 0; reads < 500 && !done; ++reads) {
                const std::string value = valueOf(qz::platform::readRegistryValue(kKey, "v", 1023));
                if (value != std::string("one", 4) && value != std::string("two", 4))
                    ++odd;
            }
        });
    for (int i = 0; i < 20; ++i) {
        tree.touch("registry.tmp", fileWith(i % 2 ? "one" : "two"));
        setModified(tree.path("registry.tmp"), -3000 + i);
        std::rename(tree.path("registry.tmp").c_str(), file.c_str());
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    done = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(odd, 0);
}
