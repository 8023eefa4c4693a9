#include "app/qt_auxiliary_windows.h"

#include "app/about_window.h"
#include "app/update_window.h"

namespace tonvel {

void QtAuxiliaryWindows::showAbout() {
    AboutWindow window(dialogs_, shell_, programDirectory_, parent_);
    window.exec();
}

void QtAuxiliaryWindows::showUpdate() {
    UpdateWindow window(dialogs_, shell_, http_, parent_);
    window.exec();
}

}  // namespace tonvel
