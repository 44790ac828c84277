// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86Listing.h"

#include "calcfiles/ti86/Ti86Font.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <unordered_map>
#include <unordered_set>

namespace kalvo::calc {

namespace {

constexpr std::uint16_t kColon = 0x6E;
constexpr std::uint16_t kNewline = 0x6F;
constexpr char kArrowText = '\xE5'; // ▶ (font 05)

// ---------------------------------------------------------------------------
// Spellings: every name the tokenizer knows, in text form.

struct Spellings {
    std::unordered_map<std::string, Ti86Token> byText;
    std::unordered_set<std::string> prefixes; // every proper and whole prefix
    std::unordered_set<std::string> builtins; // code byte, then the font name
    std::size_t longest = 0;

    // The same spellings as a tree of characters, for the tokenizer: one
    // step per character read instead of a hashed look-up per length.
    struct Node {
        std::vector<std::pair<char, std::uint32_t>> next;
        const Ti86Token* token = nullptr; // the spelling that ends here
    };
    std::vector<Node> tree{1};
    std::array<std::uint32_t, 256> first{}; // the root's successors, by character

    Spellings() {
        const auto add = [this](const std::string& text, const Ti86Token& token) {
            if (text.empty() || !byText.emplace(text, token).second)
                return; // the first code with a spelling keeps it (cSum is 8E 2F)
            longest = std::max(longest, text.size());
            for (std::size_t n = 1; n <= text.size(); ++n)
                prefixes.insert(text.substr(0, n));
        };
        for (const Ti86TokenInfo& info : ti86Tokens()) {
            if (info.code == kNewline || info.data == Ti86Inline::String)
                continue;
            Ti86Token token;
            token.code = info.code;
            add(info.text, token);
        }
        for (const Ti86BuiltinName& name : ti86BuiltinNames()) {
            Ti86Token token;
            token.code = name.code;
            token.data = name.name;
            std::string text;
            for (const char c : name.name) {
                std::uint8_t t = 0;
                ti86FontToText(static_cast<std::uint8_t>(c), t);
                text.push_back(static_cast<char>(t));
            }
            add(text, token);
            builtins.insert(static_cast<char>(name.code) + name.name);
        }
        // Pointers into byText stay valid: it is not changed after this.
        for (const auto& [text, token] : byText) {
            std::uint32_t node = 0;
            for (const char c : text)
                node = step(node, c, true);
            tree[node].token = &token;
        }
        for (const auto& [c, to] : tree[0].next)
            first[static_cast<std::uint8_t>(c)] = to;
    }

    // The node after `c` from `node`; 0 (the root, never a successor) when
    // there is none and `grow` is false.
    std::uint32_t step(std::uint32_t node, char c, bool grow = false) {
        for (const auto& [k, to] : tree[node].next)
            if (k == c)
                return to;
        if (!grow)
            return 0;
        const auto added = static_cast<std::uint32_t>(tree.size());
        tree.emplace_back();
        tree[node].next.emplace_back(c, added);
        return added;
    }

    std::uint32_t next(std::uint32_t node, char c) const {
        if (node == 0)
            return first[static_cast<std::uint8_t>(c)];
        for (const auto& [k, to] : tree[node].next)
            if (k == c)
                return to;
        return 0;
    }
};

const Spellings& spellings() {
    static const Spellings s;
    return s;
}

bool isBuiltinName(const Ti86Token& token) {
    return spellings().builtins.count(static_cast<char>(token.code) + token.data) != 0;
}

// Asked for nearly every byte the tokenizer reads: one look-up.
constexpr std::array<bool, 256> kWordText = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] =
            isTi86NameText(static_cast<std::uint8_t>(c)) || c == '\\';
    return table;
}();

bool isWordText(char c) {
    return kWordText[static_cast<std::uint8_t>(c)];
}

