#include "fakes/recording_services.h"

#include <cstdio>

namespace tonvel::testing {

namespace {
std::string hex(const std::vector<uint8_t>& bytes) {
    std::string text;
    for (auto b : bytes) {
        char digits[4];
        std::snprintf(digits, sizeof digits, "%02X", b);
        if (!text.empty()) text += ' ';
        text += digits;
    }
    return text;
}
}  // namespace

bool RecordingMidiSystem::open(int deviceNumber) {
    if (openDevice) close();
    openedDevices.push_back(deviceNumber);
    const bool exists = deviceNumber == -1 ||
                        (deviceNumber >= 0 && static_cast<size_t>(deviceNumber) < names.size());
    if (!openSucceeds || !exists) {
        openDevice.reset();
        return false;
    }
    openDevice = deviceNumber;
    return true;
}

void RecordingMidiSystem::close() {
    if (onSendOrClose) onSendOrClose();
    ++closeCount;
    if (openDevice == -1) {
        sounding[-1].clear();
        pedalDown[-1].clear();
    }
    openDevice.reset();
}

bool RecordingMidiSystem::sendShortMessage(uint32_t message) {
    if (onSendOrClose) onSendOrClose();
    const auto bytes = shortMessageBytes(message);
    sent.push_back(bytes);
    sentTo.push_back(openDevice);
    for (size_t i = 1; i < bytes.size(); ++i)
        if (bytes[i] >= 0x80) {
            badBytes.push_back(bytes);
            break;
        }
    if (!openDevice) return false;
    const int kind = bytes[0] & 0xF0, channel = bytes[0] & 0x0F;
    auto& notes = sounding[*openDevice];
    if (kind == 0x90 && bytes[2] > 0) {
        notes.insert({channel, bytes[1]});
    } else if (kind == 0x80 || kind == 0x90) {
        notes.erase({channel, bytes[1]});
    } else if (kind == 0xB0 && bytes[1] == 64) {
        if (bytes[2] >= 64) {
            pedalDown[*openDevice].insert(channel);
        } else {
            pedalDown[*openDevice].erase(channel);
        }
    }
    return true;
}

std::vector<std::string> RecordingMidiSystem::sentHex() const {
    std::vector<std::string> out;
    for (const auto& bytes : sent) out.push_back(hex(bytes));
    return out;
}

std::vector<std::string> RecordingMidiSystem::sentHexTo(int device) const {
    std::vector<std::string> out;
    for (size_t i = 0; i < sent.size(); ++i)
        if (sentTo[i] == device) out.push_back(hex(sent[i]));
    return out;
}

bool RecordingMidiSystem::silent() const {
    for (const auto& [device, notes] : sounding)
        if (!notes.empty()) return false;
    return true;
}

MessageAnswer RecordingDialogs::messageBox(const std::string& text, MessageIcon icon,
                                           MessageButtons buttons, const std::string& title) {
    messages.push_back({text, icon, buttons, title});
    if (whileBoxOpen) whileBoxOpen();
    if (messageAnswers.empty())
        return buttons == MessageButtons::Ok ? MessageAnswer::Ok : MessageAnswer::No;
    const auto answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

std::optional<MenuChoice> RecordingDialogs::popupMenu(const MenuItem& menu, int x, int y,
                                                      bool eitherButton) {
    menus.push_back({menu, x, y, eitherButton, &menu});
    if (whileMenuOpen) whileMenuOpen();
    if (menuAnswers.empty()) return std::nullopt;
    const auto answer = menuAnswers.front();
    menuAnswers.pop_front();
    return answer;
}

std::optional<std::string> RecordingDialogs::inputBox(const std::string& prompt,
                                                      const std::string& title,
                                                      const std::string& defaultAnswer, int x,
                                                      int y) {
    inputs.push_back({prompt, title, defaultAnswer, x, y});
    if (whileBoxOpen) whileBoxOpen();
    if (inputAnswers.empty()) return std::nullopt;
    const auto answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

}  // namespace tonvel::testing
