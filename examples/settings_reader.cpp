// settings_reader.cpp - an application that reads its settings file from every
// configuration place, later places overriding earlier ones.
//
//   settings_reader [FILE]     (FILE defaults to settings.ini)
//
// Each line "name=value" sets a setting; blank lines and lines that begin with '#'
// are ignored. The settings are printed sorted, one "name=value" a line.
#include <QZApplicationInfo.h>
#include <QZ_PathManager.h>

#include <fstream>
#include <iostream>
#include <map>
#include <string>

namespace {

class SettingsReader : public QZ_PathManager {
public:
    explicit SettingsReader(QZApplicationInfo* info) : QZ_PathManager(info, 0) {}

    const std::map<std::string, std::string>& settings() const { return _settings; }

    // Called for every place; a blanked place (a duplicate, an unset HOME) comes as
    // the empty text and has nothing to read.
    int ReadFile(char* directory, char* fileName) override
    {
        if (!directory || !*directory || !fileName || !*fileName)
            return 0;
        std::ifstream in(std::string(directory) + GetDirectoryString() + fileName);
        if (!in)
            return 0;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            const std::string::size_type equals = line.find('=');
            if (line.empty() || line[0] == '#' || equals == std::string::npos || equals == 0)
                continue;
            _settings[line.substr(0, equals)] = line.substr(equals + 1);
        }
        return 1;
    }

private:
    std::map<std::string, std::string> _settings;
};

} // namespace

int main(int argc, char** argv)
{
    std::string fileName = argc > 1 ? argv[1] : "settings.ini";

    QZApplicationInfo info;
    if (!info.Initialize("Settings Reader", 10.0f, "support@example.com", argc > 0 ? argv[0] : "", 0, 2024,
                         2025)) {
        std::cerr << "settings_reader: cannot find this program or the suite's home (set CORVAN_HOME)\n";
        return 1;
    }

    SettingsReader reader(&info);
    // Default order: installation directory, configuration directories, home, current
    // directory, so the nearest place has the last word.
    reader.ReadFromAll(fileName.data(), nullptr);
    for (const auto& [name, value] : reader.settings())
        std::cout << name << '=' << value << '\n';
    return 0;
}
