// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86Listing.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86TextForm.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace kalvo::calc {

namespace {

using namespace ti86text;

bool isBuiltinName(const Ti86Token& token) {
    return spellings().builtins.count(static_cast<char>(token.code) + token.data) != 0;
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
                warn(DiagnosticId::Ti86NoTextForm, {hexByte(b).substr(2)},
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

    void warn(DiagnosticId id, std::initializer_list<std::string_view> args, std::uint64_t offset,
              std::size_t column) {
        Diagnostic d = makeDiagnosticAt(id, offset, args);
        d.line = line_;
        d.column = column;
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
        writer.warn(DiagnosticId::Ti86UnknownWritten, {out}, token.offset, writer.column());
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
        return field(token.fromUnit(), Field::Unit) + kArrowText +
               field(token.toUnit(), Field::Unit);
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

} // namespace

Ti86Listing listTi86Tokens(std::vector<Ti86Token> tokens) {
    Writer writer;
    writer.startLine();
    const Ti86Token* previous = nullptr;
    std::string before;
    for (Ti86Token& token : tokens) {
        if (token.known && token.code == kNewline) {
            token.line = static_cast<std::uint32_t>(writer.line());
            token.column = static_cast<std::uint32_t>(writer.column());
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
        // A program's listing is far below 4 GiB.
        token.line = static_cast<std::uint32_t>(writer.line());
        token.column = static_cast<std::uint32_t>(writer.column());
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
        listing.diagnostics = std::move(body.diagnostics);
        listing.diagnostics.push_back(makeDiagnosticAt(DiagnosticId::Ti86AssemblyProgram,
                                                       body.offset, {ti86EntryName(program)}));
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
} // namespace kalvo::calc
