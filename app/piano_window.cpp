#include "app/piano_window.h"

#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QToolTip>
#include <QTouchEvent>

#include "app/compositing.h"
#include "app/key_translation.h"
#include "app/model_painting.h"
#include "app/window_shape.h"
#include "resources/skin/skin_resources.h"
#include "resources/skin_layout.h"

namespace tonvel {

namespace {

constexpr double kTwipsPerPixel = 15.0;
// Long enough to ride out the window thread's usual delays on a busy desktop, short enough
// that a Stop or a tempo change still feels immediate.
constexpr auto kTimedLead = std::chrono::milliseconds(15);

QRectF pixelsOf(const Rect& twips) {
    return {twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
            twips.height / kTwipsPerPixel};
}

int buttonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return 1;
        case Qt::RightButton:
            return 2;
        case Qt::MiddleButton:
            return 4;
        default:
            return 0;
    }
}

int buttonsOf(Qt::MouseButtons buttons) {
    return (buttons & Qt::LeftButton ? 1 : 0) | (buttons & Qt::RightButton ? 2 : 0) |
           (buttons & Qt::MiddleButton ? 4 : 0);
}

int shiftOf(Qt::KeyboardModifiers mods) {
    return (mods & Qt::ShiftModifier ? 1 : 0) | (mods & Qt::ControlModifier ? 2 : 0) |
           (mods & Qt::AltModifier ? 4 : 0);
}

}  // namespace

PianoWindow::PianoWindow() {
    setWindowFlag(Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("Tonvel"));
    setFixedSize(skin::kWidth, skin::kHeight);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_AcceptTouchEvents);
    // Before the window exists: it takes a surface with an alpha channel.
    if (desktopComposites()) setAttribute(Qt::WA_TranslucentBackground);
    setAcceptDrops(true);
    skin_ = skin::pixmap(QString::fromLatin1(skin::kPianoPicture), devicePixelRatioF());
}

void PianoWindow::seeThroughKeyColour(QRgb key) {
    if (!testAttribute(Qt::WA_TranslucentBackground)) return;
    skin_ = keyColourTransparent(skin_, key);
    update();
}

TickLead PianoWindow::leadFor(const Timer& model) {
    TickLead lead;
    if (!timedOutput_) return lead;
    lead.lead = kTimedLead;
    const void* source = &model;
    lead.before = [this, source](TimerSchedule::TimePoint due) {
        timedOutput_->beginTimed(due, source);
        if (clock_) clock_->tickAt(due);
    };
    lead.after = [this] {
        timedOutput_->endTimed();
        if (clock_) clock_->tickDone();
    };
    // Through the window, whose recording forgets what never left.
    lead.stopped = [this, source] {
        if (piano_) {
            piano_->midiOut.dropTimed(source,
                                      clock_ ? clock_->now() : std::chrono::steady_clock::now());
        } else {
            timedOutput_->dropTimed(source, std::chrono::steady_clock::now());
        }
    };
    return lead;
}

void PianoWindow::attach(frmPiano* piano, ScheduledMidiSystem* timedOutput, OutputClock* clock) {
    piano_ = piano;
    timedOutput_ = timedOutput;
    clock_ = clock;
    // A rhythm step or a played-back message changes nothing on the face: no repaint, which
    // would take time from the next one. Both are worked out kTimedLead ahead and leave at
    // their time.
    timers_.push_back(std::make_unique<TimerBinding>(
        piano->tmrBeat,
        [this] {
            if (piano_ && !piano_->isUnloaded()) piano_->tmrBeat_Timer();
        },
        leadFor(piano->tmrBeat)));
    timers_.push_back(std::make_unique<TimerBinding>(
        piano->tmrPlay,
        [this] {
            if (!piano_ || piano_->isUnloaded()) return;
            const bool playing = piano_->tmrPlay.enabled;
            piano_->tmrPlay_Timer();
            // The end shows on the face, once the tick is over.
            if (piano_->tmrPlay.enabled != playing) {
                QTimer::singleShot(0, this, [this] { refresh(); });
            } else if (piano_->songPlaying()) {
                // A song lights keys: they show when its messages leave.
                QTimer::singleShot(timedOutput_ ? kTimedLead : std::chrono::milliseconds(0), this,
                                   [this] {
                                       update();
                                       if (refreshed) refreshed();
                                   });
            }
        },
        leadFor(piano->tmrPlay)));
    timers_.push_back(std::make_unique<TimerBinding>(
        piano->tmrCap, [this] { run([](frmPiano& p) { p.tmrCap_Timer(); }); }));
    timers_.push_back(std::make_unique<TimerBinding>(
        piano->tmrSong, [this] { run([](frmPiano& p) { p.tmrSong_Timer(); }); }));
    timers_.push_back(std::make_unique<TimerBinding>(
        piano->tmrExport, [this] { run([](frmPiano& p) { p.tmrExport_Timer(); }); }));
    timers_.push_back(std::make_unique<TimerBinding>(
        piano->tmrSound, [this] { run([](frmPiano& p) { p.tmrSound_Timer(); }); }));
}

