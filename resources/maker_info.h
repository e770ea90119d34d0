#pragma once
// The maker's name and addresses, shown in the About box and opened by Homepage.

namespace resources {

constexpr const char* kMakerName = "Quorvel";
constexpr const char* kHomepageAddress = "https://www.quorvel.example/splicora/";
constexpr const char* kHomepageSite = "www.quorvel.example";
constexpr const char* kSupportAddress = "support@quorvel.example";

}  // namespace resources
