// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86File.h"

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

void add(Diagnostics& diagnostics, Diagnostic::Severity severity, std::uint64_t offset,
         std::string message) {
    Diagnostic d;
    d.severity = severity;
    d.offset = offset;
    d.hasOffset = true;
    d.message = std::move(message);
    diagnostics.push_back(std::move(d));
}

void warn(Diagnostics& diagnostics, std::uint64_t offset, std::string message) {
    add(diagnostics, Diagnostic::Severity::Warning, offset, std::move(message));
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

std::string number(std::size_t value) {
    return std::to_string(value);
}

// One entry at `at`; false when its header cannot be read, so that nothing
// after it can be placed either.
bool readEntry(std::string_view bytes, std::size_t& at, Ti86File& file) {
    const std::size_t size = bytes.size();
    if (size - at < 6) {
        warn(file.diagnostics, at,
             "the file ends inside an entry's header (" + number(size - at) + " bytes left)");
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
        warn(file.diagnostics, at,
             "entry header length 13 where 12 belongs (damage from a text-mode transfer); read "
             "as 12, where the entry's second data length stands");
        headerLength = 0x0C;
    }
    // The name field after the type and length bytes holds 1-8 bytes: the
    // name, perhaps padded or followed by leftovers.
    if (nameLength < 1 || nameLength > 8 || headerLength < 4 + nameLength || headerLength > 12) {
        warn(file.diagnostics, at,
             "unreadable entry header (header length " + number(headerLength) + ", name length " +
                 number(nameLength) + "); the rest of the file (" + number(size - at) +
                 " bytes) is skipped");
        at = size;
        return false;
    }
    if (size - at < 4 + headerLength) {
        warn(file.diagnostics, at, "the file ends inside an entry's header");
        at = size;
        return false;
    }
    Ti86Entry entry;
    entry.type = type;
    entry.name.assign(bytes.substr(at + 6, nameLength));
    entry.offset = at;
    const std::size_t secondLength = le16(bytes, at + 2 + headerLength);
    if (secondLength != dataLength)
        warn(file.diagnostics, at + 2 + headerLength,
             "entry " + ti86NameToUtf8(entry.name) + ": its two data lengths disagree (" +
                 number(dataLength) + " and " + number(secondLength) + "); using " +
                 number(secondLength));
    const std::size_t dataAt = at + 4 + headerLength;
    entry.dataOffset = dataAt;
    const std::size_t available = size - dataAt;
    if (secondLength > available) {
        warn(file.diagnostics, dataAt,
             "entry " + ti86NameToUtf8(entry.name) + ": the file ends inside its data (" +
                 number(available) + " of " + number(secondLength) + " bytes)");
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
        add(file.diagnostics, Diagnostic::Severity::Error, 0,
            "not a TI-86 file: it does not begin with **TI86**");
        return file;
    }
    if (size < kDataStart) {
        add(file.diagnostics, Diagnostic::Severity::Error, size,
            "the file ends inside its header, after " + number(size) + " bytes");
        return file;
    }
    if (bytes.substr(8, 3) == std::string_view("\x1A\x0D\x00", 3))
        warn(file.diagnostics, 8,
             "the header holds 1A 0D 00 where 1A 0A 00 belongs (damage from a text-mode "
             "transfer); read as 1A 0A 00");
    else if (bytes.substr(8, 3) != std::string_view("\x1A\x0A\x00", 3))
        warn(file.diagnostics, 8,
             "the header holds " + hexBytes(bytes.substr(8, 3)) + " where 1A 0A 00 belongs");

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
        warn(file.diagnostics, kLengthField,
             "the header gives the entries " + number(declared) + " bytes; the file holds " +
                 number(entriesEnd - kDataStart));
    if (lost) {
        // readEntry said what was skipped.
    } else if (size - entriesEnd >= 2) {
        const std::uint16_t stored = le16(bytes, entriesEnd), sum = sumOf(entriesEnd);
        if (sum != stored) {
            char message[80];
            std::snprintf(message, sizeof message,
                          "bad checksum: the file says %04X, the data sums to %04X", stored, sum);
            warn(file.diagnostics, entriesEnd, message);
        }
        if (size - entriesEnd > 2)
            warn(file.diagnostics, entriesEnd + 2,
                 number(size - entriesEnd - 2) + " bytes after the checksum are ignored");
    } else if (size == entriesEnd) {
        warn(file.diagnostics, entriesEnd, "the file ends without its checksum");
    } else {
        warn(file.diagnostics, entriesEnd, "one byte after the entries where a checksum belongs");
    }
    if (file.entries.empty())
        add(file.diagnostics, Diagnostic::Severity::Error, kDataStart, "no entry can be read");
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
        warn(program.diagnostics, entry.dataOffset,
             "program " + ti86EntryName(entry) + ": its data ends before its length");
        program.offset = entry.dataOffset + data.size();
        return program;
    }
    const std::size_t length = le16(data, 0);
    std::string_view body = data.substr(2);
    if (length != body.size())
        warn(program.diagnostics, entry.dataOffset,
             "program " + ti86EntryName(entry) + ": its length says " + number(length) +
                 " bytes; the entry holds " + number(body.size()));
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
