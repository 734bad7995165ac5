// registry_file_fuzzer.cpp - the registry export file reader over arbitrary file contents,
// asked for well-known keys and values or for names taken from the input; a file in ASCII
// reads alike in both 8-bit encodings, watching the import changes nothing it gives, and the
// tools' listing of the import gives what lookups give.
//
// Input: one selector byte, then (when its high bit is set) a key path and a value name
// as length-prefixed texts, then the file's contents.
#include "platform/registry/RegistryFile.h"

#include "FuzzInput.h"
#include "platform/QZRegistryStandIn.h"
#include "platform/registry/Import.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace {

const char* const kKeys[] = {
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\10.0build60",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\.txt",
    "HKEY_CLASSES_ROOT\\.txt",
    "HKEY_CURRENT_USER\\Software\\Vendor",
    "HKEY_LOCAL_MACHINE",
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\App\\Sub\\Deeper",
    "hkey_local_machine\\software\\vendor\\app",
};

const char* const kValueNames[] = {
    "", "CORVAN_HOME", "DISPLAY", "v", "Value", "QZ_MSG_HELP", "name with blanks", "@",
};

constexpr qz::regfile::Encoding kEncoding = qz::regfile::Encoding::Utf8;

// The room that the library's system variable lookup offers, and the other edges.
constexpr std::size_t kRooms[] = {1023, 0, 1, 4, 1024};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qzfuzz::Input input(data, size);
    const std::uint8_t selector = input.byte();
    std::string key = kKeys[selector % std::size(kKeys)];
    std::string name = kValueNames[(selector >> 3) % std::size(kValueNames)];
    if (selector & 0x80) {
        key = input.text();
        name = input.text();
    }
    const std::size_t room = kRooms[(selector >> 6 & 1) ? input.below(std::size(kRooms)) : 0];

    // An exact copy, so that a read past the contents is a read past an allocation.
    const std::string rest = input.rest();
    const std::vector<char> contents(rest.begin(), rest.end());
    const std::string_view view(contents.data(), contents.size());

    const std::optional<std::string> whole =
        qz::regfile::queryValueIn(view, key, name, std::numeric_limits<std::size_t>::max(), kEncoding);
    const std::optional<std::string> bounded = qz::regfile::queryValueIn(view, key, name, room, kEncoding);

    // The room only decides whether the data is handed out, never what it is.
    if (whole && whole->size() <= room)
        QZ_FUZZ_CHECK(bounded == whole);
    else
        QZ_FUZZ_CHECK(!bounded);

    // Names reach the reader as C strings do: nothing after a NUL counts.
    if (key.find('\0') != std::string::npos || name.find('\0') != std::string::npos)
        QZ_FUZZ_CHECK(qz::regfile::queryValueIn(view, qzfuzz::asCString(key), qzfuzz::asCString(name),
                                                std::numeric_limits<std::size_t>::max(), kEncoding) == whole);

    // An observer sees the import without changing it.
    qz::regfile::ImportObserver watching;
    const qz::regfile::Imported watched = qz::regfile::importRegistry(view, kEncoding, &watching);
    QZ_FUZZ_CHECK(qz::regfile::inspect(watched, key, name, kEncoding).data == whole);

    // The tools' view of the same import lists each value as a lookup reads it. Not every
    // name can be asked for: a lookup opens no key more than 260 characters below its root,
    // and a name with a lone surrogate of a UTF-16 file reaches 8-bit text as U+FFFD.
    const qz::standin::File listed = qz::standin::readContents(view, "fuzz.reg");
    QZ_FUZZ_CHECK(listed.exportFile == watched.exportFile());
    const auto askable = [](const std::string& text) {
        return text.size() < 200 && text.find('\0') == std::string::npos &&
               text.find("\xEF\xBF\xBD") == std::string::npos;
    };
    std::size_t checked = 0;
    for (const qz::standin::Key& holder : listed.keys)
        for (const qz::standin::Value& value : holder.values)
            if (checked++ < 16 && askable(holder.path) && askable(value.name))
                QZ_FUZZ_CHECK(qz::regfile::inspect(watched, holder.path, value.name, kEncoding).data == value.data);

    // Both 8-bit encodings read ASCII alike.
    const bool ascii = std::all_of(rest.begin(), rest.end(), [](char c) { return c >= 0; }) &&
                       std::all_of(key.begin(), key.end(), [](char c) { return c >= 0; }) &&
                       std::all_of(name.begin(), name.end(), [](char c) { return c >= 0; });
    if (ascii)
        QZ_FUZZ_CHECK(qz::regfile::queryValueIn(view, key, name, std::numeric_limits<std::size_t>::max(),
                                                qz::regfile::Encoding::Cp1252) == whole);
    return 0;
}
