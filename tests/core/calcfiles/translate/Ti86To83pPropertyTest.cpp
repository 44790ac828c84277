// SPDX-License-Identifier: GPL-3.0-or-later
// The translator over generated TI-86 programs and groups (fixed seeds):
// the output is a .8xp the reader takes back without a complaint, every
// Goto and menu target has exactly one Lbl of one or two characters, no two
// TI-86 names share a TI-83 Plus name, a name shared by programs that call
// one another is translated alike in each, and the same input gives the same output.
#include "../ti86/Ti86ProgramGenerator.h"

#include "../diagnostics/FromCatalogue.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/translate/Ti86To83p.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

namespace {

using namespace kalvo::calc;
using Codes = std::vector<std::uint16_t>;

bool isLabelToken(std::uint16_t c) {
    return (c >= 0x41 && c <= 0x5B) || (c >= 0x30 && c <= 0x39);
}

Codes labelAt(const std::vector<Ti83pToken>& tokens, std::size_t& i) {
    Codes label;
    while (i < tokens.size() && isLabelToken(tokens[i].code))
        label.push_back(tokens[i++].code);
    return label;
}

// Lbl names with their counts, and every Goto and Menu( target.
void labelsOf(const std::vector<Ti83pToken>& tokens, std::map<Codes, int>& lbls,
              std::vector<Codes>& targets) {
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::uint16_t c = tokens[i].code;
        if (c == 0xD6 || c == 0xD7) {
            std::size_t k = i + 1;
            const Codes label = labelAt(tokens, k);
            c == 0xD6 ? void(++lbls[label]) : targets.push_back(label);
            i = k - 1;
        } else if (c == 0xE6) {
            // Menu("title","text",label,...)
            std::size_t k = i + 1;
            const auto skipString = [&] {
                ASSERT_EQ(tokens[k].code, 0x2A);
                ++k;
                while (k < tokens.size() && tokens[k].code != 0x2A)
                    ++k;
                ++k;
            };
            skipString();
            while (k < tokens.size() && tokens[k].code == 0x2B) {
                ++k;
                skipString();
                ASSERT_EQ(tokens[k].code, 0x2B);
                ++k;
                targets.push_back(labelAt(tokens, k));
            }
            i = k - 1;
        }
    }
}

// What each TI-86 variable name became: the output tokens written at the
// name token's place in the listing.
std::map<std::string, Codes> namesOf(const std::vector<Ti86Token>& in,
                                     const std::vector<Ti83pToken>& out,
                                     const std::set<std::string>& skip) {
    std::map<std::pair<std::size_t, std::size_t>, Codes> at;
    for (const Ti83pToken& t : out)
        at[{t.line, t.column}].push_back(t.code);
    std::map<std::string, Codes> names;
    for (const Ti86Token& t : in)
        if (t.code >= 0x32 && t.code <= 0x3A && !skip.count(t.data)) {
            // x and y (32) are the calculator's; MONEY, X (33-3A) the program's.
            const std::string key = (t.code == 0x32 ? "builtin " : "") + t.data;
            const Codes& codes = at[{t.line, t.column}];
            const auto [it, added] = names.emplace(key, codes);
            EXPECT_EQ(it->second, codes) << t.data << " translated two ways";
        }
    return names;
}

void checkFile(const Ti83pTranslation& t) {
    const Ti83pFileBytes file = buildTi83pFile(t.tokens, t.name);
    ASSERT_TRUE(file.written()) << t.name;
    const Ti83pFile back = readTi83pFile(file.bytes);
    EXPECT_TRUE(back.diagnostics.empty()) << t.name;
    EXPECT_EQ(back.name, t.name);
    ASSERT_EQ(back.tokens.size(), t.tokens.size());
    for (std::size_t i = 0; i < t.tokens.size(); ++i)
        ASSERT_EQ(back.tokens[i].code, t.tokens[i].code) << i;
}

void checkLabels(const Ti83pTranslation& t) {
    std::map<Codes, int> lbls;
    std::vector<Codes> targets;
    labelsOf(t.tokens, lbls, targets);
    for (const auto& [label, count] : lbls) {
        EXPECT_GE(label.size(), 1u);
        EXPECT_LE(label.size(), 2u);
    }
    for (const Codes& target : targets)
        EXPECT_EQ(lbls[target], 1) << t.name;
}

