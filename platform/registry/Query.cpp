// Query.cpp - the reader's entry points: a file's contents prepared (line buffer replay,
// decoding), imported for the wanted value, and the value handed out.
#include "platform/registry/RegistryFile.h"

#include "platform/FileContents.h"
#include "platform/registry/Import.h"
#include "platform/registry/KeyPath.h"
#include "platform/registry/Lines.h"
#include "platform/registry/Text.h"

namespace qz::regfile {

namespace {

// Data that could not be longer than maxBytes is left undecoded: it would only be dropped.
template <class Text>
Inspection inspect(const Text& text, const Target& target, Encoding encoding, std::size_t maxBytes, bool lfOnly)
{
    Importer<Text> importer(text, target, encoding, lfOnly);
    const std::optional<Setting> setting = importer.run();
    Inspection found;
    found.exportFile = importer.exportFile();
    found.keyFound = importer.keyFound();
    if (setting && Importer<Text>::leastDecodedSize(*setting) <= maxBytes)
        found.data = importer.decode(*setting);
    return found;
}

// A key that cannot be reached is still looked for, so that the header is judged.
const Target& unreachable()
{
    static const Target target{{}, u"\x1", false, false};
    return target;
}

// The file read in the caller's encoding: UTF-16 as it is; 8-bit text in code page 1252,
// or in UTF-8, both read in place. owned, when given, holds the same bytes as contents
// and may be rewritten; otherwise a file with NUL characters is copied for the replay of
// the line buffer, whose text ends its lines with LF alone.
Inspection inspectContents(std::string_view contents, char* owned, const std::optional<Target>& target,
                           Encoding encoding, std::size_t maxBytes = kNone)
{
    if (contents.size() < 2)
        return {};
    const bool wide = contents[0] == '\xFF' && contents[1] == '\xFE';
    std::string copy;
    const bool replayed = containsNul(contents, wide);
    if (replayed) {
        if (!owned) {
            copy.assign(contents);
            owned = copy.data();
        }
        contents = {owned, replayLineBuffer(owned, contents.size(), wide)};
    }
    const bool reachable = target && !(wide && target->escapedBytes);
    const Target& wanted = reachable ? *target : unreachable();
    Inspection found;
    if (wide)
        found = inspect(WideText(contents), wanted, encoding, maxBytes, replayed);
    else if (encoding == Encoding::Cp1252)
        found = inspect(NarrowText(contents), wanted, encoding, maxBytes, replayed);
    else
        found = inspect(Utf8Text(contents), wanted, encoding, maxBytes, replayed);
    if (!reachable)
        found = Inspection{found.exportFile, false, std::nullopt};
    return found;
}

} // namespace

std::optional<std::string> queryValueIn(std::string_view contents, std::string_view keyPath,
                                        std::string_view valueName, std::size_t maxBytes, Encoding encoding)
{
    const std::optional<Target> target = makeTarget(keyPath, valueName, encoding);
    if (!target)
        return std::nullopt;
    Inspection found = inspectContents(contents, nullptr, target, encoding, maxBytes);
    if (found.data && found.data->size() > maxBytes)
        return std::nullopt;
    return std::move(found.data);
}

Inspection inspectIn(std::string_view contents, std::string_view keyPath, std::string_view valueName,
                     Encoding encoding)
{
    return inspectContents(contents, nullptr, makeTarget(keyPath, valueName, encoding), encoding);
}

std::optional<std::string> queryValue(const std::string& filePath, std::string_view keyPath,
                                      std::string_view valueName, std::size_t maxBytes, Encoding encoding)
{
    const std::optional<platform::FileBytes> contents = platform::fileBytes(filePath.c_str());
    if (!contents)
        return std::nullopt;
    const std::optional<Target> target = makeTarget(keyPath, valueName, encoding);
    if (!target)
        return std::nullopt;
    Inspection found = inspectContents(contents->view(), contents->data.get(), target, encoding, maxBytes);
    if (found.data && found.data->size() > maxBytes)
        return std::nullopt;
    return std::move(found.data);
}

} // namespace qz::regfile
