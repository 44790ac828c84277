// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/FileIO.h"

#include "document/TextBox.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <exception>
#include <fstream>
#include <iterator>
#include <mutex>
#include <random>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kalvo {
namespace fs = std::filesystem;

namespace {

class FileErrorCategory : public std::error_category {
public:
    const char* name() const noexcept override { return "kalvo-file"; }
    std::string message(int value) const override {
        switch (static_cast<FileError>(value)) {
        case FileError::DanglingLink:
            return "not writing through a dangling symbolic link";
        case FileError::NotRegularFile:
            return "not a regular file";
        case FileError::Ti86FileKept:
            return "a TI-86 file is not replaced with text";
        case FileError::NoTi83pProgram:
            return "no TI-83 Plus program can be made of the text";
        }
        return "unknown file error";
    }
};

std::error_code systemError() {
    return {errno != 0 ? errno : EIO, std::generic_category()};
}

// Closes on every path out; close() is checked by hand where it matters.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

constexpr std::size_t kReadLimit = static_cast<std::size_t>(kMaxDocumentLength);

// Reads to the end, one byte past the limit at most, so that a device or
// pipe that never ends costs no more than the largest document.
std::optional<std::string> readOpen(int fd, std::error_code& error) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = systemError();
        return std::nullopt;
    }
    std::string bytes;
    if (S_ISREG(info.st_mode)) {
        const off_t at = ::lseek(fd, 0, SEEK_CUR);
        const off_t left = info.st_size - std::max<off_t>(at, 0);
        if (left > static_cast<off_t>(kReadLimit)) {
            error = std::make_error_code(std::errc::file_too_large);
            return std::nullopt;
        }
        // One more byte than claimed, so that the read that finds the end
        // does not grow the buffer.
        bytes.reserve(static_cast<std::size_t>(std::max<off_t>(left, 0)) + 1);
    }
    constexpr std::size_t chunk = std::size_t{1} << 16;
    for (;;) {
        if (bytes.size() > kReadLimit) {
            error = std::make_error_code(std::errc::file_too_large);
            return std::nullopt;
        }
        const std::size_t had = bytes.size();
        if (bytes.capacity() == had) // grows only when full, never past the limit
            bytes.reserve(std::min(std::max(2 * had, had + chunk), kReadLimit + 1));
        const std::size_t want = std::min({chunk, bytes.capacity() - had, kReadLimit + 1 - had});
        bytes.resize(had + want);
        const ssize_t got = ::read(fd, bytes.data() + had, want);
        bytes.resize(had + static_cast<std::size_t>(std::max<ssize_t>(got, 0)));
        if (got == 0)
            break;
        if (got < 0 && errno != EINTR) {
            error = systemError();
            return std::nullopt;
        }
    }
    error.clear();
    return bytes;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            if (put == 0)
                errno = EIO;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(put));
    }
    return true;
}

// The descriptor a name like /dev/fd/1 or /proc/self/fd/1 stands for: a
// name of digits in the folder /proc/self/fd, however it was reached.
std::optional<int> descriptorNamed(const fs::path& path) {
    const std::string name = path.filename().string();
    int fd = -1;
    const auto [end, problem] = std::from_chars(name.data(), name.data() + name.size(), fd);
    if (name.empty() || problem != std::errc{} || end != name.data() + name.size() || fd < 0)
        return std::nullopt;
    const fs::path parent = path.parent_path().empty() ? fs::path(".") : path.parent_path();
    struct stat folder {};
    struct stat ownDescriptors {};
    if (::stat(parent.c_str(), &folder) != 0 || ::stat("/proc/self/fd", &ownDescriptors) != 0)
        return std::nullopt;
    if (folder.st_dev != ownDescriptors.st_dev || folder.st_ino != ownDescriptors.st_ino)
        return std::nullopt;
    return fd;
}

// Where a write lands once symbolic links are followed: an open descriptor
// of this process, or a path whose last part is not a link (and may not
// exist yet).
struct Target {
    std::optional<int> descriptor;
    fs::path path;
    std::optional<struct stat> existing;
};

// Links are followed one at a time, not by the kernel, because the links
// under /proc/self/fd lead to what a descriptor has open (a pipe, a file
// opened for appending), which must be written through the descriptor.
std::optional<Target> resolve(const fs::path& path, std::error_code& error) {
    Target target;
    target.path = path;
    for (int hops = 0;; ++hops) {
        if ((target.descriptor = descriptorNamed(target.path)))
            return target;
        struct stat info {};
        if (::lstat(target.path.c_str(), &info) != 0) {
            if (errno == ENOENT && hops > 0)
                error = FileError::DanglingLink;
            else if (errno != ENOENT)
                error = systemError();
            else
                return target; // a new file
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode)) {
            target.existing = info;
            return target;
        }
        if (hops == 40) {
            error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
            return std::nullopt;
        }
        const fs::path link = fs::read_symlink(target.path, error);
        if (error)
            return std::nullopt;
        target.path = link.is_absolute() ? link : target.path.parent_path() / link;
    }
}

