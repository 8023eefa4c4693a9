#include "fakes/recording_services.h"

#include <cstdio>

namespace tonvel::testing {

bool RecordingMidiSystem::open(int deviceNumber) {
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
    ++closeCount;
    openDevice.reset();
}

bool RecordingMidiSystem::sendShortMessage(uint32_t message) {
    sent.push_back(shortMessageBytes(message));
    return openDevice.has_value();
}

std::vector<std::string> RecordingMidiSystem::sentHex() const {
    std::vector<std::string> out;
    for (const auto& bytes : sent) {
        std::string text;
        for (auto b : bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", b);
            if (!text.empty()) text += ' ';
            text += hex;
        }
        out.push_back(text);
    }
    return out;
}

MessageAnswer RecordingDialogs::messageBox(const std::string& text, MessageIcon icon,
                                           MessageButtons buttons, const std::string& title) {
    messages.push_back({text, icon, buttons, title});
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
    if (inputAnswers.empty()) return std::nullopt;
    const auto answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

}  // namespace tonvel::testing
