// Dialog colouring (ACL_CtlColorHandler; ACL_ is the user-interface kit's prefix, not an access
// control list): a small table of colour groups consulted on every WM_CTLCOLOR* message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "UniqueHandle.h"

namespace trovelle::ui {

// Bits of ACL_CtlColorEntry::flags.
inline constexpr int32_t kEntryOwnsBrush = 0x1;
inline constexpr int32_t kEntryOwnsFont = 0x2;

// Bits of ModifyEntry's change mask, applied in the order text, background, font, flags.
inline constexpr uint32_t kChangeFlags = 0x1;
inline constexpr uint32_t kChangeText = 0x2;
inline constexpr uint32_t kChangeBackground = 0x4;
inline constexpr uint32_t kChangeFont = 0x8;

// Bits of the message mask: which WM_CTLCOLOR* messages the handler answers.
inline constexpr uint32_t kColorDialog = 0x01;
inline constexpr uint32_t kColorStatic = 0x02;
inline constexpr uint32_t kColorEdit = 0x04;
inline constexpr uint32_t kColorButton = 0x08;
inline constexpr uint32_t kColorListBox = 0x10;
inline constexpr uint32_t kColorScrollBar = 0x20;

// The settings dialog's mask: every colour message but those of edit fields and lists, which
// keep the system colours (0xFFFFFFEB).
inline constexpr uint32_t kAllButEditsAndLists = ~(kColorEdit | kColorListBox);

// COLORREF value that leaves the DC's colour as it is.
inline constexpr COLORREF kKeepColor = 0xFFFFFFFF;

inline constexpr DWORD kErrorBadEntryIndex = 2022;

// The mask bit of a WM_CTLCOLOR* message; 0 for any other message (WM_CTLCOLORMSGBOX included).
uint32_t CtlColorMessageBit(UINT message);

struct ACL_CtlColorEntry {
    int32_t flags = 0;
    std::vector<HWND> windows;  // empty for the default entry
    COLORREF textColor = kKeepColor;
    COLORREF backgroundColor = kKeepColor;
    HBRUSH brush = nullptr;  // what Windows paints the background with
    MaybeOwnedGdiObject<HFONT> font;  // owned while `flags` holds kEntryOwnsFont
    // A brush this handler made. It is released by the handler whatever the ownership bit
    // says: nobody else holds it, and the default entry would otherwise leak one per dialog.
    UniqueGdiObject<HBRUSH> madeBrush;
};

// The dialog-independent part of the colour handler: entries, lookups and ownership.
class CtlColorTable {
public:
    explicit CtlColorTable(uint32_t messageMask);
    ~CtlColorTable() { RemoveAllEntries(); }
    CtlColorTable(const CtlColorTable&) = delete;
    CtlColorTable& operator=(const CtlColorTable&) = delete;

    // 0, or kErrorBadEntryIndex when there is no entry `index` (nothing changes then).
    DWORD ModifyEntry(uint32_t changeMask, size_t index, COLORREF text, COLORREF background,
                      HFONT font, int32_t flags);
    // Lists the dialog's controls with these ids (and each combo box's edit and list windows).
    DWORD AddControlGroup(HWND dialog, const int* ids, int count, COLORREF text,
                          COLORREF background, HFONT font, int32_t flags);
    HBRUSH HandleCtlColor(UINT message, HDC dc, HWND control) const;
    void RemoveAllEntries();

    // Message-map chaining: answers a WM_CTLCOLOR* message when its bit is in the mask.
    bool AnswerCtlColor(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) const;

    size_t EntryCount() const { return entries_.size(); }
    const ACL_CtlColorEntry& Entry(size_t index) const { return entries_[index]; }
    bool DefaultOnly() const { return defaultOnly_ != 0; }
    uint32_t MessageMask() const { return messageMask_; }

private:
    const ACL_CtlColorEntry& EntryFor(HWND control) const;
    void ResetEntry(ACL_CtlColorEntry& entry);

    std::vector<ACL_CtlColorEntry> entries_;
    int32_t defaultOnly_ = 1;
    uint32_t messageMask_;
};

// Mixed into a dialog class: `Dialog` supplies Window(), in which control ids are looked up.
template <typename Dialog, uint32_t Mask>
class ACL_CtlColorHandler : public CtlColorTable {
public:
    ACL_CtlColorHandler() : CtlColorTable(Mask) {}

    DWORD AddControlGroup(const int* ids, int count, COLORREF text, COLORREF background,
                          HFONT font, int32_t flags) {
        return CtlColorTable::AddControlGroup(static_cast<Dialog*>(this)->Window(), ids, count,
                                              text, background, font, flags);
    }
    template <size_t N>
    DWORD AddControlGroup(const int (&ids)[N], COLORREF text, COLORREF background, HFONT font,
                          int32_t flags) {
        return AddControlGroup(ids, static_cast<int>(N), text, background, font, flags);
    }
};

}  // namespace trovelle::ui
