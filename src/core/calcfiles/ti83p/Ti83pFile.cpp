// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti83p/Ti83pFile.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/ti83p/Ti83pText.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>

namespace kalvo::calc {

namespace {

constexpr std::string_view kSignature = "**TI83F*";
constexpr std::size_t kCommentSize = 42;
constexpr std::size_t kEntriesOffset = 0x37;

bool isLetterOrTheta(char c) {
    return (c >= 'A' && c <= 'Z') || c == '\xC1';
}

bool isNameCharacter(char c) {
    return isLetterOrTheta(c) || (c >= '0' && c <= '9');
}

// A name or a stretch of bytes as plain ASCII for a message.
std::string shown(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '\xC1') {
            out += "theta";
        } else if (c >= 0x20 && c <= 0x7E) {
            out += c;
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        }
    }
    return out;
}

constexpr std::string_view kNameRule =
    "a TI-83 Plus program name is 1 to 8 of A-Z, 0-9 and theta, the first a letter or theta";

Diagnostic at(DiagnosticId id, std::uint64_t offset,
              std::initializer_list<std::string_view> args = {}) {
    return makeDiagnosticAt(id, offset, args);
}

void putWord(std::string& out, std::size_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

std::size_t word(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1]) << 8;
}

std::size_t sum16(std::string_view bytes) {
    std::size_t sum = 0;
    for (const char c : bytes)
        sum += static_cast<unsigned char>(c);
    return sum & 0xFFFF;
}

// The entry part of a file: from its header to the end of its data, as far
// as the file goes. Returns false when no program could be read.
bool readEntry(std::string_view bytes, std::size_t end, Ti83pFile& file) {
    Diagnostics& out = file.diagnostics;
    const std::size_t p = kEntriesOffset;
    if (end < p + 2) {
        out.push_back(at(DiagnosticId::Ti83pNoVariable, p));
        return false;
    }
    const std::size_t header = word(bytes, p);
    if (header != 0x0D && header != 0x0B)
        out.push_back(at(DiagnosticId::Ti83pHeaderLength, p, {diagnosticHex(header)}));
    if (header < 0x0B) {
        out.push_back(at(DiagnosticId::Ti83pHeaderShort, p));
        return false;
    }
    if (end < p + 4 + header) {
        out.push_back(at(DiagnosticId::Ti83pHeaderCut, end));
        return false;
    }
    file.type = static_cast<std::uint8_t>(bytes[p + 4]);
    if (file.type != 0x05 && file.type != 0x06) {
        out.push_back(at(DiagnosticId::Ti83pNotAProgram, p + 4, {diagnosticHex(file.type)}));
        return false;
    }
    const std::string_view field = bytes.substr(p + 5, 8);
    for (const char c : field.substr(0, field.find('\0')))
        file.name += c == '\x5B' ? '\xC1' : c;
    if (file.name.empty() || !isLetterOrTheta(file.name[0]) ||
        !std::all_of(file.name.begin(), file.name.end(), isNameCharacter))
        out.push_back(at(DiagnosticId::Ti83pStoredName, p + 5, {shown(file.name), kNameRule}));
    if (header >= 0x0C)
        file.version = static_cast<std::uint8_t>(bytes[p + 13]);
    if (header >= 0x0D)
        file.archived = (static_cast<unsigned char>(bytes[p + 14]) & 0x80) != 0;

    const std::size_t firstLength = word(bytes, p + 2), length = word(bytes, p + 2 + header);
    if (firstLength != length)
        out.push_back(at(DiagnosticId::Ti83pDataLengths, p + 2 + header,
                         {std::to_string(firstLength), std::to_string(length)}));
    const std::size_t data = p + 4 + header;
    const std::size_t present = std::min(length, end - data);
    if (present < length)
        out.push_back(
            at(DiagnosticId::Ti83pDataCut, end, {std::to_string(length), std::to_string(present)}));
    if (present < 2) {
        out.push_back(at(DiagnosticId::Ti83pSizeMissing, data));
        return false;
    }
    const std::size_t size = word(bytes, data);
    if (size + 2 != length)
        out.push_back(at(DiagnosticId::Ti83pSizes, data,
                         {std::to_string(size), std::to_string(length >= 2 ? length - 2 : 0)}));
    const std::size_t count = std::min(size, present - 2);
    if (count < size && present == length)
        out.push_back(at(DiagnosticId::Ti83pTokensCut, data + 2 + count,
                         {std::to_string(size), std::to_string(count)}));
    file.tokens = decodeTi83pTokens(bytes.substr(data + 2, count), data + 2, out);

    std::uint8_t needed = 0;
    for (const Ti83pToken& token : file.tokens)
        needed = std::max(needed, ti83pVersionFor(token.code));
    if (header >= 0x0C && file.version < needed)
        out.push_back(at(DiagnosticId::Ti83pVersion, p + 13,
                         {diagnosticHex(file.version), diagnosticHex(needed)}));
    if (data + length < end)
        out.push_back(at(DiagnosticId::Ti83pMoreVariables, data + length));
    return true;
}

} // namespace