std::vector<std::string> findingsOf(const Ti83pTranslation& t) {
    std::vector<std::string> out;
    for (const Diagnostic& d : t.diagnostics) {
        EXPECT_TRUE(fromCatalogue(d)) << d.message;
        out.push_back(std::to_string(d.line) + ":" + std::to_string(d.column) + d.message);
    }
    return out;
}

std::set<std::string> programAndLabelNames(const std::vector<Ti86SourceProgram>& group) {
    std::set<std::string> skip(kalvo::calc::testing::generatedLabels().begin(),
                               kalvo::calc::testing::generatedLabels().end());
    for (const Ti86SourceProgram& p : group)
        skip.insert(p.name);
    return skip;
}

} // namespace

TEST(Ti86To83pProperties, SinglePrograms) {
    for (unsigned seed = 1; seed <= 60; ++seed) {
        SCOPED_TRACE(seed);
        kalvo::calc::testing::Ti86ProgramGenerator generator(seed);
        const std::vector<Ti86Token> tokens = generator.program(40);
        const Ti83pTranslation t = translateTi86Program(tokens, "GAME");
        checkFile(t);
        checkLabels(t);

        const std::map<std::string, Codes> names =
            namesOf(tokens, t.tokens, programAndLabelNames({}));
        std::set<Codes> distinct;
        for (const auto& [name, codes] : names) {
            EXPECT_FALSE(codes.empty()) << name;
            EXPECT_TRUE(distinct.insert(codes).second) << name << " shares its TI-83 Plus name";
        }

        const Ti83pTranslation again = translateTi86Program(tokens, "GAME");
        EXPECT_TRUE(again.tokens == t.tokens);
        EXPECT_EQ(findingsOf(again), findingsOf(t));
    }
}

TEST(Ti86To83pProperties, Groups) {
    for (unsigned seed = 100; seed < 130; ++seed) {
        SCOPED_TRACE(seed);
        kalvo::calc::testing::Ti86ProgramGenerator generator(seed);
        const std::vector<Ti86SourceProgram> group = generator.group(2 + seed % 4, 30);
        const std::vector<Ti83pTranslation> out = translateTi86Group(group);
        ASSERT_EQ(out.size(), group.size());

        // Programs joined by the prgm calls of the output run together.
        std::vector<std::size_t> set(group.size());
        for (std::size_t p = 0; p < set.size(); ++p)
            set[p] = p;
        const auto root = [&set](std::size_t p) {
            while (set[p] != p)
                p = set[p];
            return p;
        };
        for (std::size_t p = 0; p < group.size(); ++p) {
            checkFile(out[p]);
            checkLabels(out[p]);
            // A call of a program of the group names its TI-83 Plus program.
            for (std::size_t i = 0; i + 1 < out[p].tokens.size(); ++i)
                if (out[p].tokens[i].code == 0x5F) {
                    std::string called;
                    for (std::size_t k = i + 1;
                         k < out[p].tokens.size() && isLabelToken(out[p].tokens[k].code); ++k)
                        called += static_cast<char>(out[p].tokens[k].code);
                    const auto hit =
                        std::find_if(out.begin(), out.end(),
                                     [&](const Ti83pTranslation& o) { return o.name == called; });
                    ASSERT_NE(hit, out.end()) << called;
                    set[root(static_cast<std::size_t>(hit - out.begin()))] = root(p);
                }
        }
        // Within such a set a name is translated alike in every program, and
        // no two names share a TI-83 Plus name.
        std::map<std::size_t, std::map<std::string, Codes>> shared;
        const std::set<std::string> skip = programAndLabelNames(group);
        for (std::size_t p = 0; p < group.size(); ++p)
            for (const auto& [name, codes] : namesOf(group[p].tokens, out[p].tokens, skip)) {
                const auto [it, added] = shared[root(p)].emplace(name, codes);
                EXPECT_EQ(it->second, codes) << name << " differs between programs";
            }
        for (const auto& [first, names] : shared) {
            std::set<Codes> distinct;
            for (const auto& [name, codes] : names)
                EXPECT_TRUE(distinct.insert(codes).second) << name << " shares its TI-83 Plus name";
        }

        const std::vector<Ti83pTranslation> again = translateTi86Group(group);
        for (std::size_t p = 0; p < group.size(); ++p) {
            EXPECT_TRUE(again[p].tokens == out[p].tokens);
            EXPECT_EQ(findingsOf(again[p]), findingsOf(out[p]));
        }
    }
}
