// qzpaths_cli_test.cpp - qzpaths in scripts, run as a user runs it: keys, get --shell and
// -0, check --require and --missing, missing versus unreachable, --color, usage errors
// and the bash completion.
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

using json = nlohmann::json;
namespace fs = std::filesystem;
using qztest::EnvGuard;
using qztest::TempTree;

namespace {

using qztest::slashed;

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string slurp(const std::string& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool isPosix() { return qztest::joinSeparator() == '/'; }

// The developer tree of qzpaths_test.cpp: every location that check requires, and an
// executable (that may be run) two levels below its top.
class QzpathsCliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        env.isolate();
        env.unset("NO_COLOR");
        const std::string arch = qztest::productArchitecture();
        for (const std::string& dir : std::vector<std::string>{"qzcommon/tcl", "qz/bin/" + arch, "utility/scripts",
                                      "third_party/tcl/tcl8.4.13/" + arch + "/bin",
                                      "third_party/tcl/tcl8.4.13/" + arch + "/lib/tcl8.4",
                                      "third_party/tcl/tcl8.4.13/" + arch + "/lib/tk8.4"})
            tree.mkdir("dev/" + dir);
        exe = tree.touch("dev/qz/bin/" + arch + "/ryndel.exe");
        fs::permissions(exe, fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                        fs::perm_options::add);
        home = slashed(tree.path("dev"));
    }

    qztest::ProcessResult run(std::vector<std::string> arguments, bool withExe = true)
    {
        if (withExe)
            arguments.insert(arguments.begin(), {"--exe", exe});
        return qztest::runProgram(QZ_QZPATHS, arguments, tree);
    }

    json runJson(std::vector<std::string> arguments, int expectedExit = 0)
    {
        arguments.emplace_back("--json");
        const auto result = run(arguments);
        EXPECT_EQ(result.exitCode, expectedExit) << result.err;
        return json::parse(result.out);
    }

    // Standard output byte for byte: no line-end translation undone.
    std::string runBytes(const std::vector<std::string>& arguments)
    {
        const std::string out = tree.path("raw-" + std::to_string(raws++) + ".out");
        std::string command = qztest::quoteArgument(QZ_QZPATHS) + " --exe " + qztest::quoteArgument(exe);
        for (const std::string& argument : arguments)
            command += " " + qztest::quoteArgument(argument);
        command += " > " + qztest::quoteArgument(out);
        EXPECT_EQ(qztest::exitCodeOf(std::system(qztest::commandLine(command).c_str())), 0) << command;
        return slurp(out);
    }

    std::string archPath(const std::string& relative) const
    {
        return home + "/" + relative + "/" + qztest::productArchitecture();
    }

    EnvGuard env;
    TempTree tree;
    std::string exe;
    std::string home;
    unsigned raws = 0;
};

} // namespace

