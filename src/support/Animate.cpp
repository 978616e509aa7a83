#include "Animate.h"

#include <QPainter>

TAnimate::TAnimate(QWidget* parent) : QWidget(parent) {
    connect(&FTimer, &QTimer::timeout, this, [this] { Step(); });
}

void TAnimate::SetActive(bool active) {
    if (!active) {
        FTimer.stop();
        return;
    }
    FClip = TAviClip::FromFile(FFileName);
    FCurrent = 0;
    FTimer.start(std::max(10, FClip->MicrosecondsPerFrame() / 1000));
    update();
}

void TAnimate::Step() {
    const int last =
        FStopFrame > 0 ? std::min(FStopFrame, FClip->FrameCount()) : FClip->FrameCount();
    FCurrent = FCurrent + 1 < last ? FCurrent + 1 : 0;
    update();
}

void TAnimate::paintEvent(QPaintEvent*) {
    if (!FClip)
        return;
    QPainter painter(this);
    const QImage& frame = FClip->Frame(FCurrent);
    painter.drawImage((width() - frame.width()) / 2, (height() - frame.height()) / 2, frame);
}
