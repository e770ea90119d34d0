#pragma once
// The interface font's settings: one key per font description field, in the section named after
// the current interface language.

#include <cstdint>
#include <variant>

#include "platform/font.h"

namespace i18n {

using WideField = int32_t LOGFONTA::*;
using ByteField = uint8_t LOGFONTA::*;

struct FontKey {
    const char* key;
    std::variant<WideField, ByteField> field;  // byte fields keep the low 8 bits of the value
    int32_t defaultValue;
};

// The integer keys in the order they are written; lfQuality is not stored and always loads as
// DEFAULT_QUALITY.
inline constexpr FontKey kFontKeys[] = {
    {"lfHeight", &LOGFONTA::lfHeight, kDefaultInterfaceFontHeight},
    {"lfWidth", &LOGFONTA::lfWidth, 0},
    {"lfEscapement", &LOGFONTA::lfEscapement, 0},
    {"lfOrientation", &LOGFONTA::lfOrientation, 0},
    {"lfWeight", &LOGFONTA::lfWeight, FW_NORMAL},
    {"lfItalic", &LOGFONTA::lfItalic, 0},
    {"lfUnderline", &LOGFONTA::lfUnderline, 0},
    {"lfStrikeOut", &LOGFONTA::lfStrikeOut, 0},
    {"lfCharSet", &LOGFONTA::lfCharSet, DEFAULT_CHARSET},
    {"lfOutPrecision", &LOGFONTA::lfOutPrecision, 0},
    {"lfClipPrecision", &LOGFONTA::lfClipPrecision, 0},
    {"lfPitchAndFamily", &LOGFONTA::lfPitchAndFamily, 0},
};

// Written after the integers.
inline constexpr const char* kFaceNameKey = "lfFaceName";
inline constexpr const char* kDefaultFaceName = "Microsoft Sans Serif";

}  // namespace i18n
