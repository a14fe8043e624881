// The indicator lamp: its images, drawing, the disabled look and the rules
// of a lamp bound to a port.

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "SerialTestSupport.h"
#include "SimulatedSerialDriver.h"
#include "devices/serial/ComLed.h"

namespace dravel::devices {
namespace {

using testing::application;
using testing::serveUntil;
using testing::SimulatedSerialDriver;

constexpr TLedKind kImageKinds[] = {TLedKind::lkRedLight,    TLedKind::lkGreenLight,
                                    TLedKind::lkBlueLight,   TLedKind::lkYellowLight,
                                    TLedKind::lkPurpleLight, TLedKind::lkBulb};

QImage resourceImage(TLedKind kind, TLedState state) {
    return QImage(QLatin1Char(':') + ledImageName(kind, state))
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage shown(const TComLed& led) {
    return led.currentImage().toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Same size and pixels (the files' colour space is no concern here).
::testing::AssertionResult samePixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                return ::testing::AssertionFailure() << "pixel " << x << "," << y << " differs";
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// What the lamp paints, on a transparent canvas of its size.
QImage painted(TComLed& led) {
    QImage canvas(led.size(), QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    led.render(&canvas, QPoint(), QRegion(), QWidget::RenderFlags());
    return canvas;
}

class ComLedTest : public ::testing::Test {
protected:
    void SetUp() override { application(); }
};

TEST_F(ComLedTest, StartsAsAnOffRedLampOfTwentyFivePixels) {
    TComLed led;
    EXPECT_EQ(led.size(), QSize(25, 25));
    EXPECT_EQ(led.Kind(), TLedKind::lkRedLight);
    EXPECT_EQ(led.State(), TLedState::lsOff);
    EXPECT_EQ(led.ComPort(), nullptr);
    EXPECT_EQ(led.LedSignal(), TComLedSignal::lsConn);
    EXPECT_TRUE(led.isEnabled());
    EXPECT_TRUE(samePixels(shown(led), resourceImage(TLedKind::lkRedLight, TLedState::lsOff)));
}

TEST_F(ComLedTest, TwelveTransparentImagesUnderTheirNames) {
    TComLed led;  // registers the images
    QStringList names;
    for (TLedKind kind : kImageKinds) {
        const QImage off = resourceImage(kind, TLedState::lsOff);
        const QImage on = resourceImage(kind, TLedState::lsOn);
        for (const QImage& image : {off, on}) {
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), QSize(15, 15));
            EXPECT_TRUE(image.hasAlphaChannel());
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(image.pixel(14, 14)), 0);
            EXPECT_EQ(qAlpha(image.pixel(7, 6)), 255);
        }
        EXPECT_FALSE(samePixels(off, on));
        names << ledImageName(kind, TLedState::lsOff) << ledImageName(kind, TLedState::lsOn);
    }
    EXPECT_EQ(names, (QStringList{"LEDREDOFF", "LEDREDON", "LEDGREENOFF", "LEDGREENON",
                                  "LEDBLUEOFF", "LEDBLUEON", "LEDYELLOWOFF", "LEDYELLOWON",
                                  "LEDPURPLEOFF", "LEDPURPLEON", "LEDBULBOFF", "LEDBULBON"}));
    EXPECT_TRUE(ledImageName(TLedKind::lkCustom, TLedState::lsOn).isEmpty());
}

TEST_F(ComLedTest, KindAndStateChooseTheImage) {
    TComLed led;
    for (TLedKind kind : kImageKinds) {
        led.SetKind(kind);
        for (TLedState state : {TLedState::lsOn, TLedState::lsOff}) {
            led.SetState(state);
            EXPECT_TRUE(samePixels(shown(led), resourceImage(kind, state)));
        }
    }
}

TEST_F(ComLedTest, DrawsTheImageCentredAndLeavesTheRestTransparent) {
    TComLed led;
    led.SetKind(TLedKind::lkGreenLight);
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(led.imageOffset(), QPoint(5, 5));
    const QImage canvas = painted(led);
    EXPECT_TRUE(samePixels(canvas.copy(5, 5, 15, 15),
                           resourceImage(TLedKind::lkGreenLight, TLedState::lsOn)));
    for (QPoint p : {QPoint(0, 0), QPoint(4, 12), QPoint(20, 12), QPoint(12, 24), QPoint(24, 24)}) {
        EXPECT_EQ(qAlpha(canvas.pixel(p)), 0) << p.x() << "," << p.y();
    }

    led.resize(40, 30);
    EXPECT_EQ(led.imageOffset(), QPoint(12, 7));
    led.resize(10, 8);
    EXPECT_EQ(led.imageOffset(), QPoint(0, 0));
}

TEST_F(ComLedTest, DisabledLampShowsItsOffImage) {
    TComLed led;
    led.SetKind(TLedKind::lkYellowLight);
    led.SetState(TLedState::lsOn);
    led.setEnabled(false);
    EXPECT_EQ(led.State(), TLedState::lsOn);
    EXPECT_TRUE(samePixels(shown(led), resourceImage(TLedKind::lkYellowLight, TLedState::lsOff)));
    EXPECT_TRUE(samePixels(painted(led).copy(5, 5, 15, 15),
                           resourceImage(TLedKind::lkYellowLight, TLedState::lsOff)));
    led.setEnabled(true);
    EXPECT_TRUE(samePixels(shown(led), resourceImage(TLedKind::lkYellowLight, TLedState::lsOn)));
}

TEST_F(ComLedTest, CustomKindShowsItsOwnGlyphs) {
    QPixmap off(9, 9), on(9, 9);
    off.fill(Qt::black);
    on.fill(Qt::white);
    TComLed led;
    led.SetGlyphOff(off);
    led.SetGlyphOn(on);
    led.SetKind(TLedKind::lkCustom);
    EXPECT_TRUE(
        samePixels(shown(led), off.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    led.SetState(TLedState::lsOn);
    EXPECT_TRUE(
        samePixels(shown(led), on.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    EXPECT_EQ(led.imageOffset(), QPoint(8, 8));
}

TEST_F(ComLedTest, SettingTheStateCallsOnChange) {
    TComLed led;
    std::vector<TLedState> changes;
    led.OnChange = [&](TComLed& sender) { changes.push_back(sender.State()); };
    led.SetState(TLedState::lsOn);
    led.SetState(TLedState::lsOff);
    EXPECT_EQ(changes, (std::vector<TLedState>{TLedState::lsOn, TLedState::lsOff}));
}

class BoundLedTest : public ComLedTest {
protected:
    std::shared_ptr<SimulatedSerialDriver> sim = std::make_shared<SimulatedSerialDriver>();
};

TEST_F(BoundLedTest, BoundLampRefusesStateChanges) {
    TComPort port(sim);
    TComLed led;
    led.SetState(TLedState::lsOn);
    led.SetComPort(&port);  // follows the closed port's connection: off
    ASSERT_EQ(led.State(), TLedState::lsOff);
    int changes = 0;
    led.OnChange = [&](TComLed&) { ++changes; };
    try {
        led.SetState(TLedState::lsOn);
        FAIL() << "no error";
    } catch (const EComPort& e) {
        EXPECT_EQ(e.code(), ComErrorCode::LedStateLocked);
        EXPECT_STREQ(e.what(), "Cannot change led state if ComPort is selected");
    }
    EXPECT_EQ(led.State(), TLedState::lsOff);
    EXPECT_EQ(changes, 0);

    led.SetComPort(nullptr);
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(led.State(), TLedState::lsOn);
}

TEST_F(BoundLedTest, BoundLampFollowsItsLine) {
    TComPort port(sim);
    TComLed connection, cts;
    connection.SetComPort(&port);
    cts.SetLedSignal(TComLedSignal::lsCTS);
    cts.SetComPort(&port);

    port.OpenPort();
    EXPECT_EQ(connection.State(), TLedState::lsOn);
    EXPECT_EQ(cts.State(), TLedState::lsOff);

    sim->setModemLines(kModemCts);
    ASSERT_TRUE(sim->fire(kEvCts));
    ASSERT_TRUE(serveUntil([&] { return cts.State() == TLedState::lsOn; }));

    port.ClosePort();
    EXPECT_EQ(connection.State(), TLedState::lsOff);
    EXPECT_EQ(cts.State(), TLedState::lsOff);
}

TEST_F(BoundLedTest, LampAndPortMayGoInEitherOrder) {
    auto port = std::make_unique<TComPort>(sim);
    auto led = std::make_unique<TComLed>();
    led->SetComPort(port.get());
    port.reset();
    EXPECT_EQ(led->ComPort(), nullptr);
    EXPECT_NO_THROW(led->SetState(TLedState::lsOn));

    TComPort second(sim);
    led->SetComPort(&second);
    led.reset();
    second.OpenPort();  // reports to no lamp any more
    second.ClosePort();
    EXPECT_FALSE(second.Connected());
}

}  // namespace
}  // namespace dravel::devices
