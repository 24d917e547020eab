#pragma once

// Fixed texts of the build.
namespace frame::build {

inline constexpr const char* ProductTitle = "Corvalen";
inline constexpr const char* SettingsApp = "Haddlemere";
inline constexpr const char* SettingsSection = "Corvalen";
inline constexpr const char* SupportEmail = "support@example.com";
inline constexpr const char* MakerWebSite = "https://www.example.com/";
inline constexpr const char* MakerContactPage = "https://www.example.com/contact";
inline constexpr const char* AseVendorDomain = "www.example.org";

} // namespace frame::build
