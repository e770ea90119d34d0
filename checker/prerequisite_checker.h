#pragma once
// Kolvex's decisions: which message to show and which page to open for the version and
// runtime found. Every call to the system goes through IPlatform.

#include "checker/checker_platform.h"
#include "checker/download_pages.h"

namespace kolvex {

inline constexpr const char* kMediaRuntimeModule = "wmvcore.dll";

// Loads the media runtime and frees it at once; true when it could be loaded.
bool ProbeMediaRuntime(IPlatform& platform);

// True for a 32-bit program on a 64-bit system. A missing IsWow64Process answers false; a
// failed call shows its message and answers false.
bool QueryWow64(IPlatform& platform);

// Opens the page in the browser; when that fails, tells the user which site to visit.
void OpenDownloadPage(IPlatform& platform, const CDownloadPage& page);

// WinMain's flow. Always returns 0.
int CheckPrerequisites(IPlatform& platform);

}  // namespace kolvex
