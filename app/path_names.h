#pragma once
// Path pieces used by the list, the output name and start-up. The separator is '/'.

#include <string>

#include "join_checks.h"

namespace app {

// 0 for an empty path (ext untouched); else 1 and ext = the last component's extension with its
// dot, or "" when it has none.
int GetExtension(const std::string& path, std::string& ext);

// 0 for an empty path (out untouched); else 1 and out = the last component (name and extension).
int GetDisplayName(const std::string& path, std::string& out);

// The path up to and including its last separator; "" when it has none.
std::string FolderOf(const std::string& path);

// The path from its last separator to the end; "" when it has none.
std::string FileNameWithSlash(const std::string& path);

// 1 when the path contains ".wmv", ".asf" or ".wma" in any letter case, anywhere; else 0.
int HasMediaExtension(const std::string& path);

// Characters (UTF-8 code points) in text, as an edit control counts them.
using engine::CharacterCount;

// The folder of the running program's base: the parent of its folder when that holds
// language/English.ini, else the program's own folder; when that base has no language/ folder,
// <parent>/share/splicora if it has one (an installed program). No trailing separator.
std::string GetBaseFolder(const std::string& executablePath);

}  // namespace app
