#pragma once

#include <QPointer>
#include <QWidget>

#include "foundation/services.h"

namespace tonvel {

class QtDialogs : public Dialogs {
  public:
    // Menus are placed relative to `mainWindow`'s client area.
    explicit QtDialogs(QWidget* mainWindow) : mainWindow_(mainWindow) {}

    MessageAnswer messageBox(const std::string& text, MessageIcon icon, MessageButtons buttons,
                             const std::string& title) override;
    std::optional<MenuChoice> popupMenu(const MenuItem& menu, int x, int y,
                                        bool eitherButton) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultAnswer, int x, int y) override;
    std::optional<std::string> openFileName(const std::string& title, const std::string& start,
                                            const std::vector<std::string>& filters) override;
    std::optional<std::string> saveFileName(const std::string& title, const std::string& start,
                                            const std::vector<std::string>& filters) override;

  private:
    QPointer<QWidget> mainWindow_;
};

// CR-separated lines as the screen shows them.
QString displayText(const std::string& text);

}  // namespace tonvel
