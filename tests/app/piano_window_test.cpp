#include "app/piano_window.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTest>
#include <QUrl>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "fakes/recording_services.h"
#include "resources/default_files.h"
#include "resources/skin_layout.h"

namespace tonvel {
namespace {

class PianoWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // ctest runs each test in a process of its own, side by side.
        dir = std::filesystem::temp_directory_path() /
              ("tonvel-window-test-" + std::to_string(::getpid()));
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        extractDefaultFile(kResourceNames, (dir / "ins.ins").string());
        piano = std::make_unique<frmPiano>(
            FrmPianoServices{midi, dialogs, windowSystem, shell, windows}, dir.string());
        piano->Form_Initialize();
        piano->Form_Load();
        window.attach(piano.get());
        midi.clearSent();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    void key(QEvent::Type type, int qtKey, bool autoRepeat = false) {
        QKeyEvent event(type, qtKey, Qt::NoModifier, QString(), autoRepeat);
        QApplication::sendEvent(&window, &event);
    }

    std::filesystem::path dir;
    testing::RecordingMidiSystem midi;
    testing::RecordingDialogs dialogs;
    testing::RecordingWindowSystem windowSystem;
    testing::RecordingShell shell;
    testing::RecordingAuxiliaryWindows windows{windowSystem};
    std::unique_ptr<frmPiano> piano;
    PianoWindow window;
};

TEST_F(PianoWindowTest, AutoRepeatKeepsTheNoteSounding) {
    key(QEvent::KeyPress, Qt::Key_Z);
    for (int i = 0; i < 5; ++i) {
        key(QEvent::KeyRelease, Qt::Key_Z, true);
        key(QEvent::KeyPress, Qt::Key_Z, true);
    }
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 36 7F"}));
    key(QEvent::KeyRelease, Qt::Key_Z);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 36 7F", "80 36 00"}));
}

TEST_F(PianoWindowTest, DeactivationReleasesHeldKeys) {
    key(QEvent::KeyPress, Qt::Key_M);
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(&window, &deactivate);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 41 7F", "80 41 00"}));
}

TEST_F(PianoWindowTest, TheClearTimerRunsWhileItsModelIsEnabled) {
    piano->PCap.caption = "text";
    piano->tmrCap.interval = 20;
    piano->PianoSkin_MouseMove();
    window.refresh();
    for (int i = 0; i < 50 && !piano->PCap.caption.empty(); ++i) QTest::qWait(10);
    EXPECT_EQ(piano->PCap.caption, "");
    EXPECT_FALSE(piano->tmrCap.enabled);
}

// Red lettering on the light panels and caps, antialiased edges included.
bool isLettering(QRgb c) {
    return qRed(c) - qGreen(c) > 60 && qRed(c) - qBlue(c) > 60;
}

TEST_F(PianoWindowTest, NamesFitInsideTheirPanelsAwayFromTheEdges) {
    const std::string typed = "My Very Own Grand Piano Sampled In A Cathedral";
    struct Case {
        const char* what;
        std::function<void()> show;
        const Label& label;
    };
    const Case cases[] = {
        {"channel 49", [&] { piano->mnuPiano_Click(48); }, piano->lblInstrument},
        {"channel 50", [&] { piano->mnuPiano_Click(49); }, piano->lblInstrument},
        {"a name from the names file",
         [&] {
             piano->mnuPiano[5].caption = typed;
             piano->mnuPiano_Click(5);
         },
         piano->lblInstrument},
        {"a channel's name on the status line",
         [&] { piano->PCap.caption = "Channel : 6 " + typed; }, piano->PCap},
        {"the rhythm's name", [&] { piano->mnuBeat_Click(0); }, piano->lblBeat},
    };
    for (const Case& c : cases) {
        c.show();
        window.refresh();
        const QImage shot = window.grab().toImage();
        const Rect& r = c.label.rect;
        int inside = 0, atTheEdges = 0;
        for (int y = r.top; y < r.top + r.height; ++y)
            for (int x = r.left; x < r.left + r.width; ++x) {
                if (!isLettering(shot.pixel(x, y))) continue;
                const bool edge = x < r.left + 2 || x >= r.left + r.width - 2;
                (edge ? atTheEdges : inside) += 1;
            }
        EXPECT_GT(inside, 30) << c.what << ": " << c.label.caption;
        EXPECT_EQ(atTheEdges, 0) << c.what << ": " << c.label.caption;
    }
    EXPECT_EQ(piano->mnuPiano[48].caption, "Acoustic String Ensemble 1");
}

TEST_F(PianoWindowTest, TransportButtonsShowTheirGlyphsLitAndUnlit) {
    piano->lblBeatCtrl_MouseDown(0, 1, 0, 0, 0);  // Play lights up
    window.refresh();
    const QImage shot = window.grab().toImage();
    struct Glyph {
        std::vector<int> rows;  // widths of the lettering's rows, top to bottom
        int strongest = 0;      // red over green of its most saturated pixel
    };
    const auto glyphOf = [&](const Label& button) {
        Glyph g;
        const Rect& r = button.rect;
        for (int y = r.top; y < r.top + r.height; ++y) {
            int row = 0;
            for (int x = r.left; x < r.left + r.width; ++x) {
                const QRgb c = shot.pixel(x, y);
                if (!isLettering(c)) continue;
                ++row;
                g.strongest = std::max(g.strongest, qRed(c) - qGreen(c));
            }
            if (row > 0) g.rows.push_back(row);
        }
        return g;
    };
    const Glyph play = glyphOf(piano->lblBeatCtrl[0]);
    const Glyph ending = glyphOf(piano->lblBeatCtrl[3]);
    const Glyph stop = glyphOf(piano->lblBeatCtrl[4]);
    EXPECT_GT(play.strongest, 220) << "lit: bright red";
    EXPECT_LT(stop.strongest, 150) << "unlit: dark red";
    ASSERT_GT(ending.rows.size(), 4u);
    EXPECT_TRUE(std::is_sorted(ending.rows.rbegin(), ending.rows.rend())) << "ending points down";
    EXPECT_GT(ending.rows.front(), 3 * ending.rows.back());
    EXPECT_EQ(piano->lblBeatCtrl[1].caption, "\u23ED");
    EXPECT_EQ(piano->lblBeatCtrl[3].caption, "\u25BC");
}

}  // namespace
}  // namespace tonvel

