// report_test.cpp - the start-up report: the steps of Initialize up to a failure, what each
// system variable lookup consulted, records that copy each other, and the record's header
// that declares only its specified names.
#include <QZApplicationInfo.h>
#include <QZStartupReport.h>

#include "support/TestRegistry.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;
using qztest::TestRegistry;
using Report = QZStartupReport;
using Step = Report::Step;

namespace {

std::string text(const char* value) { return value ? value : "(null)"; }

class ReportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.set("PATH", tree.mkdir("nowhere"));
        // Each test reads below the base key of its own version, so that tests that run at
        // the same time in one registry do not meet.
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        version = 500.0f + static_cast<float>(std::hash<std::string>{}(test->name()) % 400) / 4.0f;
    }

    int initialize(Report& report, QZApplicationInfo& info, const std::string& exe, const char* name = "Ryndel")
    {
        return report.Initialize(info, name, version, "support@example.com", exe.c_str(), 0, 2008, 2009);
    }

    // A record whose Initialize got past the registry base path but found no home.
    std::string homeless()
    {
        return tree.touch("homeless/bin/app.exe");
    }

    std::string base()
    {
        QZApplicationInfo info;
        Report report;
        initialize(report, info, homeless());
        return text(info.GetSystemBaseRegistryPath());
    }

    EnvGuard env;
    TempTree tree;
    float version = 0;
};

} // namespace

TEST_F(ReportTest, HomeSourceAndWalkLevelsTellHowTheHomeWasFound)
{
    tree.mkdir("dev/qzcommon");
    const std::string exe = tree.touch("dev/bin/win64/app.exe");
    QZApplicationInfo walked;
    Report walk;
    ASSERT_EQ(initialize(walk, walked, exe), 1);
    EXPECT_EQ(walk.result, 1);
    EXPECT_EQ(walk.failure, Report::Failure::None);
    EXPECT_EQ(walk.homeSource, Report::HomeSource::Walk);
    EXPECT_EQ(walk.walkEnd, Report::WalkEnd::Found);
    ASSERT_EQ(walk.walk.size(), 3u);
    EXPECT_EQ(walk.walk[0].directory, tree.path("dev/bin/win64"));
    EXPECT_EQ(walk.walk[1].directory, tree.path("dev/bin"));
    EXPECT_EQ(walk.walk[2].directory, tree.path("dev"));
    EXPECT_FALSE(walk.walk[1].hasMarker);
    EXPECT_TRUE(walk.walk[2].hasMarker);
    EXPECT_EQ(walk.steps.back(), Step::PublishedPaths);

    env.set("CORVAN_HOME", tree.path("dev") + qztest::joinSeparator());
    QZApplicationInfo fromEnvironment;
    Report variable;
    ASSERT_EQ(initialize(variable, fromEnvironment, exe), 1);
    EXPECT_EQ(variable.homeSource, Report::HomeSource::Environment);
    EXPECT_TRUE(variable.homeSeparatorRemoved);
    EXPECT_TRUE(variable.walk.empty());
    ASSERT_TRUE(variable.sandboxProbe.has_value());
    EXPECT_EQ(variable.sandboxProbeResult, Report::ProbeResult::Directory);
    // The four lookups of Initialize, in order.
    std::vector<std::string> names;
    for (const auto& lookup : variable.lookups)
        names.push_back(lookup.name);
    EXPECT_EQ(names, (std::vector<std::string>{"DISPLAY", "CORVAN_ARCH", "CORVAN_HOME", "QZ_MSG_HELP"}));
}

