#pragma once
// A wxFont made from a font object (GUI half only).

#include <wx/font.h>

#include "platform/font.h"

namespace platform {

// wxNullFont for an empty font object, which gives controls the system's default font.
wxFont ToWxFont(const CFont& font);

}  // namespace platform
