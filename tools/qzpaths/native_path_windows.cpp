// native_path_windows.cpp - paths from 8-bit texts in the ANSI code page, as the
// library's 8-bit calls read them.
#include "NativePath.h"

#include <windows.h>

#include <climits>

namespace qzpaths {

std::filesystem::path nativePath(const std::string& text)
{
    if (text.empty() || text.size() > INT_MAX)
        return std::filesystem::path();
    const int size = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), units);
    return std::filesystem::path(wide);
}

} // namespace qzpaths
