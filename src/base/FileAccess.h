#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orbiplot {

// The whole file, or nothing when there is no file at the path. A path that names anything
// but a regular file (a folder, a pipe, a device) raises "path/file access error" without
// waiting on it; a file that cannot be read raises the system's error.
std::optional<std::string> ReadFileBytes(const std::string& path);

bool FileExists(const std::string& path);

// Writes a temporary file beside the target and renames it over the target, so a crash or
// a full disk never leaves a half-written file. A failure raises the system error of errno
// and leaves the old file whole. Only a regular file is replaced; a symbolic link is
// written through. Replacing splits a hard link, and another user's file becomes this
// user's (the price of replacing atomically).
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// The same for a file made piece by piece: produce hands each piece to the writer it is
// given, so a large file never has to be held whole in memory. An error raised by produce
// also leaves the old file whole.
using PieceWriter = std::function<void(std::string_view piece)>;
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const PieceWriter& write)>& produce);

// path + "/" + name, without doubling a trailing slash.
std::string JoinPath(const std::string& folder, std::string_view name);

} // namespace orbiplot
