#include "app/qt_preferences.h"

#include <QStringList>

namespace tonvel {

std::vector<std::string> QtPreferences::list(const std::string& key) {
    std::vector<std::string> values;
    for (const QString& value : settings_.value(QString::fromStdString(key)).toStringList())
        values.push_back(value.toStdString());
    return values;
}

void QtPreferences::setList(const std::string& key, const std::vector<std::string>& values) {
    QStringList list;
    for (const auto& value : values) list << QString::fromStdString(value);
    settings_.setValue(QString::fromStdString(key), list);
    settings_.sync();
}

std::string QtPreferences::text(const std::string& key) {
    return settings_.value(QString::fromStdString(key)).toString().toStdString();
}

void QtPreferences::setText(const std::string& key, const std::string& value) {
    settings_.setValue(QString::fromStdString(key), QString::fromStdString(value));
    settings_.sync();
}

}  // namespace tonvel
