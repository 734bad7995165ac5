// replay_main.cpp - runs a fuzzer over the files given as arguments (directories are
// read one level deep), for builds without libFuzzer: the seed corpora then run as
// ordinary tests under any compiler, sanitizer or valgrind.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

namespace {

bool runFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.string().c_str());
        return false;
    }
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // An exact copy of the bytes: a read past the input's end is a read past an allocation.
    std::vector<std::uint8_t> input(bytes.begin(), bytes.end());
    LLVMFuzzerTestOneInput(input.empty() ? nullptr : input.data(), input.size());
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<fs::path> files;
    for (int i = 1; i < argc; ++i) {
        const fs::path argument = argv[i];
        std::error_code error;
        if (fs::is_directory(argument, error)) {
            for (const auto& entry : fs::directory_iterator(argument, error))
                if (entry.is_regular_file(error))
                    files.push_back(entry.path());
        } else {
            files.push_back(argument);
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s FILE-OR-DIRECTORY...\n", argv[0]);
        return 2;
    }
    std::sort(files.begin(), files.end());
    std::size_t run = 0;
    for (const fs::path& file : files) {
        if (!runFile(file))
            return 1;
        ++run;
    }
    std::printf("%zu inputs replayed\n", run);
    return 0;
}
