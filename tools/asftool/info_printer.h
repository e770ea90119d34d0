#pragma once
// asftool's two ways of showing a FileInfo: a readable summary and one stable JSON object.

#include <string>

#include "file_info.h"

namespace asftool {

std::string FormatText(const FileInfo& info);
std::string FormatJson(const FileInfo& info);
std::string JsonString(const std::string& s);

}  // namespace asftool
