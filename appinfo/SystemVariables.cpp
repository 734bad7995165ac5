// SystemVariables.cpp - system variables from the environment, else the machine-wide
// registry below the suite's base key; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "platform/Platform.h"
#include "report/Recorder.h"

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

// Whatever type the value has, its bytes up to the first NUL are taken as text.
std::string_view textOfData(const std::string& data)
{
    return std::string_view(data.data(), std::min(data.find('\0'), data.size()));
}

using Report = QZStartupReport;

Report::EnvironmentState environmentState(const std::optional<std::string>& text, unsigned int size)
{
    if (!text)
        return Report::EnvironmentState::Unset;
    if (text->empty())
        return Report::EnvironmentState::Empty;
    return text->size() >= size ? Report::EnvironmentState::TooLong : Report::EnvironmentState::Used;
}

Report::RegistryRead noted(qz::platform::RegistryRead&& read)
{
    using State = qz::platform::RegistryRead::StoreState;
    Report::RegistryRead noted;
    noted.store = std::move(read.store);
    noted.storeSetting = std::move(read.storeSetting);
    switch (read.storeState) {
    case State::Read:
        noted.storeState = Report::RegistryRead::StoreState::Read;
        break;
    case State::Missing:
        noted.storeState = Report::RegistryRead::StoreState::Missing;
        break;
    case State::Unreadable:
        noted.storeState = Report::RegistryRead::StoreState::Unreadable;
        break;
    case State::Directory:
        noted.storeState = Report::RegistryRead::StoreState::Directory;
        break;
    case State::NotAnExportFile:
        noted.storeState = Report::RegistryRead::StoreState::NotAnExportFile;
        break;
    }
    noted.storeReason = std::move(read.storeReason);
    noted.keyPath = std::move(read.keyPath);
    noted.valueName = std::move(read.valueName);
    noted.keyFound = read.keyFound;
    noted.valueFound = read.valueFound;
    noted.valueBytes = read.valueBytes;
    noted.readLimit = kRegistryDataRoom;
    if (read.data)
        noted.text = std::string(textOfData(*read.data));
    return noted;
}

} // namespace

void QZApplicationInfo::_GetSysVar(const char* name, char* value, unsigned int size) const
{
    _LookUpSysVar(name, value, size, nullptr);
}

bool QZApplicationInfo::_LookUpSysVar(const char* name, char* value, unsigned int size, _Recorder* recorder) const
{
    if (!value || size == 0)
        return false;
    value[0] = '\0';
    const std::string variable = name ? name : "";
    Report::Lookup* lookup = recorder ? &recorder->lookup(name, size) : nullptr;

    // An environment variable set to the empty text counts as absent.
    const std::optional<std::string> environment = qz::platform::environment(variable.c_str());
    if (lookup) {
        lookup->environment = environmentState(environment, size);
        lookup->environmentBytes = environment ? environment->size() : 0;
        lookup->environmentText = environment;
    }
    if (environment && copyIfFits(*environment, value, size) && value[0] != '\0') {
        if (lookup) {
            lookup->source = Report::Lookup::Source::Environment;
            lookup->value = value;
        }
        return true;
    }

    // "A\B\C" names the value C of the key <base>\A\B; "A\" the default value of <base>\A.
    std::string keyPath = _systemBaseRegistryPath ? _systemBaseRegistryPath : "";
    std::string valueName = variable;
    if (const auto cut = variable.rfind('\\'); cut != std::string::npos) {
        keyPath += '\\';
        keyPath.append(variable, 0, cut);
        valueName = variable.substr(cut + 1);
    }
    qz::platform::RegistryRead read = qz::platform::readRegistryValue(keyPath, valueName, kRegistryDataRoom);
    const std::optional<std::string> data = read.data;
    if (lookup)
        lookup->registry = noted(std::move(read));
    if (!data)
        return false;
    const std::string_view text = textOfData(*data);
    if (!copyIfFits(text, value, size) || text.empty())
        return false;
    if (lookup) {
        lookup->source = Report::Lookup::Source::Registry;
        lookup->value = value;
    }
    return true;
}
