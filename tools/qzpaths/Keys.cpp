// Keys.cpp - qzpaths keys: the published keys in table order, with their values if asked.
#include "Commands.h"
#include "JsonText.h"

#include <iostream>

namespace qzpaths {

int printKeys(const QZStartupReport& report, bool withValues, const Output& output)
{
    const auto& table = report.published;
    if (output.json) {
        json list = withValues ? json::object() : json::array();
        for (const auto& [key, value] : table) {
            if (withValues)
                list[key] = jsonText(value);
            else
                list.push_back(key);
        }
        std::cout << list.dump(2) << '\n';
        return Success;
    }
    for (const auto& [key, value] : table) {
        std::cout << key;
        if (withValues)
            std::cout << '=' << value;
        std::cout << '\n';
    }
    return Success;
}

} // namespace qzpaths
