// SPDX-License-Identifier: GPL-3.0-or-later
#include "windows/SplashWindow.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using kalvo::frmSplash;

TEST(frmSplash, LabelsInArialInsideTheFrame) {
    frmSplash splash;
    const std::tuple<QLabel*, const char*, qreal, bool> labels[] = {
        {splash.lblProductName, "Kalvo", 27.75, true},
        {splash.lblCompanyProduct, "by the Kalvo team", 18, true},
        {splash.lblVersion, "Version 1.0.0", 12, true},
        {splash.lblWarning,
         "Warning:  I am not responsible for anthing this program does to your calc or computer.",
         8.25, false}};
    for (const auto& [label, text, points, bold] : labels) {
        EXPECT_EQ(label->text(), QString::fromLatin1(text));
        EXPECT_EQ(label->font().family(), QStringLiteral("Arial")) << text;
        EXPECT_EQ(label->font().pointSizeF(), points) << text;
        EXPECT_EQ(label->font().bold(), bold) << text;
        // Read whole, inside the frame's border.
        EXPECT_TRUE(splash.Frame1->contentsRect().contains(label->geometry())) << text;
        EXPECT_LE(label->sizeHint().width(), label->width()) << text;
    }
}

TEST(frmSplash, HandsOverOnceAfterItsTimeAndRefusesAnyOtherClose) {
    EXPECT_EQ(frmSplash().Timer1->interval(), 5000);
    QPointer<frmSplash> splash = new frmSplash(30);
    splash->show();
    QSignalSpy handOver(splash.data(), &frmSplash::handOver);
    bool hiddenAtHandOver = false;
    QObject::connect(splash.data(), &frmSplash::handOver,
                     [&] { hiddenAtHandOver = splash && !splash->isVisible(); });
    EXPECT_FALSE(splash->close()); // the window manager's close (Alt+F4)
    EXPECT_TRUE(handOver.wait(2000));
    EXPECT_TRUE(hiddenAtHandOver);
    QTest::qWait(150); // several more intervals
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(handOver.count(), 1);
    EXPECT_TRUE(splash.isNull());
}

// The window draws the raised edge of a fixed dialog frame around its client
// area (492 x 283 pixels): light on the top and left, dark on the bottom and
// right, two pixels wide.
TEST(frmSplash, RaisedEdgeAroundTheClientArea) {
    frmSplash splash;
    EXPECT_EQ(splash.size(), QSize(492 + 4, 283 + 4));
    const QImage image = splash.grab().toImage();
    const QPalette& p = splash.palette();
    const int right = image.width() - 1, bottom = image.height() - 1;
    EXPECT_EQ(image.pixel(100, 0), p.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(0, 100), p.color(QPalette::Light).rgb());
    EXPECT_EQ(image.pixel(100, bottom), p.color(QPalette::Shadow).rgb());
    EXPECT_EQ(image.pixel(right, 100), p.color(QPalette::Shadow).rgb());
    EXPECT_EQ(image.pixel(100, bottom - 1), p.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(right - 1, 100), p.color(QPalette::Dark).rgb());
    EXPECT_EQ(image.pixel(100, 2), p.color(QPalette::Window).rgb()); // the client area
}
