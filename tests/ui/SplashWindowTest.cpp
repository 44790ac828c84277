#include "app/SplashWindow.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using kalvo::frmSplash;

namespace {

void processDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QRect px(int left, int top, int width, int height) {
    return {left / 15, top / 15, width / 15, height / 15};
}

} // namespace

TEST(frmSplash, TimerIsOneShotFiveSecondsFromCreation) {
    EXPECT_EQ(frmSplash::kTimerIntervalMs, 5000);
    auto* splash = new frmSplash;
    EXPECT_EQ(splash->Timer1()->interval(), 5000);
    EXPECT_TRUE(splash->Timer1()->isSingleShot());
    EXPECT_EQ(splash->Timer1()->timerType(), Qt::PreciseTimer);
    EXPECT_TRUE(splash->Timer1()->isActive());
    EXPECT_GT(splash->Timer1()->remainingTime(), 4000);
    delete splash;
}

TEST(frmSplash, FramelessAtItsStoredPlace) {
    frmSplash splash;
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen);
    EXPECT_TRUE(splash.windowTitle().isEmpty());
    EXPECT_TRUE(splash.testAttribute(Qt::WA_DeleteOnClose));
    EXPECT_FALSE(splash.testAttribute(Qt::WA_QuitOnClose));
    EXPECT_EQ(splash.size(), QSize(492, 283));
    EXPECT_EQ(splash.pos(), QPoint(175, 196));
    EXPECT_EQ(splash.Frame1()->geometry(), px(150, 60, 7080, 4050));
    EXPECT_EQ(splash.Frame1()->frameShape(), QFrame::Box);
    EXPECT_EQ(splash.imgLogo()->geometry(), px(240, 1200, 3255, 2145));
    EXPECT_EQ(splash.lblWarning()->geometry(), px(150, 3660, 6855, 195));
}

TEST(frmSplash, LabelsShowTheirTextsInArial) {
    frmSplash splash;
    struct Expected {
        QLabel* label;
        const char* text;
        qreal points;
        bool bold;
        QPoint topLeft;
    };
    const Expected labels[] = {
        {splash.lblProductName(), "Kalvo", 27.75, true, {8, 24}},
        {splash.lblCompanyProduct(), "by the Kalvo team", 18, true, {248, 104}},
        {splash.lblVersion(), "Version 1.0.0", 12, true, {312, 184}},
        {splash.lblWarning(),
         "Warning:  I am not responsible for anthing this program does to your calc or computer.",
         8.25,
         false,
         {10, 244}},
    };
    for (const Expected& e : labels) {
        SCOPED_TRACE(e.text);
        EXPECT_EQ(e.label->parentWidget(), splash.Frame1());
        EXPECT_EQ(e.label->text(), QString::fromLatin1(e.text));
        EXPECT_EQ(e.label->font().family(), QStringLiteral("Arial"));
        EXPECT_DOUBLE_EQ(e.label->font().pointSizeF(), e.points);
        EXPECT_EQ(e.label->font().bold(), e.bold);
        EXPECT_EQ(e.label->pos(), e.topLeft);
        EXPECT_EQ(e.label->focusPolicy(), Qt::NoFocus);
    }
    EXPECT_TRUE(splash.lblVersion()->alignment() & Qt::AlignRight);
    // The self-sizing labels fit their captions.
    for (QLabel* label : {splash.lblProductName(), splash.lblCompanyProduct(), splash.lblVersion()})
        EXPECT_EQ(label->size(), label->sizeHint()) << label->objectName().toStdString();
    // Every label, and its whole text, lies inside the frame's border.
    const QRect inside = splash.Frame1()->contentsRect();
    for (QLabel* label : {splash.lblProductName(), splash.lblCompanyProduct(), splash.lblVersion(),
                          splash.lblWarning()}) {
        EXPECT_TRUE(inside.contains(label->geometry())) << label->objectName().toStdString();
        EXPECT_LE(label->sizeHint().width(), label->width()) << label->objectName().toStdString();
    }
}

TEST(frmSplash, PictureIs307By167StretchedIntoTheBox) {
    frmSplash splash;
    const QPixmap logo = splash.imgLogo()->pixmap();
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(307, 167));
    EXPECT_FALSE(logo.hasAlphaChannel());
    EXPECT_TRUE(splash.imgLogo()->hasScaledContents());
    EXPECT_EQ(splash.imgLogo()->size(), QSize(217, 143));
}

TEST(frmSplash, HandsOverExactlyOnceAndIsGone) {
    QPointer<frmSplash> splash = new frmSplash(30);
    splash->show();
    QSignalSpy handOver(splash.data(), &frmSplash::handOver);
    bool hiddenAtHandOver = false;
    QObject::connect(splash.data(), &frmSplash::handOver,
                     [&] { hiddenAtHandOver = splash && !splash->isVisible(); });
    EXPECT_TRUE(handOver.wait(2000));
    EXPECT_TRUE(hiddenAtHandOver);
    QTest::qWait(150); // long enough for several more intervals
    processDeletes();
    EXPECT_EQ(handOver.count(), 1);
    EXPECT_TRUE(splash.isNull());
}

TEST(frmSplash, ClicksAndKeysDoNothing) {
    QPointer<frmSplash> splash = new frmSplash;
    splash->show();
    QSignalSpy handOver(splash.data(), &frmSplash::handOver);
    QTest::mouseClick(splash.data(), Qt::LeftButton);
    QTest::mouseDClick(splash->imgLogo(), Qt::LeftButton);
    QTest::mouseClick(splash->lblProductName(), Qt::RightButton);
    for (Qt::Key key : {Qt::Key_Escape, Qt::Key_Return, Qt::Key_Space, Qt::Key_A})
        QTest::keyClick(splash.data(), key);
    QTest::keyClick(splash.data(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_FALSE(splash->close()); // the window manager's close (Alt+F4) is refused
    QCoreApplication::processEvents();
    processDeletes();
    ASSERT_FALSE(splash.isNull());
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->Timer1()->isActive());
    EXPECT_EQ(handOver.count(), 0);
    delete splash.data();
}
