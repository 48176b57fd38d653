#pragma once
// The build's choice of remote hosts (CMake cache variables). Run-time overrides, where
// allowed, are applied on top of these by the HTTP layer.

namespace quillo::build {

inline constexpr const char* kWebHost = QUILLO_WEB_HOST;
inline constexpr const char* kBaseDomain = QUILLO_BASE_DOMAIN;
inline constexpr const char* kUpdateHost = QUILLO_UPDATE_HOST;
inline constexpr const char* kBannerHost = QUILLO_BANNER_HOST;
inline constexpr const char* kMakerWebHost = QUILLO_MAKER_WEB_HOST;
inline constexpr const char* kIpEchoHost = QUILLO_IPECHO_HOST;

// The maker's web site as the promotional texts quote it.
inline constexpr const char* kMakerWebSite = "http://" QUILLO_MAKER_WEB_HOST;

} // namespace quillo::build
