#include "imaging/TwexImage.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QTest>

#include <vector>

namespace {

// A widget that counts the clicks it receives.
class ClickCounter : public QWidget {
public:
    using QWidget::QWidget;
    int clicks = 0;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        ++clicks;
        event->accept();
    }
};

void SendEnter(QWidget& widget) {
    QEnterEvent enter(QPointF(3, 4), QPointF(3, 4), QPointF(3, 4));
    QCoreApplication::sendEvent(&widget, &enter);
}

void SendLeave(QWidget& widget) {
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&widget, &leave);
}

class TwexImageTest : public testing::Test {
protected:
    TwexImage image;
    std::vector<std::string> events;

    TwexImageTest() {
        image.OnMouseEnter = [this](TwexImage& sender) {
            EXPECT_EQ(&sender, &image);
            events.push_back("enter");
        };
        image.OnMouseLeave = [this](TwexImage& sender) {
            EXPECT_EQ(&sender, &image);
            events.push_back("leave");
        };
    }
};

TEST_F(TwexImageTest, EnterAndLeaveFireOnceEachWithTheControlAsSender) {
    SendEnter(image);
    SendLeave(image);
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "leave"}));
}

TEST_F(TwexImageTest, IgnoredMouseFiresNothing) {
    EXPECT_FALSE(image.IgnoreMouse());
    image.SetIgnoreMouse(true);
    EXPECT_TRUE(image.testAttribute(Qt::WA_TransparentForMouseEvents));
    int moves = 0;
    image.OnMouseMove = [&](TwexImage&, Qt::KeyboardModifiers, int, int) { ++moves; };
    SendEnter(image);
    SendLeave(image);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(&image, &move);
    EXPECT_TRUE(events.empty());
    EXPECT_EQ(moves, 0);
    image.SetIgnoreMouse(false);
    EXPECT_FALSE(image.testAttribute(Qt::WA_TransparentForMouseEvents));
}

TEST(TwexImage, ClickGoesToTheWidgetBeneathOnlyWhenMouseIsIgnored) {
    QWidget window;
    window.resize(100, 100);
    auto* beneath = new ClickCounter(&window);
    beneath->setGeometry(0, 0, 100, 100);
    auto* image = new TwexImage(&window);
    image->setGeometry(10, 10, 50, 50);
    image->raise();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    EXPECT_EQ(window.childAt(20, 20), image);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(beneath->clicks, 0);

    image->SetIgnoreMouse(true);
    EXPECT_EQ(window.childAt(20, 20), beneath);
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, Qt::NoModifier, QPoint(20, 20));
    EXPECT_EQ(beneath->clicks, 1);
}

TEST(TwexImage, MouseMoveReportsPositionAndModifiers) {
    TwexImage image;
    EXPECT_TRUE(image.hasMouseTracking());
    std::vector<std::tuple<int, int, Qt::KeyboardModifiers>> moves;
    image.OnMouseMove = [&](TwexImage& sender, Qt::KeyboardModifiers modifiers, int x, int y) {
        EXPECT_EQ(&sender, &image);
        moves.emplace_back(x, y, modifiers);
    };
    QMouseEvent move(QEvent::MouseMove, QPointF(17, 42), QPointF(117, 142), Qt::NoButton,
                     Qt::NoButton, Qt::ShiftModifier);
    QCoreApplication::sendEvent(&image, &move);
    ASSERT_EQ(moves.size(), 1u);
    EXPECT_EQ(moves[0], std::make_tuple(17, 42, Qt::KeyboardModifiers(Qt::ShiftModifier)));
}

TEST(TwexImage, AutoSizeFollowsThePicture) {
    TwexImage image;
    image.resize(5, 5);
    image.SetAutoSize(true);
    EXPECT_EQ(image.size(), QSize(0, 0));
    image.Bitmap().SetSize(30, 20);
    EXPECT_EQ(image.size(), QSize(30, 20));
    EXPECT_EQ(image.sizeHint(), QSize(30, 20));
    image.Picture().SetGraphic(std::make_unique<TBitmap>());
    EXPECT_EQ(image.size(), QSize(0, 0));
    // The new graphic is watched too.
    image.Bitmap().SetSize(7, 8);
    EXPECT_EQ(image.size(), QSize(7, 8));
}

TEST(TwexImage, PaintsThePictureAtTheTopLeft) {
    for (const bool flickerFree : {false, true}) {
        TwexImage image;
        image.SetFlickerFree(flickerFree);
        EXPECT_EQ(image.testAttribute(Qt::WA_OpaquePaintEvent), flickerFree);
        image.resize(6, 4);
        TBitmap& bitmap = image.Bitmap();
        bitmap.SetPixelFormat(TPixelFormat::pf24bit);
        bitmap.SetSize(3, 2);
        bitmap.FillRect({0, 0, 3, 2}, 0x00FF00);
        bitmap.SetPixel(2, 1, 0xFF0000);
        const QImage shown = image.grab().toImage();
        EXPECT_EQ(shown.pixel(0, 0) & 0xFFFFFF, 0x00FF00u);
        EXPECT_EQ(shown.pixel(2, 1) & 0xFFFFFF, 0xFF0000u);
        EXPECT_EQ(shown.pixel(5, 3), image.palette().window().color().rgb()) << flickerFree;
    }
}

} // namespace
