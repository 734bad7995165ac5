// replace_file_posix.cpp - ReplaceFile.h with flock, mkstemp, fsync and rename.
#include "registry/ReplaceFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace qzpaths::registry {

namespace {

namespace fs = std::filesystem;

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    explicit Descriptor(int opened) : fd(opened) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

std::string failed(const std::string& what, const std::string& path, int error)
{
    return "cannot " + what + " " + path + ": " + std::strerror(error);
}

// Creates the missing directories of path, each with mode 0755 whatever the umask.
std::string makeDirectories(const fs::path& directory)
{
    std::vector<fs::path> missing;
    struct stat status;
    for (fs::path p = directory; !p.empty() && ::stat(p.c_str(), &status) != 0; p = p.parent_path()) {
        missing.push_back(p);
        if (p == p.parent_path())
            break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
        if (::mkdir(it->c_str(), 0755) != 0 && errno != EEXIST)
            return failed("create the directory", it->string(), errno);
        ::chmod(it->c_str(), 0755);
    }
    return "";
}

bool readAll(int fd, std::string& bytes)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            return true;
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

bool writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        done += static_cast<std::size_t>(put);
    }
    return true;
}

// The temporary files of writers that died before their rename.
void removeLeftovers(const fs::path& directory, const std::string& prefix)
{
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(directory, ignored))
        if (entry.path().filename().string().rfind(prefix, 0) == 0)
            fs::remove(entry.path(), ignored);
}

} // namespace

Replaced replaceFile(const std::string& path, const Edit& edit)
{
    fs::path target = path;
    std::error_code error;
    if (fs::is_symlink(target, error)) {
        const fs::path resolved = fs::weakly_canonical(target, error);
        if (!error)
            target = resolved;
    }
    const fs::path directory = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (std::string made = makeDirectories(directory); !made.empty())
        return {false, made};

    const Descriptor lock(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (lock.fd < 0)
        return {false, failed("open the directory", directory.string(), errno)};
    while (::flock(lock.fd, LOCK_EX) != 0)
        if (errno != EINTR)
            return {false, failed("lock the directory", directory.string(), errno)};
    const std::string temporaryPrefix = "." + target.filename().string() + ".qzpaths-";
    removeLeftovers(directory, temporaryPrefix);

    std::optional<std::string> current;
    struct stat old {};
    const Descriptor file(::open(target.c_str(), O_RDONLY | O_CLOEXEC));
    if (file.fd < 0 && errno != ENOENT)
        return {false, failed("read", target.string(), errno)};
    if (file.fd >= 0) {
        if (::fstat(file.fd, &old) != 0 || !S_ISREG(old.st_mode))
            return {false, target.string() + " is not a regular file"};
        current.emplace();
        if (!readAll(file.fd, *current))
            return {false, failed("read", target.string(), errno)};
    }

    const Edited edited = edit(current);
    if (!edited.refusal.empty())
        return {false, edited.refusal};
    if (current && *current == edited.bytes)
        return {false, ""};

    std::string temporary = (directory / (temporaryPrefix + "XXXXXX")).string();
    const Descriptor out(::mkstemp(temporary.data()));
    if (out.fd < 0)
        return {false, failed("create a file in", directory.string(), errno)};
    auto abandon = [&](const std::string& what) {
        const int cause = errno;
        ::unlink(temporary.c_str());
        return Replaced{false, failed(what, temporary, cause)};
    };
    if (::fchmod(out.fd, current ? (old.st_mode & 07777) : 0644) != 0)
        return abandon("set the mode of");
    if (current && ::fchown(out.fd, old.st_uid, old.st_gid) != 0)
        return abandon("give the old file's owner to");
    if (!writeAll(out.fd, edited.bytes))
        return abandon("write");
    if (::fsync(out.fd) != 0)
        return abandon("flush");
    if (::rename(temporary.c_str(), target.c_str()) != 0)
        return abandon("rename over " + target.string() + " the file");
    ::fsync(lock.fd);
    return {true, ""};
}

} // namespace qzpaths::registry
