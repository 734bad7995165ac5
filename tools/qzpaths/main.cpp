// main.cpp - qzpaths: runs the library's own Initialize as an application would, and
// shows what it found. Here: the options, and every usage error as one line.
#include "Commands.h"
#include "registry/Registry.h"
#include "NativePath.h"
#include "Terminal.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iostream>

namespace {

using namespace qzpaths;

struct Settings {
    std::string name = "Ryndel";
    float version = 10.0f;
    int patch = 0;
    std::string executable;
    std::string email = "support@corvan-engineering.example";
    bool json = false;
    std::string colour = "auto";
};

void addApplicationOptions(CLI::App& app, Settings& settings)
{
    app.add_option("-n,--name", settings.name, "Application name passed to Initialize")->capture_default_str();
    app.add_option("--app-version", settings.version, "Application version")->capture_default_str();
    app.add_option("-p,--patch", settings.patch, "Patch level (0 for none)")->capture_default_str();
    app.add_option("-e,--exe", settings.executable,
                   "Executable name as the application was started (default: this program)");
    app.add_flag("--json", settings.json, "Print JSON for other tools to read");
    app.add_option("--color", settings.colour, "Colour: auto (on a terminal, unless NO_COLOR or TERM=dumb), always, never")
        ->capture_default_str();
}

// A usage error: one line on standard error, exit 2.
int usage(const std::string& message)
{
    std::cerr << "qzpaths: " << message << '\n';
    return Usage;
}

std::string choices(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i)
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return text;
}

// The subcommand that the words parsed so far chose, or the app itself.
const CLI::App* chosen(const CLI::App& app)
{
    for (const CLI::App* sub : app.get_subcommands())
        return sub;
    return &app;
}

std::string helpFor(const CLI::App& app, const CLI::App* sub)
{
    return sub == &app ? "see qzpaths --help" : "see qzpaths " + sub->get_name() + " --help";
}

// CLI11's own words, on one line, with where to read more.
int usageFromParser(const CLI::App& app, const CLI::ParseError& error)
{
    const CLI::App* sub = chosen(app);
    std::string what = error.what();
    for (char& c : what)
        if (c == '\n')
            c = ' ';
    if (dynamic_cast<const CLI::RequiredError*>(&error) && sub != &app) {
        const auto* positional = sub->get_option_no_throw(sub->get_name() == "config" ? "FILE"
                                                          : sub->get_name() == "sysvar" ? "NAME"
                                                                                        : "KEY");
        if (positional && positional->count() == 0)
            return usage(sub->get_name() + (sub->get_name() == "config" ? " needs a " : " needs at least one ") +
                         positional->get_name() + " (" +
                         helpFor(app, sub) + (sub->get_name() == "sysvar" || sub->get_name() == "config"
                                                  ? ")"
                                                  : "; qzpaths keys lists the keys)"));
    }
    // "--exe: 1 required TEXT missing", "Could not convert: --patch = x": said plainly.
    const std::string option = what.substr(0, what.find(':'));
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) && option.size() > 1 && option[0] == '-')
        return usage(option + " needs a value" + (option == "--color" ? ": auto, always or never" : "") + " (" +
                     helpFor(app, sub) + ")");
    const std::string convert = "Could not convert: ";
    const std::size_t equals = what.find(" = ");
    if (dynamic_cast<const CLI::ConversionError*>(&error) && what.compare(0, convert.size(), convert) == 0 &&
        equals != std::string::npos)
        return usage(what.substr(convert.size(), equals - convert.size()) + " takes a number, not '" +
                     what.substr(equals + 3) + "' (" + helpFor(app, sub) + ")");
    return usage(what + " (" + helpFor(app, sub) + ")");
}

// Words that no option or subcommand took: an unknown option or an unknown subcommand.
int usageFromExtras(const CLI::App& app, const std::vector<std::string>& extras,
                    const std::vector<std::string>& subcommands)
{
    const CLI::App* sub = chosen(app);
    const std::string& word = extras.front();
    if (word.size() > 1 && word[0] == '-') {
        std::string message = "unknown option " + word;
        if (word == "-v")
            message += " (-V is --version; --app-version has no short form)";
        return usage(message + " (" + helpFor(app, sub) + ")");
    }
    if (sub == &app)
        return usage("unknown subcommand " + word + "; choose one of " + choices(subcommands) + " (see qzpaths --help)");
    return usage("unexpected argument " + word + " for " + sub->get_name() + " (" + helpFor(app, sub) + ")");
}