namespace tonvel {
namespace {

// Each finger plays its own key, so a chord can be touched; lifting them ends it.
// A MIDI file dropped on the window opens as the song; any other file is refused.
TEST_F(PianoWindowTest, AMidiFileDroppedOnTheWindowOpensAsTheSong) {
    for (const char* name : {"notes.txt", "Dropped.MID"}) {
        std::ofstream(dir / name, std::ios::binary) << std::string(
            "MThd\0\0\0\6\0\0\0\1\1\xE0MTrk\0\0\0\x0C\0\x90\x3C\x40\x60\x80\x3C\0"
            "\0\xFF\x2F\0",
            34);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString((dir / name).string()))});
        QDragEnterEvent enter(QPoint(20, 20), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(&window, &enter);
        EXPECT_TRUE(enter.isAccepted()) << name;
        QDropEvent drop(QPointF(20, 20), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&window, &drop);
        const bool song = std::string(name) == "Dropped.MID";
        EXPECT_EQ(drop.isAccepted(), song) << name;
        EXPECT_EQ(piano->PCap.caption == "Song : Dropped  0:00", song) << piano->PCap.caption;
    }
}

TEST_F(PianoWindowTest, FingersOnTheKeysPlayAChord) {
    piano->mnu_mousekeys_Click();
    const auto centre = [&](size_t i) {
        const Rect& r = piano->shpKeys[i].rect;
        return QPoint((r.left + r.width / 2) / 15, (r.top + r.height / 2) / 15);
    };
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    midi.clearSent();
    QPointingDevice* screen = QTest::createTouchDevice();
    QTest::touchEvent(&window, screen).press(0, centre(0)).press(1, centre(4));
    QTest::touchEvent(&window, screen).release(0, centre(0)).release(1, centre(4));
    EXPECT_EQ(midi.sentHex(),
              (std::vector<std::string>{"90 36 7F", "90 3A 7F", "80 36 00", "80 3A 00"}));
}

}  // namespace
}  // namespace tonvel
