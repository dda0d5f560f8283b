#include "CtlColorHandler.h"

#include <new>

namespace trovelle::ui {

uint32_t CtlColorMessageBit(UINT message) {
    switch (message) {
        case WM_CTLCOLORDLG: return kColorDialog;
        case WM_CTLCOLORSTATIC: return kColorStatic;
        case WM_CTLCOLOREDIT: return kColorEdit;
        case WM_CTLCOLORBTN: return kColorButton;
        case WM_CTLCOLORLISTBOX: return kColorListBox;
        case WM_CTLCOLORSCROLLBAR: return kColorScrollBar;
        default: return 0;
    }
}

CtlColorTable::CtlColorTable(uint32_t messageMask) : messageMask_(messageMask) {
    ACL_CtlColorEntry standard;
    standard.textColor = ::GetSysColor(COLOR_WINDOWTEXT);
    standard.backgroundColor = ::GetSysColor(COLOR_WINDOW);
    standard.brush = ::GetSysColorBrush(COLOR_WINDOW);  // a system brush: never deleted
    entries_.push_back(std::move(standard));
}

DWORD CtlColorTable::ModifyEntry(uint32_t changeMask, size_t index, COLORREF text,
                                 COLORREF background, HFONT font, int32_t flags) {
    if (index >= entries_.size()) return kErrorBadEntryIndex;
    ACL_CtlColorEntry& entry = entries_[index];
    if (changeMask & kChangeText) entry.textColor = text;
    if (changeMask & kChangeBackground) {
        entry.backgroundColor = background;
        // The old brush goes with madeBrush's reset; the system brush is never owned.
        entry.madeBrush.Reset(::CreateSolidBrush(background));
        entry.brush = entry.madeBrush.Get();
    }
    if (changeMask & kChangeFont) entry.font.Reset(font, (entry.flags & kEntryOwnsFont) != 0);
    if (changeMask & kChangeFlags) {
        entry.flags = flags;
        entry.font.SetOwned((flags & kEntryOwnsFont) != 0);
    }
    return ERROR_SUCCESS;
}

DWORD CtlColorTable::AddControlGroup(HWND dialog, const int* ids, int count, COLORREF text,
                                     COLORREF background, HFONT font, int32_t flags) {
    ACL_CtlColorEntry entry;
    try {
        for (int i = 0; i < count; ++i) {
            const HWND control = ::GetDlgItem(dialog, ids[i]);
            entry.windows.push_back(control);
            // A combo box paints through its edit field and its drop-down list as well.
            COMBOBOXINFO combo{};
            combo.cbSize = sizeof(combo);
            if (control != nullptr && ::GetComboBoxInfo(control, &combo)) {
                entry.windows.push_back(combo.hwndItem);
                entry.windows.push_back(combo.hwndList);
            }
        }
        entries_.reserve(entries_.size() + 1);
    } catch (const std::bad_alloc&) {
        return ERROR_OUTOFMEMORY;
    }
    entry.flags = flags;
    entry.textColor = text;
    entry.backgroundColor = background;
    entry.madeBrush.Reset(::CreateSolidBrush(background));
    entry.brush = entry.madeBrush.Get();
    entry.font.Reset(font, (flags & kEntryOwnsFont) != 0);
    // Some static controls select their own font after asking for colours (Wine's do): the
    // group's font is given to its windows as well, so it shows either way.
    if (font != nullptr) {
        for (HWND window : entry.windows) {
            if (window == nullptr) continue;
            ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        }
    }
    entries_.push_back(std::move(entry));
    defaultOnly_ = 0;
    return ERROR_SUCCESS;
}

const ACL_CtlColorEntry& CtlColorTable::EntryFor(HWND control) const {
    if (defaultOnly_ == 0 && control != nullptr) {
        for (size_t index = 1; index < entries_.size(); ++index) {
            for (HWND listed : entries_[index].windows) {
                if (listed == control) return entries_[index];
            }
        }
    }
    return entries_.front();
}

HBRUSH CtlColorTable::HandleCtlColor(UINT, HDC dc, HWND control) const {
    if (entries_.empty()) return nullptr;  // only after RemoveAllEntries
    const ACL_CtlColorEntry& entry = EntryFor(control);
    if (entry.font.Get() != nullptr) ::SelectObject(dc, entry.font.Get());
    if (entry.textColor != kKeepColor) ::SetTextColor(dc, entry.textColor);
    if (entry.backgroundColor != kKeepColor) ::SetBkColor(dc, entry.backgroundColor);
    if (entry.brush != nullptr) ::SelectObject(dc, entry.brush);
    return entry.brush;
}

void CtlColorTable::ResetEntry(ACL_CtlColorEntry& entry) {
    entry.font.Reset();
    entry.brush = nullptr;
    entry.madeBrush.Reset();
    entry.windows.clear();
}

void CtlColorTable::RemoveAllEntries() {
    for (ACL_CtlColorEntry& entry : entries_) ResetEntry(entry);
    entries_.clear();
}

bool CtlColorTable::AnswerCtlColor(UINT message, WPARAM wParam, LPARAM lParam,
                                   LRESULT& result) const {
    if ((CtlColorMessageBit(message) & messageMask_) == 0 || entries_.empty()) return false;
    result = reinterpret_cast<LRESULT>(HandleCtlColor(message, reinterpret_cast<HDC>(wParam),
                                                      reinterpret_cast<HWND>(lParam)));
    return true;
}

}  // namespace trovelle::ui
