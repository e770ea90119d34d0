#include "recording_platform.h"

namespace kolvex::testing {

namespace {
CRecordingPlatform* g_current = nullptr;
char g_runtime;
char g_kernel32;
char g_process;

BOOL RecordWow64(HANDLE process, BOOL* wow64) {
    CRecordingPlatform* fake = CRecordingPlatform::Current();
    fake->m_calls.push_back(std::string("IsWow64Process(") +
                            (process == &g_process ? "current" : "other") + "," +
                            (*wow64 == FALSE ? "false" : "true") + ")");
    return TRUE;
}
}  // namespace

CRecordingPlatform::CRecordingPlatform(DWORD major, DWORD minor, WORD servicePack)
    : m_major(major), m_minor(minor), m_servicePack(servicePack) {
    g_current = this;
}

CRecordingPlatform::~CRecordingPlatform() { g_current = nullptr; }

CRecordingPlatform* CRecordingPlatform::Current() { return g_current; }

BOOL CRecordingPlatform::GetVersionExA(OSVERSIONINFOA* info) {
    m_calls.push_back("GetVersionExA(" + std::to_string(info->dwOSVersionInfoSize) + ")");
    if (m_basicVersionFails) return FALSE;
    info->dwMajorVersion = m_major;
    info->dwMinorVersion = m_minor;
    return TRUE;
}

BOOL CRecordingPlatform::GetVersionExA(OSVERSIONINFOEXA* info) {
    m_calls.push_back("GetVersionExA(" + std::to_string(info->dwOSVersionInfoSize) + ")");
    if (m_extendedVersionFails) return FALSE;
    info->dwMajorVersion = m_major;
    info->dwMinorVersion = m_minor;
    info->wServicePackMajor = m_servicePack;
    return TRUE;
}

HMODULE CRecordingPlatform::LoadLibraryA(const char* name) {
    m_calls.push_back(std::string("LoadLibraryA(") + name + ")");
    return m_runtimePresent ? &g_runtime : nullptr;
}

BOOL CRecordingPlatform::FreeLibrary(HMODULE module) {
    m_calls.push_back(module == &g_runtime ? "FreeLibrary(runtime)" : "FreeLibrary(other)");
    return TRUE;
}

HMODULE CRecordingPlatform::GetModuleHandleA(const char* name) {
    m_calls.push_back(std::string("GetModuleHandleA(") + name + ")");
    return m_kernel32Present ? &g_kernel32 : nullptr;
}

FARPROC CRecordingPlatform::GetProcAddress(HMODULE module, const char* name) {
    m_calls.push_back(std::string("GetProcAddress(") +
                      (module == &g_kernel32 ? "kernel32" : "other") + "," + name + ")");
    return reinterpret_cast<FARPROC>(m_isWow64Process);
}

HANDLE CRecordingPlatform::GetCurrentProcess() { return &g_process; }

int CRecordingPlatform::MessageBoxA(HWND owner, const char* text, const char* caption,
                                    unsigned type) {
    m_calls.push_back("MessageBoxA");
    m_messages.push_back(
        {owner != nullptr, text ? text : "<null>", caption ? caption : "<null>", type});
    return IDOK;
}

HINSTANCE CRecordingPlatform::ShellExecuteA(HWND owner, const char* verb, const char* file,
                                            const char* parameters, const char* directory,
                                            int show) {
    m_calls.push_back("ShellExecuteA");
    m_shells.push_back({owner != nullptr, verb ? verb : "<null>", file ? file : "<null>",
                        parameters != nullptr, directory != nullptr, show});
    return reinterpret_cast<HINSTANCE>(m_shellResult);
}

BOOL Wow64Yes(HANDLE process, BOOL* wow64) {
    RecordWow64(process, wow64);
    *wow64 = TRUE;
    return TRUE;
}

BOOL Wow64No(HANDLE process, BOOL* wow64) {
    RecordWow64(process, wow64);
    *wow64 = FALSE;
    return TRUE;
}

BOOL Wow64CallFails(HANDLE process, BOOL* wow64) {
    RecordWow64(process, wow64);
    *wow64 = TRUE;
    return FALSE;
}

}  // namespace kolvex::testing