// What may not appear inside a unit name in text without an escape: it ends
// the name (or, for "å", separates the two units).
constexpr bool endsUnitByte(std::uint8_t c) {
    switch (c) {
    case ' ':
    case ':':
    case ',':
    case '(':
    case ')':
    case '"':
    case '{':
    case '}':
    case '[':
    case ']':
    case '+':
    case '*':
    case '=':
    case '<':
    case '>':
    case '^':
    case '!':
    case '\r':
    case '\n':
    case static_cast<std::uint8_t>(kArrowText):
    case 0xFC: // → (font 1C)
        return true;
    default:
        return false;
    }
}

// The tokenizer asks this for nearly every byte it reads: one look-up.
constexpr std::array<bool, 256> kEndsUnit = [] {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c)
        table[static_cast<std::size_t>(c)] = endsUnitByte(static_cast<std::uint8_t>(c));
    return table;
}();

bool endsUnit(char c) {
    return kEndsUnit[static_cast<std::uint8_t>(c)];
}

bool isNumberFont(std::uint8_t b) {
    return (b >= '0' && b <= '9') || (b >= 'A' && b <= 'F') || b == 'b' || b == 'h' || b == 'o' ||
           b == 'd' || b == '.' || b == 0x1A || b == 0x1B;
}

// Whether text starts like the rest of a number with a base: hexadecimal
// digits, then b, h, o or d ending the word ("Fh", "b").
bool looksLikeBaseSuffix(std::string_view text) {
    std::size_t j = 0;
    while (j < text.size() &&
           ((text[j] >= '0' && text[j] <= '9') || (text[j] >= 'A' && text[j] <= 'F')))
        ++j;
    if (j >= text.size())
        return false;
    const char suffix = text[j];
    return (suffix == 'b' || suffix == 'h' || suffix == 'o' || suffix == 'd') &&
           (j + 1 == text.size() || !isWordText(text[j + 1]));
}

std::string hexByte(std::uint8_t b) {
    char out[5];
    std::snprintf(out, sizeof out, "\\x%02X", b);
    return out;
}

// ---------------------------------------------------------------------------
// Listing.

enum class Field { Plain, String, Name, Unit, Number, Label };

class Writer {
public:
    Ti86Listing listing;

    void startLine() {
        ++line_;
        lineStart_ = listing.text.size();
        listing.text += ':';
    }
    void endLine() { listing.text += "\r\n"; }
    std::size_t line() const { return line_; }
    std::size_t column() const { return listing.text.size() - lineStart_ + 1; }

    // Font bytes of one field as text; `offset` places warnings in the file.
    // With `perByte`, `offset` is font[0]'s offset; otherwise every warning
    // gets `offset` (the token's).
    std::string fontText(std::string_view font, Field field, std::uint64_t offset, bool perByte) {
        std::string out;
        for (std::size_t k = 0; k < font.size(); ++k) {
            const auto b = static_cast<std::uint8_t>(font[k]);
            std::uint8_t t = 0;
            if (!ti86FontToText(b, t)) {
                warn("font byte " + hexByte(b).substr(2) + " has no text form; written " +
                         hexByte(b),
                     perByte ? offset + k : offset, column() + out.size());
                out += hexByte(b);
                continue;
            }
            const char tc = static_cast<char>(t);
            bool escape = false;
            switch (field) {
            case Field::Plain:
                break;
            case Field::String:
                escape = tc == '"';
                break;
            case Field::Name:
                escape = !isTi86NameText(t);
                break;
            case Field::Unit:
                escape = endsUnit(tc) || tc == '\\';
                break;
            case Field::Number:
                escape = !isNumberFont(b);
                break;
            case Field::Label:
                escape = tc == ' ' || tc == ':';
                break;
            }
            if (escape)
                out += hexByte(b);
            else if (tc == '\\')
                out += "\\\\";
            else
                out += tc;
        }
        return out;
    }

