#pragma once

#include <QPixmap>
#include <QTouchEvent>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/timer_binding.h"
#include "foundation/output_clock.h"
#include "midi/sender/scheduled_midi_system.h"
#include "shell/frm_piano.h"

namespace tonvel {

// Draws the main window's controls and forwards its events to the window's handlers.
class PianoWindow : public QWidget {
    Q_OBJECT
  public:
    PianoWindow();
    // With `timedOutput`, rhythm steps and recordings played back are worked out a little ahead
    // and leave at their time, which `clock` then tells.
    void attach(frmPiano* piano, ScheduledMidiSystem* timedOutput = nullptr,
                OutputClock* clock = nullptr);
    // Redraws and brings the timers in line with the models, after every handler.
    void refresh();
    // Where the desktop composes windows, the skin's pixels of colour `key` are drawn as
    // transparent, so that the desktop shows through them at any scale.
    void seeThroughKeyColour(QRgb key);
    // MIDI came in.
    void midiArrived() {
        run([](frmPiano& p) { p.MidiIn_Received(); });
    }
    // The output changed without the window's doing.
    void outputNews(const std::string& text, bool present) {
        run([&](frmPiano& p) { p.outputNews(text, present); });
    }
    // Called at the end of every refresh.
    std::function<void()> refreshed;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool) override { return false; }

  private:
    template <typename Handler>
    void run(Handler handler) {
        if (!piano_ || piano_->isUnloaded()) return;
        handler(*piano_);
        refresh();
    }
    const Label* labelAt(const QPoint& at) const;
    bool isControlAt(const QPoint& at) const;
    std::string toolTipAt(const QPoint& at) const;
    const QPixmap& pixmap(const std::string& name);
    TickLead leadFor(const Timer& model);
    void touched(QTouchEvent* event);

    frmPiano* piano_ = nullptr;
    ScheduledMidiSystem* timedOutput_ = nullptr;
    OutputClock* clock_ = nullptr;
    QPixmap skin_;
    std::map<std::string, QPixmap> pictures_;
    std::vector<std::unique_ptr<TimerBinding>> timers_;
    int pressedBank_ = -1;
    int pressedTransport_ = -1;
    enum class Slider { None, Volume, Tempo };
    Slider dragging_ = Slider::None;
    int dragButton_ = 0;
};

}  // namespace tonvel
