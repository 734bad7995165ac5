// Get.cpp - qzpaths get: the values of published keys, as lines, NUL-separated, shell
// assignments or JSON.
#include "Commands.h"
#include "JsonText.h"
#include "Terminal.h"

#include <iostream>
#include <map>

namespace qzpaths {

int printValues(QZApplicationInfo& record, const std::vector<std::string>& keys, GetFormat format)
{
    // Nothing is printed unless every key is known, so that a script never reads the
    // value of one key in place of another's.
    for (const std::string& key : keys) {
        if (!record.GetSpecifiedPath(key.c_str())) {
            std::cerr << "qzpaths: unknown key: " << key << '\n';
            return Negative;
        }
    }
    if (format == GetFormat::Shell) {
        // Two keys that became one name would have the later value overwrite the earlier.
        std::map<std::string, std::string> keyOf;
        for (const std::string& key : keys) {
            const auto [it, added] = keyOf.emplace(shellVariableName(key), key);
            if (!added && it->second != key) {
                std::cerr << "qzpaths: get --shell: keys " << it->second << " and " << key
                          << " both become the variable " << it->first << "; ask for them in separate calls\n";
                return Usage;
            }
        }
    }
    if (format == GetFormat::Json) {
        json values = json::object();
        for (const std::string& key : keys)
            values[key] = jsonText(record.GetSpecifiedPath(key.c_str()));
        std::cout << values.dump(2) << '\n';
        return Success;
    }
    // Shell text and NUL-separated values go out byte for byte: no line-end translation.
    if (format != GetFormat::Lines)
        setBinaryOutput();
    for (const std::string& key : keys) {
        const std::string value = record.GetSpecifiedPath(key.c_str());
        switch (format) {
        case GetFormat::Shell:
            std::cout << shellVariableName(key) << '=' << shellQuoted(value) << '\n';
            break;
        case GetFormat::Nul:
            std::cout << value << '\0';
            break;
        default:
            std::cout << value << '\n';
        }
    }
    std::cout.flush();
    return Success;
}

} // namespace qzpaths
