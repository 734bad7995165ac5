// InternalPaths.cpp - the internal catalogue of base locations; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "appinfo/InternalKeys.h"
#include "platform/Platform.h"
#include "appinfo/Trace.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <string_view>

namespace platform = qz::platform;

namespace {

// Every Tcl and Tk name of the tree follows from this distribution name.
constexpr std::string_view kTclDistribution = "tcl8.4.13";

struct TclNames {
    std::string tclLibrary; // tcl8.4
    std::string tkLibrary;  // tk8.4
    std::string wish;       // wish84
    std::string tclsh;      // tclsh84
};

// "tcl8.4.13": the version is what lies between the "tcl" prefix and the last dot
// (8.4); the shells carry that version without its own last dot (84).
TclNames tclNamesOf(std::string_view distribution)
{
    std::string_view version = distribution.substr(std::min<std::size_t>(3, distribution.size()));
    version = version.substr(0, version.rfind('.'));
    std::string digits(version);
    if (const auto dot = digits.rfind('.'); dot != std::string::npos)
        digits.erase(dot, 1);
    return {"tcl" + std::string(version), "tk" + std::string(version), "wish" + digits, "tclsh" + digits};
}

// The version's integer part, truncated toward zero. A version that has none (not
// finite, or beyond 32 bits) names no runtime library number and counts as 0.
int versionNumber(float version)
{
    if (!std::isfinite(version) || std::fabs(version) >= 2147483648.0f)
        return 0;
    return static_cast<int>(version);
}

} // namespace

