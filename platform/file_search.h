#pragma once
// Folder search and case-blind file names, as the Windows file system offers them.

#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Appends to names the entries of folder (files and folders alike) whose name ends in suffix,
// ignoring ASCII letter case, as the pattern "*<suffix>" matches. Returns false when nothing
// matched or the folder cannot be read.
bool FindFilesWithSuffix(const std::string& folder, std::string_view suffix,
                         std::vector<std::string>& names);

// path when it exists; otherwise the entry of its folder whose name equals path's file name
// ignoring ASCII letter case (the smallest in byte order when several do); otherwise path.
std::string ResolvePathCaseBlind(const std::string& path);

}  // namespace platform
