#pragma once

#include <QPixmap>
#include <QWidget>

#include <functional>

#include "devices/serial/ComPort.h"

namespace dravel::ui {

enum class TLedKind {
    lkRedLight,
    lkGreenLight,
    lkBlueLight,
    lkYellowLight,
    lkPurpleLight,
    lkBulb,
    lkCustom
};
enum class TLedState { lsOff, lsOn };

// A small lamp, 25 × 25 pixels unless resized, showing the on or off image of
// its kind centred. Enabled and visible are the widget's own; a disabled lamp
// always shows its off image. A lamp bound to a port (SetComPort) follows the
// port's line chosen by LedSignal, and its State can no longer be set.
class TComLed : public QWidget, private devices::ComLink {
    Q_OBJECT

public:
    explicit TComLed(QWidget* parent = nullptr);
    ~TComLed() override;

    TLedKind Kind() const { return kind_; }
    void SetKind(TLedKind kind);

    TLedState State() const { return state_; }
    // Raises devices::EComPort 19 and changes nothing when bound to a port.
    void SetState(TLedState state);

    devices::TComPort* ComPort() const { return port_; }
    void SetComPort(devices::TComPort* port);

    devices::TComLedSignal LedSignal() const { return signal_; }
    void SetLedSignal(devices::TComLedSignal signal) { signal_ = signal; }

    // The images of lkCustom.
    void SetGlyphOff(const QPixmap& image);
    void SetGlyphOn(const QPixmap& image);

    // The image the lamp shows now and where it is drawn.
    const QPixmap& currentImage() const;
    QPoint imageOffset() const;

    QSize sizeHint() const override { return {25, 25}; }

    // Called after State changed by the program.
    std::function<void(TComLed& sender)> OnChange;

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void comSignal(devices::TComLedSignal signal, bool on) override;
    void comPortDestroyed() override;
    void loadKindImages();
    void showState(TLedState state);

    TLedKind kind_ = TLedKind::lkRedLight;
    TLedState state_ = TLedState::lsOff;
    devices::TComLedSignal signal_ = devices::TComLedSignal::lsConn;
    devices::TComPort* port_ = nullptr;
    QPixmap off_image_;
    QPixmap on_image_;
    QPixmap custom_off_;
    QPixmap custom_on_;
};

// Resource name of a kind's image ("LEDGREENON" ...); empty for lkCustom.
QString ledImageName(TLedKind kind, TLedState state);

}  // namespace dravel::ui
