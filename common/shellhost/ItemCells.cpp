#include "ItemCells.h"

#include <cwchar>

namespace trovelle::host {

Cell AskCell(IColumnProvider& handler, const SHCOLUMNINFO& column, const SHCOLUMNDATA& item) {
    VARIANT value;
    ::VariantInit(&value);
    Cell cell;
    cell.result = handler.GetItemData(&column.scid, &item, &value);
    if (cell.result == S_OK) {
        VARIANT text;
        ::VariantInit(&text);
        if (SUCCEEDED(::VariantChangeType(&text, &value, 0, VT_BSTR))) {
            cell.text.assign(text.bstrVal, ::SysStringLen(text.bstrVal));
        }
        ::VariantClear(&text);
    }
    ::VariantClear(&value);
    return cell;
}

std::wstring HresultText(HRESULT value) {
    wchar_t text[16];
    std::swprintf(text, std::size(text), L"0x%08X", static_cast<unsigned>(value));
    return text;
}

std::wstring ShownText(const Cell& cell) {
    if (cell.result == S_OK) return cell.text;
    if (cell.result == S_FALSE) return {};
    return L"<" + HresultText(cell.result) + L">";
}

}  // namespace trovelle::host
