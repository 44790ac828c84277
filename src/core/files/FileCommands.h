// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace kalvo {

// Open: the whole file as bytes, or nothing when it cannot be read (missing,
// refused, a folder, a device or FIFO, too large for a document). It never
// waits for a writer. Open shows no message, so the reason is not kept.
std::optional<std::string> readDocument(const std::filesystem::path& path);

// What a saved file holds: the document followed by one CR LF.
std::string documentFileBytes(std::string_view text);

// Whether Save must ask for a name instead of writing under `name`: the name
// is empty, names nothing, names something other than a file, or names a
// file that could not be deleted (read-only, or in a folder we may not
// change). The name is a plain path, never a pattern.
bool saveNeedsPrompt(const std::filesystem::path& name);

enum class SaveOutcome {
    Written,   // the file holds the document and CR LF
    Cancelled, // the prompt was answered with nothing
    Failed,    // writing under the prompt's answer failed; see error
};

struct SaveResult {
    SaveOutcome outcome = SaveOutcome::Written;
    std::filesystem::path path; // where it was written or failed
    std::error_code error;
};

// Save. Writes under `fileName` when it is usable; otherwise, or when that
// write fails, asks once for a name, stores the answer in `fileName`
// (whatever it is) and writes there. Only regular files are written: an
// answer naming a folder, device, FIFO or socket fails. The old file is
// replaced only once the new content is on disk, so no failure costs the
// user the file they had; its mode, owner and group are kept.
SaveResult saveDocument(std::filesystem::path& fileName, std::string_view text,
                        const std::function<std::filesystem::path()>& askFileName);

// What a name is to hold: the file's bytes, or nothing with the reason (an
// empty reason: the user cancelled).
struct EncodedFile {
    std::optional<std::string> bytes;
    std::error_code error;
};
using DocumentEncoder =
    std::function<EncodedFile(const std::filesystem::path& name, std::string_view text)>;

// The same Save with the bytes made for each name it writes under: the
// encoder is asked for the current name and, if that fails, for the
// prompt's answer. A reason from it counts as a failed write: under the
// current name it leads to the prompt, under the answer it is the result.
// A cancel from it ends Save at once, with nothing written.
SaveResult saveDocument(std::filesystem::path& fileName, std::string_view text,
                        const std::function<std::filesystem::path()>& askFileName,
                        const DocumentEncoder& encode);

} // namespace kalvo
