// catalogue_test.cpp - the internal and the published path catalogues as Initialize builds
// them: golden tables for an installation and a sandbox, and every run-time choice.
#include <QZApplicationInfo.h>

#include "support/TestSupport.h"
#include "support/TestRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;

namespace {

using qztest::slashed;

using Table = std::vector<std::pair<std::string, std::string>>;

const std::string kRule = "=======================";

// "key : value", where an empty value may have lost its trailing blank in a golden file.
std::pair<std::string, std::string> splitRow(const std::string& line)
{
    const auto colon = line.find(" : ");
    if (colon != std::string::npos)
        return {line.substr(0, colon), line.substr(colon + 3)};
    if (line.size() >= 2 && line.compare(line.size() - 2, 2, " :") == 0)
        return {line.substr(0, line.size() - 2), ""};
    ADD_FAILURE() << "not a row: " << line;
    return {line, ""};
}

// Takes over a DumpPaths text and checks its frame and count on the way.
Table parseDump(char* dump)
{
    std::unique_ptr<char[]> text(dump);
    std::istringstream in(text.get());
    std::string count, rule, line;
    std::getline(in, count);
    std::getline(in, rule);
    EXPECT_EQ(rule, kRule);
    Table rows;
    while (std::getline(in, line) && line != kRule)
        rows.push_back(splitRow(line));
    EXPECT_EQ(count, std::to_string(rows.size()) + " keys");
    return rows;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// A golden table with its placeholders (<home>, <arch>, ...) filled in.
Table golden(const std::string& name, const std::vector<std::pair<std::string, std::string>>& fills)
{
    std::ifstream in(std::string(QZ_TEST_DATA_DIR) + "/catalogue/" + name);
    EXPECT_TRUE(in) << name;
    Table rows;
    for (std::string line; std::getline(in, line);) {
        for (const auto& [placeholder, value] : fills)
            replaceAll(line, placeholder, value);
        rows.push_back(splitRow(line));
    }
    return rows;
}

void expectRows(const Table& actual, const Table& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "row " << i + 1;
}

std::string valueOf(const Table& table, const std::string& key)
{
    for (const auto& [k, v] : table)
        if (k == key)
            return v;
    ADD_FAILURE() << "no key " << key;
    return "";
}

// The keys the published table is built from; without any of them nothing is published.
const std::set<std::string> kRequiredInternalKeys = {
    "qz_rootdir", "qz_bindir", "qz_libdir", "qz_tstdir", "qz_launchdir", "qz_bin", "qz_binpath_ref",
    "exe_extension_ref", "runtimelib_prefix_ref", "runtimelib_extension_ref", "io_rootdir", "stdutil_rootdir",
    "fwps_rootdir", "userhome_refdir", "tclcode_rootdir", "tcl_bindir", "tcl_libdir", "tk_libdir",
    "wish_launch", "tclsh_launch", "tclshfullpath_launch", "quarnel_launch", "fe_rootdir", "fe_launchdir",
    "fe_bindir", "fe_bin", "fe_launch", "fe_rtl", "rytemplates_rootdir", "plttemplates_rootdir",
    "doetemplates_rootdir", "lu_scriptsdir", "vdldef_rootdir", "ob_launch", "ug_launch", "vize_launch",
    "kr_launch", "zel_bindir", "zel_launchdir", "zel_launch", "brevik_bindir", "brevik_launchdir",
    "brevik_launch"};

// Internal keys that are published under their own name.
const std::set<std::string> kSharedKeys = {
    "qz_bindir", "qz_tstdir", "qz_launchdir", "quarnel_launch", "rytemplates_rootdir", "plttemplates_rootdir",
    "ob_launch", "ug_launch", "vize_launch", "kr_launch", "zel_bindir", "zel_launchdir", "zel_launch",
    "brevik_bindir", "brevik_launchdir", "brevik_launch"};

// Reads both tables, and publishes again from an internal table of the test's making.
class Probe : public QZApplicationInfo {
public:
    Table internal() { return parseDump(_internalPaths.DumpPaths()); }
    Table published() { return parseDump(DumpPaths()); }

    Table republish(const Table& table)
    {
        _internalPaths = PathDictionary();
        for (const auto& [key, value] : table)
            _internalPaths.Append(key.c_str(), value.c_str());
        _publishedPaths = PathDictionary();
        _SetupPublishedPaths();
        return published();
    }
};

// Every internal value replaced by its own key in braces, so that coinciding values
// cannot hide which key a published row reads.
Table symbolic(Table internal)
{
    for (auto& [key, value] : internal)
        value = "{" + key + "}";
    return internal;
}

// Tests that write machine-wide settings read them below the base key of a version of
// their own, which no test running at the same time reads.
constexpr float kHelpTestVersion = 12.0f;
constexpr const char* kHelpTestBase = "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\12.0build60";
constexpr float kRootsTestVersion = 13.0f;
constexpr const char* kRootsTestBase = "SOFTWARE\\Corvan Engineering, Inc.\\Quazen\\13.0build60";

class Catalogue : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"CORVAN_HOME", "CORVAN_ARCH", "DISPLAY", "QZ_MSG_HELP", "QZDISPLAY_BUILD",
                                 "RY_DLL_PATH", "QZFL_HOME", "DVK_HOME", "QZ_CONFIG_PATH"})
            env.unset(name);
        env.set("CORVAN_REGISTRY", tree.path("no-registry.reg"));
        env.set("HOME", tree.mkdir("user"));
        env.set("XDG_CONFIG_HOME", tree.mkdir("config"));
        executable = tree.touch("bin/app.exe");
    }

    std::string installation() { return tree.mkdir("suite"); }
    std::string sandbox()
    {
        tree.mkdir("dev/qzcommon");
        return tree.path("dev");
    }

    // Initializes probe as an application whose CORVAN_HOME is home.
    void initialize(Probe& probe, const std::string& home, const char* name = "Ryndel", float version = 10.0f)
    {
        env.set("CORVAN_HOME", home);
        ASSERT_EQ(probe.Initialize(name, version, "support@corvan.example", executable.c_str(), 0, 2009, 2009), 1);
    }

    std::vector<std::pair<std::string, std::string>> fills(const std::string& home)
    {
        return {{"<home>", slashed(home)},
                {"<arch>", qztest::productArchitecture()},
                {"<documents>", qztest::documentsFolderFor(tree.path("user"))}};
    }

    EnvGuard env;
    TempTree tree;
    std::string executable;
};

