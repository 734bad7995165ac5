// capi_alloc_failure_test.cpp - every allocation of the C interface's calls fails in turn: each call must give its failure value (or succeed), never let an exception out.
// The program replaces the global allocation functions, which the shared library's own
// allocations reach on Linux; only allocations made while armed may fail.
#include "qzappinfo.h"
#include "capi_test_os.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <new>
#include <string>

namespace {
bool g_armed = false;
long g_failAt = 0, g_seen = 0;
bool g_failed = false;

void* allocate(std::size_t size)
{
    if (g_armed && ++g_seen == g_failAt) {
        g_failed = true;
        return nullptr;
    }
    return std::malloc(size ? size : 1);
}
} // namespace

void* operator new(std::size_t size)
{
    if (void* block = allocate(size))
        return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace {
int failures = 0;
void expect(bool ok, long failAt, const char* what)
{
    if (!ok) {
        ++failures;
        std::fprintf(stderr, "allocation %ld failing: %s\n", failAt, what);
    }
}

int32_t countCall(const char*, void* data)
{
    ++*static_cast<int*>(data);
    return 0;
}

// One round of calls; returns whether the chosen allocation failed during it.
bool round(long failAt, const std::string& executable)
{
    g_seen = 0;
    g_failAt = failAt;
    g_failed = false;
    g_armed = true;
    qz_info* info = qz_info_create();
    if (info) {
        int32_t ok = qz_info_initialize(info, "Ryndel", 10.0f, "s@x", executable.c_str(), 0, 2024, 2024);
        expect(ok == 1 || ok == 0, failAt, "qz_info_initialize gives 1 or 0");
        expect(ok == 1 || g_failed, failAt, "qz_info_initialize fails only for the failed allocation");
        char* dump = qz_info_dump(info);
        expect(dump || g_failed, failAt, "qz_info_dump");
        qz_free(dump);
        char* feature = qz_info_feature_name(info);
        expect(feature || g_failed, failAt, "qz_info_feature_name");
        qz_free(feature);
        char value[64] = "stale";
        int32_t origin = qz_info_sysvar(info, "QZ_CAPI_TEST_VAR", value, sizeof value);
        expect(origin >= 0 || (origin == QZ_ERROR_MEMORY && value[0] == '\0'), failAt, "qz_info_sysvar");
        qz_paths* paths = qz_paths_create(info, 0);
        expect(paths || g_failed || ok != 1, failAt, "qz_paths_create");
        if (paths) {
            char directory[QZ_DIRECTORY_SIZE];
            int32_t found = qz_paths_get_file_path(paths, "none.cfg", directory, sizeof directory, 4);
            expect(found == 0 || found == QZ_ERROR_MEMORY, failAt, "qz_paths_get_file_path");
            int calls = 0;
            int32_t read = qz_paths_read_all(paths, nullptr, countCall, &calls);
            expect(read == 0 || read == QZ_ERROR_MEMORY, failAt, "qz_paths_read_all");
            qz_paths_destroy(paths);
        }
        qz_info_destroy(info);
    } else {
        expect(g_failed, failAt, "qz_info_create gives NULL only when memory ran out");
    }
    g_armed = false;
    return g_failed;
}
} // namespace

int main()
{
    char root[1024];
    if (!qzt_make_temp_root(root, sizeof root))
        return 2;
    const std::string home = std::string(root) + "/home", bin = home + "/bin", executable = bin + "/app";
    qzt_make_dir(home.c_str());
    qzt_make_dir(bin.c_str());
    std::ofstream(executable) << "x";
    qzt_set_env("CORVAN_HOME", home.c_str());
    qzt_set_env("QZ_CAPI_TEST_VAR", "value");
    qzt_set_env("CORVAN_REGISTRY", (std::string(root) + "/no-registry.reg").c_str());
    long failAt = 1;
    while (round(failAt, executable))
        ++failAt;
    std::remove(executable.c_str());
    qzt_remove_dir(bin.c_str());
    qzt_remove_dir(home.c_str());
    qzt_remove_dir(root);
    std::printf("%ld allocations failed in turn, %d faults\n", failAt - 1, failures);
    return failures || failAt < 10 ? 1 : 0;
}
