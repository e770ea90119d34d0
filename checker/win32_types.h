#pragma once
// The Win32 shapes the checker calls through: handles, version records, message box and shell
// values. Kolvex keeps its own copy; it shares nothing with Splicora.

#include <cstdint>

// Macros, as in Windows, so that toolkits defining them too can be included alongside.
#ifndef FALSE
#define FALSE 0
#endif
#ifndef TRUE
#define TRUE 1
#endif

namespace kolvex {

using BOOL = int;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using BYTE = std::uint8_t;
using HANDLE = void*;
using HWND = void*;
using HMODULE = void*;
using HINSTANCE = void*;
using FARPROC = void (*)();  // a generic function address, cast to its real type
using PFN_IsWow64Process = BOOL (*)(HANDLE process, BOOL* wow64);

struct OSVERSIONINFOA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
};

struct OSVERSIONINFOEXA {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    char szCSDVersion[128];
    WORD wServicePackMajor;
    WORD wServicePackMinor;
    WORD wSuiteMask;
    BYTE wProductType;
    BYTE wReserved;
};

static_assert(sizeof(OSVERSIONINFOA) == 148);
static_assert(sizeof(OSVERSIONINFOEXA) == 156);

constexpr DWORD VER_PLATFORM_WIN32_NT = 2;

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_ICONMASK = 0xF0;
constexpr int IDOK = 1;

constexpr int SW_SHOWNORMAL = 1;

// ShellExecuteA answers: above 32 means started; these are the failures the port reports.
constexpr std::uintptr_t ERROR_FILE_NOT_FOUND = 2;
constexpr std::uintptr_t SE_ERR_ACCESSDENIED = 5;
constexpr std::uintptr_t SE_ERR_OOM = 8;
constexpr std::uintptr_t SE_ERR_NOASSOC = 31;
constexpr std::uintptr_t kShellStarted = 42;

inline bool ShellExecuteSucceeded(HINSTANCE result) {
    return reinterpret_cast<std::uintptr_t>(result) > 32;
}

}  // namespace kolvex
