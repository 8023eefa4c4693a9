#pragma once

#include <QPointer>
#include <QWidget>
#include <string>

#include "foundation/services.h"
#include "windows/http_fetch.h"

namespace tonvel {

// Shows the about and update windows modally over `parent`.
class QtAuxiliaryWindows : public AuxiliaryWindows {
  public:
    QtAuxiliaryWindows(Dialogs& dialogs, DesktopShell& shell, HttpFetch& http,
                       std::string programDirectory, QWidget* parent)
        : dialogs_(dialogs),
          shell_(shell),
          http_(http),
          programDirectory_(std::move(programDirectory)),
          parent_(parent) {}

    void showAbout() override;
    void showUpdate() override;

  private:
    Dialogs& dialogs_;
    DesktopShell& shell_;
    HttpFetch& http_;
    std::string programDirectory_;
    QPointer<QWidget> parent_;
};

}  // namespace tonvel
