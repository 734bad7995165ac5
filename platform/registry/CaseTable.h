// CaseTable.h - key and value names compare as Wine's registry upper-cases each UTF-16 unit.
#ifndef QZ_PLATFORM_REGISTRY_CASETABLE_H
#define QZ_PLATFORM_REGISTRY_CASETABLE_H

namespace qz::regfile {

// The upper case of a unit at or above U+0080 (CaseTable.cpp, measured from Wine).
char16_t foldCaseBeyondAscii(char16_t c);

// The upper case that the registry compares names by.
inline char16_t foldCase(char16_t c)
{
    if (c < 0x80)
        return c >= 'a' && c <= 'z' ? static_cast<char16_t>(c - 0x20) : c;
    return foldCaseBeyondAscii(c);
}

} // namespace qz::regfile

#endif
