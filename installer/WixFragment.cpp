#include "WixFragment.h"

namespace trovelle::installer {
namespace {

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (const wchar_t c : text) {
        const auto code = static_cast<uint32_t>(c);
        if (code < 0x80) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | code >> 6);
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | code >> 12);
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | code >> 18);
            out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            out += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return out;
}

// Text for an attribute value in double quotes.
std::string Attribute(const std::wstring& text) {
    std::string out;
    for (const char c : Utf8(text)) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// The registry table's special names for rows that carry no value.
std::wstring RowName(const PackageRow& row) {
    switch (row.kind) {
        case PackageRow::Key: return L"+";
        case PackageRow::KeyRemovedWhole: return L"*";
        case PackageRow::RemoveWhole: return L"-";
        case PackageRow::Value: break;
    }
    return row.name;
}

std::string RegistryValue(const PackageRow& row, bool keyPath) {
    std::string out = "        <RegistryValue Root=\"";
    out += row.root == RegistryRoot::LocalMachine ? "HKLM" : "HKCR";
    out += "\" Key=\"" + Attribute(row.key) + "\"";
    const std::wstring name = RowName(row);
    if (!name.empty()) out += " Name=\"" + Attribute(name) + "\"";
    out += " Type=\"string\" Value=\"" + Attribute(row.value) + "\"";
    if (keyPath) out += " KeyPath=\"yes\"";
    return out + "/>\n";
}

// Appends the file's component for `view` to `out` and a reference to it to `references`.
void Component(const DeliverableFile& file, RegistryView view, std::string& out,
               std::string& references) {
    std::string rows;
    bool keyPathGiven = view == RegistryView::Native;  // the file is the native component's key
    for (const PackageRow& row : file.rows) {
        if (row.view != view) continue;
        const bool keyPath = !keyPathGiven && row.kind == PackageRow::Value;
        keyPathGiven = keyPathGiven || keyPath;
        rows += RegistryValue(row, keyPath);
    }
    if (view == RegistryView::Wow32 && rows.empty()) return;
    const std::string id = Attribute(file.fileName) + (view == RegistryView::Wow32 ? ".wow32" : "");
    out += "      <Component Id=\"" + id + "\" Guid=\"*\" Win64=\"" +
           (view == RegistryView::Native ? "yes" : "no") + "\">\n";
    if (view == RegistryView::Native) {
        out += "        <File Id=\"" + Attribute(file.fileName) + "\" Name=\"" +
               Attribute(file.fileName) + "\" Source=\"" + Attribute(file.source) +
               "\" KeyPath=\"yes\"/>\n";
    }
    out += rows + "      </Component>\n";
    references += "      <ComponentRef Id=\"" + id + "\"/>\n";
}

}  // namespace

std::string WixFragment(const std::vector<DeliverableFile>& files, const std::wstring& directoryId,
                        const std::wstring& groupId) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<!-- Made by the build from the registration tables and type libraries; do not edit. -->\n"
        "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n  <Fragment>\n";
    out += "    <DirectoryRef Id=\"" + Attribute(directoryId) + "\">\n";
    std::string references;
    for (const DeliverableFile& file : files) {
        Component(file, RegistryView::Native, out, references);
        Component(file, RegistryView::Wow32, out, references);
    }
    out += "    </DirectoryRef>\n";
    out += "    <ComponentGroup Id=\"" + Attribute(groupId) + "\">\n" + references +
           "    </ComponentGroup>\n  </Fragment>\n</Wix>\n";
    return out;
}

}  // namespace trovelle::installer
