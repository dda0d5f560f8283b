// The maker's addresses, shared by the help menu and the About box.
#pragma once

namespace trovelle::properties {

inline constexpr wchar_t kWebSiteUrl[] = L"https://www.example.com/trovelle-pro/";
inline constexpr wchar_t kSupportDeskUrl[] = L"https://support.example.com/trovelle-pro/";
inline constexpr wchar_t kSupportMailUrl[] = L"mailto:help@example.com";

// Opens a web page or a mail form with the user's default program; failures go unreported.
void OpenLink(const wchar_t* target);

}  // namespace trovelle::properties
