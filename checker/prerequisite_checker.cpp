#include "checker/prerequisite_checker.h"

#include <string>

namespace kolvex {

namespace {

constexpr const char* kCaptionNoCodecs = "Do not find codecs";
constexpr const char* kCaptionUnknownErrors = "unknown errors";

void ShowInformation(IPlatform& platform, const char* text) {
    platform.MessageBoxA(nullptr, text, kCaptionNoCodecs, MB_OK | MB_ICONINFORMATION);
}

void MediaPlayerCase(IPlatform& platform) {
    ShowInformation(platform, "Please install Windows Media Player 9.0");
    OpenDownloadPage(platform, kMediaPlayerPage);
}

void RuntimeCase(IPlatform& platform) {
    ShowInformation(platform, "Please install Windows Media Format Runtime.");
    OpenDownloadPage(platform, kRuntimePage);
}

}  // namespace

bool ProbeMediaRuntime(IPlatform& platform) {
    HMODULE module = platform.LoadLibraryA(kMediaRuntimeModule);
    if (!module) return false;
    platform.FreeLibrary(module);
    return true;
}

bool QueryWow64(IPlatform& platform) {
    HMODULE kernel = platform.GetModuleHandleA("kernel32");
    // Without the module there is no function either.
    FARPROC address = kernel ? platform.GetProcAddress(kernel, "IsWow64Process") : nullptr;
    if (!address) return false;
    auto isWow64Process = reinterpret_cast<PFN_IsWow64Process>(address);
    BOOL wow64 = FALSE;
    if (!isWow64Process(platform.GetCurrentProcess(), &wow64)) {
        platform.MessageBoxA(nullptr, "Can not fnIsWow64Process! ", kCaptionUnknownErrors, MB_OK);
        return false;
    }
    return wow64 != FALSE;
}

void OpenDownloadPage(IPlatform& platform, const CDownloadPage& page) {
    HINSTANCE result =
        platform.ShellExecuteA(nullptr, "open", page.url, nullptr, nullptr, SW_SHOWNORMAL);
    if (ShellExecuteSucceeded(result)) return;
    std::string text = "The Program does not launch your web browser to access ";
    text += page.site;
    text += " ,\nPlease launch your web browser and input the URL manually.";
    platform.MessageBoxA(nullptr, text.c_str(), kCaptionUnknownErrors, MB_OK);
}

int CheckPrerequisites(IPlatform& platform) {
    // Zeroed so that a failed extended query reads as Service Pack 0.
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof(extended);
    platform.GetVersionExA(&extended);

    OSVERSIONINFOA basic{};
    basic.dwOSVersionInfoSize = sizeof(basic);
    if (!platform.GetVersionExA(&basic)) {
        platform.MessageBoxA(nullptr, "Can get Windows Version", "Error", MB_OK);
        return 0;
    }

    const DWORD major = basic.dwMajorVersion;
    const DWORD minor = basic.dwMinorVersion;
    if (major >= 6) return 0;

    if (major <= 4 || minor == 0) {
        if (!ProbeMediaRuntime(platform)) MediaPlayerCase(platform);
        return 0;
    }

    // 5.1 and later members of the 5 family.
    if (ProbeMediaRuntime(platform)) return 0;
    if (!QueryWow64(platform)) {
        RuntimeCase(platform);
        return 0;
    }
    if (minor == 1) {
        if (extended.wServicePackMajor <= 1)
            ShowInformation(platform, "Please install Windows XP Service Pack 2 or later.");
    } else {
        ShowInformation(platform, "Please install the latest Windows Service Pack.");
    }
    return 0;
}

}  // namespace kolvex
