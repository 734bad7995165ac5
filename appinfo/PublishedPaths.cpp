// PublishedPaths.cpp - the published catalogue of well-known keys; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "appinfo/InternalKeys.h"
#include "appinfo/Text.h"
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

using K = qz::InternalKey;

struct Piece {
    From from = From::Nothing;
    const char* text = nullptr; // the literal, or the key of an earlier row
    K internal = K::runtimelib_extension_ref;
};

constexpr Piece text(const char* literal) { return {From::Text, literal}; }
constexpr Piece in(K key) { return {From::Internal, nullptr, key}; }
constexpr Piece published(const char* key) { return {From::Published, key}; }
constexpr Piece home{From::Home};
constexpr Piece architecture{From::Architecture};
constexpr Piece helpRoot{From::HelpRoot};
constexpr Piece templatesRoot{From::TemplatesRoot};

// Applications of these names use the front end's templates; all others the plot templates.
constexpr const char* kFrontEndTemplateUsers[] = {"Ryndel", "Obrenn"};

struct Row {
    std::string_view key;
    Piece pieces[5];
    // An environment variable whose text, when it has one, is the whole value instead,
    // and the entries whose values therefore follow it.
    const char* override = nullptr;
    const char* decides[4] = {};
};

// The published keys in the order in which they are stored; each value is its pieces joined.
constexpr Row kRows[] = {
    {"qz_bindir", {in(K::qz_bindir)}},
    {"qz_tstdir", {in(K::qz_tstdir)}},
    {"qz_launchdir", {in(K::qz_launchdir)}},
    {"qz_launch", {in(K::qz_bin)}},
    {"qz_help_dir", {helpRoot, text("/")}},
    {"stylesheet", {in(K::stdutil_rootdir), text("/scripts/stylesheets.tcl")}},
    {"QUARNEL_DIR", {in(K::qz_launchdir)}},
    {"quarnel_launch", {in(K::quarnel_launch)}},
    {"qz_tcl_common", {in(K::tclcode_rootdir)}},
    {"tcl_bin", {in(K::tcl_bindir)}},
    {"tcl_lib", {in(K::tcl_libdir)}},
    {"tk_lib", {in(K::tk_libdir)}},
    {"wish", {in(K::wish_launch)}},
    {"tclsh", {in(K::tclsh_launch)}},
    {"tclsh_fullpath", {in(K::tclshfullpath_launch)}},
    {"jre_path", {in(K::qz_rootdir), text("/jre/"), architecture, text("/jre")}},
    {"POSTSCRIPT_TEMPLATE", {in(K::fwps_rootdir)}},
    {"utility_dir", {in(K::stdutil_rootdir)}},
    {"userhome_dir", {in(K::userhome_refdir)}},
    {"ry", {in(K::fe_bin)}},
    {"ry_launch", {in(K::fe_launch)}},
    {"RYBIN_DIR", {in(K::fe_bindir)}},
    {"ry_module", {in(K::fe_rtl)}},
    {"ry_mac", {in(K::fe_bindir)}},
    {"spanlet", {in(K::fe_launchdir), text("/spanlet"), in(K::exe_extension_ref)}},
    {"ry_scripts_dir", {in(K::fe_rootdir), text("/scripts")}},
    {"ry_user_profiles", {published("ry_scripts_dir"), text("/UserProfiles")}},
    {"ry_feinput_readers", {in(K::io_rootdir), text("/model_readers/feinput"), in(K::qz_binpath_ref)}},
    {"ry_converters", {in(K::io_rootdir), text("/model_readers/convert"), in(K::qz_binpath_ref)}},
    {"ry_dll_readers", {in(K::io_rootdir), text("/cfc_readers"), in(K::qz_binpath_ref)}},
    {"ry40_translator", {published("ry_dll_readers")}},
    {"rytemplates_rootdir", {in(K::rytemplates_rootdir)}},
    {"TEMPLATES_DIR", {templatesRoot}},
    {"rytranslators_bindir", {in(K::io_rootdir), text("/translators"), in(K::qz_binpath_ref)}},
    {"nastran_to_abaqus_converter", {in(K::fe_launchdir)}},
    {"TRANSLATORS_DIR", {published("rytranslators_bindir")}},
    {"fbvln_rootdir", {published("ry_user_profiles"), text("/Fabrivale")}},
    {"lu", {in(K::qz_launchdir), text("/qz"), in(K::exe_extension_ref)}},
    {"PREFERENCES_QZ", {in(K::qz_rootdir), text("/preferences.dnw")}},
    {"PREFERENCES_QUARNEL", {published("PREFERENCES_QZ")}},
    {"LU_SCRIPTS", {in(K::lu_scriptsdir)}},
    {"qz_readers", {in(K::io_rootdir), text("/result_readers"), in(K::qz_binpath_ref)}},
    {"qz_model_readers", {in(K::io_rootdir), text("/model_readers/qz"), in(K::qz_binpath_ref)}},
    {"corvan_odb_dir", {published("qz_readers"), text("/abaqus_odb_lib/")}},
    {"EXTERNALFUNCS_DIR", {in(K::io_rootdir), text("/ipc_functions"), in(K::qz_binpath_ref)}},
    {"EXTERNALREADERS_DIR", {in(K::io_rootdir), text("/cbf_readers"), in(K::qz_binpath_ref)}},
    {"EXTERNALWRITERS_DIR", {in(K::io_rootdir), text("/data_writers"), in(K::qz_binpath_ref)}},
    {"dn_solver_writers", {in(K::qz_bindir)}},
    {"dn_readers", {in(K::qz_bindir)}},
    {"VDL_DEFINITIONS_DIR", {in(K::vdldef_rootdir)}},
    {"export_templates_dir", {in(K::plttemplates_rootdir), text("/export")}},
    {"plttemplates_rootdir", {in(K::plttemplates_rootdir)}},
    {"standard_statistics_template", {in(K::plttemplates_rootdir), text("/stats/stats.tpl")}},
    {"jvd_bindir", {in(K::qz_bindir)}},
    {"jvd_launchdir", {in(K::qz_launchdir)}},
    {"jvd_launch", {in(K::qz_launchdir), text("/jvd"), in(K::exe_extension_ref)}},
    {"jvd_rtl",
     {in(K::qz_bindir), text("/"), in(K::runtimelib_prefix_ref), text("qzjvd10"), in(K::runtimelib_extension_ref)}},
    {"jvdproxy_rtl",
     {in(K::qz_libdir), text("/"), in(K::runtimelib_prefix_ref), text("trialproxy"), in(K::runtimelib_extension_ref)}},
    {"PREFERENCES_JVD", {in(K::qz_rootdir), text("/preferences_jvd.dnw")}},
    {"PREFERENCES_JVDDLL", {in(K::qz_rootdir), text("/preferences_jvddll.dnw")}},
    {"DOE_DESIGNS_DIR", {in(K::doetemplates_rootdir), text("/doe_designs")}},
    {"ob_launch", {in(K::ob_launch)}},
    {"ug_launch", {in(K::ug_launch)}},
    {"vize_launch", {in(K::vize_launch)}},
    {"kr_launch", {in(K::kr_launch)}},
    {"zel_bindir", {in(K::zel_bindir)}},
    {"zel_launchdir", {in(K::zel_launchdir)}},
    {"zel_launch", {in(K::zel_launch)}},
    {"brevik_bindir", {in(K::brevik_bindir)}},
    {"brevik_launchdir", {in(K::brevik_launchdir)}},
    {"brevik_launch", {in(K::brevik_launch)}},
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

constexpr bool sameText(std::string_view a, std::string_view b) { return a == b; }

constexpr std::size_t kRowCount = std::size(kRows);
constexpr std::size_t kPieceCount = std::size(Row{}.pieces);

// For each piece that reads an earlier row, that row's index, worked out when compiling;
// kRowCount where a piece names no earlier row.
struct EarlierRows {
    std::size_t row[kRowCount][kPieceCount] = {};
};

constexpr EarlierRows earlierRowsOf()
{
    EarlierRows earlier{};
    for (std::size_t row = 0; row < kRowCount; ++row)
        for (std::size_t piece = 0; piece < kPieceCount; ++piece) {
            earlier.row[row][piece] = kRowCount;
            if (kRows[row].pieces[piece].from != From::Published)
                continue;
            for (std::size_t before = 0; before < row; ++before)
                if (sameText(kRows[before].key, kRows[row].pieces[piece].text))
                    earlier.row[row][piece] = before;
        }
    return earlier;
}

constexpr EarlierRows kEarlierRows = earlierRowsOf();

// A row may only build on rows stored before it, so that no value is ever missing.
constexpr bool publishedPiecesComeFirst()
{
    for (std::size_t row = 0; row < kRowCount; ++row)
        for (std::size_t piece = 0; piece < kPieceCount; ++piece)
            if (kRows[row].pieces[piece].from == From::Published && kEarlierRows.row[row][piece] == kRowCount)
                return false;
    return true;
}
static_assert(publishedPiecesComeFirst(), "a published piece names a later or unknown row");

// No key is stored twice, so the value an earlier row stored is the one a lookup finds.
constexpr bool keysAreUnique()
{
    for (std::size_t row = 0; row < kRowCount; ++row)
        for (std::size_t before = 0; before < row; ++before)
            if (sameText(kRows[before].key, kRows[row].key))
                return false;
    return true;
}
static_assert(keysAreUnique(), "a published key is stored twice");

// A row's pieces come first and its unused slots after them, so that the first unused
// slot ends the row.
constexpr bool unusedSlotsComeLast()
{
    for (const Row& row : kRows)
        for (std::size_t piece = 1; piece < kPieceCount; ++piece)
            if (row.pieces[piece - 1].from == From::Nothing && row.pieces[piece].from != From::Nothing)
                return false;
    return true;
}
static_assert(unusedSlotsComeLast(), "a row has a piece after an unused slot");

// The internal keys that the rows read; without any of them nothing is published.
struct RequiredKeys {
    bool required[qz::kInternalKeyCount] = {};
};

constexpr RequiredKeys requiredKeysOf()
{
    RequiredKeys keys{};
    for (const Row& row : kRows)
        for (const Piece& piece : row.pieces) {
            if (piece.from == From::Internal)
                keys.required[qz::indexOf(piece.internal)] = true;
            if (piece.from == From::TemplatesRoot) {
                keys.required[qz::indexOf(K::rytemplates_rootdir)] = true;
                keys.required[qz::indexOf(K::plttemplates_rootdir)] = true;
            }
        }
    return keys;
}

constexpr RequiredKeys kRequired = requiredKeysOf();

constexpr bool sandboxKeysAreNotRequired()
{
    for (std::size_t key = 0; key < qz::kInternalKeyCount; ++key)
        if (kRequired.required[key] && qz::isSandboxOnly(static_cast<K>(key)))
            return false;
    return true;
}
static_assert(sandboxKeysAreNotRequired(), "the published rows read a key that only a sandbox has");

} // namespace

