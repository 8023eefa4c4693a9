#include <algorithm>
#include <iterator>

#include "foundation/product.h"
#include "shell/frm_piano.h"

namespace tonvel {

namespace {

MenuItem item(const std::string& name, const std::string& caption) {
    return MenuItem{.name = name, .caption = caption};
}

MenuItem separator(const std::string& name) {
    return MenuItem{.name = name, .separator = true};
}

}  // namespace

MenuItem frmPiano::rightClickMenu() {
    // Item 0 is the key labels' check mark; the rest are set with the captions at load.
    MenuItem menu{.name = "mnu_RMNU", .caption = "RightClick"};
    menu.children.resize(15);
    return menu;
}

void frmPiano::buildWindowMenus() {
    mnu_Rshowklbl =
        MenuItem{.name = "mnu_Rshowklbl", .caption = "&Show key Labels\tCtrl+K", .checked = true};
    mnu_KeyboardType = MenuItem{.name = "mnu_KeyboardType",
                                .caption = "&Standard 101/102- Key or Microsoft Natural Keyboard",
                                .checked = true};
    mnu_keyOther = item("mnu_keyOther", "&Other...");
    mMenu = MenuItem{.name = "mMenu", .caption = "Menu"};
    mnu_help = MenuItem{.name = "mnu_help", .caption = "&Help"};
}

void frmPiano::setMenuCaptions() {
    const MenuItem rightClick[] = {separator("mnu_Rsep1"),
                                   item("mnu_Rmanual", "Users &Manual\tCtrl+?"),
                                   item("mnu_RkbShortcut", "Keyboard &Shortcuts"),
                                   separator("mnu_Rsep2"),
                                   item("mnu_Rexit", "E&xit\tCtrl+X"),
                                   separator("mnu_Rsep3"),
                                   item("mnu_Rrecord", "&Record\tCtrl+R"),
                                   item("mnu_Rplay", "&Play Last Recording\tCtrl+P"),
                                   item("mnu_Rrecfolder", "&Open Recordings Folder"),
                                   separator("mnu_Rsep4"),
                                   item("mnu_Ropensong", "&Open Song...\tCtrl+O"),
                                   item("mnu_Rwait", "&Wait for Me"),
                                   item("mnu_Rpart", "P&art to Play"),
                                   item("mnu_Rexport", "&Export Sound...\tCtrl+E")};
    std::copy(std::begin(rightClick), std::end(rightClick), mnu_RMNU.children.begin() + 1);
    mMenu.children = {item("mnu_refresh", "&Refresh Piano\tControl+F5"),
                      item("mnu_update", "Check for &Updates\tCtrl+U"),
                      separator("sep5"),
                      item("mnu_opensong", "&Open Song...\tCtrl+O"),
                      item("mnu_waitforme", "&Wait for Me"),
                      item("mnu_part", "P&art to Play"),
                      item("mnu_export", "&Export Sound...\tCtrl+E"),
                      separator("sep1"),
                      item("mnu_email", "Contact &Email"),
                      separator("sep2"),
                      item("mnu_bug", "&Bug Reports"),
                      item("mnu_tellfriend", "&Tell a Friend"),
                      separator("sep3"),
                      item("mnu_exit", "E&xit Piano\tCtrl+X")};
    mnu_help.children = {item("mnu_shortcuts", "&Keyboard Shortcuts\tCtrl+S"),
                         item("mnu_manual", "Users &Manual\tCtrl+?"),
                         separator("sep"),
                         item("mnu_license", "License &Info"),
                         separator("sep4"),
                         item("mnu_about", "&About\tShift+F1")};
    setSongMenus();
}

// A menu takes the keyboard while it is open, key-ups included.
void frmPiano::popUp(const MenuItem& menu, int x, int y, bool eitherButton) {
    suspendKeys();
    const auto choice = services_.dialogs.popupMenu(menu, x, y, eitherButton);
    resumeKeys();
    if (choice) menuChosen(*choice);
}

void frmPiano::Butt_Click(int index) {
    if (index >= 0 && index <= 2) {
        auto& button = Butt[static_cast<size_t>(index)];
        button.picture = imgBut[static_cast<size_t>(index)].picture;
        const MenuItem& menu = index == 0 ? mMenu : index == 1 ? mnuMain[3] : mnu_help;
        if (index == 1) refreshDeviceMenu();
        popUp(menu, button.rect.left - 1, button.rect.top + button.rect.height + 3, false);
        button.picture.clear();
    } else if (index == 3) {
        services_.window.minimise();
    } else if (index == 4) {
        if (stayOnTopIsOn()) {
            Tag = "0";
            services_.window.setTopmost(false);
            Butt[4].picture.clear();
            PCap.caption = "Stay on Top : OFF";
        } else {
            Tag = "1";
            services_.window.setTopmost(true);
            Butt[4].picture = imgBut[4].picture;
            PCap.caption = "Stay on Top : ON";
        }
    } else if (index == 5) {
        services_.window.closeMainWindow();
    }
}

void frmPiano::lblOver_MouseDown(int, int, float x, float y) {
    popUp(mnu_RMNU, static_cast<int>(x), static_cast<int>(y), true);
}

void frmPiano::mnu_exit_Click() {
    services_.window.setTopmost(false);
    services_.window.closeMainWindow();
}

void frmPiano::mnu_manual_Click() {
    services_.shell.openDocument(helpDirectory + "/manual.htm");
}
void frmPiano::mnu_shortcuts_Click() {
    services_.shell.openDocument(helpDirectory + "/shortcuts.htm");
}
void frmPiano::mnu_about_Click() {
    showModal([this] { services_.windows.showAbout(); });
}
void frmPiano::mnu_update_Click() {
    showModal([this] { services_.windows.showUpdate(); });
}

// A topmost main window would cover its own modal child.
void frmPiano::showModal(const std::function<void()>& show) {
    const bool onTop = stayOnTopIsOn();
    if (onTop) services_.window.setTopmost(false);
    show();
    if (onTop && !unloaded_) services_.window.setTopmost(true);
}

void frmPiano::mnu_license_Click() {
    services_.shell.openDocument(pathInProgramDirectory("license.txt"));
}

void frmPiano::mnu_email_Click() {
    services_.shell.openUrl(std::string("mailto:") + kSupportAddress + "?subject=Tonvel 1");
}

void frmPiano::mnu_bug_Click() {
    services_.shell.openUrl(std::string("mailto:") + kSupportAddress + "?subject=TNV3 Bug Report!");
}

void frmPiano::mnu_tellfriend_Click() {
    services_.shell.openUrl(
        std::string("mailto:?subject=Tonvel&body=Tonvel, a Cool Software that's really good! You "
                    "can find it at : ") +
        kWebSite + "/download.html");
}

}  // namespace tonvel
