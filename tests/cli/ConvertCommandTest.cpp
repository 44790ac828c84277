// SPDX-License-Identifier: GPL-3.0-or-later
// kalvo-convert as a script sees it: the real binary, run through the shell,
// with its standard streams in files.

#include "CommandFixture.h"
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A program with CR LF, a lone CR, a lone LF, NUL and both non-ASCII bytes.
const std::string kProgram = std::string("A:sin X\r\n:ZDecm\r:cos\xF1 X\n") + '\0' + "\xE5";
const std::string kConverted =
    std::string("A:sin(( X\r\n:Z\xE5") + "Decm\r:cos((\xF1 X\n" + '\0' + "\xE5";
// What is left to do by hand in it, on stderr: ZDecm and cos⁻¹ are rows
// that write no TI-83 Plus command. A lone CR ends no line, so both are on
// line 2 (":ZDecm\r:" is 8 bytes before "cos").
const std::string kReport =
    "-:2:2: warning: ZDecm becomes \"Z\xC3\xA5"
    "Decm\", which the TI-83 Plus does not have: "
    "write ZDecimal\n"
    "-:2:9: warning: cos\u207B\u00B9 becomes \"cos(\xC3\xB1\", which the TI-83 Plus reads as "
    "cos(: write cos\u207B\u00B9(\n"
    "kalvo-convert: 2 converted commands to correct\n";

// What a failure prints: one line naming the path and the system's reason.
std::string failure(const std::string& what, int error) {
    return "1||kalvo-convert: " + what + ": " + std::generic_category().message(error) + "\n";
}

} // namespace

TEST_F(ConvertCommand, ConvertsByteExactBetweenFilesAndStandardStreams) {
    for (const char* args : {"", "-", "- -o -"})
        EXPECT_EQ(run(args, kProgram), "0|" + kConverted + "|" + kReport) << args;
    EXPECT_EQ(run("-q", kProgram), "0|" + kConverted + "|");
    EXPECT_EQ(run("", ""), "0||");
    write("game.86.txt", kProgram);
    EXPECT_EQ(run("-q game.86.txt"), "0|" + kConverted + "|");
    EXPECT_EQ(run("-q game.86.txt -o game.83p.txt"), "0||");
    write("old.txt", "old contents that are longer than the new ones");
    EXPECT_EQ(run("-q -o old.txt game.86.txt"), "0||"); // options first; the output replaced
    write("prog.txt", kProgram);
    EXPECT_EQ(run("-q prog.txt -o prog.txt"), "0||"); // in place
    write("-o", ":ClLCD");
    EXPECT_EQ(run("-- -o"), "0|:ClrHome|");
    for (const char* name : {"game.83p.txt", "old.txt", "prog.txt"})
        EXPECT_EQ(read(name), kConverted) << name;
    EXPECT_EQ(read("game.86.txt"), kProgram);
    EXPECT_EQ(entries(), 5);
}

TEST_F(ConvertCommand, HelpVersionAndUsageErrors) {
    EXPECT_TRUE(run("--help").starts_with("0|Usage: kalvo-convert [-f FORMAT] [-t FORMAT]"));
    EXPECT_EQ(run("-h"), run("--help"));
    EXPECT_EQ(run("--version"), std::string("0|kalvo-convert ") + KALVO_VERSION + "\n|");
    write("a.txt", ":ClLCD");
    for (const char* args : {"--bogus", "-x a.txt", "a.txt b.txt", "a.txt -o", "-o x -o y a.txt"}) {
        const std::string result = run(args, ":ClLCD");
        EXPECT_TRUE(result.starts_with("2||kalvo-convert: ")) << args << ": " << result;
        EXPECT_NE(result.find("\nUsage: kalvo-convert"), std::string::npos) << args;
    }
    EXPECT_EQ(entries(), 1); // nothing written
}

