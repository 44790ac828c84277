// SPDX-License-Identifier: GPL-3.0-or-later
// Kalvo's .8xp files read by a second, independent reader: Debian's
// libtifiles, the library behind the TiLP link program. Linked into this
// test only.
#include "../CalcFileBytes.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include "../core/TempFolderTest.h"

#include <gtest/gtest.h>
// The library's headers use C99's restrict, which C++ spells __restrict.
#define restrict __restrict
#include <tifiles.h>
#undef restrict

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

using namespace kalvo::calc;

namespace {

// What libtifiles makes of a file: its error code, then the one entry.
struct Seen {
    int error = -1;
    CalcModel model = CALC_NONE;
    unsigned entries = 0;
    std::string name;
    int type = -1, version = -1, attr = -1;
    std::string data;
    bool checksumAgrees = false;
};

Seen readWithLibtifiles(const std::filesystem::path& path) {
    Seen seen;
    FileContent* content = tifiles_content_create_regular(CALC_NONE);
    seen.error = tifiles_file_read_regular(path.c_str(), content);
    if (seen.error == 0) {
        seen.model = content->model;
        seen.entries = content->num_entries;
        seen.checksumAgrees = content->checksum == content->stored_checksum;
        if (content->num_entries == 1) {
            const VarEntry* entry = content->entries[0];
            seen.name = entry->name;
            seen.type = entry->type;
            seen.version = entry->version;
            seen.attr = entry->attr;
            seen.data.assign(reinterpret_cast<const char*>(entry->data), entry->size);
        }
    }
    tifiles_content_delete_regular(content);
    return seen;
}

class Ti83pLibtifiles : public TempFolderTest {
protected:
    static void SetUpTestSuite() { tifiles_library_init(); }
    static void TearDownTestSuite() { tifiles_library_exit(); }

    // Writes the program as Kalvo does and checks libtifiles sees the same
    // program: one TI-83 Plus program entry, its name, version byte, and
    // its data (the size word, then the token bytes).
    void expectSame(const std::vector<Ti83pToken>& tokens, const std::string& name, int version) {
        const Ti83pFileBytes file = buildTi83pFile(tokens, name);
        ASSERT_TRUE(file.written()) << name;
        const auto path = dir / (name + ".8xp");
        std::ofstream(path, std::ios::binary) << file.bytes;

        const Seen seen = readWithLibtifiles(path);
        ASSERT_EQ(seen.error, 0) << name;
        EXPECT_EQ(seen.model, CALC_TI83P) << name;
        ASSERT_EQ(seen.entries, 1u) << name;
        std::string stored = name;
        for (char& c : stored)
            c = c == '\xC1' ? '\x5B' : c; // θ as the calculator stores it
        EXPECT_EQ(seen.name, stored) << name;
        EXPECT_EQ(seen.type, 0x05) << name;
        EXPECT_EQ(seen.version, version) << name;
        EXPECT_EQ(seen.attr, 0) << name;
        const std::string program = encodeTi83pTokens(tokens);
        std::string data;
        data += static_cast<char>(program.size() & 0xFF);
        data += static_cast<char>(program.size() >> 8);
        EXPECT_EQ(seen.data, data + program) << name;
        EXPECT_TRUE(seen.checksumAgrees) << name;
    }
};

} // namespace

TEST_F(Ti83pLibtifiles, ReadsTheGoldenPrograms) {
    expectSame(tokenizeTi83pText(goldenCalcFile("ti83p-hello.83p.txt")).tokens, "HELLO", 0);
    expectSame(tokenizeTi83pText(goldenCalcFile("ti83p-score.83p.txt")).tokens, "SCORE", 1);
    // The golden files themselves, as committed.
    for (const char* stem : {"ti83p-hello", "ti83p-score"}) {
        const auto path = dir / (std::string(stem) + ".8xp");
        std::ofstream(path, std::ios::binary) << goldenCalcFile(std::string(stem) + ".8xp");
        EXPECT_EQ(readWithLibtifiles(path).error, 0) << stem;
    }
}

TEST_F(Ti83pLibtifiles, ReadsEveryVersionAndAThetaName) {
    expectSame(tokenizeTi83pText("Archive Str1").tokens, "A\xC1", 1);
    expectSame(tokenizeTi83pText("\"$5").tokens, "PRICE", 2);
    expectSame(tokenizeTi83pText("Disp \"\xF0\"").tokens, "ROOT8", 3); // √ as a character
    expectSame({}, "EMPTY", 0);
}

TEST_F(Ti83pLibtifiles, ReadsRandomProgramsOfEveryToken) {
    const auto table = ti83pTokens();
    for (unsigned seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        std::vector<Ti83pToken> tokens;
        int version = 0;
        for (std::size_t i = 0, n = random() % 400; i < n; ++i) {
            tokens.push_back({table[random() % table.size()].code});
            version = std::max<int>(version, ti83pVersionFor(tokens.back().code));
        }
        expectSame(tokens, "R" + std::to_string(seed), version);
    }
}

// Every program of the hand-built TI-86 files, made into a .8xp by the real
// kalvo-convert, is a file both readers take without a fault.
TEST_F(Ti83pLibtifiles, ReadsWhatKalvoConvertMakesOfTi86Files) {
    const std::vector<std::pair<std::string, std::string>> programs = {
        {"tokenized.86p", "@1"}, {"plain.86p", "@1"},     {"locked.86p", "@1"},
        {"group.86g", "@1"},     {"group.86g", "@2"},     {"damaged.86p", "@1"},
        {"damaged.86p", "@2"},   {"truncated.86p", "@1"}, {"truncated.86p", "@2"},
    };
    int made = 0;
    for (const auto& [file, program] : programs) {
        SCOPED_TRACE(file + " " + program);
        const auto out = dir / ("P" + std::to_string(++made) + ".8xp");
        const std::string command = std::string("'") + KALVO_CONVERT_BINARY + "' -q '" +
                                    KALVO_GOLDEN_DIR + "/calcfiles/" + file + "' --program " +
                                    program + " -o '" + out.string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const Seen seen = readWithLibtifiles(out);
        ASSERT_EQ(seen.error, 0);
        EXPECT_EQ(seen.model, CALC_TI83P);
        EXPECT_EQ(seen.entries, 1u);
        EXPECT_EQ(seen.type, 0x05);
        EXPECT_TRUE(seen.checksumAgrees);
        std::ifstream in(out, std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), {}};
        const Ti83pFile ours = readTi83pFile(bytes);
        EXPECT_TRUE(ours.readable());
        EXPECT_TRUE(ours.diagnostics.empty());
        // The same tokens in both: libtifiles' data is the size word, then them.
        EXPECT_EQ(seen.data.substr(2), encodeTi83pTokens(ours.tokens));
    }
}