TEST_F(QzpathsCliTest, KeysListTheTableInOrderEvenWhenValuesHoldLineEnds)
{
    // fl_scriptdir is QZFL_HOME + "/fltcl": a value with the dump's own " : " and a line end.
    const std::string odd = slashed(tree.path("fl")) + " : x\nqz_bindir : y";
    env.set("QZFL_HOME", odd);
    const auto keys = run({"keys"});
    ASSERT_EQ(keys.exitCode, 0) << keys.err;
    const std::vector<std::string> names = linesOf(keys.out);
    ASSERT_EQ(names.size(), 77u);
    EXPECT_EQ(names.front(), "qz_bindir");
    EXPECT_EQ(names.back(), "dvk_scriptdir");
    EXPECT_EQ(std::count(names.begin(), names.end(), "qz_bindir"), 1);

    const json list = runJson({"keys"});
    ASSERT_EQ(list.size(), 77u);
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_EQ(list[i], names[i]);

    // Read with the order of the text kept.
    const auto values = nlohmann::ordered_json::parse(run({"keys", "--values", "--json"}).out);
    ASSERT_EQ(values.size(), 77u);
    std::size_t i = 0;
    for (const auto& [key, value] : values.items())
        EXPECT_EQ(key, names[i++]);
    EXPECT_EQ(values["fl_scriptdir"], odd + "/fltcl");
    EXPECT_EQ(values["qz_bindir"], archPath("qz/bin"));

    const auto text = run({"keys", "--values"});
    EXPECT_NE(text.out.find("\nfl_scriptdir=" + odd + "/fltcl\n"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.compare(0, 10 + values["qz_bindir"].get<std::string>().size(),
                               "qz_bindir=" + values["qz_bindir"].get<std::string>()),
              0);
}

namespace {

// A value for QZFL_HOME, and get --shell's assignment of fl_scriptdir, written out by hand.
struct ShellCase {
    const char* name;
    std::string value;
    std::string assignment;
};

std::vector<ShellCase> shellCases()
{
    std::vector<ShellCase> cases = {
        {"plain", "/opt/fl", "QZ_FL_SCRIPTDIR='/opt/fl/fltcl'\n"},
        {"single quotes", "/opt/it's ''", "QZ_FL_SCRIPTDIR='/opt/it'\\''s '\\'''\\''/fltcl'\n"},
        {"expansions", "/opt/\"$(touch pwned)`touch pwned2`${HOME}\\", "QZ_FL_SCRIPTDIR='/opt/\"$(touch pwned)`touch pwned2`${HOME}\\/fltcl'\n"},
        {"line ends", "/opt/a\nb\n", "QZ_FL_SCRIPTDIR='/opt/a\nb\n/fltcl'\n"},
        {"glob and blanks", "/opt/* ?  [x] ~ #;|&", "QZ_FL_SCRIPTDIR='/opt/* ?  [x] ~ #;|&/fltcl'\n"},
    };
    // Bytes that are no UTF-8; the Windows code page maps 0xE9 and 0xFF to characters
    // and back.
    cases.push_back({"not UTF-8", "/opt/\xE9t\xFF", "QZ_FL_SCRIPTDIR='/opt/\xE9t\xFF/fltcl'\n"});
    return cases;
}

} // namespace

TEST_F(QzpathsCliTest, GetShellQuotesEveryByteSoThatEvalGivesTheValueBack)
{
    env.chdir(tree.root());
    for (const ShellCase& row : shellCases()) {
        SCOPED_TRACE(row.name);
        env.set("QZFL_HOME", row.value);
        const std::string out = runBytes({"get", "--shell", "fl_scriptdir", "qz_bindir"});
        EXPECT_EQ(out, row.assignment + "QZ_QZ_BINDIR='" + archPath("qz/bin") + "'\n");
        if (!isPosix())
            continue; // no POSIX shell under Wine: the text above is what a shell there reads
        // The shell reads the output back; printf writes each value without adding a byte.
        const std::string script = tree.touch("assign.sh", out);
        const auto evaluated = qztest::runProgram(
            "sh", {"-c", "eval \"$(cat \"$1\")\" && printf %s \"$QZ_FL_SCRIPTDIR\" > \"$2\"", "sh", script,
                   tree.path("value.bin")},
            tree);
        EXPECT_EQ(evaluated.exitCode, 0) << evaluated.err;
        EXPECT_EQ(slurp(tree.path("value.bin")), row.value + "/fltcl");
        EXPECT_FALSE(fs::exists(tree.root() / "pwned"));
        EXPECT_FALSE(fs::exists(tree.root() / "pwned2"));
    }
}

TEST_F(QzpathsCliTest, GetShellNamesVariablesByOneRule)
{
    const struct {
        const char* key;
        const char* variable;
    } rows[] = {{"qz_bindir", "QZ_QZ_BINDIR"}, {"TEMPLATES_DIR", "QZ_TEMPLATES_DIR"},
                {"ry40_translator", "QZ_RY40_TRANSLATOR"}, {"wish", "QZ_WISH"}};
    for (const auto& row : rows) {
        const auto result = run({"get", "--shell", row.key});
        EXPECT_EQ(result.exitCode, 0) << result.err;
        EXPECT_EQ(result.out.compare(0, std::string(row.variable).size() + 2, std::string(row.variable) + "='"), 0)
            << result.out;
    }
    // The same key twice is one variable assigned twice, not a collision.
    EXPECT_EQ(run({"get", "--shell", "wish", "wish"}).exitCode, 0);
    const auto unknown = run({"get", "--shell", "wish", "no_such_key"});
    EXPECT_EQ(unknown.exitCode, 1);
    EXPECT_EQ(unknown.out, "");
}

TEST_F(QzpathsCliTest, GetNulEndsEveryValueWithNulAndNothingElse)
{
    env.set("QZFL_HOME", "/opt/a\nb");
    const std::string out = runBytes({"get", "-0", "fl_scriptdir", "qz_bindir"});
    EXPECT_EQ(out, std::string("/opt/a\nb/fltcl") + '\0' + archPath("qz/bin") + '\0');
    EXPECT_EQ(runBytes({"get", "--null", "wish"}),
              home + "/third_party/tcl/tcl8.4.13/" + qztest::productArchitecture() + "/bin/wish84" + '\0');
}

TEST_F(QzpathsCliTest, GetJsonKeepsBytesThatAreNoUtf8)
{
    env.set("QZFL_HOME", "/opt/\xE9t\xFF");
    const json values = runJson({"get", "fl_scriptdir", "wish"});
    EXPECT_EQ(values["fl_scriptdir"]["bytes"], "2f6f70742f" "e974ff" "2f666c74636c");
    EXPECT_TRUE(values["wish"].is_string());
}

TEST_F(QzpathsCliTest, CheckRequireReplacesTheBuiltInListAndMissingListsOnlyWhatIsNotThere)
{
    fs::remove_all(tree.root() / "dev" / "third_party" / "tcl" / "tcl8.4.13" / qztest::productArchitecture() / "lib" /
                   "tk8.4");
    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        const char* says;
    } rows[] = {
        {{"check"}, 1, "required but missing: tk_lib\n"},
        {{"check", "--require", "tcl_lib"}, 0, " 0 unreachable\n"},
        {{"check", "--require", "tcl_lib", "qz_bindir"}, 0, " 0 unreachable\n"},
        {{"check", "--require", "tcl_lib,tk_lib"}, 1, "required but missing: tk_lib\n"},
        {{"check", "--require", "tcl_lib", "--require", "jre_path", "tk_lib"}, 1, "required but missing: tk_lib jre_path\n"},
        {{"check", "--missing", "--require", "tcl_lib"}, 0, "[missing]  tk_lib  "},
        {{"check", "--require", "no_such_key"}, 2, ""},
    };
    for (const auto& row : rows) {
        const auto result = run(row.arguments);
        SCOPED_TRACE(result.out + result.err);
        EXPECT_EQ(result.exitCode, row.exitCode);
        EXPECT_NE(result.out.find(row.says), std::string::npos);
    }

    const auto missing = run({"check", "--missing"});
    EXPECT_EQ(missing.out.find("[ok]"), std::string::npos) << missing.out;
    EXPECT_EQ(missing.out.find("|--"), std::string::npos) << "no tree";
    for (const std::string& line : linesOf(missing.out))
        if (!line.empty() && line.find(" locations: ") == std::string::npos) {
            EXPECT_TRUE(line.rfind("[missing]", 0) == 0 || line.rfind("[MISSING, required]", 0) == 0) << line;
        }

    const json all = runJson({"check"}, 1);
    const json only = runJson({"check", "--missing"}, 1);
    EXPECT_EQ(only["missing"], all["missing"]);
    EXPECT_EQ(only["locations"].size(), all["missing"].get<std::size_t>());
    for (const auto& location : only["locations"]) {
        EXPECT_EQ(location["state"], "missing");
        EXPECT_EQ(location["exists"], false);
    }
    const json required = runJson({"check", "--require", "jre_path"}, 1);
    EXPECT_EQ(required["requiredMissing"], json::array({"jre_path"}));

    const auto unknown = run({"check", "--require", "no_such_key"});
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(std::count(unknown.err.begin(), unknown.err.end(), '\n'), 1);
    EXPECT_EQ(unknown.err.rfind("qzpaths: ", 0), 0u) << unknown.err;
}

