// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// TI-86 program text for the benchmarks, as the link software writes it
// ("\xFC" is →, "\xF1" ⁻¹, "\xF2" ², "\xF8" ≠), with the findings of real
// programs among plain lines: long labels and names, menus, key codes,
// coordinates, equations.

#include <cstddef>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace kalvo::bench {

inline const std::vector<std::string_view>& programLines() {
    static const std::vector<std::string_view> lines = {
        ":ClLCD",
        ":DelVar(#)",
        ":Outpt(%,%,\"SCORE\")",
        ":getKy\xFC#",
        ":If #==%",
        ":If #\xF8% and #==%:Then",
        ":Goto #%",
        ":Lbl #%",
        ":Lbl LOOP",
        ":Goto LOOP",
        ":Menu(1,\"PLAY\",#1,2,\"QUIT\",#2)",
        ":Input \"ANGLE \",#",
        ":Disp \"SIN\",sin #",
        ":Disp cos #,tan #",
        ":Disp sin\xF1 .%,cosh %",
        ":%\xFCSCORE",
        ":SCORE+%\xFCSCORE",
        ":#+%\xFC#",
        ":y1=x\xF2-%x",
        ":ClDrw",
        ":DispG",
        ":PxOn(%,%)",
        ":If PxTest(%,%)==1",
        ":Text(%,%,\"HI\")",
        ":For(#,1,%)",
        ":End",
        ":Disp real(#),ident 2",
        ":Pause",
        ":HISCORE",
        ":Return",
    };
    return lines;
}

// `size` bytes or a little less of whole lines: '#' becomes a letter, '%' a
// number below 130.
inline std::string programText(std::size_t size, unsigned seed) {
    const std::vector<std::string_view>& lines = programLines();
    std::mt19937 rng(seed);
    std::string text;
    text.reserve(size + 64);
    while (text.size() < size) {
        for (const char c : lines[rng() % lines.size()]) {
            if (c == '#')
                text.push_back(static_cast<char>('A' + rng() % 26));
            else if (c == '%')
                text += std::to_string(rng() % 130);
            else
                text.push_back(c);
        }
        text += "\r\n";
    }
    // Whole lines only: a cut line could end inside a string.
    text.resize(text.rfind("\r\n", size) + 2);
    return text;
}

// `size` bytes or a little less of a line the report has nothing to say about.
inline std::string plainText(std::size_t size) {
    constexpr std::string_view line = ":A+1\xFC"
                                      "A\r\n";
    std::string text;
    text.reserve(size);
    while (text.size() + line.size() <= size)
        text += line;
    return text;
}

} // namespace kalvo::bench
