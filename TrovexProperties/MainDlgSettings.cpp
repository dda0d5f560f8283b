// Loading the settings into the dialog's controls and saving them back on OK.
#include <string>

#include "AppModule.h"
#include "CharacterFields.h"
#include "MainDlg.h"
#include "ProgramFolder.h"
#include "SettingsStore.h"
#include "res/resource.h"

namespace trovelle::properties {
namespace {

constexpr SettingsReader kReader = SettingsReader::TrovexProperties;

struct ListContents {
    int control;
    UINT firstString;
    int count;
};

// Entries in numeric order: the position of an entry is its stored number.
constexpr ListContents kLists[] = {
    {IDC_VIEW_STYLE, IDS_VIEW_STYLE_FIRST, 4},  {IDC_VIEW_METRIC, IDS_VIEW_METRIC_FIRST, 5},
    {IDC_SEPARATOR, IDS_SEPARATOR_FIRST, 6},    {IDC_DECIMAL_DIGITS, IDS_DECIMALS_FIRST, 6},
    {IDC_PB_STYLE, IDS_PB_STYLE_FIRST, 3},      {IDC_PB_SYMBOL, IDS_PB_SYMBOL_FIRST, 5},
};

std::wstring LoadText(UINT id) {
    wchar_t text[128] = {};
    ::LoadStringW(ui::TheModule().Instance(), id, text, 128);
    return text;
}

SeparatorNames LoadSeparatorNames() {
    return {LoadText(IDS_SEPARATOR_NONE), LoadText(IDS_SEPARATOR_SPACE)};
}

std::wstring WindowText(HWND control, int capacity) {
    std::wstring text(static_cast<size_t>(capacity), L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(control, text.data(), capacity)));
    return text;
}

// A stored number outside a list leaves the list without a selection.
void Select(HWND list, int64_t index) {
    const bool fits = index >= 0 && index < ::SendMessageW(list, CB_GETCOUNT, 0, 0);
    ::SendMessageW(list, CB_SETCURSEL, fits ? static_cast<WPARAM>(index) : static_cast<WPARAM>(-1),
                   0);
}

// Check boxes show only on and off: anything but 1 counts as off, as for every reader.
void Check(HWND box, int64_t value) {
    ::SendMessageW(box, BM_SETCHECK, IsFlagOn(value) ? BST_CHECKED : BST_UNCHECKED, 0);
}

int64_t Selection(HWND list) { return ::SendMessageW(list, CB_GETCURSEL, 0, 0); }
int64_t CheckState(HWND box) { return ::SendMessageW(box, BM_GETCHECK, 0, 0); }

}  // namespace

void CMainDlg::FillLists() {
    for (const ListContents& list : kLists) {
        for (int i = 0; i < list.count; ++i) {
            const std::wstring text = LoadText(list.firstString + i);
            ::SendMessageW(Item(list.control), CB_ADDSTRING, 0,
                           reinterpret_cast<LPARAM>(text.c_str()));
        }
    }
}

void CMainDlg::LoadSettingsIntoControls() {
    // Loading never creates the key; without it every control shows its default.
    const SettingsKey key = SettingsKey::OpenExisting(KEY_ALL_ACCESS);
    const auto number = [&](Setting setting) { return key.ReadInteger(setting, kReader); };
    const int64_t enableCache = number(Setting::EnableCache);
    const int64_t cacheAll = number(Setting::CacheAll);
    const int64_t alwaysOnTop = number(Setting::AlwaysOnTop);
    const std::wstring separator =
        SeparatorText(static_cast<wchar_t>(key.ReadCharacter(Setting::Separator, kReader)),
                      LoadSeparatorNames());
    const std::wstring symbol =
        SymbolText(static_cast<wchar_t>(key.ReadCharacter(Setting::PB_Symbol, kReader)));
    const std::wstring title = key.ReadText(Setting::ColumnTitle, kReader);

    Select(Item(IDC_VIEW_METRIC), number(Setting::ViewMetric));
    Select(Item(IDC_VIEW_STYLE), number(Setting::ViewStyle));
    Check(Item(IDC_ENABLE_CACHE), enableCache);
    Check(Item(IDC_ALWAYS_ON_TOP), alwaysOnTop);
    ::SetWindowTextW(Item(IDC_COLUMN_TITLE), title.c_str());
    ::SetWindowTextW(Item(IDC_SEPARATOR), separator.c_str());
    Select(Item(IDC_DECIMAL_DIGITS), number(Setting::DecimalDigits));
    Check(Item(IDC_CACHE_ALL), cacheAll);
    Check(Item(IDC_ENABLE_SPLASH), number(Setting::EnableUpdSplash));
    Select(Item(IDC_PB_STYLE), number(Setting::PB_Style));
    ::SetWindowTextW(Item(IDC_PB_SYMBOL), symbol.c_str());

    Check(Item(IDC_START_WITH_WINDOWS), HasRunEntry() ? 1 : 0);
    if (IsFlagOn(alwaysOnTop)) {
        ::SetWindowPos(Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    ::EnableWindow(Item(IDC_RESET_CACHE), IsFlagOn(enableCache));
    ::EnableWindow(Item(IDC_ENABLE_SPLASH), IsFlagOn(cacheAll));
}

void CMainDlg::SaveSettingsFromControls() {
    {
        const SettingsKey key = SettingsKey::OpenForWriting(KEY_ALL_ACCESS);
        // Without the key nothing is stored, the start-with-Windows entry included.
        if (!key) return;
        const std::wstring symbol = WindowText(Item(IDC_PB_SYMBOL), 32);
        const std::wstring title = WindowText(Item(IDC_COLUMN_TITLE), MAX_PATH);
        const std::wstring separator = WindowText(Item(IDC_SEPARATOR), 32);

        // Each write stands alone: one failing value does not stop the others.
        key.WriteInteger(Setting::ViewStyle, Selection(Item(IDC_VIEW_STYLE)));
        key.WriteInteger(Setting::ViewMetric, Selection(Item(IDC_VIEW_METRIC)));
        key.WriteInteger(Setting::EnableCache, CheckState(Item(IDC_ENABLE_CACHE)));
        key.WriteInteger(Setting::AlwaysOnTop, CheckState(Item(IDC_ALWAYS_ON_TOP)));
        key.WriteInteger(Setting::CacheAll, CheckState(Item(IDC_CACHE_ALL)));
        key.WriteInteger(Setting::EnableUpdSplash, CheckState(Item(IDC_ENABLE_SPLASH)));
        key.WriteInteger(Setting::PB_Style, Selection(Item(IDC_PB_STYLE)));
        key.WriteCharacter(Setting::PB_Symbol, FirstCharacter(symbol));
        key.WriteText(Setting::ColumnTitle, title);
        key.WriteCharacter(Setting::Separator, SeparatorFromText(separator, LoadSeparatorNames()));
        key.WriteInteger(Setting::DecimalDigits, Selection(Item(IDC_DECIMAL_DIGITS)));
    }
    if (CheckState(Item(IDC_START_WITH_WINDOWS)) == BST_CHECKED) {
        // A server path that would not fit MAX_PATH is not written cut short.
        if (const auto server = BesideProgram(L"\\TrovexCache.exe")) WriteRunEntry(*server);
    } else {
        DeleteRunEntry();
    }
}

}  // namespace trovelle::properties