TEST_F(Catalogue, InstallationTablesMatchTheirGoldens)
{
    Probe probe;
    initialize(probe, installation());
    expectRows(probe.internal(), golden("installation.internal", fills(installation())));
    expectRows(probe.published(), golden("installation.published", fills(installation())));
}

TEST_F(Catalogue, SandboxTablesMatchTheirGoldens)
{
    Probe probe;
    initialize(probe, sandbox());
    expectRows(probe.internal(), golden("sandbox.internal", fills(sandbox())));
    expectRows(probe.published(), golden("sandbox.published", fills(sandbox())));
}

TEST_F(Catalogue, EachPublishedRowReadsItsOwnInternalKeys)
{
    Probe probe;
    initialize(probe, installation());
    expectRows(probe.republish(symbolic(probe.internal())), golden("symbolic.published", fills(installation())));
}

TEST_F(Catalogue, OnlyPublishedKeysAnswer)
{
    Probe probe;
    initialize(probe, sandbox());
    const Table published = probe.published();
    ASSERT_EQ(published.size(), 77u);
    EXPECT_EQ(published.front().first, "qz_bindir");
    EXPECT_EQ(published.back().first, "dvk_scriptdir");
    std::set<std::string> keys;
    for (const auto& [key, value] : published) {
        EXPECT_TRUE(keys.insert(key).second) << key << " twice";
        EXPECT_STREQ(probe.GetSpecifiedPath(key.c_str()), value.c_str()) << key;
    }
    for (const auto& [key, value] : probe.internal()) {
        const char* answer = probe.GetSpecifiedPath(key.c_str());
        if (kSharedKeys.count(key))
            EXPECT_STREQ(answer, value.c_str()) << key;
        else
            EXPECT_EQ(answer, nullptr) << key;
    }
}

