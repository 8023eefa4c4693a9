#pragma once

#include "app/skin_dialog.h"
#include "windows/about.h"

namespace tonvel {

// Draws the about box and forwards its mouse and key events.
class AboutWindow : public SkinDialog {
    Q_OBJECT
  public:
    AboutWindow(Dialogs& dialogs, DesktopShell& shell, const std::string& programDirectory,
                QWidget* parent);
    const about& model() const { return model_; }

  protected:
    bool modelClosed() const override { return model_.closed; }
    void keyDown(int keyCode, int shift) override { model_.Form_KeyDown(keyCode, shift); }
    std::string toolTipAt(const QPoint& at) const override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    enum class Part { None, Icon, Title, Version, License, Close };
    Part partAt(const QPoint& at) const;
    template <typename Handler>
    void run(Handler handler) {
        handler(model_);
        refresh();
    }

    about model_;
    Part pressed_ = Part::None;
};

}  // namespace tonvel
