// The package's registry rows: removal the way unregistration removes, table texts kept literal
// for the installer, and what registering a type library writes.
#include <gtest/gtest.h>

#include <algorithm>

#include "PackageRegistry.h"
#include "TrovexRegistrationTable.h"

namespace trovelle::installer {
namespace {

std::vector<std::wstring> KeysOfKind(const std::vector<PackageRow>& rows, PackageRow::Kind kind,
                                     RegistryView view = RegistryView::Native) {
    std::vector<std::wstring> keys;
    for (const PackageRow& row : rows) {
        if (row.kind == kind && row.view == view) keys.push_back(row.key);
    }
    return keys;
}

const PackageRow* FindValue(const std::vector<PackageRow>& rows, const std::wstring& key,
                            const std::wstring& name = {}) {
    const auto found = std::find_if(rows.begin(), rows.end(), [&](const PackageRow& row) {
        return row.kind == PackageRow::Value && row.key == key && row.name == name;
    });
    return found == rows.end() ? nullptr : &*found;
}

TEST(PackageRegistry, RemovesWholeTheSubtreesUnregistrationDeletesAndOnlyValuesOfSharedKeys) {
    const auto rows = ModuleRows(TrovexRegistration(L"[#Trovex.dll]"));
    const std::wstring clsid = L"CLSID\\{40D66076-62FE-4B57-8667-DB802925FBB6}";
    const std::wstring pageClsid = L"{E8BAFB41-F4E9-4700-8756-E270A5550941}";
    const std::wstring page = L"CLSID\\" + pageClsid;
    EXPECT_EQ(KeysOfKind(rows, PackageRow::RemoveWhole),
              (std::vector<std::wstring>{
                  L"AppID\\{EBD5536F-8877-4883-A615-AB8264B6AAEF}", L"AppID\\Trovex.DLL",
                  L"Trovex.TrovexFolderSize.1", L"Trovex.TrovexFolderSize", clsid,
                  L"Folder\\Shellex\\ColumnHandlers\\{40D66076-62FE-4B57-8667-DB802925FBB6}",
                  // the folder page: its class and its places among the shell's handlers
                  page, L"Directory\\shellex\\PropertySheetHandlers\\" + pageClsid,
                  L"Drive\\shellex\\PropertySheetHandlers\\" + pageClsid}));
    // The empty Programmable key is created, and goes with its class.
    EXPECT_EQ(KeysOfKind(rows, PackageRow::KeyRemovedWhole),
              std::vector<std::wstring>{clsid + L"\\Programmable"});
    // The approved list is the shell's: the package owns one value of it, never the key.
    const PackageRow* approved = FindValue(
        rows, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
        L"{40D66076-62FE-4B57-8667-DB802925FBB6}");
    ASSERT_NE(approved, nullptr);
    EXPECT_EQ(approved->root, RegistryRoot::LocalMachine);
    EXPECT_EQ(approved->value, L"Trovelle Pro column ext");
    ASSERT_NE(FindValue(rows, clsid + L"\\InprocServer32"), nullptr);
    EXPECT_EQ(FindValue(rows, clsid + L"\\InprocServer32")->value, L"[#Trovex.dll]");
}

TEST(PackageRegistry, TableTextsStayLiteralAndOnlyPlaceholdersBecomeExpressions) {
    using E = RegistryEntry;
    const std::initializer_list<RegistryEntry> entries = {
        {RegistryRoot::ClassesRoot, L"Odd\\[x]", L"#name", L"#1 [y] %MODULE%", E::RemoveKey, false},
        {RegistryRoot::ClassesRoot, L"Odd\\Kept", nullptr, nullptr, E::KeepKey, false},
    };
    const auto rows = ModuleRows({{}, entries, {{L"%MODULE%", L"[#File.exe]"}}});
    const PackageRow* row = FindValue(rows, L"Odd\\[\\[]x[\\]]", L"##name");
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->value, L"##1 [\\[]y[\\]] [#File.exe]");
    EXPECT_EQ(KeysOfKind(rows, PackageRow::Key), std::vector<std::wstring>{L"Odd\\Kept"});
    EXPECT_EQ(KeysOfKind(rows, PackageRow::RemoveWhole),
              std::vector<std::wstring>{L"Odd\\[\\[]x[\\]]"});
}

TypeLibInfo Library() {
    TypeLibInfo library;
    library.libId = L"{11111111-2222-3333-4444-555555555555}";
    library.majorVersion = 1;
    library.minorVersion = 10;
    library.lcid = 0x409;
    library.sysKind = 3;
    library.name = L"SampleLib";
    library.types = {
        {TypeKind::Dispatch, kTypeFlagDual, L"{AAAAAAAA-0000-0000-0000-000000000001}", L"IDual"},
        {TypeKind::Dispatch, 0, L"{AAAAAAAA-0000-0000-0000-000000000002}", L"DPlain"},
        {TypeKind::Interface, kTypeFlagOleAutomation, L"{AAAAAAAA-0000-0000-0000-000000000003}",
         L"IAutomation"},
        {TypeKind::Interface, 0, L"{AAAAAAAA-0000-0000-0000-000000000004}", L"ICustom"},
        {TypeKind::CoClass, 0, L"{AAAAAAAA-0000-0000-0000-000000000005}", L"Sample"},
    };
    return library;
}

TEST(PackageRegistry, ATypeLibraryIsEnteredAsRegisteringItWould) {
    const auto rows = TypeLibRows(Library(), L"[#Sample.dll]", L"[ProgramFiles64Folder]Sample");
    const std::wstring version = L"TypeLib\\{11111111-2222-3333-4444-555555555555}\\1.a";
    ASSERT_NE(FindValue(rows, version), nullptr);
    EXPECT_EQ(FindValue(rows, version)->value, L"SampleLib") << "no help string: the name";
    ASSERT_NE(FindValue(rows, version + L"\\409\\win64"), nullptr);
    EXPECT_EQ(FindValue(rows, version + L"\\409\\win64")->value, L"[#Sample.dll]");
    EXPECT_EQ(FindValue(rows, version + L"\\FLAGS")->value, L"8");
    EXPECT_EQ(FindValue(rows, version + L"\\HELPDIR")->value, L"[ProgramFiles64Folder]Sample");

    // Automation interfaces only, in both registry views, each removed whole.
    const std::vector<std::wstring> interfaces = {
        L"Interface\\{AAAAAAAA-0000-0000-0000-000000000001}",
        L"Interface\\{AAAAAAAA-0000-0000-0000-000000000002}",
        L"Interface\\{AAAAAAAA-0000-0000-0000-000000000003}"};
    std::vector<std::wstring> removed = {L"TypeLib\\{11111111-2222-3333-4444-555555555555}"};
    removed.insert(removed.end(), interfaces.begin(), interfaces.end());
    EXPECT_EQ(KeysOfKind(rows, PackageRow::RemoveWhole), removed);
    EXPECT_EQ(KeysOfKind(rows, PackageRow::RemoveWhole, RegistryView::Wow32), interfaces);
    // A dispatch-only interface goes through IDispatch's proxy, the others the universal one.
    EXPECT_EQ(FindValue(rows, interfaces[0] + L"\\ProxyStubClsid32")->value,
              L"{00020424-0000-0000-C000-000000000046}");
    EXPECT_EQ(FindValue(rows, interfaces[1] + L"\\ProxyStubClsid32")->value,
              L"{00020420-0000-0000-C000-000000000046}");
    EXPECT_EQ(FindValue(rows, interfaces[2] + L"\\TypeLib", L"Version")->value, L"1.a");
    EXPECT_EQ(FindValue(rows, interfaces[2])->value, L"IAutomation");
}

}  // namespace
}  // namespace trovelle::installer