// These fail even for root. The old output survives whole; nothing is left.
TEST_F(ConvertCommand, FailuresKeepTheOldOutput) {
    write("in.txt", kProgram);
    write("out.txt", "old");
    write("plain.txt", "a file, not a folder");
    fs::create_directory(dir / "folder");
    EXPECT_EQ(run("missing.txt -o out.txt"), failure("missing.txt", ENOENT));
    EXPECT_EQ(run("folder -o out.txt"), failure("folder", EISDIR));
    EXPECT_EQ(run("-q in.txt -o no/such/out.txt"), failure("no/such/out.txt", ENOENT));
    EXPECT_EQ(run("-q in.txt -o folder"), failure("folder", EISDIR));
    EXPECT_EQ(run("-q in.txt -o plain.txt/out.txt"), failure("plain.txt/out.txt", ENOTDIR));
    EXPECT_EQ(run("-q >/dev/full", kProgram), failure("standard output", ENOSPC));
    // The file size limit stops the write halfway through the result.
    std::string program;
    while (program.size() < 64 * 1024)
        program += ":Outpt(1,1,\"SCORE\")\r\n:getKy->K\r\n";
    write("in.txt", program);
    // Not killed by SIGXFSZ: one line, the old output kept, no temporary.
    EXPECT_EQ(run("-q in.txt -o out.txt", "", "ulimit -f 8 && "), failure("out.txt", EFBIG));
    EXPECT_EQ(run("-q in.txt >big.txt", "", "ulimit -f 8 && "), failure("standard output", EFBIG));
    fs::remove(dir / "big.txt");
    EXPECT_EQ(read("out.txt"), "old");
    EXPECT_EQ(entries(), 4);
}

namespace {

bool isRoot() {
    return ::geteuid() == 0;
}

// `count` copies of a line whose conversion is known: ClLCD becomes ClrHome.
std::string clearScreens(std::size_t count) {
    std::string program;
    program.reserve(count * 8);
    for (std::size_t i = 0; i < count; ++i)
        program += ":ClLCD\r\n";
    return program;
}

} // namespace

// What a careful filter does with a path that is not a plain file: write into
// it, never replace it.
TEST_F(ConvertCommand, OutputsThatAreNotRegularFilesAreWrittenInto) {
    write("in.txt", kProgram);
    write("log", "earlier\n");
    // The descriptor names reach stdout as it stands: appended, or into a pipe.
    for (const char* name : {"/dev/stdout", "/dev/fd/1", "/proc/self/fd/1"}) {
        const std::string appended = std::string("-q in.txt -o ") + name + " >>log";
        EXPECT_EQ(run(appended), "0||") << name;
        EXPECT_EQ(run(std::string("-q in.txt -o ") + name), "0|" + kConverted + "|") << name;
    }
    EXPECT_EQ(read("log"), "earlier\n" + kConverted + kConverted + kConverted);
    EXPECT_EQ(run("-q in.txt -o /dev/stderr 2>&1"), "0|" + kConverted + "|");
    // A process substitution, and a FIFO whose reader gets the result.
    EXPECT_EQ(shell("\"$K\" -q in.txt -o >(cat >subst) && wait $!"), 0);
    EXPECT_EQ(read("subst"), kConverted);
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
    EXPECT_EQ(shell("timeout 10 cat fifo >got & \"$K\" -q in.txt -o fifo; s=$?; wait; exit $s"), 0);
    EXPECT_EQ(read("got"), kConverted);
    EXPECT_TRUE(fs::is_fifo(dir / "fifo"));
    EXPECT_EQ(entries(), 5);
    if (!isRoot())
        GTEST_SKIP() << "making a device needs root";
    // A copy of /dev/null made here: it stays a device, as the real one must.
    ASSERT_EQ(std::system(("mknod '" + (dir / "null").string() + "' c 1 3").c_str()), 0);
    EXPECT_EQ(run("-q in.txt -o null"), "0||");
    EXPECT_TRUE(fs::is_character_file(dir / "null"));
    EXPECT_EQ(entries(), 6);
}