void PianoWindow::refresh() {
    for (auto& timer : timers_) timer->sync();
    update();
    if (refreshed) refreshed();
}

void PianoWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!skin_.isNull()) {
        painter.drawPixmap(0, 0, skin_);
    } else {
        painter.fillRect(rect(), QColor(40, 40, 48));
    }
    if (!piano_) return;

    for (size_t i = 0; i < piano_->shpKeys.size(); ++i) {
        for (const Shape* light : {&piano_->shpKeys[i], &piano_->wkeys[i]}) {
            if (!light->exists || !light->visible) continue;
            painter.setPen(QPen(colourOf(light->borderColor), 1));
            painter.setBrush(colourOf(light->fillColor));
            painter.drawRoundedRect(pixelsOf(light->rect).adjusted(0.5, 0.5, -0.5, -0.5), 2, 2);
        }
    }
    painter.setPen(QPen(colourOf(piano_->shpPedal.borderColor), 1));
    painter.setBrush(colourOf(piano_->shpPedal.fillColor));
    painter.drawEllipse(pixelsOf(piano_->shpPedal.rect).adjusted(0.5, 0.5, -0.5, -0.5));
    if (piano_->shpRec.visible) {
        painter.setPen(QPen(colourOf(piano_->shpRec.borderColor), 1));
        painter.setBrush(colourOf(piano_->shpRec.fillColor));
        painter.drawEllipse(pixelsOf(piano_->shpRec.rect).adjusted(0.5, 0.5, -0.5, -0.5));
    }
    for (const auto& pad : piano_->shpDrums) {
        if (!pad.visible) continue;
        painter.setPen(QPen(colourOf(pad.borderColor), 1));
        painter.setBrush(colourOf(pad.fillColor));
        painter.drawEllipse(pixelsOf(pad.rect).adjusted(0.5, 0.5, -0.5, -0.5));
    }

    for (const Picture* picture :
         {&piano_->Butt[0], &piano_->Butt[1], &piano_->Butt[2], &piano_->Butt[3], &piano_->Butt[4],
          &piano_->Butt[5], &piano_->VolPtr, &piano_->IntPtr}) {
        if (picture->picture.empty()) continue;
        painter.drawPixmap(rectOf(picture->rect), pixmap(picture->picture));
    }

    painter.setRenderHint(QPainter::TextAntialiasing);
    drawLabel(painter, piano_->PCap, Qt::AlignHCenter, true, kPanelMargin);
    drawLabel(painter, piano_->lblInstrument, Qt::AlignLeft, true, kPanelMargin);
    drawLabel(painter, piano_->ChNum, Qt::AlignHCenter, true, kPanelMargin);
    drawLabel(painter, piano_->lblBaseKey, Qt::AlignHCenter, true, kPanelMargin);
    for (const auto& bank : piano_->lblBank) drawLabel(painter, bank, Qt::AlignHCenter, true);
    drawLabel(painter, piano_->lblBeat, Qt::AlignLeft, true, kPanelMargin);
    for (size_t i = 0; i < piano_->lblBeatCtrl.size(); ++i)
        drawGlyph(painter, piano_->lblBeatCtrl[i], pixmap("transport" + std::to_string(i)));
    for (const auto& keyLabel : piano_->KK) drawLabel(painter, keyLabel, Qt::AlignHCenter, false);
    drawLabel(painter, piano_->lblRec, Qt::AlignLeft, true);
    drawLabel(painter, piano_->lblPedal, Qt::AlignLeft, true);
}

const QPixmap& PianoWindow::pixmap(const std::string& name) {
    auto found = pictures_.find(name);
    if (found == pictures_.end())
        found = pictures_
                    .emplace(name,
                             skin::pixmap(
                                 QStringLiteral(":/skin/%1.png").arg(QString::fromStdString(name)),
                                 devicePixelRatioF()))
                    .first;
    return found->second;
}

void PianoWindow::keyPressEvent(QKeyEvent* event) {
    const TranslatedKey key = translateKeyEvent(*event);
    if (key.keyCode == 0) return;
    run([&](frmPiano& p) { p.keyPressed(key.keyCode, key.shift); });
}

