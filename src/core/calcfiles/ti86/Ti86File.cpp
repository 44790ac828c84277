// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86File.h"

#include "calcfiles/diagnostics/Catalogue.h"
#include "calcfiles/ti86/Ti86Font.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kalvo::calc {

namespace {

constexpr std::string_view kSignature = "**TI86**";
constexpr std::size_t kLengthField = 0x35;
constexpr std::size_t kDataStart = 0x37;

std::uint16_t le16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes[at]) |
                                      static_cast<std::uint8_t>(bytes[at + 1]) << 8);
}

void report(Diagnostics& diagnostics, DiagnosticId id, std::uint64_t offset,
            std::initializer_list<std::string_view> args = {}) {
    diagnostics.push_back(makeDiagnosticAt(id, offset, args));
}

std::string hexBytes(std::string_view bytes) {
    std::string out;
    for (const char c : bytes) {
        char b[4];
        std::snprintf(b, sizeof b, "%s%02X", out.empty() ? "" : " ", static_cast<std::uint8_t>(c));
        out += b;
    }
    return out;
}

// One entry at `at`; false when its header cannot be read, so that nothing
// after it can be placed either.
bool readEntry(std::string_view bytes, std::size_t& at, Ti86File& file) {
    const std::size_t size = bytes.size();
    if (size - at < 6) {
        report(file.diagnostics, DiagnosticId::Ti86EntryHeaderLeft, at,
               {std::to_string(size - at)});
        at = size;
        return false;
    }
    std::size_t headerLength = le16(bytes, at);
    const std::size_t dataLength = le16(bytes, at + 2);
    const auto type = static_cast<std::uint8_t>(bytes[at + 4]);
    const std::size_t nameLength = static_cast<std::uint8_t>(bytes[at + 5]);
    // A text-mode transfer leaves 0D where the usual 0C belongs; the second
    // data length standing where 0C puts it tells that the header is sound.
    if (headerLength == 0x0D && nameLength >= 1 && nameLength <= 8 && size - at >= 4 + 0x0C &&
        le16(bytes, at + 2 + 0x0C) == dataLength) {
        report(file.diagnostics, DiagnosticId::Ti86EntryHeaderTextMode, at);
        headerLength = 0x0C;
    }
    // The name field after the type and length bytes holds 1-8 bytes: the
    // name, perhaps padded or followed by leftovers.
    if (nameLength < 1 || nameLength > 8 || headerLength < 4 + nameLength || headerLength > 12) {
        report(
            file.diagnostics, DiagnosticId::Ti86EntryHeaderUnreadable, at,
            {std::to_string(headerLength), std::to_string(nameLength), std::to_string(size - at)});
        at = size;
        return false;
    }
    if (size - at < 4 + headerLength) {
        report(file.diagnostics, DiagnosticId::Ti86EntryHeaderCut, at);
        at = size;
        return false;
    }
    Ti86Entry entry;
    entry.type = type;
    entry.name.assign(bytes.substr(at + 6, nameLength));
    entry.offset = at;
    const std::size_t secondLength = le16(bytes, at + 2 + headerLength);
    if (secondLength != dataLength)
        report(
            file.diagnostics, DiagnosticId::Ti86EntryLengths, at + 2 + headerLength,
            {ti86NameToUtf8(entry.name), std::to_string(dataLength), std::to_string(secondLength)});
    const std::size_t dataAt = at + 4 + headerLength;
    entry.dataOffset = dataAt;
    const std::size_t available = size - dataAt;
    if (secondLength > available) {
        report(
            file.diagnostics, DiagnosticId::Ti86EntryDataCut, dataAt,
            {ti86NameToUtf8(entry.name), std::to_string(available), std::to_string(secondLength)});
        entry.complete = false;
    }
    entry.data.assign(bytes.substr(dataAt, std::min(secondLength, available)));
    at = dataAt + entry.data.size();
    file.entries.push_back(std::move(entry));
    return true;
}

} // namespace

bool looksLikeTi86File(std::string_view bytes) {
    return bytes.substr(0, kSignature.size()) == kSignature;
}

