// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/Cp1252Qt.h"

#include <gtest/gtest.h>

using kalvo::decodeCp1252;
using kalvo::encodeCp1252;

TEST(Cp1252Qt, AllBytesSurviveAWidgetRoundTrip) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = decodeCp1252(all);
    EXPECT_EQ(text.size(), 256);
    EXPECT_EQ(text.at(0x80), QChar(0x20AC));
    EXPECT_EQ(encodeCp1252(text), all);
}

TEST(Cp1252Qt, RefusesTextWithAnyUnmappableCharacter) {
    EXPECT_EQ(encodeCp1252(u"se\u00F1or"), std::string("se\xF1or"));
    EXPECT_FALSE(encodeCp1252(u"a\u2192b"));
    EXPECT_FALSE(encodeCp1252(QString::fromUtf8("x\xF0\x9F\x98\x80"))); // outside the BMP
}
