#include "platform/font.h"

namespace platform {

bool CFont::CreateFontIndirect(const LOGFONTA* description) {
    if (!description) return false;
    m_logFont = *description;
    m_logFont.lfFaceName[LF_FACESIZE - 1] = '\0';  // an unterminated face name is cut
    m_hasFont = true;
    return true;
}

bool CFont::DeleteObject() {
    bool had = m_hasFont;
    m_hasFont = false;
    m_logFont = LOGFONTA{};
    return had;
}

bool CFont::GetLogFont(LOGFONTA* description) const {
    if (!m_hasFont || !description) return false;
    *description = m_logFont;
    return true;
}

}  // namespace platform
