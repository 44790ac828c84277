// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/ti86/Ti86Tokens.h"

#include "calcfiles/ti86/Ti86Font.h"

#include <array>
#include <cstdio>
#include <stdexcept>

namespace kalvo::calc {

namespace {

constexpr auto P = Ti86Spacing::Plain;
constexpr auto C = Ti86Spacing::Command;
constexpr auto I = Ti86Spacing::Infix;
constexpr auto F = Ti86Spacing::Prefix;
constexpr auto Str = Ti86Inline::String;
constexpr auto LenName = Ti86Inline::LengthName;
constexpr auto Name = Ti86Inline::FixedName;
constexpr auto Conv = Ti86Inline::Conversion;
constexpr auto Num = Ti86Inline::Number;
constexpr auto Lbl = Ti86Inline::Label;
constexpr auto Go = Ti86Inline::Goto;

struct Row {
    std::uint16_t code;
    const char* glyphs;
    Ti86Spacing spacing;
    Ti86Inline data = Ti86Inline::None;
};

// The three grids. Names are the calculator's short forms; the inline-data
// tokens 32-3C and 3E carry their name in the data, so their own name is
// empty. 8E 30 repeats cSum as the grid does; it reads back as 8E 2F.
constexpr Row kRows[] = {
    // clang-format off
    {0x01, "▶Rec", P}, {0x02, "▶Pol", P}, {0x03, "▶Cyl", P}, {0x04, "▶Sph", P}, {0x05, "▶DMS", P},
    {0x06, "▶Bin", P}, {0x07, "▶Hex", P}, {0x08, "▶Oct", P}, {0x09, "▶Dec", P}, {0x0A, "▶Frac", P},
    {0x0B, "→", P}, {0x0C, "[", P}, {0x0D, "]", P}, {0x0E, "{", P}, {0x0F, "}", P},
    {0x10, "(", P}, {0x11, ")", P}, {0x12, "round", P}, {0x13, "max", P}, {0x14, "min", P},
    {0x15, "mod", P}, {0x16, "cross", P}, {0x17, "dot", P}, {0x18, "aug", P}, {0x19, "rSwap", P},
    {0x1A, "rAdd", P}, {0x1B, "multR", P}, {0x1C, "mRAdd", P}, {0x1D, "sub", P}, {0x1E, "lcm", P},
    {0x1F, "gcd", P},
    {0x20, "simult", P}, {0x21, "inter", P}, {0x22, "pEval", P}, {0x23, "randM", P},
    {0x24, "seq", P}, {0x25, "evalF", P}, {0x26, "fnInt", P}, {0x27, "arc", P}, {0x28, "fMin", P},
    {0x29, "fMax", P}, {0x2A, "der1", P}, {0x2B, "der2", P}, {0x2C, "nDer", P},
    {0x2D, "\"", P, Str}, {0x2E, "∠", P}, {0x2F, ",", P},
    {0x30, "or", I}, {0x31, "xor", I}, {0x32, "", P, LenName}, {0x33, "", P, Name},
    {0x34, "", P, Name}, {0x35, "", P, Name}, {0x36, "", P, Name}, {0x37, "", P, Name},
    {0x38, "", P, Name}, {0x39, "", P, Name}, {0x3A, "", P, Name}, {0x3B, "", P, LenName},
    {0x3C, "", P, LenName}, {0x3E, "", P, Conv}, {0x3F, "=", P},
    {0x40, "and", I}, {0x41, "rand", P}, {0x42, "π", P}, {0x43, "getKy", P}, {0x44, "", P, Num},
    {0x45, "%", P}, {0x46, "!", P}, {0x47, "ʳ", P}, {0x48, "°", P}, {0x49, "⁻¹", P}, {0x4A, "²", P},
    {0x4B, "ᵀ", P}, {0x4C, "Menu", P}, {0x4D, "P2Reg", C}, {0x4E, "P3Reg", C}, {0x4F, "P4Reg", C},
    {0x50, "==", P}, {0x51, "<", P}, {0x52, ">", P}, {0x53, "≤", P}, {0x54, "≥", P}, {0x55, "≠", P},
    {0x56, "Radian", P}, {0x57, "Degree", P}, {0x58, "Normal", P}, {0x59, "Sci", P},
    {0x5A, "Eng", P}, {0x5B, "Float", P}, {0x5C, "Fix", C}, {0x5D, "RectV", P}, {0x5E, "CylV", P},
    {0x5F, "SphereV", P},
    {0x60, "+", P}, {0x61, "-", P}, {0x62, "Func", P}, {0x63, "Param", P}, {0x64, "Pol", P},
    {0x65, "DifEq", P}, {0x66, "Bin", P}, {0x67, "Oct", P}, {0x68, "Hex", P}, {0x69, "Dec", P},
    {0x6A, "RectC", P}, {0x6B, "PolarC", P}, {0x6C, "dxDer1", P}, {0x6D, "dxNDer", P},
    {0x6E, ":", P}, {0x6F, "", P},
    {0x70, "*", P}, {0x71, "/", P}, {0x72, "SeqG", P}, {0x73, "SimulG", P}, {0x74, "PolarGC", P},
    {0x75, "RectGC", P}, {0x76, "CoordOn", P}, {0x77, "CoordOff", P}, {0x78, "DrawLine", P},
    {0x79, "DrawDot", P}, {0x7A, "AxesOn", P}, {0x7B, "AxesOff", P}, {0x7C, "GridOn", P},
    {0x7D, "GridOff", P}, {0x7E, "LabelOn", P}, {0x7F, "LabelOff", P},
    {0x80, "nPr", I}, {0x81, "nCr", I}, {0x82, "Trace", P}, {0x83, "ClDrw", P}, {0x84, "ZStd", P},
    {0x85, "ZTrig", P}, {0x86, "ZFit", P}, {0x87, "ZIn", P}, {0x88, "ZOut", P}, {0x89, "ZSqr", P},
    {0x8A, "ZInt", P}, {0x8B, "ZPrev", P}, {0x8C, "ZDecm", P}, {0x8D, "ZRcl", P},
    {0x8F, "DrawF", C},
    {0x90, "FnOn", C}, {0x91, "FnOff", C}, {0x92, "StPic", C}, {0x93, "RcPic", C},
    {0x94, "StGDB", C}, {0x95, "RcGDB", C}, {0x96, "Line", P}, {0x97, "Vert", C}, {0x98, "PtOn", P},
    {0x99, "PtOff", P}, {0x9A, "PtChg", P}, {0x9B, "Shade", P}, {0x9C, "Circl", P},
    {0x9D, "Axes", P}, {0x9E, "TanLn", P}, {0x9F, "DrInv", C},
    {0xA0, "√", P}, {0xA1, "⁻", P}, {0xA2, "abs", F}, {0xA3, "iPart", F}, {0xA4, "fPart", F},
    {0xA5, "int", F}, {0xA6, "ln", F}, {0xA7, "e^", P}, {0xA8, "log", F}, {0xA9, "⏨^", P},
    {0xAA, "sin", F}, {0xAB, "sin⁻¹", F}, {0xAC, "cos", F}, {0xAD, "cos⁻¹", F}, {0xAE, "tan", F},
    {0xAF, "tan⁻¹", F},
    {0xB0, "sinh", F}, {0xB1, "sinh⁻¹", F}, {0xB2, "cosh", F}, {0xB3, "cosh⁻¹", F},
    {0xB4, "tanh", F}, {0xB5, "tanh⁻¹", F}, {0xB6, "sign", F}, {0xB7, "det", F}, {0xB8, "ident", F},
    {0xB9, "unitV", F}, {0xBA, "norm", F}, {0xBB, "rnorm", F}, {0xBC, "cnorm", F}, {0xBD, "ref", F},
    {0xBE, "rref", F}, {0xBF, "dim", F},
    {0xC0, "dimL", F}, {0xC1, "sum", F}, {0xC2, "prod", F}, {0xC3, "sortA", F}, {0xC4, "sortD", F},
    {0xC5, "li▶vc", F}, {0xC6, "vc▶li", F}, {0xC7, "lngth", F}, {0xC8, "conj", F},
    {0xC9, "real", F}, {0xCA, "imag", F}, {0xCB, "angle", F}, {0xCC, "not", F}, {0xCD, "rotR", F},
    {0xCE, "rotL", F}, {0xCF, "shftR", F},
    {0xD0, "shftL", F}, {0xD1, "eigVl", F}, {0xD2, "eigVc", F}, {0xD3, "cond", F},
    {0xD4, "poly", P}, {0xD5, "fcstx", F}, {0xD6, "fcsty", F}, {0xD7, "eval", F}, {0xD8, "If", C},
    {0xD9, "Then", P}, {0xDA, "Else", P}, {0xDB, "While", C}, {0xDC, "Repeat", C}, {0xDD, "For", P},
    {0xDE, "End", P}, {0xDF, "Return", P},
    {0xE0, "Lbl", C, Lbl}, {0xE1, "Goto", C, Go}, {0xE2, "Pause", C}, {0xE3, "Stop", P},
    {0xE4, "IS>", P}, {0xE5, "DS<", P}, {0xE6, "Input", C}, {0xE7, "Prompt", C}, {0xE8, "InpSt", C},
    {0xE9, "Disp", C}, {0xEA, "DispG", P}, {0xEB, "Outpt", P}, {0xEC, "ClLCD", P},
    {0xED, "Eq▶St", P}, {0xEE, "St▶Eq", P}, {0xEF, "Fill", P},
    {0xF0, "^", P}, {0xF1, "ˣ√", P}, {0xF2, "Solver", P}, {0xF3, "OneVar", C}, {0xF4, "LinR", C},
    {0xF5, "ExpR", C}, {0xF6, "LnR", C}, {0xF7, "PwrR", C}, {0xF8, "ShwSt", P}, {0xF9, "Hist", C},
    {0xFA, "xyLine", C}, {0xFB, "Scatter", C}, {0xFC, "SortX", C}, {0xFD, "SortY", C},
    {0xFE, "LU", P},

    {0x3D00, "zxScl", P}, {0x3D01, "zyScl", P}, {0x3D02, "xScl", P}, {0x3D03, "yScl", P},
    {0x3D04, "xMin", P}, {0x3D05, "xMax", P}, {0x3D06, "yMin", P}, {0x3D07, "yMax", P},
    {0x3D08, "tMin", P}, {0x3D09, "tMax", P}, {0x3D0A, "tStep", P}, {0x3D0B, "θStep", P},
    {0x3D0C, "ztStep", P}, {0x3D0D, "zθStep", P}, {0x3D0E, "tPlot", P}, {0x3D0F, "θMin", P},
    {0x3D10, "θMax", P}, {0x3D11, "zxMin", P}, {0x3D12, "zxMax", P}, {0x3D13, "zyMin", P},
    {0x3D14, "zyMax", P}, {0x3D15, "ztPlot", P}, {0x3D16, "zθMin", P}, {0x3D17, "zθMax", P},
    {0x3D18, "ztMin", P}, {0x3D19, "ztMax", P}, {0x3D1A, "lower", P}, {0x3D1B, "upper", P},
    {0x3D1C, "Δx", P}, {0x3D1D, "Δy", P}, {0x3D1E, "xFact", P}, {0x3D1F, "yFact", P},
    {0x3D20, "difTol", P}, {0x3D21, "tol", P}, {0x3D22, "δ", P}, {0x3D23, "Na", P},
    {0x3D24, "k", P}, {0x3D25, "Cc", P}, {0x3D26, "ec", P}, {0x3D27, "Rc", P}, {0x3D28, "Gc", P},
    {0x3D29, "g", P}, {0x3D2A, "Me", P}, {0x3D2B, "Mp", P}, {0x3D2C, "Mn", P}, {0x3D2D, "μ0", P},
    {0x3D2E, "ε0", P}, {0x3D2F, "h", P},
    {0x3D30, "c", P}, {0x3D31, "u", P}, {0x3D32, "e", P}, {0x3D33, "xStat", P},
    {0x3D34, "yStat", P}, {0x3D35, "fStat", P}, {0x3D36, "TblStart", P}, {0x3D37, "ΔTbl", P},
    {0x3D38, "fldRes", P}, {0x3D39, "EStep", P}, {0x3D3A, "dTime", P}, {0x3D3B, "xRes", P},
    {0x3D3C, "zxRes", P}, {0x3D3D, "FldPic", P},

    {0x8E00, "PxOn", P}, {0x8E01, "PxOff", P}, {0x8E02, "PxChg", P}, {0x8E03, "Get", P},
    {0x8E04, "Send", P}, {0x8E05, "SinR", C}, {0x8E06, "LgstR", C}, {0x8E07, "TwoVar", C},
    {0x8E08, "GrStl", P}, {0x8E09, "DrEqu", P}, {0x8E0A, "LCust", P}, {0x8E0B, "Form", P},
    {0x8E0C, "Select", P}, {0x8E0D, "PlOn", C}, {0x8E0E, "PlOff", C}, {0x8E0F, "ClrEnt", P},
    {0x8E10, "StReg", P}, {0x8E11, "IAsk", P}, {0x8E12, "IAuto", P}, {0x8E13, "Text", P},
    {0x8E14, "Horiz", C}, {0x8E15, "DispT", P}, {0x8E16, "ClTbl", P}, {0x8E17, "DelVar", P},
    {0x8E18, "Box", P}, {0x8E19, "MBox", P}, {0x8E1A, "ClrLsts", P}, {0x8E1B, "FldOff", P},
    {0x8E1C, "DirFld", P}, {0x8E1D, "SlpFld", P}, {0x8E1E, "SetLEdit", C}, {0x8E1F, "Plot1", P},
    {0x8E20, "Plot2", P}, {0x8E21, "Plot3", P}, {0x8E22, "RK", P}, {0x8E23, "Euler", P},
    {0x8E24, "ZData", P}, {0x8E25, "Asm", P}, {0x8E26, "AsmComp", P}, {0x8E27, "AsmPrgm", P},
    {0x8E2A, "PxTest", P}, {0x8E2B, "randInt", P}, {0x8E2C, "randBin", P}, {0x8E2D, "randNorm", P},
    {0x8E2E, "median", F}, {0x8E2F, "cSum", F},
    {0x8E30, "cSum", F}, {0x8E31, "ΔLst", F},
    // clang-format on
};

// Names held by 32, 3B and 3C, as the calculator shows them.
std::vector<std::pair<std::uint16_t, std::string>> builtinGlyphNames() {
    std::vector<std::pair<std::uint16_t, std::string>> names;
    for (const char* n : {"x", "y", "t", "r", "θ", "exp"})
        names.emplace_back(0x32, n);
    for (int i = 1; i <= 9; ++i) {
        names.emplace_back(0x32, "Q" + std::to_string(i));
        names.emplace_back(0x32, "QI" + std::to_string(i));
        names.emplace_back(0x3B, "Q'" + std::to_string(i));
    }
    for (int i = 1; i <= 99; ++i)
        for (const char* prefix : {"y", "xt", "yt", "r"})
            names.emplace_back(0x3B, prefix + std::to_string(i));
    for (const char* n :
         {"Ans", "a",     "b",     "corr",  "maxX",  "maxY",   "Med", "minX", "minY",
          "n",   "PRegC", "Qrtl1", "Qrtl3", "RegEq", "Sx",     "Sy",  "σx",   "σy",
          "Σx",  "Σx²",   "Σxy",   "Σy",    "Σy²",   "tolMet", "x̄",   "ȳ"})
        names.emplace_back(0x3C, n);
    return names;
}

std::string fontOf(const char* glyphs) {
    std::string font;
    if (!ti86FontFromUtf8(glyphs, font))
        throw std::logic_error(std::string("TI-86 token name not in the font: ") + glyphs);
    return font;
}

std::string textOf(std::string_view font) {
    std::string text;
    for (const char c : font) {
        std::uint8_t t = 0;
        if (!ti86FontToText(static_cast<std::uint8_t>(c), t))
            throw std::logic_error("TI-86 token name without a text form");
        text.push_back(static_cast<char>(t));
    }
    return text;
}

struct Tables {
    std::vector<Ti86TokenInfo> tokens;
    std::array<std::int16_t, 256> oneByte{};
    std::array<std::int16_t, 256> prefix3D{};
    std::array<std::int16_t, 256> prefix8E{};
    std::vector<Ti86BuiltinName> builtins;

