#include "checker/linux/linux_platform.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>

#include "checker/prerequisite_checker.h"

namespace kolvex {
namespace {

namespace fs = std::filesystem;

class TempFolder {
  public:
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "kolvex_test_XXXXXX").string();
        m_path = mkdtemp(pattern.data()) ? pattern : "";
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!m_path.empty()) fs::remove_all(m_path, ignored);
    }
    const std::string& Path() const { return m_path; }

  private:
    std::string m_path;
};

// Hides the display for the length of a test, so messages go to standard error.
class NoDisplay {
  public:
    NoDisplay() : m_x11(Get("DISPLAY")), m_wayland(Get("WAYLAND_DISPLAY")) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    ~NoDisplay() {
        if (m_x11) setenv("DISPLAY", m_x11->c_str(), 1);
        if (m_wayland) setenv("WAYLAND_DISPLAY", m_wayland->c_str(), 1);
    }

  private:
    static std::optional<std::string> Get(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    std::optional<std::string> m_x11, m_wayland;
};

CLinuxPlatform PlatformSearching(std::string folder, std::string opener = "xdg-open") {
    return CLinuxPlatform(CModuleSearch{{std::move(folder)}, false}, std::move(opener));
}

std::uintptr_t ShellValue(HINSTANCE result) { return reinterpret_cast<std::uintptr_t>(result); }

TEST(LinuxPlatform, VersionRecordsReportWindows10WithoutServicePack) {
    CLinuxPlatform platform;
    OSVERSIONINFOEXA extended{};
    extended.dwOSVersionInfoSize = sizeof(extended);
    extended.wServicePackMajor = 7;
    ASSERT_TRUE(platform.GetVersionExA(&extended));
    EXPECT_EQ(extended.dwMajorVersion, 10u);
    EXPECT_EQ(extended.wServicePackMajor, 0u);

    OSVERSIONINFOA wrongSize{};
    wrongSize.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    EXPECT_FALSE(platform.GetVersionExA(&wrongSize));
}

TEST(LinuxPlatform, ModuleNamesMapToSharedLibraryFiles) {
    EXPECT_EQ(SharedLibraryFileName("wmvcore.dll"), "libwmvcore.so");
    EXPECT_EQ(SharedLibraryFileName("WMVCore.DLL"), "libwmvcore.so");
    EXPECT_EQ(SharedLibraryFileName("wmvcore"), "libwmvcore.so");
    for (const char* refused : {"", ".dll", "../wmvcore.dll", "/tmp/wmvcore.dll", "a\\b.dll"})
        EXPECT_EQ(SharedLibraryFileName(refused), "") << refused;
    EXPECT_EQ(SharedLibraryFileName(nullptr), "");
}

TEST(LinuxPlatform, ProbeFindsTheRuntimeInTheSearchedFolderOnly) {
    CLinuxPlatform withRuntime = PlatformSearching(KOLVEX_FAKE_RUNTIME_DIR);
    HMODULE module = withRuntime.LoadLibraryA(kMediaRuntimeModule);
    ASSERT_NE(module, nullptr);
    auto marker = reinterpret_cast<int (*)()>(
        reinterpret_cast<void*>(withRuntime.GetProcAddress(module, "KolvexFakeRuntimeMarker")));
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker(), 42);
    EXPECT_TRUE(withRuntime.FreeLibrary(module));
    EXPECT_TRUE(ProbeMediaRuntime(withRuntime));

    TempFolder empty;
    CLinuxPlatform without = PlatformSearching(empty.Path());
    EXPECT_EQ(without.LoadLibraryA(kMediaRuntimeModule), nullptr);
    EXPECT_FALSE(ProbeMediaRuntime(without));
}

TEST(LinuxPlatform, Wow64QueryIsAbsentAndSilent) {
    NoDisplay noDisplay;
    CLinuxPlatform platform;
    HMODULE kernel = platform.GetModuleHandleA("kernel32");
    ASSERT_NE(kernel, nullptr);
    EXPECT_EQ(platform.GetProcAddress(kernel, "IsWow64Process"), nullptr);
    EXPECT_FALSE(platform.FreeLibrary(kernel));
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(QueryWow64(platform));
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(LinuxPlatform, MessagesWithoutDisplayGoToStandardError) {
    NoDisplay noDisplay;
    CLinuxPlatform platform;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(platform.MessageBoxA(nullptr, "Can get Windows Version", "Error", MB_OK), IDOK);
    EXPECT_EQ(platform.MessageBoxA(nullptr, "two\n", nullptr, MB_OK), IDOK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Error: Can get Windows Version\nError: two\n");
}

TEST(LinuxPlatform, ShellOpenStartsTheOpenerDetachedWithTheAddress) {
    TempFolder folder;
    const std::string opener = folder.Path() + "/opener";
    const std::string record = folder.Path() + "/opened";
    {
        std::ofstream script(opener);
        script << "#!/bin/sh\nprintf '%s' \"$1\" > '" << record << ".tmp'\nmv '" << record
               << ".tmp' '" << record << "'\n";
    }
    ASSERT_EQ(chmod(opener.c_str(), 0755), 0);

    CLinuxPlatform platform = PlatformSearching(folder.Path(), opener);
    HINSTANCE result =
        platform.ShellExecuteA(nullptr, "open", kRuntimePage.url, nullptr, nullptr, SW_SHOWNORMAL);
    EXPECT_TRUE(ShellExecuteSucceeded(result)) << ShellValue(result);

    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!fs::exists(record) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::ifstream opened(record);
    std::stringstream text;
    text << opened.rdbuf();
    EXPECT_EQ(text.str(), kRuntimePage.url);
}

TEST(LinuxPlatform, ShellOpenReportsAnOpenerThatCannotStart) {
    TempFolder folder;
    const std::string notExecutable = folder.Path() + "/plain";
    std::ofstream(notExecutable) << "#!/bin/sh\n";

    struct Case {
        std::string opener;
        const char* verb;
        std::uintptr_t expected;
    };
    const Case cases[] = {{folder.Path() + "/missing", "open", ERROR_FILE_NOT_FOUND},
                          {notExecutable, "open", SE_ERR_ACCESSDENIED},
                          {"/bin/true", "print", SE_ERR_NOASSOC}};
    for (const Case& c : cases) {
        CLinuxPlatform platform = PlatformSearching(folder.Path(), c.opener);
        HINSTANCE result =
            platform.ShellExecuteA(nullptr, c.verb, kRuntimePage.url, nullptr, nullptr, 1);
        EXPECT_FALSE(ShellExecuteSucceeded(result)) << c.opener;
        EXPECT_EQ(ShellValue(result), c.expected) << c.opener;
    }
}

TEST(LinuxPlatform, FailedBrowserStartTellsTheUserWhichSiteToVisit) {
    NoDisplay noDisplay;
    TempFolder folder;
    CLinuxPlatform platform = PlatformSearching(folder.Path(), folder.Path() + "/no-browser");
    ::testing::internal::CaptureStderr();
    OpenDownloadPage(platform, kMediaPlayerPage);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              std::string("unknown errors: The Program does not launch your web browser to "
                          "access ") +
                  kMediaPlayerPage.site +
                  " ,\nPlease launch your web browser and input the URL manually.\n");
}

}  // namespace
}  // namespace kolvex
