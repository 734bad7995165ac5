// path_dictionary_fuzzer.cpp - PathDictionary driven by a sequence of operations on a few
// tables (append, both forms of enroll, lookup, dump, copy, assignment, new tables of
// small capacity and growth, destruction), each checked against a model of the tables.
//
// The model mirrors what copies share: tables made by copy or assignment share one
// array of slots until one of them grows, and every string lives as long as any table
// that shares its storage.
#include <QZApplicationInfo.h>

#include "FuzzInput.h"

#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using PathDictionary = QZApplicationInfo::PathDictionary;

struct ModelSlots {
    std::vector<std::pair<std::string, std::string>> slots; // as many as the capacity
};

// Pointers handed out by a table, with the text each must still show.
struct ModelStorage {
    std::vector<std::pair<const char*, std::string>> handed;
};

struct ModelTable {
    std::shared_ptr<ModelSlots> slots;
    std::shared_ptr<ModelStorage> storage;
    std::size_t count = 0;
    std::size_t growth = 1;

    ModelTable(std::size_t capacity, std::size_t growthStep)
        : slots(std::make_shared<ModelSlots>()), storage(std::make_shared<ModelStorage>()),
          growth(growthStep == 0 ? 1 : growthStep)
    {
        slots->slots.resize(capacity);
    }

    void append(const std::string& key, const std::string& value)
    {
        if (count == slots->slots.size()) {
            auto grown = std::make_shared<ModelSlots>(*slots);
            grown->slots.resize(grown->slots.size() + growth);
            slots = std::move(grown);
        }
        slots->slots[count++] = {key, value};
    }

    std::optional<std::string> lookUp(const std::string& key) const
    {
        for (std::size_t i = 0; i < count; ++i)
            if (slots->slots[i].first == key)
                return slots->slots[i].second;
        return std::nullopt;
    }
};

struct Slot {
    std::unique_ptr<PathDictionary> table;
    std::optional<ModelTable> model;
};

constexpr std::size_t kTables = 4;
constexpr std::size_t kMaxHanded = 512;
constexpr std::size_t kMaxEntries = 2000;

const char* const kKeys[] = {"qz_bindir", "tcl_lib", "", "a", "A", "a "};

std::string keyOf(qzfuzz::Input& input)
{
    const std::uint8_t choice = input.byte();
    if (choice < 0x80)
        return kKeys[choice % std::size(kKeys)];
    return input.text(64);
}

void checkLookup(const Slot& slot, const std::string& key, const char* found)
{
    const std::optional<std::string> expected = slot.model->lookUp(key);
    QZ_FUZZ_CHECK(expected.has_value() == (found != nullptr));
    if (expected)
        QZ_FUZZ_CHECK(*expected == found);
}

void remember(Slot& slot, const char* pointer)
{
    if (pointer && slot.model->storage->handed.size() < kMaxHanded)
        slot.model->storage->handed.emplace_back(pointer, pointer);
}

// Every pointer handed out by a storage that some table still holds shows its text.
void checkHanded(const std::array<Slot, kTables>& slots)
{
    for (const Slot& slot : slots)
        if (slot.model)
            for (const auto& [pointer, text] : slot.model->storage->handed)
                QZ_FUZZ_CHECK(std::strcmp(pointer, text.c_str()) == 0);
}

