// QZ_PathManager.h - the configuration path manager: where an application's configuration
// files lie, and every place to read them from. Public interface only.
#ifndef QZ_PATHMANAGER_H
#define QZ_PATHMANAGER_H

#include "QZApplicationInfo.h"

#include <memory>

// Gathers, once, the directories in which configuration files may lie: the production
// installation directory (the executable's directory), the entries of QZ_CONFIG_PATH,
// HOME and the current directory. Unless keepDuplicates is set, a directory that
// equals one later in the read order is blanked (emptied, never removed), so counts
// and positions never change after construction.
//
// Every char* returned is owned by the path manager and stays valid until the last
// object sharing its buffers (copies share them) is destroyed. The record passed to
// the constructor must be initialized and must outlive the path manager.
class QZAPPINFO_EXPORT QZ_PathManager {
public:
    QZ_PathManager(QZApplicationInfo* info, int keepDuplicates);
    // Copies and assignments share every buffer; both objects may be destroyed.
    QZ_PathManager(const QZ_PathManager& other);
    QZ_PathManager& operator=(const QZ_PathManager& other);
    virtual ~QZ_PathManager();

    // The reader that applications override: called with each directory (the empty
    // text for a blanked place) and the caller's data. This one reads nothing.
    virtual int ReadFile(char* directory, char* data);
    // Calls ReadFile for each place that order names (four codes: 1 production
    // installation directory, 2 every configuration directory, 3 home, 4 current
    // directory; others name nothing). A null order means 1, 2, 3, 4.
    virtual void ReadFromAll(char* data, int* order);

    QZApplicationInfo* GetQZApplicationInfo() const;
    char* GetProductionInstallationDir() const;
    // The whole text of QZ_CONFIG_PATH (empty when unset).
    char* GetQZConfigPath() const;
    char* GetUserHome() const;
    char* GetCWD() const;
    // "/", the separator put between a directory and a file name.
    char* GetDirectoryString() const;
    // Configuration directory index (empty when blanked); null when out of range.
    char* GetQZConfigPathItem(int index);
    // The number of configuration directories that QZ_CONFIG_PATH lists.
    int GetNumQZConfigPathArray();

    // Whether anything exists at path.
    bool FindFileWithDirectory(char* path);
    // Whether directory + "/" + fileName exists; false for an empty directory.
    bool FindFilePath(char* directory, char* fileName);
    // Searches the first count steps (current directory, home, configuration
    // directories, production installation directory) for fileName. On success the
    // directory where it lies is in directory, which must hold 1024 bytes; on failure
    // it holds what the last step tried (the empty text past step 4). A directory of
    // 1024 bytes or more with its terminator does not fit and is passed over, as if
    // the file were not there. False at once, directory untouched, when count < 1.
    bool GetFilePath(char* fileName, char* const directory, int count);

protected:
    QZApplicationInfo* _applicationInfo;
    char _keepDuplicates;
    char* _productionInstallationDir;
    char* _qzConfigPath;
    char* _userHome;
    char* _cwd;
    char* _directoryString;
    char** _qzConfigPathArray;
    int _numQZConfigPathArray;

private:
    void p_SetQZConfigPathArray();
    bool p_IsDirsIdentical(char* a, char* b);
    bool p_IsSameDirProductionInstall();
    bool p_IsSameDirConfigPath();
    bool p_IsSameDirUserHome();
    bool p_IsSameDirWithConfigPath(char* directory);
    bool p_HasSameDirInConfigPath(char* directory, int index);
    bool p_SearchConfigPath(char* const directory, char* fileName);
    void p_ReadFileAtConfigPath(char* data);

    struct p_Buffers;
    std::shared_ptr<p_Buffers> p_buffers;

    friend struct qz::CoreAccess;
    // The watcher of the call that runs now, if any (the library's own observer); never
    // passed on by a copy or an assignment.
    struct p_TraceSlot {
        qz::Trace* attached = nullptr;
        p_TraceSlot() = default;
        p_TraceSlot(const p_TraceSlot&) noexcept {}
        p_TraceSlot& operator=(const p_TraceSlot&) noexcept { return *this; }
    };
    p_TraceSlot p_trace;
};

#endif