Ti86File readTi86File(std::string_view bytes) {
    Ti86File file;
    const std::size_t size = bytes.size();
    if (!looksLikeTi86File(bytes)) {
        report(file.diagnostics, DiagnosticId::Ti86NotAFile, 0);
        return file;
    }
    if (size < kDataStart) {
        report(file.diagnostics, DiagnosticId::Ti86HeaderCut, size, {std::to_string(size)});
        return file;
    }
    if (bytes.substr(8, 3) == std::string_view("\x1A\x0D\x00", 3))
        report(file.diagnostics, DiagnosticId::Ti86HeaderTextMode, 8);
    else if (bytes.substr(8, 3) != std::string_view("\x1A\x0A\x00", 3))
        report(file.diagnostics, DiagnosticId::Ti86HeaderMark, 8, {hexBytes(bytes.substr(8, 3))});

    const std::size_t declared = le16(bytes, kLengthField);
    const auto sumOf = [&bytes](std::size_t end) {
        unsigned sum = 0;
        for (std::size_t i = kDataStart; i < end; ++i)
            sum += static_cast<std::uint8_t>(bytes[i]);
        return static_cast<std::uint16_t>(sum);
    };
    const auto checksumAt = [&](std::size_t end) {
        return size - end >= 2 && sumOf(end) == le16(bytes, end);
    };
    // Entries until only a checksum's two bytes are left, or until the
    // header's length is reached and a good checksum stands there (bytes
    // after it are then left over, not entries).
    std::size_t at = kDataStart;
    bool lost = false; // an unreadable entry hides where the checksum is
    while (!lost && size - at > 2 &&
           !(at == kDataStart + declared && at > kDataStart && checksumAt(at)))
        lost = !readEntry(bytes, at, file);
    const std::size_t entriesEnd = at;
    if (declared != entriesEnd - kDataStart)
        report(file.diagnostics, DiagnosticId::Ti86EntriesLength, kLengthField,
               {std::to_string(declared), std::to_string(entriesEnd - kDataStart)});
    if (lost) {
        // readEntry said what was skipped.
    } else if (size - entriesEnd >= 2) {
        const std::uint16_t stored = le16(bytes, entriesEnd), sum = sumOf(entriesEnd);
        if (sum != stored)
            report(file.diagnostics, DiagnosticId::Ti86BadChecksum, entriesEnd,
                   {diagnosticHex(stored, 4), diagnosticHex(sum, 4)});
        if (size - entriesEnd > 2)
            report(file.diagnostics, DiagnosticId::Ti86AfterChecksum, entriesEnd + 2,
                   {std::to_string(size - entriesEnd - 2)});
    } else if (size == entriesEnd) {
        report(file.diagnostics, DiagnosticId::Ti86NoChecksum, entriesEnd);
    } else {
        report(file.diagnostics, DiagnosticId::Ti86HalfChecksum, entriesEnd);
    }
    if (file.entries.empty())
        report(file.diagnostics, DiagnosticId::Ti86NoEntry, kDataStart);
    return file;
}

std::string ti86TypeName(std::uint8_t type) {
    switch (type) {
    case 0x00:
        return "real number";
    case 0x01:
        return "complex number";
    case 0x02:
        return "real vector";
    case 0x03:
        return "complex vector";
    case 0x04:
        return "real list";
    case 0x05:
        return "complex list";
    case 0x06:
        return "real matrix";
    case 0x07:
        return "complex matrix";
    case 0x08:
        return "real constant";
    case 0x09:
        return "complex constant";
    case 0x0A:
        return "equation";
    case 0x0C:
        return "string";
    case 0x0D:
    case 0x0E:
    case 0x0F:
    case 0x10:
        return "graph database";
    case 0x11:
        return "picture";
    case kTi86ProgramType:
        return "program";
    default: {
        char b[16];
        std::snprintf(b, sizeof b, "type %02X", type);
        return b;
    }
    }
}

std::string ti86EntryName(const Ti86Entry& entry) {
    return ti86NameToUtf8(entry.name);
}

std::vector<const Ti86Entry*> ti86Programs(const Ti86File& file) {
    std::vector<const Ti86Entry*> programs;
    for (const Ti86Entry& entry : file.entries)
        if (entry.type == kTi86ProgramType)
            programs.push_back(&entry);
    return programs;
}

const Ti86Entry* findTi86Entry(const Ti86File& file, std::string_view utf8Name) {
    for (const Ti86Entry& entry : file.entries)
        if (ti86EntryName(entry) == utf8Name)
            return &entry;
    return nullptr;
}

Ti86ProgramBody ti86ProgramBody(const Ti86Entry& entry) {
    Ti86ProgramBody program;
    const std::string_view data = entry.data;
    if (data.size() < 2) {
        report(program.diagnostics, DiagnosticId::Ti86ProgramNoLength, entry.dataOffset,
               {ti86EntryName(entry)});
        program.offset = entry.dataOffset + data.size();
        return program;
    }
    const std::size_t length = le16(data, 0);
    std::string_view body = data.substr(2);
    if (length != body.size())
        report(program.diagnostics, DiagnosticId::Ti86ProgramLength, entry.dataOffset,
               {ti86EntryName(entry), std::to_string(length), std::to_string(body.size())});
    body = body.substr(0, std::min(length, body.size()));
    std::size_t skip = 0;
    const auto starts = [&body](std::string_view mark) { return body.substr(0, 2) == mark; };
    if (starts(std::string_view("\x8E\x29", 2))) {
        program.form = Ti86ProgramForm::EditLocked, skip = 2;
    } else if (starts(std::string_view("\x8E\x27", 2))) {
        program.form = Ti86ProgramForm::Assembly, skip = 2;
    } else if (starts(std::string_view("\x8E\x28", 2))) {
        program.form = Ti86ProgramForm::CompiledAssembly, skip = 2;
    } else if (starts(std::string_view("\0\0", 2))) {
        program.form = Ti86ProgramForm::EditLockedPlainText, skip = 2;
    } else if (!body.empty() && body[0] == '\0') {
        program.form = Ti86ProgramForm::PlainText, skip = 1;
    }
    program.body = body.substr(skip);
    program.offset = entry.dataOffset + 2 + skip;
    return program;
}

} // namespace kalvo::calc
