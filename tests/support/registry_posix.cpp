// registry_posix.cpp - test settings as a registry export file named by CORVAN_REGISTRY.
#include "support/TestRegistry.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <sstream>

namespace qztest {

struct TestRegistry::Impl {
    std::string file;
    std::string root;
    // key path -> lines of its section, in the order they were set
    std::map<std::string, std::string> sections;

    static std::string quoted(const std::string& text)
    {
        std::string out = "\"";
        for (char c : text) {
            if (c == '\\' || c == '"')
                out += '\\';
            out += c;
        }
        return out + "\"";
    }

    static std::string nameOf(const std::string& name) { return name.empty() ? "@" : quoted(name); }

    static std::string hexBytes(const std::string& bytes)
    {
        std::string out;
        char hex[4];
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            std::snprintf(hex, sizeof hex, "%02x", static_cast<unsigned char>(bytes[i]));
            out += (i ? "," : "") + std::string(hex);
        }
        return out;
    }

    void add(const std::string& subkey, const std::string& line)
    {
        const std::string key = "HKEY_LOCAL_MACHINE\\" + root + (subkey.empty() ? "" : "\\" + subkey);
        sections[key] += line + "\r\n";
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "Windows Registry Editor Version 5.00\r\n\r\n";
        for (const auto& [path, lines] : sections)
            out << "[" << path << "]\r\n" << lines << "\r\n";
        out.close();
        // Dated a day ahead, the file never settles, so the library never keeps its import
        // past a call: what a test sees does not depend on how long it runs (a kept import
        // would outlive the calls that the allocation-failure tests account for).
        timespec times[2] = {};
        ::clock_gettime(CLOCK_REALTIME, &times[0]);
        times[0].tv_sec += 24 * 3600;
        times[1] = times[0];
        ::utimensat(AT_FDCWD, file.c_str(), times, 0);
    }
};

TestRegistry::TestRegistry(EnvGuard& env, const TempTree& tree, std::string root)
    : _impl(std::make_unique<Impl>())
{
    _impl->file = tree.path("registry.reg");
    _impl->root = std::move(root);
    env.set("CORVAN_REGISTRY", _impl->file);
}

TestRegistry::~TestRegistry() = default;

void TestRegistry::setString(const std::string& subkey, const std::string& name, const std::string& value)
{
    _impl->add(subkey, Impl::nameOf(name) + "=" + Impl::quoted(value));
}

void TestRegistry::setDword(const std::string& subkey, const std::string& name, std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%08x", static_cast<unsigned>(value));
    _impl->add(subkey, Impl::nameOf(name) + "=dword:" + text);
}

void TestRegistry::setBinary(const std::string& subkey, const std::string& name, const std::string& bytes)
{
    _impl->add(subkey, Impl::nameOf(name) + "=hex:" + Impl::hexBytes(bytes));
}

bool TestRegistry::setString32(const std::string&, const std::string&, const std::string&) { return false; }

} // namespace qztest
