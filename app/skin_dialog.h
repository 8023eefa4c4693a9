#pragma once

#include <QDialog>
#include <QPixmap>
#include <map>
#include <string>
#include <vector>

#include "foundation/controls.h"
#include "windows/dialog_parts.h"

namespace tonvel {

// What the about and update windows share: a frameless modal window of a fixed client size
// that paints its models, asks its model before it closes and forwards keys as virtual-key
// codes.
class SkinDialog : public QDialog {
    Q_OBJECT
  public:
    SkinDialog(const char* caption, int width, int height, QWidget* parent);
    // Repaints and, once the model has closed, ends the window.
    void refresh();

  protected:
    virtual bool modelClosed() const = 0;
    virtual bool modelCanClose() const { return true; }
    virtual void keyDown(int keyCode, int shift) = 0;
    virtual std::string toolTipAt(const QPoint& at) const = 0;
    virtual void syncTimers() {}

    void paintLines(QPainter& painter, const std::vector<DrawnLine>& lines) const;
    void paintEdge(QPainter& painter, const Rect& edge) const;
    void paintPicture(QPainter& painter, const PictureBox& box);
    void paintLabel(QPainter& painter, const Label& label, Qt::Alignment alignment,
                    bool wrap = false) const;

    static bool inside(const Rect& r, const QPoint& at) { return r.contains(at.x(), at.y()); }
    static bool hits(const PictureBox& box, const QPoint& at) {
        return box.visible && inside(box.picture.rect, at);
    }
    static bool hits(const Label& label, const QPoint& at) {
        return label.visible && inside(label.rect, at);
    }

    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

  private:
    const QPixmap& pixmap(const std::string& name);

    std::map<std::string, QPixmap> pictures_;
};

}  // namespace tonvel
