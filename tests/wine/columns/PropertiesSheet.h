// A folder's Properties dialog as Explorer makes it: the items parsed to ID lists, a shell data
// object of them, the registered property-sheet handler initialised with it, its pages added to
// a property sheet shown on this thread.
#pragma once

#include <windows.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace trovelle::test {

class PropertiesSheet {
public:
    // `paths` share one parent folder, as a selection in one Explorer window does.
    // `beforePages` runs after the selection is made, before the handler adds its page.
    // `handler` (when given) stands for the registered one.
    explicit PropertiesSheet(const std::vector<std::wstring>& paths,
                             const std::function<void()>& beforePages = nullptr,
                             Microsoft::WRL::ComPtr<IShellExtInit> handler = nullptr);
    ~PropertiesSheet();
    PropertiesSheet(const PropertiesSheet&) = delete;
    PropertiesSheet& operator=(const PropertiesSheet&) = delete;

    bool Opened() const { return sheet_ != nullptr && Page() != nullptr; }
    HWND Sheet() const { return sheet_; }
    HWND Page() const;

    std::wstring Text(int id) const;
    bool Visible(int id) const;
    // The rows of the largest-items list, each as its column texts.
    std::vector<std::vector<std::wstring>> Rows() const;

    // Runs the sheet's messages until the page's total no longer reads `measuring`.
    bool WaitForAnswer(const std::wstring& measuring, std::chrono::milliseconds bound);
    // Runs the sheet's messages for a while (to let it paint).
    void Pump(std::chrono::milliseconds span);
    // Closes the sheet as its Cancel button does, and destroys it.
    void Close();

private:
    HWND sheet_ = nullptr;
};

}  // namespace trovelle::test
