// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Random TI-86 programs and groups for the translator's property test and
// benchmark: labels with their Gotos and menus, long and lowercase names of
// each kind, strings, calls between the programs of a group, equations and
// functions written without parentheses. Each label is defined once, and
// each name is used as one kind only, so that the translation can be held
// to "every target has one Lbl" and "no two names share a TI-83 Plus name".
#include "calcfiles/ti86/Ti86Listing.h"
#include "calcfiles/ti86/Ti86Tokens.h"
#include "calcfiles/translate/Ti86To83p.h"

#include <random>
#include <string>
#include <vector>

namespace kalvo::calc::testing {

inline const std::vector<std::string>& generatedLabels() {
    static const std::vector<std::string> labels = {"START", "LOOP",  "END1", "MENU",     "QUIT",
                                                    "AGAIN", "a",     "Z9",   "HELLOWOR", "SHOP",
                                                    "SAVE",  "SAVE2", "GO",   "b1"};
    return labels;
}

class Ti86ProgramGenerator {
public:
    explicit Ti86ProgramGenerator(unsigned seed) : random_(seed) {}

    // A group of `count` programs; each may call the ones after it.
    std::vector<Ti86SourceProgram> group(std::size_t count, std::size_t statements) {
        static const std::vector<std::string> programNames = {"MAIN", "SHOP", "fight", "Lvl2",
                                                              "SAVE"};
        std::vector<Ti86SourceProgram> out;
        for (std::size_t p = 0; p < count; ++p) {
            std::vector<std::string> callable(programNames.begin() + static_cast<long>(p) + 1,
                                              programNames.begin() + static_cast<long>(count));
            out.push_back({programNames[p], program(statements, callable)});
        }
        return out;
    }

    // One program's tokens, with the line and column of their listing.
    std::vector<Ti86Token> program(std::size_t statements,
                                   const std::vector<std::string>& callable = {}) {
        tokens_.clear();
        std::vector<std::string> labels;
        for (const std::string& l : generatedLabels())
            if (pick(2) == 0)
                labels.push_back(l);
        std::vector<std::string> unplaced = labels;
        for (std::size_t s = 0; s < statements; ++s) {
            if (s > 0)
                code(pick(4) == 0 ? 0x6E : 0x6F);
            if (!unplaced.empty() && pick(6) == 0) {
                label(0xE0, unplaced.back());
                unplaced.pop_back();
                continue;
            }
            statement(labels, callable);
        }
        for (const std::string& l : unplaced) {
            code(0x6F);
            label(0xE0, l);
        }
        return listTi86Tokens(std::move(tokens_)).tokens;
    }

    // A program that reads keys: getKy→K, codes compared with K or getKy
    // (either way round, with and, or), K cleared or tested for a key,
    // all uses a translator can follow. The codes are ones whose TI-83 Plus
    // code differs, keys it lacks, numbers that are no key, and 0.
    std::vector<Ti86Token> keyProgram(std::size_t statements) {
        static const std::vector<std::string> codes = {"33", "41", "51", "61", "71", "81", "22",
                                                       "23", "42", "44", "62", "99", "7",  "0"};
        tokens_.clear();
        code(ti86::GetKy), code(ti86::Store), name("K");
        const auto key = [this] { pick(3) == 0 ? code(ti86::GetKy) : name("K"); };
        const auto compared = [&] {
            const std::uint16_t op = pick(2) == 0 ? ti86::Equal : ti86::NotEqual;
            if (pick(3) == 0)
                with(ti86::Number, any(codes)), code(op), key();
            else
                key(), code(op), with(ti86::Number, any(codes));
        };
        for (std::size_t s = 0; s < statements; ++s) {
            code(pick(4) == 0 ? ti86::Colon : ti86::Newline);
            switch (pick(6)) {
            case 0: // getKy→K
                code(ti86::GetKy), code(ti86::Store), name("K");
                break;
            case 1: // 0→K
                with(ti86::Number, "0"), code(ti86::Store), name("K");
                break;
            case 2: // If K>0
                code(ti86::If), key(), code(ti86::Greater), with(ti86::Number, "0");
                break;
            case 3: // If K==33 or getKy≠22
                code(ti86::If), compared(), code(pick(2) == 0 ? ti86::And : ti86::Or), compared();
                break;
            default: // If K==33
                code(ti86::If), compared();
                break;
            }
        }
        return listTi86Tokens(std::move(tokens_)).tokens;
    }

    // A statement that compares K with no code alone, or uses its value
    // otherwise, after which a translator follows getKy no more: K+1→A,
    // If K==33+1, If 2K==33.
    std::vector<Ti86Token> keyMisuse() {
        tokens_.clear();
        switch (pick(3)) {
        case 0:
            name("K"), code(ti86::Plus), with(ti86::Number, "1"), code(ti86::Store), name("A");
            break;
        case 1:
            code(ti86::If), name("K"), code(ti86::Equal), with(ti86::Number, "33"),
                code(ti86::Plus), with(ti86::Number, "1");
            break;
        default:
            code(ti86::If), with(ti86::Number, "2"), name("K"), code(ti86::Equal),
                with(ti86::Number, "33");
            break;
        }
        return std::move(tokens_);
    }

private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }

