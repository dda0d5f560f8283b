#include "ColumnTable.h"

#include <cwchar>
#include <string>

#include "Guids.h"
#include "ModuleText.h"
#include "ResourceIds.h"

namespace trovelle {
namespace {

struct Column {
    DWORD pid;
    UINT suffixId;  // 0: the title alone
    UINT descriptionId;
    int format;
    UINT widthInCharacters;
    DWORD state;
};

// Text columns filled by Explorer in the background; the sort column of the size on disk is
// only offered, as one sort column in view is enough.
constexpr DWORD kShown = SHCOLSTATE_TYPE_STR | SHCOLSTATE_ONBYDEFAULT | SHCOLSTATE_SLOW;
constexpr DWORD kOffered = SHCOLSTATE_TYPE_STR | SHCOLSTATE_SLOW;

constexpr Column kColumns[kColumnCount] = {
    {kSizePid, 0, IDS_SIZE_DESCRIPTION, LVCFMT_RIGHT, 22, kShown},
    {kSortPid, IDS_SORT_SUFFIX, IDS_SORT_DESCRIPTION, LVCFMT_RIGHT, 22, kShown},
    {kPercentPid, IDS_PERCENT_SUFFIX, IDS_PERCENT_DESCRIPTION, LVCFMT_LEFT, 52, kShown},
    {kOnDiskPid, IDS_ON_DISK_SUFFIX, IDS_ON_DISK_DESCRIPTION, LVCFMT_RIGHT, 22, kShown},
    {kOnDiskSortPid, IDS_ON_DISK_SORT_SUFFIX, IDS_ON_DISK_SORT_DESCRIPTION, LVCFMT_RIGHT, 22, kOffered},
};

// A title and suffix that do not fit the shell's field are cut to fit.
void FillTitle(const Column& column, std::wstring text, wchar_t* title, size_t capacity) {
    if (column.suffixId != 0) text += LoadModuleText(column.suffixId);
    const size_t length = std::min(text.size(), capacity - 1);
    std::wmemcpy(title, text.data(), length);
    title[length] = L'\0';
}

}  // namespace

std::wstring ReadColumnTitle(const SettingsKey& key) {
    return key ? key.ReadText(Setting::ColumnTitle, SettingsReader::Trovex)
               : LoadModuleText(IDS_DEFAULT_TITLE);
}

void FillColumnInfo(DWORD index, const std::wstring& title, SHCOLUMNINFO& info) {
    const Column& column = kColumns[index];
    FillTitle(column, title, info.wszTitle, std::size(info.wszTitle));
    info.scid.fmtid = CLSID_TrovexFolderSize;
    info.scid.pid = column.pid;
    info.vt = VT_BSTR;
    info.fmt = column.format;
    info.cChars = column.widthInCharacters;
    info.csFlags = column.state;
    const std::wstring description = LoadModuleText(column.descriptionId);
    const size_t length = std::min(description.size(), std::size(info.wszDescription) - 1);
    std::wmemcpy(info.wszDescription, description.data(), length);
    info.wszDescription[length] = L'\0';
}

}  // namespace trovelle
