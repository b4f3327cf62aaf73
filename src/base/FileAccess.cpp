#include "base/FileAccess.h"

#include "base/modError.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbiplot {

std::optional<std::string> ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    if (folder.back() == '/') return folder + std::string(name);
    return folder + "/" + std::string(name);
}

namespace {

// Writing through a symbolic link replaces the file it points to, not the link.
std::string ResolveTarget(const std::string& path) {
    char resolved[PATH_MAX];
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) &&
        ::realpath(path.c_str(), resolved))
        return resolved;
    return path;
}

// ".NAME.orbiplot-" beside NAME: hidden, and recognisably ours.
std::string TempPrefix(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + ".orbiplot-";
}

// Temporary files of the same target left by a save that was killed half way.
void RemoveStaleTemporaries(const std::string& target) {
    const std::string prefix = TempPrefix(target);
    const size_t slash = prefix.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : prefix.substr(0, slash);
    const std::string start = slash == std::string::npos ? prefix : prefix.substr(slash + 1);
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() == start.size() + 6 && name.compare(0, start.size(), start) == 0)
            ::unlinkat(::dirfd(dir), name.c_str(), 0);
    }
    ::closedir(dir);
}

[[noreturn]] void Fail(int code, const std::string& tempPath, int fd) {
    if (fd >= 0) ::close(fd);
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
    RaiseSystemError(code);
}

} // namespace

void WriteFileAtomically(const std::string& path, std::string_view bytes) {
    WriteFileAtomically(path, [&](const PieceWriter& write) { write(bytes); });
}

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const PieceWriter& write)>& produce) {
    const std::string target = ResolveTarget(path);

    mode_t mode;
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed) {
        // A read-only file stays unchanged, as it would if it were written in place.
        if (::access(target.c_str(), W_OK) != 0) RaiseSystemError(errno);
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    std::string temp = TempPrefix(target) + "XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) RaiseSystemError(errno);
    // The replacement keeps the old file's owner and group where this process may set them.
    if (existed && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not permitted (another user's file): the new file stays this user's.
    }

    const PieceWriter write = [fd](std::string_view piece) {
        size_t done = 0;
        while (done < piece.size()) {
            const ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) RaiseSystemError(errno);
            done += static_cast<size_t>(n);
        }
    };
    try {
        produce(write);
    } catch (...) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw;
    }
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0) Fail(errno, temp, fd);
    if (::close(fd) != 0) Fail(errno, temp, -1);
    if (::rename(temp.c_str(), target.c_str()) != 0) Fail(errno, temp, -1);
    RemoveStaleTemporaries(target);
}

} // namespace orbiplot