// Links, read-only files and names up to the longest the system allows.
TEST_F(ConvertCommand, LinksReadOnlyFilesAndLongNames) {
    write("in.txt", kProgram);
    write("target.txt", "old");
    fs::create_symlink("target.txt", dir / "link.txt");
    fs::create_hard_link(dir / "target.txt", dir / "hard.txt");
    EXPECT_EQ(run("-q in.txt -o link.txt"), "0||"); // the link kept, its target written
    EXPECT_TRUE(fs::is_symlink(dir / "link.txt"));
    EXPECT_EQ(read("target.txt"), kConverted);
    EXPECT_EQ(read("hard.txt"), "old"); // the other name keeps the old file
    fs::create_symlink("nowhere.txt", dir / "dangling.txt");
    EXPECT_EQ(run("-q in.txt -o dangling.txt"),
              "1||kalvo-convert: dangling.txt: not writing through a dangling symbolic link\n");
    EXPECT_FALSE(fs::exists(dir / "nowhere.txt"));

    write("locked.txt", "keep");
    fs::permissions(dir / "locked.txt", fs::perms::owner_read | fs::perms::group_read);
    // Refused, with the option that would replace it.
    EXPECT_EQ(run("-q in.txt -o locked.txt"),
              "1||kalvo-convert: locked.txt: " + std::generic_category().message(EACCES) +
                  ": the file is read-only; --force replaces it\n");
    EXPECT_EQ(read("locked.txt"), "keep");
    EXPECT_EQ(run("-q --force in.txt -o locked.txt"), "0||");
    EXPECT_EQ(read("locked.txt"), kConverted);
    EXPECT_EQ(fs::status(dir / "locked.txt").permissions(),
              fs::perms::owner_read | fs::perms::group_read);

    // The temporary's name must not grow with the output's.
    for (std::size_t length : {240, 255}) {
        const std::string name(length, 'n');
        EXPECT_EQ(run("-q in.txt -o " + name), "0||") << length;
        EXPECT_EQ(read(name), kConverted) << length;
        write(name, "old");
        EXPECT_EQ(run("-q in.txt -o " + name), "0||") << length;
        EXPECT_EQ(read(name), kConverted) << length;
    }
    EXPECT_EQ(entries(), 8);
}

