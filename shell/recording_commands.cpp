#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <limits>
#include <utility>

#include "foundation/output_clock.h"
#include "midi/midi_out.h"
#include "platform/file_write.h"
#include "recording/recording_file.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {

// Where a recording that could not be saved at the exit waits for the next start; when that name
// is taken (a folder, a link, a file of someone else's), the next free one of "unsaved recording
// (2).mid" up to this many.
constexpr const char* kUnsavedRecording = "unsaved recording.mid";
// From Ctrl+P to the recording's time 0.
constexpr int64_t kPlaybackStart = 20;
constexpr int kKeptNames = 20;

}  // namespace

// "~/Music/Tonvel/..." rather than the whole path, where it is under the home folder.
std::string frmPiano::shownPath(const std::string& path) const {
    const std::string& home = homeDirectory;
    if (!home.empty() && path.rfind(home + "/", 0) == 0) return "~" + path.substr(home.size());
    return path;
}

Clock& frmPiano::clock() {
    // With no clock given, the present.
    static OutputClock present;
    return services_.clock ? *services_.clock : present;
}

void frmPiano::recordSent(uint32_t message) {
    if (take_) take_->add(clock().now(), message, sendingFor_);
}

void frmPiano::mnu_record_Click() {
    if (!take_) {
        // The file starts with the instrument in use, so that it sounds the same from its first
        // note.
        const auto selection = programSelection(0, state.currentProgram);
        take_ = std::make_unique<Take>(clock().now(),
                                       std::vector<uint32_t>(selection.begin(), selection.end()));
        shpRec.visible = lblRec.visible = true;
        setRecordingChecks();
        PCap.caption = "Recording : ON";
        return;
    }
    finishRecording();
}

