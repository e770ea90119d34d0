#pragma once
// File tests of the Windows shape on Linux paths.

#include <string>

namespace platform {

// 1 when path names a regular file (after links) that can be opened for reading, else 0:
// folders, devices, FIFOs, missing and unreadable files count as absent. Never blocks.
int FileExists(const std::string& path);

// The attribute test of dropped files: true for a folder or a regular file.
bool IsFileOrFolder(const std::string& path);

// Removes the file (a link itself, not its target); false when it could not be removed.
bool DeleteFileA(const std::string& path);

// The running program's full path; empty when it cannot be read.
std::string GetModuleFileName();

// The last path component of the running program ("splicora").
std::string ExecutableBaseName();

}  // namespace platform
