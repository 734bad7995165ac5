// DecodedReading.h - a UTF-8 registry export file read the plain way, to compare the
// reader against: the whole file decoded to UTF-16 units first, then imported over them.
#ifndef QZ_TESTS_SUPPORT_DECODEDREADING_H
#define QZ_TESTS_SUPPORT_DECODEDREADING_H

#include "platform/registry/Import.h"
#include "platform/registry/KeyPath.h"
#include "platform/registry/Lines.h"
#include "platform/registry/RegistryFile.h"
#include "platform/registry/Text.h"

#include <optional>
#include <string>
#include <string_view>

namespace qztest {

// What inspectIn gives for 8-bit contents in UTF-8, found over the decoded units.
inline qz::regfile::Inspection inspectDecoded(std::string contents, std::string_view keyPath,
                                              std::string_view valueName)
{
    using namespace qz::regfile;
    if (contents.size() < 2 || (contents[0] == '\xFF' && contents[1] == '\xFE'))
        return inspectIn(contents, keyPath, valueName, Encoding::Utf8);
    if (containsNul(contents, false))
        replayLineBuffer(contents, false);
    static const Target unreachable{{}, u"\x1", false, false};
    const std::optional<Target> target = makeTarget(keyPath, valueName, Encoding::Utf8);
    std::size_t linesFrom = 0;
    const std::u16string units = decodeUtf8(contents, &linesFrom);
    const DecodedText text(units, linesFrom);
    Importer<DecodedText> importer(text, target ? *target : unreachable, Encoding::Utf8);
    const std::optional<Setting> setting = importer.run();
    Inspection found;
    found.exportFile = importer.exportFile();
    found.keyFound = target && importer.keyFound();
    if (target && setting)
        found.data = importer.decode(*setting);
    return found;
}

inline bool sameInspection(const qz::regfile::Inspection& a, const qz::regfile::Inspection& b)
{
    return a.exportFile == b.exportFile && a.keyFound == b.keyFound && a.data == b.data;
}

} // namespace qztest

#endif