void QZApplicationInfo::_SetupInternalPaths()
{
    using Key = qz::InternalKey;
    // Each value is joined straight into the table; later rows are built from the stored
    // values, which never move.
    auto add = [this](Key key, std::initializer_list<std::string_view> pieces) {
        return _internalPaths._Add(qz::nameOf(key), pieces.begin(), pieces.size());
    };

    const std::string_view home = _corvanHome;
    const std::string_view tag = _productTag;

    const std::string_view dllExtension = add(Key::runtimelib_extension_ref, {".dll"});
    const std::string_view dllPrefix = add(Key::runtimelib_prefix_ref, {});
    const std::string_view exeExtension = add(Key::exe_extension_ref, {".exe"});
    add(Key::ch_rootdir, {home});
    const std::string_view platformDir = add(Key::qz_platform_ref, {"/", _productArchitecture});
    const std::string_view binPath = add(Key::qz_binpath_ref, {"/bin", platformDir});
    std::string_view qzcommonRoot;
    std::string_view thirdPartyRoot;
    if (_sandbox) {
        qzcommonRoot = add(Key::qzcommon_rootdir, {home, "/qzcommon"});
        thirdPartyRoot = add(Key::third_rootdir, {home, "/third_party"});
    }
    const std::string_view qzRoot = add(Key::qz_rootdir, {home, "/qz"});
    const std::string_view utilityRoot = add(Key::stdutil_rootdir, {home, "/utility"});

    const std::string_view qzBin = add(Key::qz_bindir, {qzRoot, "/bin", platformDir});
    add(Key::qz_libdir, {qzRoot, "/lib", platformDir});
    add(Key::qz_tstdir, {qzRoot, "/tst", platformDir});
    add(Key::qz_bin, {qzBin, "/qz", exeExtension});
    const std::string_view qzLaunch = add(Key::qz_launchdir, {qzBin});
    if (_sandbox)
        add(Key::lu_scriptsdir, {home, "/dn/scripts/lu"});
    else
        add(Key::lu_scriptsdir, {utilityRoot, "/scripts/post"});
    add(Key::quarnel_launch, {qzLaunch, "/quarnel", exeExtension});
    add(Key::vize_launch, {qzBin, "/vize", exeExtension});

    const TclNames tcl = tclNamesOf(kTclDistribution);
    add(Key::tclcode_rootdir, {_sandbox ? qzcommonRoot : qzRoot, "/tcl"});
    const std::string_view tclRoot =
        add(Key::tclinterp_rootdir, {_sandbox ? thirdPartyRoot : qzRoot, "/tcl/", kTclDistribution});
    const std::string_view tclBin = add(Key::tcl_bindir, {tclRoot, platformDir, "/bin"});
    add(Key::tcl_libdir, {tclRoot, platformDir, "/lib/", tcl.tclLibrary});
    add(Key::tk_libdir, {tclRoot, platformDir, "/lib/", tcl.tkLibrary});
    add(Key::tk_bindir, {tclBin});
    const std::string_view wish = add(Key::wish_bin, {tclBin, "/", tcl.wish});
    const std::string_view tclsh = add(Key::tclsh_bin, {tclBin, "/", tcl.tclsh});
    add(Key::wish_launch, {wish});
    add(Key::tclsh_launch, {tclsh});
    add(Key::tclshfullpath_launch, {tclsh, exeExtension});

    add(Key::io_rootdir, {home, "/io"});
    const std::string_view feRoot = add(Key::fe_rootdir, {home, "/", tag});
    const std::string_view feBin = add(Key::fe_bindir, {feRoot, binPath});
    const std::string_view feLaunch = add(Key::fe_launchdir, {feBin});
    const std::string_view feExecutable = add(Key::fe_execname, {tag, "opengl.exe"});
    // The runtime library is named for the "ry" front end whatever the product tag.
    const std::string versionText = std::to_string(versionNumber(_applicationVersion));
    const std::string_view feRuntime = add(Key::fe_rtlname, {dllPrefix, "ry", versionText, dllExtension});
    add(Key::ob_launch, {feLaunch, "/obsol.bat"});

    // The sandbox builds its UG and solver programs only for 32 bits, in fixed folders.
    const std::string_view ugBin = _sandbox ? add(Key::ug_bindir, {home, "/ug/bin/WIN32"})
                                            : add(Key::ug_bindir, {home, "/ug/bin", platformDir});
    const std::string_view ugLaunch = add(Key::ug_launchdir, {ugBin});
    add(Key::ug_launch, {ugLaunch, "/ug", exeExtension});
    add(Key::fe_launch, {feLaunch, "/", feExecutable});
    add(Key::fe_bin, {feBin, "/", feExecutable});

    // The front end's own folder wins; RY_DLL_PATH only stands in when that has no
    // library, and only when it names something (an empty value names nothing).
    std::string runtimeLibrary;
    runtimeLibrary.append(feBin).append("/").append(feRuntime);
    bool fromEnvironment = false;
    if (!platform::exists(runtimeLibrary.c_str())) {
        const std::string elsewhere = platform::environment("RY_DLL_PATH").value_or("");
        if (!elsewhere.empty() && platform::exists(elsewhere.c_str())) {
            runtimeLibrary = elsewhere + "/" + std::string(feRuntime);
            fromEnvironment = true;
        }
    }
    add(Key::fe_rtl, {runtimeLibrary});
    if (qz::Trace* const trace = qz::watcherOf(_trace.attached))
        trace->decision("ry_module", "RY_DLL_PATH",
                        fromEnvironment ? qz::trace::DecisionOrigin::Environment : qz::trace::DecisionOrigin::Default);

    const std::string_view templates = add(Key::rytemplates_rootdir, {home, "/templates"});
    add(Key::plttemplates_rootdir, {templates});
    add(Key::doetemplates_rootdir, {templates});

    const std::string_view solvers = _sandbox ? add(Key::zel_bindir, {home, "/qzsolvers/bin/WIN32"})
                                              : add(Key::zel_bindir, {home, "/qzsolvers/bin", platformDir});
    const std::string_view zelLaunch = add(Key::zel_launchdir, {solvers});
    add(Key::zel_launch, {zelLaunch, "/zelquist.bat"});
    add(Key::brevik_bindir, {solvers});
    const std::string_view brevikLaunch = add(Key::brevik_launchdir, {solvers});
    add(Key::brevik_launch, {brevikLaunch, "/brevik.bat"});
    // Kronvale's sandbox folder is spelled in lower case, unlike its neighbours'.
    const std::string_view kronvale = _sandbox ? add(Key::kronvale_bindir, {home, "/qzsolvers/bin/win32"})
                                               : add(Key::kronvale_bindir, {solvers});
    const std::string_view kronvaleLaunch = add(Key::kronvale_launchdir, {kronvale});
    add(Key::kr_launch, {kronvaleLaunch, "/kronvale.bat"});

    if (!_sandbox) {
        add(Key::fwps_rootdir, {templates});
    } else {
        std::string framework = std::string(home) + "/dn/framework/backbone/base";
        if (!platform::exists(framework.c_str()))
            framework = std::string(feRoot) + "/dnry/framework/backbone/base";
        add(Key::fwps_rootdir, {framework});
    }
    add(Key::vdldef_rootdir, {home, "/qz/vdl/vdldefs"});
    add(Key::userhome_refdir, {platform::documentsFolder().value_or("")});
}
