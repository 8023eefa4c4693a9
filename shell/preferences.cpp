#include "shell/frm_piano.h"

namespace tonvel {

std::string frmPiano::preferenceText(const std::string& key) {
    if (!services_.preferences) return {};
    std::string value = services_.preferences->text(key);
    tellPreferenceFailures();
    return value;
}

void frmPiano::setPreferenceText(const std::string& key, const std::string& value) {
    if (!services_.preferences) return;
    services_.preferences->setText(key, value);
    tellPreferenceFailures();
}

std::vector<std::string> frmPiano::preferenceList(const std::string& key) {
    if (!services_.preferences) return {};
    std::vector<std::string> values = services_.preferences->list(key);
    tellPreferenceFailures();
    return values;
}

void frmPiano::setPreferenceList(const std::string& key, const std::vector<std::string>& values) {
    if (!services_.preferences) return;
    services_.preferences->setList(key, values);
    tellPreferenceFailures();
}

void frmPiano::tellPreferenceFailures() {
    while (const auto failure = services_.preferences->failure()) tell(*failure);
}

}  // namespace tonvel
