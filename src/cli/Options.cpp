// SPDX-License-Identifier: GPL-3.0-or-later
#include "Options.h"

#include "calcfiles/diagnostics/Diagnostic.h"
#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86Font.h"

namespace kalvo::cli {

namespace {

constexpr std::string_view kUsage =
    "Usage: kalvo-convert [-f FORMAT] [-t FORMAT] [--table | --translate]\n"
    "                     [--list | --program NAME] [--name NAME] [--target MODEL]\n"
    "                     [-q] [--force] [INPUT] [-o OUTPUT]\n"
    "       kalvo-convert --all [--target MODEL] [-q] [--force] INPUT -o FOLDER\n";

constexpr std::string_view kHelp =
    R"(Converts TI-86 BASIC programs for the TI-83 Plus: the text that TI's link
software copied out of a program, or the program files themselves (.86p, and
.86g groups), into TI-83 Plus text or a .8xp file that a TI-83 Plus can
receive. With no options it does what Kalvo's "Convert to 8xp" button does:
TI-86 text in, the 81-row token table, TI-83 Plus text out, and says on
standard error what is left to do by hand.

Formats (-f for the input, -t for the output):
  ti86    TI-86 program text: Windows-1252 bytes, what Kalvo's window edits
  ti83p   TI-83 Plus program text, the same conventions
  86p     a TI-86 variable file (.86p or .86g); read only
  8xp     a TI-83 Plus program file
Without -f, an input beginning with **TI86** is 86p, one beginning with
**TI83F* is 8xp, and anything else is ti86; a calculator file given as
text (-f ti86 or -f ti83p) is refused: leave -f out for those. Without -t,
an OUTPUT ending in .8xp (any case) is 8xp; anything else, and standard
output, is ti83p.

What each pair does:
  ti86  -> ti83p   the 81 rows, as the window does
  86p   -> ti86    the program's text, unchanged ("listing")
  86p   -> ti83p   the program translated, as TI-83 Plus text
  86p   -> 8xp     the program translated into TI-83 Plus tokens
  ti86  -> 8xp     the text translated into TI-83 Plus tokens
  ti83p -> 8xp     the TI-83 Plus tokens of text already converted
  8xp   -> ti83p   a .8xp file's text
Other pairs are refused. The translator renames labels and variables to what
the TI-83 Plus takes, rewrites menus, equations and program calls, and notes
each change; --table uses the 81 rows instead, --translate the translator on
ti86 -> ti83p. Text into a .8xp needs -f: -f ti86 for TI-86 text (translated
first), -f ti83p for text converted already (in the window, or by an earlier
run), since converting a program twice damages it.

Options:
  -f FORMAT        the input's format
  -t FORMAT        the output's format
      --table      convert with the 81-row table (only on pairs that convert)
      --translate  convert with the translator (only on pairs that convert)
      --all        translate every program of a TI-86 file together (shared
                   variables renamed alike, calls between them kept) into
                   FOLDER/NAME.8xp, FOLDER given by -o and made if missing
      --list       print the names of the file's programs, one a line, and exit
      --program NAME
                   the program of a file to convert, by name (UTF-8, with the
                   calculator's θ, Δ, accented letters) or as @N, the N-th in
                   --list order; needed when a file holds several programs
      --name NAME  the .8xp program's name: 1 to 8 of A-Z, 0-9 and θ, the
                   first a letter or θ. Without it, the TI-86 program's name
                   is used, or OUTPUT's name before its extension, made
                   valid (capitals; other characters dropped) with a warning
      --target MODEL
                   the calculator the translated program is for: ti83p (the
                   TI-83 Plus, the default), ti84p (the TI-84 Plus) or
                   ti84pce (the TI-84 Plus CE). The .8xp file is the same for
                   all three, which all run it; the model decides what the
                   program's screen positions and menus are checked against:
                   the home screen (8 x 16, on the CE 10 x 26), the graph
                   screen (95 x 63 pixels, on the CE 265 x 165), menus (7
                   choices of 14 characters, on the CE 9 of 24). Every token
                   the translator writes is one all three have
  -q, --quiet      no warnings, notes or report
  -o OUTPUT        write the result to OUTPUT
      --force      replace OUTPUT even when it is read-only (its mode is kept)
  -h, --help       show this help and exit
      --version    show the version and exit
  --               end of options, for an INPUT whose name begins with "-"

INPUT is read as bytes; line ends of text stay as they are. Without INPUT,
or when INPUT is "-", standard input is read. The result goes to OUTPUT, or
to standard output without -o or when OUTPUT is "-". OUTPUT may name INPUT
itself. Input longer than 2147483647 bytes is refused.

Warnings and notes go to standard error, one a line, as
FILE:LINE:COLUMN: warning: ... (lines and columns count bytes of the TI-86
text, the input or the listing -t ti86 shows), or FILE: warning: offset
0xNN: ... for a file's bytes; FILE(NAME) names a program of a group, and "-"
standard input. After the 81 rows they point at what is left to do by hand,
sorted by place, then one line counts them ("kalvo-convert: 2 labels to
shorten, ..."); the translator adds a note for each kind of change it made.
A damaged file is read as far as it goes. Warnings never change the exit
status. Errors come after every note and warning; when notes or warnings
came first, the last line says the first error again.

An existing OUTPUT file is replaced only once the whole result is written and
on disk: a failure or an interruption leaves it as it was, and no temporary
file behind. The new file keeps the old one's mode, owner and group where
kalvo-convert may set them (set-id bits are dropped when it may not). A
symbolic link is followed and kept, and its target written; a link that leads
nowhere is refused. Other hard links to the file keep the old content. A
read-only OUTPUT is refused unless --force is given. An OUTPUT that is not a
regular file (a device, a FIFO, /dev/stdout, /dev/fd/N) is written into as it
stands, never replaced.

Exit status: 0 when converted, 1 when the input cannot be read or used (no
program in it, an assembly program) or the output cannot be written, 2 for a
wrong command line. When the reader of the output stops early (a closed
pipe), kalvo-convert ends quietly, as other filters do: killed by SIGPIPE,
which shells report as 141.

After the 81 rows, labels, gotos, menus and long variable names still need
editing by hand, as the warnings and Kalvo's closing messages say; the
translator does that work itself where it can.

Examples:
  kalvo-convert GAME.86.txt -o GAME.83p.txt
  kalvo-convert < GAME.86.txt > GAME.83p.txt
  kalvo-convert GAME.txt -o GAME.txt              # convert in place
  kalvo-convert --list GAMES.86g                  # the programs of a group
  kalvo-convert GAME.86p -t ti86                  # a program's TI-86 text
  kalvo-convert GAME.86p -o GAME.8xp              # ready for a TI-83 Plus
  kalvo-convert GAMES.86g --program @2 -o TWO.8xp
  kalvo-convert --all GAMES.86g -o games/         # games/NAME.8xp, each
  kalvo-convert -f ti83p GAME83.txt --name GAME -o GAME.8xp

  # Every program of the folder programs/ into the folder converted/:
  mkdir -p converted
  for f in programs/*.txt; do
      kalvo-convert "$f" -o "converted/${f##*/}" || break
  done
)";

// A name from the command line (UTF-8, θ as the calculator shows it) in
// the program-text form the name rules are written for.
std::string nameInTextForm(std::string_view utf8) {
    std::string font;
    if (!calc::ti86FontFromUtf8(utf8, font))
        return std::string(utf8); // the check names what cannot be in it
    std::string text;
    for (const char c : font) {
        std::uint8_t byte = 0;
        text +=
            calc::ti86FontToText(static_cast<std::uint8_t>(c), byte) ? static_cast<char>(byte) : c;
    }
    return text;
}

struct Parser {
    const std::vector<std::string_view>& args;
    ParsedCommandLine result;
    std::optional<Format> to;
    bool haveInput = false;
    bool haveOutput = false;

