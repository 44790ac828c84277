#include "../TextBoxContract.h"

#include "editor/TextBuffer.h"

INSTANTIATE_TYPED_TEST_SUITE_P(TextBuffer, TextBoxContract, kalvo::TextBuffer);
