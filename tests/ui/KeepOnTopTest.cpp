#include "app/KeepOnTop.h"

#include <QTest>
#include <QWidget>
#include <QWindow>

#include <gtest/gtest.h>

using kalvo::KeepOnTop;

TEST(KeepOnTop, ShownWindowKeepsItsPlaceSizeAndVisibility) {
    QWidget window;
    window.setGeometry(123, 77, 300, 120);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect before = window.geometry();

    KeepOnTop(window);
    QCoreApplication::processEvents();

    EXPECT_TRUE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_TRUE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.geometry(), before);

    // A second call changes nothing.
    KeepOnTop(window);
    EXPECT_EQ(window.geometry(), before);
    EXPECT_TRUE(window.isVisible());
}

TEST(KeepOnTop, PlacedWindowAppearsWherePlacedAndHiddenStaysHidden) {
    QWidget window(nullptr, Qt::Tool);
    window.setGeometry(130, 81, 403, 106);
    KeepOnTop(window);
    EXPECT_FALSE(window.isVisible());

    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.geometry(), QRect(130, 81, 403, 106));
    EXPECT_TRUE(window.windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
    // The window type is kept.
    EXPECT_EQ(window.windowType(), Qt::Tool);
}
