#include "app/about_window.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/accessibility/accessible_controls.h"
#include "app/accessibility/dialog_items.h"

namespace tonvel {
namespace {

constexpr int kLicense = 1;

}  // namespace

AboutWindow::AboutWindow(Dialogs& dialogs, DesktopShell& shell, const std::string& programDirectory,
                         QWidget* parent)
    : SkinDialog(about::kCaption, about::kWidth, about::kHeight, parent),
      model_({dialogs, shell}, programDirectory) {
    model_.Form_Load();
    describePaintedWindow(this, [this] { return aboutItems(model_); });
}

AboutWindow::Part AboutWindow::partAt(const QPoint& at) const {
    if (hits(model_.TBCB, at)) return Part::Close;
    if (hits(model_.BL[kLicense], at) || hits(model_.NB[kLicense], at)) return Part::License;
    if (hits(model_.Image1, at)) return Part::Icon;
    if (hits(model_.lblTitle, at)) return Part::Title;
    if (hits(model_.lblVersion, at)) return Part::Version;
    return Part::None;
}

std::string AboutWindow::toolTipAt(const QPoint& at) const {
    switch (partAt(at)) {
        case Part::Close:
            return model_.TBCB.picture.toolTip;
        case Part::License:
            return model_.BL[kLicense].toolTip;
        default:
            return {};
    }
}

void AboutWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintLines(painter, model_.lines);
    paintEdge(painter, model_.Shape1);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintLabel(painter, model_.lblTitle, Qt::AlignLeft);
    paintLabel(painter, model_.lblVersion, Qt::AlignLeft);
    paintPicture(painter, model_.Image1);
    paintPicture(painter, model_.NB[kLicense]);
    paintPicture(painter, model_.TBCB);
    paintLabel(painter, model_.BL[kLicense], Qt::AlignHCenter);
}

void AboutWindow::mousePressEvent(QMouseEvent* event) {
    pressed_ = partAt(event->position().toPoint());
    if (pressed_ == Part::License) run([](about& a) { a.BL_MouseDown(kLicense); });
}

void AboutWindow::mouseReleaseEvent(QMouseEvent* event) {
    const Part pressed = pressed_;
    pressed_ = Part::None;
    const bool click =
        event->button() == Qt::LeftButton && partAt(event->position().toPoint()) == pressed;
    switch (pressed) {
        case Part::License:
            return run([click](about& a) {
                a.BL_MouseUp(kLicense);
                if (click) a.BL_Click(kLicense);
            });
        case Part::Close:
            if (click) run([](about& a) { a.TBCB_Click(); });
            return;
        case Part::Icon:
            if (click) run([](about& a) { a.Image1_Click(); });
            return;
        default:
            return;
    }
}

void AboutWindow::mouseMoveEvent(QMouseEvent* event) {
    // A held button keeps the mouse until it is released.
    const Part part = pressed_ != Part::None ? pressed_ : partAt(event->position().toPoint());
    switch (part) {
        case Part::License:
            return run([](about& a) { a.BL_MouseMove(kLicense); });
        case Part::Close:
            return run([](about& a) { a.TBCB_MouseMove(); });
        case Part::Title:
            return run([](about& a) { a.lblTitle_MouseMove(); });
        case Part::Version:
            return run([](about& a) { a.lblVersion_MouseMove(); });
        case Part::None:
            return run([](about& a) { a.Form_MouseMove(); });
        case Part::Icon:
            return;
    }
}

}  // namespace tonvel
