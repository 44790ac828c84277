// SPDX-License-Identifier: GPL-3.0-or-later
// The page's way into kalvo-convert's job: plain C functions that JavaScript
// calls with ccall, over bytes in the module's memory. The module runs one
// job at a time and keeps its result until the next.

#include "ConvertJob.h"
#include "Formats.h"
#include "Options.h"
#include "Programs.h"

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"
#include "calcfiles/ti86/Ti86Font.h"
#include "calcfiles/ti86/Ti86Listing.h"

#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <string_view>
#include <vector>

namespace {

using kalvo::cli::JobMessage;

// A JSON string of `text`; bytes that are not UTF-8 become U+FFFD.
void appendJson(std::string& out, std::string_view text) {
    out += '"';
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
            bool valid = length != 0 && c < 0xF5 && i + length <= text.size();
            for (std::size_t k = 1; valid && k < length; ++k)
                valid = (static_cast<unsigned char>(text[i + k]) & 0xC0) == 0x80;
            if (valid) {
                out.append(text.substr(i, length));
                i += length - 1;
            } else {
                out += "\xEF\xBF\xBD";
            }
        }
    }
    out += '"';
}

void appendField(std::string& out, std::string_view key, std::string_view value) {
    appendJson(out, key);
    out += ':';
    appendJson(out, value);
}

void appendField(std::string& out, std::string_view key, std::uint64_t value) {
    appendJson(out, key);
    out += ':';
    out += std::to_string(value);
}

std::string_view severityName(kalvo::calc::Diagnostic::Severity severity) {
    switch (severity) {
    case kalvo::calc::Diagnostic::Severity::Note:
        return "note";
    case kalvo::calc::Diagnostic::Severity::Warning:
        return "warning";
    case kalvo::calc::Diagnostic::Severity::Error:
        break;
    }
    return "error";
}

std::string_view kindName(JobMessage::Kind kind) {
    switch (kind) {
    case JobMessage::Kind::Finding:
        return "finding";
    case JobMessage::Kind::Summary:
        return "summary";
    case JobMessage::Kind::Failure:
        return "failure";
    case JobMessage::Kind::Recap:
        return "recap";
    case JobMessage::Kind::UsageError:
        break;
    }
    return "usage";
}

// One record as a JSON object: what it is about, where, and its words.
void appendMessage(std::string& out, const JobMessage& message) {
    out += out.size() > 1 ? ",{" : "{";
    appendField(out, "kind", kindName(message.kind));
    out += ',';
    if (message.diagnostic) {
        const kalvo::calc::Diagnostic& d = *message.diagnostic;
        appendField(out, "severity", severityName(d.severity));
        out += ',';
        appendField(out, "where", message.where);
        out += ',';
        appendField(out, "line", d.line);
        out += ',';
        appendField(out, "column", d.column);
        out += ',';
        if (d.hasOffset) {
            appendField(out, "offset", d.offset);
            out += ',';
        }
        appendField(out, "message", d.message);
    } else {
        appendField(out, "severity", message.kind == JobMessage::Kind::Summary ? "note" : "error");
        out += ',';
        appendField(out, "message", message.text);
    }
    out += '}';
}

struct LastJob {
    int status = 0;
    std::string messages = "[]";                // the records
    std::string printed;                        // what the command prints for them on stderr
    std::vector<kalvo::cli::ProgramFile> files; // the single output has no name
};

LastJob last;
std::string answer; // what the last describe or display call returns

// NUL-separated arguments, as a shell would pass them to kalvo-convert.
std::vector<std::string_view> splitArguments(std::string_view joined) {
    std::vector<std::string_view> args;
    while (!joined.empty()) {
        const std::size_t end = joined.find('\0');
        args.push_back(joined.substr(0, end));
        if (end == std::string_view::npos)
            break;
        joined.remove_prefix(end + 1);
    }
    return args;
}

// A failure the job could not turn into words of its own, as main words it.
// Only the entry points catch (see the root CMakeLists.txt): what the job
// held when it threw is not freed, so the page asks for a reload after one.
void failWith(std::string_view words) {
    last = {};
    last.status = 1;
    last.messages = "[";
    JobMessage message;
    message.kind = JobMessage::Kind::Failure;
    message.text = words;
    appendMessage(last.messages, message);
    last.messages += ']';
    last.printed = kalvo::cli::messageText(message);
}

void runJob(std::string_view joinedArgs, std::string input) {
    last = {};
    const kalvo::cli::ParsedCommandLine parsed =
        kalvo::cli::parseCommandLine(splitArguments(joinedArgs));
    std::string messages = "[";
    const auto collect = [&messages](const JobMessage& message) {
        appendMessage(messages, message);
        last.printed += kalvo::cli::messageText(message);
    };
    if (parsed.kind != kalvo::cli::ParsedCommandLine::Kind::Run) {
        JobMessage message;
        message.kind = JobMessage::Kind::UsageError;
        message.text = parsed.kind == kalvo::cli::ParsedCommandLine::Kind::UsageError
                           ? std::string_view(parsed.problem)
                           : "the page runs conversions only";
        collect(message);
        last.status = 2;
    } else {
        kalvo::cli::JobResult result =
            kalvo::cli::runConvertJob(std::move(input), parsed.options, collect);
        last.status = result.status;
        if (parsed.options.all)
            last.files = std::move(result.files);
        else if (result.status == 0)
            last.files.push_back({"", std::move(result.output)});
    }
    messages += ']';
    last.messages = std::move(messages);
}

