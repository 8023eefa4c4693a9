#include <algorithm>
#include <functional>

#include "fakes/fake_sound_export.h"
#include "fakes/piano_fixture.h"
#include "shell/accessible_names.h"

namespace tonvel {
namespace {

constexpr int kCtrlKey = 17;
constexpr int kKeyG = 'G', kKeyZ = 'Z';  // piano keys 6 and 0: notes 60 and 54 at base note E

class SongWindow : public testing::PianoFixture {
  protected:
    void SetUp() override {
        PianoFixture::SetUp();
        soundExport = &exporter;
        start();
        piano->recordingsDirectory = (dir / "Music").string();
        midi.clearSent();
    }
    void ctrl(int key) {
        piano->keyPressed(kCtrlKey, kCtrlMask);
        piano->keyPressed(key, kCtrlMask);
        piano->keyReleased(key, kCtrlMask);
        piano->keyReleased(kCtrlKey, 0);
    }
    void open(const std::string& file) {
        dialogs.fileAnswers.push_back(std::string(TONVEL_TEST_DATA) + "/songs/" + file);
        ctrl('O');
    }
    // The timer's ticks as the front end runs them, until `ms` from now.
    void playFor(int ms) {
        for (int left = ms; piano->tmrPlay.enabled && left >= piano->tmrPlay.interval;) {
            left -= piano->tmrPlay.interval;
            clock.advance(piano->tmrPlay.interval);
            piano->tmrPlay_Timer();
        }
    }
    testing::FakeSoundExporter exporter;
};

TEST_F(SongWindow, ASongLightsTheKeysAndPadsItSoundsAndAStopEndsThem) {
    open("tempo_changes_f1.mid");
    EXPECT_EQ(piano->PCap.caption, "Song : tempo_changes_f1  0:02");
    ctrl('P');
    playFor(20);  // channel 3 plays 67 (key 13); the drums 36, pad 10's note
    EXPECT_TRUE(piano->shpKeys[13].visible);
    EXPECT_EQ(piano->shpKeys[13].fillColor, kKeyLightFill);
    EXPECT_EQ(piano->shpDrums[10].fillColor, kPadSounding);
    piano->tmrSong_Timer();
    EXPECT_EQ(piano->PCap.caption, "tempo_changes_f1  0:00 / 0:02");
    midi.clearSent();
    ctrl('P');
    EXPECT_FALSE(piano->shpKeys[13].visible);
    EXPECT_EQ(piano->shpDrums[10].fillColor, kPadAtRest);
    EXPECT_TRUE(midi.silent());
    EXPECT_EQ(piano->PCap.caption, "Playing Song : OFF");
}

TEST_F(SongWindow, WaitForMeHoldsAtTheNoteUntilItsKeyIsPlayed) {
    open("tempo_change_f0.mid");
    piano->mnu_waitforme_Click();
    ctrl('P');
    playFor(1000);
    EXPECT_EQ(piano->shpKeys[6].fillColor, kAwaitedFill);
    EXPECT_TRUE(piano->shpKeys[6].visible);
    EXPECT_EQ(piano->songDescription(), "Song: tempo_change_f0, waiting for C 4, key G");
    midi.clearSent();
    piano->keyPressed(kKeyZ, 0);
    piano->keyReleased(kKeyZ, 0);
    playFor(1000);
    // Only the wrong key's own note: the song stays where it was.
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 36 7F", "80 36 00"}));
    midi.clearSent();
    piano->keyPressed(kKeyG, 0);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 3C 7F"}));
    playFor(500);  // half a second on, the part's next note: the bass there waits with it
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 3C 7F"}));
    EXPECT_EQ(piano->songDescription(), "Song: tempo_change_f0, waiting for D 4, key H");
    piano->keyPressed('H', 0);
    EXPECT_EQ(midi.sentHex(), (std::vector<std::string>{"90 3C 7F", "90 3E 7F", "91 2B 5A"}));
}

// A screen reader hears the song start and wait, never its running place.
TEST_F(SongWindow, WhatASongDoesIsSpokenAndWhereItIsIsNot) {
    open("reel_f1.mid");
    piano->mnu_waitforme_Click();
    piano->tmrCap_Timer();
    struct Case {
        const char* what;
        std::function<void()> act;
        std::optional<std::string> spoken;
    };
    const Case cases[] = {
        {"Ctrl+P", [&] { ctrl('P'); }, "Song: reel_f1, playing"},
        {"at the part's first note", [&] { playFor(30); }, "Song: reel_f1, waiting for D 4, key H"},
        {"played", [&] { piano->keyPressed('H', 0); }, "Song: reel_f1, playing"},
        {"Wait for Me off", [&] { piano->mnu_waitforme_Click(); }, "Wait for Me : OFF"},
        {"the status line free", [&] { piano->tmrCap_Timer(), piano->tmrSong_Timer(); },
         std::nullopt},
        {"two seconds on", [&] { playFor(2000), piano->tmrSong_Timer(); }, std::nullopt},
    };
    for (const Case& c : cases) {
        const auto before = accessibleItems(*piano);
        c.act();
        const auto after = accessibleItems(*piano);
        const auto difference = accessibleDifference(before, after);
        EXPECT_FALSE(difference.changes.empty()) << c.what;
        if (!c.spoken) {
            EXPECT_FALSE(difference.announce) << c.what;
            continue;
        }
        ASSERT_TRUE(difference.announce) << c.what;
        EXPECT_EQ(after[*difference.announce].name, *c.spoken) << c.what;
    }
}

TEST_F(SongWindow, ExportRendersTheSongOrTheTakeAndTellsHowItWent) {
    ctrl('E');
    EXPECT_EQ(piano->PCap.caption, "No Recording to Export");
    open("reel_f1.mid");
    const std::string target = (dir / "Music" / "reel.flac").string();
    struct Case {
        std::optional<std::string> failure;
        bool cancel;
        std::string status;
    };
    const Case cases[] = {{std::nullopt, false, "Exported : " + target},
                          {"the disk is full", false, "Export Sound : FAILED"},
                          {std::nullopt, true, "Export Sound : CANCELLED"}};
    for (const Case& c : cases) {
        dialogs.fileAnswers.push_back(target);
        ctrl('E');
        ASSERT_FALSE(dialogs.fileDialogs.empty());
        EXPECT_EQ(dialogs.fileDialogs.back(),
                  "Export Sound: " + (dir / "Music").string() + "/reel_f1.wav");
        ASSERT_NE(exporter.last, nullptr);
        EXPECT_EQ(exporter.jobs.back().path, target);
        EXPECT_EQ(exporter.jobs.back().type, SoundFileType::Flac);
        EXPECT_EQ(exporter.jobs.back().sound.soundFont, "/sf/GM.sf2");
        EXPECT_EQ(exporter.jobs.back().messages.size(), 34u);
        exporter.last->progressNow = 0.42;
        piano->tmrExport_Timer();
        EXPECT_EQ(piano->PCap.caption, "Exporting Sound : 42%");
        if (c.cancel) {
            ctrl('E');
            EXPECT_TRUE(exporter.last->cancelAsked);
        }
        exporter.last->failed = c.failure;
        exporter.last->wasCancelled = c.cancel;
        exporter.last->done = true;
        piano->tmrExport_Timer();
        EXPECT_FALSE(piano->tmrExport.enabled);
        EXPECT_EQ(piano->PCap.caption, c.status);
        if (c.failure) {
            ASSERT_FALSE(dialogs.messages.empty());
            EXPECT_EQ(dialogs.messages.back().text,
                      "Unable to Export the Sound!!\r" + target + "\r" + *c.failure);
        }
    }
}

}  // namespace
}  // namespace tonvel
