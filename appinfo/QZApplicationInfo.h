// QZApplicationInfo.h - the application information record and its path dictionary.
// Public interface only: no platform code and nothing that a caller could not use.
#ifndef QZAPPLICATIONINFO_H
#define QZAPPLICATIONINFO_H

#include <memory>
#include <string_view>

// <strstream> is deprecated, and libstdc++ announces that with a #warning keyed on
// __DEPRECATED; callers who include this header should not inherit that warning.
#pragma push_macro("__DEPRECATED")
#undef __DEPRECATED
#include <strstream>
#pragma pop_macro("__DEPRECATED")

#include "qzappinfo_export.h"

namespace qz {
class Trace;
struct CoreAccess;
namespace trace {
enum class Source;
}
} // namespace qz

// What an application of the suite knows about itself: its name, version and titles,
// where its executable lies, where the suite is installed, and two tables of named paths.
//
// Construct one record, call Initialize once, then only read. Every char* that an
// accessor returns is owned by the record (or one of its tables) and stays valid until
// the last record that shares it is destroyed; callers never release it. Texts built on
// demand (GetFeatureName, DumpPaths, _GetVersionString) pass to the caller, who
// releases them with delete[].
//
// Copies and assignments share one set of buffers; the buffers live until the last
// record holding them is destroyed, so both records may be destroyed in any order.
class QZAPPINFO_EXPORT QZApplicationInfo {
public:
    // Ordered (key, path) table with exact, case-sensitive, first-match lookup.
    // Keys are not unique and entries are never removed. Every key and value pointer
    // handed out stays valid, at the same address, until the table (and every table
    // that shares it) is destroyed; growth moves only the arrays of pointers.
    class QZAPPINFO_EXPORT PathDictionary {
    public:
        // A growth step of 0 counts as 1.
        PathDictionary(unsigned int capacity = 40, unsigned int growth = 20);
        // Copies share the arrays and strings of the original.
        PathDictionary(const PathDictionary& other);
        ~PathDictionary();
        // The target shares the source's arrays and strings and lets go of its own.
        PathDictionary& operator=(const PathDictionary& other);

        // Adds (key, value) at the end, each copied. A null text counts as empty.
        void Append(const char* key, const char* value);
        // Adds (key, text of the stream) and releases the stream's buffer: the caller
        // must have ended the text with std::ends and must not use the text again.
        // Returns the value that a lookup of key now finds (the first entry's).
        const char* Enroll(const char* key, std::ostrstream* text);
        // The same with a finished text.
        const char* Enroll(const char* key, const char* text);
        // Value of the first entry whose key equals key byte for byte; null if none.
        const char* GetPath(const char* key) const;
        // "<count> keys", a rule, "key : value" per entry, a rule; one line each.
        // The caller releases the text with delete[].
        char* DumpPaths();

    protected:
        char** _keys;
        char** _values;
        int _capacity;
        unsigned int _growth;
        int _count;

    private:
        // The record's catalogue builders add entries whose key and value they already
        // know the length of, and build later values from the stored ones.
        friend class QZApplicationInfo;
        friend struct qz::CoreAccess;

        void _IncreaseSize(int by);
        // Append with texts of known length, the value given as pieces to be joined;
        // returns the stored value.
        std::string_view _Add(std::string_view key, const std::string_view* pieces, std::size_t count);

        struct _Storage;
        std::shared_ptr<_Storage> _storage;
    };

    enum _VersionStringType : int {
        _VersionFull = 0,
        _VersionDisplay = 1,
        _VersionCompact = 2
    };

    // Reads nothing from the machine: every text is null but the display version.
    QZApplicationInfo();
    // Shares every buffer of the original, both tables included.
    QZApplicationInfo(const QZApplicationInfo& other);
    ~QZApplicationInfo();
    // Afterwards both records return the very same pointers from every accessor; the
    // target lets go of what it held before.
    QZApplicationInfo& operator=(const QZApplicationInfo& other);

    // Finds the executable and the suite's home and fills the record and both tables.
    // Returns 1 on success, 0 on failure (the fields set so far stay readable). A
    // record that is already initialized is left alone and 0 is returned; after a
    // failure a new call starts from a clean record.
    int Initialize(const char* applicationName, float version, const char* supportEMail,
                   const char* executableName, int patchLevel, int firstYear, int lastYear);

