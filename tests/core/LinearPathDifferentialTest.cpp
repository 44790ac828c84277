// The linear path must leave exactly the bytes the step-by-step scan leaves.
// Generated documents with fixed seeds, built from the pieces where the two
// can part ways: occurrences at the first and last byte, occurrences that
// overlap or touch a replacement, cut tokens that a replacement completes.

#include "conversion/ConversionRun.h"
#include "conversion/RowScan.h"
#include "conversion/TokenTable.h"
#include "editor/TextBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

using namespace kalvo;

namespace {

// std::mt19937's output is the same everywhere; the standard distributions
// are not, so pick with a plain modulo.
class Picker {
public:
    explicit Picker(std::uint32_t seed) : rng_(seed) {}
    std::size_t below(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }
    bool chance(std::size_t inN) { return below(inN) == 0; }
    template <class T> const T& from(const std::vector<T>& items) {
        return items[below(items.size())];
    }

private:
    std::mt19937 rng_;
};

std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out.push_back(static_cast<char>(c));
        } else {
            static const char digits[] = "0123456789ABCDEF";
            out += "\\x";
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 15]);
        }
    }
    return out;
}

// A piece of one of `texts` with its first or last bytes cut off, or a
// slice from its middle.
std::string cut(Picker& pick, const std::string& text) {
    if (text.size() < 2)
        return text;
    const std::size_t from = pick.below(text.size());
    const std::size_t to = from + 1 + pick.below(text.size() - from);
    return text.substr(from, to - from);
}

std::vector<std::string> tableTexts() {
    std::vector<std::string> texts;
    for (int n = 1; n <= kTokenRowCount; ++n) {
        texts.emplace_back(tokenRow(n)->find);
        texts.emplace_back(tokenRow(n)->replace);
    }
    return texts;
}

const std::vector<std::string> kSeparators = {":",    "\r\n", "\r",   "\n", " ",
                                              "\xF1", "\xE5", {'\0'}, "(",  "A"};

std::string documentOf(Picker& pick, const std::vector<std::string>& texts, std::size_t maxPieces) {
    std::string doc;
    const std::size_t pieces = pick.below(maxPieces + 1);
    for (std::size_t i = 0; i < pieces; ++i) {
        switch (pick.below(4)) {
        case 0:
        case 1:
            doc += pick.from(texts);
            break;
        case 2:
            doc += cut(pick, pick.from(texts));
            break;
        default:
            doc += pick.from(kSeparators);
            break;
        }
    }
    // Occurrences at the very first and very last byte are where a search
    // start or the closing comparison is easiest to get wrong.
    if (pick.chance(4))
        doc = pick.from(texts) + doc;
    if (pick.chance(4))
        doc += pick.from(texts);
    return doc;
}

std::string scanRowOn(const std::string& doc, const std::string& find, const std::string& replace) {
    TextBuffer box(doc);
    selectAll(box);
    scanRow(box, find, replace);
    return box.Text();
}

std::string convertRowOn(const std::string& doc, const std::string& find,
                         const std::string& replace) {
    std::string out = "stale bytes that must be overwritten";
    if (!convertRow(doc, out, find, replace)) {
        EXPECT_EQ(out, "stale bytes that must be overwritten"); // left alone
        return doc;
    }
    return out;
}

// The row fed in pieces of 0 to 3 bytes, as a stage of the pipeline sees it.
std::string streamRowOn(const std::string& doc, const std::string& find, const std::string& replace,
                        Picker& pick) {
    RowStream row(find, replace);
    std::string out, waiting;
    std::size_t fed = 0;
    for (;;) {
        const std::size_t piece = std::min(doc.size() - fed, pick.below(4));
        waiting.append(doc, fed, piece);
        fed += piece;
        // The end comes with the last bytes or in a call of its own.
        const bool end = fed == doc.size() && (piece == 0 || pick.chance(2));
        const std::size_t used = row.run(waiting, end, out);
        EXPECT_LE(used, waiting.size());
        waiting.erase(0, used);
        if (end) {
            EXPECT_EQ(waiting, ""); // all of it consumed at the end
            return out;
        }
    }
}

// Returns the number of documents that differed, reporting the first few.
int expectSameRow(const std::string& doc, const std::string& find, const std::string& replace,
                  Picker& pick) {
    const std::string stepByStep = scanRowOn(doc, find, replace);
    const std::string linear = convertRowOn(doc, find, replace);
    const std::string streamed = streamRowOn(doc, find, replace, pick);
    if (stepByStep == linear && stepByStep == streamed)
        return 0;
    ADD_FAILURE() << "row \"" << printable(find) << "\" -> \"" << printable(replace) << "\" on \""
                  << printable(doc) << "\": step by step \"" << printable(stepByStep)
                  << "\", linear \"" << printable(linear) << "\", in pieces \""
                  << printable(streamed) << "\"";
    return 1;
}

} // namespace