TEST_F(ReportTest, DecisionsNameTheSettingThatDecidedAnEntry)
{
    env.set("CORVAN_HOME", tree.mkdir("inst"));
    const std::string exe = tree.touch("inst/bin/app.exe");
    env.set("QZ_MSG_HELP", "/docs");
    env.set("QZFL_HOME", "/fl");
    QZApplicationInfo info;
    Report report;
    ASSERT_EQ(initialize(report, info, exe), 1);
    using Origin = Report::Decision::Origin;
    const std::tuple<const char*, Origin, const char*> cases[] = {
        {"qz_help_dir", Origin::Environment, "QZ_MSG_HELP"},
        {"qz_fli_dir", Origin::Environment, "QZFL_HOME"},
        {"dvk_scriptdir", Origin::Default, "DVK_HOME"},
        {"ry_module", Origin::Default, "RY_DLL_PATH"},
        {"TEMPLATES_DIR", Origin::ApplicationName, "application name"},
    };
    for (const auto& [key, origin, setting] : cases) {
        const auto found = std::find_if(report.decisions.begin(), report.decisions.end(),
                                        [&](const Report::Decision& decision) { return decision.key == key; });
        ASSERT_NE(found, report.decisions.end()) << key;
        EXPECT_EQ(found->origin, origin) << key;
        EXPECT_EQ(found->setting, setting) << key;
    }
    for (const auto& decision : report.decisions)
        EXPECT_NE(decision.key, "qz_bindir");
}

TEST_F(ReportTest, CopiesMadeBeforeInitializeReportOnlyTheirOwnHistory)
{
    tree.mkdir("dev/qzcommon");
    const std::string walkedExe = tree.touch("dev/bin/app.exe");
    const std::string installedExe = tree.touch("inst/bin/app.exe");

    QZApplicationInfo original;
    QZApplicationInfo copy(original);
    QZApplicationInfo assigned;
    assigned = original;

    Report walked;
    ASSERT_EQ(initialize(walked, original, walkedExe), 1);
    env.set("CORVAN_HOME", tree.path("inst"));
    Report installed;
    ASSERT_EQ(initialize(installed, copy, installedExe), 1);
    // Initialized without a report: nobody takes notes.
    ASSERT_EQ(assigned.Initialize("Ryndel", version, "", installedExe.c_str(), 0, 1, 1), 1);

    EXPECT_EQ(walked.homeSource, Report::HomeSource::Walk);
    EXPECT_EQ(walked.walk.size(), 2u);
    EXPECT_EQ(walked.lookups.size(), 4u);
    EXPECT_EQ(installed.homeSource, Report::HomeSource::Environment);
    EXPECT_TRUE(installed.walk.empty());
    EXPECT_EQ(installed.lookups.size(), 4u);
    ASSERT_EQ(installed.executableCandidates.size(), 1u);
    EXPECT_EQ(installed.executableCandidates[0].path, installedExe);
    EXPECT_EQ(text(copy.GetCorvanHome()), qztest::slashed(tree.path("inst")));
    EXPECT_EQ(text(original.GetCorvanHome()), qztest::slashed(tree.path("dev")));

    // A report on a copy of an initialized record says only that it was initialized.
    QZApplicationInfo again(original);
    Report second;
    EXPECT_EQ(initialize(second, again, walkedExe), 0);
    EXPECT_EQ(second.steps, std::vector<Step>{Step::AlreadyInitialized});
    EXPECT_EQ(second.failure, Report::Failure::AlreadyInitialized);
    EXPECT_TRUE(second.walk.empty());
}

TEST_F(ReportTest, AReportChangesNothingInTheRecord)
{
    tree.mkdir("dev/qzcommon");
    const std::string exe = tree.touch("dev/bin/app.exe");
    QZApplicationInfo plain;
    ASSERT_EQ(plain.Initialize("Ryndel", version, "support@example.com", exe.c_str(), 0, 2008, 2009), 1);
    QZApplicationInfo reported;
    Report report;
    ASSERT_EQ(initialize(report, reported, exe), 1);
    std::unique_ptr<char[]> plainDump(plain.DumpPaths());
    std::unique_ptr<char[]> reportedDump(reported.DumpPaths());
    EXPECT_STREQ(plainDump.get(), reportedDump.get());
    EXPECT_EQ(text(plain.GetCorvanHome()), text(reported.GetCorvanHome()));
    EXPECT_EQ(text(plain.GetExecutableDir()), text(reported.GetExecutableDir()));
    EXPECT_EQ(qztest::currentDirectory(), text(reported.GetCurrentWorkingDir()));
}

