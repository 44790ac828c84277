// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/diagnostics/Catalogue.h"

#include <string>
#include <string_view>
#include <vector>

namespace kalvo::calc {

// Whether a finding was made from its catalogue entry: it has a kind, its
// kind's severity, and its message is the kind's format with something in
// each {n}. A message written as a free string fails this.
inline bool fromCatalogue(const Diagnostic& d) {
    if (d.id == DiagnosticId::None)
        return false;
    const DiagnosticKind& kind = diagnosticKind(d.id);
    if (kind.severity != d.severity)
        return false;
    // The format's text between its places, each found in turn; the first
    // starts the message and the last ends it.
    std::vector<std::string_view> pieces;
    const std::string_view format = kind.format;
    std::size_t from = 0;
    for (std::size_t i = 0; i + 2 < format.size(); ++i)
        if (format[i] == '{' && format[i + 1] >= '0' && format[i + 1] <= '9' &&
            format[i + 2] == '}') {
            pieces.push_back(format.substr(from, i - from));
            from = i + 3;
            i += 2;
        }
    pieces.push_back(format.substr(from));
    const std::string_view message = d.message;
    if (pieces.size() == 1)
        return message == pieces.front();
    if (message.substr(0, pieces.front().size()) != pieces.front() ||
        message.size() < pieces.front().size() + pieces.back().size() ||
        message.substr(message.size() - pieces.back().size()) != pieces.back())
        return false;
    std::size_t at = pieces.front().size();
    const std::size_t end = message.size() - pieces.back().size();
    for (std::size_t k = 1; k + 1 < pieces.size(); ++k) {
        const std::size_t hit = message.substr(0, end).find(pieces[k], at);
        if (hit == std::string_view::npos)
            return false;
        at = hit + pieces[k].size();
    }
    return true;
}

} // namespace kalvo::calc
