#include "base/FileAccess.h"

#include "base/modError.h"

#include "base/AppError.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbiplot {

namespace {

[[noreturn]] void RaiseNotRegular(const std::string& path) {
    throw AppError(ErrPathFileAccess, DefaultErrorSource,
                   RuntimeErrorMessage(ErrPathFileAccess) + ": " + path +
                       " 不是普通文件 (是文件夹、管道或设备)");
}

} // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
    // Looked at before it is opened: opening a pipe would wait for a writer, a device may
    // act on being opened.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
        RaiseSystemError(errno);
    }
    if (!S_ISREG(st.st_mode)) RaiseNotRegular(path);
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        RaiseSystemError(errno);
    }
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        RaiseNotRegular(path);
    }
    std::string bytes;
    bytes.reserve(static_cast<size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            RaiseSystemError(error);
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

// Writing through a symbolic link writes the file it points to, not the link, also when that
// file does not exist yet (a dangling link is followed, not replaced).
std::string ResolveTarget(const std::string& path) {
    std::string target = path;
    for (int depth = 0; depth < 40; ++depth) {
        struct stat st {};
        if (::lstat(target.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return target;
        std::string link(static_cast<size_t>(PATH_MAX), '\0');
        const ssize_t n = ::readlink(target.c_str(), link.data(), link.size());
        if (n < 0) return target;
        link.resize(static_cast<size_t>(n));
        const size_t slash = target.rfind('/');
        target = link.front() == '/' || slash == std::string::npos
                     ? link
                     : target.substr(0, slash + 1) + link;
    }
    return target;
}

// ".NAME.orbiplot-" beside NAME: hidden, and recognisably ours. A long name is cut so that
// the temporary name, six characters longer still, fits where NAME fits.
std::string TempPrefix(const std::string& target) {
    const size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    constexpr size_t Room = NAME_MAX - (1 + 10 + 6); // "." NAME ".orbiplot-" XXXXXX
    if (name.size() > Room) {
        size_t cut = Room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut; // not inside a character
        name.resize(cut);
    }
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

namespace {

void WritePieces(int fd, const std::function<void(const PieceWriter& write)>& produce) {
    produce([fd](std::string_view piece) {
        size_t done = 0;
        while (done < piece.size()) {
            const ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) RaiseSystemError(errno);
            done += static_cast<size_t>(n);
        }
    });
}

// Writes all of bytes at offset 0; the count written so far is kept in done. 0 or errno.
int WriteAt(int fd, std::string_view bytes, size_t& done) {
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        done += static_cast<size_t>(n);
    }
    return 0;
}

// In a folder where no new file may be made, a file that may be written is written in place:
// no atomic replacement is possible there, and refusing would lose the save altogether. The
// new content is made whole first and the old is kept in memory, so a write that fails (a
// full disk, a file-size limit) puts back what it overwrote; only a kill half way can leave
// the file damaged.
void WriteInPlace(const std::string& target,
                  const std::function<void(const PieceWriter& write)>& produce) {
    std::string bytes;
    produce([&](std::string_view piece) { bytes.append(piece); });
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) RaiseSystemError(errno);
    std::string old;
    for (;;) {
        char chunk[65536];
        const ssize_t n = ::pread(fd, chunk, sizeof chunk, static_cast<off_t>(old.size()));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) Fail(errno, "", fd);
        if (n == 0) break;
        old.append(chunk, static_cast<size_t>(n));
    }
    size_t written = 0;
    int error = WriteAt(fd, bytes, written);
    if (error == 0 && bytes.size() < old.size() && ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0) error = errno;
    if (error != 0) {
        // What was overwritten goes back; past the point the write reached, nothing changed
        // unless the file was cut short.
        size_t restored = 0;
        const bool cut = written >= bytes.size() && bytes.size() < old.size();
        WriteAt(fd, std::string_view(old).substr(0, cut ? old.size() : std::min(written, old.size())),
                restored);
        if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0) ::fsync(fd);
        Fail(error, "", fd);
    }
    if (::close(fd) != 0) RaiseSystemError(errno);
}

} // namespace

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const PieceWriter& write)>& produce) {
    // A file-size limit fails the write with its error instead of ending the program.
    static const bool sizeLimitIsAnError = [] {
        std::signal(SIGXFSZ, SIG_IGN);
        return true;
    }();
    (void)sizeLimitIsAnError;

    const std::string target = ResolveTarget(path);

    mode_t mode;
    struct stat st {};
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (existed) {
        // Only a regular file is replaced: a folder, a pipe or a device stays what it is.
        if (!S_ISREG(st.st_mode)) RaiseNotRegular(target);
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
    if (fd < 0) {
        if (existed && (errno == EACCES || errno == EPERM || errno == EROFS)) {
            WriteInPlace(target, produce);
            return;
        }
        RaiseSystemError(errno);
    }
    // The replacement keeps the old file's owner and group where this process may set them.
    if (existed && ::fchown(fd, st.st_uid, st.st_gid) != 0) {
        // Not permitted (another user's file): the new file stays this user's.
    }
    try {
        WritePieces(fd, produce);
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
