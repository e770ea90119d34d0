// The interface font of a language load. Until the settings store reads the stored font, every
// language gets the default description.

#include <cstring>

#include "i18n/language_table.h"
#include "platform/message_box.h"

namespace {

LOGFONTA DefaultInterfaceFont() {
    LOGFONTA lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = DEFAULT_QUALITY;
    std::strncpy(lf.lfFaceName, "Microsoft Sans Serif", LF_FACESIZE - 1);
    return lf;
}

}  // namespace

bool CLanguageTable::LoadFontSettings(platform::CFont& font) {
    LOGFONTA lf = DefaultInterfaceFont();
    font.DeleteObject();
    if (!font.CreateFontIndirect(&lf)) {
        MessageBoxA(nullptr, "Failed to create font", "Error", MB_OK);
        return false;
    }
    return true;
}
