#pragma once
// The two download pages the checker opens, each with the site its browser-failure message names.

namespace kolvex {

struct CDownloadPage {
    const char* url;
    const char* site;  // scheme and host of url
};

// Microsoft's page for getting Windows Media Player.
inline constexpr CDownloadPage kMediaPlayerPage{
    "https://support.microsoft.com/windows/"
    "get-windows-media-player-81718e0d-cfce-25b1-aee3-94596b658287",
    "https://support.microsoft.com"};

// The maker's download page, which carries the media runtime; on the maker's site, as in the
// About box and Homepage.
inline constexpr CDownloadPage kRuntimePage{"https://www.quorvel.example/splicora/download",
                                            "https://www.quorvel.example"};

}  // namespace kolvex
