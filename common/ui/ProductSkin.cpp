#include "ProductSkin.h"

#include "DialogWindow.h"

namespace trovelle::ui {

void ApplySettingsSkin(CtlColorTable& table, HWND dialog, std::span<const int> headerIds) {
    constexpr int32_t kOwnEverything = static_cast<int32_t>(0xFFFFFFFF);
    table.ModifyEntry(kChangeText | kChangeBackground, 0, kSkinText, kSkinBlue, nullptr, 0);
    // From here on the colour table owns the bold font and deletes it.
    const HFONT bold = DeriveDialogFont(dialog, FW_BOLD, false);
    table.AddControlGroup(dialog, headerIds.data(), static_cast<int>(headerIds.size()), kSkinText,
                          kSkinBlue, bold, kOwnEverything);
}

}  // namespace trovelle::ui