TEST_F(QzpathsCliTest, CheckNamesTheFirstComponentThatIsMissingOrNoDirectory)
{
    // utility becomes a file: everything below it names a "directory" that is a file.
    fs::remove_all(tree.root() / "dev" / "utility");
    tree.touch("dev/utility");
    fs::remove_all(tree.root() / "dev" / "third_party");
    const json report = runJson({"check"}, 1);
    std::map<std::string, json> byKey;
    for (const auto& location : report["locations"])
        byKey[location["key"]] = location;
    EXPECT_EQ(byKey["tcl_lib"]["state"], "missing");
    EXPECT_EQ(byKey["tcl_lib"]["at"], home + "/third_party");
    EXPECT_EQ(byKey["tcl_lib"]["reason"], "does not exist");
    EXPECT_EQ(byKey["utility_dir"]["state"], "ok") << "a file is there";
    EXPECT_EQ(byKey["stylesheet"]["state"], "missing");
    EXPECT_EQ(byKey["stylesheet"]["at"], home + "/utility");
    EXPECT_EQ(byKey["stylesheet"]["reason"], "is not a directory");
    EXPECT_EQ(byKey["qz_bindir"]["at"], nullptr);
    EXPECT_EQ(report["homeProbe"]["state"], "ok");

    // The text says the same.
    const auto text = run({"check"});
    EXPECT_NE(text.out.find("tcl8.4  [MISSING, required]  tcl_lib  (" + home + "/third_party does not exist)"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("  stylesheet  (" + home + "/utility is not a directory)"), std::string::npos);
    EXPECT_EQ(text.out.find("WARNING"), std::string::npos);
}

TEST_F(QzpathsCliTest, CheckFlagsAHomeThatDoesNotExistAtTheTop)
{
    env.set("CORVAN_HOME", tree.path("gone") + qztest::joinSeparator() + "suite");
    const auto text = run({"check"});
    EXPECT_EQ(text.exitCode, 1);
    const std::string gone = slashed(tree.path("gone"));
    EXPECT_EQ(linesOf(text.out).at(0),
              "WARNING: the home " + gone + "/suite is missing (" + gone + " does not exist)");
    const json report = runJson({"check"}, 1);
    EXPECT_EQ(report["homeProbe"]["state"], "missing");
    EXPECT_EQ(report["homeProbe"]["at"], gone);
    EXPECT_EQ(report["present"].get<int>() + report["missing"].get<int>() + report["unreachable"].get<int>(),
              static_cast<int>(report["locations"].size()));
}

TEST_F(QzpathsCliTest, CheckTellsAnUnreachableLocationFromAMissingOne)
{
    if (!isPosix())
        GTEST_SKIP() << "Windows denies access by access lists, which Wine does not apply";
    // Root reads anything: qzpaths then runs as nobody, dropped to in a child by setpriv.
    const std::optional<qztest::Command> nobody = qztest::unprivileged(QZ_QZPATHS, tree);
    if (!nobody)
        GTEST_SKIP() << "running as root and no setpriv to drop to an unprivileged user";
    env.chdir(tree.root());
    fs::permissions(tree.root(), fs::perms::all, fs::perm_options::add);
    const fs::path tcl = tree.root() / "dev" / "third_party" / "tcl";
    const fs::path utility = tree.root() / "dev" / "utility";
    fs::permissions(tcl, fs::perms::none);
    fs::permissions(utility, fs::perms::owner_all);
    auto check = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), {"--exe", exe});
        arguments.insert(arguments.begin(), nobody->arguments.begin(), nobody->arguments.end());
        return qztest::runProgram(nobody->program, arguments, tree);
    };
    const auto text = check({"check"});
    const auto report = check({"check", "--json"});
    const auto missing = check({"check", "--missing"});
    fs::permissions(tcl, fs::perms::owner_all);
    fs::permissions(utility, fs::perms::all);

    EXPECT_EQ(text.exitCode, 1) << text.err;
    const json parsed = json::parse(report.out);
    std::map<std::string, json> byKey;
    for (const auto& location : parsed["locations"])
        byKey[location["key"]] = location;
    for (const char* key : {"tcl_lib", "tk_lib", "tcl_bin"}) {
        EXPECT_EQ(byKey[key]["state"], "unreachable") << key;
        EXPECT_EQ(byKey[key]["at"], slashed(tcl.string())) << key;
        EXPECT_EQ(byKey[key]["reason"], "permission denied") << key;
        EXPECT_EQ(byKey[key]["exists"], false) << key;
    }
    EXPECT_EQ(byKey["utility_dir"]["state"], "unreachable") << "a directory that cannot be read";
    EXPECT_EQ(byKey["utility_dir"]["at"], home + "/utility");
    EXPECT_EQ(byKey["qz_bindir"]["state"], "ok");
    EXPECT_EQ(byKey["jre_path"]["state"], "missing");
    EXPECT_EQ(parsed["requiredUnreachable"], json::array({"tcl_bin", "tcl_lib", "tk_lib", "utility_dir"}));
    EXPECT_EQ(parsed["requiredMissing"], json::array());
    EXPECT_NE(text.out.find("tcl8.4  [UNREACHABLE, required]  tcl_lib  (permission denied: " + slashed(tcl.string()) +
                            ")"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("; required but unreachable: tcl_bin tcl_lib tk_lib utility_dir\n"), std::string::npos);
    EXPECT_NE(missing.out.find("[UNREACHABLE, required]  utility_dir  " + home + "/utility  (permission denied: "),
              std::string::npos)
        << missing.out;
}