TEST_F(ReportTest, AFailedInitializeNamesEveryStepUpToTheOneThatFailed)
{
    const std::string stray = homeless();
    const std::string absent = tree.path("nothing") + qztest::joinSeparator() + "app";
    struct Case {
        const char* what;
        const char* name;
        std::string exe;
        Report::Failure failure;
        Step last;
        std::size_t steps;
    };
    const Case cases[] = {
        {"empty name", "", stray, Report::Failure::EmptyApplicationName, Step::ApplicationName, 1},
        {"empty executable", "Ryndel", "", Report::Failure::EmptyExecutableName, Step::ExecutableName, 3},
        {"absolute name missing", "Ryndel", absent, Report::Failure::ExecutableNotFound, Step::ExecutableSearch, 4},
        {"bare name missing", "Ryndel", "no-such-app", Report::Failure::ExecutableNotFound, Step::ExecutableSearch, 4},
        {"no home", "Ryndel", stray, Report::Failure::NoHome, Step::Home, 11},
    };
    for (const Case& c : cases) {
        QZApplicationInfo info;
        Report report;
        EXPECT_EQ(initialize(report, info, c.exe, c.name), 0) << c.what;
        EXPECT_EQ(report.result, 0) << c.what;
        EXPECT_EQ(report.failure, c.failure) << c.what;
        ASSERT_EQ(report.steps.size(), c.steps) << c.what;
        EXPECT_EQ(report.steps.back(), c.last) << c.what;
        EXPECT_FALSE(info.GetInitializedStatus()) << c.what;
    }

    QZApplicationInfo info;
    Report absolute;
    initialize(absolute, info, absent);
    // The name as given, then .bat, .com and .exe: four tests, none found.
    ASSERT_EQ(absolute.executableCandidates.size(), 4u);
    EXPECT_EQ(absolute.executableCandidates[0].path, absent);
    EXPECT_EQ(absolute.executableCandidates[3].path, absent + ".exe");
    for (const auto& candidate : absolute.executableCandidates) {
        EXPECT_EQ(candidate.where, Report::Candidate::Where::AbsoluteName);
        EXPECT_FALSE(candidate.exists);
    }

    const char delimiter = qztest::searchPathDelimiter();
    env.set("PATH", std::string(".") + delimiter + tree.path("nowhere") + delimiter + ".hidden");
    QZApplicationInfo bare;
    Report searched;
    initialize(searched, bare, "no-such-app");
    EXPECT_TRUE(searched.searchedPath);
    EXPECT_EQ(searched.skippedSearchPathEntries, (std::vector<std::string>{".", ".hidden"}));
    ASSERT_FALSE(searched.executableCandidates.empty());
    EXPECT_EQ(searched.executableCandidates.back().where, Report::Candidate::Where::SearchPath);
    EXPECT_EQ(searched.executableCandidates.back().path,
              tree.path("nowhere") + qztest::joinSeparator() + "no-such-app.exe");

    QZApplicationInfo lost;
    Report walkedToTheRoot;
    initialize(walkedToTheRoot, lost, stray);
    EXPECT_EQ(walkedToTheRoot.walkEnd, Report::WalkEnd::RootReached);
    ASSERT_GE(walkedToTheRoot.walk.size(), 3u);
    EXPECT_EQ(walkedToTheRoot.walk[0].directory, tree.path("homeless/bin"));
    EXPECT_EQ(walkedToTheRoot.homeSource, Report::HomeSource::None);
    EXPECT_EQ(walkedToTheRoot.lookups.size(), 3u) << "QZ_MSG_HELP is looked up only with a home";
}

