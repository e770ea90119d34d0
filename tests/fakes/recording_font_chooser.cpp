#include "fakes/recording_font_chooser.h"

#include <cstddef>

namespace platform {

bool RecordingFontChooser::ChooseFont(const FontChooserRequest& request, LOGFONTA& chosen) {
    requests.push_back(request);
    std::size_t i = requests.size() - 1;
    if (i >= answers.size() || !answers[i].ok) return false;
    chosen = answers[i].logFont;
    return true;
}

}  // namespace platform