    bool fail(std::string problem) {
        result.kind = ParsedCommandLine::Kind::UsageError;
        result.problem = std::move(problem);
        return false;
    }

    // The value of the option at args[i], moving i past it.
    bool value(std::size_t& i, std::string_view option, std::string_view what, std::string& out) {
        if (i + 1 == args.size())
            return fail(std::string(option) + " needs " + std::string(what));
        out = args[++i];
        return true;
    }

    bool once(bool given, std::string_view option) {
        return !given || fail(std::string(option) + " given more than once");
    }

    bool format(std::size_t& i, std::string_view option, std::optional<Format>& out) {
        std::string name;
        if (!once(out.has_value(), option) || !value(i, option, "a format", name))
            return false;
        out = parseFormat(name);
        return out || fail("unknown format '" + name + "' (ti86, ti83p, 86p or 8xp)");
    }

    bool option(std::size_t& i) {
        Options& o = result.options;
        const std::string_view arg = args[i];
        std::string text;
        if (arg == "-h" || arg == "--help") {
            result.kind = ParsedCommandLine::Kind::Help;
            return false;
        }
        if (arg == "--version") {
            result.kind = ParsedCommandLine::Kind::Version;
            return false;
        }
        if (arg == "--force")
            return o.force = true;
        if (arg == "--table")
            return o.table = true;
        if (arg == "--translate")
            return o.translate = true;
        if (arg == "--all")
            return o.all = true;
        if (arg == "--list")
            return o.list = true;
        if (arg == "-q" || arg == "--quiet")
            return o.quiet = true;
        if (arg == "-f")
            return format(i, arg, o.from);
        if (arg == "-t")
            return format(i, arg, to);
        if (arg == "-o") {
            if (!once(haveOutput, arg) || !value(i, arg, "a file name", o.output))
                return false;
            return haveOutput = true;
        }
        if (arg == "--program") {
            if (!once(o.program.has_value(), arg) || !value(i, arg, "a name or @N", text))
                return false;
            o.program = text;
            return true;
        }
        if (arg == "--target") {
            if (!once(o.targetGiven, arg) || !value(i, arg, "a calculator model", text))
                return false;
            const std::optional<calc::Ti83pModel> model = calc::ti83pModelNamed(text);
            if (!model)
                return fail("unknown --target '" + text + "' (ti83p, ti84p or ti84pce)");
            o.target = *model;
            return o.targetGiven = true;
        }
        if (arg == "--name") {
            if (!once(o.name.has_value(), arg) || !value(i, arg, "a name", text))
                return false;
            o.name = text;
            return true;
        }
        return fail("unknown option '" + std::string(arg) + "'");
    }

