#include "resources/skin/skin_resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void registerSkin() {
    Q_INIT_RESOURCE(skin);
}

namespace tonvel::skin {

void initResources() {
    static const bool registered = (registerSkin(), true);
    (void)registered;
}

}  // namespace tonvel::skin
