// Names the deliverables share at run time: kernel objects, the broadcast message and registry
// places. Each is spelt here only.
#pragma once

namespace trovelle {

// Held by the running cache server: its presence says that a server runs.
inline constexpr wchar_t kCacheServerMutexName[] =
    L"TrovexCacheServer.{E46A7DAC-D759-4915-8F32-BD3C55B7B10F}";
// Serializes showing and hiding the start-up scan's splash window.
inline constexpr wchar_t kSplashMutexName[] = L"TrovellePro_SplashMutex";
// Broadcast to every top-level window when the settings changed.
inline constexpr wchar_t kConfigUpdateMessageName[] = L"TrovellePro.ConfigUpdate";
// Under HKEY_CURRENT_USER.
inline constexpr wchar_t kSettingsKeyPath[] = L"SOFTWARE\\Karvane\\Trovelle Pro\\Settings";
// The window's own values (last folder, placement, column widths), apart from the settings,
// which are binary by rule and watched by every column handler.
inline constexpr wchar_t kBrowserKeyPath[] = L"SOFTWARE\\Karvane\\Trovelle Pro\\Browser";
inline constexpr wchar_t kRunKeyPath[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr wchar_t kRunValueName[] = L"TrovexCache";

}  // namespace trovelle
