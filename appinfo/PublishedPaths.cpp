// PublishedPaths.cpp - the published catalogue of well-known keys; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "platform/Platform.h"
#include "appinfo/Trace.h"

#include <cstring>
#include <iterator>
#include <string>
#include <string_view>

namespace {

constexpr unsigned int kSysVarSize = 1024;

// Where one piece of a published value comes from.
enum class From {
    Nothing,       // an unused slot of a row
    Text,          // the literal text
    Internal,      // the internal table's value of the key
    Published,     // the value of an earlier row of this table
    Home,          // the installation home
    Architecture,  // the product architecture
    HelpRoot,      // QZ_MSG_HELP, else the home's help folder
    TemplatesRoot, // the templates of the application's own kind
};

struct Piece {
    From from = From::Nothing;
    const char* text = nullptr;
};

constexpr Piece text(const char* literal) { return {From::Text, literal}; }
constexpr Piece in(const char* key) { return {From::Internal, key}; }
constexpr Piece published(const char* key) { return {From::Published, key}; }
constexpr Piece home{From::Home, nullptr};
constexpr Piece architecture{From::Architecture, nullptr};
constexpr Piece helpRoot{From::HelpRoot, nullptr};
constexpr Piece templatesRoot{From::TemplatesRoot, nullptr};

// Applications of these names use the front end's templates; all others the plot templates.
constexpr const char* kFrontEndTemplateUsers[] = {"Ryndel", "Obrenn"};

struct Row {
    const char* key;
    Piece pieces[5];
    // An environment variable whose text, when it has one, is the whole value instead,
    // and the entries whose values therefore follow it.
    const char* override = nullptr;
    const char* decides[4] = {};
};

// The published keys in the order in which they are stored; each value is its pieces joined.
constexpr Row kRows[] = {
    {"qz_bindir", {in("qz_bindir")}},
    {"qz_tstdir", {in("qz_tstdir")}},
    {"qz_launchdir", {in("qz_launchdir")}},
    {"qz_launch", {in("qz_bin")}},
    {"qz_help_dir", {helpRoot, text("/")}},
    {"stylesheet", {in("stdutil_rootdir"), text("/scripts/stylesheets.tcl")}},
    {"QUARNEL_DIR", {in("qz_launchdir")}},
    {"quarnel_launch", {in("quarnel_launch")}},
    {"qz_tcl_common", {in("tclcode_rootdir")}},
    {"tcl_bin", {in("tcl_bindir")}},
    {"tcl_lib", {in("tcl_libdir")}},
    {"tk_lib", {in("tk_libdir")}},
    {"wish", {in("wish_launch")}},
    {"tclsh", {in("tclsh_launch")}},
    {"tclsh_fullpath", {in("tclshfullpath_launch")}},
    {"jre_path", {in("qz_rootdir"), text("/jre/"), architecture, text("/jre")}},
    {"POSTSCRIPT_TEMPLATE", {in("fwps_rootdir")}},
    {"utility_dir", {in("stdutil_rootdir")}},
    {"userhome_dir", {in("userhome_refdir")}},
    {"ry", {in("fe_bin")}},
    {"ry_launch", {in("fe_launch")}},
    {"RYBIN_DIR", {in("fe_bindir")}},
    {"ry_module", {in("fe_rtl")}},
    {"ry_mac", {in("fe_bindir")}},
    {"spanlet", {in("fe_launchdir"), text("/spanlet"), in("exe_extension_ref")}},
    {"ry_scripts_dir", {in("fe_rootdir"), text("/scripts")}},
    {"ry_user_profiles", {published("ry_scripts_dir"), text("/UserProfiles")}},
    {"ry_feinput_readers", {in("io_rootdir"), text("/model_readers/feinput"), in("qz_binpath_ref")}},
    {"ry_converters", {in("io_rootdir"), text("/model_readers/convert"), in("qz_binpath_ref")}},
    {"ry_dll_readers", {in("io_rootdir"), text("/cfc_readers"), in("qz_binpath_ref")}},
    {"ry40_translator", {published("ry_dll_readers")}},
    {"rytemplates_rootdir", {in("rytemplates_rootdir")}},
    {"TEMPLATES_DIR", {templatesRoot}},
    {"rytranslators_bindir", {in("io_rootdir"), text("/translators"), in("qz_binpath_ref")}},
    {"nastran_to_abaqus_converter", {in("fe_launchdir")}},
    {"TRANSLATORS_DIR", {published("rytranslators_bindir")}},
    {"fbvln_rootdir", {published("ry_user_profiles"), text("/Fabrivale")}},
    {"lu", {in("qz_launchdir"), text("/qz"), in("exe_extension_ref")}},
    {"PREFERENCES_QZ", {in("qz_rootdir"), text("/preferences.dnw")}},
    {"PREFERENCES_QUARNEL", {published("PREFERENCES_QZ")}},
    {"LU_SCRIPTS", {in("lu_scriptsdir")}},
    {"qz_readers", {in("io_rootdir"), text("/result_readers"), in("qz_binpath_ref")}},
    {"qz_model_readers", {in("io_rootdir"), text("/model_readers/qz"), in("qz_binpath_ref")}},
    {"corvan_odb_dir", {published("qz_readers"), text("/abaqus_odb_lib/")}},
    {"EXTERNALFUNCS_DIR", {in("io_rootdir"), text("/ipc_functions"), in("qz_binpath_ref")}},
    {"EXTERNALREADERS_DIR", {in("io_rootdir"), text("/cbf_readers"), in("qz_binpath_ref")}},
    {"EXTERNALWRITERS_DIR", {in("io_rootdir"), text("/data_writers"), in("qz_binpath_ref")}},
    {"dn_solver_writers", {in("qz_bindir")}},
    {"dn_readers", {in("qz_bindir")}},
    {"VDL_DEFINITIONS_DIR", {in("vdldef_rootdir")}},
    {"export_templates_dir", {in("plttemplates_rootdir"), text("/export")}},
    {"plttemplates_rootdir", {in("plttemplates_rootdir")}},
    {"standard_statistics_template", {in("plttemplates_rootdir"), text("/stats/stats.tpl")}},
    {"jvd_bindir", {in("qz_bindir")}},
    {"jvd_launchdir", {in("qz_launchdir")}},
    {"jvd_launch", {in("qz_launchdir"), text("/jvd"), in("exe_extension_ref")}},
    {"jvd_rtl",
     {in("qz_bindir"), text("/"), in("runtimelib_prefix_ref"), text("qzjvd10"), in("runtimelib_extension_ref")}},
    {"jvdproxy_rtl",
     {in("qz_libdir"), text("/"), in("runtimelib_prefix_ref"), text("trialproxy"), in("runtimelib_extension_ref")}},
    {"PREFERENCES_JVD", {in("qz_rootdir"), text("/preferences_jvd.dnw")}},
    {"PREFERENCES_JVDDLL", {in("qz_rootdir"), text("/preferences_jvddll.dnw")}},
    {"DOE_DESIGNS_DIR", {in("doetemplates_rootdir"), text("/doe_designs")}},
    {"ob_launch", {in("ob_launch")}},
    {"ug_launch", {in("ug_launch")}},
    {"vize_launch", {in("vize_launch")}},
    {"kr_launch", {in("kr_launch")}},
    {"zel_bindir", {in("zel_bindir")}},
    {"zel_launchdir", {in("zel_launchdir")}},
    {"zel_launch", {in("zel_launch")}},
    {"brevik_bindir", {in("brevik_bindir")}},
    {"brevik_launchdir", {in("brevik_launchdir")}},
    {"brevik_launch", {in("brevik_launch")}},
    {"fl_rootdir",
     {home, text("/javaapps/"), architecture, text("/flgr")},
     "QZFL_HOME",
     {"fl_rootdir", "fl_scriptdir", "qz_fl_dir", "qz_fli_dir"}},
    {"fl_scriptdir", {published("fl_rootdir"), text("/fltcl")}},
    {"qz_fl_dir", {published("fl_rootdir")}},
    {"qz_fli_dir", {published("fl_scriptdir")}},
    {"dvk_rootdir", {home, text("/javaapps/"), architecture, text("/dvk")}, "DVK_HOME", {"dvk_rootdir", "dvk_scriptdir"}},
    {"dvk_scriptdir", {published("dvk_rootdir"), text("/tcl")}},
};

constexpr bool sameText(const char* a, const char* b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

// A row may only build on rows stored before it, so that no value is ever missing.
constexpr bool publishedPiecesComeFirst()
{
    for (std::size_t row = 0; row < std::size(kRows); ++row)
        for (const Piece& piece : kRows[row].pieces) {
            if (piece.from != From::Published)
                continue;
            bool earlier = false;
            for (std::size_t before = 0; before < row; ++before)
                earlier = earlier || sameText(kRows[before].key, piece.text);
            if (!earlier)
                return false;
        }
    return true;
}
static_assert(publishedPiecesComeFirst(), "a published piece names a later or unknown row");

} // namespace

// The required internal keys are exactly those that the rows read.
bool QZApplicationInfo::_HasRequiredInternalPaths() const
{
    auto present = [this](const char* key) { return _internalPaths.GetPath(key) != nullptr; };
    for (const Row& row : kRows)
        for (const Piece& piece : row.pieces) {
            if (piece.from == From::Internal && !present(piece.text))
                return false;
            if (piece.from == From::TemplatesRoot &&
                !(present("rytemplates_rootdir") && present("plttemplates_rootdir")))
                return false;
        }
    return true;
}

void QZApplicationInfo::_SetupPublishedPaths()
{
    // Nothing is published unless every value can be built whole.
    if (!_corvanHome || !_productArchitecture || !_applicationName || !_HasRequiredInternalPaths())
        return;

    using Origin = qz::trace::DecisionOrigin;
    qz::Trace* const trace = qz::watcherOf(_trace.attached);
    char helpValue[kSysVarSize] = "";
    const qz::trace::Source helpSource = _LookUpSysVar("QZ_MSG_HELP", helpValue, sizeof helpValue, trace);
    const std::string help = *helpValue ? helpValue : std::string(_corvanHome) + "/help";
    if (trace)
        trace->decision("qz_help_dir", "QZ_MSG_HELP",
                        helpSource == qz::trace::Source::Environment ? Origin::Environment
                        : helpSource == qz::trace::Source::Registry  ? Origin::Registry
                                                                     : Origin::Default);

    const char* templatesKey = "plttemplates_rootdir";
    for (const char* name : kFrontEndTemplateUsers)
        if (std::strcmp(_applicationName, name) == 0)
            templatesKey = "rytemplates_rootdir";
    if (trace)
        trace->decision("TEMPLATES_DIR", "application name", Origin::ApplicationName);

    auto pieceText = [&](const Piece& piece) -> std::string_view {
        switch (piece.from) {
        case From::Nothing:
            return {};
        case From::Text:
            return piece.text;
        case From::Internal:
            return _internalPaths.GetPath(piece.text);
        case From::Published:
            return _publishedPaths.GetPath(piece.text);
        case From::Home:
            return _corvanHome;
        case From::Architecture:
            return _productArchitecture;
        case From::HelpRoot:
            return help;
        case From::TemplatesRoot:
            return _internalPaths.GetPath(templatesKey);
        }
        return {};
    };

    std::string value; // one buffer for every row's value
    for (const Row& row : kRows) {
        // A variable that is set but empty names no folder and counts as unset.
        if (row.override) {
            const auto setting = qz::platform::environment(row.override);
            const bool overridden = setting && !setting->empty();
            for (const char* key : row.decides)
                if (key && trace)
                    trace->decision(key, row.override, overridden ? Origin::Environment : Origin::Default);
            if (overridden) {
                _publishedPaths.Append(row.key, setting->c_str());
                continue;
            }
        }
        value.clear();
        for (const Piece& piece : row.pieces)
            value += pieceText(piece);
        _publishedPaths.Append(row.key, value.c_str());
    }
}
