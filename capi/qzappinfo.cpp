// qzappinfo.cpp - the C interface of the library and of the record: each function forwards to
// the C++ classes; no exception leaves it.
#include "Handles.h"

#include "QZApplicationInfo.h"
#include "QZReportWords.h"
#include "QZStartupReport.h"

#include <cstring>
#include <memory>
#include <new>
#include <string>

namespace {

using qz::capi::guarded;

using TextAccessor = char* (QZApplicationInfo::*)() const;
const char* field(const qz_info* info, TextAccessor accessor) { return info ? (info->record.*accessor)() : nullptr; }

int32_t failureCode(QZStartupReport::Failure failure)
{
    using Failure = QZStartupReport::Failure;
    switch (failure) {
    case Failure::None:
        return QZ_FAILURE_NONE;
    case Failure::AlreadyInitialized:
        return QZ_FAILURE_ALREADY_INITIALIZED;
    case Failure::EmptyApplicationName:
        return QZ_FAILURE_EMPTY_APPLICATION_NAME;
    case Failure::NoCurrentDirectory:
        return QZ_FAILURE_NO_CURRENT_DIRECTORY;
    case Failure::EmptyExecutableName:
        return QZ_FAILURE_EMPTY_EXECUTABLE_NAME;
    case Failure::ExecutableNotFound:
        return QZ_FAILURE_EXECUTABLE_NOT_FOUND;
    case Failure::NoHome:
        return QZ_FAILURE_NO_HOME;
    case Failure::EmptyHome:
        return QZ_FAILURE_EMPTY_HOME;
    case Failure::IncompleteInternalTable:
        return QZ_FAILURE_INCOMPLETE_TABLE;
    }
    return QZ_FAILURE_NONE;
}
} // namespace

