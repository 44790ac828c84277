// SPDX-License-Identifier: GPL-3.0-or-later
#include "WidgetTestHelpers.h"

#include "common/KeepOnTop.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

// Changing a window's flags hides it and may re-create it elsewhere.
TEST(KeepOnTop, WindowsKeepTheirPlaceAndVisibility) {
    QWidget shown;
    shown.setGeometry(123, 77, 300, 120);
    shown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown));
    const QRect before = shown.geometry();
    kalvo::KeepOnTop(shown);
    EXPECT_TRUE(shown.isVisible());
    EXPECT_EQ(shown.geometry(), before);
    EXPECT_TRUE(shown.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));

    QWidget placed(nullptr, Qt::Tool);
    placed.setGeometry(130, 81, 403, 106);
    kalvo::KeepOnTop(placed);
    EXPECT_FALSE(placed.isVisible());
    placed.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&placed));
    EXPECT_EQ(placed.geometry(), QRect(130, 81, 403, 106));
    EXPECT_EQ(placed.windowType(), Qt::Tool);
}
