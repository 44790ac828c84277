// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TI-86 program files made for the benchmarks: token bytes of the kind TI-86
// games hold, wrapped in an .86p container with its lengths and checksum.

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kalvo::bench {

// `size` bytes of tokens: commands the rows rename (ClLCD, Outpt, getKy,
// DispG), strings, numbers, names, labels and gotos, operators, a window
// variable, a line end every few tokens; the last byte ends a line, so that
// no string or name is left open.
inline std::string ti86ProgramBytes(std::size_t size, unsigned seed) {
    using namespace std::string_literals;
    static const std::vector<std::string> pieces = {
        "\xE9",           // Disp
        "\xEC",           // ClLCD
        "\xEB\x10",       // Outpt(
        "\x43",           // getKy
        "\xEA",           // DispG
        "\xD8",           // If
        "\x2DScore: \0"s, // "Score: "
        "\x44"
        "12.5\0"s, // 12.5
        "\x44"
        "3\0"s, // 3
        "\x33"
        "A", // A
        "\x34"
        "XY",              // XY
        "\x37SCORE",       // SCORE
        "\x32\x01x",       // x
        "\xE0LOOP\0"s,     // Lbl LOOP
        "\xE1\0\0LOOP\0"s, // Goto LOOP
        "\x0B",
        "\x60",
        "\x70",
        "\x50",
        "\x2F", // → + * == ,
        "\x10",
        "\x11",
        "\xDD",
        "\xDE",
        "\xAA",      // ( ) For End sin
        "\x8E\x00"s, // PxOn
        "\x3D\x04",  // xMin
        "\x6E",      // :
    };
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string out;
    int sinceLineEnd = 0;
    while (out.size() < size) {
        if (++sinceLineEnd > 6) {
            out += '\x6F';
            sinceLineEnd = 0;
            continue;
        }
        out += pieces[pick(random)];
    }
    out.resize(size - 1);
    out += '\x6F';
    return out;
}

inline std::string le16(std::size_t n) {
    return {static_cast<char>(n & 0xFF), static_cast<char>(n >> 8)};
}

// An .86p file holding one program of `body` token bytes named `name` (at
// most 8 characters).
inline std::string ti86File(std::string_view body, std::string_view name = "GAME") {
    const std::string data = le16(body.size()) + std::string(body);
    std::string paddedName(name);
    paddedName.resize(8, ' ');
    const std::string entry = le16(12) + le16(data.size()) + "\x12" +
                              static_cast<char>(name.size()) + paddedName + le16(data.size()) +
                              data;
    unsigned sum = 0;
    for (const char c : entry)
        sum += static_cast<unsigned char>(c);
    return "**TI86**" + std::string("\x1A\x0A\x00", 3) + std::string(42, '\0') +
           le16(entry.size()) + entry + le16(sum & 0xFFFF);
}

} // namespace kalvo::bench
