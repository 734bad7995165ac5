// qzappinfo.hpp - a header-only C++17 layer over the C interface: RAII handles, string_view and optional results.
#ifndef QZAPPINFO_HPP
#define QZAPPINFO_HPP

// Everything here is inline and reaches the library only through qzappinfo.h, so a
// program built with any C++17 compiler can use it, whatever compiled the library.
// Borrowed texts come back as std::string_view and live as long as the object they came
// from; texts the library builds come back as std::string. Running out of memory
// throws std::bad_alloc here, on the caller's side of the boundary.

#include "qzappinfo.h"

#include <array>
#include <cstdint>
#include <exception>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace qz {

using OptionalText = std::optional<std::string_view>;

namespace detail {
inline OptionalText optionalText(const char* text) { return text ? OptionalText(text) : std::nullopt; }
inline std::string_view text(const char* text) { return text ? std::string_view(text) : std::string_view(); }
// Copies a text that the library built, then lets the library release it.
inline std::string take(char* built)
{
    if (!built)
        throw std::bad_alloc();
    std::string copy;
    try {
        copy = built;
    } catch (...) {
        qz_free(built);
        throw;
    }
    qz_free(built);
    return copy;
}
} // namespace detail

struct VersionNumbers {
    int major, minor, build;
};

// "10.0build60", the loaded library's.
inline std::string_view version() { return detail::text(qz_version()); }
inline VersionNumbers versionNumbers() { return {qz_version_major(), qz_version_minor(), qz_version_build()}; }

enum class SysVarOrigin { Nowhere = QZ_SYSVAR_NOWHERE, Environment = QZ_SYSVAR_ENVIRONMENT, Registry = QZ_SYSVAR_REGISTRY };
enum class HomeOrigin {
    NotFound = QZ_HOME_NOT_FOUND,
    Environment = QZ_HOME_FROM_ENVIRONMENT,
    Registry = QZ_HOME_FROM_REGISTRY,
    Walk = QZ_HOME_FROM_WALK
};

struct SysVar {
    std::string value;
    SysVarOrigin origin;
};

// Reads a record that something else owns: an Info, or a path manager's share of one.
class InfoView {
public:
    explicit InfoView(const qz_info* handle) noexcept : _handle(handle) {}

    bool initialized() const noexcept { return qz_info_initialized(_handle) == 1; }
    OptionalText corvanHome() const noexcept { return detail::optionalText(qz_info_corvan_home(_handle)); }
    OptionalText applicationTitleNoPatch() const noexcept
    {
        return detail::optionalText(qz_info_application_title_no_patch(_handle));
    }
    OptionalText applicationTitle() const noexcept { return detail::optionalText(qz_info_application_title(_handle)); }
    OptionalText architecture() const noexcept { return detail::optionalText(qz_info_architecture(_handle)); }
    OptionalText copyrightStatement() const noexcept
    {
        return detail::optionalText(qz_info_copyright_statement(_handle));
    }
    OptionalText currentWorkingDir() const noexcept
    {
        return detail::optionalText(qz_info_current_working_dir(_handle));
    }
    OptionalText xDisplayName() const noexcept { return detail::optionalText(qz_info_x_display_name(_handle)); }
    OptionalText displayVersionInfo() const noexcept
    {
        return detail::optionalText(qz_info_display_version_info(_handle));
    }
    OptionalText executableDir() const noexcept { return detail::optionalText(qz_info_executable_dir(_handle)); }
    OptionalText executablePath() const noexcept { return detail::optionalText(qz_info_executable_path(_handle)); }
    OptionalText systemBaseRegistryPath() const noexcept
    {
        return detail::optionalText(qz_info_system_base_registry_path(_handle));
    }
    OptionalText userBaseRegistryPath() const noexcept
    {
        return detail::optionalText(qz_info_user_base_registry_path(_handle));
    }
    OptionalText applicationName() const noexcept { return detail::optionalText(qz_info_application_name(_handle)); }
    OptionalText productArchitecture() const noexcept
    {
        return detail::optionalText(qz_info_product_architecture(_handle));
    }
    OptionalText supportEMail() const noexcept { return detail::optionalText(qz_info_support_email(_handle)); }
    float applicationVersion() const noexcept { return qz_info_application_version(_handle); }
    // Why the last initialize failed, in one line that names every source consulted.
    std::string_view failure() const noexcept { return detail::text(qz_info_failure_reason(_handle)); }
    // The empty text for a moved-from Info, as every accessor gives its failure value there.
    std::string featureName() const { return _handle ? detail::take(qz_info_feature_name(_handle)) : std::string(); }

