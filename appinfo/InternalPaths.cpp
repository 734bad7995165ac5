// InternalPaths.cpp - the internal catalogue of base locations; no platform code beyond the platform layer.
#include "QZApplicationInfo.h"

#include "platform/Platform.h"
#include "appinfo/Trace.h"

#include <algorithm>
#include <cmath>
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
    // Each row keeps its own copy in the table; later rows are built from the local copies.
    auto add = [this](const char* key, const std::string& value) {
        _internalPaths.Append(key, value.c_str());
        return value;
    };

    const std::string home = _corvanHome;
    const std::string tag = _productTag;

    const std::string dllExtension = add("runtimelib_extension_ref", ".dll");
    const std::string dllPrefix = add("runtimelib_prefix_ref", "");
    const std::string exeExtension = add("exe_extension_ref", ".exe");
    add("ch_rootdir", home);
    const std::string platformDir = add("qz_platform_ref", "/" + std::string(_productArchitecture));
    const std::string binPath = add("qz_binpath_ref", "/bin" + platformDir);
    std::string qzcommonRoot;
    std::string thirdPartyRoot;
    if (_sandbox) {
        qzcommonRoot = add("qzcommon_rootdir", home + "/qzcommon");
        thirdPartyRoot = add("third_rootdir", home + "/third_party");
    }
    const std::string qzRoot = add("qz_rootdir", home + "/qz");
    const std::string utilityRoot = add("stdutil_rootdir", home + "/utility");

    const std::string qzBin = add("qz_bindir", qzRoot + "/bin" + platformDir);
    add("qz_libdir", qzRoot + "/lib" + platformDir);
    add("qz_tstdir", qzRoot + "/tst" + platformDir);
    add("qz_bin", qzBin + "/qz" + exeExtension);
    const std::string qzLaunch = add("qz_launchdir", qzBin);
    add("lu_scriptsdir", _sandbox ? home + "/dn/scripts/lu" : utilityRoot + "/scripts/post");
    add("quarnel_launch", qzLaunch + "/quarnel" + exeExtension);
    add("vize_launch", qzBin + "/vize" + exeExtension);

    const TclNames tcl = tclNamesOf(kTclDistribution);
    const std::string tclDistribution(kTclDistribution);
    add("tclcode_rootdir", (_sandbox ? qzcommonRoot : qzRoot) + "/tcl");
    const std::string tclRoot =
        add("tclinterp_rootdir", (_sandbox ? thirdPartyRoot : qzRoot) + "/tcl/" + tclDistribution);
    const std::string tclBin = add("tcl_bindir", tclRoot + platformDir + "/bin");
    add("tcl_libdir", tclRoot + platformDir + "/lib/" + tcl.tclLibrary);
    add("tk_libdir", tclRoot + platformDir + "/lib/" + tcl.tkLibrary);
    add("tk_bindir", tclBin);
    const std::string wish = add("wish_bin", tclBin + "/" + tcl.wish);
    const std::string tclsh = add("tclsh_bin", tclBin + "/" + tcl.tclsh);
    add("wish_launch", wish);
    add("tclsh_launch", tclsh);
    add("tclshfullpath_launch", tclsh + exeExtension);

    add("io_rootdir", home + "/io");
    const std::string feRoot = add("fe_rootdir", home + "/" + tag);
    const std::string feBin = add("fe_bindir", feRoot + binPath);
    const std::string feLaunch = add("fe_launchdir", feBin);
    const std::string feExecutable = add("fe_execname", tag + "opengl.exe");
    // The runtime library is named for the "ry" front end whatever the product tag.
    const std::string feRuntime =
        add("fe_rtlname", dllPrefix + "ry" + std::to_string(versionNumber(_applicationVersion)) + dllExtension);
    add("ob_launch", feLaunch + "/obsol.bat");

    // The sandbox builds its UG and solver programs only for 32 bits, in fixed folders.
    const std::string ugBin = add("ug_bindir", _sandbox ? home + "/ug/bin/WIN32" : home + "/ug/bin" + platformDir);
    const std::string ugLaunch = add("ug_launchdir", ugBin);
    add("ug_launch", ugLaunch + "/ug" + exeExtension);
    add("fe_launch", feLaunch + "/" + feExecutable);
    add("fe_bin", feBin + "/" + feExecutable);

    // The front end's own folder wins; RY_DLL_PATH only stands in when that has no
    // library, and only when it names something (an empty value names nothing).
    std::string runtimeLibrary = feBin + "/" + feRuntime;
    bool fromEnvironment = false;
    if (!platform::exists(runtimeLibrary.c_str())) {
        const std::string elsewhere = platform::environment("RY_DLL_PATH").value_or("");
        if (!elsewhere.empty() && platform::exists(elsewhere.c_str())) {
            runtimeLibrary = elsewhere + "/" + feRuntime;
            fromEnvironment = true;
        }
    }
    add("fe_rtl", runtimeLibrary);
    if (qz::Trace* const trace = qz::watcherOf(_trace.attached))
        trace->decision("ry_module", "RY_DLL_PATH",
                        fromEnvironment ? qz::trace::DecisionOrigin::Environment : qz::trace::DecisionOrigin::Default);

    const std::string templates = home + "/templates";
    add("rytemplates_rootdir", templates);
    add("plttemplates_rootdir", templates);
    add("doetemplates_rootdir", templates);

    const std::string solvers = _sandbox ? home + "/qzsolvers/bin/WIN32" : home + "/qzsolvers/bin" + platformDir;
    add("zel_bindir", solvers);
    const std::string zelLaunch = add("zel_launchdir", solvers);
    add("zel_launch", zelLaunch + "/zelquist.bat");
    add("brevik_bindir", solvers);
    const std::string brevikLaunch = add("brevik_launchdir", solvers);
    add("brevik_launch", brevikLaunch + "/brevik.bat");
    // Kronvale's sandbox folder is spelled in lower case, unlike its neighbours'.
    const std::string kronvale = _sandbox ? home + "/qzsolvers/bin/win32" : solvers;
    add("kronvale_bindir", kronvale);
    const std::string kronvaleLaunch = add("kronvale_launchdir", kronvale);
    add("kr_launch", kronvaleLaunch + "/kronvale.bat");

    std::string framework = templates;
    if (_sandbox) {
        framework = home + "/dn/framework/backbone/base";
        if (!platform::exists(framework.c_str()))
            framework = feRoot + "/dnry/framework/backbone/base";
    }
    add("fwps_rootdir", framework);
    add("vdldef_rootdir", home + "/qz/vdl/vdldefs");
    add("userhome_refdir", platform::documentsFolder().value_or(""));
}
