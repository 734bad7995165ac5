// SystemVariables.cpp - system variables from the environment, else the machine-wide
// registry below the suite's base key; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "platform/Platform.h"
#include "appinfo/Trace.h"

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

qz::trace::EnvironmentState environmentState(const std::optional<std::string>& text, unsigned int size)
{
    using State = qz::trace::EnvironmentState;
    if (!text)
        return State::Unset;
    if (text->empty())
        return State::Empty;
    return text->size() >= size ? State::TooLong : State::Used;
}

} // namespace

void QZApplicationInfo::_GetSysVar(const char* name, char* value, unsigned int size) const
{
    _LookUpSysVar(name, value, size, nullptr);
}

qz::trace::Source QZApplicationInfo::_LookUpSysVar(const char* name, char* value, unsigned int size,
                                                   qz::Trace* trace) const
{
    using Source = qz::trace::Source;
    if (!value || size == 0)
        return Source::Nowhere;
    value[0] = '\0';
    const std::string variable = name ? name : "";
    // What the watcher is told once the lookup is done, on every way out.
    std::optional<qz::trace::Lookup> lookup;
    auto done = [&](Source source) {
        if (lookup) {
            lookup->source = source;
            if (source != Source::Nowhere)
                lookup->value = value;
            trace->lookup(*lookup);
        }
        return source;
    };
    if (trace) {
        lookup.emplace();
        lookup->name = variable;
        lookup->size = size;
    }

    // An environment variable set to the empty text counts as absent.
    const std::optional<std::string> environment = qz::platform::environment(variable.c_str());
    if (lookup) {
        lookup->environment = environmentState(environment, size);
        lookup->environmentBytes = environment ? environment->size() : 0;
        lookup->environmentText = environment;
    }
    if (environment && copyIfFits(*environment, value, size) && value[0] != '\0')
        return done(Source::Environment);

    // "A\B\C" names the value C of the key <base>\A\B; "A\" the default value of <base>\A.
    std::string keyPath = _systemBaseRegistryPath ? _systemBaseRegistryPath : "";
    std::string valueName = variable;
    if (const auto cut = variable.rfind('\\'); cut != std::string::npos) {
        keyPath += '\\';
        keyPath.append(variable, 0, cut);
        valueName = variable.substr(cut + 1);
    }
    // The one registry read; a watcher is told what it consulted.
    qz::platform::RegistryRead read = qz::platform::readRegistryValue(keyPath, valueName, kRegistryDataRoom);
    const std::optional<std::string> data = read.data;
    if (lookup) {
        lookup->registryReadLimit = kRegistryDataRoom;
        if (data)
            lookup->registryText = std::string(textOfData(*data));
        lookup->registry = std::move(read);
    }
    if (!data)
        return done(Source::Nowhere);
    const std::string_view text = textOfData(*data);
    if (!copyIfFits(text, value, size) || text.empty()) {
        value[0] = '\0';
        return done(Source::Nowhere);
    }
    return done(Source::Registry);
}