bool QZApplicationInfo::_ReadInternalValues(std::string_view* values) const
{
    const PathDictionary& table = _internalPaths;
    // A table as the internal catalogue stores it holds its keys in their order, the two
    // of a sandbox only in a sandbox. Each value then lies where its key's turn came, and
    // no earlier entry has the same key. Any other table is looked up key by key.
    int entry = 0;
    bool inOrder = true;
    for (std::size_t key = 0; key < qz::kInternalKeyCount && inOrder; ++key) {
        const std::string_view name = qz::kInternalKeyNames[key];
        if (entry < table._count && std::strcmp(table._keys[entry], name.data()) == 0) {
            if (values)
                values[key] = table._values[entry];
            ++entry;
        } else if (qz::isSandboxOnly(static_cast<K>(key))) {
            if (values)
                values[key] = {};
        } else {
            inOrder = false;
        }
    }
    if (inOrder)
        return true; // every key but those of a sandbox, and those the rows never read
    for (std::size_t key = 0; key < qz::kInternalKeyCount; ++key) {
        const char* value = table.GetPath(qz::kInternalKeyNames[key].data());
        if (!value && kRequired.required[key])
            return false;
        if (values)
            values[key] = value ? std::string_view(value) : std::string_view();
    }
    return true;
}

bool QZApplicationInfo::_HasRequiredInternalPaths() const { return _ReadInternalValues(nullptr); }