// The library takes any existing name as the executable; an application could not have
// been started from a directory or a file that may not be run, so say so.
void warnAboutExecutable(const char* path)
{
    if (!path)
        return;
    std::error_code error;
    const auto status = std::filesystem::status(nativePath(path), error);
    if (error)
        return;
    using std::filesystem::perms;
    if (std::filesystem::is_directory(status))
        std::cerr << "qzpaths: warning: the executable " << path << " is a directory; the library takes it as it is\n";
    else if ((status.permissions() & (perms::owner_exec | perms::group_exec | perms::others_exec)) == perms::none)
        std::cerr << "qzpaths: warning: the executable " << path << " is not executable; the library takes it as it is\n";
}

} // namespace

namespace {

int run(int argc, char** argv)
{
    CLI::App app{"qzpaths: where the suite's applications find everything.\n"
                 "Without a subcommand: a summary of the record followed by the published paths."};
    app.set_version_flag("-V,--version", "qzpaths 10.0build60");
    Settings settings;
    addApplicationOptions(app, settings);
    // Options of the application may also follow the subcommand; subcommands take this
    // from the app when they are added. Words that nothing takes are reported below.
    app.fallthrough();
    app.allow_extras();

    auto* get = app.add_subcommand("get", "Print the values of published keys, one a line");
    std::vector<std::string> keys;
    bool shell = false;
    bool nul = false;
    get->add_option("KEY", keys, "Published keys")->required();
    get->add_flag("--shell", shell,
                  "POSIX-shell assignments for eval: QZ_ and the key upper-cased, every character outside\n"
                  "[A-Za-z0-9_] as _, = and the value in single quotes");
    get->add_flag("-0,--null", nul, "End each value with a NUL byte instead of a line end");
    auto* keysCommand = app.add_subcommand("keys", "List the published keys in table order");
    bool withValues = false;
    keysCommand->add_flag("--values", withValues, "Print key=value lines");
    auto* dump = app.add_subcommand("dump", "Print the library's own dump of the published table");
    auto* sysvar = app.add_subcommand("sysvar", "Print system variables and where each came from");
    std::vector<std::string> names;
    sysvar->add_option("NAME", names, "Variable names")->required();
    auto* config = app.add_subcommand("config", "Where a configuration file is found, and every place read");
    std::string file;
    config->add_option("FILE", file, "Configuration file name")->required();
    auto* check = app.add_subcommand(
        "check", "Probe every published location and show them as a tree below the home.\n"
                 "Fails (exit 1) when a required location is missing or cannot be reached; without\n"
                 "--require: qz_bindir, qz_tcl_common, tcl_bin, tcl_lib, tk_lib and utility_dir.\n"
                 "Colour on a terminal unless NO_COLOR is set or --color says otherwise.");
    CheckOptions checkOptions;
    check->add_option("--require", checkOptions.required, "Keys that must be present (instead of the built-in list)")
        ->delimiter(',');
    check->add_flag("--missing", checkOptions.missingOnly, "List only the locations that are not there");
    auto* explain = app.add_subcommand(
        "explain", "How the home was found, step by step, and which setting decided each entry that one can change");
    bool verbose = false;
    explain->add_flag("--verbose", verbose, "Every name that the executable search tested, each on its own line");
    std::string traceFile;
    std::optional<long> tracePid;
    explain->add_option("--from", traceFile,
                        "Show the start-ups recorded in a trace file (QZAPPINFO_TRACE=FILE) instead of starting up");
    explain->add_option("--pid", tracePid, "With --from: only the start-ups of this process");
    auto* registryCommand = app.add_subcommand(
        "registry", "The machine-wide settings below the base key: list, lint, set and unset them");
    registry::Request registryRequest;
    registryCommand->require_subcommand(1);
    auto* registryList = registryCommand->add_subcommand("list", "Every value below the base key and where it was set");
    registryList->add_flag("--all", registryRequest.all, "The values of its subkeys too");
    auto* registryLint = registryCommand->add_subcommand(
        "lint", "Every line of an export file that does not do what it seems to; exit 1 when one loses something");
    registryLint->add_option("FILE", registryRequest.file, "The export file (default: the stand-in in use)");
    auto* registrySet = registryCommand->add_subcommand("set", "Set a value in the stand-in file");
    registrySet->add_option("NAME", registryRequest.name, "The value's name; A\\B is the value B of the subkey A")
        ->required();
    registrySet->add_option("VALUE", registryRequest.value, "Its data")->required();
    registrySet->add_option("--type", registryRequest.type, "sz (default), expand_sz, multi_sz (items split by \\0) or dword");
    auto* registryUnset = registryCommand->add_subcommand("unset", "Remove a value from the stand-in file");
    registryUnset->add_option("NAME", registryRequest.name, "The value's name")->required();
    for (CLI::App* sub : {registryList, registrySet, registryUnset})
        sub->add_option("--file", registryRequest.file, "The stand-in file (default: CORVAN_REGISTRY, else /etc/corvan/registry.reg)");
    app.require_subcommand(0, 1);
    for (CLI::App* sub : app.get_subcommands({}))
        sub->allow_extras();

    std::vector<std::string> subcommands;
    for (const CLI::App* sub : app.get_subcommands({}))
        subcommands.push_back(sub->get_name());
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& done) {
        return app.exit(done); // help or version, on standard output
    } catch (const CLI::ParseError& error) {
        return usageFromParser(app, error);
    }
    std::vector<std::string> extras = app.remaining();
    for (const CLI::App* sub : app.get_subcommands())
        for (const std::string& word : sub->remaining())
            extras.push_back(word);
    if (!extras.empty())
        return usageFromExtras(app, extras, subcommands);

