// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Bytes for the calculator-file tests: the hand-built files of
// tests/golden/calcfiles and the little-endian lengths the files hold.

#include <gtest/gtest.h>

#include <cstddef>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

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

// A TI-86 variable file made here: each entry `type` (12 a program), its
// name padded to 8 bytes, and its data; a program's data is its 2-byte
// length and body (see ti86ProgramData). The lengths and checksum are right.
struct Ti86TestEntry {
    std::string name;
    std::string data;
    char type = '\x12';
};

inline std::string ti86ProgramData(std::string_view body) {
    return le16(body.size()) + std::string(body);
}

inline std::string ti86TestFile(const std::vector<Ti86TestEntry>& entries) {
    std::string data;
    for (const Ti86TestEntry& e : entries) {
        std::string name = e.name;
        name.resize(8, ' ');
        data += le16(12) + le16(e.data.size()) + e.type + static_cast<char>(e.name.size()) + name +
                le16(e.data.size()) + e.data;
    }
    unsigned sum = 0;
    for (const char c : data)
        sum += static_cast<unsigned char>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') + le16(data.size()) +
           data + le16(sum & 0xFFFF);
}
