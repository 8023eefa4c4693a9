#include <filesystem>

#include "shell/frm_piano.h"

namespace tonvel {

namespace {

const std::vector<std::string> kSoundFontFilters = {"SoundFonts (*.sf2 *.sf3)", "All Files (*)"};

std::string fileName(const std::string& path) {
    return std::filesystem::path(path).filename().string();
}

std::string megabytes(uint64_t bytes) {
    return std::to_string((bytes + (1u << 19)) >> 20) + " MB";
}

}  // namespace

void frmPiano::mnu_soundfont_Click() {
    if (!services_.sound) {
        services_.dialogs.messageBox(
            "Unable to Change the Sound!!\rThe built-in synthesizer is not there.",
            MessageIcon::Critical, MessageButtons::Ok, kProgramTitle);
        return;
    }
    const std::string now = services_.sound->soundFont();
    const std::string start =
        now.empty() ? homeDirectory : std::filesystem::path(now).parent_path().string();
    std::optional<std::string> path;
    suspendKeys();
    showModal(
        [&] { path = services_.dialogs.openFileName("Sound Font", start, kSoundFontFilters); });
    resumeKeys();
    if (path && !path->empty() && !unloaded_) loadSoundFont(*path);
}

void frmPiano::loadSoundFont(const std::string& path) {
    if (!services_.sound) return;
    services_.sound->load(path);
    soundFontChosen_ = path;
    tmrCap.enabled = false;
    PCap.caption = "Loading Sound : " + fileName(path);
    loadingLine_ = PCap.caption;
    tmrSound.enabled = true;
}

void frmPiano::watchSound() {
    if (services_.sound && services_.sound->busy()) tmrSound.enabled = true;
}

void frmPiano::tmrSound_Timer() {
    if (!services_.sound) {
        tmrSound.enabled = false;
        return;
    }
    const SoundFontNews news = services_.sound->tick();
    tmrSound.enabled = services_.sound->busy();
    switch (news.kind) {
        case SoundFontNews::Kind::None:
            return;
        case SoundFontNews::Kind::Loading:
            // The line comes back once nothing else holds it.
            if (!PCap.caption.empty() && !statusShowsLoading()) return;
            PCap.caption = "Loading Sound : " + fileName(news.path);
            if (news.bytesRead > 0) PCap.caption += "  " + megabytes(news.bytesRead);
            loadingLine_ = PCap.caption;
            return;
        case SoundFontNews::Kind::Loaded:
            soundFontChosen_.clear();
            loadingLine_.clear();
            PCap.caption = "Sound : " + fileName(news.path);
            setPreferenceText("Sound/SoundFont", news.path);
            return;
        case SoundFontNews::Kind::Refused:
            break;
    }
    loadingLine_.clear();
    const std::string text = "Unable to Load the SoundFont!!\r" + news.path + "\r" + news.reason;
    if (soundFontChosen_.empty()) {
        // The one kept from the last run, at the start: the window may not be up yet.
        tell("The SoundFont " + news.path + " cannot be loaded: " + news.reason +
             "; the synthesizer plays the system's own");
        return;
    }
    soundFontChosen_.clear();
    PCap.caption = "Sound : REFUSED";
    // The box comes while the player may be holding keys: they would never hear the release.
    suspendKeys();
    showModal([&] {
        services_.dialogs.messageBox(text, MessageIcon::Critical, MessageButtons::Ok,
                                     kProgramTitle);
    });
    resumeKeys();
}

void frmPiano::toggleEffect(MenuItem& item, const std::string& key, const std::string& name) {
    item.checked = !item.checked;
    if (services_.sound) services_.sound->setEffects(mnu_reverb.checked, mnu_chorus.checked);
    setPreferenceText(key, item.checked ? "1" : "0");
    tmrCap.enabled = false;
    PCap.caption = name + (item.checked ? " : ON" : " : OFF");
}

void frmPiano::mnu_reverb_Click() {
    toggleEffect(mnu_reverb, "Sound/Reverb", "Reverb");
}

void frmPiano::mnu_chorus_Click() {
    toggleEffect(mnu_chorus, "Sound/Chorus", "Chorus");
}

std::string frmPiano::soundDescription() const {
    std::string text = "Sound: ";
    const std::string now = services_.sound ? services_.sound->soundFont() : std::string();
    if (!soundFontChosen_.empty()) {
        text += "loading " + std::filesystem::path(soundFontChosen_).stem().string();
    } else {
        text += now.empty() ? "none" : std::filesystem::path(now).stem().string();
    }
    text += mnu_reverb.checked ? ", reverb on" : ", reverb off";
    text += mnu_chorus.checked ? ", chorus on" : ", chorus off";
    return text;
}

}  // namespace tonvel
