#pragma once
// A wxFont made from a font object, and the other way (GUI half only).

#include <wx/font.h>

#include "platform/font.h"

namespace platform {

// wxNullFont for an empty font object, which gives controls the system's default font.
wxFont ToWxFont(const CFont& font);

// The same font sized in points, as font choosers show and return sizes: what ToLogFont makes of
// it is the description it came from (a cell height comes back as the character height drawn).
wxFont ToPointSizedWxFont(const CFont& font);

// Puts what a wxFont knows (height, weight, italic, underline, strike-out, face name) into a
// description; the other fields keep their values.
void ToLogFont(const wxFont& font, LOGFONTA& description);

}  // namespace platform
