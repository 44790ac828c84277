// SPDX-License-Identifier: GPL-3.0-or-later
#include "conversion/TokenTable.h"

#include <array>

namespace kalvo {
namespace {

// Order matters: a row works on the text the rows before it have left, so
// "cos" (14) turns "cosh" into "cos(h" before row 16 looks for it, and so on.
// "\xF1" is the superscript -1 of the inverse functions, "\xE5" the
// conversion arrow. Each escape is closed off by a literal break so that a
// following hex digit ("Dec") is not swallowed into it.
// clang-format off
constexpr std::array<TokenRow, kTokenRowCount> kRows = {{
    {"DelVar(", "DelVar "},                  // 1
    {"ClLCD", "ClrHome"},                    // 2
    {"GrStl(", "GraphStyle("},               // 3
    {"DispG", "Disp"},                       // 4
    {"DispT", "Disp"},                       // 5
    {"Outpt", "Output"},                     // 6
    {"getKy", "getKey"},                     // 7
    {"arc(", "Archive"},                     // 8
    {"aug", "augment("},                     // 9
    {"Circl(", "Circle("},                   // 10
    {"ClDrw", "ClrDraw"},                    // 11
    {"ClrEnt", "Clear Entries"},             // 12
    {"ClTbl", "ClrTable"},                   // 13
    {"cos", "cos("},                         // 14
    {"cos\xF1", "cos\xF1" "("},              // 15
    {"cosh", "cosh("},                       // 16
    {"cosh\xF1", "cosh\xF1" "("},            // 17
    {"cSum", "cumSum("},                     // 18
    {"Dec", "\xE5" "Dec"},                   // 19
    {"DelVar(", "DelVar"},                   // 20
    {"det", "det("},                         // 21
    {"dim", "dim("},                         // 22
    {"dot(", "Dot"},                         // 23
    {"Eq\xE5" "St(", "Equ\xE5" "String("},   // 24
    {"ExpR", "expr("},                       // 25
    {"fPart", "fPart("},                     // 26
    {"Hist", "Histogram"},                   // 27
    {"ident", "identify("},                  // 28
    {"imag", "imag("},                       // 29
    {"InpSt", "Input"},                      // 30
    {"int", "int("},                         // 31
    {"iPart", "iPart("},                     // 32
    {"ln", "ln("},                           // 33
    {"lngth", "length("},                    // 34
    {"log", "log("},                         // 35
    {"nDer(", "nDeriy("},                    // 36
    {"not", "not("},                         // 37
    {"PlOff", "PlotsOff"},                   // 38
    {"PlOn", "PlotsOn"},                     // 39
    {"prod", "prod("},                       // 40
    {"PtChg(", "Pt-Change("},                // 41
    {"PtOff(", "Pt-Off("},                   // 42
    {"PtOn(", "Pt-On("},                     // 43
    {"PwrR", "PwrReg"},                      // 44
    {"PxChg(", "Pxl-Change("},               // 45
    {"PxOff(", "Pxl-Off("},                  // 46
    {"PxOn(", "Pxl-On("},                    // 47
    {"PxOff(", "Pxl-Off("},                  // 48
    {"PxTest(", "pxl-Text("},                // 49
    {"RcPic", "RecallPic"},                  // 50
    {"real", "Real"},                        // 51
    {"ref", "ref("},                         // 52
    {"RcPic", "RecallPic"},                  // 53
    {"rSwap(", "rowSwap("},                  // 54
    {"rref", "rref("},                       // 55
    {"SeqG", "Seq"},                         // 56
    {"sin", "sin("},                         // 57
    {"sin\xF1", "sin\xF1" "("},              // 58
    {"sinh\xF1", "sinh\xF1" "("},            // 59
    {"sinh", "sinh("},                       // 60
    {"SinR", "SinReg"},                      // 61
    {"SortA", "SortA("},                     // 62
    {"StGDB", "StoreGDB"},                   // 63
    {"StPic", "StorePic"},                   // 64
    {"St\xE5" "Eq(", "String\xE5" "Equ("},   // 65
    {"sum", "sum("},                         // 66
    {"tan", "tan("},                         // 67
    {"tan\xF1", "tan\xF1" "("},              // 68
    {"tanh", "tanh("},                       // 69
    {"tanh\xF1", "tanh\xF1" "("},            // 70
    {"Vert", "Vertical"},                    // 71
    {"xyline", "xyLine"},                    // 72
    {"ZDecm", "ZDecimal"},                   // 73
    {"ZFit", "ZoomFit"},                     // 74
    {"ZIn", "Zoom In"},                      // 75
    {"ZOut", "Zoom Out"},                    // 76
    {"ZRcl", "ZoomRcl"},                     // 77
    {"ZPrev", "ZPrevious"},                  // 78
    {"ZSqr", "ZSquare"},                     // 79
    {"ZStd", "ZStandard"},                   // 80
    {"==", "="},                             // 81
}};
// clang-format on

} // namespace

std::optional<TokenRow> tokenRow(int number) {
    if (number < 1 || number > kTokenRowCount)
        return std::nullopt;
    return kRows[static_cast<std::size_t>(number - 1)];
}

} // namespace kalvo
