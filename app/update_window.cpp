#include "app/update_window.h"

#include <QMouseEvent>
#include <QPainter>

#include "app/accessibility/accessible_controls.h"
#include "app/accessibility/dialog_items.h"

namespace tonvel {

UpdateWindow::UpdateWindow(Dialogs& dialogs, DesktopShell& shell, HttpFetch& http, QWidget* parent)
    : SkinDialog(UpdateModel::kCaption, UpdateModel::kWidth, UpdateModel::kHeight, parent),
      fetch_(*this, http),
      model_({dialogs, shell, fetch_}) {
    timeout_ = std::make_unique<TimerBinding>(
        model_.tmrTimeout, [this] { run([](UpdateModel& u) { u.tmrTimeout_Timer(); }); });
    model_.Form_Load();
    describePaintedWindow(this, [this] { return updateItems(model_); });
}

void UpdateWindow::syncTimers() {
    if (timeout_) timeout_->sync();
}

UpdateWindow::Part UpdateWindow::partAt(const QPoint& at) const {
    if (model_.TBCB.enabled && hits(model_.TBCB, at)) return {Part::Close};
    if (!model_.TBCB.enabled && hits(model_.TBCB, at)) return {Part::OtherLabel};
    for (int i = 0; i < static_cast<int>(model_.BL.size()); ++i)
        if (hits(model_.BL[i], at) || hits(model_.NB[i], at)) return {Part::Button, i};
    if (hits(model_.lblTitle, at) || hits(model_.lblUpdate, at)) return {Part::FormLabel};
    if (hits(model_.lblVersion, at) || hits(model_.lbll[1], at) || hits(model_.lbll[2], at))
        return {Part::OtherLabel};
    return {};
}

std::string UpdateWindow::toolTipAt(const QPoint& at) const {
    const Part part = partAt(at);
    if (part.kind == Part::Close) return model_.TBCB.picture.toolTip;
    if (part.kind != Part::Button) return {};
    const Label& label = model_.BL[part.index];
    return hits(label, at) ? label.toolTip : model_.NB[part.index].picture.toolTip;
}

void UpdateWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintLines(painter, model_.lines);
    paintEdge(painter, model_.Shape1);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintLabel(painter, model_.lblTitle, Qt::AlignLeft, true);
    paintLabel(painter, model_.lbll[1], Qt::AlignRight);
    paintLabel(painter, model_.lbll[2], Qt::AlignRight);
    paintLabel(painter, model_.lblVersion, Qt::AlignLeft);
    paintLabel(painter, model_.lblUpdate, Qt::AlignLeft);
    for (const PictureBox& face : model_.NB) paintPicture(painter, face);
    paintPicture(painter, model_.TBCB);
    for (const Label& button : model_.BL) paintLabel(painter, button, Qt::AlignHCenter);
}

void UpdateWindow::mousePressEvent(QMouseEvent* event) {
    pressed_ = partAt(event->position().toPoint());
    if (pressed_.kind == Part::Button)
        run([index = pressed_.index](UpdateModel& u) { u.BL_MouseDown(index); });
}

void UpdateWindow::mouseReleaseEvent(QMouseEvent* event) {
    const Part pressed = pressed_;
    pressed_ = {};
    const bool click =
        event->button() == Qt::LeftButton && partAt(event->position().toPoint()) == pressed;
    if (pressed.kind == Part::Button) {
        run([&](UpdateModel& u) {
            u.BL_MouseUp(pressed.index);
            if (click) u.BL_Click(pressed.index);
        });
    } else if (pressed.kind == Part::Close && click) {
        run([](UpdateModel& u) { u.TBCB_Click(); });
    }
}

void UpdateWindow::mouseMoveEvent(QMouseEvent* event) {
    // A held button keeps the mouse until it is released.
    const Part part = pressed_.kind != Part::None ? pressed_ : partAt(event->position().toPoint());
    switch (part.kind) {
        case Part::Button:
            return run([&](UpdateModel& u) { u.BL_MouseMove(part.index); });
        case Part::Close:
            return run([](UpdateModel& u) { u.TBCB_MouseMove(); });
        case Part::FormLabel:
        case Part::None:
            return run([](UpdateModel& u) { u.Form_MouseMove(); });
        case Part::OtherLabel:
            return;
    }
}

}  // namespace tonvel
