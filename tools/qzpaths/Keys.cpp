// Keys.cpp - qzpaths keys: the published keys in table order, with their values if asked.
#include "Commands.h"
#include "JsonText.h"

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

namespace qzpaths {

std::vector<std::pair<std::string, std::string>> publishedTable(Record& record)
{
    // The dump gives the order: "<n> keys\n", a rule, then "key : value\n" for each entry.
    // A value may itself hold " : " and line ends, so each entry is read as its key and
    // then exactly the value that a lookup of that key answers.
    std::unique_ptr<char[]> dump(record.DumpPaths());
    const std::string text = dump.get();
    const unsigned long count = std::strtoul(text.c_str(), nullptr, 10);
    std::size_t at = text.find('\n');
    at = at == std::string::npos ? text.size() : text.find('\n', at + 1);
    std::vector<std::pair<std::string, std::string>> entries;
    while (at != std::string::npos && ++at < text.size() && entries.size() < count) {
        const std::size_t colon = text.find(" : ", at);
        if (colon == std::string::npos)
            break;
        std::string key = text.substr(at, colon - at);
        const char* found = record.GetSpecifiedPath(key.c_str());
        std::string value = found ? found : "";
        const std::size_t start = colon + 3;
        if (!found || text.compare(start, value.size(), value) != 0 || text[start + value.size()] != '\n') {
            // A second entry under a key that an earlier one already answers for.
            const std::size_t end = text.find('\n', start);
            value = text.substr(start, end - start);
        }
        at = start + value.size();
        entries.emplace_back(std::move(key), std::move(value));
    }
    return entries;
}

int printKeys(Record& record, bool withValues, const Output& output)
{
    const auto table = publishedTable(record);
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