void frmPiano::finishRecording(bool atExit) {
    if (!take_) return;
    auto messages = take_->finish(clock().now());
    take_.reset();
    shpRec.visible = lblRec.visible = false;
    setRecordingChecks();
    // Kept for Ctrl+P even when it cannot be saved; Ctrl+P plays it rather than a song now.
    lastRecording_ = messages;
    playsSong_ = false;
    const std::string path = newRecordingPath(recordingsDirectory, std::time(nullptr));
    if (const auto failure = saveRecording(path, messages)) {
        lastRecordingPath_.clear();
        if (atExit) return;
        PCap.caption = "Recording : NOT SAVED";
        services_.dialogs.messageBox("Unable to Save the Recording!!\r" + path + "\r" + *failure +
                                         "\rCtrl+P still plays it until the program ends.",
                                     MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
        return;
    }
    lastRecordingPath_ = path;
    PCap.caption = "Saved : " + shownPath(path);
}

// No one is left at the exit to answer a box: a recording not saved, now or when it ended, waits
// beside the settings for the next start to tell of. It never replaces anything there.
void frmPiano::keepUnsavedRecording() {
    if (!lastRecording_ || !lastRecordingPath_.empty()) return;
    const std::string usual = pathInProgramDirectory(kUnsavedRecording);
    std::string failure;
    for (int n = 1; n <= kKeptNames; ++n) {
        const std::string path = numberedPath(usual, n);
        int error = 0;
        const auto why = saveRecording(path, *lastRecording_, &error);
        if (!why) {
            if (n > 1)
                tell(shownPath(usual) + " is taken: the recording is kept as " + shownPath(path));
            return;
        }
        failure = *why;
        if (error != EEXIST) break;
    }
    tell("The recording could not be kept in " + shownPath(programDirectory_) + ": " + failure);
}

// A recording kept at the last exit takes a dated name, which frees the waiting one for another
// time and keeps it from being told of twice.
void frmPiano::takeKeptRecording() {
    namespace fs = std::filesystem;
    const std::string usual = pathInProgramDirectory(kUnsavedRecording);
    for (int n = 1; n <= kKeptNames; ++n) {
        const std::string kept = numberedPath(usual, n);
        std::error_code error;
        if (!fs::is_regular_file(fs::symlink_status(kept, error))) continue;
        keptUnderAnotherName_ = keptUnderAnotherName_ || n > 1;
        const auto written = fs::last_write_time(kept, error);
        const std::time_t when =
            error ? std::time(nullptr)
                  : std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
        const std::string dated = newRecordingPath(programDirectory_, when);
        keptRecordings_.push_back(renameToFreeName(kept, dated) ? dated : kept);
    }
}

void frmPiano::reportKeptRecording() {
    if (unloaded_ || keptRecordings_.empty()) return;
    const auto kept = std::exchange(keptRecordings_, {});
    if (std::exchange(keptUnderAnotherName_, false))
        tell("Take kept under another name: " + kept.back());
    std::string where;
    for (const auto& path : kept) where += "\r" + shownPath(path);
    services_.dialogs.messageBox(
        "A recording made the last time Tonvel ran could not be saved in\r" +
            shownPath(recordingsDirectory) + "\r\rIt is kept as" + where,
        MessageIcon::Information, MessageButtons::Ok, kProgramTitle);
}

void frmPiano::mnu_playrec_Click() {
    if (songPlayer_) {
        stopPlayback();
        PCap.caption = "Playing Song : OFF";
        return;
    }
    if (playback_) {
        stopPlayback();
        PCap.caption = "Playing Recording : OFF";
        return;
    }
    if (playsSong_ && song_) return startSong();
    std::optional<std::vector<TimedMessage>> messages = lastRecording_;
    if (!messages) {
        const auto newest = newestRecording(recordingsDirectory);
        if (!newest) {
            PCap.caption = "No Recording to Play";
            return;
        }
        std::string why;
        messages = loadRecording(*newest, &why);
        if (!messages) {
            services_.dialogs.messageBox("Unable to Play the Recording!!\r" + *newest + "\r" + why,
                                         MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
            return;
        }
    }
    playback_ = std::make_unique<Playback>(std::move(*messages));
    const auto first = playback_->firstWait();
    if (!first) {
        playback_.reset();
        PCap.caption = "No Recording to Play";
        return;
    }
    tmrPlay.enabled = true;
    setRecordingChecks();
    PCap.caption = "Playing Recording : ON";
    // Even the first messages leave through the timer, on the grid all the others keep: sent
    // at once, they left ahead of the rest by however long the window took to start the timer.
    waitForPlayback(*first + kPlaybackStart);
}

// The timer counts in int milliseconds: a longer wait is taken in steps.
void frmPiano::waitForPlayback(int64_t ms) {
    const int64_t wait = std::max<int64_t>(ms, 1);
    const int64_t step = std::min<int64_t>(wait, std::numeric_limits<int>::max());
    tmrPlay.interval = static_cast<int>(step);
    playbackWaitLeft_ = wait - step;
}

void frmPiano::tmrPlay_Timer() {
    if (songPlayer_) return songTick();
    const SendingFor sending(*this, &tmrPlay);
    if (!playback_) {
        tmrPlay.enabled = false;
        return;
    }
    if (playbackWaitLeft_ > 0) return waitForPlayback(playbackWaitLeft_);
    for (uint32_t message : playback_->next()) midiOut.sendMessage(message);
    if (const auto wait = playback_->waitForNext()) {
        waitForPlayback(*wait);
        return;
    }
    // The end: its note-offs leave with the last messages, at their time.
    stopPlayback(false);
    PCap.caption = "Playing Recording : OFF";
}

void frmPiano::stopPlayback(bool early) {
    stopSong(early);
    if (!playback_) return;
    tmrPlay.enabled = false;
    // What the timer handed over ahead of its time must not sound after the note-offs.
    if (early) midiOut.dropTimed(&tmrPlay, clock().now());
    for (uint32_t off : playback_->silence()) midiOut.sendMessage(off);
    // The keys play on with the instrument chosen, whatever the recording chose.
    if (playback_->changedProgram()) midiOut.selectProgram(0, state.currentProgram);
    playback_.reset();
    playbackWaitLeft_ = 0;
    setRecordingChecks();
}

void frmPiano::setRecordingChecks() {
    for (auto& item : mnu_RMNU.children) {
        if (item.name == "mnu_Rrecord") item.checked = take_ != nullptr;
        if (item.name == "mnu_Rplay") {
            item.checked = playback_ != nullptr || songPlayer_ != nullptr;
            item.caption =
                playsSong_ && song_ ? "&Play Song\tCtrl+P" : "&Play Last Recording\tCtrl+P";
        }
    }
}

void frmPiano::mnu_recfolder_Click() {
    std::error_code ignored;
    std::filesystem::create_directories(recordingsDirectory, ignored);
    services_.shell.openDocument(recordingsDirectory);
}

}  // namespace tonvel