// The old file's owner and group stay; set-id bits never pass to a new owner.
TEST_F(ConvertCommand, OwnerKeptAndSetIdBitsNeverChangeHands) {
    if (!isRoot())
        GTEST_SKIP() << "changing owners needs root";
    write("in.txt", kProgram);
    write("theirs", "old");
    ASSERT_EQ(::chown((dir / "theirs").c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod((dir / "theirs").c_str(), 04755), 0);
    EXPECT_EQ(run("-q in.txt -o theirs"), "0||");
    struct stat after {};
    ASSERT_EQ(::stat((dir / "theirs").c_str(), &after), 0);
    EXPECT_EQ(after.st_uid, 65534u);
    EXPECT_EQ(after.st_gid, 65534u);
    EXPECT_EQ(after.st_mode & 07777, 04755u);

    // User 65534 replaces root's set-user-id and set-group-id files: the new
    // files are theirs, without those bits.
    fs::permissions(dir, fs::perms::all);
    for (const mode_t mode : {04755, 02755}) {
        fs::remove(dir / "roots");
        write("roots", "old");
        ASSERT_EQ(::chmod((dir / "roots").c_str(), mode), 0);
        EXPECT_EQ(shell("setpriv --reuid=65534 --regid=65534 --clear-groups "
                        "\"$K\" -q --force in.txt -o roots"),
                  0);
        ASSERT_EQ(::stat((dir / "roots").c_str(), &after), 0);
        EXPECT_EQ(after.st_uid, 65534u);
        EXPECT_EQ(after.st_mode & 07777, 0755u) << std::oct << mode;
        EXPECT_EQ(read("roots"), kConverted);
    }
}

// SIGINT, SIGTERM and SIGHUP while the result is being written: the program
// dies of the signal as usual and leaves the old output and nothing else.
TEST_F(ConvertCommand, ASignalDuringTheWriteLeavesNoTemporary) {
    // 60 MiB with nothing to convert, so that the time goes to writing.
    std::string digits;
    for (std::size_t line = 0; line < (std::size_t{6} << 20); ++line)
        digits += "12345678\r\n";
    write("in.txt", digits);
    write("out.txt", "old");
    const std::string prefix = dir.string() + "/";
    // Starts the command and stops it while its temporary is there; false
    // when it finished first (a fast disk), to be tried again. (The
    // temporary's mode is seen in the system calls, below: here it may
    // already be the output's, in the last step before the rename.)
    const auto stoppedWithTemporary = [&](pid_t& child) {
        child = ::fork();
        if (child == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            for (int stream = 0; stream < 3; ++stream)
                ::dup2(null, stream);
            if (::chdir(dir.c_str()) == 0)
                ::execl(KALVO_CONVERT_BINARY, KALVO_CONVERT_BINARY, "in.txt", "-o", "out.txt",
                        static_cast<char*>(nullptr));
            ::_exit(127);
        }
        // The temporary is the file of this folder that it opens besides its
        // input and output.
        const fs::path descriptors = "/proc/" + std::to_string(child) + "/fd";
        bool seen = false;
        int status = 0;
        while (!seen) {
            std::error_code error;
            for (fs::directory_iterator entry(descriptors, error), end; !error && entry != end;
                 entry.increment(error)) {
                const std::string target = fs::read_symlink(entry->path(), error).string();
                seen = seen || (target.starts_with(prefix) && target != prefix + "in.txt" &&
                                target != prefix + "out.txt");
            }
            if (!seen && ::waitpid(child, &status, WNOHANG) == child)
                return false;
        }
        ::kill(child, SIGSTOP);
        ::waitpid(child, &status, WUNTRACED);
        if (WIFSTOPPED(status) && entries() == 3)
            return true;
        ::kill(child, SIGCONT);
        ::waitpid(child, &status, 0);
        write("out.txt", "old");
        return false;
    };
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        pid_t child = -1;
        bool caught = false;
        for (int attempt = 0; attempt < 20 && !caught; ++attempt)
            caught = stoppedWithTemporary(child);
        ASSERT_TRUE(caught) << "never seen while its temporary was there";
        ::kill(child, signal); // delivered when it goes on
        ::kill(child, SIGCONT);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(read("out.txt"), "old");
        EXPECT_EQ(entries(), 2);
    }
}

// A reader that stops early ends the command quietly, as it ends other
// filters: killed by SIGPIPE (status 141 in the shell), nothing on stderr,
// even when the caller ignores SIGPIPE.
TEST_F(ConvertCommand, AClosedPipeEndsTheCommandQuietly) {
    write("in.txt", clearScreens(std::size_t{1} << 17)); // 1 MiB, far past a pipe's buffer
    for (const char* output : {"", "-o /dev/stdout"}) {
        for (const char* callerPipe : {"", "trap \"\" PIPE;"}) {
            EXPECT_EQ(shell(std::string(callerPipe) + "\"$K\" -q in.txt " + output +
                            " 2>err | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}"),
                      128 + SIGPIPE)
                << output << callerPipe;
            EXPECT_EQ(read("err"), "") << output << callerPipe;
        }
    }
}

// Reads stop at the document limit by counting, whatever the input claims.
TEST_F(ConvertCommand, ReadsStopAtTheDocumentLimit) {
    const std::string tooLarge = "document too large: Kalvo holds at most 2147483647 bytes\n";
#if defined(__SANITIZE_ADDRESS__)
    const std::string memoryCap; // the sanitizer reserves more address space than any cap
#else
    const std::string memoryCap =
        "ulimit -v 4194304 && "; // fails fast instead of exhausting memory
#endif
    EXPECT_EQ(run("/dev/zero -o out.txt", "", memoryCap),
              "1||kalvo-convert: /dev/zero: " + tooLarge);
    EXPECT_FALSE(fs::exists(dir / "out.txt"));
    // A 3 GiB standard input that is a file is refused before any of it is read.
    EXPECT_EQ(shell("truncate -s 3G huge && { \"$K\" <&3 >out 2>err; echo $? >status; "
                    "grep ^pos: /proc/$$/fdinfo/3 >pos; } 3<huge"),
              0);
    EXPECT_EQ(read("status") + read("out") + read("err") + read("pos"),
              "1\nkalvo-convert: standard input: " + tooLarge + "pos:\t0\n");
}