TEST_F(QzpathsCliTest, ColourFollowsTheChoiceThenNoColorThenTerm)
{
    const struct {
        const char* color;      // --color, or null for none
        const char* noColor;    // NO_COLOR, or null for unset
        const char* term;       // TERM, or null for unset
        bool onTerminal;
        bool coloured;
    } rows[] = {
        {nullptr, nullptr, "xterm", false, false}, {"always", nullptr, nullptr, false, true},
        {"always", "1", "dumb", false, true},      {"never", nullptr, "xterm", false, false},
        {"auto", nullptr, "xterm", false, false},  {nullptr, nullptr, "xterm", true, true},
        {nullptr, "1", "xterm", true, false},      {nullptr, "", "xterm", true, true},
        {"auto", nullptr, "dumb", true, false},    {"always", "1", "dumb", true, true},
        {"never", nullptr, "xterm", true, false},  {nullptr, "0", "xterm", true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.color ? row.color : "-") + " NO_COLOR=" + (row.noColor ? row.noColor : "unset") +
                     " TERM=" + (row.term ? row.term : "unset") + (row.onTerminal ? " terminal" : " pipe"));
        if (row.onTerminal && !isPosix())
            continue; // no pseudo-terminal here
        if (row.noColor && !*row.noColor && !qztest::canHoldEmptyVariables())
            continue;
        row.noColor ? env.set("NO_COLOR", row.noColor) : env.unset("NO_COLOR");
        row.term ? env.set("TERM", row.term) : env.unset("TERM");
        std::vector<std::string> arguments = {"--exe", exe, "check"};
        if (row.color)
            arguments.push_back(std::string("--color=") + row.color);
        qztest::ProcessResult result;
        if (row.onTerminal) {
            // script(1) runs the command on a pseudo-terminal.
            std::string command = qztest::quoteArgument(QZ_QZPATHS);
            for (const std::string& argument : arguments)
                command += " " + qztest::quoteArgument(argument);
            result = qztest::runProgram("script", {"-qec", command, "/dev/null"}, tree);
        } else {
            result = qztest::runProgram(QZ_QZPATHS, arguments, tree);
        }
        EXPECT_EQ(result.out.find("\033[32m[ok]\033[0m") != std::string::npos, row.coloured) << result.out;
        EXPECT_NE(result.out.find("[ok]"), std::string::npos);
        if (!row.coloured) {
            EXPECT_EQ(result.out.find('\033'), std::string::npos);
        }
    }
}