TEST(LinearPathDifferential, WholeDocumentsGiveTheSameBytes) {
    const std::vector<std::string> texts = tableTexts();
    Picker pick(20240611);
    int differing = 0;
    int changed = 0;
    EXPECT_EQ(convertText(""), convertTextStepByStep(""));
    for (int i = 0; i < 4000 && differing < 5; ++i) {
        const std::string doc = documentOf(pick, texts, 14);
        const std::string stepByStep = convertTextStepByStep(doc);
        const std::string linear = convertText(doc);
        // Pieces of 1 to 9 bytes end everywhere a find text can be.
        const std::size_t pieceSize = 1 + static_cast<std::size_t>(i) % 9;
        const std::string inPieces = convertTextInPieces(doc, pieceSize);
        changed += stepByStep != doc;
        if (stepByStep != linear || stepByStep != inPieces) {
            ++differing;
            ADD_FAILURE() << "on \"" << printable(doc) << "\": step by step \""
                          << printable(stepByStep) << "\", linear \"" << printable(linear)
                          << "\", in pieces of " << pieceSize << " \"" << printable(inPieces)
                          << "\"";
        }
    }
    // The documents must exercise the table, not pass through untouched.
    EXPECT_GT(changed, 3000);
}

TEST(LinearPathDifferential, EveryTableRowGivesTheSameBytes) {
    const std::vector<std::string> texts = tableTexts();
    Picker pick(7);
    int differing = 0;
    for (int n = 1; n <= kTokenRowCount; ++n) {
        const std::string find(tokenRow(n)->find);
        const std::string replace(tokenRow(n)->replace);
        // Mostly this row's own texts and their pieces, so that occurrences
        // touch, overlap and follow each other.
        std::vector<std::string> own{find,
                                     find,
                                     replace,
                                     cut(pick, find),
                                     cut(pick, replace),
                                     find.substr(0, 1),
                                     find.substr(find.size() - 1)};
        own.push_back(pick.from(texts));
        for (int i = 0; i < 60 && differing < 5; ++i)
            differing += expectSameRow(documentOf(pick, own, 8), find, replace, pick);
        differing += expectSameRow("", find, replace, pick);
        differing += expectSameRow(find, find, replace, pick);
        differing += expectSameRow(find + find, find, replace, pick);
        differing += expectSameRow("x" + find, find, replace, pick);
        differing += expectSameRow("x" + find + find, find, replace, pick);
    }
}

// Rows the table does not have but the scan must handle all the same:
// replacements that are shorter, longer, empty, that begin with the find
// text or hold it further on, over a tiny alphabet so that everything meets.
TEST(LinearPathDifferential, SyntheticRowsGiveTheSameBytes) {
    Picker pick(99);
    const std::string alphabet = "abc";
    auto word = [&](std::size_t minLength, std::size_t maxLength) {
        std::string w;
        const std::size_t length = minLength + pick.below(maxLength - minLength + 1);
        for (std::size_t i = 0; i < length; ++i)
            w.push_back(alphabet[pick.below(alphabet.size())]);
        return w;
    };
    int differing = 0;
    for (int r = 0; r < 400 && differing < 5; ++r) {
        const std::string find = word(1, 3);
        std::string replace;
        switch (r % 6) {
        case 0: // any other text, possibly empty
            replace = word(0, 5);
            break;
        case 1: // appends to the find text
            replace = find + word(1, 3);
            break;
        case 2: // shorter, often a piece of the find text
            replace = find.size() > 1 ? find.substr(pick.below(2), find.size() - 1) : "";
            break;
        case 3: // holds the find text after its first character
            replace = word(1, 2) + find + word(0, 1);
            break;
        case 4: // doubles it: both of the above at once
            replace = find + find;
            break;
        default: // ends with the find text's first byte, so it can complete it
            replace = word(0, 2) + find.substr(0, 1);
            break;
        }
        const std::vector<std::string> pieces{find, replace, word(1, 2), cut(pick, find),
                                              find.substr(0, 1)};
        for (int i = 0; i < 25 && differing < 5; ++i)
            differing += expectSameRow(documentOf(pick, pieces, 8), find, replace, pick);
    }
}

TEST(LinearPathDifferential, AnEmptyReplacementSkipsTheByteAfterIt) {
    // The search after a deletion starts one byte past where the find text
    // was, so it misses the "ab" the deletion moved there. Only the closing
    // comparison looks exactly there, and it runs after the last deletion.
    EXPECT_EQ(scanRowOn("xababab", "ab", ""), "xab");
    EXPECT_EQ(convertRowOn("xababab", "ab", ""), "xab");
    EXPECT_EQ(convertRowOn("xabab", "ab", ""), "x");
    EXPECT_EQ(convertRowOn("xab", "ab", ""), "x");
}
