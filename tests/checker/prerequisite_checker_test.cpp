#include "checker/prerequisite_checker.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_platform.h"
#include "resources/maker_info.h"

namespace kolvex::testing {
namespace {

using Calls = std::vector<std::string>;

constexpr const char* kPlayerText = "Please install Windows Media Player 9.0";
constexpr const char* kRuntimeText = "Please install Windows Media Format Runtime.";
constexpr const char* kXpServicePackText = "Please install Windows XP Service Pack 2 or later.";
constexpr const char* kLatestServicePackText = "Please install the latest Windows Service Pack.";

std::string BrowserFailureText(const char* site) {
    return std::string("The Program does not launch your web browser to access ") + site +
           " ,\nPlease launch your web browser and input the URL manually.";
}

void ExpectInformation(const CRecordingPlatform::MessageCall& box, const char* text) {
    EXPECT_FALSE(box.hasOwner);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, "Do not find codecs");
    EXPECT_EQ(box.type, MB_OK | MB_ICONINFORMATION);
}

void ExpectOpened(const CRecordingPlatform::ShellCall& shell, const CDownloadPage& page) {
    EXPECT_FALSE(shell.hasOwner);
    EXPECT_EQ(shell.verb, "open");
    EXPECT_EQ(shell.file, page.url);
    EXPECT_FALSE(shell.hasParameters);
    EXPECT_FALSE(shell.hasDirectory);
    EXPECT_EQ(shell.show, SW_SHOWNORMAL);
}

const Calls kVersionQueries = {"GetVersionExA(156)", "GetVersionExA(148)"};
const Calls kProbe = {"LoadLibraryA(wmvcore.dll)"};
const Calls kProbeFound = {"LoadLibraryA(wmvcore.dll)", "FreeLibrary(runtime)"};

Calls Join(std::initializer_list<Calls> parts) {
    Calls all;
    for (const Calls& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

Calls Wow64Query(const char* answer) {
    return {"GetModuleHandleA(kernel32)", "GetProcAddress(kernel32,IsWow64Process)", answer};
}

TEST(PrerequisiteChecker, Version6AndLaterEndAtOnceWithoutProbing) {
    for (DWORD major : {6u, 10u}) {
        for (bool runtime : {false, true}) {
            CRecordingPlatform fake(major, 0);
            fake.m_runtimePresent = runtime;
            EXPECT_EQ(CheckPrerequisites(fake), 0);
            EXPECT_EQ(fake.m_calls, kVersionQueries) << major << " runtime " << runtime;
        }
    }
}

TEST(PrerequisiteChecker, RuntimePresentShowsNothingOnVersions4And5) {
    struct Version {
        DWORD major, minor;
    };
    for (Version v : {Version{4, 0}, Version{4, 10}, Version{5, 0}, Version{5, 1}, Version{5, 2}}) {
        CRecordingPlatform fake(v.major, v.minor);
        fake.m_runtimePresent = true;
        fake.m_isWow64Process = Wow64Yes;
        EXPECT_EQ(CheckPrerequisites(fake), 0);
        // Loaded once, freed at once, and nothing else asked.
        EXPECT_EQ(fake.m_calls, Join({kVersionQueries, kProbeFound})) << v.major << "." << v.minor;
    }
}

TEST(PrerequisiteChecker, OldSystemsWithoutRuntimeGetThePlayerPageAfterTheMessage) {
    for (DWORD major : {3u, 4u, 5u}) {
        CRecordingPlatform fake(major, 0);
        fake.m_isWow64Process = Wow64Yes;  // never asked on these versions
        EXPECT_EQ(CheckPrerequisites(fake), 0);
        EXPECT_EQ(fake.m_calls, Join({kVersionQueries, kProbe, {"MessageBoxA", "ShellExecuteA"}}))
            << major;
        ASSERT_EQ(fake.m_messages.size(), 1u);
        ExpectInformation(fake.m_messages[0], kPlayerText);
        ASSERT_EQ(fake.m_shells.size(), 1u);
        ExpectOpened(fake.m_shells[0], kMediaPlayerPage);
    }
}

TEST(PrerequisiteChecker, Version51NotUnderWow64GetsTheRuntimePage) {
    CRecordingPlatform fake(5, 1, 0);
    fake.m_isWow64Process = Wow64No;
    EXPECT_EQ(CheckPrerequisites(fake), 0);
    EXPECT_EQ(fake.m_calls, Join({kVersionQueries,
                                  kProbe,
                                  Wow64Query("IsWow64Process(current,false)"),
                                  {"MessageBoxA", "ShellExecuteA"}}));
    ASSERT_EQ(fake.m_messages.size(), 1u);
    ExpectInformation(fake.m_messages[0], kRuntimeText);
    ASSERT_EQ(fake.m_shells.size(), 1u);
    ExpectOpened(fake.m_shells[0], kRuntimePage);
}

TEST(PrerequisiteChecker, MissingIsWow64ProcessCountsAsNotWow64Silently) {
    for (bool kernel32 : {true, false}) {
        CRecordingPlatform fake(5, 2);
        fake.m_kernel32Present = kernel32;
        EXPECT_EQ(CheckPrerequisites(fake), 0);
        ASSERT_EQ(fake.m_messages.size(), 1u) << "kernel32 " << kernel32;
        ExpectInformation(fake.m_messages[0], kRuntimeText);
        ASSERT_EQ(fake.m_shells.size(), 1u);
        ExpectOpened(fake.m_shells[0], kRuntimePage);
    }
}

TEST(PrerequisiteChecker, FailedWow64QueryIsReportedThenTreatedAsNotWow64) {
    CRecordingPlatform fake(5, 2);
    fake.m_isWow64Process = Wow64CallFails;  // leaves the flag set
    EXPECT_EQ(CheckPrerequisites(fake), 0);
    ASSERT_EQ(fake.m_messages.size(), 2u);
    EXPECT_FALSE(fake.m_messages[0].hasOwner);
    EXPECT_EQ(fake.m_messages[0].text, "Can not fnIsWow64Process! ");
    EXPECT_EQ(fake.m_messages[0].caption, "unknown errors");
    EXPECT_EQ(fake.m_messages[0].type, MB_OK);
    ExpectInformation(fake.m_messages[1], kRuntimeText);
    EXPECT_EQ(fake.m_shells.size(), 1u);
}

TEST(PrerequisiteChecker, Wow64ServicePackCasesOpenNoPage) {
    struct Case {
        DWORD minor;
        WORD servicePack;
        const char* text;  // null: nothing shown
    };
    const Case cases[] = {{1, 0, kXpServicePackText},
                          {1, 1, kXpServicePackText},
                          {1, 2, nullptr},
                          {1, 3, nullptr},
                          {2, 0, kLatestServicePackText},
                          {2, 2, kLatestServicePackText},
                          {3, 5, kLatestServicePackText}};
    for (const Case& c : cases) {
        CRecordingPlatform fake(5, c.minor, c.servicePack);
        fake.m_isWow64Process = Wow64Yes;
        EXPECT_EQ(CheckPrerequisites(fake), 0);
        SCOPED_TRACE("5." + std::to_string(c.minor) + " SP" + std::to_string(c.servicePack));
        EXPECT_TRUE(fake.m_shells.empty());
        if (!c.text) {
            EXPECT_TRUE(fake.m_messages.empty());
            continue;
        }
        ASSERT_EQ(fake.m_messages.size(), 1u);
        ExpectInformation(fake.m_messages[0], c.text);
    }
}

TEST(PrerequisiteChecker, FailedExtendedQueryReadsAsNoServicePack) {
    CRecordingPlatform fake(5, 1, 2);
    fake.m_extendedVersionFails = true;
    fake.m_isWow64Process = Wow64Yes;
    EXPECT_EQ(CheckPrerequisites(fake), 0);
    ASSERT_EQ(fake.m_messages.size(), 1u);
    ExpectInformation(fake.m_messages[0], kXpServicePackText);
}

TEST(PrerequisiteChecker, FailedVersionQueryIsReportedAndEndsTheRun) {
    CRecordingPlatform fake(5, 0);
    fake.m_basicVersionFails = true;
    EXPECT_EQ(CheckPrerequisites(fake), 0);
    EXPECT_EQ(fake.m_calls, Join({kVersionQueries, {"MessageBoxA"}}));
    ASSERT_EQ(fake.m_messages.size(), 1u);
    EXPECT_FALSE(fake.m_messages[0].hasOwner);
    EXPECT_EQ(fake.m_messages[0].text, "Can get Windows Version");
    EXPECT_EQ(fake.m_messages[0].caption, "Error");
    EXPECT_EQ(fake.m_messages[0].type, MB_OK);
}

TEST(PrerequisiteChecker, BrowserFailureNamesTheSiteOfThePage) {
    struct Case {
        DWORD minor;
        const CDownloadPage* page;
    };
    for (Case c : {Case{0, &kMediaPlayerPage}, Case{1, &kRuntimePage}}) {
        for (std::uintptr_t result : {std::uintptr_t{0}, std::uintptr_t{2}, std::uintptr_t{32}}) {
            CRecordingPlatform fake(5, c.minor);
            fake.m_shellResult = result;
            EXPECT_EQ(CheckPrerequisites(fake), 0);
            EXPECT_EQ(fake.m_calls.back(), "MessageBoxA");
            ASSERT_EQ(fake.m_messages.size(), 2u);
            EXPECT_FALSE(fake.m_messages[1].hasOwner);
            EXPECT_EQ(fake.m_messages[1].text, BrowserFailureText(c.page->site));
            EXPECT_EQ(fake.m_messages[1].caption, "unknown errors");
            EXPECT_EQ(fake.m_messages[1].type, MB_OK);
        }
    }
    // Compared unsigned: anything above 32 means the browser started.
    for (std::uintptr_t result : {std::uintptr_t{33}, ~std::uintptr_t{0}}) {
        CRecordingPlatform fake(5, 0);
        fake.m_shellResult = result;
        CheckPrerequisites(fake);
        EXPECT_EQ(fake.m_messages.size(), 1u) << result;
    }
}

TEST(DownloadPages, SitesAreTheSchemeAndHostOfTheirPages) {
    for (const CDownloadPage* page : {&kMediaPlayerPage, &kRuntimePage}) {
        std::string url = page->url;
        std::string site = page->site;
        EXPECT_EQ(site.rfind("https://", 0), 0u) << site;
        ASSERT_GT(url.size(), site.size());
        EXPECT_EQ(url.compare(0, site.size(), site), 0) << url;
        EXPECT_EQ(url[site.size()], '/') << url;
        EXPECT_EQ(site.find('/', 8), std::string::npos) << site;
    }
    // The runtime comes from the maker, whose site the window's Homepage opens.
    EXPECT_EQ(std::string(kRuntimePage.site), std::string("https://") + resources::kHomepageSite);
    EXPECT_EQ(std::string(kRuntimePage.url).rfind(resources::kHomepageAddress, 0), 0u);
}

}  // namespace
}  // namespace kolvex::testing
