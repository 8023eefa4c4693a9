#include "app/accessibility/dialog_items.h"

#include <cctype>

namespace tonvel {

namespace {

AccessibleItem text(const Label& label) {
    return AccessibleItem{.kind = AccessibleKind::Other,
                          .role = AccessibleRole::Label,
                          .name = label.caption,
                          .visible = label.visible && !label.caption.empty(),
                          .rect = label.rect};
}

// A caption's '&' marks the letter that works the button; the name leaves it out.
AccessibleItem button(const Label& label, int index) {
    std::string name, key;
    for (size_t i = 0; i < label.caption.size(); ++i) {
        if (label.showAccessKey && label.caption[i] == '&' && i + 1 < label.caption.size()) {
            key = std::string(
                1,
                static_cast<char>(std::toupper(static_cast<unsigned char>(label.caption[i + 1]))));
            continue;
        }
        name += label.caption[i];
    }
    return AccessibleItem{.kind = AccessibleKind::Other,
                          .index = index,
                          .role = AccessibleRole::Button,
                          .name = name,
                          .shortcut = key,
                          .visible = label.visible,
                          .rect = label.rect};
}

AccessibleItem closeButton(const PictureBox& box, const char* key) {
    return AccessibleItem{.kind = AccessibleKind::Other,
                          .role = AccessibleRole::Button,
                          .name = box.picture.toolTip,
                          .shortcut = key,
                          .visible = box.visible && box.enabled,
                          .rect = box.picture.rect};
}

}  // namespace

std::vector<AccessibleItem> splashItems(const splash& model) {
    // The second label is the first one's shadow.
    return {text(model.load[0])};
}

std::vector<AccessibleItem> aboutItems(const about& model) {
    std::vector<AccessibleItem> items = {text(model.lblTitle), text(model.lblVersion)};
    for (size_t i = 0; i < model.BL.size(); ++i)
        items.push_back(button(model.BL[i], static_cast<int>(i)));
    items.push_back(closeButton(model.TBCB, "X"));
    return items;
}

std::vector<AccessibleItem> updateItems(const tonvel::update& model) {
    std::vector<AccessibleItem> items = {text(model.lblTitle), text(model.lbll[2]),
                                         text(model.lblVersion), text(model.lbll[1]),
                                         text(model.lblUpdate)};
    for (size_t i = 0; i < model.BL.size(); ++i)
        items.push_back(button(model.BL[i], static_cast<int>(i)));
    items.push_back(closeButton(model.TBCB, "X"));
    return items;
}

}  // namespace tonvel
