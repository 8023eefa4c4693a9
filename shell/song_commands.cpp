#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "recording/recording_file.h"
#include "shell/accessible_names.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {

constexpr int kNoteOffset = 50;
constexpr int kKeys = 36;
// While the song waits for the player, the timer only keeps its count.
constexpr int kIdleTick = 250;
constexpr auto kSongStart = std::chrono::milliseconds(20);
const std::vector<std::string> kSongFilters = {"MIDI Files (*.mid *.midi *.kar)", "All Files (*)"};
const std::vector<std::string> kSoundFilters = {"WAV Sound (*.wav)", "FLAC Sound (*.flac)"};

std::string lowered(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string octaves(int shift) {
    const int count = std::abs(shift) / 12;
    return std::to_string(count) + (count == 1 ? " octave" : " octaves");
}

int milliseconds(SongPlayer::TimePoint::duration d) {
    const auto ms = std::llround(std::chrono::duration<double, std::milli>(d).count());
    return static_cast<int>(std::clamp<long long>(ms, 1, std::numeric_limits<int>::max()));
}

}  // namespace

void frmPiano::mnu_opensong_Click() {
    const std::string start = song_ && !songFolder_.empty() ? songFolder_ : recordingsDirectory;
    std::optional<std::string> path;
    suspendKeys();
    showModal([&] { path = services_.dialogs.openFileName("Open Song", start, kSongFilters); });
    resumeKeys();
    if (path && !unloaded_) openSong(*path);
}

bool frmPiano::Form_FileDropped(const std::string& path) {
    const std::string extension = lowered(std::filesystem::path(path).extension().string());
    if (extension == ".sf2" || extension == ".sf3") {
        if (!services_.sound) return false;
        loadSoundFont(path);
        return true;
    }
    if (extension != ".mid" && extension != ".midi" && extension != ".kar") return false;
    openSong(path);
    return true;
}

