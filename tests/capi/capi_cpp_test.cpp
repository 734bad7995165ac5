// capi_cpp_test.cpp - the header-only C++ layer: RAII handles, optional results, a path manager with a callable reader.
#include "qzappinfo.hpp"
#include "capi_test_os.h"

#include <cstdio>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

int failures = 0;

void check(bool ok, int line, const char* what)
{
    if (!ok) {
        ++failures;
        std::fprintf(stderr, "capi_cpp_test.cpp:%d: failed: %s\n", line, what);
    }
}
#define CHECK(condition) check(static_cast<bool>(condition), __LINE__, #condition)

std::string slashed(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

struct Tree {
    std::string root;
    std::vector<std::string> dirs, files;
    std::string path(const std::string& relative) const { return root + qzt_separator() + relative; }
    std::string dir(const std::string& relative)
    {
        dirs.push_back(path(relative));
        if (!qzt_make_dir(dirs.back().c_str()))
            throw std::runtime_error("cannot create " + dirs.back());
        return dirs.back();
    }
    std::string file(const std::string& directory, const std::string& name)
    {
        files.push_back(directory + qzt_separator() + name);
        std::ofstream(files.back()) << "setting = 1\n";
        return files.back();
    }
    ~Tree()
    {
        for (const std::string& f : files)
            std::remove(f.c_str());
        for (auto d = dirs.rbegin(); d != dirs.rend(); ++d)
            qzt_remove_dir(d->c_str());
        qzt_remove_dir(root.c_str());
    }
};

} // namespace

int main()
{
    char rootText[1024];
    if (!qzt_make_temp_root(rootText, sizeof rootText))
        return 2;
    Tree tree{rootText, {}, {}};
    const std::string home = tree.dir("home");
    const std::string bin = tree.dir("home" + std::string(1, qzt_separator()) + "bin");
    const std::string executable = tree.file(bin, "app");
    const std::string cfg = tree.dir("cfg");
    tree.file(cfg, "app.cfg");
    for (const char* name : {"CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD", "RY_DLL_PATH", "QZFL_HOME",
                             "DVK_HOME"})
        qzt_set_env(name, nullptr);
    qzt_set_env("CORVAN_REGISTRY", tree.path("no-registry.reg").c_str());
    // One trailing separator is dropped from the home.
    qzt_set_env("CORVAN_HOME", (home + qzt_separator()).c_str());
    qzt_set_env("QZ_CONFIG_PATH", cfg.c_str());
    qzt_set_env("QZ_CAPI_TEST_VAR", "value");

    CHECK(qz::version() == "10.0build60" && qz::version() == QZ_VERSION_STRING);
    CHECK(qz::versionNumbers().build == 60);

    qz::Info fresh;
    CHECK(!fresh.corvanHome());
    CHECK(fresh.displayVersionInfo() == qz::version());
    CHECK(fresh.keys().empty());
    CHECK(!fresh.sysVar("QZ_CAPI_TEST_VAR"));
    try {
        qz::PathManager refused(fresh);
        CHECK(!"a path manager over an uninitialized record");
    } catch (const std::invalid_argument&) {
    }

    std::optional<qz::PathManager> manager;
    {
        qz::Info info;
        CHECK(info.initialize("Ryndel Studio", 10.5f, "s@x", executable, 0, 2024, 2024));
        CHECK(!info.initialize("Ryndel Studio", 10.5f, "s@x", executable, 0, 2024, 2024));
        qz::Info moved(std::move(info));
        // What is left behind answers every call with its failure value, and throws nothing.
        const qz::Info& left = info; // NOLINT(bugprone-use-after-move)
        CHECK(!left.initialized() && !left.corvanHome() && !left.publishedPath("tcl_lib"));
        CHECK(left.dump().empty() && left.featureName().empty() && left.keys().empty() && left.reportJson().empty());
        CHECK(!left.sysVar("QZ_CAPI_TEST_VAR") && left.homeOrigin() == qz::HomeOrigin::NotFound);
        CHECK(!info.initialize("Ryndel Studio", 10.5f, "s@x", executable, 0, 2024, 2024));
        CHECK(moved.corvanHome() == slashed(home));
        CHECK(moved.homeOrigin() == qz::HomeOrigin::Environment);
        CHECK(moved.applicationTitle() == std::string_view("Ryndel Studio v10.5"));
        CHECK(moved.featureName() == "RyndelStudio");
        CHECK(moved.publishedPath("qz_help_dir") == slashed(home) + "/help/");
        CHECK(!moved.publishedPath("qz_rootdir"));
        const std::vector<std::string_view> keys = moved.keys();
        CHECK(keys.size() == 77 && keys.front() == "qz_bindir" && keys.back() == "dvk_scriptdir");
        CHECK(moved.dump().rfind("77 keys\n", 0) == 0);
        CHECK(moved.reportJson().find("\"event\":\"initialize\"") != std::string::npos);
        const auto found = moved.sysVar("QZ_CAPI_TEST_VAR");
        CHECK(found && found->value == "value" && found->origin == qz::SysVarOrigin::Environment);
        CHECK(!moved.sysVar("QZ_CAPI_TEST_UNSET"));
        manager.emplace(moved);
    }
    // The record is gone; the path manager's share of it stays readable.
    CHECK(manager->info().corvanHome() == slashed(home));
    CHECK(manager->productionInstallationDir() == bin);
    CHECK(manager->configPathItems() == std::vector<std::string_view>{cfg});
    CHECK(manager->getFilePath("app.cfg") == cfg);
    CHECK(!manager->getFilePath("app.cfg", 2));
    CHECK(manager->findFilePath(cfg, "app.cfg"));
    CHECK(!manager->findFileWithDirectory(cfg + qzt_separator() + "none.cfg"));

    std::vector<std::string> read;
    manager->readFromAll([&read](std::string_view directory) { read.emplace_back(directory); });
    CHECK(read.size() == 4 && read[0] == bin && read[1] == cfg);
    read.clear();
    const qz::PathManager::Order backwards{4, 3, 2, 1};
    manager->readFromAll([&read](std::string_view directory) { read.emplace_back(directory); }, &backwards);
    CHECK(read.size() == 4 && read[2] == cfg && read[3] == bin);
    int calls = 0;
    manager->readFromAll([&calls](std::string_view) { return ++calls < 2; });
    CHECK(calls == 2);
    calls = 0;
    try {
        manager->readFromAll([&calls](std::string_view) {
            ++calls;
            throw std::runtime_error("reader failed");
        });
        CHECK(!"the reader's exception reaches the caller");
    } catch (const std::runtime_error&) {
        CHECK(calls == 1);
    }
    manager.reset();

    qzt_set_env("CORVAN_HOME", nullptr);
    qzt_set_env("QZ_CONFIG_PATH", nullptr);
    if (failures)
        std::fprintf(stderr, "%d checks failed\n", failures);
    else
        std::printf("all checks passed\n");
    return failures ? 1 : 0;
}
