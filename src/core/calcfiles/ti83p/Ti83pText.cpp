// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti83p/Ti83pText.h"

#include "calcfiles/diagnostics/Catalogue.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <optional>
#include <set>
#include <unordered_map>

namespace kalvo::calc {

namespace {

constexpr std::uint16_t kNewline = 0x3F;
constexpr std::uint16_t kQuote = 0x2A;
constexpr std::uint16_t kStore = 0x04;
constexpr std::uint16_t kPrgm = 0x5F;
constexpr std::uint16_t kLbl = 0xD6;
constexpr std::uint16_t kGoto = 0xD7;
constexpr std::uint16_t kQuestionMark = 0xAF;
constexpr std::uint16_t kBackslash = 0xBBD7;

// Names people type that the sheet does not give; preferred over the
// sheet's own when a listing needs a name.
constexpr struct {
    std::uint16_t code;
    std::string_view name;
} kExtraNames[] = {{0x0C, "^-1"}, {0xBF, "e^("}, {0xEB, "|L"}};

bool isLowercaseLetter(std::uint16_t code) {
    return code >= 0xBBB0 && code <= 0xBBCA;
}

// Accented letters, Greek letters and other symbols that the TI-83 Plus
// shows in strings but cannot compute with.
bool isTextCharacter(std::uint16_t code) {
    return !isLowercaseLetter(code) &&
           ((code >= 0xBB6E && code <= 0xBBCD) || (code >= 0xBBCF && code <= 0xBBF5));
}

bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Characters of a program name or label, as text: A-Z, 0-9 and θ ("Á").
bool isNameCharacter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '\xC1';
}

bool isNameToken(std::uint16_t code) {
    return (code >= 0x41 && code <= 0x5B) || (code >= 0x30 && code <= 0x39);
}

std::uint16_t nameToken(char c) {
    return c == '\xC1' ? std::uint16_t{0x5B} : static_cast<std::uint16_t>(c);
}

struct Spelling {
    std::string text;
    std::uint16_t code = 0;
    bool wholeWord = false; // a name made only of letters
};

// Every way a token can be written, arranged for matching and listing.
struct Spellings {
    std::vector<Spelling> all;
    std::array<std::vector<std::uint32_t>, 256> byFirstByte; // indices into all, longest first
    std::array<std::int32_t, 256> inString{}; // a string's token for each byte, or -1
    std::unordered_map<std::uint16_t, char> stringCharacter; // the other way round
    std::unordered_map<std::uint16_t, std::string>
        preferred; // the listing's choice outside strings
    std::unordered_map<std::uint16_t, std::string> otherName; // a name to fall back on
    std::set<std::string> spelled;                            // every text form and name
    std::size_t longest = 0;
};

Spellings buildSpellings() {
    Spellings s;
    // A text form belongs to one token: lowercase letters own their letters
    // (the statistics variables a-e, n, r... are written by name), otherwise
    // the lowest code (df, SS and MS go to the first of their twins).
    std::map<std::string, std::uint16_t> owners;
    for (const bool lowercasePass : {true, false}) {
        for (const Ti83pTokenInfo& token : ti83pTokens()) {
            if (token.code == kNewline || isLowercaseLetter(token.code) != lowercasePass)
                continue;
            const auto text = ti83pFontToText(token.font);
            if (text && !text->empty())
                owners.emplace(*text, token.code);
        }
    }
    // A name counts unless a text form already means something else by it:
    // "~" is the tilde, so negation is written "ú" and not by its name.
    std::map<std::string, std::uint16_t> names;
    std::multimap<std::uint16_t, std::string> namesOf;
    const auto addName = [&](std::uint16_t code, std::string_view name) {
        const bool printable = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
            return c >= 0x20 && c <= 0x7E;
        });
        if (!printable || owners.count(std::string(name)) || names.count(std::string(name)))
            return;
        names.emplace(name, code);
        namesOf.emplace(code, name);
    };
    for (const auto& extra : kExtraNames)
        addName(extra.code, extra.name);
    for (const Ti83pTokenInfo& token : ti83pTokens())
        addName(token.code, token.name);

    for (const auto& [text, code] : owners)
        s.all.push_back({text, code, false});
    for (const auto& [name, code] : names)
        s.all.push_back({name, code, std::all_of(name.begin(), name.end(), isAsciiLetter)});
    for (std::uint32_t i = 0; i < s.all.size(); ++i) {
        s.byFirstByte[static_cast<unsigned char>(s.all[i].text[0])].push_back(i);
        s.spelled.insert(s.all[i].text);
        s.longest = std::max(s.longest, s.all[i].text.size());
    }
    for (auto& bucket : s.byFirstByte)
        std::stable_sort(bucket.begin(), bucket.end(), [&](std::uint32_t a, std::uint32_t b) {
            return s.all[a].text.size() > s.all[b].text.size();
        });

    s.inString.fill(-1);
    for (const auto* single : {&owners, &names})
        for (const auto& [text, code] : *single)
            if (text.size() == 1 && s.inString[static_cast<unsigned char>(text[0])] < 0) {
                s.inString[static_cast<unsigned char>(text[0])] = code;
                s.stringCharacter.emplace(code, text[0]);
            }

    for (const Ti83pTokenInfo& token : ti83pTokens()) {
        const auto text = ti83pFontToText(token.font);
        if (token.code == kBackslash)
            s.preferred.emplace(token.code, "\\\\");
        else if (text && !text->empty() && owners.at(*text) == token.code)
            s.preferred.emplace(token.code, *text);
        else if (const auto name = namesOf.find(token.code); name != namesOf.end())
            s.preferred.emplace(token.code, name->second);
        const auto chosen = s.preferred.find(token.code);
        for (auto [name, end] = namesOf.equal_range(token.code); name != end; ++name)
            if (chosen == s.preferred.end() || name->second != chosen->second) {
                s.otherName.emplace(token.code, name->second);
                break;
            }
    }
    return s;
}

