// kalvo-convert as a script sees it: the real binary, run through the shell,
// with its standard streams in files.

#include "TempFolderTest.h"
#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

// A program with CR LF, a lone CR, a lone LF, NUL and both non-ASCII bytes.
const std::string kProgram = std::string("A:sin X\r\n:ZDecm\r:cos\xF1 X\n") + '\0' + "\xE5";
const std::string kConverted =
    std::string("A:sin(( X\r\n:Z\xE5") + "Decm\r:cos((\xF1 X\n" + '\0' + "\xE5";

// What a failure prints: one line naming the path and the system's reason.
std::string failure(const std::string& what, int error) {
    return "1||kalvo-convert: " + what + ": " + std::generic_category().message(error) + "\n";
}

class ConvertCommand : public TempFolderTest {
protected:
    std::string read(const std::string& name) {
        std::ostringstream bytes;
        bytes << std::ifstream(dir / name, std::ios::binary).rdbuf();
        return bytes.str();
    }
    void write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir / name, std::ios::binary) << bytes;
    }
    // Runs kalvo-convert in `dir` through the shell, `input` on its standard
    // input, `args` (redirections too) last; answers "exit status|stdout|stderr".
    std::string run(const std::string& args, const std::string& input = "",
                    const std::string& shellPrefix = "") {
        write(".in", input);
        const std::string command = shellPrefix + "cd '" + dir.string() + "' && exec '" +
                                    KALVO_CONVERT_BINARY + "' <.in >.out 2>.err " + args;
        const int status = std::system(command.c_str());
        const std::string result = std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1) +
                                   "|" + read(".out") + "|" + read(".err");
        for (const char* stream : {".in", ".out", ".err"})
            fs::remove(dir / stream);
        return result;
    }
    // Everything in the folder, so that a temporary left behind shows.
    long entries() const { return std::distance(fs::directory_iterator(dir), {}); }
};

} // namespace

TEST_F(ConvertCommand, ConvertsByteExactBetweenFilesAndStandardStreams) {
    for (const char* args : {"", "-", "- -o -"})
        EXPECT_EQ(run(args, kProgram), "0|" + kConverted + "|") << args;
    EXPECT_EQ(run("", ""), "0||");
    write("game.86.txt", kProgram);
    EXPECT_EQ(run("game.86.txt"), "0|" + kConverted + "|");
    EXPECT_EQ(run("game.86.txt -o game.83p.txt"), "0||");
    write("old.txt", "old contents that are longer than the new ones");
    EXPECT_EQ(run("-o old.txt game.86.txt"), "0||"); // options first; the output replaced
    write("prog.txt", kProgram);
    EXPECT_EQ(run("prog.txt -o prog.txt"), "0||"); // in place
    write("-o", ":ClLCD");
    EXPECT_EQ(run("-- -o"), "0|:ClrHome|");
    for (const char* name : {"game.83p.txt", "old.txt", "prog.txt"})
        EXPECT_EQ(read(name), kConverted) << name;
    EXPECT_EQ(read("game.86.txt"), kProgram);
    EXPECT_EQ(entries(), 5);
}

TEST_F(ConvertCommand, HelpVersionAndUsageErrors) {
    EXPECT_TRUE(run("--help").starts_with("0|Usage: kalvo-convert [INPUT] [-o OUTPUT]\n"));
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
    EXPECT_EQ(run("in.txt -o no/such/out.txt"), failure("no/such/out.txt", ENOENT));
    EXPECT_EQ(run("in.txt -o folder"), failure("folder", EISDIR));
    EXPECT_EQ(run("in.txt -o plain.txt/out.txt"), failure("plain.txt/out.txt", ENOTDIR));
    EXPECT_EQ(run(">/dev/full", kProgram), failure("standard output", ENOSPC));
    // The file size limit stops the write halfway through the result.
    std::string program;
    while (program.size() < 64 * 1024)
        program += ":Outpt(1,1,\"SCORE\")\r\n:getKy->K\r\n";
    write("in.txt", program);
    EXPECT_EQ(run("in.txt -o out.txt", "", "trap '' XFSZ; ulimit -f 8 && "),
              failure("out.txt", EFBIG));
    EXPECT_EQ(read("out.txt"), "old");
    EXPECT_EQ(entries(), 4);
}
