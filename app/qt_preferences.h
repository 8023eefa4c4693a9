#pragma once

#include <QSettings>
#include <QString>

#include "foundation/services.h"

namespace tonvel {

// The program's own settings as an INI file beside the settings file.
class QtPreferences : public Preferences {
  public:
    explicit QtPreferences(const QString& path) : settings_(path, QSettings::IniFormat) {}
    std::vector<std::string> list(const std::string& key) override;
    void setList(const std::string& key, const std::vector<std::string>& values) override;
    std::string text(const std::string& key) override;
    void setText(const std::string& key, const std::string& value) override;

  private:
    QSettings settings_;
};

}  // namespace tonvel
