// main.cpp - qzpaths: runs the library's own Initialize as an application would, and
// shows what it found.
#include "Report.h"
#include "Terminal.h"

#include <CLI/CLI.hpp>

#include <cstdlib>
#include <exception>
#include <iostream>

namespace {

struct Settings {
    std::string name = "Ryndel";
    float version = 10.0f;
    int patch = 0;
    std::string executable;
    std::string email = "support@corvan-engineering.example";
    bool json = false;
};

void addApplicationOptions(CLI::App& app, Settings& settings)
{
    app.add_option("-n,--name", settings.name, "Application name passed to Initialize")->capture_default_str();
    app.add_option("-v,--app-version", settings.version, "Application version")->capture_default_str();
    app.add_option("-p,--patch", settings.patch, "Patch level (0 for none)")->capture_default_str();
    app.add_option("-e,--exe", settings.executable,
                   "Executable name as the application was started (default: this program)");
    app.add_flag("--json", settings.json, "Print JSON for other tools to read");
}

} // namespace

namespace {

int run(int argc, char** argv)
{
    using namespace qzpaths;
    CLI::App app{"qzpaths: where the suite's applications find everything.\n"
                 "Without a subcommand: a summary of the record followed by the published paths."};
    app.set_version_flag("--version", "qzpaths 10.0build60");
    Settings settings;
    addApplicationOptions(app, settings);
    // Options of the application may also follow the subcommand; subcommands take this
    // from the app when they are added.
    app.fallthrough();

    auto* get = app.add_subcommand("get", "Print the values of published keys, one a line");
    std::vector<std::string> keys;
    get->add_option("KEY", keys, "Published keys")->required();
    auto* dump = app.add_subcommand("dump", "Print the library's own dump of the published table");
    auto* sysvar = app.add_subcommand("sysvar", "Print system variables and where each came from");
    std::vector<std::string> names;
    sysvar->add_option("NAME", names, "Variable names")->required();
    auto* config = app.add_subcommand("config", "Where a configuration file is found, and every place read");
    std::string file;
    config->add_option("FILE", file, "Configuration file name")->required();
    auto* check = app.add_subcommand(
        "check", "Probe every published location and show them as a tree below the home.\n"
                 "Fails (exit 1) when one of the locations an installation cannot work without is\n"
                 "missing: qz_bindir, qz_tcl_common, tcl_bin, tcl_lib, tk_lib and utility_dir.\n"
                 "Colour on a terminal unless NO_COLOR is set.");
    auto* explain = app.add_subcommand(
        "explain", "How the home was found, step by step, and which setting decided each entry that one can change");
    app.require_subcommand(0, 1);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        const int code = app.exit(error);
        return code == 0 ? Success : UsageOrInitialize;
    }

    const std::string executable = settings.executable.empty() ? std::string(argv[0]) : settings.executable;
    Record record;
    QZStartupReport report;
    // explain and sysvar answer after a failed Initialize too.
    if (!report.Initialize(record, settings.name.c_str(), settings.version, settings.email.c_str(),
                           executable.c_str(), settings.patch, 2009, 2009) &&
        !*explain && !*sysvar) {
        std::cerr << "qzpaths: cannot initialize: " << initializeFailure(report, record, executable) << '\n'
                  << "qzpaths: run 'qzpaths explain' with the same options to see each step\n";
        return UsageOrInitialize;
    }

    const Output output{settings.json, stdoutIsColourTerminal() && !std::getenv("NO_COLOR")};
    if (*get)
        return printGet(record, keys, output);
    if (*dump)
        return printDump(record);
    if (*sysvar)
        return printSysVar(record, report, names, executable, output);
    if (*config)
        return printConfig(record, file, output);
    if (*check)
        return printCheck(record, output);
    if (*explain)
        return printExplain(record, report, executable, output);
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
    return qzpaths::UsageOrInitialize;
}
