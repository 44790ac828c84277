// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>

namespace kalvo {

// Failures the system has no errno for.
enum class FileError {
    DanglingLink = 1, // a symbolic link to nothing: not written through
    NotRegularFile,   // a device, FIFO, socket or descriptor where a file is needed
    Ti86FileKept,     // text is never written over a TI-86 program or group file
    NoTi83pProgram,   // the text makes no TI-83 Plus program (no name, too long)
};
const std::error_category& fileErrorCategory();
std::error_code make_error_code(FileError error);

// Reads a whole file as bytes, exactly as stored. Reading stops at the
// document limit by counting, whatever size the file claims, and a regular
// file larger than the limit is refused before any of it is read; both give
// std::errc::file_too_large. With `regularOnly` anything but a regular file
// is refused without waiting (a FIFO with no writer, a device): Open's rule.
// On failure returns nothing and sets `error` to the reason.
std::optional<std::string> readFile(const std::filesystem::path& path, std::error_code& error,
                                    bool regularOnly = false);

// The same for an open descriptor (standard input), read from where it stands.
std::optional<std::string> readDescriptor(int descriptor, std::error_code& error);

struct WriteRules {
    // Save's rule: write regular files only; a folder, device, FIFO, socket
    // or descriptor name fails instead of being written into.
    bool regularFilesOnly = false;
    // A read-only file (no write permission, or none for anyone) is refused
    // with permission_denied unless this is set; then it is replaced and keeps
    // its mode.
    bool replaceReadOnly = false;
};

// Writes `bytes` as the whole content of `path`.
//
// A regular file, or a name that does not exist yet, is replaced: the bytes go
// to a new file beside it (mode 0600 while it fills), which is flushed to
// disk, given the old file's mode, owner and group where the process may, and
// renamed over `path`; the folder is then flushed too. Until the rename the
// old file is untouched, so a failed write, a full disk or SIGINT, SIGTERM or
// SIGHUP never cost the user the file they had, and no temporary is left.
// Set-user-id and set-group-id bits are dropped when the owner or group
// cannot be kept. Hard links to the old file keep the old content.
//
// A symbolic link is followed and kept; one that leads nowhere is refused.
// A name of one of the process's own descriptors (/dev/stdout, /dev/fd/N,
// /proc/self/fd/N) is written through that descriptor as it stands (offset
// and append mode kept, nothing truncated); any other existing target that is
// not a regular file (device, FIFO) is written into, never replaced.
//
// Returns false and sets `error` on failure.
bool writeFileReplacing(const std::filesystem::path& path, std::string_view bytes,
                        std::error_code& error, const WriteRules& rules = {});

} // namespace kalvo

template <> struct std::is_error_code_enum<kalvo::FileError> : std::true_type {};
