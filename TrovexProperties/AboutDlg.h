// The About box: product name, version, rights notice and three links.
#pragma once

#include <windows.h>

#include "CtlColorHandler.h"
#include "DialogWindow.h"
#include "MessageLoop.h"

namespace trovelle::properties {

class CAboutDlg : public ui::DialogWindow,
                  public ui::MessageFilter,
                  public ui::IdleHandler,
                  public ui::ACL_CtlColorHandler<CAboutDlg, 0xFFFFFFFF> {
public:
    using ui::DialogWindow::Window;

    BOOL PreTranslateMessage(MSG* message) override;
    BOOL OnIdle() override { return FALSE; }

    // The link control under a point in the dialog's client coordinates, or 0.
    int LinkAt(POINT client, const int* order, int count) const;

protected:
    bool ProcessMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend struct AboutDlgMap;

    LRESULT OnInitDialog(WPARAM, LPARAM);
    LRESULT OnMouseMove(WPARAM, LPARAM);
    LRESULT OnLeftButtonUp(WPARAM, LPARAM);
    LRESULT OnClose(WPARAM, LPARAM);

    HCURSOR hand_ = nullptr;  // a shared resource cursor: never destroyed
};

}  // namespace trovelle::properties