TEST_F(Catalogue, InternalTableWithoutARequiredKeyPublishesNothing)
{
    Probe probe;
    initialize(probe, sandbox());
    const Table complete = probe.internal();
    std::set<std::string> seen;
    for (const auto& [missing, unused] : complete) {
        Table faulty;
        for (const auto& row : complete)
            if (row.first != missing)
                faulty.push_back(row);
        const auto expected = kRequiredInternalKeys.count(missing) ? 0u : 77u;
        EXPECT_EQ(probe.republish(faulty).size(), expected) << "without " << missing;
        seen.insert(missing);
    }
    for (const auto& key : kRequiredInternalKeys)
        EXPECT_TRUE(seen.count(key)) << key << " is not in the internal table";
    EXPECT_TRUE(probe.republish({}).empty());
}

TEST_F(Catalogue, ProductTagNamesTheFrontEndButNotItsLibrary)
{
    const struct {
        const char* name;
        const char* tag;
    } cases[] = {{"Obrenn", "ob"}, {"Ryndel", "ry"}, {"obrenn", "ry"}, {"Obrenn Studio", "ry"}};
    const std::string home = slashed(installation());
    const std::string arch = qztest::productArchitecture();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Probe probe;
        initialize(probe, installation(), c.name);
        const Table internal = probe.internal();
        const std::string tag = c.tag;
        EXPECT_EQ(valueOf(internal, "fe_rootdir"), home + "/" + tag);
        EXPECT_EQ(valueOf(internal, "fe_execname"), tag + "opengl.exe");
        EXPECT_EQ(valueOf(internal, "fe_rtlname"), "ry10.dll");
        const std::string frontEndBin = home + "/" + tag + "/bin/" + arch;
        EXPECT_STREQ(probe.GetSpecifiedPath("ry"), (frontEndBin + "/" + tag + "opengl.exe").c_str());
        EXPECT_STREQ(probe.GetSpecifiedPath("ry_module"), (frontEndBin + "/ry10.dll").c_str());
    }
}

TEST_F(Catalogue, RuntimeLibraryIsNumberedByTheVersionsIntegerPart)
{
    const struct {
        float version;
        const char* library;
    } cases[] = {
        {10.0f, "ry10.dll"}, {9.5f, "ry9.dll"}, {10.99f, "ry10.dll"}, {11.0f, "ry11.dll"}, {0.5f, "ry0.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.library);
        Probe probe;
        initialize(probe, installation(), "Ryndel", c.version);
        EXPECT_EQ(valueOf(probe.internal(), "fe_rtlname"), c.library);
        const std::string module = probe.GetSpecifiedPath("ry_module");
        EXPECT_EQ(module.substr(module.rfind('/') + 1), c.library);
    }
}

TEST_F(Catalogue, RyDllPathStandsInOnlyForAMissingDefault)
{
    enum class Variable { Unset, Empty, NamesNothing, NamesDirectory };
    const struct {
        bool defaultExists;
        Variable variable;
        bool fromVariable;
    } cases[] = {
        {false, Variable::Unset, false},          {false, Variable::Empty, false},
        {false, Variable::NamesNothing, false},   {false, Variable::NamesDirectory, true},
        {true, Variable::NamesDirectory, false},
    };
    const std::string home = installation();
    const std::string library = slashed(home) + "/ry/bin/" + qztest::productArchitecture() + "/ry10.dll";
    const std::string runtimes = tree.mkdir("rt");
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "default " << c.defaultExists << ", variable " << int(c.variable));
        std::error_code ignored;
        fs::remove(library, ignored);
        if (c.defaultExists)
            tree.touch("suite/ry/bin/" + qztest::productArchitecture() + "/ry10.dll");
        if (c.variable == Variable::Unset)
            env.unset("RY_DLL_PATH");
        else
            env.set("RY_DLL_PATH", c.variable == Variable::Empty          ? ""
                                   : c.variable == Variable::NamesNothing ? tree.path("nowhere")
                                                                          : runtimes);
        Probe probe;
        initialize(probe, home);
        // The variable's text is taken as it stands, native separators included.
        const std::string expected = c.fromVariable ? runtimes + "/ry10.dll" : library;
        EXPECT_EQ(valueOf(probe.internal(), "fe_rtl"), expected);
        EXPECT_STREQ(probe.GetSpecifiedPath("ry_module"), expected.c_str());
    }
}