void PianoWindow::keyReleaseEvent(QKeyEvent* event) {
    // Where the server cannot report repeats as presses alone, they come as release and
    // press pairs; the key is still held, so only the press goes on.
    if (event->isAutoRepeat()) return;
    const TranslatedKey key = translateKeyEvent(*event);
    if (key.keyCode == 0) return;
    run([&](frmPiano& p) { p.keyReleased(key.keyCode, key.shift); });
}

const Label* PianoWindow::labelAt(const QPoint& at) const {
    if (!piano_) return nullptr;
    const Label* labels[] = {&piano_->lblInstrument, &piano_->ChNum,      &piano_->lblBaseKey,
                             &piano_->lblBank[0],    &piano_->lblBank[1], &piano_->lblBank[2],
                             &piano_->lblBank[3],    &piano_->lblVolume,  &piano_->lblIntro,
                             &piano_->lblBeat};
    for (const Label* label : labels)
        if (label->visible && label->rect.contains(at.x(), at.y())) return label;
    return nullptr;
}

void PianoWindow::mousePressEvent(QMouseEvent* event) {
    if (!piano_) return;
    const QPoint at = event->position().toPoint();
    const int button = buttonOf(event->button());
    const int shift = shiftOf(event->modifiers());
    // The sliders get the mouse in twips from their own corner, and keep it until release.
    const Rect& volume = piano_->lblVolume.rect;
    const Rect& tempo = piano_->lblIntro.rect;
    const auto twipsX = [&](const Rect& r) {
        return static_cast<float>((at.x() - r.left) * kTwipsPerPixel);
    };
    const auto twipsY = [&](const Rect& r) {
        return static_cast<float>((at.y() - r.top) * kTwipsPerPixel);
    };
    if (volume.contains(at.x(), at.y())) {
        dragging_ = Slider::Volume;
        dragButton_ = button;
        return run([&](frmPiano& p) {
            p.lblVolume_MouseDown(button, shift, twipsX(volume), twipsY(volume));
        });
    }
    if (tempo.contains(at.x(), at.y())) {
        dragging_ = Slider::Tempo;
        dragButton_ = button;
        return run([&](frmPiano& p) {
            p.lblIntro_MouseDown(button, shift, twipsX(tempo), twipsY(tempo));
        });
    }
    for (size_t i = 0; i < piano_->lblBank.size(); ++i) {
        const Rect& r = piano_->lblBank[i].rect;
        if (r.contains(at.x(), at.y())) {
            pressedBank_ = static_cast<int>(i);
            const float x = static_cast<float>((at.x() - r.left) * kTwipsPerPixel);
            const float y = static_cast<float>((at.y() - r.top) * kTwipsPerPixel);
            run([&](frmPiano& p) {
                p.lblBank_MouseDown(static_cast<int>(i), button, shift, x, y);
            });
            return;
        }
    }
    for (size_t i = 0; i < piano_->lblBeatCtrl.size(); ++i) {
        if (piano_->lblBeatCtrl[i].rect.contains(at.x(), at.y())) {
            pressedTransport_ = static_cast<int>(i);
            return run([&](frmPiano& p) {
                p.lblBeatCtrl_MouseDown(static_cast<int>(i), button, shift, 0, 0);
            });
        }
    }
    for (size_t i = 0; i < piano_->lblDrums.size(); ++i) {
        const Rect& r = piano_->lblDrums[i].rect;
        if (r.contains(at.x(), at.y())) {
            const float y = static_cast<float>((at.y() - r.top) * kTwipsPerPixel);
            return run([&](frmPiano& p) {
                p.lblDrums_MouseDown(static_cast<int>(i), button, shift, 0, y);
            });
        }
    }
    if (button == 1 && piano_->mousePlaysKeys() && piano_->lblOver.rect.contains(at.x(), at.y())) {
        return run([&](frmPiano& p) { p.PianoKeys_MouseDown(button, shift, at.x(), at.y()); });
    }
    if (piano_->lblOver.rect.contains(at.x(), at.y())) {
        run([&](frmPiano& p) { p.lblOver_MouseDown(button, shift, at.x(), at.y()); });
        return;
    }
    for (size_t i = 0; i < piano_->Butt.size(); ++i)
        if (piano_->Butt[i].rect.contains(at.x(), at.y())) return;
    for (size_t i = 0; i < piano_->lbl_Move.size(); ++i) {
        if (piano_->lbl_Move[i].rect.contains(at.x(), at.y())) {
            run([&](frmPiano& p) {
                p.lbl_Move_MouseDown(static_cast<int>(i), button, shift, 0, 0);
            });
            return;
        }
    }
    if (!labelAt(at) && !isControlAt(at))
        run([&](frmPiano& p) { p.Form_MouseDown(button, shift, at.x(), at.y()); });
}

