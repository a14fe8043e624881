#include "ui/ComLed.h"

#include <QEvent>
#include <QMetaObject>
#include <QPainter>

#include <algorithm>
#include <mutex>

// The images live in this static library; their registration must be pulled
// in explicitly, from the global namespace.
static void registerLedImages() {
    static std::once_flag once;
    std::call_once(once, [] { Q_INIT_RESOURCE(leds); });
}

namespace dravel::ui {

using devices::ComErrorCode;
using devices::EComPort;
using devices::TComLedSignal;
using devices::TComPort;

QString ledImageName(TLedKind kind, TLedState state) {
    static const char* const kColours[] = {"RED", "GREEN", "BLUE", "YELLOW", "PURPLE", "BULB"};
    if (kind == TLedKind::lkCustom) return {};
    return QStringLiteral("LED%1%2")
        .arg(QLatin1String(kColours[static_cast<int>(kind)]))
        .arg(state == TLedState::lsOn ? QLatin1String("ON") : QLatin1String("OFF"));
}

TComLed::TComLed(QWidget* parent) : QWidget(parent) {
    registerLedImages();
    resize(sizeHint());
    loadKindImages();
}

TComLed::~TComLed() {
    if (port_) port_->removeLink(this);
}

void TComLed::SetKind(TLedKind kind) {
    if (kind == kind_) return;
    kind_ = kind;
    loadKindImages();
    update();
}

void TComLed::SetState(TLedState state) {
    if (port_) throw EComPort(ComErrorCode::LedStateLocked);
    showState(state);
}

void TComLed::showState(TLedState state) {
    state_ = state;
    if (OnChange) OnChange(*this);
    update();
}

void TComLed::SetComPort(TComPort* port) {
    if (port == port_) return;
    if (port_) port_->removeLink(this);
    port_ = port;
    if (!port_) return;
    port_->addLink(this);
    const bool on = signal_ == TComLedSignal::lsConn && port_->Connected();
    showState(on ? TLedState::lsOn : TLedState::lsOff);
}

void TComLed::SetGlyphOff(const QPixmap& image) {
    custom_off_ = image;
    loadKindImages();
    update();
}

void TComLed::SetGlyphOn(const QPixmap& image) {
    custom_on_ = image;
    loadKindImages();
    update();
}

void TComLed::loadKindImages() {
    if (kind_ == TLedKind::lkCustom) {
        off_image_ = custom_off_;
        on_image_ = custom_on_;
        return;
    }
    off_image_ = QPixmap(QLatin1Char(':') + ledImageName(kind_, TLedState::lsOff));
    on_image_ = QPixmap(QLatin1Char(':') + ledImageName(kind_, TLedState::lsOn));
}

const QPixmap& TComLed::currentImage() const {
    return isEnabled() && state_ == TLedState::lsOn ? on_image_ : off_image_;
}

QPoint TComLed::imageOffset() const {
    const QPixmap& image = currentImage();
    return {std::max(0, (width() - image.width()) / 2),
            std::max(0, (height() - image.height()) / 2)};
}

void TComLed::paintEvent(QPaintEvent*) {
    const QPixmap& image = currentImage();
    if (image.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(imageOffset(), image);
}

void TComLed::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) update();
    QWidget::changeEvent(event);
}

// The port reports from the thread that dispatches its events; the lamp
// changes in its own thread.
void TComLed::comSignal(TComLedSignal signal, bool on) {
    QMetaObject::invokeMethod(
        this,
        [this, signal, on] {
            if (signal == signal_ && port_) showState(on ? TLedState::lsOn : TLedState::lsOff);
        },
        Qt::AutoConnection);
}

void TComLed::comPortDestroyed() {
    port_ = nullptr;
}

}  // namespace dravel::ui