    void warn(std::string message, std::uint64_t offset, std::size_t column) {
        Diagnostic d;
        d.severity = Diagnostic::Severity::Warning;
        d.offset = offset;
        d.hasOffset = true;
        d.line = line_;
        d.column = column;
        d.message = std::move(message);
        listing.diagnostics.push_back(std::move(d));
    }

private:
    std::size_t line_ = 0;
    std::size_t lineStart_ = 0;
};

std::string tokenText(Writer& writer, const Ti86Token& token) {
    if (!token.known) {
        std::string out;
        for (const char c : token.data)
            out += hexByte(static_cast<std::uint8_t>(c));
        writer.warn("unknown token written " + out, token.offset, writer.column());
        return out;
    }
    const Ti86TokenInfo* info = ti86TokenInfo(token.code);
    if (info == nullptr)
        return {};
    const auto field = [&](std::string_view font, Field kind) {
        return writer.fontText(font, kind, token.offset, false);
    };
    switch (info->data) {
    case Ti86Inline::None:
        return info->text;
    case Ti86Inline::String:
        return '"' + field(token.data, Field::String) + (token.terminated ? "\"" : "");
    case Ti86Inline::LengthName:
        // Built-in names are spelled as they are (Q'1, Σx²); others as names.
        return isBuiltinName(token) ? field(token.data, Field::Plain)
                                    : field(token.data, Field::Name);
    case Ti86Inline::FixedName:
        return field(token.data, Field::Name);
    case Ti86Inline::Conversion:
        return field(token.data, Field::Unit) + kArrowText + field(token.data2, Field::Unit);
    case Ti86Inline::Number:
        return field(token.data, Field::Number);
    case Ti86Inline::Label:
    case Ti86Inline::Goto:
        return info->text + ' ' + field(token.data, Field::Label);
    }
    return {};
}

Ti86Spacing spacingOf(const Ti86Token& token) {
    const Ti86TokenInfo* info = token.known ? ti86TokenInfo(token.code) : nullptr;
    return info != nullptr ? info->spacing : Ti86Spacing::Plain;
}

Ti86Inline inlineOf(const Ti86Token& token) {
    const Ti86TokenInfo* info = token.known ? ti86TokenInfo(token.code) : nullptr;
    return info != nullptr ? info->data : Ti86Inline::None;
}

// Whether the text of `next` needs a space after the text of `previous` for
// the line to read back as these two tokens, or for the calculator's look.
bool spaceBetween(const Ti86Token& previous, const std::string& before, const Ti86Token& next,
                  const std::string& after) {
    if (before.empty() || after.empty())
        return false;
    if (next.known && next.code == kColon)
        return false;
    const Ti86Spacing left = spacingOf(previous), right = spacingOf(next);
    if (left == Ti86Spacing::Command || left == Ti86Spacing::Prefix || left == Ti86Spacing::Infix ||
        right == Ti86Spacing::Infix)
        return true;
    const char last = before.back(), first = after.front();
    // A unit name runs on to the next delimiter.
    if (inlineOf(previous) == Ti86Inline::Conversion && !endsUnit(first))
        return true;
    if (inlineOf(next) == Ti86Inline::Conversion && !endsUnit(last))
        return true;
    if (inlineOf(previous) == Ti86Inline::Number) {
        // "2A" reads back as 2 and A, but "2 5", "2 .5", "2 Bh" need their space.
        if ((first >= '0' && first <= '9') || first == '.' || first == '\xFB' || first == '\xFA')
            return true;
        // A base letter ends the number only before something that is no word.
        const bool endsInDigit = (last >= '0' && last <= '9') || last == '.';
        return endsInDigit ? looksLikeBaseSuffix(after) : isWordText(first);
    }
    if (isWordText(last) && isWordText(first))
        return true;
    // A longer name would start here: "e" then "^" reads as e^.
    const Spellings& s = spellings();
    return before.size() < s.longest && s.prefixes.count(before + first) != 0;
}