TEST_F(QzpathsCliTest, EveryUsageErrorIsOneLineThatNamesTheChoices)
{
    const struct {
        std::vector<std::string> arguments;
        std::vector<const char*> says;
    } rows[] = {
        {{"frobnicate"}, {"unknown subcommand frobnicate", "get, keys, dump", "check", "explain", "config"}},
        {{"--bogus"}, {"unknown option --bogus", "--help"}},
        {{"check", "--bogus"}, {"unknown option --bogus", "qzpaths check --help"}},
        {{"-v", "3"}, {"unknown option -v", "--help"}},
        {{"get"}, {"get needs at least one KEY", "qzpaths keys"}},
        {{"config"}, {"config needs a FILE"}},
        {{"dump", "extra"}, {"unexpected argument extra", "dump"}},
        {{"--color=sometimes", "check"}, {"--color", "auto, always or never", "sometimes"}},
        {{"check", "--color"}, {"--color", "auto, always or never"}},
        {{"get", "--shell", "-0", "wish"}, {"--shell", "-0", "--json"}},
        {{"get", "--shell", "--json", "wish"}, {"--shell", "-0", "--json"}},
        {{"--app-version", "ten"}, {"--app-version", "ten", "number"}},
        {{"--patch"}, {"--patch needs a value"}},
        {{"check", "--require", "no_such_key"}, {"unknown key: no_such_key", "qzpaths keys"}},
    };
    for (const auto& row : rows) {
        const auto result = run(row.arguments);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
        EXPECT_EQ(result.err.rfind("qzpaths: ", 0), 0u);
        for (const char* fragment : row.says)
            EXPECT_NE(result.err.find(fragment), std::string::npos) << fragment;
    }

    for (const char* flag : {"-V", "--version"}) {
        const auto version = run({flag}, false);
        EXPECT_EQ(version.exitCode, 0);
        EXPECT_EQ(version.out, "qzpaths 10.0build60\n");
    }
    const auto help = run({"--help"}, false);
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out.find("-v,"), std::string::npos) << "no -v beside -V";
}

