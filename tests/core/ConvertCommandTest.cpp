// kalvo-convert as a script sees it: the real binary, run through the shell,
// with its standard streams in files.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string reason(int error) {
    return std::generic_category().message(error);
}

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) {
        if (c == '\'')
            out += "'\\''";
        else
            out.push_back(c);
    }
    return out + "'";
}

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class ConvertCommand : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() /
              ("kalvo-convert-" + std::to_string(::getpid()) + "-" +
               testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "work");
        work = dir / "work";
    }
    void TearDown() override { fs::remove_all(dir); }

    // Runs kalvo-convert with `args` and `input` on its standard input.
    // `shellPrefix` runs in the same shell first; `stdoutTo` replaces the
    // captured standard output.
    Outcome run(const std::vector<std::string>& args, const std::string& input = "",
                const std::string& shellPrefix = "", const std::string& stdoutTo = "") {
        writeAll(dir / "stdin", input);
        std::string command = shellPrefix + "cd " + quoted(work.string()) + " && exec " +
                              quoted(KALVO_CONVERT_BINARY);
        for (const std::string& arg : args)
            command += " " + quoted(arg);
        command += " <" + quoted((dir / "stdin").string());
        command += " >" + (stdoutTo.empty() ? quoted((dir / "stdout").string()) : stdoutTo);
        command += " 2>" + quoted((dir / "stderr").string());
        const int status = std::system(command.c_str());
        Outcome outcome;
        if (WIFEXITED(status))
            outcome.exitCode = WEXITSTATUS(status);
        outcome.out = readAll(dir / "stdout");
        outcome.err = readAll(dir / "stderr");
        fs::remove(dir / "stdout");
        return outcome;
    }

    // Names in the working folder, to see that nothing was left behind.
    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(work))
            names.insert(entry.path().filename().string());
        return names;
    }

    fs::path dir;
    fs::path work;
};

// A program with CR LF, a lone CR, a lone LF, NUL and both non-ASCII bytes.
const std::string kProgram = std::string("A:sin X\r\n:ZDecm\r:cos\xF1 X\n") + '\0' + "\xE5";
const std::string kConverted = std::string("A:sin(( X\r\n:Z\xE5"
                                           "Decm\r:cos((\xF1 X\n") +
                               '\0' + "\xE5";

// An error report is exactly one line.
void expectOneLine(const std::string& err) {
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(err.back(), '\n') << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << err;
}

} // namespace

TEST_F(ConvertCommand, StandardInputToStandardOutputIsByteExact) {
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"-"}, {"-", "-o", "-"}}) {
        const Outcome outcome = run(args, kProgram);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.out, kConverted);
        EXPECT_EQ(outcome.err, "");
    }
    const Outcome empty = run({}, "");
    EXPECT_EQ(empty.exitCode, 0);
    EXPECT_EQ(empty.out, "");
}