bool writeThroughDescriptor(int fd, std::string_view bytes, std::error_code& error) {
    struct stat info {};
    errno = 0;
    if (::fstat(fd, &info) != 0 || !writeAll(fd, bytes) ||
        (S_ISREG(info.st_mode) && ::fsync(fd) != 0)) {
        error = systemError();
        return false;
    }
    return true;
}

// A device or FIFO: opened as it is, never created, truncated or replaced.
bool writeInto(const fs::path& path, std::string_view bytes, std::error_code& error) {
    errno = 0;
    Descriptor file(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0 || !writeAll(file.get(), bytes) || ::close(file.release()) != 0) {
        error = systemError();
        return false;
    }
    return true;
}

bool readOnly(int folder, const std::string& name, const struct stat& info) {
    constexpr mode_t anyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
    // The mode bits as well as access(): the superuser passes access().
    return (info.st_mode & anyWrite) == 0 || ::faccessat(folder, name.c_str(), W_OK, 0) != 0;
}

mode_t currentUmask() {
    // Read, not set: umask() would change it for every thread for a moment.
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        unsigned mask = 0;
        const std::size_t digits = line.find_first_of("01234567");
        if (line.starts_with("Umask:") && digits != std::string::npos &&
            std::from_chars(line.data() + digits, line.data() + line.size(), mask, 8).ec ==
                std::errc{})
            return static_cast<mode_t>(mask & 0777);
    }
    const mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// --- the temporary, and the signals that must not leave it behind -----------

// What the signal handler removes: one temporary at a time, in one folder.
volatile sig_atomic_t gTemporaryFolder = -1;
char gTemporaryName[32];
std::mutex gTemporaryMutex;

constexpr int kCleanupSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void removeTemporaryAndDie(int signal) {
    if (gTemporaryFolder >= 0)
        ::unlinkat(gTemporaryFolder, gTemporaryName, 0);
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    ::sigaction(signal, &fallback, nullptr);
    ::raise(signal); // delivered, and fatal, once this handler returns
}

// For the time of one write: SIGINT, SIGTERM and SIGHUP remove the temporary
// before they end the program (only where they would end it anyway), and
// SIGXFSZ is ignored so that a file-size limit is an error, not a kill.
class TemporaryGuard {
public:
    TemporaryGuard() {
        struct sigaction cleanup {};
        cleanup.sa_handler = removeTemporaryAndDie;
        sigemptyset(&cleanup.sa_mask);
        for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i) {
            ::sigaction(kCleanupSignals[i], nullptr, &saved_[i]);
            if (saved_[i].sa_handler == SIG_DFL)
                ::sigaction(kCleanupSignals[i], &cleanup, nullptr);
        }
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        ::sigaction(SIGXFSZ, &ignore, &savedFileSize_);
    }
    ~TemporaryGuard() {
        forget();
        for (std::size_t i = 0; i < std::size(kCleanupSignals); ++i)
            ::sigaction(kCleanupSignals[i], &saved_[i], nullptr);
        ::sigaction(SIGXFSZ, &savedFileSize_, nullptr);
    }
    TemporaryGuard(const TemporaryGuard&) = delete;
    TemporaryGuard& operator=(const TemporaryGuard&) = delete;

    // Creates the temporary (mode 0600, never an existing name) and lets the
    // handler know it, with the signals held so none falls in between.
    int create(int folder) {
        std::minstd_rand random(seed());
        std::uniform_int_distribution<int> digit(0, 35);
        const Blocked blocked;
        for (int attempt = 0; attempt < 100; ++attempt) {
            // Short, so that a name of 255 bytes can still be replaced.
            std::string name = ".kalvo-";
            for (int i = 0; i < 8; ++i)
                name.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[digit(random)]);
            const int fd =
                ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                name.copy(gTemporaryName, sizeof gTemporaryName - 1);
                gTemporaryName[name.size()] = '\0';
                gTemporaryFolder = folder;
                name_ = name;
                return fd;
            }
            if (errno != EEXIST)
                return -1;
        }
        return -1;
    }
    const std::string& name() const { return name_; }
    // After the rename, or after removing it by hand.
    void forget() {
        const Blocked blocked;
        gTemporaryFolder = -1;
        name_.clear();
    }

private:
    static unsigned seed() {
        try {
            return std::random_device()();
        } catch (const std::exception&) { // no source of randomness: O_EXCL still guards
            return static_cast<unsigned>(::getpid()) ^
                   static_cast<unsigned>(
                       std::chrono::steady_clock::now().time_since_epoch().count());
        }
    }
    struct Blocked {
        Blocked() {
            sigset_t set;
            sigemptyset(&set);
            for (const int signal : kCleanupSignals)
                sigaddset(&set, signal);
            ::pthread_sigmask(SIG_BLOCK, &set, &old);
        }
        ~Blocked() { ::pthread_sigmask(SIG_SETMASK, &old, nullptr); }
        sigset_t old;
    };
    struct sigaction saved_[std::size(kCleanupSignals)]{};
    struct sigaction savedFileSize_ {};
    std::string name_;
};