TEST_F(QzpathsCliTest, ExeMustNameSomethingAndOddNamesAreAcceptedWithAWarning)
{
    const auto empty = run({"--exe", "", "get", "wish"}, false);
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "qzpaths: --exe needs an executable name: a path, or a name looked for along PATH\n");

    const std::string directory = tree.path("dev/qz/bin/" + qztest::productArchitecture());
    const std::string plain = tree.touch("dev/qz/bin/" + qztest::productArchitecture() + "/notes");
    const struct {
        std::string exe;
        const char* says;
    } rows[] = {{directory, "is a directory"}, {plain, "is not executable"}, {exe, nullptr}};
    for (const auto& row : rows) {
        const auto result = run({"--exe", row.exe, "get", "qz_bindir"}, false);
        SCOPED_TRACE(row.exe + ": " + result.err);
        EXPECT_EQ(result.exitCode, 0);
        EXPECT_FALSE(result.out.empty());
        if (!row.says) {
            EXPECT_EQ(result.err, "");
            continue;
        }
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1);
        EXPECT_EQ(result.err.rfind("qzpaths: warning: ", 0), 0u);
        EXPECT_NE(result.err.find(row.says), std::string::npos);
    }
}

TEST_F(QzpathsCliTest, BashCompletionCompletesSubcommandsOptionsAndKeys)
{
    const std::string bashCompletion = "/usr/share/bash-completion/bash_completion";
    if (!isPosix() || !fs::exists(bashCompletion))
        GTEST_SKIP() << "needs bash with bash-completion (" << bashCompletion << ")";
    // As bash calls it after a Tab: the words, the index of the word being completed.
    const std::string driver = tree.touch("complete.sh", "source " + bashCompletion + "\n" +
                                                             "source " QZ_COMPLETION_SCRIPT "\n"
                                                             "COMP_WORDS=(\"$@\")\n"
                                                             "COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
                                                             "COMP_LINE=\"${COMP_WORDS[*]}\"\n"
                                                             "COMP_POINT=${#COMP_LINE}\n"
                                                             "complete -p qzpaths >/dev/null || exit 3\n"
                                                             "_qzpaths\n"
                                                             "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
    const std::string q = QZ_QZPATHS;
    // A value in the stand-in file: set and sysvar complete its name.
    env.set("CORVAN_REGISTRY", tree.touch("registry.reg", "REGEDIT4\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvan "
                                                          "Engineering, Inc.\\Quazen\\10.0build60]\n"
                                                          "\"QZ_COMPLETION_VALUE\"=\"1\"\n"));
    const struct {
        std::vector<std::string> words;
        std::vector<std::string> reply;
    } rows[] = {
        {{q, ""}, {"get", "keys", "dump", "check", "explain", "sysvar", "config", "registry"}},
        {{q, "registry", ""}, {"list", "lint", "set", "unset"}},
        {{q, "registry", "set", "--t"}, {"--type"}},
        {{q, "registry", "set", "--type", "m"}, {"multi_sz"}},
        {{q, "registry", "list", "--a"}, {"--all", "--app-version"}},
        {{q, "registry", "unset", "QZ_COMPLETION_"}, {"QZ_COMPLETION_VALUE"}},
        {{q, "sysvar", "QZ_COMPLETION_"}, {"QZ_COMPLETION_VALUE"}},
        {{q, "ch"}, {"check"}},
        {{q, "--exe", exe, "ch"}, {"check"}},
        {{q, "get", "tcl_"}, {"tcl_bin", "tcl_lib"}},
        {{q, "get", "tcl_lib", "TEMPL"}, {"TEMPLATES_DIR"}},
        {{q, "get", "--s"}, {"--shell"}},
        {{q, "--color", ""}, {"auto", "always", "never"}},
        {{q, "--color=al"}, {"always"}},
        {{q, "check", "--require", "tk"}, {"tk_lib"}},
        {{q, "check", "--require", "tk_lib", "utility_"}, {"utility_dir"}},
        {{q, "check", "--mi"}, {"--missing"}},
        {{q, "check", "ut"}, {}},
        {{q, "keys", "--v"}, {"--values", "--version"}},
        {{q, "--na"}, {"--name"}},
        {{q, "--name", ""}, {}},
    };
    for (const auto& row : rows) {
        std::vector<std::string> arguments = {driver};
        arguments.insert(arguments.end(), row.words.begin(), row.words.end());
        const auto result = qztest::runProgram("bash", arguments, tree);
        std::string words;
        for (const std::string& word : row.words)
            words += "[" + word + "]";
        SCOPED_TRACE(words + " " + result.err);
        EXPECT_EQ(result.exitCode, 0);
        std::vector<std::string> reply = linesOf(result.out);
        reply.erase(std::remove(reply.begin(), reply.end(), ""), reply.end());
        std::vector<std::string> expected = row.reply;
        std::sort(reply.begin(), reply.end());
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(reply, expected);
    }
}