bool PianoWindow::isControlAt(const QPoint& at) const {
    const auto inside = [&](const Rect& r) { return r.contains(at.x(), at.y()); };
    for (const auto& b : piano_->Butt)
        if (inside(b.rect)) return true;
    for (const auto& d : piano_->lblDrums)
        if (inside(d.rect)) return true;
    for (const auto& c : piano_->lblBeatCtrl)
        if (inside(c.rect)) return true;
    return inside(piano_->lblOver.rect) || inside(piano_->lblBeat.rect);
}

void PianoWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (!piano_) return;
    const QPoint at = event->position().toPoint();
    if (piano_->mousePlaying()) {
        const int button = buttonOf(event->button());
        return run([&](frmPiano& p) { p.PianoKeys_MouseUp(button); });
    }
    if (dragging_ != Slider::None) {
        const Slider slider = dragging_;
        dragging_ = Slider::None;
        return run([&](frmPiano& p) {
            if (slider == Slider::Volume) {
                p.lblVolume_MouseUp();
            } else {
                p.lblIntro_MouseUp();
            }
        });
    }
    if (pressedTransport_ >= 0) {
        const int index = pressedTransport_;
        pressedTransport_ = -1;
        const bool clicked =
            piano_->lblBeatCtrl[static_cast<size_t>(index)].rect.contains(at.x(), at.y());
        return run([&](frmPiano& p) {
            p.lblBeatCtrl_MouseUp(index);
            if (clicked) p.lblBeatCtrl_Click(index);
        });
    }
    if (pressedBank_ >= 0) {
        const int bank = pressedBank_;
        pressedBank_ = -1;
        run([&](frmPiano& p) { p.lblBank_MouseUp(bank); });
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    for (size_t i = 0; i < piano_->Butt.size(); ++i)
        if (piano_->Butt[i].rect.contains(at.x(), at.y()))
            return run([&](frmPiano& p) { p.Butt_Click(static_cast<int>(i)); });
    const Label* label = labelAt(at);
    if (label == &piano_->lblInstrument) {
        run([](frmPiano& p) { p.lblInstrument_Click(); });
    } else if (label == &piano_->ChNum) {
        run([](frmPiano& p) { p.ChNum_Click(); });
    } else if (label == &piano_->lblBaseKey) {
        run([](frmPiano& p) { p.lblBaseKey_Click(); });
    } else if (label == &piano_->lblBeat) {
        run([](frmPiano& p) { p.lblBeat_Click(); });
    }
}

void PianoWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!piano_) return;
    const QPoint at = event->position().toPoint();
    const auto inside = [&](const Rect& r) { return r.contains(at.x(), at.y()); };
    const Rect& volume = piano_->lblVolume.rect;
    const Rect& tempo = piano_->lblIntro.rect;
    const int held = dragging_ != Slider::None ? dragButton_ : 0;
    const int shift = shiftOf(event->modifiers());
    if (piano_->mousePlaying()) {
        const int buttons = buttonsOf(event->buttons());
        return run([&](frmPiano& p) { p.PianoKeys_MouseMove(buttons, shift, at.x(), at.y()); });
    }
    if (dragging_ == Slider::Volume || (dragging_ == Slider::None && inside(volume))) {
        const float x = static_cast<float>((at.x() - volume.left) * kTwipsPerPixel);
        return run([&](frmPiano& p) { p.lblVolume_MouseMove(held, shift, x, 0); });
    }
    if (dragging_ == Slider::Tempo || (dragging_ == Slider::None && inside(tempo))) {
        const float y = static_cast<float>((at.y() - tempo.top) * kTwipsPerPixel);
        return run([&](frmPiano& p) { p.lblIntro_MouseMove(held, shift, 0, y); });
    }
    for (size_t i = 0; i < piano_->Butt.size(); ++i)
        if (inside(piano_->Butt[i].rect))
            return run([&](frmPiano& p) { p.Butt_MouseMove(static_cast<int>(i)); });
    for (size_t i = 0; i < piano_->lblBank.size(); ++i)
        if (inside(piano_->lblBank[i].rect))
            return run([&](frmPiano& p) { p.lblBank_MouseMove(static_cast<int>(i)); });
    for (size_t i = 0; i < piano_->lblDrums.size(); ++i)
        if (inside(piano_->lblDrums[i].rect))
            return run([&](frmPiano& p) { p.lblDrums_MouseMove(static_cast<int>(i)); });
    for (size_t i = 0; i < piano_->lblBeatCtrl.size(); ++i)
        if (inside(piano_->lblBeatCtrl[i].rect))
            return run([&](frmPiano& p) { p.lblBeatCtrl_MouseMove(static_cast<int>(i)); });
    if (inside(piano_->ChNum.rect)) return run([](frmPiano& p) { p.ChNum_MouseMove(); });
    if (inside(piano_->lblBaseKey.rect)) return run([](frmPiano& p) { p.lblBaseKey_MouseMove(); });
    if (inside(piano_->lblBeat.rect)) return run([](frmPiano& p) { p.lblBeat_MouseMove(); });
    if (inside(piano_->lblInstrument.rect))
        return run([](frmPiano& p) { p.lblInstrument_MouseMove(); });
    if (inside(piano_->lblOver.rect)) return run([](frmPiano& p) { p.lblOver_MouseMove(); });
    for (const auto& strip : piano_->lbl_Move)
        if (inside(strip.rect)) return;
    run([](frmPiano& p) { p.PianoSkin_MouseMove(); });
}

void PianoWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (!piano_) return;
    const QPoint at = event->position().toPoint();
    if (piano_->lblVolume.rect.contains(at.x(), at.y()))
        return run([](frmPiano& p) { p.lblVolume_DblClick(); });
    if (piano_->lblIntro.rect.contains(at.x(), at.y()))
        return run([](frmPiano& p) { p.lblIntro_DblClick(); });
    mousePressEvent(event);
}

void PianoWindow::closeEvent(QCloseEvent* event) {
    run([](frmPiano& p) {
        p.Form_QueryUnload();
        p.Form_Unload();
    });
    event->accept();
}

void PianoWindow::dragEnterEvent(QDragEnterEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls.first().isLocalFile()) event->acceptProposedAction();
}

void PianoWindow::dropEvent(QDropEvent* event) {
    const auto urls = event->mimeData()->urls();
    if (urls.size() != 1 || !urls.first().isLocalFile()) return;
    const std::string path = urls.first().toLocalFile().toStdString();
    bool taken = false;
    run([&](frmPiano& p) { taken = p.Form_FileDropped(path); });
    if (taken) event->acceptProposedAction();
}

std::string PianoWindow::toolTipAt(const QPoint& at) const {
    if (!piano_) return {};
    if (const Label* label = labelAt(at)) return label->toolTip;
    for (const auto& button : piano_->Butt)
        if (button.rect.contains(at.x(), at.y())) return button.toolTip;
    for (const auto& pad : piano_->lblDrums)
        if (pad.rect.contains(at.x(), at.y())) return pad.toolTip;
    for (const auto& strip : piano_->lbl_Move)
        if (strip.rect.contains(at.x(), at.y())) return strip.toolTip;
    return {};
}

bool PianoWindow::event(QEvent* event) {
    switch (event->type()) {
        case QEvent::WindowActivate:
            run([](frmPiano& p) {
                p.keyboardReturned();
                p.Form_GotFocus();
            });
            break;
        case QEvent::WindowDeactivate:
            run([](frmPiano& p) { p.Form_LostFocus(); });
            break;
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
            // Untaken, a touch comes back as the mouse, for everything but the keys.
            if (!piano_ || !piano_->mousePlaysKeys()) break;
            touched(static_cast<QTouchEvent*>(event));
            return true;
        case QEvent::TouchCancel:
            run([](frmPiano& p) { p.PianoKeys_TouchCancel(); });
            return true;
        case QEvent::KeyboardLayoutChange:
            run([](frmPiano& p) { p.Form_KeyboardLayoutChange(); });
            break;
        case QEvent::ToolTip: {
            auto* help = static_cast<QHelpEvent*>(event);
            const std::string tip = toolTipAt(help->pos());
            if (!tip.empty()) {
                QToolTip::showText(help->globalPos(), QString::fromStdString(tip), this);
            } else {
                QToolTip::hideText();
                event->ignore();
            }
            return true;
        }
        default:
            break;
    }
    return QWidget::event(event);
}

}  // namespace tonvel

namespace tonvel {

void PianoWindow::touched(QTouchEvent* event) {
    run([&](frmPiano& p) {
        for (const QEventPoint& point : event->points()) {
            const QPoint at = point.position().toPoint();
            switch (point.state()) {
                case QEventPoint::Pressed:
                    p.PianoKeys_TouchBegin(point.id(), at.x(), at.y());
                    break;
                case QEventPoint::Released:
                    p.PianoKeys_TouchEnd(point.id());
                    break;
                default:
                    p.PianoKeys_TouchMove(point.id(), at.x(), at.y());
                    break;
            }
        }
    });
}

}  // namespace tonvel
