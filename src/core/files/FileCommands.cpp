// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileCommands.h"

#include "files/FileIO.h"

#include <unistd.h>

namespace kalvo {
namespace fs = std::filesystem;

namespace {

bool mayWrite(const fs::path& path, bool folder) {
    return ::access(path.c_str(), folder ? (W_OK | X_OK) : W_OK) == 0;
}

// The read-only mark: no write permission for anyone. Checked on the mode
// bits as well as through access() because the superuser passes access().
bool markedReadOnly(const fs::file_status& status) {
    constexpr fs::perms anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & anyWrite) == fs::perms::none;
}

fs::path folderOf(const fs::path& path) {
    const fs::path parent = path.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

SaveResult writeDocument(const fs::path& path, std::string_view text,
                         const DocumentEncoder& encode) {
    SaveResult result;
    result.path = path;
    EncodedFile encoded = encode(path, text);
    if (!encoded.bytes) {
        result.outcome = encoded.error ? SaveOutcome::Failed : SaveOutcome::Cancelled;
        result.error = encoded.error;
        return result;
    }
    // Only regular files: a document written into a device or FIFO is lost.
    WriteRules rules;
    rules.regularFilesOnly = true;
    if (!writeFileReplacing(path, *encoded.bytes, result.error, rules))
        result.outcome = SaveOutcome::Failed;
    return result;
}

EncodedFile textFile(const fs::path&, std::string_view text) {
    return {documentFileBytes(text), {}};
}

} // namespace

std::optional<std::string> readDocument(const fs::path& path) {
    // Regular files only, opened without waiting: a FIFO with no writer
    // would otherwise freeze the window. The read stops at the document limit.
    std::error_code error;
    return readFile(path, error, true);
}

std::string documentFileBytes(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + 2);
    bytes.append(text);
    bytes.append("\r\n");
    return bytes;
}

bool saveNeedsPrompt(const fs::path& name) {
    if (name.empty())
        return true;
    std::error_code error;
    const fs::file_status status = fs::status(name, error);
    if (error || !fs::is_regular_file(status))
        return true;
    if (markedReadOnly(status) || !mayWrite(name, false))
        return true;
    return !mayWrite(folderOf(name), true);
}

SaveResult saveDocument(fs::path& fileName, std::string_view text,
                        const std::function<fs::path()>& askFileName) {
    return saveDocument(fileName, text, askFileName, textFile);
}

SaveResult saveDocument(fs::path& fileName, std::string_view text,
                        const std::function<fs::path()>& askFileName,
                        const DocumentEncoder& encode) {
    if (!saveNeedsPrompt(fileName)) {
        SaveResult result = writeDocument(fileName, text, encode);
        if (result.outcome != SaveOutcome::Failed)
            return result;
    }
    fileName = askFileName();
    if (fileName.empty()) {
        SaveResult result;
        result.outcome = SaveOutcome::Cancelled;
        return result;
    }
    return writeDocument(fileName, text, encode);
}

} // namespace kalvo
