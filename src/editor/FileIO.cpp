#include "editor/FileIO.h"

#include <cerrno>
#include <cstdio>
#include <memory>
#include <random>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace kalvo {
namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

std::error_code lastError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

File openFile(const fs::path& path, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return File(_wfopen(path.c_str(), wideMode.c_str()));
#else
    return File(std::fopen(path.c_str(), mode));
#endif
}

fs::path temporaryBeside(const fs::path& target) {
    std::random_device device;
    std::uniform_int_distribution<unsigned> digit(0, 15);
    std::string suffix = ".kalvo-";
    for (int i = 0; i < 8; ++i)
        suffix.push_back("0123456789abcdef"[digit(device)]);
    fs::path name = target.filename();
    name += suffix;
    return target.parent_path() / ("." + name.string());
}

bool writeAndSync(std::FILE* file, std::string_view bytes) {
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        return false;
    if (std::fflush(file) != 0)
        return false;
#ifndef _WIN32
    if (::fsync(fileno(file)) != 0)
        return false;
#endif
    return true;
}

} // namespace

std::optional<std::string> readFile(const fs::path& path, std::error_code& error) {
    errno = 0;
    File file = openFile(path, "rb");
    if (!file) {
        error = lastError();
        return std::nullopt;
    }
    std::string bytes;
    char chunk[1 << 16];
    for (;;) {
        const std::size_t got = std::fread(chunk, 1, sizeof chunk, file.get());
        bytes.append(chunk, got);
        if (got < sizeof chunk)
            break;
    }
    if (std::ferror(file.get())) {
        error = lastError();
        return std::nullopt;
    }
    error.clear();
    return bytes;
}

bool writeFileReplacing(const fs::path& path, std::string_view bytes, std::error_code& error) {
    fs::path target = path;
    std::error_code ignored;
    if (fs::is_symlink(fs::symlink_status(path, ignored))) {
        target = fs::canonical(path, error);
        if (error)
            return false;
    }

    const fs::path temporary = temporaryBeside(target);
    errno = 0;
    File file = openFile(temporary, "wbx");
    if (!file) {
        error = lastError();
        return false;
    }
    errno = 0;
    bool ok = writeAndSync(file.get(), bytes);
    std::error_code failure = ok ? std::error_code{} : lastError();
    errno = 0;
    if (std::fclose(file.release()) != 0 && ok) {
        ok = false;
        failure = lastError();
    }
    if (!ok) {
        error = failure;
        fs::remove(temporary, ignored);
        return false;
    }

    const fs::file_status existing = fs::status(target, ignored);
    if (fs::exists(existing))
        fs::permissions(temporary, existing.permissions(), ignored);

    fs::rename(temporary, target, error);
    if (error) {
        fs::remove(temporary, ignored);
        return false;
    }
    error.clear();
    return true;
}

} // namespace kalvo
