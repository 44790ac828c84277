#include "../TextBoxContract.h"

#include "editor/TextBuffer.h"

#include <stdexcept>

INSTANTIATE_TYPED_TEST_SUITE_P(TextBuffer, TextBoxContract, kalvo::TextBuffer);

TEST(TextBuffer, RefusesDocumentsBeyond32BitPositions) {
    EXPECT_THROW(kalvo::checkDocumentSize(std::size_t{1} << 31), std::length_error);
    EXPECT_NO_THROW(kalvo::checkDocumentSize((std::size_t{1} << 31) - 1));
}
