#pragma once

#include "foundation/services.h"

namespace tonvel {

class QtDesktopShell : public DesktopShell {
  public:
    bool openDocument(const std::string& path) override;
    bool openUrl(const std::string& url) override;
};

}  // namespace tonvel
