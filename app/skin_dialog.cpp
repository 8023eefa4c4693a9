#include "app/skin_dialog.h"

#include <QCloseEvent>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>

#include "app/key_translation.h"
#include "app/model_painting.h"
#include "resources/skin/skin_resources.h"

namespace tonvel {

SkinDialog::SkinDialog(const char* caption, int width, int height, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setWindowTitle(QString::fromLatin1(caption));
    setFixedSize(width, height);
    setModal(true);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void SkinDialog::refresh() {
    syncTimers();
    update();
    if (modelClosed() && isVisible()) accept();
}

void SkinDialog::paintLines(QPainter& painter, const std::vector<DrawnLine>& lines) const {
    for (const DrawnLine& line : lines) {
        if (line.y < 0 || line.y >= height()) continue;
        painter.setPen(line.colour == kSystem3DHighlight ? palette().color(QPalette::Light)
                                                         : colourOf(line.colour));
        painter.drawLine(0, line.y, width() - 1, line.y);
    }
}

void SkinDialog::paintEdge(QPainter& painter, const Rect& edge) const {
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(edge.left, edge.top, edge.width - 1, edge.height - 1);
}

void SkinDialog::paintPicture(QPainter& painter, const PictureBox& box) {
    if (!box.visible || box.picture.picture.empty()) return;
    painter.drawPixmap(rectOf(box.picture.rect), pixmap(box.picture.picture));
}

void SkinDialog::paintLabel(QPainter& painter, const Label& label, Qt::Alignment alignment,
                            bool wrap) const {
    if (!label.visible || label.caption.empty()) return;
    const QRect box = rectOf(label.rect);
    const QString text = QString::fromStdString(label.caption);
    const int flags = static_cast<int>(alignment) | Qt::AlignTop |
                      (label.showAccessKey ? Qt::TextShowMnemonic : 0) |
                      (wrap ? Qt::TextWordWrap : 0);
    // The stand-in font runs wider than the design's, so a text that would overflow its place
    // is narrowed, then made smaller.
    const int designPixels = qRound(label.fontSize * 96.0 / 72.0);
    const struct {
        int pixels;
        int stretch;
    } tries[] = {{designPixels, 100},
                 {designPixels, 88},
                 {designPixels, 80},
                 {designPixels - 1, 80},
                 {designPixels - 2, 80}};
    QFont font = painter.font();
    font.setFamily(QStringLiteral("DejaVu Sans"));
    font.setBold(label.bold);
    for (const auto& t : tries) {
        font.setPixelSize(t.pixels);
        font.setStretch(t.stretch);
        const QRect needed = QFontMetrics(font).boundingRect(box, flags, text);
        if (needed.width() <= box.width() && needed.height() <= box.height() + 2) break;
    }
    painter.setFont(font);
    painter.setPen(colourOf(label.foreColor));
    painter.drawText(box, flags, text);
}

const QPixmap& SkinDialog::pixmap(const std::string& name) {
    auto found = pictures_.find(name);
    if (found == pictures_.end()) {
        const QString path = QStringLiteral(":/skin/%1.png").arg(QString::fromStdString(name));
        found = pictures_.emplace(name, skin::pixmap(path, devicePixelRatioF())).first;
    }
    return found->second;
}

void SkinDialog::keyPressEvent(QKeyEvent* event) {
    // Only the model decides what a key does; Escape does not reject the dialog by itself.
    const TranslatedKey key = translateKeyEvent(*event);
    if (key.keyCode != 0) keyDown(key.keyCode, key.shift);
    refresh();
}

void SkinDialog::closeEvent(QCloseEvent* event) {
    if (modelCanClose()) {
        QDialog::closeEvent(event);
    } else {
        event->ignore();
    }
}

bool SkinDialog::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const std::string tip = toolTipAt(help->pos());
        if (tip.empty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), QString::fromStdString(tip), this);
        }
        return true;
    }
    return QDialog::event(event);
}

}  // namespace tonvel
