#pragma once
// The Win32 font description and a font object holding one, kept whole; the GUI half makes a
// wxFont from it.

#include <cstdint>

constexpr int LF_FACESIZE = 32;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t DEFAULT_QUALITY = 0;
constexpr int32_t FW_NORMAL = 400;
// The interface font's height when the settings hold none: 11 pixels.
constexpr int32_t kDefaultInterfaceFontHeight = -11;

struct LOGFONTA {
    int32_t lfHeight;
    int32_t lfWidth;
    int32_t lfEscapement;
    int32_t lfOrientation;
    int32_t lfWeight;
    uint8_t lfItalic;
    uint8_t lfUnderline;
    uint8_t lfStrikeOut;
    uint8_t lfCharSet;
    uint8_t lfOutPrecision;
    uint8_t lfClipPrecision;
    uint8_t lfQuality;
    uint8_t lfPitchAndFamily;
    char lfFaceName[LF_FACESIZE];
};
static_assert(sizeof(LOGFONTA) == 60, "LOGFONTA keeps the Win32 size");

namespace platform {

// A font handle: empty, or made from a description. Replaced, never modified in place.
class CFont {
  public:
    // false (and the font left as it was) for a null description.
    bool CreateFontIndirect(const LOGFONTA* description);
    // Drops the handle; false when there was none.
    bool DeleteObject();
    bool IsEmpty() const { return !m_hasFont; }
    // false when empty.
    bool GetLogFont(LOGFONTA* description) const;

  private:
    bool m_hasFont = false;
    LOGFONTA m_logFont{};
};

}  // namespace platform
