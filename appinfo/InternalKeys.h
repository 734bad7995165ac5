// InternalKeys.h - the keys of the internal catalogue, in the order in which it stores them; no platform code.
#ifndef QZ_APPINFO_INTERNAL_KEYS_H
#define QZ_APPINFO_INTERNAL_KEYS_H

#include <cstddef>
#include <iterator>
#include <string_view>

namespace qz {

// One enumerator per internal key, named as the key itself and in the table's order, so
// that the published catalogue can name the values it reads without looking them up.
enum class InternalKey : int {
    runtimelib_extension_ref,
    runtimelib_prefix_ref,
    exe_extension_ref,
    ch_rootdir,
    qz_platform_ref,
    qz_binpath_ref,
    qzcommon_rootdir, // sandbox only
    third_rootdir,    // sandbox only
    qz_rootdir,
    stdutil_rootdir,
    qz_bindir,
    qz_libdir,
    qz_tstdir,
    qz_bin,
    qz_launchdir,
    lu_scriptsdir,
    quarnel_launch,
    vize_launch,
    tclcode_rootdir,
    tclinterp_rootdir,
    tcl_bindir,
    tcl_libdir,
    tk_libdir,
    tk_bindir,
    wish_bin,
    tclsh_bin,
    wish_launch,
    tclsh_launch,
    tclshfullpath_launch,
    io_rootdir,
    fe_rootdir,
    fe_bindir,
    fe_launchdir,
    fe_execname,
    fe_rtlname,
    ob_launch,
    ug_bindir,
    ug_launchdir,
    ug_launch,
    fe_launch,
    fe_bin,
    fe_rtl,
    rytemplates_rootdir,
    plttemplates_rootdir,
    doetemplates_rootdir,
    zel_bindir,
    zel_launchdir,
    zel_launch,
    brevik_bindir,
    brevik_launchdir,
    brevik_launch,
    kronvale_bindir,
    kronvale_launchdir,
    kr_launch,
    fwps_rootdir,
    vdldef_rootdir,
    userhome_refdir,
};

// The key texts, at the index of their enumerator (each also ends with a NUL).
inline constexpr std::string_view kInternalKeyNames[] = {
    "runtimelib_extension_ref",
    "runtimelib_prefix_ref",
    "exe_extension_ref",
    "ch_rootdir",
    "qz_platform_ref",
    "qz_binpath_ref",
    "qzcommon_rootdir",
    "third_rootdir",
    "qz_rootdir",
    "stdutil_rootdir",
    "qz_bindir",
    "qz_libdir",
    "qz_tstdir",
    "qz_bin",
    "qz_launchdir",
    "lu_scriptsdir",
    "quarnel_launch",
    "vize_launch",
    "tclcode_rootdir",
    "tclinterp_rootdir",
    "tcl_bindir",
    "tcl_libdir",
    "tk_libdir",
    "tk_bindir",
    "wish_bin",
    "tclsh_bin",
    "wish_launch",
    "tclsh_launch",
    "tclshfullpath_launch",
    "io_rootdir",
    "fe_rootdir",
    "fe_bindir",
    "fe_launchdir",
    "fe_execname",
    "fe_rtlname",
    "ob_launch",
    "ug_bindir",
    "ug_launchdir",
    "ug_launch",
    "fe_launch",
    "fe_bin",
    "fe_rtl",
    "rytemplates_rootdir",
    "plttemplates_rootdir",
    "doetemplates_rootdir",
    "zel_bindir",
    "zel_launchdir",
    "zel_launch",
    "brevik_bindir",
    "brevik_launchdir",
    "brevik_launch",
    "kronvale_bindir",
    "kronvale_launchdir",
    "kr_launch",
    "fwps_rootdir",
    "vdldef_rootdir",
    "userhome_refdir",
};

inline constexpr std::size_t kInternalKeyCount = std::size(kInternalKeyNames);
static_assert(static_cast<std::size_t>(InternalKey::userhome_refdir) + 1 == kInternalKeyCount,
              "one name per internal key");

inline constexpr std::size_t indexOf(InternalKey key) { return static_cast<std::size_t>(key); }
inline constexpr std::string_view nameOf(InternalKey key) { return kInternalKeyNames[indexOf(key)]; }

// The keys that only a developer tree has.
inline constexpr bool isSandboxOnly(InternalKey key)
{
    return key == InternalKey::qzcommon_rootdir || key == InternalKey::third_rootdir;
}

} // namespace qz

#endif