    template <typename T> const T& any(const std::vector<T>& v) { return v[pick(v.size())]; }

    void code(std::uint16_t c) {
        Ti86Token t;
        t.code = c;
        tokens_.push_back(std::move(t));
    }
    void with(std::uint16_t c, std::string data) {
        Ti86Token t;
        t.code = c;
        t.data = std::move(data);
        tokens_.push_back(std::move(t));
    }
    void name(const std::string& n) { with(static_cast<std::uint16_t>(0x32 + n.size()), n); }
    void number() { with(0x44, std::to_string(pick(100))); }
    void label(std::uint16_t c, const std::string& l) { with(c, l); }
    void string() {
        static const std::vector<std::string> texts = {"HELLO", "Score:", "you win",
                                                       "\xC1=", "A+B",    ""};
        with(0x2D, any(texts));
    }

    void real() {
        static const std::vector<std::string> reals = {"MONEY", "SCORE", "LIVES", "LEVEL", "A",
                                                       "B",     "hp",    "TOTAL", "COUNT", "X",
                                                       "M",     "K",     "q",     "SPEED"};
        if (pick(8) == 0)
            with(0x32, pick(2) == 0 ? "x" : "y");
        else
            name(any(reals));
    }

    void statement(const std::vector<std::string>& labels,
                   const std::vector<std::string>& callable) {
        static const std::vector<std::string> strings = {"NAME", "WORD", "MSG"};
        static const std::vector<std::string> lists = {"SCORES", "DATA", "L1"};
        switch (pick(16)) {
        case 0: // 5→MONEY
            number(), code(0x0B), real();
            break;
        case 1: // MONEY+LIVES→SCORE
            real(), code(0x60), real(), code(0x0B), real();
            break;
        case 2: // Disp MONEY / Disp "text"
            code(0xE9);
            pick(2) == 0 ? real() : string();
            break;
        case 3: // If MONEY==5
            code(0xD8), real(), code(0x50), number();
            break;
        case 4:
            if (!labels.empty())
                code(0xE1), tokens_.back().data = any(labels);
            else
                code(0xEC);
            break;
        case 5: // Menu(1,"text",label,...)
            if (labels.empty()) {
                code(0x83);
                break;
            }
            code(0x4C), code(0x10);
            for (std::size_t c = 0, n = 1 + pick(3); c < n; ++c) {
                if (c > 0)
                    code(0x2F);
                with(0x44, std::to_string(c + 1)), code(0x2F), string(), code(0x2F),
                    name(any(labels));
            }
            code(0x11);
            break;
        case 6: // sin MONEY→B, ln 2
            code(pick(2) == 0 ? 0xAA : 0xA6);
            pick(2) == 0 ? real() : number();
            code(0x0B), real();
            break;
        case 7: // round(MONEY,2)→A
            code(0x12), code(0x10), real(), code(0x2F), number(), code(0x11), code(0x0B), real();
            break;
        case 8: // y1=x²
            with(0x3B, "y" + std::to_string(1 + pick(9))), code(0x3F), with(0x32, "x"), code(0x4A);
            break;
        case 9: // "text"→NAME, InpSt "?",WORD
            if (pick(2) == 0)
                string(), code(0x0B), name(any(strings));
            else
                code(0xE8), string(), code(0x2F), name(any(strings));
            break;
        case 10: // {1,2}→SCORES, sum SCORES→TOTAL
            if (pick(2) == 0)
                code(0x0E), number(), code(0x2F), number(), code(0x0F), code(0x0B),
                    name(any(lists));
            else
                code(0xC1), name(any(lists)), code(0x0B), real();
            break;
        case 11:
            if (!callable.empty())
                name(any(callable));
            else
                code(0xEC);
            break;
        case 12: // For(I,1,5):End
            code(0xDD), code(0x10), name("I"), code(0x2F), number(), code(0x2F), number(),
                code(0x11), code(0x6E), code(0xDE);
            break;
        case 13: // getKy→K, a token with no counterpart
            if (pick(2) == 0)
                code(0x43), code(0x0B), name("K");
            else
                code(0x16), code(0x10), real(), code(0x2F), real(), code(0x11);
            break;
        case 14: // Outpt(1,1,MONEY)
            code(0xEB), code(0x10), number(), code(0x2F), number(), code(0x2F), real(), code(0x11);
            break;
        default: // DelVar(MONEY), ClLCD
            if (pick(2) == 0)
                code(0x8E17), code(0x10), real(), code(0x11);
            else
                code(0xEC);
            break;
        }
    }

    std::mt19937 random_;
    std::vector<Ti86Token> tokens_;
};

} // namespace kalvo::calc::testing