extern "C" {

// The library is built with the header of its own version; a test holds the text equal to
// the record's display version, and the build the number equal to the project's.
const char* qz_version(void) { return QZ_VERSION_STRING; }
int32_t qz_version_major(void) { return QZ_VERSION_NUMBER / 1000000; }
int32_t qz_version_minor(void) { return QZ_VERSION_NUMBER / 1000 % 1000; }
int32_t qz_version_build(void) { return QZ_VERSION_NUMBER % 1000; }

void qz_free(char* text) { delete[] text; }

qz_info* qz_info_create(void)
{
    return guarded<qz_info*>(nullptr, [] { return new qz_info(); });
}

void qz_info_destroy(qz_info* info) { delete info; }

int32_t qz_info_initialize(qz_info* info, const char* name, float version, const char* support_email,
                           const char* executable, int32_t patch_level, int32_t first_year, int32_t last_year)
{
    if (!info)
        return 0;
    info->failure = QZ_FAILURE_ARGUMENT;
    if (!name || !support_email || !executable)
        return 0;
    info->failure = QZ_FAILURE_MEMORY;
    return guarded<int32_t>(0, [&] {
        // A second call changes nothing, the report of the first included.
        if (info->record.GetInitializedStatus()) {
            info->failure = QZ_FAILURE_ALREADY_INITIALIZED;
            return 0;
        }
        auto report = std::make_shared<QZStartupReport>();
        const int result =
            report->Initialize(info->record, name, version, support_email, executable, patch_level, first_year, last_year);
        info->failure = failureCode(report->failure);
        info->reason = result ? std::string() : report->Reason();
        info->report = std::move(report);
        return result;
    });
}

int32_t qz_info_initialized(const qz_info* info)
{
    return info && const_cast<qz_info*>(info)->record.GetInitializedStatus() ? 1 : 0;
}

int32_t qz_info_failure(const qz_info* info) { return info ? info->failure : QZ_FAILURE_NONE; }

const char* qz_failure_text(int32_t code)
{
    using Failure = QZStartupReport::Failure;
    switch (code) {
    case QZ_FAILURE_NONE: return QZStartupReport::FailureText(Failure::None);
    case QZ_FAILURE_ALREADY_INITIALIZED: return QZStartupReport::FailureText(Failure::AlreadyInitialized);
    case QZ_FAILURE_EMPTY_APPLICATION_NAME: return QZStartupReport::FailureText(Failure::EmptyApplicationName);
    case QZ_FAILURE_NO_CURRENT_DIRECTORY: return QZStartupReport::FailureText(Failure::NoCurrentDirectory);
    case QZ_FAILURE_EMPTY_EXECUTABLE_NAME: return QZStartupReport::FailureText(Failure::EmptyExecutableName);
    case QZ_FAILURE_EXECUTABLE_NOT_FOUND: return QZStartupReport::FailureText(Failure::ExecutableNotFound);
    case QZ_FAILURE_NO_HOME: return QZStartupReport::FailureText(Failure::NoHome);
    case QZ_FAILURE_EMPTY_HOME: return QZStartupReport::FailureText(Failure::EmptyHome);
    case QZ_FAILURE_INCOMPLETE_TABLE: return QZStartupReport::FailureText(Failure::IncompleteInternalTable);
    // The C interface's own failures, which never reach the record.
    case QZ_FAILURE_ARGUMENT: return "a required argument was NULL";
    case QZ_FAILURE_MEMORY: return "memory ran out";
    default: return "unknown failure";
    }
}

const char* qz_info_failure_reason(const qz_info* info)
{
    if (!info)
        return nullptr;
    return info->reason.empty() ? qz_failure_text(info->failure) : info->reason.c_str();
}

const char* qz_info_corvan_home(const qz_info* info) { return field(info, &QZApplicationInfo::GetCorvanHome); }
const char* qz_info_application_title_no_patch(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetApplicationTitleNoPatch);
}
const char* qz_info_application_title(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetApplicationTitle);
}
const char* qz_info_architecture(const qz_info* info) { return field(info, &QZApplicationInfo::GetArchitecture); }
const char* qz_info_copyright_statement(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetCopyrightStatement);
}
const char* qz_info_current_working_dir(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetCurrentWorkingDir);
}
const char* qz_info_x_display_name(const qz_info* info) { return field(info, &QZApplicationInfo::GetXDisplayName); }
const char* qz_info_display_version_info(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetDisplayVersionInfo);
}
const char* qz_info_executable_dir(const qz_info* info) { return field(info, &QZApplicationInfo::GetExecutableDir); }
const char* qz_info_executable_path(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetExecutablePath);
}
const char* qz_info_system_base_registry_path(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetSystemBaseRegistryPath);
}
const char* qz_info_user_base_registry_path(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetUserBaseRegistryPath);
}
const char* qz_info_application_name(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetApplicationName);
}
const char* qz_info_product_architecture(const qz_info* info)
{
    return field(info, &QZApplicationInfo::GetProductArchitecture);
}
const char* qz_info_support_email(const qz_info* info) { return field(info, &QZApplicationInfo::GetSupportEMail); }

float qz_info_application_version(const qz_info* info) { return info ? info->record.GetApplicationVersion() : 0.0f; }

char* qz_info_feature_name(const qz_info* info)
{
    if (!info)
        return nullptr;
    return guarded<char*>(nullptr, [info] { return info->record.GetFeatureName(); });
}

const char* qz_info_published_path(const qz_info* info, const char* key)
{
    return info && key ? info->record.GetSpecifiedPath(key) : nullptr;
}

int32_t qz_info_key_count(const qz_info* info)
{
    return info && info->report ? static_cast<int32_t>(info->report->published.size()) : 0;
}

const char* qz_info_key(const qz_info* info, int32_t index)
{
    if (index < 0 || index >= qz_info_key_count(info))
        return nullptr;
    return info->report->published[static_cast<std::size_t>(index)].first.c_str();
}