Ti83pProgramName makeTi83pProgramName(std::string_view wanted) {
    Ti83pProgramName result;
    for (char c : wanted) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
        if (!isNameCharacter(c) || (result.name.empty() && !isLetterOrTheta(c)))
            continue;
        result.name += c;
        if (result.name.size() == 8)
            break;
    }
    if (result.name.empty())
        result.diagnostics.push_back(
            makeDiagnostic(DiagnosticId::Ti83pNoName, {shown(wanted), kNameRule}));
    else if (result.name != wanted)
        result.diagnostics.push_back(makeDiagnostic(
            DiagnosticId::Ti83pNameBecomes, {shown(wanted), shown(result.name), kNameRule}));
    return result;
}

Diagnostics checkTi83pProgramName(std::string_view name) {
    std::string why;
    if (name.empty())
        why = "it is empty";
    else if (name.size() > 8)
        why = "it has more than 8 characters";
    else if (const auto bad = std::find_if_not(name.begin(), name.end(), isNameCharacter);
             bad != name.end())
        why = "'" + shown(std::string_view(&*bad, 1)) + "' cannot be in it";
    else if (!isLetterOrTheta(name[0]))
        why = "it does not begin with a letter or theta";
    if (why.empty())
        return {};
    std::string wouldDo;
    if (const Ti83pProgramName made = makeTi83pProgramName(name); !made.name.empty())
        wouldDo = " (" + shown(made.name) + " would do)";
    return {makeDiagnostic(DiagnosticId::Ti83pBadName, {shown(name), why, kNameRule, wouldDo})};
}

Ti83pFileBytes buildTi83pFile(const std::vector<Ti83pToken>& tokens, std::string_view name,
                              std::string_view comment) {
    Ti83pFileBytes result;
    result.diagnostics = checkTi83pProgramName(name);
    if (!result.diagnostics.empty())
        return result;
    // A prefix byte alone fuses with the next token's first byte in the
    // file; only at the very end (a cut-off program) does it read back.
    for (std::size_t i = 0; i + 1 < tokens.size(); ++i)
        if (tokens[i].code <= 0xFF && isTi83pPrefix(static_cast<std::uint8_t>(tokens[i].code))) {
            result.diagnostics.push_back(makeDiagnostic(DiagnosticId::Ti83pLonePrefix,
                                                        tokens[i].line, tokens[i].column,
                                                        {diagnosticHex(tokens[i].code)}));
            return result;
        }
    const std::string program = encodeTi83pTokens(tokens);
    if (program.size() > kTi83pMaxTokenBytes) {
        result.diagnostics.push_back(
            makeDiagnostic(DiagnosticId::Ti83pTooLong,
                           {std::to_string(program.size()), std::to_string(kTi83pMaxTokenBytes)}));
        return result;
    }
    if (program.size() > kTi83pMaxFileTokenBytes) {
        result.diagnostics.push_back(makeDiagnostic(
            DiagnosticId::Ti83pTooLongForFile,
            {std::to_string(program.size()), std::to_string(kTi83pMaxFileTokenBytes)}));
        return result;
    }
    if (program.size() > kTi83pFreeMemory)
        result.diagnostics.push_back(
            makeDiagnostic(DiagnosticId::Ti83pMoreThanFree,
                           {std::to_string(program.size()), std::to_string(kTi83pFreeMemory)}));
    std::uint8_t version = 0;
    for (const Ti83pToken& token : tokens)
        if (token.code > 0xFF) // one-byte tokens are in every version
            version = std::max(version, ti83pVersionFor(token.code));

    std::string entry;
    putWord(entry, 0x0D);
    putWord(entry, program.size() + 2);
    entry += '\x05';
    std::string storedName(8, '\0');
    std::transform(name.begin(), name.end(), storedName.begin(),
                   [](char c) { return c == '\xC1' ? '\x5B' : c; });
    entry += storedName;
    entry += static_cast<char>(version);
    entry += '\0';
    putWord(entry, program.size() + 2);
    putWord(entry, program.size());
    entry += program;

    std::string& out = result.bytes;
    out.reserve(kEntriesOffset + entry.size() + 2);
    out += kSignature;
    out += std::string_view("\x1A\x0A\x00", 3);
    std::string commentField(comment.substr(0, kCommentSize));
    commentField.resize(kCommentSize, '\0');
    out += commentField;
    putWord(out, entry.size());
    out += entry;
    putWord(out, sum16(entry));
    return result;
}