void QZApplicationInfo::_SetupPublishedPaths()
{
    // Nothing is published unless every value can be built whole.
    std::string_view internal[qz::kInternalKeyCount];
    if (!_corvanHome || !_productArchitecture || !_applicationName || !_ReadInternalValues(internal))
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

    K templatesKey = K::plttemplates_rootdir;
    for (const char* name : kFrontEndTemplateUsers)
        if (std::strcmp(_applicationName, name) == 0)
            templatesKey = K::rytemplates_rootdir;
    if (trace)
        trace->decision("TEMPLATES_DIR", "application name", Origin::ApplicationName);

    // What each row stored. A table that held entries before this call may hold an
    // older entry of the same key, which is the one a lookup finds.
    const bool fresh = _publishedPaths._count == 0;
    std::string_view stored[kRowCount];
    auto pieceText = [&](std::size_t row, std::size_t index) -> std::string_view {
        const Piece& piece = kRows[row].pieces[index];
        switch (piece.from) {
        case From::Nothing:
            return {};
        case From::Text:
            return piece.text;
        case From::Internal:
            return internal[qz::indexOf(piece.internal)];
        case From::Published:
            return fresh ? stored[kEarlierRows.row[row][index]] : qz::textOf(_publishedPaths.GetPath(piece.text));
        case From::Home:
            return _corvanHome;
        case From::Architecture:
            return _productArchitecture;
        case From::HelpRoot:
            return help;
        case From::TemplatesRoot:
            return internal[qz::indexOf(templatesKey)];
        }
        return {};
    };

    for (std::size_t r = 0; r < kRowCount; ++r) {
        const Row& row = kRows[r];
        // A variable that is set but empty names no folder and counts as unset.
        if (row.override) {
            const auto setting = qz::platform::environment(row.override);
            const bool overridden = setting && !setting->empty();
            for (const char* key : row.decides)
                if (key && trace)
                    trace->decision(key, row.override, overridden ? Origin::Environment : Origin::Default);
            if (overridden) {
                const std::string_view whole = *setting;
                stored[r] = _publishedPaths._Add(row.key, &whole, 1);
                continue;
            }
        }
        std::string_view pieces[kPieceCount];
        std::size_t count = 0;
        for (; count < kPieceCount && row.pieces[count].from != From::Nothing; ++count)
            pieces[count] = pieceText(r, count);
        stored[r] = _publishedPaths._Add(row.key, pieces, count);
    }
}
