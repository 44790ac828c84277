// SPDX-License-Identifier: GPL-3.0-or-later
#include "calcfiles/program/Arguments.h"

#include "calcfiles/diagnostics/Catalogue.h"

namespace kalvo::calc {

namespace {

bool is(const Ti86Token& t, std::uint16_t code) {
    return t.known && t.code == code;
}

} // namespace

bool endsTi86Statement(const Ti86Token& t) {
    return is(t, ti86::Colon) || is(t, ti86::Newline);
}

std::vector<TokenRange> callArguments(const Ti86Syntax& syntax, std::size_t head) {
    std::vector<TokenRange> out;
    const std::uint32_t call = syntax.callAt(head);
    if (call == kNoNode)
        return out;
    for (std::uint32_t a = syntax.node(call).child; a != kNoNode; a = syntax.node(a).next)
        out.push_back({syntax.node(a).first, syntax.node(a).last});
    return out;
}

long ti86WholeNumber(const Ti86Token& t) {
    if (!is(t, ti86::Number) || t.data.empty() || t.data.size() > 6)
        return -1;
    long value = 0;
    for (const char c : t.data) {
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::vector<OffScreen> offScreenCoordinates(const Ti86Syntax& syntax, std::size_t command,
                                            const ScreenSize& screen) {
    const std::vector<Ti86Token>& tokens = syntax.tokens();
    std::vector<OffScreen> out;
    const Ti86TokenInfo* info =
        tokens[command].known ? ti86TokenInfo(tokens[command].code) : nullptr;
    if (info == nullptr || !info->has(ti86flag::HomeCoordinates | ti86flag::GraphCoordinates) ||
        command + 1 >= tokens.size() || !is(tokens[command + 1], ti86::LParen))
        return out;
    const bool home = info->has(ti86flag::HomeCoordinates);
    const std::vector<TokenRange> args = callArguments(syntax, command);
    for (std::size_t k = 0; k < 2 && k < args.size(); ++k) {
        if (!args[k].single())
            continue;
        const long value = ti86WholeNumber(tokens[args[k].first]);
        if (value < 0)
            continue;
        OffScreen off;
        off.token = args[k].first;
        off.value = value;
        off.row = k == 0;
        off.home = home;
        off.low = home ? 1 : 0;
        off.high = home ? (off.row ? screen.homeRows : screen.homeColumns)
                        : (off.row ? screen.graphRows : screen.graphColumns);
        off.screen = screen.name;
        if (value < off.low || value > off.high)
            out.push_back(off);
    }
    return out;
}

std::string offScreenWhat(const OffScreen& off) {
    return std::string(off.home ? "" : "pixel ") + (off.row ? "row " : "column ") +
           std::to_string(off.value);
}

std::string offScreenRange(const OffScreen& off) {
    return std::string(off.row ? "rows " : "columns ") + std::to_string(off.low) + "-" +
           std::to_string(off.high);
}

std::string offScreenMessage(const OffScreen& off) {
    return formatDiagnostic(
        DiagnosticId::OffScreen,
        {offScreenWhat(off), off.home ? "home" : "graph", offScreenRange(off), off.screen});
}

} // namespace kalvo::calc