bool looksLikeTi83pFile(std::string_view bytes) {
    return bytes.starts_with(kSignature);
}

Ti83pFile readTi83pFile(std::string_view bytes) {
    Ti83pFile file;
    Diagnostics& out = file.diagnostics;
    if (!looksLikeTi83pFile(bytes)) {
        out.push_back(at(DiagnosticId::Ti83pNotAFile, 0));
        return file;
    }
    if (bytes.size() > kTi83pMaxFileBytes) {
        out.push_back(at(DiagnosticId::Ti83pFileTooLarge, kTi83pMaxFileBytes));
        return file;
    }
    if (bytes.size() >= 10 && (bytes[8] != '\x1A' || bytes[9] != '\x0A'))
        out.push_back(at(DiagnosticId::Ti83pHeaderMark, 8,
                         {diagnosticHex(static_cast<unsigned char>(bytes[8])),
                          diagnosticHex(static_cast<unsigned char>(bytes[9]))}));
    if (bytes.size() < kEntriesOffset) {
        out.push_back(at(DiagnosticId::Ti83pFileHeaderCut, bytes.size()));
        return file;
    }
    const std::size_t length = word(bytes, 0x35);
    const std::size_t held = bytes.size() - kEntriesOffset;
    if (length + 2 != held)
        out.push_back(at(DiagnosticId::Ti83pDataLength, 0x35,
                         {std::to_string(length), std::to_string(held)}));
    // The checksum follows the data the length gives. In a shorter file
    // the last two bytes are the checksum when they add up (the length is
    // what is wrong); otherwise the file was cut off and has none.
    std::size_t entryEnd = bytes.size();
    if (kEntriesOffset + length + 2 <= bytes.size()) {
        entryEnd = kEntriesOffset + length;
    } else if (held >= 2 &&
               word(bytes, bytes.size() - 2) == sum16(bytes.substr(kEntriesOffset, held - 2))) {
        entryEnd = bytes.size() - 2;
    } else {
        out.push_back(at(DiagnosticId::Ti83pNoChecksum, bytes.size()));
    }
    if (entryEnd < bytes.size()) {
        const std::size_t stored = word(bytes, entryEnd);
        const std::size_t computed = sum16(bytes.substr(kEntriesOffset, entryEnd - kEntriesOffset));
        if (stored != computed)
            out.push_back(at(DiagnosticId::Ti83pBadChecksum, entryEnd,
                             {diagnosticHex(stored, 4), diagnosticHex(computed, 4)}));
    }

    if (!readEntry(bytes, entryEnd, file))
        return file;

    // Where each token stands in the listing, for the token faults too.
    Ti83pListing listing = listTi83pTokens(std::move(file.tokens));
    file.tokens = std::move(listing.tokens);
    std::map<std::uint64_t, const Ti83pToken*> byOffset;
    for (const Ti83pToken& token : file.tokens)
        byOffset.emplace(token.offset, &token);
    for (Diagnostic& d : out)
        if (const auto token = byOffset.find(d.offset); d.hasOffset && token != byOffset.end()) {
            d.line = token->second->line;
            d.column = token->second->column;
        }
    return file;
}

} // namespace kalvo::calc