    bool arguments() {
        bool optionsEnded = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string_view arg = args[i];
            if (optionsEnded || arg.size() < 2 || arg.front() != '-') {
                if (haveInput)
                    return fail("unexpected argument '" + std::string(arg) + "'");
                result.options.input = arg;
                haveInput = true;
            } else if (arg == "--") {
                optionsEnded = true;
            } else if (!option(i)) {
                return false;
            }
        }
        return true;
    }

    // --all writes one .8xp per program into a folder, each named after its
    // program, so a name, a pick or another output format has no place.
    bool allConsistent(bool fromText) {
        Options& o = result.options;
        if (o.list || o.program || o.name || o.table)
            return fail("--all translates every program of a file; it takes no --list, "
                        "--program, --name or --table");
        if (to && *to != Format::Ti83pFile)
            return fail("--all writes 8xp files; -t " + std::string(formatName(*to)) +
                        " does not go with it");
        if (fromText)
            return fail("--all needs a calculator file (86p), not text");
        if (!haveOutput || o.output == kStandardStream)
            return fail("--all needs -o FOLDER, the folder its .8xp files go to");
        o.to = Format::Ti83pFile;
        return true;
    }

    // What can be refused before the input is read.
    bool consistent() {
        Options& o = result.options;
        const bool fromText = o.from == Format::Ti86Text || o.from == Format::Ti83pText;
        if (o.table && o.translate)
            return fail("--table and --translate do not go together: pick one engine");
        if (o.all)
            return allConsistent(fromText);
        o.to = to ? *to : outputFormatFor(o.output == kStandardStream ? "" : o.output);
        if (o.to == Format::Ti86File)
            return fail(to ? "Kalvo writes no TI-86 files (-t 86p)"
                           : "Kalvo writes no TI-86 files ('" + o.output +
                                 "'); use .8xp for a TI-83 Plus file, or another name for "
                                 "text");
        if (o.list && o.program)
            return fail("--list and --program do not go together");
        if (o.list && (haveOutput || to || o.table || o.translate || o.name || o.targetGiven))
            return fail("--list prints the names of a file's programs; it takes no -o, -t, "
                        "--table, --translate, --name or --target");
        if (o.targetGiven && o.to == Format::Ti86Text)
            return fail("--target says what a TI-83 Plus program is for; the output here is "
                        "ti86 text");
        if ((o.list || o.program) && fromText)
            return fail(std::string(o.list ? "--list" : "--program") +
                        " needs a calculator file (86p or 8xp), not text");
        if (o.program && o.program->starts_with('@')) {
            const std::string_view digits = std::string_view(*o.program).substr(1);
            if (digits.empty() || digits.size() > 6 || digits.front() == '0' ||
                digits.find_first_not_of("0123456789") != std::string_view::npos)
                return fail("--program @N needs a number from 1, not '" + *o.program + "'");
        }
        if (o.name) {
            if (o.to != Format::Ti83pFile)
                return fail("--name names the program of an 8xp output; the output here is " +
                            std::string(formatName(o.to)));
            o.name = nameInTextForm(*o.name);
            const calc::Diagnostics problems = calc::checkTi83pProgramName(*o.name);
            if (!problems.empty())
                return fail("--name: " + problems.front().message);
        }
        return true;
    }
};

} // namespace

ParsedCommandLine parseCommandLine(const std::vector<std::string_view>& args) {
    Parser parser{args, {}, {}};
    if (parser.arguments())
        parser.consistent();
    return std::move(parser.result);
}

std::string_view usageLine() {
    return kUsage;
}

std::string_view helpText() {
    return kHelp;
}

} // namespace kalvo::cli