// What a file holds, for the page to offer: its format, and for a TI-86
// file each entry with its kind, the @N of a program and what findings
// about it are said to be about.
std::string describe(std::string_view name, std::string_view bytes) {
    using namespace kalvo;
    std::string out = "{";
    const cli::Format format = cli::detectInputFormat(bytes);
    appendField(out, "format", cli::formatName(format));
    if (format == cli::Format::Ti83pFile) {
        const calc::Ti83pFile file = calc::readTi83pFile(bytes);
        out += ',';
        appendField(out, "program", cli::ti83pProgramName(file));
    }
    if (format == cli::Format::Ti86File && bytes.size() <= calc::kTi86MaxFileBytes) {
        const calc::Ti86File file = calc::readTi86File(bytes);
        out += ",\"entries\":[";
        std::size_t program = 0;
        for (const calc::Ti86Entry& entry : file.entries) {
            if (&entry != &file.entries.front())
                out += ',';
            out += '{';
            appendField(out, "name", calc::ti86EntryName(entry));
            out += ',';
            appendField(out, "type", calc::ti86TypeName(entry.type));
            if (entry.type == calc::kTi86ProgramType) {
                const calc::Ti86ProgramForm form = calc::ti86ProgramBody(entry).form;
                const bool assembly = form == calc::Ti86ProgramForm::Assembly ||
                                      form == calc::Ti86ProgramForm::CompiledAssembly;
                out += ',';
                appendField(out, "program", ++program);
                out += ',';
                appendField(out, "basic", assembly ? 0 : 1);
                out += ',';
                appendField(out, "where", cli::programWhere(file, entry, name));
            }
            out += '}';
        }
        out += ']';
    }
    out += '}';
    return out;
}

// Program text (either calculator's, in the text files' Windows-1252
// spelling) in UTF-8 with the calculator's glyphs, one character for each
// byte so that columns stay where the findings say.
std::string display(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == '\r' || byte == '\n' || byte == '\t') {
            out += c;
            continue;
        }
        const std::string_view glyph = kalvo::calc::ti86Glyph(kalvo::calc::ti86TextToFont(byte));
        if (!glyph.empty() && byte != 0xE0)
            out.append(glyph);
        else
            out += "\xEF\xBF\xBD"; // a byte with no glyph
    }
    return out;
}

// A file of the last run, or nullptr for an index out of range.
const kalvo::cli::ProgramFile* fileAt(int index) {
    return index >= 0 && static_cast<std::size_t>(index) < last.files.size()
               ? &last.files[static_cast<std::size_t>(index)]
               : nullptr;
}

} // namespace

extern "C" {

// Runs kalvo-convert with `args` (NUL-separated, the input's name among them)
// on the input bytes; returns the exit status. The messages and files stay
// until the next call.
int kalvo_run(const char* args, int argsLength, const char* input, int inputLength) {
    try {
        runJob(std::string_view(args, static_cast<std::size_t>(argsLength)),
               std::string(input, static_cast<std::size_t>(inputLength)));
    } catch (const std::bad_alloc&) {
        failWith("out of memory");
    } catch (const std::exception& error) {
        failWith(error.what());
    }
    return last.status;
}

// The last run's messages as a JSON array.
const char* kalvo_messages() {
    return last.messages.c_str();
}

// What kalvo-convert would have printed on standard error for them.
const char* kalvo_printed() {
    return last.printed.c_str();
}

int kalvo_file_count() {
    return static_cast<int>(last.files.size());
}

const char* kalvo_file_name(int index) {
    return fileAt(index) ? fileAt(index)->fileName.c_str() : "";
}
const char* kalvo_file_data(int index) {
    return fileAt(index) ? fileAt(index)->bytes.data() : nullptr;
}
int kalvo_file_size(int index) {
    return fileAt(index) ? static_cast<int>(fileAt(index)->bytes.size()) : 0;
}

// What a file holds, as JSON; see describe().
const char* kalvo_describe(const char* name, const char* bytes, int length) {
    try {
        answer = describe(name, std::string_view(bytes, static_cast<std::size_t>(length)));
    } catch (const std::exception&) {
        answer = "{}";
    }
    return answer.c_str();
}

// Program text with the calculator's glyphs, in UTF-8.
const char* kalvo_display(const char* text, int length) {
    try {
        answer = display(std::string_view(text, static_cast<std::size_t>(length)));
    } catch (const std::exception&) {
        answer.clear();
    }
    return answer.c_str();
}

} // extern "C"
