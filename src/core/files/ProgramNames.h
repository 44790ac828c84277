// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "calcfiles/ti83p/Ti83pFile.h"
#include "calcfiles/ti86/Ti86File.h"

#include <string_view>

// What a program is called on the TI-83 Plus when it comes from a TI-86
// program or from a file name: the same rules for the window's Save and for
// kalvo-convert.
namespace kalvo {

// A TI-86 program's name made into a TI-83 Plus one: capitals, characters
// the TI-83 Plus does not allow dropped, with a note when it changed and an
// error when nothing is left. The messages name both in UTF-8.
calc::Ti83pProgramName ti83pNameForTi86(const calc::Ti86Entry& program);

// The same for a file name: the part after the last "/" and before the last
// extension ("games/Pong.8xp" gives PONG). θ typed in a UTF-8 name is the
// calculator's θ.
calc::Ti83pProgramName ti83pNameForPath(std::string_view path);

} // namespace kalvo
