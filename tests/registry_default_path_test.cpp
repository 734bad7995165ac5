// registry_default_path_test.cpp - with CORVAN_REGISTRY unset the stand-in is /etc/corvan/registry.reg,
// read in a private mount namespace so that the machine's own /etc/corvan is never touched.
#include "platform/Platform.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Exit codes of the child.
constexpr int kPassed = 0;
constexpr int kCannot = 77;

// In the child: a private namespace first, then a tmpfs over /etc (the parent of
// /etc/corvan) holding only corvan/registry.reg; nothing of it reaches the machine.
int childReadsDefault(std::string& why)
{
    if (::unshare(CLONE_NEWNS) != 0) {
        why = std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
        return kCannot;
    }
    // A change of propagation reads neither source nor type; valgrind wants them readable.
    if (::mount("none", "/", "none", MS_REC | MS_PRIVATE, nullptr) != 0) {
        why = std::string("making the mounts private: ") + std::strerror(errno);
        return kCannot;
    }
    if (::mount("qz-test", "/etc", "tmpfs", 0, "size=64k,mode=0755") != 0) {
        why = std::string("tmpfs over /etc: ") + std::strerror(errno);
        return kCannot;
    }
    if (::mkdir("/etc/corvan", 0755) != 0)
        return 1;
    std::FILE* file = std::fopen("/etc/corvan/registry.reg", "wb");
    if (!file)
        return 1;
    std::fputs("Windows Registry Editor Version 5.00\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
               "\"CORVAN_HOME\"=\"/opt/corvan\"\r\n", file);
    std::fclose(file);
    ::unsetenv("CORVAN_REGISTRY");
    const auto read = qz::platform::readRegistryValue("SOFTWARE\\Vendor", "CORVAN_HOME", 1023);
    const bool ok = read.data == std::string("/opt/corvan", 12) && read.store == "/etc/corvan/registry.reg" &&
                    read.storeSetting.empty() && read.keyFound && read.valueFound && read.valueBytes == 12;
    return ok ? kPassed : 1;
}

} // namespace

TEST(RegistryDefaultPath, IsEtcCorvanRegistryWhenCorvanRegistryIsUnset)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to make a private /etc/corvan in its own mount namespace";
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        std::string why;
        const int code = childReadsDefault(why);
        if (!why.empty())
            (void)!::write(pipeEnds[1], why.data(), why.size());
        ::_exit(code);
    }
    ::close(pipeEnds[1]);
    char why[256] = {};
    (void)!::read(pipeEnds[0], why, sizeof why - 1);
    ::close(pipeEnds[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == kCannot)
        GTEST_SKIP() << "no private mount namespace here (" << why << ")";
    EXPECT_EQ(WEXITSTATUS(status), kPassed) << "the default stand-in /etc/corvan/registry.reg was not read as expected";
}
