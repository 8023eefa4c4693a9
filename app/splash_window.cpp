#include "app/splash_window.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/accessibility/accessible_controls.h"
#include "app/accessibility/dialog_items.h"
#include "app/model_painting.h"
#include "resources/skin/skin_resources.h"

namespace tonvel {

SplashWindow::SplashWindow(splash& model) : model_(model) {
    setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint);
    setWindowTitle(QString::fromLatin1(splash::kCaption));
    setFixedSize(splash::kWidth, splash::kHeight);
    picture_ = skin::pixmap(QString::fromLatin1(skin::kSplashPicture), devicePixelRatioF());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    timer_ = std::make_unique<TimerBinding>(model_.tmrPRG, [this] {
        model_.tmrPRG_Timer();
        refresh();
    });
    describePaintedWindow(this, [this] { return splashItems(model_); });
}

void SplashWindow::refresh() {
    timer_->sync();
    if (!model_.VOLCN) {
        volumeTimer_.reset();
    } else if (!volumeTimer_) {
        volumeTimer_ = std::make_unique<TimerBinding>(model_.VOLCN->Timer1, [this] {
            if (model_.VOLCN) model_.VOLCN->Timer1_Timer();
        });
    }
    if (volumeTimer_) volumeTimer_->sync();
    update();
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::TextAntialiasing);
    if (!picture_.isNull()) painter.drawPixmap(rectOf(model_.Picture1.rect), picture_);
    for (const Label& label : model_.load) drawLabel(painter, label, Qt::AlignLeft);
}

}  // namespace tonvel