// ---------------------------------------------------------------------------
// Tokenizer.

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    Ti86Tokenized run() {
        // Programs run about 3 bytes a token; a huge text grows as it goes.
        out_.tokens.reserve(std::min<std::size_t>(text_.size() / 2 + 16, std::size_t{1} << 16));
        std::size_t at = 0;
        std::size_t lineNumber = 0;
        while (at < text_.size()) {
            std::size_t end = text_.find('\n', at);
            const std::size_t next = end == std::string_view::npos ? text_.size() : end + 1;
            if (end == std::string_view::npos)
                end = text_.size();
            std::size_t stop = end;
            if (stop > at && text_[stop - 1] == '\r')
                --stop;
            ++lineNumber;
            if (lineNumber > 1) {
                Ti86Token& newline = out_.tokens.emplace_back();
                newline.code = kNewline;
                place(newline, previousLineEnd_);
            }
            readLine(at, stop, lineNumber);
            previousLineEnd_ = stop - at + 1;
            at = next;
        }
        return std::move(out_);
    }

private:
    // The token last added to the list, made where it stays rather than
    // moved there.
    void place(Ti86Token& token, std::size_t column) {
        token.line = line_;
        token.column = column;
        token.offset = bytes_;
        // A token without inline data is its code alone; the rest ask the table.
        token.size = token.known && token.data.empty() && token.data2.empty() &&
                             inlineOf(token) == Ti86Inline::None
                         ? (token.code > 0xFF ? 2 : 1)
                         : ti86EncodedSize(token);
        bytes_ += token.size;
    }

    void fail(std::size_t column, std::string message,
              Diagnostic::Severity severity = Diagnostic::Severity::Error) {
        Diagnostic d;
        d.severity = severity;
        d.line = line_;
        d.column = column;
        d.message = std::move(message);
        out_.diagnostics.push_back(std::move(d));
    }

    char at(std::size_t i) const { return i < stop_ ? text_[i] : '\0'; }

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

    std::size_t column(std::size_t i) const { return i - lineStart_ + 1; }

    // The longest spelling at i that does not end inside a word.
    const Ti86Token* spellingAt(std::size_t i, std::size_t& length) const {
        const Spellings& s = spellings_;
        const Ti86Token* found = nullptr;
        std::uint32_t node = 0;
        for (std::size_t n = 1; i + n <= stop_; ++n) {
            node = s.next(node, text_[i + n - 1]);
            if (node == 0)
                break;
            const Ti86Token* token = s.tree[node].token;
            if (token == nullptr)
                continue;
            if (isWordText(text_[i + n - 1]) && isWordText(at(i + n)))
                continue;
            length = n;
            found = token;
        }
        return found;
    }

    // A unit conversion at i: unit characters, "å", unit characters, where
    // the "å" does not begin a ▶ token (▶Dec) and no spelling reaches over it.
    bool conversionAt(std::size_t i, std::size_t spellingEnd, Ti86Token& token, std::size_t& end) {
        // Most lines hold no "å" at all; without one ahead there is nothing to scan.
        if (!arrowSearched_ || nextArrow_ < i) {
            arrowSearched_ = true;
            const std::size_t found = text_.substr(0, stop_).find(kArrowText, i);
            nextArrow_ = found == std::string_view::npos ? stop_ : found;
        }
        if (nextArrow_ >= stop_)
            return false;
        std::size_t arrow = i;
        while (arrow < stop_ && !endsUnit(text_[arrow]))
            ++arrow;
        if (arrow == i || at(arrow) != kArrowText || spellingEnd > arrow)
            return false;
        std::size_t length = 0;
        if (spellingAt(arrow, length) != nullptr)
            return false;
        // Nor is it one when the "å" belongs to a name begun inside the run
        // ("-Eq▶St" after a number).
        for (std::size_t j = i + 1; j < arrow; ++j)
            if (spellingAt(j, length) != nullptr && j + length > arrow)
                return false;
        std::size_t second = arrow + 1;
        while (second < stop_ && !endsUnit(text_[second]))
            ++second;
        if (second == arrow + 1)
            return false;
        token.code = 0x3E;
        for (std::size_t k = i; k < arrow;)
            token.data.push_back(static_cast<char>(fontAt(k)));
        for (std::size_t k = arrow + 1; k < second;)
            token.data2.push_back(static_cast<char>(fontAt(k)));
        end = second;
        return true;
    }

    void readLine(std::size_t start, std::size_t stop, std::size_t lineNumber) {
        line_ = lineNumber;
        lineStart_ = start;
        stop_ = stop;
        arrowSearched_ = false;
        std::size_t i = start;
        if (at(i) == ':')
            ++i; // the line's mark
        while (i < stop_) {
            const char c = text_[i];
            if (c == ' ') {
                ++i;
                continue;
            }
            const std::size_t col = column(i);
            Ti86Token& token = out_.tokens.emplace_back();
            if (c == '"') {
                token.code = 0x2D;
                ++i;
                while (i < stop_ && text_[i] != '"')
                    token.data.push_back(static_cast<char>(fontAt(i)));
                if (i < stop_)
                    ++i;
                else
                    fail(col, "string not closed; closed at the end of the line",
                         Diagnostic::Severity::Warning);
                place(token, col);
                continue;
            }
            if ((c >= '0' && c <= '9') || c == '.') {
                token.code = 0x44;
                token.data = readNumber(i);
                place(token, col);
                continue;
            }
            std::uint8_t raw = 0;
            if (escapeAt(i, raw)) {
                token.known = false;
                token.code = raw;
                token.data.assign(1, static_cast<char>(raw));
                place(token, col);
                continue;
            }
            std::size_t length = 0;
            const Ti86Token* spelled = spellingAt(i, length);
            std::size_t end = 0;
            if (conversionAt(i, spelled != nullptr ? i + length : i, token, end)) {
                i = end;
                place(token, col);
                continue;
            }
            if (spelled != nullptr) {
                // The fresh token holds the rest of *spelled already.
                token.code = spelled->code;
                if (!spelled->data.empty())
                    token.data = spelled->data;
                i += length;
                const Ti86Inline kind = inlineOf(token);
                if (kind == Ti86Inline::Label || kind == Ti86Inline::Goto) {
                    while (at(i) == ' ')
                        ++i;
                    while (i < stop_ && text_[i] != ' ' && text_[i] != ':')
                        token.data.push_back(static_cast<char>(fontAt(i)));
                }
                place(token, col);
                continue;
            }
            if (isTi86NameText(static_cast<std::uint8_t>(c))) {
                std::string name;
                while (i < stop_ && isWordText(text_[i]))
                    name.push_back(static_cast<char>(fontAt(i)));
                if (name.size() > 8) {
                    fail(col, "name longer than 8 characters: " + ti86NameToUtf8(name));
                    out_.tokens.pop_back();
                    continue;
                }
                token.code = static_cast<std::uint16_t>(0x32 + name.size());
                token.data = std::move(name);
                place(token, col);
                continue;
            }
            char shown[8];
            std::snprintf(shown, sizeof shown, "%02X", static_cast<std::uint8_t>(c));
            fail(col, std::string("no TI-86 token for the byte ") + shown);
            out_.tokens.pop_back();
            ++i;
        }
    }

    std::string readNumber(std::size_t& i) const {
        std::string number;
        while (i < stop_ && ((text_[i] >= '0' && text_[i] <= '9') || text_[i] == '.'))
            number.push_back(text_[i++]);
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
            return number;
        }
        if (at(i) == '\xFB') { // ᴇ
            number.push_back('\x1B'), ++i;
            if (at(i) == '\xFA') // negation
                number.push_back('\x1A'), ++i;
            while (i < stop_ && text_[i] >= '0' && text_[i] <= '9')
                number.push_back(text_[i++]);
        }
        return number;
    }

    const Spellings& spellings_ = spellings();
    std::string_view text_;
    Ti86Tokenized out_;
    std::size_t line_ = 0;
    std::size_t lineStart_ = 0;
    std::size_t stop_ = 0;
    std::size_t previousLineEnd_ = 0;
    std::size_t nextArrow_ = 0;  // the first "å" at or after the last search, or stop_
    bool arrowSearched_ = false; // on this line
    std::uint64_t bytes_ = 0;
};

} // namespace

