#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace orbiplot {

// The whole file, or nothing when it is missing or cannot be read.
std::optional<std::string> ReadFileBytes(const std::string& path);

bool FileExists(const std::string& path);

// Writes a temporary file beside the target and renames it over the target, so a crash or
// a full disk never leaves a half-written file. A failure raises the system error of errno
// and leaves the old file whole.
void WriteFileAtomically(const std::string& path, std::string_view bytes);

// path + "/" + name, without doubling a trailing slash.
std::string JoinPath(const std::string& folder, std::string_view name);

} // namespace orbiplot