    // The value of a published key; nullopt before initialization or for an unknown key.
    OptionalText publishedPath(const std::string& key) const noexcept
    {
        return detail::optionalText(qz_info_published_path(_handle, key.c_str()));
    }
    // The published keys in table order.
    std::vector<std::string_view> keys() const
    {
        std::vector<std::string_view> keys;
        const std::int32_t count = qz_info_key_count(_handle);
        keys.reserve(static_cast<std::size_t>(count));
        for (std::int32_t i = 0; i < count; ++i)
            keys.emplace_back(qz_info_key(_handle, i));
        return keys;
    }
    std::string dump() const { return _handle ? detail::take(qz_info_dump(_handle)) : std::string(); }
    // The record of the last initialize as one line of JSON; empty before any (and when
    // memory ran out, which the C function cannot tell apart).
    std::string reportJson() const
    {
        char* built = _handle ? qz_info_report_json(_handle) : nullptr;
        return built ? detail::take(built) : std::string();
    }

    // A system variable's value, if one was found that fits QZ_DIRECTORY_SIZE bytes.
    std::optional<SysVar> sysVar(const std::string& name) const
    {
        char value[QZ_DIRECTORY_SIZE];
        const std::int32_t origin = qz_info_sysvar(_handle, name.c_str(), value, sizeof value);
        if (origin == QZ_ERROR_MEMORY)
            throw std::bad_alloc();
        if (origin <= QZ_SYSVAR_NOWHERE)
            return std::nullopt;
        return SysVar{value, static_cast<SysVarOrigin>(origin)};
    }

    HomeOrigin homeOrigin() const noexcept { return static_cast<HomeOrigin>(qz_info_home_origin(_handle)); }
    std::vector<std::string_view> walkLevels() const
    {
        std::vector<std::string_view> levels;
        for (std::int32_t i = 0, count = qz_info_walk_level_count(_handle); i < count; ++i)
            levels.emplace_back(qz_info_walk_level(_handle, i));
        return levels;
    }

    const qz_info* handle() const noexcept { return _handle; }

protected:
    const qz_info* _handle;
};

// An application information record that this object owns.
class Info : public InfoView {
public:
    Info() : InfoView(qz_info_create())
    {
        if (!_handle)
            throw std::bad_alloc();
    }
    ~Info() { qz_info_destroy(const_cast<qz_info*>(_handle)); }
    Info(Info&& other) noexcept : InfoView(std::exchange(other._handle, nullptr)) {}
    Info& operator=(Info&& other) noexcept
    {
        std::swap(_handle, other._handle);
        return *this;
    }
    Info(const Info&) = delete;
    Info& operator=(const Info&) = delete;

    // True on success; false when the record cannot be initialized (or already was).
    bool initialize(const std::string& name, float version, const std::string& supportEMail,
                    const std::string& executable, int patchLevel, int firstYear, int lastYear)
    {
        return qz_info_initialize(const_cast<qz_info*>(_handle), name.c_str(), version, supportEMail.c_str(),
                                  executable.c_str(), patchLevel, firstYear, lastYear) == 1;
    }
};