Ti86Listing listTi86Tokens(std::vector<Ti86Token> tokens) {
    Writer writer;
    writer.startLine();
    const Ti86Token* previous = nullptr;
    std::string before;
    for (Ti86Token& token : tokens) {
        if (token.known && token.code == kNewline) {
            token.line = writer.line();
            token.column = writer.column();
            writer.endLine();
            writer.startLine();
            previous = nullptr;
            before.clear();
            continue;
        }
        const std::size_t mark = writer.listing.diagnostics.size();
        std::string piece = tokenText(writer, token);
        if (previous != nullptr && spaceBetween(*previous, before, token, piece))
            writer.listing.text += ' ';
        token.line = writer.line();
        token.column = writer.column();
        for (std::size_t d = mark; d < writer.listing.diagnostics.size(); ++d)
            writer.listing.diagnostics[d].column = token.column;
        writer.listing.text += piece;
        previous = &token;
        before = std::move(piece);
    }
    writer.endLine();
    writer.listing.tokens = std::move(tokens);
    return std::move(writer.listing);
}

Ti86Listing listTi86PlainText(std::string_view fontText, std::uint64_t offset) {
    Writer writer;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = std::min(fontText.find('\xD6', at), fontText.size());
        writer.startLine();
        writer.listing.text +=
            writer.fontText(fontText.substr(at, end - at), Field::Plain, offset + at, true);
        writer.endLine();
        if (end == fontText.size())
            break;
        at = end + 1;
    }
    return std::move(writer.listing);
}

