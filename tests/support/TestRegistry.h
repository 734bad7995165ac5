// TestRegistry.h - machine-wide settings written for one test and removed afterwards:
// the real registry on Windows, a registry export file (the stand-in) elsewhere.
#ifndef QZ_TESTS_TESTREGISTRY_H
#define QZ_TESTS_TESTREGISTRY_H

#include "support/TestSupport.h"

#include <cstdint>
#include <memory>
#include <string>

namespace qztest {

// Values below HKEY_LOCAL_MACHINE\<root>. Tests that may run at the same time must use
// different roots (for instance the registry base path of different versions).
class TestRegistry {
public:
    TestRegistry(EnvGuard& env, const TempTree& tree, std::string root);
    ~TestRegistry();
    TestRegistry(const TestRegistry&) = delete;
    TestRegistry& operator=(const TestRegistry&) = delete;

    // subkey is relative to the root ("" for the root itself); name "" is the default value.
    void setString(const std::string& subkey, const std::string& name, const std::string& value);
    void setDword(const std::string& subkey, const std::string& name, std::uint32_t value);
    void setBinary(const std::string& subkey, const std::string& name, const std::string& bytes);
    // The value in the 32-bit view only (WOW6432Node), as reg add /reg:32 writes it; false
    // where the registry has no such view (the stand-in file).
    bool setString32(const std::string& subkey, const std::string& name, const std::string& value);

    struct Impl;

private:
    std::unique_ptr<Impl> _impl;
};

} // namespace qztest

#endif
