// SPDX-License-Identifier: GPL-3.0-or-later
#include "../TextBoxContract.h"

#include "document/TextBuffer.h"

#include <stdexcept>

INSTANTIATE_TYPED_TEST_SUITE_P(TextBuffer, TextBoxContract, kalvo::TextBuffer);

TEST(TextBuffer, RefusesDocumentsBeyond32BitPositions) {
    EXPECT_THROW(kalvo::checkDocumentSize(std::size_t{1} << 31), std::length_error);
    EXPECT_NO_THROW(kalvo::checkDocumentSize((std::size_t{1} << 31) - 1));
    // A lower limit, as the window's tests set one, is checked the same way
    // and named in the error.
    EXPECT_NO_THROW(kalvo::checkDocumentSize(9, 9));
    try {
        kalvo::checkDocumentSize(10, 9);
        ADD_FAILURE() << "10 bytes passed a limit of 9";
    } catch (const kalvo::DocumentTooLarge& error) {
        EXPECT_EQ(error.limit(), 9);
        EXPECT_STREQ(error.what(), "document too large: Kalvo holds at most 9 bytes");
    }
}
