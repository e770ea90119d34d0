#include <dlfcn.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstring>
#include <string>

#include "checker/linux/linux_platform.h"

namespace kolvex {

namespace {

// kernel32 stands for the system itself; on this port it exports nothing Kolvex asks for.
char g_kernel32;

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && EqualsNoCase(s.substr(s.size() - suffix.size()), suffix);
}

}  // namespace

std::string SharedLibraryFileName(const char* moduleName) {
    if (!moduleName) return {};
    std::string_view name = moduleName;
    if (name.empty() || name.find('/') != std::string_view::npos ||
        name.find('\\') != std::string_view::npos)
        return {};
    if (EndsWithNoCase(name, ".dll")) name.remove_suffix(4);
    if (name.empty()) return {};
    std::string file = "lib";
    for (char c : name) file += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return file + ".so";
}

std::string ProgramFolder() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (n <= 0) return {};
    std::string folder(path, static_cast<size_t>(n));
    size_t slash = folder.rfind('/');
    if (slash == std::string::npos) return {};
    return folder.substr(0, slash == 0 ? 1 : slash);
}

HMODULE CLinuxPlatform::LoadLibraryA(const char* name) {
    std::string file = SharedLibraryFileName(name);
    if (file.empty()) return nullptr;
    for (const std::string& folder : m_search.folders) {
        if (folder.empty()) continue;
        std::string path = folder.back() == '/' ? folder + file : folder + "/" + file;
        if (void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL)) return handle;
    }
    if (!m_search.useLibraryPath) return nullptr;
    return dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
}

BOOL CLinuxPlatform::FreeLibrary(HMODULE module) {
    if (!module || module == &g_kernel32) return FALSE;
    return dlclose(module) == 0 ? TRUE : FALSE;
}

HMODULE CLinuxPlatform::GetModuleHandleA(const char* name) {
    if (name && (EqualsNoCase(name, "kernel32") || EqualsNoCase(name, "kernel32.dll")))
        return &g_kernel32;
    return nullptr;
}

FARPROC CLinuxPlatform::GetProcAddress(HMODULE module, const char* name) {
    if (!module || !name || module == &g_kernel32) return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

HANDLE CLinuxPlatform::GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}

}  // namespace kolvex
