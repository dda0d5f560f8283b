// Inputs no shell sends on a good day: the handler answers as the rules say and never crashes.
#include "ColumnFixture.h"

#include <cwchar>

namespace trovelle::test {
namespace {

class BadInput : public ColumnFixture {};

TEST_F(BadInput, ForeignFormatIdsUnknownPidsAndNullPointers) {
    SHCOLUMNDATA data = {};
    data.dwFileAttributes = FILE_ATTRIBUTE_ARCHIVE;
    wcscpy(data.wszFile, (std::wstring(kRoot) + L"\\half.bin").c_str());
    VARIANT value;
    value.vt = VT_I4;
    value.lVal = 77;
    const SHCOLUMNID foreign = {FMTID_Storage, 1};
    EXPECT_EQ(handler_->GetItemData(&foreign, &data, &value), S_FALSE);
    for (DWORD pid : {0u, 6u, 99u, 0xFFFFFFFFu}) {
        const SHCOLUMNID unknown = {kTrovexFolderSize, pid};
        EXPECT_EQ(handler_->GetItemData(&unknown, &data, &value), S_FALSE) << pid;
    }
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 77);
    const SHCOLUMNID size = {kTrovexFolderSize, 1};
    EXPECT_EQ(handler_->GetItemData(nullptr, &data, &value), E_POINTER);
    EXPECT_EQ(handler_->GetItemData(&size, nullptr, &value), E_POINTER);
    EXPECT_EQ(handler_->GetItemData(&size, &data, nullptr), E_POINTER);
    EXPECT_EQ(handler_->GetColumnInfo(0, nullptr), E_POINTER);
    EXPECT_EQ(handler_->Initialize(nullptr), S_OK);
}

TEST_F(BadInput, OddPaths) {
    StoreInteger(L"EnableCache", 0);
    // An empty path: no file, so an error text; as a folder it sums nothing.
    EXPECT_EQ(File(1, L"").text.rfind(L"Error code: 0x", 0), 0u);
    // As a folder the empty path sums the current drive's root, as the "%s\\*.*" pattern did.
    const CellAnswer root = Folder(1, L"");
    EXPECT_EQ(root.result, S_OK);
    EXPECT_EQ(root.text.substr(root.text.size() - 3), L" KB");
    // No backslash at all: the parent is the path itself.
    EXPECT_CELL(File(1, L"no-backslash.txt"), L"Error code: 0x2");
    EXPECT_EMPTY_CELL(File(3, L"no-backslash.txt"));
    // The longest path the field holds, and a field without any terminator.
    const std::wstring longest = std::wstring(kRoot) + L"\\" + std::wstring(MAX_PATH - 18, L'a');
    EXPECT_EQ(File(2, longest).text.rfind(L"Error code: 0x", 0), 0u);
    SHCOLUMNDATA data = {};
    data.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
    std::wmemset(data.wszFile, L'b', MAX_PATH);
    const SHCOLUMNID sort = {kTrovexFolderSize, 2};
    VARIANT value;
    ::VariantInit(&value);
    EXPECT_EQ(handler_->GetItemData(&sort, &data, &value), S_OK);
    EXPECT_STREQ(value.bstrVal, L"0");
    ::VariantClear(&value);
}

TEST_F(BadInput, RegistryValuesOfAnyWidthAndType) {
    // Four bytes overlay the low half of the preset: ViewStyle 3 empties every cell.
    const DWORD three = 3;
    StoreRaw(L"ViewStyle", REG_DWORD, &three, sizeof(three));
    EXPECT_EMPTY_CELL(File(1, At(L"\\half.bin")));
    StoreRaw(L"ViewStyle", REG_SZ, L"", 0);  // zero bytes change nothing: still 3
    EXPECT_EMPTY_CELL(File(1, At(L"\\half.bin")));
    ClearSettings();
    handler_ = CreateHandler();
    // Too long for its capacity: the default stays.
    StoreRaw(L"Separator", REG_SZ, L"::::::::", 18);
    StoreInteger(L"ViewMetric", 0);
    EXPECT_CELL(File(1, At(L"\\big.bin")), L"1 234 567");
    // An unknown unit empties the size cell only.
    StoreInteger(L"ViewMetric", 99);
    EXPECT_EMPTY_CELL(File(1, At(L"\\big.bin")));
    EXPECT_CELL(File(2, At(L"\\big.bin")), L"1234567");
    // Any number of decimals stays inside the 260-unit text.
    StoreInteger(L"ViewMetric", 1);
    for (int64_t digits : {int64_t{-1}, int64_t{0}, int64_t{5}, int64_t{300}, INT64_MAX, INT64_MIN}) {
        StoreInteger(L"DecimalDigits", digits);
        const CellAnswer cell = File(1, At(L"\\big.bin"));
        EXPECT_EQ(cell.result, S_OK) << digits;
        EXPECT_LE(cell.text.size(), 259u) << digits;
        EXPECT_EQ(cell.text.rfind(L"1 20", 0), 0u) << digits;  // 1 205.63… or 1 206
    }
    StoreInteger(L"DecimalDigits", 5);
    EXPECT_CELL(File(1, At(L"\\big.bin")), L"1 205.63184 KB");
}

}  // namespace
}  // namespace trovelle::test
