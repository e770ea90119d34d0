#pragma once
// The platform calls Kolvex makes, in their Win32 shape. The program uses the Linux
// implementation; tests drive the checker with a recording fake.

#include "checker/win32_types.h"

namespace kolvex {

class IPlatform {
  public:
    virtual ~IPlatform() = default;

    // Fill the record whose size field is set; FALSE when the size is not one the call knows.
    virtual BOOL GetVersionExA(OSVERSIONINFOA* info) = 0;
    virtual BOOL GetVersionExA(OSVERSIONINFOEXA* info) = 0;

    virtual HMODULE LoadLibraryA(const char* name) = 0;
    virtual BOOL FreeLibrary(HMODULE module) = 0;
    virtual HMODULE GetModuleHandleA(const char* name) = 0;
    virtual FARPROC GetProcAddress(HMODULE module, const char* name) = 0;
    virtual HANDLE GetCurrentProcess() = 0;

    virtual int MessageBoxA(HWND owner, const char* text, const char* caption, unsigned type) = 0;
    virtual HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file,
                                    const char* parameters, const char* directory, int show) = 0;
};

}  // namespace kolvex
