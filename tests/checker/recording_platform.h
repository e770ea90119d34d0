#pragma once
// A scripted platform for the checker: answers from its fields, records every call in order.

#include <cstdint>
#include <string>
#include <vector>

#include "checker/checker_platform.h"

namespace kolvex::testing {

class CRecordingPlatform : public IPlatform {
  public:
    struct MessageCall {
        bool hasOwner;
        std::string text;
        std::string caption;
        unsigned type;
    };
    struct ShellCall {
        bool hasOwner;
        std::string verb;
        std::string file;
        bool hasParameters;
        bool hasDirectory;
        int show;
    };

    CRecordingPlatform(DWORD major, DWORD minor, WORD servicePack = 0);
    ~CRecordingPlatform() override;

    // Script.
    DWORD m_major;
    DWORD m_minor;
    WORD m_servicePack;
    bool m_extendedVersionFails = false;
    bool m_basicVersionFails = false;
    bool m_runtimePresent = false;
    bool m_kernel32Present = true;
    PFN_IsWow64Process m_isWow64Process = nullptr;  // null: the function does not exist
    std::uintptr_t m_shellResult = 42;

    // Record: one line per call, in order ("MessageBoxA", "ShellExecuteA", ...).
    std::vector<std::string> m_calls;
    std::vector<MessageCall> m_messages;
    std::vector<ShellCall> m_shells;

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

    static CRecordingPlatform* Current();
};

// IsWow64Process stand-ins; each records its call on the current fake.
BOOL Wow64Yes(HANDLE process, BOOL* wow64);
BOOL Wow64No(HANDLE process, BOOL* wow64);
BOOL Wow64CallFails(HANDLE process, BOOL* wow64);  // sets the flag, then fails

}  // namespace kolvex::testing
