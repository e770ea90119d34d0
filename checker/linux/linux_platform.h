#pragma once
// Kolvex's platform on Linux: a current Windows version (10.0, no Service Pack), the media
// runtime probed as libwmvcore.so, no IsWow64Process, message boxes through wxWidgets when a
// display is there (standard error otherwise), web pages opened by a detached xdg-open.

#include <string>
#include <vector>

#include "checker/checker_platform.h"

namespace kolvex {

struct CModuleSearch {
    std::vector<std::string> folders;  // tried in order, before the library path
    bool useLibraryPath = true;        // then the dynamic loader's own search
};

class CLinuxPlatform : public IPlatform {
  public:
    // Searches the program's folder, then the library path; opens pages with xdg-open.
    CLinuxPlatform();
    CLinuxPlatform(CModuleSearch search, std::string opener);
    ~CLinuxPlatform() override;

    BOOL GetVersionExA(OSVERSIONINFOA* info) override;
    BOOL GetVersionExA(OSVERSIONINFOEXA* info) override;

    HMODULE LoadLibraryA(const char* name) override;
    BOOL FreeLibrary(HMODULE module) override;
    HMODULE GetModuleHandleA(const char* name) override;
    FARPROC GetProcAddress(HMODULE module, const char* name) override;
    HANDLE GetCurrentProcess() override;

    int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type) override;
    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override;

  private:
    CModuleSearch m_search;
    std::string m_opener;
};

// "wmvcore.dll" -> "libwmvcore.so"; empty for a name holding a folder.
std::string SharedLibraryFileName(const char* moduleName);

// The folder of the running executable, without a trailing separator; empty if unknown.
std::string ProgramFolder();

// The wxWidgets half: false when no GUI could be started, so the caller falls back.
bool ShowGuiMessageBox(const char* text, const char* caption, unsigned type);
void EndGuiMessageBoxes();

}  // namespace kolvex
