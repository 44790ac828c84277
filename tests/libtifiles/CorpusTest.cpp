// SPDX-License-Identifier: GPL-3.0-or-later
// Real TI-86 programs, read from the folder KALVO_CORPUS_DIR names (or the
// KALVO_CORPUS environment variable), translated by the real kalvo-convert
// as a user runs it: a file of several programs with --all, one program on
// its own into a .8xp. Nothing of them is kept here; without the folder the
// test is skipped.
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Listing.h"

#include "../core/TempFolderTest.h"

#include <gtest/gtest.h>
#define restrict __restrict
#include <tifiles.h>
#undef restrict

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace kalvo::calc;
namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

fs::path corpusFolder() {
    if (const char* env = std::getenv("KALVO_CORPUS"); env != nullptr && *env != '\0')
        return env;
    return KALVO_CORPUS_DIR;
}

// Jump targets with no Lbl in one TI-86 program: Goto's and Menu('s.
std::size_t unresolvedTi86(const std::vector<Ti86Token>& tokens) {
    std::set<std::string> labels, targets;
    bool inMenu = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Ti86Token& t = tokens[i];
        if (!t.known)
            continue;
        if (t.code == 0x6E || t.code == 0x6F)
            inMenu = false;
        else if (t.code == 0x4C)
            inMenu = true;
        else if (t.code == 0xE0)
            labels.insert(t.data);
        else if (t.code == 0xE1)
            targets.insert(t.data);
        else if (inMenu && t.code >= 0x32 && t.code <= 0x3A && i >= 2 && tokens[i - 1].known &&
                 tokens[i - 1].code == 0x2F && tokens[i - 2].known && tokens[i - 2].code == 0x2D)
            targets.insert(t.data);
    }
    return static_cast<std::size_t>(std::count_if(
        targets.begin(), targets.end(), [&](const std::string& l) { return !labels.count(l); }));
}

struct Ti83pJumps {
    std::set<std::string> labels, targets;
    std::vector<std::string> badNames; // labels not of 1-2 characters
};

// Lbl, Goto and Menu( labels of a TI-83 Plus program, as their token bytes.
Ti83pJumps jumpsOf(const std::vector<Ti83pToken>& tokens) {
    Ti83pJumps out;
    const auto ends = [](std::uint16_t c) { return c == 0x3E || c == 0x3F; };
    const auto keep = [&out](std::set<std::string>& into, const std::string& name) {
        if (name.empty() || name.size() > 2)
            out.badNames.push_back(name);
        into.insert(name);
    };
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::uint16_t code = tokens[i].code;
        if (code == 0xD6 || code == 0xD7) {
            std::string name;
            std::size_t k = i + 1;
            for (; k < tokens.size() && !ends(tokens[k].code); ++k)
                name += static_cast<char>(tokens[k].code & 0xFF);
            keep(code == 0xD6 ? out.labels : out.targets, name);
            i = k;
        } else if (code == 0xE6 && i + 1 < tokens.size() && tokens[i + 1].code == 0x2A) {
            // Menu("title","text",label,...): every second argument after the
            // title. (One the translator could not put in this form it warned
            // about and left as it stood.)
            std::vector<std::string> args(1);
            bool quoted = false;
            std::size_t k = i + 1;
            for (; k < tokens.size() && !ends(tokens[k].code); ++k) {
                const std::uint16_t c = tokens[k].code;
                if (c == 0x2A)
                    quoted = !quoted;
                else if (c == 0x2B && !quoted)
                    args.emplace_back();
                else if (!(c == 0x11 && !quoted && k + 1 < tokens.size() &&
                           ends(tokens[k + 1].code)))
                    args.back() += static_cast<char>(c & 0xFF);
            }
            for (std::size_t a = 2; a < args.size(); a += 2)
                keep(out.targets, args[a]);
            i = k;
        }
    }
    return out;
}

class RealPrograms : public TempFolderTest {
protected:
    static void SetUpTestSuite() { tifiles_library_init(); }
    static void TearDownTestSuite() { tifiles_library_exit(); }
};

TEST_F(RealPrograms, EveryProgramTranslatesIntoAValidFileForEveryTarget) {
    const fs::path folder = corpusFolder();
    if (!fs::is_directory(folder))
        GTEST_SKIP() << folder << " is absent";
    std::vector<fs::path> files;
    for (const auto& e : fs::recursive_directory_iterator(folder)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), ::tolower);
        if (e.is_regular_file() && (ext == ".86p" || ext == ".86g"))
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    ASSERT_FALSE(files.empty());

    std::size_t programs = 0;
    // One file; a fatal failure ends only its own check.
    const auto check = [&](const fs::path& path, const std::string& target) {
        const Ti86File file = readTi86File(readAll(path));
        ASSERT_TRUE(file.readable());
        std::size_t basic = 0, unresolvedBefore = 0;
        for (const Ti86Entry* entry : ti86Programs(file)) {
            const Ti86Listing listing = listTi86Program(*entry);
            if (!listing.listed())
                continue; // assembly
            ++basic;
            unresolvedBefore += unresolvedTi86(
                listing.tokens.empty() ? tokenizeTi86Text(listing.text).tokens : listing.tokens);
        }
        if (basic == 0)
            return;
        programs += basic;
        const fs::path out = dir / "out";
        fs::remove_all(out);
        fs::create_directory(out);
        const bool group = ti86Programs(file).size() > 1;
        const std::string command = std::string("'") + KALVO_CONVERT_BINARY + "' -q " +
                                    (group ? "--all " : "") + "'" + path.string() + "' -o '" +
                                    (out / (group ? "" : "P.8xp")).string() + "'" + " --target " +
                                    target;
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << command;
        ASSERT_EQ(WEXITSTATUS(status), 0) << command;

        std::size_t made = 0, unresolvedAfter = 0;
        for (const auto& e : fs::directory_iterator(out)) {
            ++made;
            SCOPED_TRACE(e.path().filename().string());
            FileContent* content = tifiles_content_create_regular(CALC_NONE);
            ASSERT_EQ(tifiles_file_read_regular(e.path().c_str(), content), 0);
            EXPECT_EQ(content->num_entries, 1);
            EXPECT_EQ(content->checksum, content->stored_checksum);
            std::string theirs;
            if (content->num_entries == 1)
                theirs.assign(reinterpret_cast<const char*>(content->entries[0]->data),
                              content->entries[0]->size);
            tifiles_content_delete_regular(content);

            const Ti83pFile ours = readTi83pFile(readAll(e.path()));
            ASSERT_TRUE(ours.readable());
            EXPECT_TRUE(ours.diagnostics.empty());
            EXPECT_EQ(theirs.substr(std::min<std::size_t>(2, theirs.size())),
                      encodeTi83pTokens(ours.tokens));
            const Ti83pJumps jumps = jumpsOf(ours.tokens);
            EXPECT_TRUE(jumps.badNames.empty()) << jumps.badNames.front();
            for (const std::string& t : jumps.targets)
                unresolvedAfter += !jumps.labels.count(t);
        }
        EXPECT_EQ(made, basic);
        EXPECT_LE(unresolvedAfter, unresolvedBefore);
    };
    for (const char* target : {"ti83p", "ti84p", "ti84pce"})
        for (const fs::path& path : files) {
            SCOPED_TRACE(path.string() + " for " + target);
            check(path, target);
        }
    EXPECT_GT(programs, 0u);
}

} // namespace