    // Each accessor returns null until Initialize has set its field.
    char* GetCorvanHome() const;
    char* GetApplicationTitleNoPatch() const;
    char* GetApplicationTitle() const;
    char* GetArchitecture() const;
    char* GetCopyrightStatement() const;
    char* GetCurrentWorkingDir() const;
    char* GetXDisplayName() const;
    char* GetDisplayVersionInfo() const;
    char* GetExecutableDir() const;
    char* GetExecutablePath() const;
    char* GetSystemBaseRegistryPath() const;
    char* GetUserBaseRegistryPath() const;
    char* GetApplicationName() const;
    char* GetProductArchitecture() const;
    char* GetSupportEMail() const;
    float GetApplicationVersion() const;
    bool GetInitializedStatus();

    // The application name without blanks, in a new buffer the caller releases with
    // delete[]; the empty text before a name is stored.
    char* GetFeatureName() const;
    // Value of a published key; null before initialization or for an unknown key.
    char* GetSpecifiedPath(const char* key) const;
    // Writes the system variable's value into value (size bytes), or the empty text.
    // Answers only after a successful Initialize; value needs room for one byte.
    void GetSysVar(const char* name, char* value, unsigned int size) const;
    // Text dump of the published table; the caller releases it with delete[].
    char* DumpPaths();

protected:
    static int _AttemptAppendingExtension(char* path, char* extension);
    static int _AttemptAppendingExtensions(char* path);
    static void _Directory(char* path);

    void _GetSysVar(const char* name, char* value, unsigned int size) const;
    char* _GetVersionString(_VersionStringType type);
    void _SetupInternalPaths();
    void _SetupPublishedPaths();
    bool _IsSandbox();

    char* _corvanHome;
    char* _applicationTitleNoPatch;
    char* _applicationTitle;
    char* _architecture;
    char* _buildSuffix;
    char* _vendorAddress;
    char* _vendorName;
    char* _vendorWebAddress;
    char* _copyrightStatement;
    char* _currentWorkingDir;
    char* _xDisplayName;
    char* _displayVersionInfo;
    char* _executableDir;
    char* _executablePath;
    char* _systemBaseRegistryPath;
    char* _userBaseRegistryPath;
    char* _applicationName;
    char* _productArchitecture;
    char* _supportEMail;
    char* _productTag;
    int _patchLevel;
    float _applicationVersion;
    long long _suiteRelease;
    bool _initialized;
    bool _sandbox;
    PathDictionary _publishedPaths;
    PathDictionary _internalPaths;

private:
    friend struct qz::CoreAccess;
    struct _Buffers;
    // The watcher of the call that runs now, if any (the library's own observer). It
    // belongs to this record alone: a copy or an assignment never passes it on, and the
    // target keeps its own.
    struct _TraceSlot {
        qz::Trace* attached = nullptr;
        _TraceSlot() = default;
        _TraceSlot(const _TraceSlot&) noexcept {}
        _TraceSlot& operator=(const _TraceSlot&) noexcept { return *this; }
    };

    char* _Keep(const char* text, std::size_t minimumSize = 0);
    void _Reset();
    bool _FindExecutable(const char* executableName);
    void _FindExecutableDir();
    void _WalkUpToSandbox();
    void _BuildTitles();
    void _BuildCopyrightStatement(int firstYear, int lastYear);
    void _BuildRegistryPaths();
    bool _HasRequiredInternalPaths() const;
    // The internal table's value of each internal key (qz::InternalKey order), the first
    // entry's, into values when given; a key without an entry gets no text at all. False
    // when a key that the published table reads is missing.
    bool _ReadInternalValues(std::string_view* values) const;
    // The lookup of _GetSysVar: where the value came from; trace, when given, is told
    // what was consulted and found.
    qz::trace::Source _LookUpSysVar(const char* name, char* value, unsigned int size, qz::Trace* trace) const;

    std::shared_ptr<_Buffers> _buffers;
    _TraceSlot _trace;
};

#endif
