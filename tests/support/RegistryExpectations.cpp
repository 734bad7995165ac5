// RegistryExpectations.cpp - reading the registry test files' expectations.
#include "support/RegistryExpectations.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

namespace fs = std::filesystem;

namespace qztest {

namespace {

int hexDigit(char c) { return c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10; }

std::string unescapeField(const std::string& field)
{
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%' && i + 2 < field.size()) {
            out += static_cast<char>(hexDigit(field[i + 1]) * 16 + hexDigit(field[i + 2]));
            i += 2;
        } else {
            out += field[i];
        }
    }
    return out;
}

} // namespace

fs::path registryDataDirectory() { return fs::path(QZ_TEST_DATA_DIR) / "registry"; }

std::vector<std::string> registryExpectationStems()
{
    std::vector<std::string> stems;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(registryDataDirectory(), error))
        if (entry.path().extension() == ".expected")
            stems.push_back(entry.path().stem().string());
    std::sort(stems.begin(), stems.end());
    return stems;
}

std::vector<RegistryProbe> readRegistryProbes(const fs::path& expectations)
{
    std::vector<RegistryProbe> probes;
    std::istringstream in(readBinaryFile(expectations));
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find('|');
        const auto last = line.rfind('|');
        if (line.empty() || line[0] == '#' || first == std::string::npos || first == last)
            continue;
        probes.push_back({unescapeField(line.substr(0, first)), unescapeField(line.substr(first + 1, last - first - 1)),
                          line.substr(last + 1), line});
    }
    return probes;
}

std::string readBinaryFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string hexBytes(const std::optional<std::string>& bytes)
{
    if (!bytes)
        return "absent";
    std::string out;
    char pair[3];
    for (unsigned char c : *bytes) {
        std::snprintf(pair, sizeof pair, "%02x", c);
        out += pair;
    }
    return out;
}

} // namespace qztest