    const auto colour = colourChoiceNamed(settings.colour);
    if (!colour)
        return usage("--color takes auto, always or never, not '" + settings.colour + "'");
    if (app.count("--exe") && settings.executable.empty())
        return usage("--exe needs an executable name: a path, or a name looked for along PATH");
    if (shell + nul + settings.json > 1)
        return usage("get takes one of --shell, -0 and --json");

    if (*registryLint) {
        registryRequest.command = "lint";
        return registry::printLint(registryRequest, {settings.json, false, false});
    }
    if (explain->count("--pid") && !explain->count("--from"))
        return usage("--pid goes with --from FILE");
    if (explain->count("--from")) {
        const bool terminal = *colour == ColourChoice::Never ? false : stdoutIsColourTerminal();
        return printExplainFrom(traceFile, tracePid,
                                {settings.json, wantColour(*colour, terminal, std::getenv("NO_COLOR"), std::getenv("TERM")),
                                 verbose});
    }

    const std::string executable = app.count("--exe") ? settings.executable : std::string(argv[0]);
    QZApplicationInfo record;
    QZStartupReport report;
    // explain, sysvar and registry answer after a failed Initialize too.
    if (!report.Initialize(record, settings.name.c_str(), settings.version, settings.email.c_str(),
                           executable.c_str(), settings.patch, 2009, 2009) &&
        !*explain && !*sysvar && !*registryCommand) {
        std::cerr << "qzpaths: cannot initialize: " << report.Reason() << '\n'
                  << "qzpaths: run 'qzpaths explain' with the same options to see each step\n";
        return StartupFailed;
    }
    if (app.count("--exe"))
        warnAboutExecutable(record.GetExecutablePath());

    const bool terminal = *colour == ColourChoice::Never ? false : stdoutIsColourTerminal();
    const Output output{settings.json,
                        wantColour(*colour, terminal, std::getenv("NO_COLOR"), std::getenv("TERM")), verbose};
    if (*get)
        return printValues(record, keys,
                           shell   ? GetFormat::Shell
                           : nul   ? GetFormat::Nul
                           : settings.json ? GetFormat::Json
                                           : GetFormat::Lines);
    if (*keysCommand)
        return printKeys(report, withValues, output);
    if (*dump)
        return printDump(record);
    if (*sysvar)
        return printSysVar(record, report, names, output);
    if (*config)
        return printConfig(record, file, output);
    if (*check)
        return printCheck(record, report, checkOptions, output);
    if (*explain)
        return printExplain(report, output);
    if (*registryCommand) {
        if (!record.GetSystemBaseRegistryPath()) {
            std::cerr << "qzpaths: cannot initialize: " << report.Reason() << '\n';
            return StartupFailed;
        }
        const std::string baseKey = std::string("HKEY_LOCAL_MACHINE\\") + record.GetSystemBaseRegistryPath();
        registryRequest.command = *registryList ? "list" : *registrySet ? "set" : "unset";
        return *registryList ? registry::printList(registryRequest, baseKey, output)
                             : registry::editValue(registryRequest, baseKey, output);
    }
    return printSummary(record, report, output);
}

} // namespace

int main(int argc, char** argv)
{
    // The last resort: whatever goes wrong, the exit code stays one of those documented.
    try {
        return run(argc, argv);
    } catch (const std::exception& error) {
        std::cerr << "qzpaths: " << error.what() << '\n';
    } catch (...) {
        std::cerr << "qzpaths: unexpected failure\n";
    }
    return qzpaths::Usage;
}
