#pragma once
// The font chooser (ChooseFontA) as a service: started from a font description, it gives back the
// description the user confirmed.

#include "platform/font.h"

namespace platform {

constexpr unsigned CF_SCREENFONTS = 0x1;
constexpr unsigned CF_INITTOLOGFONTSTRUCT = 0x40;
constexpr unsigned CF_EFFECTS = 0x100;

struct FontChooserRequest {
    void* owner = nullptr;
    LOGFONTA logFont{};  // the initial font when flags hold CF_INITTOLOGFONTSTRUCT
    unsigned flags = 0;
};

class IFontChooser {
  public:
    virtual ~IFontChooser() = default;
    // Runs the chooser modally; false (chosen untouched) when the user cancelled.
    virtual bool ChooseFont(const FontChooserRequest& request, LOGFONTA& chosen) = 0;
};

}  // namespace platform
