// The indicator lamp: its images, drawing, the disabled look and the rules
// of a lamp bound to a port.

#include <gtest/gtest.h>

#include <QImage>

#include "devices/serial/SerialTestSupport.h"
#include "devices/serial/SimulatedSerialDriver.h"
#include "ui/ComLed.h"

namespace dravel::ui {
namespace {

using devices::ComErrorCode;
using devices::kEvCts;
using devices::kModemCts;
using devices::TComLedSignal;
using devices::TComPort;
using devices::testing::comErrorOf;
using devices::testing::serveUntil;
using devices::testing::SimulatedSerialDriver;

QImage argb(const QImage& image) {
    return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage resourceImage(TLedKind kind, TLedState state) {
    return argb(QImage(QLatin1Char(':') + ledImageName(kind, state)));
}

QImage shown(const TComLed& led) {
    return argb(led.currentImage().toImage());
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
    void SetUp() override { devices::testing::application(); }
    std::shared_ptr<SimulatedSerialDriver> sim = std::make_shared<SimulatedSerialDriver>();
};

TEST_F(ComLedTest, KindAndStateChooseTheImage) {
    TComLed led;
    EXPECT_TRUE(samePixels(shown(led), resourceImage(TLedKind::lkRedLight, TLedState::lsOff)));
    for (TLedKind kind : {TLedKind::lkRedLight, TLedKind::lkGreenLight, TLedKind::lkBlueLight,
                          TLedKind::lkYellowLight, TLedKind::lkPurpleLight, TLedKind::lkBulb}) {
        led.SetKind(kind);
        for (TLedState state : {TLedState::lsOn, TLedState::lsOff}) {
            const QImage image = resourceImage(kind, state);
            ASSERT_EQ(image.size(), QSize(15, 15));
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);  // transparent around the lamp
            led.SetState(state);
            EXPECT_TRUE(samePixels(shown(led), image));
        }
        EXPECT_FALSE(samePixels(resourceImage(kind, TLedState::lsOff),
                                resourceImage(kind, TLedState::lsOn)));
    }

    // lkCustom shows glyphs of its own, centred like the others.
    QPixmap off(9, 9), on(9, 9);
    off.fill(Qt::black);
    on.fill(Qt::white);
    led.SetGlyphOff(off);
    led.SetGlyphOn(on);
    led.SetKind(TLedKind::lkCustom);
    EXPECT_TRUE(samePixels(shown(led), argb(off.toImage())));
    led.SetState(TLedState::lsOn);
    EXPECT_TRUE(samePixels(shown(led), argb(on.toImage())));
    EXPECT_EQ(led.imageOffset(), QPoint(8, 8));
}

TEST_F(ComLedTest, DrawsTheImageCentredAndTheOffImageWhileDisabled) {
    TComLed led;
    led.SetKind(TLedKind::lkGreenLight);
    led.SetState(TLedState::lsOn);
    const QImage on = resourceImage(TLedKind::lkGreenLight, TLedState::lsOn);
    EXPECT_EQ(led.imageOffset(), QPoint(5, 5));
    const QImage canvas = painted(led);
    EXPECT_TRUE(samePixels(canvas.copy(5, 5, 15, 15), on));
    for (QPoint p : {QPoint(0, 0), QPoint(4, 12), QPoint(20, 12), QPoint(12, 24), QPoint(24, 24)}) {
        EXPECT_EQ(qAlpha(canvas.pixel(p)), 0) << p.x() << "," << p.y();
    }

    led.setEnabled(false);
    EXPECT_EQ(led.State(), TLedState::lsOn);
    const QImage off = resourceImage(TLedKind::lkGreenLight, TLedState::lsOff);
    EXPECT_TRUE(samePixels(shown(led), off));
    EXPECT_TRUE(samePixels(painted(led).copy(5, 5, 15, 15), off));
    led.setEnabled(true);
    EXPECT_TRUE(samePixels(shown(led), on));

    led.resize(40, 30);
    EXPECT_EQ(led.imageOffset(), QPoint(12, 7));
    led.resize(10, 8);
    EXPECT_EQ(led.imageOffset(), QPoint(0, 0));
}

TEST_F(ComLedTest, OnlyAnUnboundLampTakesStateChanges) {
    TComPort port(sim);
    TComLed led;
    std::vector<TLedState> changes;
    led.OnChange = [&](TComLed& sender) { changes.push_back(sender.State()); };
    led.SetState(TLedState::lsOn);
    led.SetState(TLedState::lsOff);
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(changes,
              (std::vector<TLedState>{TLedState::lsOn, TLedState::lsOff, TLedState::lsOn}));

    led.SetComPort(&port);  // follows the closed port's connection: off
    ASSERT_EQ(led.State(), TLedState::lsOff);
    changes.clear();
    EXPECT_EQ(comErrorOf([&] { led.SetState(TLedState::lsOn); }).code(),
              ComErrorCode::LedStateLocked);
    EXPECT_EQ(led.State(), TLedState::lsOff);
    EXPECT_TRUE(changes.empty());

    led.SetComPort(nullptr);
    led.SetState(TLedState::lsOn);
    EXPECT_EQ(led.State(), TLedState::lsOn);
}

TEST_F(ComLedTest, BoundLampFollowsItsLine) {
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

TEST_F(ComLedTest, LampAndPortMayGoInEitherOrder) {
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
}  // namespace dravel::ui
