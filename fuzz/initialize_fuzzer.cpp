// initialize_fuzzer.cpp - Initialize under fuzzed values of every variable it reads, a
// fuzzed registry stand-in and documents-folder file, fuzzed arguments and executable
// names, over a small tree made once per process. Checks that the current directory is
// put back, that a second call agrees with the first, and what a record answers after
// success and after failure.
//
// Input: four fixed bytes (starting directory, version form, nulls) and three numbers,
// then NUL-separated fields: name, support address, executable name, CORVAN_HOME,
// CORVAN_ARCH, DISPLAY, QZ_MSG_HELP, QZDISPLAY_BUILD, RY_DLL_PATH, QZFL_HOME, DVK_HOME,
// PATH, HOME, the documents-folder file; the rest of the input is the registry file. A
// missing field or one that is exactly "\x7f" leaves the variable unset; '@' stands
// for the root of the tree.
#include <QZApplicationInfo.h>
#include <QZStartupReport.h>

#include "FuzzInput.h"
#include "FuzzTree.h"

#include <cmath>
#include <cstring>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const kVariables[] = {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY",   "QZ_MSG_HELP", "QZDISPLAY_BUILD",
                                  "RY_DLL_PATH", "QZFL_HOME",   "DVK_HOME",  "PATH",        "HOME"};
constexpr std::size_t kCorvanHome = 0, kCorvanArch = 1, kDisplay = 2, kMsgHelp = 3, kFlHome = 6, kDvkHome = 7;

const char* const kStartDirectories[] = {"", "sandbox/qz/bin/linux64", "inst/bin", "work", "bin", "sandbox"};

const float kVersions[] = {10.0f, 10.5f, 9.25f, 0.0f, -1.5f, 1e30f, 2147483648.0f, 0.1f,
                           std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()};

// Keys whose values follow from the variables alone, and a few others.
const char* const kSomeKeys[] = {"qz_bindir", "tcl_lib",     "jre_path", "TEMPLATES_DIR", "qz_help_dir",
                                 "fl_rootdir", "dvk_rootdir", "ry_module", "userhome_dir", "dvk_scriptdir"};

const qzfuzz::Tree& tree()
{
    static const qzfuzz::Tree& made = []() -> const qzfuzz::Tree& {
        const qzfuzz::Tree& t = qzfuzz::Tree::instance();
        t.mkdir("sandbox/qzcommon");
        t.touch("sandbox/qz/bin/linux64/app");
        t.touch("sandbox/qz/bin/linux64/tool.exe");
        t.touch("sandbox/ry/bin/linux64/ry10.dll");
        t.mkdir("sandbox/dn/framework/backbone/base");
        t.touch("inst/bin/app.exe");
        t.touch("inst/bin/run.bat");
        t.touch("bin/tool");
        t.touch("bin/other.com");
        t.mkdir("bin/dir.exe");
        t.touch("dll/ry10.dll");
        t.mkdir("work");
        t.mkdir("user/.config");
        return t;
    }();
    return made;
}

