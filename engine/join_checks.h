#pragma once
// Path helpers shared by the join command and the command-line joiner: wide conversion, the
// same-name refusals and the same-file test.

#include <string>

#include "wm_types.h"

namespace engine {

constexpr int kMaxPath = 260;         // characters of a path with its terminator
constexpr int kMaxInputFiles = 1000;  // slots of the input path table
// A slot holds kMaxPath - 1 characters of UTF-8, up to four bytes each, and the terminator.
using PathSlot = char[4 * (kMaxPath - 1) + 1];

// Characters, not bytes, of a UTF-8 text: the path limits count characters.
int CharacterCount(const std::string& text);

// *out receives the UTF-16 form of the UTF-8 path (text/utf.h: bytes that are not UTF-8 travel
// as U+DC80..U+DCFF). E_INVALIDARG for null arguments.
HRESULT ToWideString(const char* path, std::u16string* out);

// UTF-8 to UTF-16 as the runtime converts names; false only for a null text.
bool Utf8ToWide(const char* utf8, std::u16string& out);

// The same-name refusals of a join, by text::SameIgnoringCase: the output may be neither the first
// nor the second input. Reports and returns E_INVALIDARG on a match, else S_OK.
HRESULT CheckJoinNames(const char* first, const char* second, const char* output);

// True when both names reach one existing file (another spelling, a symbolic or hard link).
bool IsSameFile(const char* a, const char* b);

}  // namespace engine
