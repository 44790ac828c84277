// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86Tokenizer.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86TextForm.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <stdexcept>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A rare path kept out of the token loop, whose registers it would
// otherwise crowd (GCC and Clang; other compilers decide for themselves).
#if defined(__GNUC__)
#define KALVO_OUT_OF_LINE __attribute__((noinline))
#else
#define KALVO_OUT_OF_LINE
#endif

namespace kalvo::calc {

namespace {

using namespace ti86text;

// Text bytes that are their own font byte in a field: all but "\\" (which
// begins an escape) and å-ÿ (font 00-1F).
inline constexpr std::array<bool, 256> kPlainText = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = c != '\\' && c < 0xE0;
    return table;
}();

// kPlainText less the bytes that end a field: a string's, a label's, a
// name's. A run of these is copied whole with one look-up a byte.
inline constexpr std::array<bool, 256> kStringRun = [] {
    std::array<bool, 256> table = kPlainText;
    table['"'] = false;
    return table;
}();

inline constexpr std::array<bool, 256> kLabelRun = [] {
    std::array<bool, 256> table = kPlainText;
    table[' '] = false;
    table[':'] = false;
    return table;
}();

inline constexpr std::array<bool, 256> kNameRun = [] {
    std::array<bool, 256> table{};
    for (std::size_t c = 0; c < 256; ++c)
        table[c] = kPlainText[c] && kWordText[c];
    return table;
}();

// What the byte that begins a token says of it, so that one look-up sends
// each token its way.
enum class Start : std::uint8_t {
    Other,     // a spelling, a name, a conversion or a byte no token begins with
    Space,     // separates tokens
    Single,    // a whole token on its own wherever it stands
    Quote,     // a string
    Digit,     // a number: 0-9 and "."
    Exponent,  // ᴇ: a number when a digit follows, else as Other
    Backslash, // "\xHH": a byte of its own, else as Other
};

struct FirstByte {
    std::uint16_t code = 0; // for Single
    Start start = Start::Other;
};

// Single: the only spelling that begins with the byte, with nothing inline,
// not word text and ending any unit name (so no conversion begins there).
// ( ) , + → are most of a program's tokens.
const std::array<FirstByte, 256>& firstBytes() {
    static const std::array<FirstByte, 256> bytes = [] {
        std::array<FirstByte, 256> out{};
        const Spellings& s = spellings();
        for (int c = 0; c < 256; ++c) {
            FirstByte& f = out[static_cast<std::size_t>(c)];
            if (c == ' ')
                f.start = Start::Space;
            else if (c == '"')
                f.start = Start::Quote;
            else if ((c >= '0' && c <= '9') || c == '.')
                f.start = Start::Digit;
            else if (c == 0xFB)
                f.start = Start::Exponent;
            else if (c == '\\')
                f.start = Start::Backslash;
            const std::uint32_t node = s.first[static_cast<std::size_t>(c)];
            if (f.start != Start::Other || node == 0 || !endsUnitByte(static_cast<std::uint8_t>(c)))
                continue;
            const Spellings::Node& n = s.nodes[node];
            if (n.token != nullptr && n.count == 0 && !n.wordEnd && n.data == Ti86Inline::None &&
                n.token->data.empty()) {
                f.code = n.token->code;
                f.start = Start::Single;
            }
        }
        return out;
    }();
    return bytes;
}

// The spellings' tree numbered for the tokenizer's walk: the nodes with
// successors first, from 1, so that a node's number is its row of
// successors and a step is one look-up that waits on no other; the leaves
// after them. What a node accepts sits apart, read beside the step; a node
// that accepts nothing, most of them, costs the step one test.
struct Walk {
    enum : std::uint8_t { Ends = 1, WordEnd = 2, Leaf = 4 }; // accept bits
    static constexpr unsigned kShift = 7;                    // a row is 128 classes wide
    std::array<std::uint16_t, 256> first{};                  // the root's successors, by character
    std::array<std::uint8_t, 256> classOf{};                 // 0: follows in no spelling
    std::vector<std::uint16_t> next;                         // [number << kShift | class]
    std::vector<std::uint8_t> accept;                        // by number
    std::vector<const Ti86Token*> token; // by number: the spelling that ends there
    std::vector<std::uint16_t> code;     // by number: that spelling's code
    std::vector<Ti86Inline> data;        // by number: what follows that code
};

const Walk& walk() {
    static const Walk w = [] {
        const Spellings& s = spellings();
        Walk out;
        const std::size_t count = s.nodes.size();
        // Node numbers stay below 2^16, as they do in Spellings' own rows.
        if (count > 0xFFFF)
            throw std::length_error("too many spellings for the tokenizer's walk");
        std::vector<std::uint32_t> number(count, 0);
        std::uint32_t next = 1;
        for (std::size_t n = 1; n < count; ++n)
            if (s.nodes[n].count != 0)
                number[n] = next++;
        const std::uint32_t inner = next;
        for (std::size_t n = 1; n < count; ++n)
            if (s.nodes[n].count == 0)
                number[n] = next++;
        out.token.assign(next, nullptr);
        out.accept.assign(next, 0);
        out.code.assign(next, 0);
        out.data.assign(next, Ti86Inline::None);
        std::size_t classes = 1;
        for (std::size_t n = 1; n < count; ++n) {
            const Spellings::Node& node = s.nodes[n];
            const std::uint32_t at = number[n];
            if (node.token != nullptr) {
                out.token[at] = node.token;
                out.accept[at] =
                    static_cast<std::uint8_t>(Walk::Ends | (node.wordEnd ? Walk::WordEnd : 0) |
                                              (at >= inner ? Walk::Leaf : 0));
                out.code[at] = node.token->code;
                out.data[at] = node.data;
            } else if (at >= inner) {
                throw std::logic_error("a spelling's last node without its token");
            }
            for (std::uint32_t e = node.edges; e < node.edges + node.count; ++e) {
                std::uint8_t& k = out.classOf[static_cast<std::uint8_t>(s.edgeChar[e])];
                if (k == 0 && classes >= std::size_t{1} << Walk::kShift)
                    throw std::length_error("too many characters for the tokenizer's walk");
                if (k == 0)
                    k = static_cast<std::uint8_t>(classes++);
            }
        }
        out.next.assign(std::size_t{inner} << Walk::kShift, 0);
        for (std::size_t n = 1; n < count; ++n) {
            const Spellings::Node& node = s.nodes[n];
            for (std::uint32_t e = node.edges; e < node.edges + node.count; ++e)
                out.next[(std::size_t{number[n]} << Walk::kShift) +
                         out.classOf[static_cast<std::uint8_t>(s.edgeChar[e])]] =
                    static_cast<std::uint16_t>(number[s.edgeTo[e]]);
        }
        for (std::size_t c = 0; c < 256; ++c)
            out.first[c] = static_cast<std::uint16_t>(number[s.first[c]]);
        return out;
    }();
    return w;
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    // Tokens onto out.tokens until it holds `limit` (or a few more: a
    // conversion or a name is one step) or the text ends; false once the
    // text has ended. Lines and columns count in the whole text.
    bool fill(Ti86Tokenized& out, std::size_t limit) {
        out_ = &out;
        // Counted as they are added: the list's size() is a division.
        count_ = out.tokens.size();
        while (count_ < limit) {
            if (!inLine_ && !beginLine())
                return false;
            if (!readTokens(limit))
                endLine();
        }
        return inLine_ || at_ < text_.size();
    }

    bool done() const { return !inLine_ && at_ >= text_.size(); }

private:
    // The next line, its line-end token first; false at the end of the text.
    bool beginLine() {
        if (at_ >= text_.size())
            return false;
        bool noArrow = false;
        std::size_t end = lineEnd(at_, noArrow);
        next_ = end == std::string_view::npos ? text_.size() : end + 1;
        if (end == std::string_view::npos)
            end = text_.size();
        std::size_t stop = end;
        if (stop > at_ && text_[stop - 1] == '\r')
            --stop;
        ++lineNumber_;
        if (lineNumber_ > 1) {
            Ti86Token& newline = add();
            newline.code = kNewline;
            place(newline, previousLineEnd_, 1);
        }
        line_ = lineNumber_;
        lineStart_ = at_;
        stop_ = stop;
        // A line without "å" needs no search for a conversion.
        arrowSearched_ = noArrow;
        nextArrow_ = stop;
        runSearched_ = false;
        i_ = at_;
        if (at(i_) == ':')
            ++i_; // the line's mark
        inLine_ = true;
        return true;
    }

    // The first "\n" at or after `from` (npos for none), and whether no "å"
    // comes before it, when that is known on the way. Lines run a few bytes:
    // sixteen at a time settle most without a call.
    std::size_t lineEnd(std::size_t from, [[maybe_unused]] bool& noArrow) const {
#if defined(__SSE2__)
        const __m128i newlines = _mm_set1_epi8('\n');
        const __m128i arrows = _mm_set1_epi8(kArrowText);
        bool clean = true; // no "å" yet
        for (int w = 0; w < 2 && clean && from + 16 <= text_.size(); ++w, from += 16) {
            const __m128i bytes =
                _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + from));
            const auto newline =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, newlines)));
            const auto arrow =
                static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, arrows)));
            if (newline != 0) {
                noArrow = (arrow & ((newline & (0u - newline)) - 1)) == 0;
                return from + static_cast<std::size_t>(std::countr_zero(newline));
            }
            clean = arrow == 0;
        }