TEST_F(ReportTest, LookUpSysVarNeedsTheRegistryBasePathOnly)
{
    env.set("QZ_TEST_COLOUR", "blue");
    char value[16] = "untouched";
    QZApplicationInfo fresh;
    Report report;
    EXPECT_FALSE(report.LookUpSysVar(fresh, "QZ_TEST_COLOUR", value, sizeof value));
    EXPECT_STREQ(value, "");
    EXPECT_TRUE(report.lookups.empty());

    QZApplicationInfo noExecutable;
    initialize(report, noExecutable, "no-such-app");
    EXPECT_FALSE(report.LookUpSysVar(noExecutable, "QZ_TEST_COLOUR", value, sizeof value));

    // No home, but the base path is built: the lookup answers though GetSysVar does not.
    QZApplicationInfo noHome;
    initialize(report, noHome, homeless());
    const std::size_t before = report.lookups.size();
    EXPECT_TRUE(report.LookUpSysVar(noHome, "QZ_TEST_COLOUR", value, sizeof value));
    EXPECT_STREQ(value, "blue");
    ASSERT_EQ(report.lookups.size(), before + 1);
    EXPECT_EQ(report.lookups.back().source, Report::Lookup::Source::Environment);
    EXPECT_FALSE(report.lookups.back().registry.has_value());
    char plain[16] = "x";
    noHome.GetSysVar("QZ_TEST_COLOUR", plain, sizeof plain);
    EXPECT_STREQ(plain, "");
}

TEST_F(ReportTest, TheEnvironmentStateIsReadOnTheLimitOfTheBuffer)
{
    QZApplicationInfo info;
    Report report;
    initialize(report, info, homeless());
    constexpr unsigned int kSize = 8;
    struct Case {
        std::optional<std::string> setting;
        Report::EnvironmentState state;
        const char* value;
    };
    std::vector<Case> cases = {
        {std::nullopt, Report::EnvironmentState::Unset, ""},
        {std::string(6, 'a'), Report::EnvironmentState::Used, "aaaaaa"},
        {std::string(7, 'b'), Report::EnvironmentState::Used, "bbbbbbb"},
        {std::string(8, 'c'), Report::EnvironmentState::TooLong, ""},
    };
    if (qztest::canHoldEmptyVariables())
        cases.push_back({std::string(), Report::EnvironmentState::Empty, ""});
    for (const Case& c : cases) {
        if (c.setting)
            env.set("QZ_TEST_LIMIT", *c.setting);
        else
            env.unset("QZ_TEST_LIMIT");
        char buffer[kSize + 4];
        std::memset(buffer, 'Z', sizeof buffer);
        ASSERT_TRUE(report.LookUpSysVar(info, "QZ_TEST_LIMIT", buffer, kSize));
        EXPECT_STREQ(buffer, c.value);
        for (std::size_t i = kSize; i < sizeof buffer; ++i)
            EXPECT_EQ(buffer[i], 'Z') << "guard byte " << i;
        const Report::Lookup& lookup = report.lookups.back();
        EXPECT_EQ(lookup.environment, c.state) << c.setting.value_or("(unset)");
        EXPECT_EQ(lookup.size, kSize);
        EXPECT_EQ(lookup.environmentBytes, c.setting ? c.setting->size() : 0u);
        // The registry is consulted exactly when the environment gave nothing.
        EXPECT_EQ(lookup.registry.has_value(), c.state != Report::EnvironmentState::Used);
    }
}

