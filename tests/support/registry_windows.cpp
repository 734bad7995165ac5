// registry_windows.cpp - test settings in the real registry below HKEY_LOCAL_MACHINE.
#include "support/TestRegistry.h"

#include <windows.h>

#include <stdexcept>

namespace qztest {

struct TestRegistry::Impl {
    std::string root;

    void set(const std::string& subkey, const std::string& name, DWORD type, const void* data, std::size_t size,
             REGSAM view = 0)
    {
        const std::string path = subkey.empty() ? root : root + "\\" + subkey;
        HKEY key = nullptr;
        if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                            nullptr) != ERROR_SUCCESS)
            throw std::runtime_error("cannot create registry key " + path);
        const LONG result = RegSetValueExA(key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                                           static_cast<DWORD>(size));
        RegCloseKey(key);
        if (result != ERROR_SUCCESS)
            throw std::runtime_error("cannot set registry value " + path + "\\" + name);
    }
};

TestRegistry::TestRegistry(EnvGuard&, const TempTree&, std::string root) : _impl(std::make_unique<Impl>())
{
    _impl->root = std::move(root);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, _impl->root.c_str());
}

TestRegistry::~TestRegistry()
{
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, _impl->root.c_str());
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, _impl->root.c_str());
    HKEY view32 = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, _impl->root.c_str(), 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY, &view32) ==
        ERROR_SUCCESS) {
        RegDeleteTreeA(view32, nullptr);
        RegCloseKey(view32);
        RegDeleteKeyExA(HKEY_LOCAL_MACHINE, _impl->root.c_str(), KEY_WOW64_32KEY, 0);
    }
}

void TestRegistry::setString(const std::string& subkey, const std::string& name, const std::string& value)
{
    _impl->set(subkey, name, REG_SZ, value.c_str(), value.size() + 1);
}

void TestRegistry::setDword(const std::string& subkey, const std::string& name, std::uint32_t value)
{
    _impl->set(subkey, name, REG_DWORD, &value, sizeof value);
}

void TestRegistry::setBinary(const std::string& subkey, const std::string& name, const std::string& bytes)
{
    _impl->set(subkey, name, REG_BINARY, bytes.data(), bytes.size());
}

bool TestRegistry::setString32(const std::string& subkey, const std::string& name, const std::string& value)
{
    _impl->set(subkey, name, REG_SZ, value.c_str(), value.size() + 1, KEY_WOW64_32KEY);
    return true;
}

} // namespace qztest