    Tables() {
        oneByte.fill(-1), prefix3D.fill(-1), prefix8E.fill(-1);
        for (const Row& row : kRows) {
            const auto index = static_cast<std::int16_t>(tokens.size());
            tokens.push_back(
                {row.code, row.glyphs, textOf(fontOf(row.glyphs)), row.spacing, row.data});
            const auto low = static_cast<std::uint8_t>(row.code & 0xFF);
            (row.code >> 8 == 0x3D   ? prefix3D
             : row.code >> 8 == 0x8E ? prefix8E
                                     : oneByte)[low] = index;
        }
        for (const auto& [code, glyphs] : builtinGlyphNames())
            builtins.push_back({code, fontOf(glyphs.c_str())});
    }
};

const Tables& tables() {
    static const Tables t;
    return t;
}

void warnAt(Diagnostics& diagnostics, std::uint64_t offset, std::string message) {
    Diagnostic d;
    d.severity = Diagnostic::Severity::Warning;
    d.offset = offset;
    d.hasOffset = true;
    d.message = std::move(message);
    diagnostics.push_back(std::move(d));
}

std::string hex(std::uint64_t value, int digits = 2) {
    char buffer[24];
    std::snprintf(buffer, sizeof buffer, "%0*llX", digits, static_cast<unsigned long long>(value));
    return buffer;
}

} // namespace

const Ti86TokenInfo* ti86TokenInfo(std::uint16_t code) {
    const Tables& t = tables();
    const auto low = static_cast<std::uint8_t>(code & 0xFF);
    const int high = code >> 8;
    const std::int16_t index = high == 0      ? t.oneByte[low]
                               : high == 0x3D ? t.prefix3D[low]
                               : high == 0x8E ? t.prefix8E[low]
                                              : -1;
    return index < 0 ? nullptr : &t.tokens[static_cast<std::size_t>(index)];
}

const std::vector<Ti86TokenInfo>& ti86Tokens() {
    return tables().tokens;
}

const std::vector<Ti86BuiltinName>& ti86BuiltinNames() {
    return tables().builtins;
}

std::vector<Ti86Token> decodeTi86Tokens(std::string_view body, std::uint64_t offset,
                                        Diagnostics& diagnostics) {
    std::vector<Ti86Token> tokens;
    const std::size_t n = body.size();
    const auto byte = [&body](std::size_t i) { return static_cast<std::uint8_t>(body[i]); };
    // Font bytes up to a 00 (not included); false when the body ends first.
    const auto untilNul = [&](std::size_t& at, std::string& out) {
        const std::size_t end = body.find('\0', at);
        out.assign(body.substr(at, end == std::string_view::npos ? n - at : end - at));
        at = end == std::string_view::npos ? n : end + 1;
        return end != std::string_view::npos;
    };
    std::size_t at = 0;
    while (at < n) {
        Ti86Token token;
        const std::size_t start = at;
        token.offset = offset + start;
        std::uint16_t code = byte(at++);
        if ((code == 0x3D || code == 0x8E) && at < n)
            code = static_cast<std::uint16_t>(code << 8 | byte(at++));
        const Ti86TokenInfo* info = ti86TokenInfo(code);
        token.code = code;
        if (info == nullptr) {
            token.known = false;
            token.data.assign(body.substr(start, at - start));
        } else {
            switch (info->data) {
            case Ti86Inline::None:
                break;
            case Ti86Inline::String:
            case Ti86Inline::Number:
            case Ti86Inline::Label:
                token.terminated = untilNul(at, token.data);
                break;
            case Ti86Inline::Goto:
                if (n - at < 2) {
                    at = n;
                    token.terminated = false;
                    break;
                }
                token.gotoCache = static_cast<std::uint16_t>(byte(at) << 8 | byte(at + 1));
                at += 2;
                token.terminated = untilNul(at, token.data);
                break;
            case Ti86Inline::LengthName: {
                const bool hasLength = at < n;
                const std::size_t length = hasLength ? byte(at++) : 0;
                token.data.assign(body.substr(at, std::min(length, n - at)));
                token.terminated = hasLength && length <= n - at;
                at += token.data.size();
                break;
            }
            case Ti86Inline::FixedName: {
                const std::size_t length = code - 0x32u;
                token.data.assign(body.substr(at, std::min(length, n - at)));
                token.terminated = length <= n - at;
                at += token.data.size();
                break;
            }
            case Ti86Inline::Conversion: {
                // Two names in the 33-3A form; anything else is no conversion
                // this reader knows, so the 3E stays a byte of its own.
                std::size_t probe = at;
                std::string units[2];
                bool whole = true;
                for (std::string& unit : units) {
                    if (probe >= n || byte(probe) < 0x33 || byte(probe) > 0x3A) {
                        whole = false;
                        break;
                    }
                    const std::size_t length = byte(probe++) - 0x32u;
                    if (length > n - probe) {
                        whole = false;
                        break;
                    }
                    unit.assign(body.substr(probe, length));
                    probe += length;
                }
                if (!whole) {
                    token.known = false;
                    token.data.assign(body.substr(start, at - start));
                    break;
                }
                token.data = std::move(units[0]);
                token.data2 = std::move(units[1]);
                at = probe;
                break;
            }
            }
            if (!token.terminated)
                warnAt(diagnostics, token.offset,
                       "token " + hex(code, code > 0xFF ? 4 : 2) +
                           " is cut off by the end of the program");
        }
        token.size = at - start;
        tokens.push_back(std::move(token));
    }
    return tokens;
}

std::size_t ti86EncodedSize(const Ti86Token& token) {
    if (!token.known)
        return token.data.size();
    const Ti86TokenInfo* info = ti86TokenInfo(token.code);
    const auto inline_ = info != nullptr ? info->data : Ti86Inline::None;
    if (inline_ == Ti86Inline::FixedName)
        return 1 + token.data.size();
    std::size_t size = token.code > 0xFF ? 2 : 1;
    const std::size_t nul = token.terminated ? 1 : 0;
    switch (inline_) {
    case Ti86Inline::None:
    case Ti86Inline::FixedName:
        break;
    case Ti86Inline::String:
    case Ti86Inline::Number:
    case Ti86Inline::Label:
        size += token.data.size() + nul;
        break;
    case Ti86Inline::Goto:
        size += 2 + token.data.size() + nul;
        break;
    case Ti86Inline::LengthName:
        size += 1 + token.data.size();
        break;
    case Ti86Inline::Conversion:
        size += 2 + token.data.size() + token.data2.size();
        break;
    }
    return size;
}

std::string encodeTi86Tokens(const std::vector<Ti86Token>& tokens) {
    std::string out;
    for (const Ti86Token& token : tokens) {
        if (!token.known) {
            out += token.data;
            continue;
        }
        const Ti86TokenInfo* info = ti86TokenInfo(token.code);
        const auto inline_ = info != nullptr ? info->data : Ti86Inline::None;
        if (inline_ == Ti86Inline::FixedName) {
            // The code carries the length, whatever the token said.
            out.push_back(static_cast<char>(0x32 + token.data.size()));
            out += token.data;
            continue;
        }
        if (token.code > 0xFF)
            out.push_back(static_cast<char>(token.code >> 8));
        out.push_back(static_cast<char>(token.code & 0xFF));
        switch (inline_) {
        case Ti86Inline::None:
        case Ti86Inline::FixedName:
            break;
        case Ti86Inline::String:
        case Ti86Inline::Number:
        case Ti86Inline::Label:
            out += token.data;
            if (token.terminated)
                out.push_back('\0');
            break;
        case Ti86Inline::Goto:
            out.push_back(static_cast<char>(token.gotoCache >> 8));
            out.push_back(static_cast<char>(token.gotoCache & 0xFF));
            out += token.data;
            if (token.terminated)
                out.push_back('\0');
            break;
        case Ti86Inline::LengthName:
            out.push_back(static_cast<char>(token.data.size()));
            out += token.data;
            break;
        case Ti86Inline::Conversion:
            out.push_back(static_cast<char>(0x32 + token.data.size()));
            out += token.data;
            out.push_back(static_cast<char>(0x32 + token.data2.size()));
            out += token.data2;
            break;
        }
    }
    return out;
}

} // namespace kalvo::calc