TEST_F(ConvertCommand, FileToFile) {
    writeAll(work / "game.86.txt", kProgram);
    Outcome outcome = run({"game.86.txt", "-o", "game.83p.txt"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, "");
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(readAll(work / "game.83p.txt"), kConverted);
    EXPECT_EQ(readAll(work / "game.86.txt"), kProgram);

    // Options may come first; an existing output is replaced.
    writeAll(work / "old.txt", "old contents that are longer than the new ones, to be cut");
    outcome = run({"-o", "old.txt", "game.86.txt"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(readAll(work / "old.txt"), kConverted);

    // A file to standard output.
    outcome = run({"game.86.txt"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, kConverted);
    EXPECT_EQ(entries(), (std::set<std::string>{"game.86.txt", "game.83p.txt", "old.txt"}));
}

TEST_F(ConvertCommand, OutputMayBeTheInputItself) {
    writeAll(work / "prog.txt", kProgram);
    const Outcome outcome = run({"prog.txt", "-o", "prog.txt"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    EXPECT_EQ(readAll(work / "prog.txt"), kConverted);
    EXPECT_EQ(entries(), std::set<std::string>{"prog.txt"});
}

TEST_F(ConvertCommand, DoubleDashEndsTheOptions) {
    writeAll(work / "-o", ":ClLCD");
    const Outcome outcome = run({"--", "-o"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, ":ClrHome");
}

TEST_F(ConvertCommand, HelpAndVersion) {
    for (const char* option : {"--help", "-h"}) {
        const Outcome help = run({option});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.rfind("Usage: kalvo-convert [INPUT] [-o OUTPUT]\n", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("for f in"), std::string::npos); // the batch example
        EXPECT_EQ(help.err, "");
    }
    const Outcome version = run({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, std::string("kalvo-convert ") + KALVO_VERSION + "\n");
    EXPECT_EQ(version.err, "");
}

TEST_F(ConvertCommand, AWrongCommandLineIsAUsageError) {
    writeAll(work / "a.txt", ":ClLCD");
    const std::vector<std::vector<std::string>> wrong{
        {"--bogus"},
        {"-x", "a.txt"},
        {"a.txt", "b.txt"},
        {"a.txt", "-o"},
        {"-o", "x", "-o", "y", "a.txt"},
        {"a.txt", "-o", "out.txt", "--output=out.txt"},
    };
    for (const std::vector<std::string>& args : wrong) {
        SCOPED_TRACE(args.front() + " " + args.back());
        const Outcome outcome = run(args, ":ClLCD");
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.out, "");
        EXPECT_NE(outcome.err.find("Usage: kalvo-convert"), std::string::npos) << outcome.err;
    }
    // Nothing was converted or written.
    EXPECT_EQ(entries(), std::set<std::string>{"a.txt"});
    EXPECT_EQ(readAll(work / "a.txt"), ":ClLCD");
}

TEST_F(ConvertCommand, AnUnreadableInputLeavesTheOutputAlone) {
    writeAll(work / "out.txt", "old");
    fs::create_directory(work / "folder");
    const struct {
        std::string input;
        int error;
    } cases[] = {{"missing.txt", ENOENT}, {"folder", EISDIR}, {"folder/missing.txt", ENOENT}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        const Outcome outcome = run({c.input, "-o", "out.txt"});
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.out, "");
        expectOneLine(outcome.err);
        EXPECT_EQ(outcome.err, "kalvo-convert: " + c.input + ": " + reason(c.error) + "\n");
        EXPECT_EQ(readAll(work / "out.txt"), "old");
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"folder", "out.txt"}));
}

TEST_F(ConvertCommand, AnUnwritableOutputIsReportedAndNothingIsLeftBehind) {
    writeAll(work / "in.txt", kProgram);
    writeAll(work / "plain.txt", "a file, not a folder");
    fs::create_directory(work / "folder");
    writeAll(work / "folder" / "keep.txt", "kept");
    const struct {
        std::string output;
        int error;
    } cases[] = {
        {"no/such/folder/out.txt", ENOENT},
        {"folder", EISDIR},
        {"plain.txt/out.txt", ENOTDIR},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        const Outcome outcome = run({"in.txt", "-o", c.output});
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.out, "");
        expectOneLine(outcome.err);
        EXPECT_EQ(outcome.err, "kalvo-convert: " + c.output + ": " + reason(c.error) + "\n");
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"folder", "in.txt", "plain.txt"}));
    EXPECT_TRUE(fs::is_directory(work / "folder"));
    EXPECT_EQ(readAll(work / "folder" / "keep.txt"), "kept");
    EXPECT_EQ(readAll(work / "plain.txt"), "a file, not a folder");
}

// The file size limit stops even root, so the write fails halfway through
// the result: the old output must survive whole.
TEST_F(ConvertCommand, AWriteThatFailsHalfwayKeepsTheOldOutput) {
    std::string program;
    while (program.size() < 64 * 1024)
        program += ":Outpt(1,1,\"SCORE\")\r\n:getKy->K\r\n";
    writeAll(work / "in.txt", program);
    writeAll(work / "out.txt", "old");
    const Outcome outcome = run({"in.txt", "-o", "out.txt"}, "", "trap '' XFSZ; ulimit -f 8 && ");
    EXPECT_EQ(outcome.exitCode, 1);
    expectOneLine(outcome.err);
    EXPECT_EQ(outcome.err, "kalvo-convert: out.txt: " + reason(EFBIG) + "\n");
    EXPECT_EQ(readAll(work / "out.txt"), "old");
    EXPECT_EQ(entries(), (std::set<std::string>{"in.txt", "out.txt"}));
}

TEST_F(ConvertCommand, AFullStandardOutputIsAnError) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const Outcome outcome = run({}, kProgram, "", "/dev/full");
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "kalvo-convert: standard output: " + reason(ENOSPC) + "\n");
}

// Positions are 32-bit: a larger document is refused before it is read. A
// sparse file costs no disk space.
TEST_F(ConvertCommand, ADocumentPastTheLargestPositionIsRefused) {
    { std::ofstream(work / "huge.txt").put(':'); }
    fs::resize_file(work / "huge.txt", std::uintmax_t{1} << 31);
    const Outcome outcome = run({"huge.txt", "-o", "out.txt"});
    EXPECT_EQ(outcome.exitCode, 1);
    expectOneLine(outcome.err);
    EXPECT_EQ(outcome.err.rfind("kalvo-convert: huge.txt: ", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("too large"), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(work / "out.txt"));
}

// Every golden pair through the command, file to file.
TEST_F(ConvertCommand, ReproducesTheGoldenFiles) {
    int pairs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(KALVO_GOLDEN_DIR)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(".86.txt"))
            continue;
        const fs::path expected =
            entry.path().parent_path() / (name.substr(0, name.size() - 7) + ".83p.txt");
        SCOPED_TRACE(name);
        const Outcome outcome = run({entry.path().string(), "-o", "result.txt"});
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.err, "");
        EXPECT_EQ(readAll(work / "result.txt"), readAll(expected));
        ++pairs;
    }
    EXPECT_GE(pairs, 6);
}
