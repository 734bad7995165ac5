// RegistryExpectations.h - the registry test files and what Wine's registry gave for them.
#ifndef QZ_TESTS_REGISTRYEXPECTATIONS_H
#define QZ_TESTS_REGISTRYEXPECTATIONS_H

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace qztest {

// One line of an expectation file: KEY|NAME|BYTES, BYTES in hex or "absent"; %XX stands
// for a byte in KEY and NAME. Empty lines and lines that begin with '#' are comments.
struct RegistryProbe {
    std::string key;
    std::string name;
    std::string expected;
    std::string line;
};

std::filesystem::path registryDataDirectory();
// The names, without extension, of the test files that have expectations, in order.
std::vector<std::string> registryExpectationStems();
std::vector<RegistryProbe> readRegistryProbes(const std::filesystem::path& expectations);
std::string readBinaryFile(const std::filesystem::path& path);
// Bytes as an expectation file writes them: lower-case hex pairs, or "absent".
std::string hexBytes(const std::optional<std::string>& bytes);

} // namespace qztest

#endif
