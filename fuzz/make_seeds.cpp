// make_seeds.cpp - writes the seed inputs too large to keep in fuzz/corpus into the folder
// given: registry files whose shape once made each lookup take a second.
//
// Each input is the fuzzer's selector byte (0: a well-known key and value, room 1023),
// then the file: a line of N characters, then about 100 KB in which every other character
// is NUL. Behind a line of 32,765 characters regedit's line buffer has room for two more,
// so it refills two characters at a time, each load cut short at its NUL.
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    for (int length : {32765, 32766}) {
        std::string input(1, '\0');
        input += "Windows Registry Editor Version 5.00\r\n\"CORVAN_HOME\"=\"";
        input += std::string(static_cast<std::size_t>(length) - 15, 'x');
        for (int i = 0; i < 50000; ++i)
            input += std::string("\0a", 2);
        const std::string path = std::string(argv[1]) + "/long-line-nul-" + std::to_string(length);
        std::FILE* out = std::fopen(path.c_str(), "wb");
        if (!out || std::fwrite(input.data(), 1, input.size(), out) != input.size() || std::fclose(out) != 0) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}
