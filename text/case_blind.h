#pragma once
// Case-blind equality of names. Letters fold to lower case: ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic from our own tables (whatever the locale), other characters through
// towlower. A byte that is not valid UTF-8, like a lone surrogate in UTF-16, matches only
// itself. U+0130 (I with dot) folds to 'i', never to U+0131 (dotless i).

#include <string>
#include <string_view>

namespace text {

bool SameIgnoringCase(std::string_view a, std::string_view b);
bool SameIgnoringCase(std::u16string_view a, std::u16string_view b);

// Only 'A'..'Z' changed, so multibyte characters stay whole.
std::string ToLowerAscii(std::string_view s);

}  // namespace text