#endif
        return text_.find('\n', from);
    }

    Ti86Token& add() {
        ++count_;
        return out_->tokens.emplace_back();
    }

    void endLine() {
        previousLineEnd_ = stop_ - lineStart_ + 1;
        at_ = next_;
        inLine_ = false;
    }

    // The token last added to the list, made where it stays rather than
    // moved there.
    void place(Ti86Token& token, std::size_t column) {
        place(token, column, encodedSize(token));
    }

    // The text is a document, at most 2 GiB: its positions fit 32 bits.
    void place(Ti86Token& token, std::size_t column, std::size_t size) {
        token.line = static_cast<std::uint32_t>(line_);
        token.column = static_cast<std::uint32_t>(column);
        token.offset = bytes_;
        token.size = static_cast<std::uint32_t>(size);
        bytes_ += size;
    }

    void fail(std::size_t column, DiagnosticId id,
              std::initializer_list<std::string_view> args = {}) {
        out_->diagnostics.push_back(makeDiagnostic(id, line_, column, args));
    }

    // ti86EncodedSize(token), without a call for every token.
    static std::size_t encodedSize(const Ti86Token& token) {
        if (!token.known)
            return token.data.size();
        const std::size_t code = token.code > 0xFF ? 2 : 1;
        const std::size_t nul = token.terminated ? 1 : 0;
        switch (ti86InlineOf(token.code)) {
        case Ti86Inline::None:
            return code;
        case Ti86Inline::FixedName:
            return 1 + token.data.size();
        case Ti86Inline::String:
        case Ti86Inline::Number:
        case Ti86Inline::Label:
            return code + token.data.size() + nul;
        case Ti86Inline::Goto:
            return code + 2 + token.data.size() + nul;
        case Ti86Inline::LengthName:
            return code + 1 + token.data.size();
        case Ti86Inline::Conversion:
            return code + 2 + token.data.size();
        }
        return ti86EncodedSize(token);
    }

    char at(std::size_t i) const {
        return i < stop_ ? text_[i] : '\0';
    }

    // Font bytes of a field from i onto `out` up to a byte `ends` says ends
    // it, or the line's end: what fontAt() gives byte by byte, with the runs
    // of bytes that are their own font byte (no "\\", no å-ÿ) and do not end
    // it, those `runs` holds, copied whole.
    template <typename Ends>
    void readField(std::string& out, std::size_t& i, Ends ends,
                   const std::array<bool, 256>& runs) const {
        while (i < stop_) {
            std::size_t j = i;
            while (j < stop_ && runs[static_cast<std::uint8_t>(text_[j])])
                ++j;
            out.append(text_.data() + i, j - i);
            i = j;
            if (i >= stop_ || ends(text_[i]))
                return;
            out.push_back(static_cast<char>(fontAt(i)));
        }
    }

    // "\xHH" at i: its byte, and i moves past it.
    bool escapeAt(std::size_t& i, std::uint8_t& byte) const {
        if (at(i) != '\\' || at(i + 1) != 'x')
            return false;
        const auto digit = [](char c) {
            return c >= '0' && c <= '9'   ? c - '0'
                   : c >= 'A' && c <= 'F' ? c - 'A' + 10
                   : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                          : -1;
        };
        const int hi = digit(at(i + 2)), lo = digit(at(i + 3));
        if (hi < 0 || lo < 0)
            return false;
        byte = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 4;
        return true;
    }

    // One font byte of a field at i ("\\", "\xHH" or a text byte).
    std::uint8_t fontAt(std::size_t& i) const {
        std::uint8_t byte = 0;
        if (escapeAt(i, byte))
            return byte;
        if (at(i) == '\\' && at(i + 1) == '\\') {
            i += 2;
            return '\\';
        }
        return ti86TextToFont(static_cast<std::uint8_t>(text_[i++]));
    }

    std::size_t column(std::size_t i) const {
        return i - lineStart_ + 1;
    }

    // The longest spelling at i that does not end inside a word: its number
    // in the walk, or 0 for none.
    std::uint32_t spellingAt(std::size_t i, std::size_t& length) const {
        const Walk& w = walk_;
        const char* const text = text_.data();
        const std::size_t stop = stop_;
        if (i >= stop)
            return 0;
        std::uint32_t found = 0;
        std::uint32_t n = w.first[static_cast<std::uint8_t>(text[i])];
        for (std::size_t k = i + 1; n != 0; ++k) {
            if (const std::uint8_t accept = w.accept[n]; accept != 0) {
                if (!((accept & Walk::WordEnd) != 0 && k < stop && isWordText(text[k]))) {
                    length = k - i;
                    found = n;
                }
                if ((accept & Walk::Leaf) != 0)
                    break;
            }
            if (k >= stop)
                break;
            n = w.next[(std::size_t{n} << Walk::kShift) +
                       w.classOf[static_cast<std::uint8_t>(text[k])]];
        }
        return found;
    }

    // A unit conversion at i: unit characters, "å", unit characters, where
    // the "å" does not begin a ▶ token (▶Dec) and no spelling reaches over it.
    // Out of line: called only while an "å" may lie ahead on the line.
    KALVO_OUT_OF_LINE bool conversionAt(std::size_t i, std::size_t spellingEnd, Ti86Token& token,
                                        std::size_t& end) {
        // Most lines hold no "å" at all; without one ahead there is nothing to scan.
        if (!arrowSearched_ || nextArrow_ < i) {
            arrowSearched_ = true;
            const std::size_t found = text_.substr(0, stop_).find(kArrowText, i);
            nextArrow_ = found == std::string_view::npos ? stop_ : found;
        }
        if (nextArrow_ >= stop_)
            return false;
        // Tokens inside one run of unit characters share its end: found once
        // per run, not once per token ("1-1-…-1▶Dec" stays linear).
        if (!(runSearched_ && i >= runFrom_ && i <= runEnd_)) {
            runSearched_ = true;
            runFrom_ = i;
            runEnd_ = i;
            while (runEnd_ < stop_ && !endsUnit(text_[runEnd_]))
                ++runEnd_;
        }
        const std::size_t arrow = runEnd_;
        if (arrow == i || at(arrow) != kArrowText || spellingEnd > arrow)
            return false;
        std::size_t length = 0;
        if (spellingAt(arrow, length) != 0)
            return false;
        // Nor is it one when the "å" belongs to a name begun inside the run
        // ("-Eq▶St" after a number); only the last few starts can reach it.
        const std::size_t reach = spellings_.longest;
        for (std::size_t j = std::max(i + 1, arrow > reach ? arrow - reach : 0); j < arrow; ++j)
            if (spellingAt(j, length) != 0 && j + length > arrow)
                return false;
        std::size_t second = arrow + 1;
        while (second < stop_ && !endsUnit(text_[second]))
            ++second;
        if (second == arrow + 1)
            return false;
        if (arrow - i > 0xFFFF)
            return false; // no unit is that long; its end could not be kept
        token.code = ti86::Conversion;
        for (std::size_t k = i; k < arrow;)
            token.data.push_back(static_cast<char>(fontAt(k)));
        token.toUnitAt = static_cast<std::uint16_t>(token.data.size());
        for (std::size_t k = arrow + 1; k < second;)
            token.data.push_back(static_cast<char>(fontAt(k)));
        end = second;
        return true;
    }

    // Tokens of the line from i_, at least one, until the list holds
    // `limit`; false at the line's end. The bytes that are tokens on their
    // own, a third of a program's, are read here, with the line's bounds
    // held where the tokens' stores cannot be taken to change them.
    bool readTokens(std::size_t limit) {
        const char* const text = text_.data();
        const std::size_t stop = stop_;
        const std::array<FirstByte, 256>& firsts = firsts_;
        std::size_t i = i_;
        while (i < stop) {
            const FirstByte first = firsts[static_cast<std::uint8_t>(text[i])];
            if (first.start == Start::Space) {
                ++i;
                continue;
            }
            if (first.start == Start::Single) {
                Ti86Token& token = add();
                token.code = first.code;
                place(token, column(i), first.code > 0xFF ? 2 : 1);
                ++i;
            } else {
                i = readLonger(i, first.start);
            }
            if (count_ >= limit) {
                i_ = i;
                return true;
            }
        }
        i_ = i;
        return false;
    }

    // The token at i, a byte of the line that is neither a space nor a
    // token on its own (none for a name too long, which is said); where the
    // next one begins. By value: a round trip through i_ costs the reads
    // after it a wait on the store.
    std::size_t readLonger(std::size_t i, Start start) {
        const char c = text_[i];
        const std::size_t col = column(i);
        Ti86Token& token = add();
        // Most of these begin a spelling or a name: one test sends them there.
        if (start != Start::Other) {
            if (start == Start::Quote) {
                token.code = ti86::String;
                ++i;
                readField(
                    token.data, i, [](char b) { return b == '"'; }, kStringRun);
                if (i < stop_)
                    ++i;
                else if (token.data.find('\x1C') == std::string::npos)
                    // The TI-83 Plus ends it at the end of the line as well.
                    fail(col, DiagnosticId::Ti86StringOpen);
                else
                    fail(col, DiagnosticId::Ti86StringOpenStore);
                place(token, col, 2 + token.data.size()); // 2D, the bytes, 00
                return i;
            }
            // A number may also begin with ᴇ: ᴇ⁻7 is 1ᴇ⁻7.
            if (start == Start::Digit || (start == Start::Exponent && startsExponent(i))) {
                token.code = ti86::Number;
                readNumber(i, token.data);
                place(token, col, 2 + token.data.size()); // 44, the characters, 00
                return i;
            }
            std::uint8_t raw = 0;
            if (start == Start::Backslash && escapeAt(i, raw)) {
                token.known = false;
                token.code = raw;
                token.data.assign(1, static_cast<char>(raw));
                place(token, col, 1);
                return i;
            }
        }
        std::size_t length = 0;
        const std::uint32_t spelled = spellingAt(i, length);
        std::size_t end = 0;
        // No "å" left on the line (known once it has been looked for): no conversion.
        if (!(arrowSearched_ && nextArrow_ >= stop_) &&
            conversionAt(i, spelled != 0 ? i + length : i, token, end)) {
            i = end;
            place(token, col);
            return i;
        }
        if (spelled != 0) {
            // The fresh token's other fields are the spelling's already.
            const Walk& w = walk_;
            token.code = w.code[spelled];
            i += length;
            const Ti86Inline data = w.data[spelled];
            if (data == Ti86Inline::None) {
                place(token, col, token.code > 0xFF ? 2 : 1);
                return i;
            }
            const Ti86Token& spelling = *w.token[spelled];
            if (!spelling.data.empty())
                token.data = spelling.data;
            if (data == Ti86Inline::Label || data == Ti86Inline::Goto) {
                while (at(i) == ' ')
                    ++i;
                readField(
                    token.data, i, [](char b) { return b == ' ' || b == ':'; }, kLabelRun);
            }
            place(token, col);
            return i;
        }
        if (isTi86NameText(static_cast<std::uint8_t>(c))) {
            readField(
                token.data, i, [](char b) { return !isWordText(b); }, kNameRun);
            if (token.data.size() > 8) {
                fail(col, DiagnosticId::Ti86NameTooLong, {ti86NameToUtf8(token.data)});
                out_->tokens.pop_back();
                --count_;
                return i;
            }
            token.code = static_cast<std::uint16_t>(ti86::BuiltinName + token.data.size());
            place(token, col, 1 + token.data.size()); // a name of 1-8 bytes: its length in the code
            return i;
        }
        // The calculator reads plain text only as it runs, so a byte that
        // begins no token (a stray "?" after Stop) is no reason to refuse
        // the program: it stays a byte of its own, as \xHH does, for whoever
        // reads the tokens to show and warn about.
        const std::uint8_t font = ti86TextToFont(static_cast<std::uint8_t>(c));
        token.known = false;
        token.code = font;
        token.data.assign(1, static_cast<char>(font));
        place(token, col);
        ++i;
        return i;
    }

    // ᴇ, perhaps its negation, then a digit.
    bool startsExponent(std::size_t i) const {
        if (at(i) != '\xFB')
            return false;
        const std::size_t digit = at(i + 1) == '\xFA' ? i + 2 : i + 1;
        return at(digit) >= '0' && at(digit) <= '9';
    }

    // The number's characters from i onto `number`.
    void readNumber(std::size_t& i, std::string& number) const {
        const std::size_t from = i;
        while (i < stop_ && ((text_[i] >= '0' && text_[i] <= '9') || text_[i] == '.'))
            ++i;
        number.append(text_.data() + from, i - from);
        // A base suffix: hexadecimal digits, then b, h, o or d ending the word.
        std::size_t j = i;
        while (j < stop_ &&
               ((text_[j] >= '0' && text_[j] <= '9') || (text_[j] >= 'A' && text_[j] <= 'F')))
            ++j;
        const char suffix = at(j);
        if ((suffix == 'b' || suffix == 'h' || suffix == 'o' || suffix == 'd') &&
            !isWordText(at(j + 1))) {
            number.append(text_.substr(i, j + 1 - i));
            i = j + 1;
            return;
        }
        if (at(i) == '\xFB') { // ᴇ
            number.push_back('\x1B'), ++i;
            if (at(i) == '\xFA') // negation
                number.push_back('\x1A'), ++i;
            while (i < stop_ && text_[i] >= '0' && text_[i] <= '9')
                number.push_back(text_[i++]);
        }
    }

    const Spellings& spellings_ = spellings();
    const Walk& walk_ = walk();
    const std::array<FirstByte, 256>& firsts_ = firstBytes();
    std::string_view text_;
    Ti86Tokenized* out_ = nullptr;
    std::size_t count_ = 0; // out_->tokens.size()
    std::size_t at_ = 0;    // where the next line starts
    std::size_t next_ = 0;  // where the line after the current one starts
    std::size_t i_ = 0;     // the next byte of the current line
    bool inLine_ = false;
    std::size_t lineNumber_ = 0;
    std::size_t line_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t stop_ = 0;
    std::size_t previousLineEnd_ = 0;
    std::size_t nextArrow_ = 0;  // the first "å" at or after the last search, or stop_
    bool arrowSearched_ = false; // on this line
    std::size_t runFrom_ = 0;    // a run of unit characters searched on this line,
    std::size_t runEnd_ = 0;     // and the delimiter that ends it (or stop_)
    bool runSearched_ = false;
    std::uint64_t bytes_ = 0;
};

} // namespace

Ti86Tokenized tokenizeTi86Text(std::string_view text) {
    Ti86Tokenized out;
    tokenizeTi86Text(text, out);
    return out;
}

void tokenizeTi86Text(std::string_view text, Ti86Tokenized& into) {
    into.tokens.clear();
    into.diagnostics.clear();
    // Programs run about 3 bytes a token; a huge text grows as it goes.
    into.tokens.reserve(std::min<std::size_t>(text.size() / 2 + 16, std::size_t{1} << 16));
    Reader(text).fill(into, static_cast<std::size_t>(-1));
}

struct Ti86TokenStream::State {
    explicit State(std::string_view text) : reader(text) {}
    Reader reader;
};

Ti86TokenStream::Ti86TokenStream(std::string_view text) : state_(std::make_unique<State>(text)) {}

Ti86TokenStream::~Ti86TokenStream() = default;

bool Ti86TokenStream::read(Ti86Tokenized& into, std::size_t limit) {
    state_->reader.fill(into, limit);
    return !state_->reader.done();
}

} // namespace kalvo::calc