// The configuration places of an initialized record. A reader is any callable taking a
// std::string_view directory (empty for a blanked or unset place); one that returns
// bool ends the walk by returning false. An exception from the reader ends the walk
// and leaves readFromAll.
class PathManager {
public:
    using Order = std::array<std::int32_t, 4>;

    // Throws std::invalid_argument for a record that is not initialized.
    explicit PathManager(const InfoView& info, bool keepDuplicates = false)
        : _handle(qz_paths_create(info.handle(), keepDuplicates ? 1 : 0))
    {
        if (!_handle) {
            if (!info.initialized())
                throw std::invalid_argument("qz::PathManager needs an initialized record");
            throw std::bad_alloc();
        }
    }
    ~PathManager() { qz_paths_destroy(_handle); }
    PathManager(PathManager&& other) noexcept : _handle(std::exchange(other._handle, nullptr)) {}
    PathManager& operator=(PathManager&& other) noexcept
    {
        std::swap(_handle, other._handle);
        return *this;
    }
    PathManager(const PathManager&) = delete;
    PathManager& operator=(const PathManager&) = delete;

    // The path manager's own share of the record; valid while this object lives.
    InfoView info() const noexcept { return InfoView(qz_paths_info(_handle)); }
    std::string_view productionInstallationDir() const noexcept
    {
        return detail::text(qz_paths_production_installation_dir(_handle));
    }
    std::string_view configPath() const noexcept { return detail::text(qz_paths_config_path(_handle)); }
    std::string_view userHome() const noexcept { return detail::text(qz_paths_user_home(_handle)); }
    std::string_view cwd() const noexcept { return detail::text(qz_paths_cwd(_handle)); }
    std::string_view directoryString() const noexcept { return detail::text(qz_paths_directory_string(_handle)); }
    std::vector<std::string_view> configPathItems() const
    {
        std::vector<std::string_view> items;
        for (std::int32_t i = 0, count = qz_paths_config_path_count(_handle); i < count; ++i)
            items.emplace_back(qz_paths_config_path_item(_handle, i));
        return items;
    }

    bool findFileWithDirectory(const std::string& path) const noexcept
    {
        return qz_paths_find_file_with_directory(_handle, path.c_str()) == 1;
    }
    bool findFilePath(const std::string& directory, const std::string& fileName) const noexcept
    {
        return qz_paths_find_file_path(_handle, directory.c_str(), fileName.c_str()) == 1;
    }
    // The directory in which fileName lies, searched over the first count steps.
    std::optional<std::string> getFilePath(const std::string& fileName, int count = 4) const
    {
        char directory[QZ_DIRECTORY_SIZE];
        const std::int32_t result = qz_paths_get_file_path(_handle, fileName.c_str(), directory, sizeof directory, count);
        if (result == QZ_ERROR_MEMORY)
            throw std::bad_alloc();
        if (result != 1)
            return std::nullopt;
        return std::string(directory);
    }

    template <typename Reader>
    void readFromAll(Reader&& reader, const Order* order = nullptr) const
    {
        using Function = std::remove_reference_t<Reader>;
        struct Context {
            Function* reader;
            std::exception_ptr error;
        } context{&reader, nullptr};
        auto call = [](const char* directory, void* data) noexcept -> std::int32_t {
            Context& walk = *static_cast<Context*>(data);
            try {
                if constexpr (std::is_same_v<std::invoke_result_t<Function&, std::string_view>, bool>)
                    return (*walk.reader)(std::string_view(directory)) ? 0 : 1;
                else
                    (*walk.reader)(std::string_view(directory));
                return 0;
            } catch (...) {
                walk.error = std::current_exception();
                return 1;
            }
        };
        const std::int32_t result = qz_paths_read_all(_handle, order ? order->data() : nullptr, +call, &context);
        if (context.error)
            std::rethrow_exception(context.error);
        if (result == QZ_ERROR_MEMORY)
            throw std::bad_alloc();
    }

    const qz_paths* handle() const noexcept { return _handle; }

private:
    qz_paths* _handle;
};

} // namespace qz

#endif