// The final mode, owner and group go on the temporary just before the
// rename. An owner or group that cannot be kept takes its set-id bit along.
bool takeOverIdentity(int fd, const std::optional<struct stat>& old) {
    mode_t mode = old ? old->st_mode & 07777 : 0666 & ~currentUmask();
    if (old) {
        if (::fchown(fd, old->st_uid, old->st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
            // Neither kept: the process's own owner and group stay.
        }
        struct stat now {};
        if (::fstat(fd, &now) != 0)
            return false;
        if (now.st_uid != old->st_uid)
            mode &= ~static_cast<mode_t>(S_ISUID);
        if (now.st_gid != old->st_gid)
            mode &= ~static_cast<mode_t>(S_ISGID);
    }
    return ::fchmod(fd, mode) == 0;
}

bool replaceFile(const Target& target, std::string_view bytes, const WriteRules& rules,
                 std::error_code& error) {
    const fs::path parent = target.path.parent_path();
    const std::string name = target.path.filename().string();
    errno = 0;
    Descriptor folder(
        ::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() < 0) {
        error = systemError();
        return false;
    }
    if (target.existing && !rules.replaceReadOnly &&
        readOnly(folder.get(), name, *target.existing)) {
        // Renaming over it would succeed, but a read-only file is one the
        // user asked not to have changed.
        error = std::make_error_code(std::errc::permission_denied);
        return false;
    }

    const std::lock_guard<std::mutex> oneAtATime(gTemporaryMutex);
    TemporaryGuard temporary;
    errno = 0;
    Descriptor file(temporary.create(folder.get()));
    if (file.get() < 0) {
        error = systemError();
        return false;
    }
    errno = 0;
    const bool written =
        writeAll(file.get(), bytes) && takeOverIdentity(file.get(), target.existing) &&
        ::fsync(file.get()) == 0 && ::close(file.release()) == 0 &&
        ::renameat(folder.get(), temporary.name().c_str(), folder.get(), name.c_str()) == 0;
    if (!written) {
        error = systemError();
        ::unlinkat(folder.get(), temporary.name().c_str(), 0);
        return false;
    }
    temporary.forget();
    // The rename is on disk only once the folder is. The new content is in
    // place whatever this answers, so a failure here is not reported.
    if (::fsync(folder.get()) != 0) {
    }
    return true;
}

} // namespace

const std::error_category& fileErrorCategory() {
    static const FileErrorCategory category;
    return category;
}

std::error_code make_error_code(FileError error) {
    return {static_cast<int>(error), fileErrorCategory()};
}

std::optional<std::string> readFile(const fs::path& path, std::error_code& error,
                                    bool regularOnly) {
    int flags = O_RDONLY | O_NOCTTY | O_CLOEXEC;
    if (regularOnly) {
        // Checked before opening too: opening a device can have effects.
        struct stat info {};
        errno = 0;
        if (::stat(path.c_str(), &info) != 0) {
            error = systemError();
            return std::nullopt;
        }
        if (!S_ISREG(info.st_mode)) {
            error = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                          : make_error_code(FileError::NotRegularFile);
            return std::nullopt;
        }
        flags |= O_NONBLOCK; // in case it became a FIFO since
    }
    errno = 0;
    const Descriptor file(::open(path.c_str(), flags));
    if (file.get() < 0) {
        error = systemError();
        return std::nullopt;
    }
    if (regularOnly) {
        struct stat info {};
        if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
            error = make_error_code(FileError::NotRegularFile);
            return std::nullopt;
        }
    }
    return readOpen(file.get(), error);
}

std::optional<std::string> readDescriptor(int descriptor, std::error_code& error) {
    return readOpen(descriptor, error);
}

bool writeFileReplacing(const fs::path& path, std::string_view bytes, std::error_code& error,
                        const WriteRules& rules) {
    error.clear();
    std::optional<Target> target = resolve(path, error);
    if (!target)
        return false;
    if (target->descriptor) {
        if (rules.regularFilesOnly) {
            error = FileError::NotRegularFile;
            return false;
        }
        return writeThroughDescriptor(*target->descriptor, bytes, error);
    }
    if (target->existing && !S_ISREG(target->existing->st_mode)) {
        if (!rules.regularFilesOnly)
            return writeInto(target->path, bytes, error);
        error = S_ISDIR(target->existing->st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                                   : make_error_code(FileError::NotRegularFile);
        return false;
    }
    return replaceFile(*target, bytes, rules, error);
}

} // namespace kalvo
