// SystemVariables.cpp - system variables from the environment, else the machine-wide
// registry below the suite's base key; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "platform/Platform.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace {

// The registry read offers this many bytes; larger data counts as unreadable.
constexpr std::size_t kRegistryDataRoom = 1023;

// Copies text with its terminator when it fits into size bytes; a text that does not
// fit is ignored, not cut.
bool copyIfFits(std::string_view text, char* value, unsigned int size)
{
    if (text.size() >= size)
        return false;
    std::copy(text.begin(), text.end(), value);
    value[text.size()] = '\0';
    return true;
}

} // namespace

void QZApplicationInfo::_GetSysVar(const char* name, char* value, unsigned int size) const
{
    _LookUpSysVar(name, value, size);
}

QZApplicationInfo::SysVarOrigin QZApplicationInfo::GetSysVarOrigin(const char* name, char* value,
                                                                    unsigned int size) const
{
    if (!value)
        return SysVarNowhere;
    value[0] = '\0';
    if (!_initialized || size < 1)
        return SysVarNowhere;
    return _LookUpSysVar(name, value, size);
}

QZApplicationInfo::SysVarOrigin QZApplicationInfo::_LookUpSysVar(const char* name, char* value,
                                                                  unsigned int size) const
{
    if (!value || size == 0)
        return SysVarNowhere;
    value[0] = '\0';
    const std::string variable = name ? name : "";

    // An environment variable set to the empty text counts as absent.
    if (const auto text = qz::platform::environment(variable.c_str()))
        if (copyIfFits(*text, value, size) && value[0] != '\0')
            return SysVarEnvironment;

    // "A\B\C" names the value C of the key <base>\A\B; "A\" the default value of <base>\A.
    std::string keyPath = _systemBaseRegistryPath ? _systemBaseRegistryPath : "";
    std::string valueName = variable;
    if (const auto cut = variable.rfind('\\'); cut != std::string::npos) {
        keyPath += '\\';
        keyPath.append(variable, 0, cut);
        valueName = variable.substr(cut + 1);
    }
    const auto data = qz::platform::registryValue(keyPath, valueName, kRegistryDataRoom);
    if (!data)
        return SysVarNowhere;
    // Whatever type the value has, its bytes up to the first NUL are taken as text.
    const std::string_view text(data->data(), std::min(data->find('\0'), data->size()));
    return copyIfFits(text, value, size) && !text.empty() ? SysVarRegistry : SysVarNowhere;
}
