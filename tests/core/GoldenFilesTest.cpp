// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/ConversionRun.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

// Hand-checked TI-86 programs and their TI-83 Plus texts (tests/golden).
TEST(GoldenFiles, EveryProgramConvertsToItsExpectedText) {
    const auto readAll = [](const std::string& path) {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    };
    int pairs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(KALVO_GOLDEN_DIR)) {
        if (std::string name = entry.path().string(); name.ends_with(".86.txt")) {
            SCOPED_TRACE(name);
            const std::string program = readAll(name),
                              expected = readAll(name.replace(name.size() - 7, 7, ".83p.txt"));
            EXPECT_EQ(kalvo::convertTextStepByStep(program), expected);
            EXPECT_EQ(kalvo::convertText(program), expected);
            for (std::size_t pieceSize : {1, 7, 64}) // rows hold text back across piece ends
                EXPECT_EQ(kalvo::convertTextInPieces(program, pieceSize), expected) << pieceSize;
            ++pairs;
        }
    }
    EXPECT_GE(pairs, 6); // a missing folder must not pass as "nothing to check"
}
