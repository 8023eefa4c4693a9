#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>

#include "app/accessibility/accessible_controls.h"
#include "app/application_identity.h"
#include "app/command_line.h"
#include "app/display_hold.h"
#include "app/exit_watchdog.h"
#include "app/instance_lock.h"
#include "app/midi_input_pump.h"
#include "app/piano_window.h"
#include "app/program_directory.h"
#include "app/qt_auxiliary_windows.h"
#include "app/qt_desktop_shell.h"
#include "app/qt_dialogs.h"
#include "app/qt_http_fetch.h"
#include "app/qt_window_system.h"
#include "app/splash_window.h"
#include "app/startup_after_paint.h"
#include "app/stay_on_top_refusal.h"
#include "app/stderr_notices.h"
#include "app/termination_signals.h"
#include "app/topmost.h"
#include "app/wayland_keyboard.h"
#include "app/window_shape.h"
#include "app/x11_keyboard.h"
#include "app/xkb_key_caps.h"
#include "foundation/output_clock.h"
#include "midi/input/platform_midi_input.h"
#include "midi/ports/platform_midi_system.h"
#include "midi/sender/scheduled_midi_system.h"
#include "midi/synth/fluid_sound_export.h"
#include "mixer/backends/alsa_mixer_device.h"
#include "performance/preferences_file.h"
#include "resources/skin/skin_resources.h"
#include "shell/frm_piano.h"
#include "windows/splash.h"

namespace {

// Everything the program runs on, with the main window made on first use, as the splash
// asks for it.
class Program : public tonvel::SplashHost {
  public:
    Program(QString programDirectory, QString executableDirectory,
            const tonvel::SoundOptions& sound)
        : programDirectory_(std::move(programDirectory)),
          executableDirectory_(std::move(executableDirectory)),
          platformMidi_(sound),
          exporter_(std::function<tonvel::SynthSound()>(
              [this] { return platformMidi_.soundChoice().currentSound(); })) {}

    void loadMainWindow() override {
        if (!piano_) {
            // The splash's timer counts from its enabling, while the main window loads.
            if (splashWindow_) splashWindow_->refresh();
            piano_ = std::make_unique<tonvel::frmPiano>(
                tonvel::FrmPianoServices{midi_, dialogs_, windowSystem_, shell_, auxiliary_,
                                         keyCaps(), &clock_, &midiInput_, &preferences_, &exporter_,
                                         &notices_, &platformMidi_.soundChoice()},
                programDirectory_.toStdString());
            piano_->helpDirectory = tonvel::chooseHelpDirectory(executableDirectory_).toStdString();
            piano_->unloadSplash = [this] { unloadSplash(); };
            piano_->recordingsDirectory = tonvel::chooseRecordingsDirectory().toStdString();
            piano_->homeDirectory = QDir::homePath().toStdString();
            window_.attach(piano_.get(), &midi_, &clock_);
            auto* controls = tonvel::describePaintedWindow(&window_, [this] {
                if (!piano_) return std::vector<tonvel::AccessibleItem>{};
                return tonvel::accessibleItems(*piano_);
            });
            window_.refreshed = [this, controls] {
                if (!tonvel::stayOnTopAvailable()) stayOnTopRefusal_.settle(*piano_);
                controls->changed();
            };
            piano_->Form_Initialize();
            piano_->Form_Load();
            // Not before: a box the loading shows runs the event loop, and the window is not
            // ready to play what comes in.
            midiInputPump_ = std::make_unique<tonvel::MidiInputPump>(
                midiInput_.eventDescriptor(), [this] { window_.midiArrived(); });
            window_.refresh();
        }
    }

    tonvel::MainWindowKeyLights mainWindowKeyLights() override {
        return {piano_->shpKeys, piano_->wkeys};
    }

    void applyMainWindowOutline() override {
        const QRgb white = qRgb(255, 255, 255);
        tonvel::applyKeyColourRegion(
            &window_, tonvel::skin::image(QString::fromLatin1(tonvel::skin::kPianoPicture)), white);
        window_.seeThroughKeyColour(white);
    }

    void showMainWindow() override {
        // From now on the program ends when its main window closes.
        QApplication::setQuitOnLastWindowClosed(true);
        window_.refresh();
        window_.show();
        window_.activateWindow();
    }

    void unloadSplash() override {
        if (!splash_ || !splash_->loaded()) return;
        splashWindow_->hide();
        splash_->Form_Unload();
        splashWindow_->refresh();
    }

    // Logout, shutdown or a signal: the same end as the Exit command, and a normal exit status.
    void endCleanly() {
        if (piano_ && !piano_->isUnloaded()) {
            piano_->mnu_exit_Click();
            // A window that was never shown may not have taken the close.
            if (!piano_->isUnloaded()) {
                piano_->Form_QueryUnload();
                piano_->Form_Unload();
            }
        }
        QCoreApplication::exit(0);
    }

