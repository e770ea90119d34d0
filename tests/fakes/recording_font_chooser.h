#pragma once
// A font chooser that records each request and answers from a script; a cancel once it runs out.

#include <vector>

#include "platform/font_chooser.h"

namespace platform {

class RecordingFontChooser : public IFontChooser {
  public:
    struct Answer {
        bool ok;
        LOGFONTA logFont;
    };
    bool ChooseFont(const FontChooserRequest& request, LOGFONTA& chosen) override;
    std::vector<FontChooserRequest> requests;
    std::vector<Answer> answers;
};

}  // namespace platform
