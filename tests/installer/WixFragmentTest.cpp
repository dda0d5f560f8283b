// The WiX text of the deliverables' components: attribute escaping, the registry table's special
// names, and a key path for the component that has no file.
#include <gtest/gtest.h>

#include "WixFragment.h"

namespace trovelle::installer {
namespace {

TEST(WixFragment, WritesEachFileWithItsRowsAndThe32BitViewApart) {
    const RegistryRoot hkcr = RegistryRoot::ClassesRoot;
    DeliverableFile file{L"A&B.exe", L"files/A&B.exe", {
        {RegistryView::Native, hkcr, L"CLSID\\{X}\\LocalServer32", PackageRow::Value, L"",
         L"\"[#A&B.exe]\" <x>"},
        {RegistryView::Native, hkcr, L"CLSID\\{X}\\Programmable", PackageRow::KeyRemovedWhole, L"",
         L""},
        {RegistryView::Native, RegistryRoot::LocalMachine, L"Kept", PackageRow::Key, L"", L""},
        {RegistryView::Wow32, hkcr, L"Interface\\{I}", PackageRow::RemoveWhole, L"", L""},
        {RegistryView::Wow32, hkcr, L"Interface\\{I}", PackageRow::Value, L"", L"\u00c4rger"},
    }};
    const std::string text = WixFragment({file}, L"productFolder", L"ComServers");

    EXPECT_NE(text.find("<DirectoryRef Id=\"productFolder\">"), std::string::npos);
    EXPECT_NE(text.find("<Component Id=\"A&amp;B.exe\" Guid=\"*\" Win64=\"yes\">\n"
                        "        <File Id=\"A&amp;B.exe\" Name=\"A&amp;B.exe\" "
                        "Source=\"files/A&amp;B.exe\" KeyPath=\"yes\"/>"),
              std::string::npos) << text;
    EXPECT_NE(text.find("Key=\"CLSID\\{X}\\LocalServer32\" Type=\"string\" "
                        "Value=\"&quot;[#A&amp;B.exe]&quot; &lt;x&gt;\"/>"),
              std::string::npos) << text;
    EXPECT_NE(text.find("Key=\"CLSID\\{X}\\Programmable\" Name=\"*\" Type=\"string\" Value=\"\"/>"),
              std::string::npos);
    EXPECT_NE(text.find("Root=\"HKLM\" Key=\"Kept\" Name=\"+\""), std::string::npos);
    // The 32-bit component's key path is its first value, never a removal row; text is UTF-8.
    EXPECT_NE(text.find("<Component Id=\"A&amp;B.exe.wow32\" Guid=\"*\" Win64=\"no\">\n"
                        "        <RegistryValue Root=\"HKCR\" Key=\"Interface\\{I}\" Name=\"-\" "
                        "Type=\"string\" Value=\"\"/>\n"
                        "        <RegistryValue Root=\"HKCR\" Key=\"Interface\\{I}\" "
                        "Type=\"string\" Value=\"\xc3\x84rger\" KeyPath=\"yes\"/>"),
              std::string::npos) << text;
    EXPECT_NE(text.find("<ComponentGroup Id=\"ComServers\">\n"
                        "      <ComponentRef Id=\"A&amp;B.exe\"/>\n"
                        "      <ComponentRef Id=\"A&amp;B.exe.wow32\"/>\n"
                        "    </ComponentGroup>"),
              std::string::npos) << text;
}

}  // namespace
}  // namespace trovelle::installer