    void start() {
        // What the sound's threads met is told from here, once each: they never print. Often
        // enough that a server's return is told as it sounds again.
        reports_.setInterval(250);
        QObject::connect(&reports_, &QTimer::timeout, [this] { tellReports(); });
        reports_.start();
        splash_ = std::make_unique<tonvel::splash>(*this, mixer_, programDirectory_.toStdString());
        splashWindow_ = std::make_unique<tonvel::SplashWindow>(*splash_);
        // The SoundFont and the MIDI output take a while to load: the splash shows first.
        splashLoad_ = std::make_unique<tonvel::StartupAfterPaint>(
            splashWindow_.get(),
            [this] {
                // The icon lookup takes a moment and no window needs it before the main one.
                tonvel::nameApplication();
                splash_->Form_Load();
                splashWindow_->refresh();
            },
            std::chrono::milliseconds(300));
        splashWindow_->show();
    }

  private:
    tonvel::KeyCaps* keyCaps() {
        if (waylandKeyboard_.connected()) return &waylandKeyboard_;
        return &keyCaps_;
    }

    void tellReports() {
        // Engines that rang out after another SoundFont took over are freed.
        platformMidi_.builtinSynth().collect();
        for (const auto& text : {midi_.report(), platformMidi_.report()})
            if (text) std::fprintf(stderr, "tonvel: %s\n", text->c_str());
        for (const auto& news : platformMidi_.news()) {
            std::fprintf(stderr, "tonvel: %s\n", news.detail.c_str());
            window_.outputNews(news.status, platformMidi_.outputPresent());
        }
    }

    QString programDirectory_;
    QString executableDirectory_;
    tonvel::PreferencesFile preferences_{
        (programDirectory_ + QStringLiteral("/tonvel.ini")).toStdString()};
    tonvel::StderrNotices notices_;
    // Before the output, so that its JACK client takes the program's name.
    tonvel::PlatformMidiInput midiInput_;
    tonvel::PlatformMidiSystem platformMidi_;
    tonvel::ScheduledMidiSystem midi_{platformMidi_};
    tonvel::OutputClock clock_;
    // Sound files sound like the built-in synthesizer: its SoundFont, level and effects.
    tonvel::FluidSoundExporter exporter_;
    tonvel::AlsaMixerDevice mixer_;
    tonvel::PianoWindow window_;
    tonvel::XkbKeyCaps keyCaps_{&window_};
    tonvel::WaylandKeyboard waylandKeyboard_{&window_};
    tonvel::QtDialogs dialogs_{&window_};
    tonvel::QtWindowSystem windowSystem_{&window_};
    tonvel::QtDesktopShell shell_;
    tonvel::QtHttpFetch http_;
    tonvel::QtAuxiliaryWindows auxiliary_{dialogs_, shell_, http_, programDirectory_.toStdString(),
                                          &window_};
    std::unique_ptr<tonvel::frmPiano> piano_;
    tonvel::StayOnTopRefusal stayOnTopRefusal_{tonvel::kStayOnTopRefusedOnWayland};
    std::unique_ptr<tonvel::MidiInputPump> midiInputPump_;
    std::unique_ptr<tonvel::splash> splash_;
    std::unique_ptr<tonvel::SplashWindow> splashWindow_;
    std::unique_ptr<tonvel::StartupAfterPaint> splashLoad_;
    QTimer reports_;
};

}  // namespace

int main(int argc, char** argv) {
    tonvel::SoundOptions sound;
    if (const auto status = tonvel::answerCommandLine(argc, argv, sound)) return *status;
    const tonvel::DisplayHold display;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("tonvel"));
    tonvel::skin::initResources();
    const QString executableDirectory = QCoreApplication::applicationDirPath();
    const QString programDirectory = tonvel::chooseProgramDirectory(executableDirectory);

    tonvel::InstanceLock instance;
    if (!instance.acquire()) {
        tonvel::nameApplication();
        QMessageBox::warning(nullptr, QString::fromUtf8(tonvel::kProgramTitle),
                             QStringLiteral("Tonvel is already Running!!   "));
        return 0;
    }

    // Held keys then report presses alone, so a repeat never looks like a release.
    tonvel::enableDetectableAutoRepeat();

    // The splash does not count as a window for Qt: without this, a message box closed while the
    // main window loads behind it (an unreadable settings file) would end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    Program program(programDirectory, executableDirectory, sound);
    tonvel::startExitWatchdog(std::chrono::milliseconds(1500));
    tonvel::TerminationSignals terminationSignals([&program] { program.endCleanly(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, &app, [&program] {
        tonvel::requestExit();
        program.endCleanly();
    });
    program.start();
    return app.exec();
}
