// Probe.cpp - probing a location component by component, through the file system of
// the standard library, so that the first missing or closed component can be named.
#include "Probe.h"

#include "NativePath.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace qzpaths {

namespace {

bool isSeparator(char c) { return c == '/' || (fs::path::preferred_separator == '\\' && c == '\\'); }

// Why the component failed reads as a word about it or about the one before it: a
// search denied in a directory, or a "directory" that is a file.
Probe failure(const std::error_code& error, const std::string& component, const std::string& before)
{
    const std::string& parent = before.empty() ? component : before;
    if (error == std::errc::permission_denied)
        return {Presence::Unreachable, parent, "permission denied"};
    if (error == std::errc::not_a_directory)
        return {Presence::Missing, parent, "is not a directory"};
    if (!error || error == std::errc::no_such_file_or_directory)
        return {Presence::Missing, component, "does not exist"};
    return {Presence::Unreachable, component, error.message()};
}

Probe probe(const std::string& text)
{
    // Prefixes are cut from the text itself, so that a component is named in the bytes
    // the library gave.
    std::string reached;
    bool reachedDirectory = true;
    for (std::size_t end = 0; end <= text.size(); ++end) {
        if (end < text.size() && !isSeparator(text[end]))
            continue;
        if (end == 0 || isSeparator(text[end - 1]))
            continue; // the root, or a doubled or trailing separator
        const std::string prefix = text.substr(0, end);
        if (!nativePath(prefix).has_relative_path())
            continue; // a drive
        // Windows answers "not found" where POSIX says "not a directory".
        if (!reachedDirectory)
            return {Presence::Missing, reached, "is not a directory"};
        std::error_code error;
        const fs::file_status status = fs::status(nativePath(prefix), error);
        if (error || !fs::exists(status))
            return failure(error, prefix, reached);
        reached = prefix;
        reachedDirectory = fs::is_directory(status);
    }
    // Everything on the way is there; the location itself must also open.
    const fs::path path = nativePath(text);
    std::error_code error;
    if (fs::is_directory(path, error)) {
        // "dir/." needs the right to search the directory, the listing the right to read it.
        const fs::file_status searched = fs::status(path / ".", error);
        if (!error && !fs::exists(searched))
            error = std::make_error_code(std::errc::no_such_file_or_directory);
        if (!error)
            fs::directory_iterator(path, error);
    } else if (!std::ifstream(path, std::ios::binary)) {
        error = std::make_error_code(std::errc::permission_denied);
    }
    if (error)
        return failure(error, text, "");
    return {};
}

} // namespace

Probe probeLocation(const std::string& text)
{
    if (text.empty())
        return {Presence::Missing, "", "names no path"};
    try {
        return probe(text);
    } catch (const std::exception& error) {
        // A text that the file system cannot take as a path names nothing there.
        return {Presence::Missing, text, std::string("cannot be a path: ") + error.what()};
    }
}

const char* presenceName(Presence presence)
{
    switch (presence) {
    case Presence::Present:
        return "ok";
    case Presence::Missing:
        return "missing";
    default:
        return "unreachable";
    }
}

std::string probeDetail(const Probe& probe)
{
    if (probe.presence == Presence::Present)
        return "";
    if (probe.at.empty())
        return probe.reason;
    if (probe.presence == Presence::Missing)
        return probe.at + ' ' + probe.reason;
    return probe.reason + ": " + probe.at;
}

} // namespace qzpaths
