// List.cpp - qzpaths registry list: every value below the base key as a lookup reads it,
// with the line of the stand-in file that set it.
#include "registry/Registry.h"

#include <cstdio>
#include <iostream>

namespace qzpaths::registry {

namespace {

std::string hexBytes(std::string_view bytes)
{
    std::string hex;
    char pair[4];
    for (const char c : bytes) {
        std::snprintf(pair, sizeof pair, "%02x", static_cast<unsigned char>(c));
        hex += hex.empty() ? "" : ",";
        hex += pair;
    }
    return hex;
}

std::string withoutTerminator(const std::string& data)
{
    return !data.empty() && data.back() == '\0' ? data.substr(0, data.size() - 1) : data;
}

} // namespace

std::optional<Place> placeOf(const Request& request)
{
    if (!request.file.empty())
        return Place{request.file, "--file"};
    const auto standIn = qz::standin::standInFile();
    if (!standIn)
        return std::nullopt;
    return Place{standIn->first, standIn->second.empty() ? "the default" : standIn->second};
}

std::string typeName(std::uint32_t type) { return qz::standin::typeName(type); }

std::string shownData(const qz::standin::Value& value)
{
    if (value.type == 1 || value.type == 2)
        return withoutTerminator(value.data);
    if (value.type == 7) {
        std::string shown;
        std::string_view rest = value.data;
        while (!rest.empty() && rest.front() != '\0') {
            const std::size_t end = std::min(rest.find('\0'), rest.size());
            shown += (shown.empty() ? "\"" : ", \"") + std::string(rest.substr(0, end)) + "\"";
            rest.remove_prefix(std::min(end + 1, rest.size()));
        }
        return shown;
    }
    if (value.type == 4 && value.data.size() == 4) {
        std::uint32_t number = 0;
        for (int i = 3; i >= 0; --i)
            number = number << 8 | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
        char text[32];
        std::snprintf(text, sizeof text, "0x%08x (%u)", number, number);
        return text;
    }
    return hexBytes(value.data);
}

json valueJson(const std::string& key, const qz::standin::Value& value, const std::string& file)
{
    json entry = {{"key", jsonText(key)},
                  {"name", jsonText(value.name)},
                  {"type", typeName(value.type)},
                  {"data", value.type == 1 || value.type == 2 ? jsonText(withoutTerminator(value.data))
                                                              : jsonText(shownData(value))},
                  {"bytes", value.data.size()}};
    if (value.firstLine > 0)
        entry["where"] = {{"file", jsonText(file)}, {"line", value.firstLine}, {"lastLine", value.lastLine}};
    else
        entry["where"] = {{"file", nullptr}, {"place", "HKEY_LOCAL_MACHINE"}};
    return entry;
}

int printList(const Request& request, const std::string& baseKey, const Output& output)
{
    std::vector<qz::standin::Key> keys;
    std::string where = "HKEY_LOCAL_MACHINE";
    const std::optional<Place> place = placeOf(request);
    if (place) {
        qz::standin::File file = qz::standin::readFile(place->file);
        if (!file.error.empty() || !file.exportFile) {
            std::cerr << "qzpaths: the registry stand-in " << place->file << " (" << place->why << ") "
                      << (file.error.empty() ? std::string("is not a registry export file") : "cannot be read: " + file.error)
                      << '\n';
            return Negative;
        }
        for (auto& key : file.keys)
            if (qz::standin::isAtOrBelow(key.path, baseKey, request.all))
                keys.push_back(std::move(key));
        where = place->file;
    } else {
        keys = qz::standin::systemValues(baseKey, request.all).value_or(std::vector<qz::standin::Key>());
    }
    if (output.json) {
        json list = json::array();
        for (const auto& key : keys)
            for (const auto& value : key.values)
                list.push_back(valueJson(key.path, value, where));
        printJson({{"key", jsonText(baseKey)}, {"store", jsonText(where)}, {"values", list}});
        return Success;
    }
    std::cout << baseKey << "  in " << where << '\n';
    if (keys.empty())
        std::cout << "  no values" << (request.all ? "" : " (--all lists those of its subkeys too)") << '\n';
    for (const auto& key : keys) {
        if (key.path != baseKey)
            std::cout << key.path << '\n';
        for (const auto& value : key.values) {
            std::cout << "  " << (value.name.empty() ? "(default)" : value.name) << "  " << typeName(value.type)
                      << "  " << shownData(value);
            if (value.firstLine > 0)
                std::cout << "  " << where << ':' << value.firstLine;
            std::cout << '\n';
        }
    }
    return Success;
}

} // namespace qzpaths::registry
