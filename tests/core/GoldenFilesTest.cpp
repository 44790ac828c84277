// Hand-checked TI-86 programs and their TI-83 Plus texts (tests/golden).

#include "conversion/ConversionRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in.is_open()) << path;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

TEST(GoldenFiles, EveryProgramConvertsToItsExpectedText) {
    int pairs = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(KALVO_GOLDEN_DIR)) {
        const std::string name = entry.path().filename().string();
        if (!name.ends_with(".86.txt"))
            continue;
        SCOPED_TRACE(name);
        const std::string program = readAll(entry.path());
        const std::string expected =
            readAll(entry.path().parent_path() / (name.substr(0, name.size() - 7) + ".83p.txt"));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(kalvo::convertTextStepByStep(program), expected);
        EXPECT_EQ(kalvo::convertText(program), expected);
        // Small pieces: every row holds text back across piece ends.
        for (std::size_t pieceSize : {1, 7, 64})
            EXPECT_EQ(kalvo::convertTextInPieces(program, pieceSize), expected) << pieceSize;
        ++pairs;
    }
    // A missing folder or renamed files must not pass as "nothing to check".
    EXPECT_GE(pairs, 6);
}
