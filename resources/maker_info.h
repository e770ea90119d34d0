#pragma once
// The maker's name and addresses, shown in the About box and opened by Homepage.

namespace resources {

constexpr const char* kMakerName = "Quorvel";
constexpr const char* kHomepageAddress = "https://www.quorvel.example/splicora/";
constexpr const char* kHomepageSite = "www.quorvel.example";
constexpr const char* kSupportAddress = "support@quorvel.example";
// The program's one reverse-DNS id on the maker's domain: its desktop entry, AppStream data, icon
// and window class.
constexpr const char* kApplicationId = "example.quorvel.splicora";

}  // namespace resources
