#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace kalvo {

// Reads a whole file as bytes, exactly as stored. On failure returns nothing
// and sets `error` to the system's reason.
std::optional<std::string> readFile(const std::filesystem::path& path, std::error_code& error);

// Writes `bytes` as the whole content of `path`. The bytes go to a new file
// beside it, which is flushed to disk and then renamed over `path`: until
// that moment the old file is untouched, so a failed write never costs the
// user the file they had. An existing file's permissions are kept; a
// symbolic link is followed. Returns false and sets `error` on failure.
bool writeFileReplacing(const std::filesystem::path& path, std::string_view bytes,
                        std::error_code& error);

} // namespace kalvo