// A rename is on disk only once its folder is: the folder's descriptor is
// synced after the rename that put the output in place. The temporary is
// made new and private (0600), and takes the output's mode only after its
// bytes are written.
TEST_F(ConvertCommand, TheFolderIsSyncedAfterTheRename) {
#ifndef KALVO_STRACE
    GTEST_SKIP() << "strace is needed to see the system calls";
#else
    if (std::system(KALVO_STRACE " -o /dev/null true") != 0)
        GTEST_SKIP() << "strace may not trace here";
    write("in.txt", kProgram);
    write("out.txt", "old");
    // LeakSanitizer cannot run under ptrace; in other builds the setting does nothing.
    ASSERT_EQ(shell("ASAN_OPTIONS=detect_leaks=0 " KALVO_STRACE
                    " -e trace=rename,renameat,renameat2,fsync,openat,write,fchmod -o calls "
                    "\"$K\" -q in.txt -o out.txt"),
              0);
    std::istringstream calls(read("calls"));
    std::string folder; // the descriptor the rename went through, once it has
    bool synced = false;
    std::string temporary;                  // its descriptor, once made
    bool written = false, chmodded = false; // the converted bytes, then the mode
    for (std::string call; std::getline(calls, call);) {
        if (call.starts_with("openat(") && call.find("\".kalvo-") != std::string::npos) {
            EXPECT_NE(call.find("O_CREAT|O_EXCL"), std::string::npos) << call;
            EXPECT_NE(call.find(", 0600) = "), std::string::npos) << call;
            temporary = call.substr(call.rfind(' ') + 1);
        } else if (!temporary.empty() && call.starts_with("write(" + temporary + ",")) {
            EXPECT_FALSE(chmodded) << "written after its mode changed: " << call;
            written = true;
        } else if (!temporary.empty() && call.starts_with("fchmod(" + temporary + ",")) {
            chmodded = written;
        } else if (call.starts_with("renameat") && call.find("\"out.txt\"") != std::string::npos &&
                   call.ends_with("= 0"))
            folder = call.substr(call.find('(') + 1, call.find(',') - call.find('(') - 1);
        else if (!folder.empty() && call.starts_with("fsync(" + folder + ")"))
            synced = call.ends_with("= 0");
    }
    EXPECT_FALSE(folder.empty()) << read("calls");
    EXPECT_TRUE(synced) << read("calls");
    EXPECT_TRUE(chmodded) << read("calls");
    EXPECT_EQ(read("out.txt"), kConverted);
#endif
}

// The golden pairs, written by hand, through the command with no options:
// the window's conversion byte for byte.
TEST_F(ConvertCommand, GoldenPairsConvertByteForByte) {
    const fs::path golden = KALVO_GOLDEN_DIR;
    int pairs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(golden)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(".86.txt"))
            continue;
        const std::string stem = name.substr(0, name.size() - 7);
        const auto bytes = [&golden](const std::string& file) {
            std::ostringstream in;
            in << std::ifstream(golden / file, std::ios::binary).rdbuf();
            return in.str();
        };
        // The report on stderr leaves the converted bytes as they were.
        const std::string result = run("'" + entry.path().string() + "'");
        const std::string converted = "0|" + bytes(stem + ".83p.txt") + "|";
        EXPECT_EQ(result.substr(0, converted.size()), converted) << stem;
        ++pairs;
    }
    EXPECT_EQ(pairs, 6);
}