Ti86Listing listTi86Program(const Ti86Entry& program) {
    Ti86ProgramBody body = ti86ProgramBody(program);
    Ti86Listing listing;
    switch (body.form) {
    case Ti86ProgramForm::Assembly:
    case Ti86ProgramForm::CompiledAssembly: {
        Diagnostic d;
        d.severity = Diagnostic::Severity::Error;
        d.offset = body.offset;
        d.hasOffset = true;
        d.message = "program " + ti86EntryName(program) +
                    " is an assembly program, not TI-BASIC; there is nothing to list";
        listing.diagnostics = std::move(body.diagnostics);
        listing.diagnostics.push_back(std::move(d));
        return listing;
    }
    case Ti86ProgramForm::PlainText:
    case Ti86ProgramForm::EditLockedPlainText:
        listing = listTi86PlainText(body.body, body.offset);
        break;
    case Ti86ProgramForm::Tokenized:
    case Ti86ProgramForm::EditLocked: {
        Diagnostics decoding;
        auto tokens = decodeTi86Tokens(body.body, body.offset, decoding);
        listing = listTi86Tokens(std::move(tokens));
        // A decoding fault gets the line and column of the token it is in.
        for (Diagnostic& d : decoding) {
            const auto hit = std::upper_bound(
                listing.tokens.begin(), listing.tokens.end(), d.offset,
                [](std::uint64_t offset, const Ti86Token& t) { return offset < t.offset; });
            if (hit != listing.tokens.begin())
                d.line = std::prev(hit)->line, d.column = std::prev(hit)->column;
        }
        decoding.insert(decoding.end(), listing.diagnostics.begin(), listing.diagnostics.end());
        listing.diagnostics = std::move(decoding);
        break;
    }
    }
    body.diagnostics.insert(body.diagnostics.end(), listing.diagnostics.begin(),
                            listing.diagnostics.end());
    listing.diagnostics = std::move(body.diagnostics);
    return listing;
}

Ti86Tokenized tokenizeTi86Text(std::string_view text) {
    return Reader(text).run();
}

} // namespace kalvo::calc
