// PathDictionary.cpp - the ordered key/path table; no platform code.
#include "QZApplicationInfo.h"

#include "appinfo/Text.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <string>
#include <vector>

using PathDictionary = QZApplicationInfo::PathDictionary;

// Everything the table owns. Tables that share it (after a copy or an assignment) keep
// it alive until the last of them is destroyed.
struct PathDictionary::_Storage {
    // Keys and values live in blocks that are never moved or freed before the storage:
    // a table of paths is filled once at start-up, and one allocation per block instead
    // of two per entry is most of what filling it costs.
    std::vector<std::unique_ptr<char[]>> blocks;
    std::size_t blockUsed = 0;
    std::size_t blockSize = 0;
    std::vector<std::unique_ptr<char*[]>> arrays;

    // Room for size bytes that stays where it is.
    char* allocate(std::size_t size)
    {
        if (blockSize - blockUsed < size) {
            constexpr std::size_t kBlockSize = 4096;
            const std::size_t newSize = std::max(size, kBlockSize);
            blocks.reserve(blocks.size() + 1);
            blocks.emplace_back(new char[newSize]);
            blockUsed = 0;
            blockSize = newSize;
        }
        char* room = blocks.back().get() + blockUsed;
        blockUsed += size;
        return room;
    }

    // Copies text to at and ends it with a NUL; returns the place after the NUL.
    static char* put(std::string_view text, char* at)
    {
        at = std::copy(text.begin(), text.end(), at);
        *at = '\0';
        return at + 1;
    }
};

namespace {

std::unique_ptr<char*[]> nullSlots(int count)
{
    return std::unique_ptr<char*[]>(new char*[static_cast<std::size_t>(count)]());
}

} // namespace

PathDictionary::PathDictionary(unsigned int capacity, unsigned int growth)
    : _keys(nullptr), _values(nullptr), _capacity(0), _growth(growth == 0 ? 1 : growth), _count(0),
      _storage(std::make_shared<_Storage>())
{
    if (capacity > INT_MAX)
        throw std::bad_alloc();
    _storage->arrays.reserve(2);
    _storage->arrays.push_back(nullSlots(static_cast<int>(capacity)));
    _storage->arrays.push_back(nullSlots(static_cast<int>(capacity)));
    _keys = _storage->arrays[0].get();
    _values = _storage->arrays[1].get();
    _capacity = static_cast<int>(capacity);
}

PathDictionary::PathDictionary(const PathDictionary& other) = default;

PathDictionary::~PathDictionary() = default;

PathDictionary& PathDictionary::operator=(const PathDictionary& other) = default;

void PathDictionary::_IncreaseSize(int by)
{
    if (by < 1)
        by = 1;
    if (_capacity > INT_MAX - by)
        throw std::bad_alloc();
    const int capacity = _capacity + by;
    auto keys = nullSlots(capacity);
    auto values = nullSlots(capacity);
    std::copy(_keys, _keys + _capacity, keys.get());
    std::copy(_values, _values + _capacity, values.get());

    // A table that shares its storage keeps the old arrays, which the other table
    // still reads; one that owns it alone lets them go.
    auto& arrays = _storage->arrays;
    arrays.reserve(arrays.size() + 2);
    if (_storage.use_count() == 1)
        arrays.clear();
    _keys = arrays.emplace_back(std::move(keys)).get();
    _values = arrays.emplace_back(std::move(values)).get();
    _capacity = capacity;
}

void PathDictionary::Append(const char* key, const char* value)
{
    const std::string_view text = qz::textOf(value);
    _Add(qz::textOf(key), &text, 1);
}

std::string_view PathDictionary::_Add(std::string_view key, const std::string_view* pieces, std::size_t count)
{
    if (_count == _capacity)
        _IncreaseSize(static_cast<int>(std::min<unsigned int>(_growth, INT_MAX)));
    // One room for the key and the value, each NUL-terminated, taken before either slot
    // is set, so that a failed allocation stores neither.
    std::size_t length = 0;
    for (std::size_t i = 0; i < count; ++i)
        length += pieces[i].size();
    char* keyCopy = _storage->allocate(key.size() + 1 + length + 1);
    char* valueCopy = _Storage::put(key, keyCopy);
    char* end = valueCopy;
    for (std::size_t i = 0; i < count; ++i)
        end = std::copy(pieces[i].begin(), pieces[i].end(), end);
    *end = '\0';
    _keys[_count] = keyCopy;
    _values[_count] = valueCopy;
    ++_count;
    return {valueCopy, length};
}

const char* PathDictionary::Enroll(const char* key, std::ostrstream* text)
{
    if (!text)
        return Enroll(key, "");
    // str() freezes the buffer, which passes to us: released here, whatever Append does.
    const auto length = static_cast<std::size_t>(std::max<std::streamsize>(text->pcount(), 0));
    std::unique_ptr<char[]> buffer(text->str());
    if (!buffer)
        return Enroll(key, "");
    // A text that lacks its terminating NUL is not read past its end.
    const std::string value(buffer.get(), std::find(buffer.get(), buffer.get() + length, '\0'));
    return Enroll(key, value.c_str());
}

const char* PathDictionary::Enroll(const char* key, const char* text)
{
    Append(key, text);
    return GetPath(key);
}

const char* PathDictionary::GetPath(const char* key) const
{
    if (!key)
        return nullptr;
    // The first byte settles most comparisons without a call.
    for (int i = 0; i < _count; ++i)
        if (_keys[i][0] == key[0] && std::strcmp(_keys[i], key) == 0)
            return _values[i];
    return nullptr;
}

char* PathDictionary::DumpPaths()
{
    static constexpr const char* rule = "=======================\n";
    std::string dump = std::to_string(_count) + " keys\n" + rule;
    for (int i = 0; i < _count; ++i) {
        dump += _keys[i];
        dump += " : ";
        dump += _values[i];
        dump += '\n';
    }
    dump += rule;
    return qz::copyText(dump).release();
}
