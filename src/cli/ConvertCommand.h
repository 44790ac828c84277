// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>
#include <vector>

namespace kalvo::cli {

// kalvo-convert with these arguments (without the program's name): reads,
// converts, writes, says on stderr what went wrong, and returns the exit
// status. Throws only what it cannot handle (out of memory).
int convertCommand(const std::vector<std::string_view>& args);

} // namespace kalvo::cli