void frmPiano::openSong(const std::string& path) {
    std::string why;
    auto song = loadSong(path, &why);
    if (!song) {
        services_.dialogs.messageBox("Unable to Open the Song!!\r" + path + "\r" + why,
                                     MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
        return;
    }
    stopPlayback();
    songFolder_ = std::filesystem::path(path).parent_path().string();
    song_ = std::make_shared<const Song>(std::move(*song));
    playsSong_ = true;
    songPart_ = busiestPart(*song_);
    setSongMenus();
    setRecordingChecks();
    PCap.caption = "Song : " + song_->name + "  " + clockText(song_->lengthMs);
}

void frmPiano::setSongMenus() {
    std::vector<MenuItem> parts;
    if (song_) {
        for (int channel = 0; channel < 16; ++channel) {
            const auto c = static_cast<size_t>(channel);
            if (channel == kSongDrumChannel || song_->notes[c] == 0) continue;
            const int program = std::max(song_->programs[c], 0);
            const std::string instrument = static_cast<size_t>(program) < mnuPiano.size()
                                               ? mnuPiano[static_cast<size_t>(program)].caption
                                               : std::to_string(program + 1);
            parts.push_back(MenuItem{.name = "mnuPart",
                                     .index = channel,
                                     .caption = "Channel " + std::to_string(channel + 1) + " : " +
                                                instrument + " (" +
                                                std::to_string(song_->notes[c]) + " notes)",
                                     .checked = songPart_ == channel,
                                     .literalCaption = true});
        }
    }
    if (parts.empty())
        parts.push_back(MenuItem{.name = "mnuPart", .caption = "(no song)", .enabled = false});
    for (MenuItem* menu : {&mMenu, &mnu_RMNU}) {
        for (auto& item : menu->children) {
            if (item.name == "mnu_part" || item.name == "mnu_Rpart") item.children = parts;
            if (item.name == "mnu_waitforme" || item.name == "mnu_Rwait") item.checked = waitForMe_;
            if (item.name == "mnu_export" || item.name == "mnu_Rexport")
                item.caption = export_ ? "Cancel &Export\tCtrl+E" : "&Export Sound...\tCtrl+E";
        }
    }
}

void frmPiano::mnu_waitforme_Click() {
    waitForMe_ = !waitForMe_;
    setSongMenus();
    if (songPlayer_) {
        const auto now = clock().now();
        for (uint32_t off : songPlayer_->setPart(waitPart(), now)) midiOut.sendMessage(off);
        if (songPlayer_->waiting() == false) scheduleSong();
        showSongLights();
    }
    PCap.caption = waitForMe_ ? "Wait for Me : ON" : "Wait for Me : OFF";
    if (waitForMe_ && song_ && waitPart()) {
        const int shift = partShift(*song_, *waitPart(), lowestKeyNote());
        if (shift != 0)
            PCap.caption +=
                std::string(", part moved ") + (shift > 0 ? "up " : "down ") + octaves(shift);
    }
}

void frmPiano::mnuPart_Click(int index) {
    if (!song_ || index < 0 || index > 15) return;
    songPart_ = index;
    setSongMenus();
    if (songPlayer_ && waitForMe_) {
        for (uint32_t off : songPlayer_->setPart(waitPart(), clock().now()))
            midiOut.sendMessage(off);
        scheduleSong();
        showSongLights();
    }
}

std::optional<int> frmPiano::waitPart() const {
    if (!waitForMe_ || !song_) return std::nullopt;
    return songPart_;
}

int frmPiano::lowestKeyNote() const {
    return state.baseKey + kNoteOffset;
}

double frmPiano::songSpeed() const {
    // The tempo slider's -100..100: half speed to double.
    const double tempo = std::strtod(lblIntrHold.caption.c_str(), nullptr);
    return std::pow(2.0, std::clamp(tempo, -100.0, 100.0) / 100.0);
}

void frmPiano::startSong() {
    const auto now = clock().now();
    // A moment from now, so that its first messages leave at their time as all others do.
    songPlayer_ = std::make_unique<SongPlayer>(song_, now + kSongStart, songSpeed(), waitPart(),
                                               lowestKeyNote());
    lastSongTick_ = now;
    tmrPlay.enabled = true;
    tmrSong.enabled = true;
    setRecordingChecks();
    songLine_.clear();
    PCap.caption = songStatus(now);
    songLine_ = PCap.caption;
    if (waitPart() && songPlayer_->partShift() != 0) {
        const int shift = songPlayer_->partShift();
        PCap.caption = std::string("Part moved ") + (shift > 0 ? "up " : "down ") + octaves(shift);
        tmrCap.enabled = true;
    }
    showSongLights();
    scheduleSong();
}

void frmPiano::songTick() {
    const SendingFor sending(*this, &tmrPlay);
    const auto now = clock().now();
    lastSongTick_ = now;
    for (uint32_t message : songPlayer_->due(now)) midiOut.sendMessage(message);
    showSongLights();
    if (songPlayer_->finished()) {
        stopSong(false);
        PCap.caption = "Playing Song : OFF";
        return;
    }
    scheduleSong();
}

// The next tick, counted from the last, as the timer counts.
void frmPiano::scheduleSong() {
    if (!songPlayer_) return;
    const auto next = songPlayer_->nextDue();
    tmrPlay.interval = next ? milliseconds(*next - lastSongTick_) : kIdleTick;
}

void frmPiano::stopSong(bool early) {
    if (!songPlayer_) return;
    tmrPlay.enabled = false;
    tmrSong.enabled = false;
    if (early) midiOut.dropTimed(&tmrPlay, clock().now());
    for (uint32_t off : songPlayer_->silence()) midiOut.sendMessage(off);
    if (songPlayer_->changedProgram()) midiOut.selectProgram(0, state.currentProgram);
    songPlayer_.reset();
    if (statusShowsSong()) PCap.caption.clear();
    songLine_.clear();
    showSongLights();
    setRecordingChecks();
}

void frmPiano::songNotePlayed(int channel, int note) {
    if (!songPlayer_ || channel == kSongDrumChannel || !songPlayer_->waiting()) return;
    const auto now = clock().now();
    if (!songPlayer_->played(note, now)) {
        showSongLights();
        return;
    }
    // The song goes on with the player: what it held back sounds with the note.
    {
        const SendingFor sending(*this, &tmrPlay);
        for (uint32_t message : songPlayer_->due(now)) midiOut.sendMessage(message);
    }
    showSongLights();
    if (songPlayer_->finished()) {
        stopSong(false);
        PCap.caption = "Playing Song : OFF";
        return;
    }
    scheduleSong();
    if (statusShowsSong() || PCap.caption.empty()) {
        PCap.caption = songStatus(now);
        songLine_ = PCap.caption;
    }
}

void frmPiano::songTempoChanged() {
    if (!songPlayer_) return;
    songPlayer_->setSpeed(songSpeed(), clock().now());
    scheduleSong();
}

void frmPiano::showSongLights() {
    std::array<uint8_t, 36 + 12> lights{};
    if (songPlayer_) {
        songPlayer_->setLowestKey(lowestKeyNote());
        for (size_t i = 0; i < kKeys; ++i) {
            const int note = static_cast<int>(i) + lowestKeyNote();
            for (int channel = 0; channel < 16 && !lights[i]; ++channel)
                if (channel != kSongDrumChannel && songPlayer_->sounds(channel, note))
                    lights[i] = 1;
        }
        for (const int note : songPlayer_->awaited()) {
            const int key = note - lowestKeyNote();
            if (key >= 0 && key < kKeys) lights[static_cast<size_t>(key)] = 2;
        }
        for (size_t j = 0; j < 12; ++j) {
            const auto note = state.drumPadNotes[j];
            if (note && songPlayer_->sounds(kSongDrumChannel, *note)) lights[kKeys + j] = 1;
        }
    }
    for (size_t i = 0; i < lights.size(); ++i) {
        if (lights[i] == songLights_[i]) continue;
        songLights_[i] = lights[i];
        if (i < kKeys) {
            showKey(i);
        } else {
            showPad(i - kKeys);
        }
    }
}

std::string frmPiano::songStatus(SongPlayer::TimePoint now) const {
    if (!songPlayer_) return {};
    const auto awaited = songPlayer_->awaited();
    if (!awaited.empty()) {
        std::string text = "Waiting for ";
        for (size_t i = 0; i < awaited.size(); ++i) {
            if (i > 0) text += "; ";
            text += noteName(awaited[i]) + ", key " + keyLegend(awaited[i] - lowestKeyNote());
        }
        return text;
    }
    return songPlayer_->song().name + "  " + clockText(songPlayer_->position(now)) + " / " +
           clockText(songPlayer_->song().lengthMs);
}

void frmPiano::tmrSong_Timer() {
    if (!songPlayer_) {
        tmrSong.enabled = false;
        return;
    }
    // The song's line comes back once the status line is free again.
    placeAt_ = clock().now();
    if (!PCap.caption.empty() && PCap.caption != songLine_) return;
    PCap.caption = songStatus(placeAt_);
    songLine_ = PCap.caption;
}

std::string frmPiano::songPlace() const {
    if (!song_) return {};
    const int64_t at = songPlayer_ ? songPlayer_->position(std::max(lastSongTick_, placeAt_)) : 0;
    return clockText(at) + " of " + clockText(song_->lengthMs);
}

std::string frmPiano::songDescription() const {
    if (!song_) return "No song";
    std::string text = "Song: " + song_->name;
    if (!songPlayer_) return text + ", stopped";
    const auto awaited = songPlayer_->awaited();
    if (awaited.empty()) return text + ", playing";
    text += ", waiting for ";
    for (size_t i = 0; i < awaited.size(); ++i) {
        if (i > 0) text += "; ";
        text += noteName(awaited[i]) + ", key " + keyLegend(awaited[i] - lowestKeyNote());
    }
    return text;
}

void frmPiano::mnu_export_Click() {
    if (export_) {
        export_->cancel();
        PCap.caption = "Exporting Sound : cancelling";
        return;
    }
    std::vector<TimedMessage> piece;
    std::string name;
    if (playsSong_ && song_) {
        piece = song_->messages;
        name = song_->name;
    } else if (lastRecording_) {
        piece = *lastRecording_;
        name = lastRecordingPath_.empty()
                   ? "Tonvel"
                   : std::filesystem::path(lastRecordingPath_).stem().string();
    } else if (const auto newest = newestRecording(recordingsDirectory)) {
        std::string why;
        auto read = loadRecording(*newest, &why);
        if (!read) {
            services_.dialogs.messageBox(
                "Unable to Export the Recording!!\r" + *newest + "\r" + why, MessageIcon::Critical,
                MessageButtons::Ok, kProgramTitle);
            return;
        }
        piece = std::move(*read);
        name = std::filesystem::path(*newest).stem().string();
    }
    if (piece.empty()) {
        PCap.caption = "No Recording to Export";
        return;
    }
    if (!services_.soundExport) {
        services_.dialogs.messageBox(
            "Unable to Export the Sound!!\rThe built-in synthesizer is "
            "not there to render it.",
            MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
        return;
    }
    std::optional<std::string> path;
    suspendKeys();
    showModal([&] {
        path = services_.dialogs.saveFileName(
            "Export Sound", recordingsDirectory + "/" + name + ".wav", kSoundFilters);
    });
    resumeKeys();
    if (!path || path->empty() || unloaded_) return;
    SoundExportJob job;
    const std::string extension = lowered(std::filesystem::path(*path).extension().string());
    if (extension == ".flac") {
        job.type = SoundFileType::Flac;
    } else if (extension != ".wav") {
        *path += ".wav";
    }
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(*path).parent_path(), ignored);
    job.path = *path;
    job.sound = services_.soundExport->currentSound();
    for (const auto& timed : piece) job.messages.emplace_back(timed.ms, timed.message);
    exportPath_ = *path;
    export_ = services_.soundExport->start(std::move(job));
    tmrExport.enabled = true;
    setSongMenus();
    PCap.caption = "Exporting Sound : 0%";
}

void frmPiano::tmrExport_Timer() {
    if (!export_) {
        tmrExport.enabled = false;
        return;
    }
    if (!export_->finished()) {
        if (!export_->cancelled())
            PCap.caption =
                "Exporting Sound : " + std::to_string(std::lround(export_->progress() * 100)) + "%";
        return;
    }
    finishExport();
}

void frmPiano::finishExport() {
    tmrExport.enabled = false;
    const auto run = std::move(export_);
    setSongMenus();
    if (run->cancelled()) {
        PCap.caption = "Export Sound : CANCELLED";
    } else if (const auto failure = run->failure()) {
        PCap.caption = "Export Sound : FAILED";
        services_.dialogs.messageBox(
            "Unable to Export the Sound!!\r" + exportPath_ + "\r" + *failure, MessageIcon::Critical,
            MessageButtons::Ok, kProgramTitle);
    } else {
        std::string shown = exportPath_;
        if (!homeDirectory.empty() && shown.rfind(homeDirectory + "/", 0) == 0)
            shown = "~" + shown.substr(homeDirectory.size());
        PCap.caption = "Exported : " + shown;
    }
}

}  // namespace tonvel