TEST_F(ReportTest, TheRegistryReadSaysWhatWasFoundAndWhatWasTooLong)
{
    const std::string root = base();
    TestRegistry registry(env, tree, root);
    registry.setString("", "QZ_TEST_SHORT", "green");
    registry.setString("", "QZ_TEST_EMPTY", "");
    // A string's data holds its terminator: 1022 characters are 1023 bytes, the most read.
    registry.setString("", "QZ_TEST_ON_LIMIT", std::string(1022, 'x'));
    registry.setString("", "QZ_TEST_OVER_LIMIT", std::string(1023, 'y'));
    registry.setString("Sub", "QZ_TEST_NESTED", "deep");

    QZApplicationInfo info;
    Report report;
    initialize(report, info, homeless());
    struct Case {
        const char* name;
        bool keyFound;
        bool valueFound;
        std::size_t bytes;
        std::size_t valueLength;
    };
    const Case cases[] = {
        {"QZ_TEST_SHORT", true, true, 6, 5},
        {"QZ_TEST_EMPTY", true, true, 1, 0},
        {"QZ_TEST_ON_LIMIT", true, true, 1023, 1022},
        {"QZ_TEST_OVER_LIMIT", true, true, 1024, 0},
        {"QZ_TEST_ABSENT", true, false, 0, 0},
        {"Sub\\QZ_TEST_NESTED", true, true, 5, 4},
        {"Nowhere\\QZ_TEST_NESTED", false, false, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<char> value(1024 + 8, 'Z');
        ASSERT_TRUE(report.LookUpSysVar(info, c.name, value.data(), 1024));
        const Report::Lookup& lookup = report.lookups.back();
        ASSERT_TRUE(lookup.registry.has_value()) << c.name;
        const Report::RegistryRead& read = *lookup.registry;
        EXPECT_EQ(read.storeState, Report::RegistryRead::StoreState::Read) << c.name;
        EXPECT_EQ(read.keyFound, c.keyFound) << c.name;
        EXPECT_EQ(read.valueFound, c.valueFound) << c.name;
        EXPECT_EQ(lookup.registryReadLimit, 1023u);
        if (c.valueFound) {
            EXPECT_EQ(read.valueBytes, c.bytes) << c.name;
        }
        EXPECT_EQ(std::strlen(value.data()), c.valueLength) << c.name;
        EXPECT_EQ(lookup.source, c.valueLength ? Report::Lookup::Source::Registry : Report::Lookup::Source::Nowhere)
            << c.name;
        EXPECT_EQ(lookup.registryText.has_value(), c.valueFound && c.bytes <= 1023) << c.name;
        const std::string key = std::string(c.name).find('\\') == std::string::npos
                                    ? root
                                    : root + "\\" + std::string(c.name).substr(0, std::string(c.name).find('\\'));
        EXPECT_EQ(read.keyPath, "HKEY_LOCAL_MACHINE\\" + key) << c.name;
    }

    // A text that the read delivers but that does not fit the caller's buffer.
    char small[6 + 4];
    std::memset(small, 'Z', sizeof small);
    ASSERT_TRUE(report.LookUpSysVar(info, "QZ_TEST_SHORT", small, 5));
    EXPECT_STREQ(small, "");
    EXPECT_EQ(report.lookups.back().registryText, "green");
    EXPECT_EQ(report.lookups.back().source, Report::Lookup::Source::Nowhere);
    ASSERT_TRUE(report.LookUpSysVar(info, "QZ_TEST_SHORT", small, 6));
    EXPECT_STREQ(small, "green");
    for (std::size_t i = 6; i < sizeof small; ++i)
        EXPECT_EQ(small[i], 'Z') << "guard byte " << i;
}

TEST_F(ReportTest, TheStandInFileSaysWhyItWasNotRead)
{
    QZApplicationInfo info;
    Report report;
    initialize(report, info, homeless());
    char value[32];
    ASSERT_TRUE(report.LookUpSysVar(info, "QZ_TEST_ANY", value, sizeof value));
    if (report.lookups.back().registry->store == "HKEY_LOCAL_MACHINE")
        GTEST_SKIP() << "the system has a registry of its own, not a stand-in file";

    using State = Report::RegistryRead::StoreState;
    const std::string unreadable = tree.touch("locked.reg", "REGEDIT4\n");
    fs::permissions(unreadable, fs::perms::none);
    const bool rootReadsAnything = std::ifstream(unreadable).is_open();
    struct Case {
        std::string file;
        State state;
        bool reason;
    };
    const Case cases[] = {
        {tree.path("absent.reg"), State::Missing, true},
        {tree.mkdir("folder.reg"), State::Directory, false},
        {tree.touch("notes.reg", "Windows Registry Editor Version 4.00\n[HKEY_LOCAL_MACHINE\\x]\n"),
         State::NotAnExportFile, false},
        // A big-endian UTF-16 mark is no mark that regedit knows: the header is rejected.
        {tree.touch("bigendian.reg", std::string("\xFE\xFF\0R\0E\0G\0E\0D\0I\0T\0" "4\0\n", 19)),
         State::NotAnExportFile, false},
        {unreadable, State::Unreadable, true},
    };
    for (const Case& c : cases) {
        if (c.state == State::Unreadable && rootReadsAnything) {
            std::cout << "[ SKIPPED  ] the unreadable file: this user (root) reads any file\n";
            continue;
        }
        env.set("CORVAN_REGISTRY", c.file);
        ASSERT_TRUE(report.LookUpSysVar(info, "QZ_TEST_ANY", value, sizeof value));
        const Report::RegistryRead& read = *report.lookups.back().registry;
        EXPECT_EQ(read.store, c.file);
        EXPECT_EQ(read.storeSetting, "CORVAN_REGISTRY");
        EXPECT_EQ(read.storeState, c.state) << c.file;
        EXPECT_EQ(!read.storeReason.empty(), c.reason) << c.file << ": " << read.storeReason;
        EXPECT_FALSE(read.keyFound);
    }
    fs::permissions(unreadable, fs::perms::owner_all);

    env.unset("CORVAN_REGISTRY");
    ASSERT_TRUE(report.LookUpSysVar(info, "QZ_TEST_ANY", value, sizeof value));
    EXPECT_EQ(report.lookups.back().registry->storeSetting, "");
}

namespace {

// The names that a class body declares at its own level, by access; nested class bodies
// are skipped (their own names are checked on their own), enumerators count.
std::map<std::string, std::set<std::string>> declaredNames(const std::string& body)
{
    std::map<std::string, std::set<std::string>> names;
    std::string access = "private";
    std::string statement;
    const std::regex label(R"(^\s*(public|protected|private)\s*:)");
    const std::regex identifier(R"([A-Za-z_]\w*)");
    auto declare = [&](std::string text, const std::string& inner) {
        std::smatch match;
        while (std::regex_search(text, match, label)) {
            access = match[1];
            text = match.suffix();
        }
        text = std::regex_replace(text, std::regex(R"(^\s+|\s+$)"), "");
        if (text.empty() || text.rfind("friend", 0) == 0)
            return;
        std::set<std::string>& into = names[access];
        if (std::regex_search(text, match, std::regex(R"(^enum\s+(\w+))"))) {
            into.insert(match[1]);
            const std::regex enumerator(R"((\w+)\s*(=[^,]*)?(,|$))");
            for (std::sregex_iterator it(inner.begin(), inner.end(), enumerator), end; it != end; ++it)
                into.insert((*it)[1]);
            return;
        }
        if (std::regex_search(text, match, std::regex(R"(^(class|struct)\b.*?(\w+)\s*$)"))) {
            into.insert(match[2]);
            return;
        }
        if (std::regex_search(text, match, std::regex(R"((operator\s*\S+?|~?\w+)\s*\()"))) {
            into.insert(std::regex_replace(std::string(match[1]), std::regex(R"(\s)"), ""));
            return;
        }
        text = std::regex_replace(text, std::regex(R"(\s*=.*$)"), "");
        std::string last;
        for (std::sregex_iterator it(text.begin(), text.end(), identifier), end; it != end; ++it)
            last = it->str();
        into.insert(last);
    };
    int depth = 0;
    std::string inner;
    for (char c : body) {
        if (depth > 0) {
            if (c == '{')
                ++depth;
            else if (c == '}' && --depth == 0) {
                declare(statement, inner);
                statement.clear();
                inner.clear();
                continue;
            }
            inner += c;
            continue;
        }
        if (c == '{') {
            depth = 1;
        } else if (c == ';') {
            declare(statement, "");
            statement.clear();
        } else if (c == '}' ) {
            statement.clear();
        } else {
            statement += c;
            // An access label ends a statement of its own.
            std::smatch match;
            if (std::regex_search(statement, match, std::regex(R"(^\s*(public|protected|private)\s*:\s*$)"))) {
                access = match[1];
                statement.clear();
            }
        }
    }
    return names;
}

// The body of the class whose head matches head, comments removed.
std::string classBody(const std::string& source, const std::string& head)
{
    const std::size_t start = source.find(head);
    if (start == std::string::npos)
        return {};
    std::size_t at = source.find('{', start) + 1;
    int depth = 1;
    std::string body;
    for (; at < source.size() && depth > 0; ++at) {
        depth += source[at] == '{' ? 1 : source[at] == '}' ? -1 : 0;
        if (depth > 0)
            body += source[at];
    }
    return body;
}

std::string withoutComments(const std::string& source)
{
    return std::regex_replace(source, std::regex(R"(//[^\n]*)"), "");
}

} // namespace

TEST(RecordHeader, DeclaresNoPublicOrProtectedNameBeyondTheSpecifiedOnes)
{
    std::ifstream in(QZ_RECORD_HEADER);
    ASSERT_TRUE(in.is_open()) << QZ_RECORD_HEADER;
    const std::string source = withoutComments(std::string(std::istreambuf_iterator<char>(in), {}));
    const std::string record = classBody(source, "class QZAPPINFO_EXPORT QZApplicationInfo {");
    ASSERT_FALSE(record.empty());
    auto names = declaredNames(record);
    const std::set<std::string> recordPublic = {
        "PathDictionary", "_VersionStringType", "_VersionFull", "_VersionDisplay", "_VersionCompact",
        "QZApplicationInfo", "~QZApplicationInfo", "operator=", "Initialize", "GetCorvanHome",
        "GetApplicationTitleNoPatch", "GetApplicationTitle", "GetArchitecture", "GetCopyrightStatement",
        "GetCurrentWorkingDir", "GetXDisplayName", "GetDisplayVersionInfo", "GetExecutableDir", "GetExecutablePath",
        "GetSystemBaseRegistryPath", "GetUserBaseRegistryPath", "GetApplicationName", "GetProductArchitecture",
        "GetSupportEMail", "GetApplicationVersion", "GetInitializedStatus", "GetFeatureName", "GetSpecifiedPath",
        "GetSysVar", "DumpPaths"};
    const std::set<std::string> recordProtected = {
        "_AttemptAppendingExtension", "_AttemptAppendingExtensions", "_Directory", "_GetSysVar", "_GetVersionString",
        "_SetupInternalPaths", "_SetupPublishedPaths", "_IsSandbox", "_corvanHome", "_applicationTitleNoPatch",
        "_applicationTitle", "_architecture", "_buildSuffix", "_vendorAddress", "_vendorName", "_vendorWebAddress",
        "_copyrightStatement", "_currentWorkingDir", "_xDisplayName", "_displayVersionInfo", "_executableDir",
        "_executablePath", "_systemBaseRegistryPath", "_userBaseRegistryPath", "_applicationName",
        "_productArchitecture", "_supportEMail", "_productTag", "_patchLevel", "_applicationVersion", "_suiteRelease",
        "_initialized", "_sandbox", "_publishedPaths", "_internalPaths"};
    EXPECT_EQ(names["public"], recordPublic);
    EXPECT_EQ(names["protected"], recordProtected);

    const std::string dictionary = classBody(record, "class QZAPPINFO_EXPORT PathDictionary {");
    ASSERT_FALSE(dictionary.empty());
    names = declaredNames(dictionary);
    EXPECT_EQ(names["public"], (std::set<std::string>{"PathDictionary", "~PathDictionary", "operator=", "Append",
                                                      "Enroll", "GetPath", "DumpPaths"}));
    EXPECT_EQ(names["protected"], (std::set<std::string>{"_keys", "_values", "_capacity", "_growth", "_count"}));

    // The record knows nothing of the faces that watch it: no report is named in its header.
    EXPECT_EQ(source.find("Report"), std::string::npos);
}