const Spellings& spellings() {
    static const Spellings s = buildSpellings();
    return s;
}

enum class Mode { Normal, String, ProgramName };

// The mode after a token: a string runs from " to the next " or →, a
// program's name from prgm to its first character that is no name
// character. Line ends reset the mode.
Mode after(Mode mode, std::uint16_t code) {
    if (mode == Mode::String)
        return code == kQuote || code == kStore ? Mode::Normal : Mode::String;
    if (mode == Mode::ProgramName && isNameToken(code))
        return Mode::ProgramName;
    return code == kQuote ? Mode::String : code == kPrgm ? Mode::ProgramName : Mode::Normal;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::uint8_t> escapedByte(std::string_view line, std::size_t pos) {
    if (pos + 4 > line.size() || line[pos] != '\\' || line[pos + 1] != 'x')
        return std::nullopt;
    const int high = hexValue(line[pos + 2]), low = hexValue(line[pos + 3]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

std::string escape(std::uint16_t code) {
    char text[16];
    if (code > 0xFF)
        std::snprintf(text, sizeof text, "\\x%02X\\x%02X", code >> 8, code & 0xFF);
    else
        std::snprintf(text, sizeof text, "\\x%02X", code);
    return text;
}

struct Match {
    enum Kind { Spelled, Escaped, LonePrefix, NoToken };
    std::uint16_t code = 0;
    std::size_t length = 0;
    Kind kind = Spelled;
};

bool wholeWordAt(std::string_view line, std::size_t pos, std::size_t length) {
    return (pos == 0 || !isAsciiLetter(line[pos - 1])) &&
           (pos + length >= line.size() || !isAsciiLetter(line[pos + length]));
}

// The token that text at `pos` stands for. The one reading of text, shared
// by the tokenizer and by the listing's check that its text reads back.
Match matchAt(std::string_view line, std::size_t pos, Mode mode, const Spellings& s) {
    const char c = line[pos];
    if (c == '\\') {
        if (const auto first = escapedByte(line, pos)) {
            if (!isTi83pPrefix(*first))
                return {*first, 4, Match::Escaped};
            if (const auto second = escapedByte(line, pos + 4))
                return {static_cast<std::uint16_t>(*first << 8 | *second), 8, Match::Escaped};
            return {*first, 4, Match::LonePrefix};
        }
        const bool doubled = pos + 1 < line.size() && line[pos + 1] == '\\';
        return {kBackslash, doubled ? 2u : 1u, Match::Spelled};
    }
    if (mode == Mode::ProgramName && isNameCharacter(c))
        return {nameToken(c), 1, Match::Spelled};
    if (mode == Mode::String) {
        const std::int32_t code = s.inString[static_cast<unsigned char>(c)];
        if (code < 0)
            return {kQuestionMark, 1, Match::NoToken};
        return {static_cast<std::uint16_t>(code), 1, Match::Spelled};
    }
    const std::string_view rest = line.substr(pos);
    for (const std::uint32_t i : s.byFirstByte[static_cast<unsigned char>(c)]) {
        const Spelling& spelling = s.all[i];
        if (rest.starts_with(spelling.text) &&
            (!spelling.wholeWord || wholeWordAt(line, pos, spelling.text.size())))
            return {spelling.code, spelling.text.size(), Match::Spelled};
    }
    return {kQuestionMark, 1, Match::NoToken};
}

std::string hex(std::uint16_t code) {
    char text[8];
    std::snprintf(text, sizeof text, "%0*X", code > 0xFF ? 4 : 2, code);
    return text;
}

// Warnings about what a line's tokens mean on the calculator, gathered as
// the tokens go by.
class LineChecker {
public:
    LineChecker(std::size_t line, Diagnostics& out, const Spellings& s)
        : line_(line), out_(out), s_(s) {}

    // `text` is the line from where the token's spelling begins.
    void token(const Match& match, Mode mode, std::size_t column, std::string_view text) {
        const std::uint16_t code = match.code;
        const bool oneCharacter = match.kind == Match::Spelled && match.length == 1;
        const bool nameCharacter =
            oneCharacter && mode != Mode::String &&
            (isAsciiLetter(text[0]) || text[0] == '\xC1' || (text[0] >= '0' && text[0] <= '9'));
        if (mode == Mode::ProgramName && isNameToken(code)) {
            programName_ += code == 0x5B ? "theta" : std::string(1, static_cast<char>(code));
            ++programNameLength_;
            return;
        }
        endProgramName();
        if (mode == Mode::String)
            return;
        if (labelOpen_ && nameCharacter) {
            label_ += text[0];
            return;
        }
        endLabel();
        if (nameCharacter && !(text[0] >= '0' && text[0] <= '9')) {
            if (run_.empty())
                runColumn_ = column;
            run_ += text[0];
            return;
        }
        endRun();
        if (code == kLbl || code == kGoto) {
            labelOpen_ = true;
            labelColumn_ = column + match.length;
        } else if (code == kPrgm) {
            programNameOpen_ = true;
            programNameColumn_ = column;
        } else if (isTextCharacter(code)) {
            const Ti83pTokenInfo* info = ti83pTokenInfo(code);
            warn(DiagnosticId::Ti83pStringCharacter, column,
                 {info && !info->name.empty() ? "'" + std::string(info->name) + "'"
                                              : "the accented letter " + hex(code)});
        }
    }

    void end() {
        endProgramName();
        endLabel();
        endRun();
    }

private:
    void warn(DiagnosticId id, std::size_t column,
              std::initializer_list<std::string_view> args = {}) {
        out_.push_back(makeDiagnostic(id, line_, column, args));
    }

    void endRun() {
        if (run_.empty())
            return;
        const bool lowercase =
            std::any_of(run_.begin(), run_.end(), [](char c) { return c >= 'a' && c <= 'z'; });
        if (run_.size() >= 2 || lowercase) {
            std::string letters, shown;
            for (const char c : run_) {
                const std::string letter = c == '\xC1' ? "theta" : std::string(1, c);
                letters += (letters.empty() ? "" : " ") + letter;
                shown += letter;
            }
            std::string spelled;
            for (const char* ending : {" ", "("})
                if (s_.spelled.count(run_ + ending))
                    spelled += " (the command is spelled '" + shown + ending + "')";
            warn(DiagnosticId::Ti83pLetters, runColumn_,
                 {shown, (run_.size() > 1 ? "letters " : "letter ") + letters, spelled});
        }
        run_.clear();
    }

    void endLabel() {
        if (!labelOpen_)
            return;
        labelOpen_ = false;
        const bool valid = !label_.empty() && label_.size() <= 2 &&
                           std::all_of(label_.begin(), label_.end(), isNameCharacter);
        std::string shown;
        for (const char c : label_)
            shown += c == '\xC1' ? std::string("theta") : std::string(1, c);
        if (!valid)
            warn(DiagnosticId::Ti83pLabel, labelColumn_,
                 {label_.empty() ? std::string("a label is missing")
                                 : "label '" + shown + "' will not work"});
        label_.clear();
    }

    void endProgramName() {
        if (!programNameOpen_)
            return;
        programNameOpen_ = false;
        if (programName_.empty())
            warn(DiagnosticId::Ti83pNoProgramName, programNameColumn_);
        else if (programNameLength_ > 8)
            warn(DiagnosticId::Ti83pLongProgramName, programNameColumn_, {programName_});
        programName_.clear();
        programNameLength_ = 0;
    }

    std::size_t line_;
    Diagnostics& out_;
    const Spellings& s_;
    std::string run_;
    std::size_t runColumn_ = 0;
    bool labelOpen_ = false;
    std::string label_;
    std::size_t labelColumn_ = 0;
    bool programNameOpen_ = false;
    std::string programName_;
    std::size_t programNameLength_ = 0;
    std::size_t programNameColumn_ = 0;
};

// The tokens of one line (without its line end), as codes, with diagnostics
// only when asked for.
template <typename OnToken>
void readLine(std::string_view line, const Spellings& s, OnToken&& onToken) {
    std::size_t pos = !line.empty() && line[0] == ':' ? 1 : 0;
    Mode mode = Mode::Normal;
    while (pos < line.size()) {
        const Match match = matchAt(line, pos, mode, s);
        onToken(match, mode, pos);
        mode = after(mode, match.code);
        pos += match.length;
    }
}

std::string preferredIn(Mode mode, std::uint16_t code, const Spellings& s) {
    if (code == kBackslash)
        return "\\\\";
    if (mode == Mode::String) {
        const auto c = s.stringCharacter.find(code);
        return c != s.stringCharacter.end() ? std::string(1, c->second) : escape(code);
    }
    if (mode == Mode::ProgramName && isNameToken(code))
        return std::string(1, code == 0x5B ? '\xC1' : static_cast<char>(code));
    const auto p = s.preferred.find(code);
    return p != s.preferred.end() ? p->second : escape(code);
}

// One program line as text, each token written so that it reads back as
// itself. `first`..`last` are the line's tokens; their columns are set.
std::string listLine(std::vector<Ti83pToken>& tokens, std::size_t first, std::size_t last,
                     const Spellings& s) {
    // A token's mode, and so its usual spelling, follows from the tokens
    // before it alone.
    std::vector<std::string> usual;
    usual.reserve(last - first);
    for (Mode mode = Mode::Normal; usual.size() < last - first;) {
        const std::uint16_t code = tokens[first + usual.size()].code;
        usual.push_back(preferredIn(mode, code, s));
        mode = after(mode, code);
    }
    std::vector<bool> forced(last - first, false);
    for (int attempt = 0;; ++attempt) {
        // A token whose spelling would run into the next one's is written
        // as \xHH, unless the next one has a name that keeps them apart
        // ("S" before Sx: "S[Sx]", not "SSx", which reads as SS and x).
        std::vector<bool> named(last - first, false);
        std::string line = ":";
        Mode mode = Mode::Normal;
        for (std::size_t k = first; k < last; ++k) {
            const std::uint16_t code = tokens[k].code;
            std::string spelling =
                named[k - first] && mode != Mode::String ? s.otherName.at(code) : usual[k - first];
            const auto readsBack = [&](bool nextNamed) {
                std::string ahead = line + spelling;
                for (std::size_t j = k + 1; j < last && ahead.size() < line.size() + s.longest + 2;
                     ++j)
                    ahead +=
                        j == k + 1 && nextNamed ? s.otherName.at(tokens[j].code) : usual[j - first];
                const Match m = matchAt(ahead, line.size(), mode, s);
                return m.code == code && m.length == spelling.size() && m.kind == Match::Spelled;
            };
            if (!forced[k - first] && spelling[0] != '\\' && !readsBack(false)) {
                const bool nextHasName = k + 1 < last && after(mode, code) != Mode::String &&
                                         s.otherName.count(tokens[k + 1].code);
                if (nextHasName && readsBack(true))
                    named[k + 1 - first] = true;
                else
                    forced[k - first] = true;
            }
            if (forced[k - first])
                spelling = escape(code);
            tokens[k].column = line.size() + 1;
            line += spelling;
            mode = after(mode, code);
        }
        // Read the line back; a token read wrongly is escaped, with the one
        // before it, and the line written again. A line of nothing but
        // escapes reads back, except a prefix cut off by the end followed by
        // an escape, which no text can keep apart.
        std::vector<std::uint16_t> readBack;
        readLine(line, s, [&](const Match& m, Mode, std::size_t) { readBack.push_back(m.code); });
        std::size_t wrong = first;
        while (wrong < last && wrong - first < readBack.size() &&
               readBack[wrong - first] == tokens[wrong].code)
            ++wrong;
        if ((wrong == last && readBack.size() == last - first) || attempt > 8)
            return line;
        if (wrong == last)
            wrong = last - 1;
        if (attempt == 8)
            std::fill(forced.begin(), forced.end(), true);
        forced[wrong - first] = true;
        if (wrong > first)
            forced[wrong - 1 - first] = true;
    }
}

} // namespace

Ti83pTokenized tokenizeTi83pText(std::string_view text) {
    const Spellings& s = spellings();
    Ti83pTokenized result;
    std::uint64_t offset = kTi83pFirstTokenOffset;
    std::size_t lineNumber = 0, previousLength = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = text.substr(start, end - start);
        ++lineNumber;
        if (lineNumber > 1) {
            result.tokens.push_back({kNewline, offset, lineNumber - 1, previousLength + 1});
            ++offset;
        }
        LineChecker checker(lineNumber, result.diagnostics, s);
        readLine(line, s, [&](const Match& m, Mode mode, std::size_t pos) {
            const std::size_t column = pos + 1;
            if (m.kind == Match::NoToken) {
                char what[96];
                std::snprintf(what, sizeof what,
                              "byte %02X has no TI-83 Plus token; it is written as ?",
                              static_cast<unsigned char>(line[pos]));
                result.diagnostics.push_back(
                    {Diagnostic::Severity::Warning, 0, false, lineNumber, column, what});
            } else if (m.kind == Match::LonePrefix) {
                result.diagnostics.push_back(
                    {Diagnostic::Severity::Warning, 0, false, lineNumber, column,
                     "\\x" + hex(m.code) + " begins a two-byte token, but no \\xHH follows"});
            } else if (m.kind == Match::Escaped && !ti83pTokenInfo(m.code)) {
                result.diagnostics.push_back({Diagnostic::Severity::Warning, 0, false, lineNumber,
                                              column, hex(m.code) + " is no TI-83 Plus token"});
            }
            checker.token(m, mode, column, line.substr(pos));
            result.tokens.push_back({m.code, offset, lineNumber, column});
            offset += ti83pTokenSize(m.code);
        });
        checker.end();
        previousLength = line.size();
        start = end;
        if (start < text.size())
            start += text.compare(start, 2, "\r\n") == 0 ? 2 : 1;
    }
    return result;
}

Ti83pListing listTi83pTokens(std::vector<Ti83pToken> tokens) {
    const Spellings& s = spellings();
    Ti83pListing listing;
    std::size_t lineNumber = 1;
    for (std::size_t first = 0;; ++lineNumber) {
        std::size_t last = first;
        while (last < tokens.size() && tokens[last].code != kNewline)
            ++last;
        const std::string line = listLine(tokens, first, last, s);
        for (std::size_t k = first; k < last; ++k)
            tokens[k].line = lineNumber;
        listing.text += line;
        listing.text += "\r\n";
        if (last == tokens.size())
            break;
        tokens[last].line = lineNumber;
        tokens[last].column = line.size() + 1;
        first = last + 1;
    }
    listing.tokens = std::move(tokens);
    return listing;
}

std::string ti83pTokenText(std::uint16_t code) {
    return preferredIn(Mode::Normal, code, spellings());
}

} // namespace kalvo::calc
