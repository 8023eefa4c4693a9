#pragma once

#include <memory>

#include "app/skin_dialog.h"
#include "app/timer_binding.h"
#include "windows/http_fetch.h"
#include "windows/update.h"

namespace tonvel {

// QWidget::update hides the model's class name inside the window.
using UpdateModel = update;

// Draws the update window, forwards its events and runs its time-out timer.
class UpdateWindow : public SkinDialog {
    Q_OBJECT
  public:
    UpdateWindow(Dialogs& dialogs, DesktopShell& shell, HttpFetch& http, QWidget* parent);
    UpdateModel& model() { return model_; }

  protected:
    bool modelClosed() const override { return model_.closed; }
    bool modelCanClose() const override { return model_.canClose(); }
    void keyDown(int keyCode, int shift) override { model_.Form_KeyDown(keyCode, shift); }
    std::string toolTipAt(const QPoint& at) const override;
    void syncTimers() override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    // Brings the window up to date before the fetch blocks, so that the wait shows and its
    // timer runs.
    class ShownFetch : public HttpFetch {
      public:
        ShownFetch(UpdateWindow& window, HttpFetch& inner) : window_(window), inner_(inner) {}
        FetchResult get(const std::string& url) override {
            window_.refresh();
            return inner_.get(url);
        }

      private:
        UpdateWindow& window_;
        HttpFetch& inner_;
    };

    // What lies under the mouse: a button (BL and NB of index 0..2), the close button, a label
    // that passes its moves to the window, another label, or bare window.
    struct Part {
        enum Kind { None, Button, Close, FormLabel, OtherLabel } kind = None;
        int index = -1;
        bool operator==(const Part&) const = default;
    };
    Part partAt(const QPoint& at) const;
    template <typename Handler>
    void run(Handler handler) {
        handler(model_);
        refresh();
    }

    ShownFetch fetch_;
    UpdateModel model_;
    std::unique_ptr<TimerBinding> timeout_;
    Part pressed_;
};

}  // namespace tonvel
