// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace kalvo {

// A modal message box with only an OK button, no icon and the application's
// title. Returns when the user has closed it. The text is Windows-1252.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showMessage(std::string_view text) = 0;
};

} // namespace kalvo