// The variables as the process had them, put back after every run (PATH among them,
// which the sanitizers need to find their symbolizer).
const std::vector<std::pair<std::string, std::optional<std::string>>>& originalVariables()
{
    static const auto saved = [] {
        std::vector<std::pair<std::string, std::optional<std::string>>> values;
        for (const char* name : {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD",
                                 "RY_DLL_PATH", "QZFL_HOME", "DVK_HOME", "PATH", "HOME", "XDG_CONFIG_HOME",
                                 "CORVAN_REGISTRY", "QZ_CONFIG_PATH"}) {
            const char* value = std::getenv(name);
            values.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        return values;
    }();
    return saved;
}

std::string text(const char* value) { return value ? value : ""; }

// A variable that the lookup takes: set, non-empty, and small enough for its buffer.
bool usable(const std::optional<std::string>& value) { return value && !value->empty() && value->size() < 1024; }

int initialize(QZApplicationInfo& info, const char* name, float version, const char* email, const char* exe,
               int patch, int first, int last)
{
    return info.Initialize(name, version, email, exe, patch, first, last);
}

void checkSysVar(const QZApplicationInfo& info, const char* name, bool initialized)
{
    for (unsigned int room : {1u, 2u, 7u, 1024u}) {
        std::vector<char> value(room + 32, '\x5a');
        info.GetSysVar(name, value.data(), room);
        const std::size_t length = std::strlen(value.data());
        QZ_FUZZ_CHECK(length < room);
        for (std::size_t i = room; i < value.size(); ++i)
            QZ_FUZZ_CHECK(value[i] == '\x5a');
        if (!initialized)
            QZ_FUZZ_CHECK(length == 0);

        // The report's lookup is the record's own, also without a home.
        QZStartupReport report;
        std::vector<char> reported(room + 32, '\x5a');
        const bool looked = report.LookUpSysVar(info, name, reported.data(), room);
        QZ_FUZZ_CHECK(looked == (info.GetSystemBaseRegistryPath() != nullptr));
        QZ_FUZZ_CHECK(std::strlen(reported.data()) < room);
        for (std::size_t i = room; i < reported.size(); ++i)
            QZ_FUZZ_CHECK(reported[i] == '\x5a');
        if (initialized)
            QZ_FUZZ_CHECK(std::strcmp(value.data(), reported.data()) == 0);
        QZ_FUZZ_CHECK(report.lookups.size() == (looked ? 1u : 0u));
        if (looked) {
            const auto& lookup = report.lookups.back();
            QZ_FUZZ_CHECK((lookup.source == QZStartupReport::Lookup::Source::Nowhere) == (*reported.data() == '\0'));
            QZ_FUZZ_CHECK(lookup.value == reported.data());
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const qzfuzz::Tree& t = tree();
    originalVariables();
    qzfuzz::Input input(data, size);

    const std::uint8_t start = input.byte();
    const std::uint8_t versionForm = input.byte();
    const std::uint8_t nulls = input.byte();
    input.byte(); // reserved
    const std::uint32_t versionBits = input.u32();
    float version = kVersions[versionForm % std::size(kVersions)];
    if (versionForm & 0x80)
        std::memcpy(&version, &versionBits, sizeof version);
    const int patch = static_cast<int>(input.u32());
    const int firstYear = static_cast<int>(input.u32());
    const int lastYear = versionForm & 0x40 ? firstYear : static_cast<int>(input.u32());

    auto nextField = [&](bool expand) -> std::optional<std::string> {
        if (input.empty())
            return std::nullopt;
        std::string value = input.field('\0');
        if (value == "\x7f")
            return std::nullopt;
        return expand ? t.expand(value) : value;
    };
    const std::string name = nextField(false).value_or("");
    const std::string email = nextField(false).value_or("");
    const std::string exe = t.expand(nextField(false).value_or(""));
    std::optional<std::string> variables[std::size(kVariables)];
    for (auto& value : variables)
        value = nextField(true);
    const std::optional<std::string> userDirs = nextField(true);
    std::optional<std::string> registry;
    if (!input.empty())
        registry = t.expand(input.rest());

    // The process state of this run, written only inside the tree.
    qzfuzz::isolateEnvironment(t);
    for (std::size_t i = 0; i < std::size(kVariables); ++i)
        qzfuzz::setVariable(kVariables[i], variables[i]);
    ::setenv("XDG_CONFIG_HOME", t.path("xdg").c_str(), 1);
    if (userDirs)
        t.touch("xdg/user-dirs.dirs", *userDirs);
    else
        std::filesystem::remove(t.path("xdg/user-dirs.dirs"));
    if (registry)
        ::setenv("CORVAN_REGISTRY", t.touch("registry.reg", *registry).c_str(), 1);

    const std::string original = qzfuzz::currentDirectory();
    QZ_FUZZ_CHECK(::chdir(t.path(kStartDirectories[start % std::size(kStartDirectories)]).c_str()) == 0);
    const std::string before = qzfuzz::currentDirectory();

    const char* namePointer = nulls & 1 ? nullptr : name.c_str();
    const char* emailPointer = nulls & 2 ? nullptr : email.c_str();
    const char* exePointer = nulls & 4 ? nullptr : exe.c_str();
    {
        QZApplicationInfo info;
        const int result =
            initialize(info, namePointer, version, emailPointer, exePointer, patch, firstYear, lastYear);
        QZ_FUZZ_CHECK(result == 0 || result == 1);
        QZ_FUZZ_CHECK(qzfuzz::currentDirectory() == before);
        QZ_FUZZ_CHECK(info.GetInitializedStatus() == (result == 1));
        QZ_FUZZ_CHECK(std::strcmp(info.GetDisplayVersionInfo(), "10.0build60") == 0);

        const std::unique_ptr<char[]> dump(info.DumpPaths());
        const std::unique_ptr<char[]> feature(info.GetFeatureName());
        std::string featureExpected;
        if (namePointer)
            for (char c : name)
                if (c != ' ')
                    featureExpected += c;
        QZ_FUZZ_CHECK(featureExpected == feature.get());

        if (result == 1) {
            QZ_FUZZ_CHECK(std::strncmp(dump.get(), "77 keys\n", 8) == 0);
            QZ_FUZZ_CHECK(info.GetCorvanHome() && *info.GetCorvanHome());
            for (char* field : {info.GetApplicationTitleNoPatch(), info.GetApplicationTitle(),
                                info.GetCopyrightStatement(), info.GetExecutablePath(),
                                info.GetSystemBaseRegistryPath(), info.GetUserBaseRegistryPath(),
                                info.GetSupportEMail()})
                QZ_FUZZ_CHECK(field != nullptr);
            QZ_FUZZ_CHECK(text(info.GetApplicationName()) == name.c_str());
            QZ_FUZZ_CHECK(text(info.GetSupportEMail()) == "mailto:" + text(emailPointer));
            QZ_FUZZ_CHECK(text(info.GetCurrentWorkingDir()) == before);
            QZ_FUZZ_CHECK(text(info.GetProductArchitecture()) == "linux64");
            QZ_FUZZ_CHECK(::access(info.GetExecutablePath(), F_OK) == 0);
            for (const char* key : kSomeKeys)
                QZ_FUZZ_CHECK(info.GetSpecifiedPath(key) != nullptr);
            QZ_FUZZ_CHECK(info.GetSpecifiedPath("no such key") == nullptr);

            // Values that follow from the environment alone.
            if (usable(variables[kCorvanHome])) {
                std::string home = *variables[kCorvanHome];
                if (home.back() == '/')
                    home.pop_back();
                QZ_FUZZ_CHECK(text(info.GetCorvanHome()) == home);
            }
            if (usable(variables[kDisplay]))
                QZ_FUZZ_CHECK(text(info.GetXDisplayName()) == *variables[kDisplay]);
            if (usable(variables[kCorvanArch]))
                QZ_FUZZ_CHECK(text(info.GetArchitecture()) == *variables[kCorvanArch]);
            if (variables[kFlHome] && !variables[kFlHome]->empty())
                QZ_FUZZ_CHECK(text(info.GetSpecifiedPath("fl_rootdir")) == *variables[kFlHome]);
            if (variables[kDvkHome] && !variables[kDvkHome]->empty())
                QZ_FUZZ_CHECK(text(info.GetSpecifiedPath("dvk_rootdir")) == *variables[kDvkHome]);
            if (!registry) {
                const std::string help = usable(variables[kMsgHelp]) ? *variables[kMsgHelp]
                                                                     : text(info.GetCorvanHome()) + "/help";
                QZ_FUZZ_CHECK(text(info.GetSpecifiedPath("qz_help_dir")) == help + "/");
            }
        } else {
            QZ_FUZZ_CHECK(std::strncmp(dump.get(), "0 keys\n", 7) == 0);
            QZ_FUZZ_CHECK(info.GetSpecifiedPath("qz_bindir") == nullptr);
        }
        checkSysVar(info, name.c_str(), result == 1);

        // A second call leaves an initialized record alone; after a failure it starts
        // afresh and, the machine being the same, fails again. A report changes nothing.
        char* home = info.GetCorvanHome();
        QZStartupReport report;
        const int again =
            report.Initialize(info, namePointer, version, emailPointer, exePointer, patch, firstYear, lastYear);
        QZ_FUZZ_CHECK(report.result == again && !report.steps.empty());
        QZ_FUZZ_CHECK((report.failure == QZStartupReport::Failure::None) == (again == 1));
        QZ_FUZZ_CHECK(qzfuzz::currentDirectory() == before);
        QZ_FUZZ_CHECK(again == 0);
        if (result == 1) {
            QZ_FUZZ_CHECK(info.GetCorvanHome() == home);
            QZ_FUZZ_CHECK(info.GetInitializedStatus());
        }

        // Copies share every buffer and may be destroyed in either order.
        auto copy = std::make_unique<QZApplicationInfo>(info);
        QZ_FUZZ_CHECK(copy->GetExecutablePath() == info.GetExecutablePath());
        QZ_FUZZ_CHECK(copy->GetSpecifiedPath("tcl_lib") == info.GetSpecifiedPath("tcl_lib"));
        QZApplicationInfo assigned;
        assigned = *copy;
        copy.reset();
        const std::unique_ptr<char[]> copied(assigned.DumpPaths());
        QZ_FUZZ_CHECK(std::strcmp(copied.get(), dump.get()) == 0);
    }

    QZ_FUZZ_CHECK(::chdir(original.c_str()) == 0);
    for (const auto& [variable, value] : originalVariables())
        qzfuzz::setVariable(variable.c_str(), value);
    return 0;
}