TEST_F(Catalogue, FrameworkBaseOfASandboxFallsBackToTheFrontEnd)
{
    const struct {
        bool sandbox;
        bool frameworkExists;
        const char* name;
        const char* expected;
    } cases[] = {
        {true, true, "Ryndel", "/dn/framework/backbone/base"},
        {true, false, "Ryndel", "/ry/dnry/framework/backbone/base"},
        {true, false, "Obrenn", "/ob/dnry/framework/backbone/base"},
        {false, true, "Ryndel", "/templates"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sandbox << c.frameworkExists << c.name);
        TempTree trees;
        if (c.sandbox)
            trees.mkdir("qzcommon");
        if (c.frameworkExists)
            trees.mkdir("dn/framework/backbone/base");
        Probe probe;
        initialize(probe, trees.path(), c.name);
        const std::string expected = slashed(trees.path()) + c.expected;
        EXPECT_EQ(valueOf(probe.internal(), "fwps_rootdir"), expected);
        EXPECT_STREQ(probe.GetSpecifiedPath("POSTSCRIPT_TEMPLATE"), expected.c_str());
    }
}

TEST_F(Catalogue, MissingDocumentsFolderIsStoredAndPublishedEmpty)
{
    if (!qztest::documentsFolderFollowsHome())
        GTEST_SKIP() << "the documents folder does not follow HOME here";
    env.unset("HOME");
    Probe probe;
    initialize(probe, installation());
    EXPECT_EQ(probe.internal().back(), std::make_pair(std::string("userhome_refdir"), std::string()));
    EXPECT_STREQ(probe.GetSpecifiedPath("userhome_dir"), "");
}

TEST_F(Catalogue, DocumentsFolderComesFromTheUserDirectories)
{
    if (!qztest::documentsFolderFollowsHome())
        GTEST_SKIP() << "the documents folder does not follow HOME here";
    tree.touch("config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Papers\"\n");
    Probe probe;
    initialize(probe, installation());
    EXPECT_STREQ(probe.GetSpecifiedPath("userhome_dir"), (tree.path("user") + "/Papers").c_str());
}

TEST_F(Catalogue, HelpDirectoryComesFromQzMsgHelp)
{
    const struct {
        const char* environment; // null: unset
        const char* machine;     // null: not stored
        const char* expected;    // null: the home's help folder
    } cases[] = {
        {nullptr, nullptr, nullptr},
        {"D:/docs", nullptr, "D:/docs/"},
        {"D:\\docs\\", nullptr, "D:\\docs\\/"},
        {nullptr, "R:/help", "R:/help/"},
        {"D:/docs", "R:/help", "D:/docs/"},
        {"", "R:/help", "R:/help/"},
    };
    const std::string home = installation();
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << (c.environment ? c.environment : "(unset)") << " / "
                                        << (c.machine ? c.machine : "(none)"));
        EnvGuard local;
        qztest::TestRegistry machine(local, tree, kHelpTestBase);
        if (c.environment)
            local.set("QZ_MSG_HELP", c.environment);
        if (c.machine)
            machine.setString("", "QZ_MSG_HELP", c.machine);
        Probe probe;
        initialize(probe, home, "Ryndel", kHelpTestVersion);
        const std::string expected = c.expected ? c.expected : slashed(home) + "/help/";
        EXPECT_STREQ(probe.GetSpecifiedPath("qz_help_dir"), expected.c_str());
    }
}

