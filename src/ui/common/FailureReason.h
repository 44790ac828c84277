// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>

namespace kalvo {

// Why a command could not be done, as the end of a sentence ("the result
// would be larger than 2147483647 bytes", "there is not enough memory").
QString failureReason(const std::exception_ptr& error);

} // namespace kalvo