void checkDump(Slot& slot)
{
    const std::unique_ptr<char[]> dump(slot.table->DumpPaths());
    QZ_FUZZ_CHECK(dump != nullptr);
    const std::string text = dump.get();
    const std::string head = std::to_string(slot.model->count) + " keys\n";
    QZ_FUZZ_CHECK(text.compare(0, head.size(), head) == 0);
    const std::size_t ruleEnd = text.find('\n', head.size());
    QZ_FUZZ_CHECK(ruleEnd != std::string::npos);
    const std::string rule = text.substr(head.size(), ruleEnd + 1 - head.size());
    std::string expected = head + rule;
    for (std::size_t i = 0; i < slot.model->count; ++i)
        expected += slot.model->slots->slots[i].first + " : " + slot.model->slots->slots[i].second + "\n";
    expected += rule;
    QZ_FUZZ_CHECK(text == expected);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    qzfuzz::Input input(data, size);
    std::array<Slot, kTables> slots;
    // Every table starts as the record makes its own: capacity 40, growth 20.
    for (Slot& slot : slots) {
        slot.table = std::make_unique<PathDictionary>();
        slot.model.emplace(40, 20);
    }
    std::size_t entries = 0;

    while (!input.empty()) {
        const std::uint8_t op = input.byte();
        Slot& slot = slots[(op >> 4) % kTables];
        Slot& other = slots[(op >> 6) % kTables];
        const bool live = slot.table != nullptr;
        switch (op % 11) {
        case 0: { // Append, a null text counting as empty
            if (!live || entries >= kMaxEntries)
                break;
            const std::uint8_t nulls = input.byte();
            const std::string key = qzfuzz::asCString(keyOf(input));
            const std::string value = qzfuzz::asCString(input.text());
            slot.table->Append(nulls & 1 ? nullptr : key.c_str(), nulls & 2 ? nullptr : value.c_str());
            slot.model->append(nulls & 1 ? "" : key, nulls & 2 ? "" : value);
            ++entries;
            break;
        }
        case 1: { // Enroll with a finished text
            if (!live || entries >= kMaxEntries)
                break;
            const std::string key = qzfuzz::asCString(keyOf(input));
            const std::string value = qzfuzz::asCString(input.text());
            const char* found = slot.table->Enroll(key.c_str(), value.c_str());
            slot.model->append(key, value);
            ++entries;
            checkLookup(slot, key, found);
            remember(slot, found);
            break;
        }
        case 2: { // Enroll with a stream, ended or not, or no stream at all
            if (!live || entries >= kMaxEntries)
                break;
            const std::uint8_t form = input.byte();
            const std::string key = qzfuzz::asCString(keyOf(input));
            const std::string value = input.text();
            const char* found = nullptr;
            std::string stored;
            if (form % 3 == 0) {
                found = slot.table->Enroll(key.c_str(), static_cast<std::ostrstream*>(nullptr));
            } else {
                std::ostrstream stream;
                stream.write(value.data(), static_cast<std::streamsize>(value.size()));
                if (form % 3 == 1)
                    stream << std::ends;
                // A text without its terminator ends where the stream's text does.
                stored = qzfuzz::asCString(value);
                found = slot.table->Enroll(key.c_str(), &stream);
            }
            slot.model->append(key, stored);
            ++entries;
            checkLookup(slot, key, found);
            remember(slot, found);
            break;
        }
        case 3: { // GetPath
            if (!live)
                break;
            const std::string key = qzfuzz::asCString(keyOf(input));
            const char* found = slot.table->GetPath(key.c_str());
            checkLookup(slot, key, found);
            remember(slot, found);
            QZ_FUZZ_CHECK(slot.table->GetPath(nullptr) == nullptr);
            break;
        }
        case 4: // DumpPaths
            if (live)
                checkDump(slot);
            break;
        case 5: // copy construction into another slot
            if (!live)
                break;
            other.table = std::make_unique<PathDictionary>(*slot.table);
            other.model = slot.model;
            break;
        case 6: // assignment, self-assignment included
            if (!live || !other.table)
                break;
            *other.table = *slot.table;
            other.model = slot.model;
            break;
        case 7: { // a new table of small capacity and growth, 0 included
            const std::size_t capacity = input.byte() % 8;
            std::size_t growth = input.byte();
            growth = growth < 0xF0 ? growth % 5 : 1000;
            slot.table = std::make_unique<PathDictionary>(static_cast<unsigned>(capacity),
                                                          static_cast<unsigned>(growth));
            slot.model.emplace(capacity, growth);
            break;
        }
        case 8: // destruction
            slot.table.reset();
            slot.model.reset();
            break;
        case 9:
            checkHanded(slots);
            break;
        case 10: // lookups of every key the model knows
            if (!live)
                break;
            for (std::size_t i = 0; i < slot.model->count; ++i) {
                const std::string& key = slot.model->slots->slots[i].first;
                checkLookup(slot, key, slot.table->GetPath(key.c_str()));
            }
            break;
        }
    }
    checkHanded(slots);
    for (Slot& slot : slots)
        if (slot.table)
            checkDump(slot);
    return 0;
}