TEST_F(Catalogue, ApplicationRootsFollowTheirEnvironmentVariablesOnly)
{
    const struct {
        const char* variable;
        const char* root;
        const char* script;
        const char* scriptTail;
        const char* defaultTail;
        const char* rootAlias;
        const char* scriptAlias;
    } roots[] = {
        {"QZFL_HOME", "fl_rootdir", "fl_scriptdir", "/fltcl", "/flgr", "qz_fl_dir", "qz_fli_dir"},
        {"DVK_HOME", "dvk_rootdir", "dvk_scriptdir", "/tcl", "/dvk", nullptr, nullptr},
    };
    enum class Source { Environment, EmptyEnvironment, MachineOnly };
    const std::string home = installation();
    for (const auto& r : roots)
        for (Source source : {Source::Environment, Source::EmptyEnvironment, Source::MachineOnly}) {
            SCOPED_TRACE(testing::Message() << r.variable << " " << int(source));
            EnvGuard local;
            qztest::TestRegistry machine(local, tree, kRootsTestBase);
            const std::string given = "E:\\apps\\root\\";
            if (source == Source::Environment)
                local.set(r.variable, given);
            else if (source == Source::EmptyEnvironment)
                local.set(r.variable, "");
            else
                machine.setString("", r.variable, given);
            Probe probe;
            initialize(probe, home, "Ryndel", kRootsTestVersion);
            const std::string byDefault = slashed(home) + "/javaapps/" + qztest::productArchitecture() + r.defaultTail;
            const std::string root = source == Source::Environment ? given : byDefault;
            EXPECT_STREQ(probe.GetSpecifiedPath(r.root), root.c_str());
            EXPECT_STREQ(probe.GetSpecifiedPath(r.script), (root + r.scriptTail).c_str());
            if (r.rootAlias) {
                EXPECT_STREQ(probe.GetSpecifiedPath(r.rootAlias), root.c_str());
                EXPECT_STREQ(probe.GetSpecifiedPath(r.scriptAlias), (root + r.scriptTail).c_str());
            }
        }
}

TEST_F(Catalogue, TemplatesDirFollowsTheApplicationName)
{
    const struct {
        const char* name;
        const char* expected;
    } cases[] = {
        {"Ryndel", "{rytemplates_rootdir}"}, {"Obrenn", "{rytemplates_rootdir}"},
        {"ryndel", "{plttemplates_rootdir}"}, {"Ryndel ", "{plttemplates_rootdir}"},
        {"Obrenn Studio", "{plttemplates_rootdir}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Probe probe;
        initialize(probe, installation(), c.name);
        const Table published = probe.republish(symbolic(probe.internal()));
        ASSERT_EQ(published.size(), 77u);
        EXPECT_EQ(published[32], std::make_pair(std::string("TEMPLATES_DIR"), std::string(c.expected)));
    }
}

TEST_F(Catalogue, HomeIsJoinedAsStoredWithoutCollapsingSeparators)
{
    // One trailing separator of CORVAN_HOME goes, so a doubled one leaves a home that
    // ends in '/', and every value built on it carries "//".
    const char separator = static_cast<char>(fs::path::preferred_separator);
    Probe probe;
    initialize(probe, installation() + separator + separator);
    const std::string home = slashed(installation()) + "/";
    const std::string arch = qztest::productArchitecture();
    const Table internal = probe.internal();
    EXPECT_EQ(valueOf(internal, "ch_rootdir"), home);
    EXPECT_EQ(valueOf(internal, "qz_rootdir"), home + "/qz");
    EXPECT_STREQ(probe.GetSpecifiedPath("qz_bindir"), (home + "/qz/bin/" + arch).c_str());
    EXPECT_STREQ(probe.GetSpecifiedPath("qz_help_dir"), (home + "/help/").c_str());
    EXPECT_STREQ(probe.GetSpecifiedPath("dvk_rootdir"), (home + "/javaapps/" + arch + "/dvk").c_str());
}

} // namespace
