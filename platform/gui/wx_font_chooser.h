#pragma once
// The font chooser service with wxFontDialog.

#include "platform/font_chooser.h"

namespace platform {

class CWxFontChooser : public IFontChooser {
  public:
    bool ChooseFont(const FontChooserRequest& request, LOGFONTA& chosen) override;
};

}  // namespace platform
