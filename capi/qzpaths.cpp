// qzpaths.cpp - the C interface of the path manager: each function forwards to QZ_PathManager;
// no exception leaves it.
#include "Handles.h"

#include "QZ_PathManager.h"

#include <cstring>
#include <new>

namespace {

using qz::capi::guarded;

// One walk of qz_paths_read_all: the caller's reader, its data, and the first result
// that was not 0, after which the remaining places are passed over.
struct Walk {
    qz_read_fn reader;
    void* userData;
    int32_t result;
};

// A path manager whose reader is the C caller's function; the walk travels in the data
// argument, which the library hands to every ReadFile call untouched.
class CallbackPathManager final : public QZ_PathManager {
public:
    using QZ_PathManager::QZ_PathManager;
    int ReadFile(char* directory, char* data) override
    {
        Walk* walk = reinterpret_cast<Walk*>(data);
        if (walk->result == 0)
            walk->result = walk->reader(directory ? directory : "", walk->userData);
        return 0;
    }
};

using PathsAccessor = char* (QZ_PathManager::*)() const;

} // namespace

// The path manager keeps its own share of the record (copies share every buffer), so the
// caller's record may go first.
struct qz_paths {
    qz_paths(const qz_info& info, int32_t keepDuplicates) : record(info), manager(&record.record, keepDuplicates) {}
    qz_info record;
    mutable CallbackPathManager manager;
};

namespace {
const char* field(const qz_paths* paths, PathsAccessor accessor)
{
    return paths ? (paths->manager.*accessor)() : nullptr;
}
} // namespace
extern "C" {

qz_paths* qz_paths_create(const qz_info* info, int32_t keep_duplicates)
{
    if (!qz_info_initialized(info))
        return nullptr;
    return guarded<qz_paths*>(nullptr, [&] { return new qz_paths(*info, keep_duplicates); });
}

void qz_paths_destroy(qz_paths* paths) { delete paths; }

const qz_info* qz_paths_info(const qz_paths* paths) { return paths ? &paths->record : nullptr; }

const char* qz_paths_production_installation_dir(const qz_paths* paths)
{
    return field(paths, &QZ_PathManager::GetProductionInstallationDir);
}
const char* qz_paths_config_path(const qz_paths* paths) { return field(paths, &QZ_PathManager::GetQZConfigPath); }
const char* qz_paths_user_home(const qz_paths* paths) { return field(paths, &QZ_PathManager::GetUserHome); }
const char* qz_paths_cwd(const qz_paths* paths) { return field(paths, &QZ_PathManager::GetCWD); }
const char* qz_paths_directory_string(const qz_paths* paths)
{
    return field(paths, &QZ_PathManager::GetDirectoryString);
}

int32_t qz_paths_config_path_count(const qz_paths* paths)
{
    if (!paths)
        return 0;
    return guarded<int32_t>(0, [paths] { return paths->manager.GetNumQZConfigPathArray(); });
}

const char* qz_paths_config_path_item(const qz_paths* paths, int32_t index)
{
    return paths ? paths->manager.GetQZConfigPathItem(index) : nullptr;
}

int32_t qz_paths_find_file_with_directory(const qz_paths* paths, const char* path)
{
    if (!paths || !path)
        return 0;
    return guarded<int32_t>(0, [&] { return paths->manager.FindFileWithDirectory(const_cast<char*>(path)) ? 1 : 0; });
}

int32_t qz_paths_find_file_path(const qz_paths* paths, const char* directory, const char* file_name)
{
    if (!paths || !directory || !file_name)
        return 0;
    return guarded<int32_t>(0, [&] {
        return paths->manager.FindFilePath(const_cast<char*>(directory), const_cast<char*>(file_name)) ? 1 : 0;
    });
}

int32_t qz_paths_get_file_path(const qz_paths* paths, const char* file_name, char* directory, uint32_t size,
                               int32_t count)
{
    if (!paths || !file_name || !directory || size == 0)
        return QZ_ERROR_ARGUMENT;
    return guarded<int32_t>(QZ_ERROR_MEMORY, [&] {
        directory[0] = '\0';
        char found[QZ_DIRECTORY_SIZE] = "";
        bool hit = paths->manager.GetFilePath(const_cast<char*>(file_name), found, count);
        std::size_t length = std::strlen(found);
        if (length >= size)
            return QZ_ERROR_SIZE;
        std::memcpy(directory, found, length + 1);
        return hit ? 1 : 0;
    });
}

int32_t qz_paths_read_all(const qz_paths* paths, const int32_t* order, qz_read_fn reader, void* user_data)
{
    if (!paths || !reader)
        return QZ_ERROR_ARGUMENT;
    int codes[4] = {1, 2, 3, 4};
    if (order)
        for (int i = 0; i < 4; ++i)
            codes[i] = order[i];
    Walk walk{reader, user_data, 0};
    return guarded<int32_t>(QZ_ERROR_MEMORY, [&] {
        paths->manager.ReadFromAll(reinterpret_cast<char*>(&walk), codes);
        return walk.result;
    });
}

} // extern "C"

