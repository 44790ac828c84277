// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Bytes for the calculator-file tests: the hand-built files of
// tests/golden/calcfiles and the little-endian lengths the files hold.

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>

// A file of tests/golden/calcfiles, byte for byte; a missing one fails the test.
inline std::string goldenCalcFile(const std::string& name) {
    std::ifstream file(std::string(KALVO_GOLDEN_DIR) + "/calcfiles/" + name, std::ios::binary);
    EXPECT_TRUE(file.good()) << name << " is missing";
    return {std::istreambuf_iterator<char>(file), {}};
}

// A 16-bit length as the files store it, low byte first.
inline std::string le16(std::size_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>((n >> 8) & 0xFF)};
}