char* qz_info_dump(const qz_info* info)
{
    if (!info)
        return nullptr;
    return guarded<char*>(nullptr, [info] { return const_cast<qz_info*>(info)->record.DumpPaths(); });
}

char* qz_info_report_json(const qz_info* info)
{
    if (!info || !info->report)
        return nullptr;
    return guarded<char*>(nullptr, [info] {
        const std::string record = qz::words::traceRecord("initialize", qz::words::startupJson(*info->report));
        char* text = new char[record.size() + 1];
        std::memcpy(text, record.c_str(), record.size() + 1);
        return text;
    });
}

int32_t qz_info_sysvar(const qz_info* info, const char* name, char* value, uint32_t size)
{
    if (!info || !name || (!value && size > 0))
        return QZ_ERROR_ARGUMENT;
    // The C++ lookup writes value[0] even for a size of 0; here a size of 0 writes nothing.
    if (size == 0)
        return QZ_SYSVAR_NOWHERE;
    const int32_t origin = guarded<int32_t>(QZ_ERROR_MEMORY, [&] {
        value[0] = '\0';
        // As qzpaths sysvar: the lookup needs only the registry base path, which a start-up
        // that failed later (no home, say) has built.
        QZStartupReport lookup;
        lookup.LookUpSysVar(info->record, name, value, size);
        switch (lookup.lookups.empty() ? qz::trace::Source::Nowhere : lookup.lookups.back().source) {
        case qz::trace::Source::Environment:
            return QZ_SYSVAR_ENVIRONMENT;
        case qz::trace::Source::Registry:
            return QZ_SYSVAR_REGISTRY;
        case qz::trace::Source::Nowhere:
            break;
        }
        value[0] = '\0';
        return QZ_SYSVAR_NOWHERE;
    });
    // The report's notes are taken after the value is written: a failure there leaves no
    // half answer behind.
    if (origin == QZ_ERROR_MEMORY)
        value[0] = '\0';
    return origin;
}

int32_t qz_info_home_origin(const qz_info* info)
{
    if (!info || !info->report)
        return QZ_HOME_NOT_FOUND;
    switch (info->report->homeSource) {
    case QZStartupReport::HomeSource::Environment:
        return QZ_HOME_FROM_ENVIRONMENT;
    case QZStartupReport::HomeSource::Registry:
        return QZ_HOME_FROM_REGISTRY;
    case QZStartupReport::HomeSource::Walk:
        return QZ_HOME_FROM_WALK;
    case QZStartupReport::HomeSource::None:
        break;
    }
    return QZ_HOME_NOT_FOUND;
}

int32_t qz_info_walk_level_count(const qz_info* info)
{
    return info && info->report ? static_cast<int32_t>(info->report->walk.size()) : 0;
}

const char* qz_info_walk_level(const qz_info* info, int32_t index)
{
    if (index < 0 || index >= qz_info_walk_level_count(info))
        return nullptr;
    return info->report->walk[static_cast<std::size_t>(index)].directory.c_str();
}

int32_t qz_info_path_origin(const qz_info* info, const char* key, const char** setting)
{
    if (setting)
        *setting = nullptr;
    if (!info || !key || !info->report)
        return QZ_PATH_NOT_DECIDED;
    for (const QZStartupReport::Decision& decision : info->report->decisions) {
        if (decision.key != key)
            continue;
        if (setting)
            *setting = decision.setting.c_str();
        switch (decision.origin) {
        case QZStartupReport::Decision::Origin::Default:
            return QZ_PATH_DEFAULT;
        case QZStartupReport::Decision::Origin::Environment:
            return QZ_PATH_FROM_ENVIRONMENT;
        case QZStartupReport::Decision::Origin::Registry:
            return QZ_PATH_FROM_REGISTRY;
        case QZStartupReport::Decision::Origin::ApplicationName:
            return QZ_PATH_FROM_APPLICATION_NAME;
        }
    }
    return QZ_PATH_NOT_DECIDED;
}

} // extern "C"
