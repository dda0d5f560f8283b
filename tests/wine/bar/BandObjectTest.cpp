// The band object as a browser sees it: its interfaces, band information, sites and focus.
#include <ocidl.h>

#include "BarFixture.h"

namespace trovelle::test {
namespace {

using Microsoft::WRL::ComPtr;

using BandObject = BarFixture;

TEST_F(BandObject, BandInfoForEveryMaskBitAndForNoInfo) {
    DESKBANDINFO info = {};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                  DBIM_MODEFLAGS | DBIM_BKCOLOR;
    wcscpy(info.wszTitle, L"left over");
    ASSERT_EQ(band_->GetBandInfo(7, DBIF_VIEWMODE_NORMAL, &info), S_OK);
    for (const POINTL& size : {info.ptMinSize, info.ptMaxSize, info.ptIntegral, info.ptActual}) {
        EXPECT_EQ(size.x, 32);
        EXPECT_EQ(size.y, 26);
    }
    EXPECT_STREQ(info.wszTitle, L"");
    EXPECT_EQ(info.dwModeFlags, 0x88u);
    EXPECT_EQ(info.dwMask, static_cast<DWORD>(DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL |
                                              DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS));

    // Bits not asked for leave their fields alone.
    DESKBANDINFO partial = {};
    partial.dwMask = DBIM_MINSIZE;
    partial.ptMaxSize = {5, 6};
    ASSERT_EQ(band_->GetBandInfo(0, 0, &partial), S_OK);
    EXPECT_EQ(partial.ptMinSize.x, 32);
    EXPECT_EQ(partial.ptMaxSize.x, 5);
    EXPECT_EQ(partial.dwModeFlags, 0u);

    EXPECT_EQ(band_->GetBandInfo(3, DBIF_VIEWMODE_VERTICAL, nullptr), S_OK);
}

TEST_F(BandObject, InterfaceTable) {
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(band_.As(&unknown), S_OK);
    for (const IID& iid : {IID_IDispatch, IID_IObjectWithSite, IID_IDockingWindow, IID_IDeskBand,
                           IID_IInputObject}) {
        ComPtr<IUnknown> answer;
        EXPECT_EQ(unknown->QueryInterface(iid, &answer), S_OK);
        ComPtr<IUnknown> identity;
        ASSERT_EQ(answer.As(&identity), S_OK);
        EXPECT_EQ(identity.Get(), unknown.Get()) << "one identity for every interface";
    }
    for (const IID& iid : {IID_IOleWindow, IID_IPersistStream, IID_IPersist, IID_IClassFactory}) {
        void* answer = reinterpret_cast<void*>(1);
        EXPECT_EQ(unknown->QueryInterface(iid, &answer), E_NOINTERFACE);
        EXPECT_EQ(answer, nullptr);
    }
    EXPECT_EQ(unknown->QueryInterface(IID_IDeskBand, nullptr), E_POINTER);

    // The dispatch side is served from the embedded type library.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(band_.As(&dispatch), S_OK);
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(dispatch->GetTypeInfoCount(nullptr), E_POINTER);
    ComPtr<ITypeInfo> typeInfo;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &typeInfo), S_OK);
    TYPEATTR* attributes = nullptr;
    ASSERT_EQ(typeInfo->GetTypeAttr(&attributes), S_OK);
    IID expected;
    ::IIDFromString(L"{486B7D9E-7F13-4AF7-8B3E-E5C634E535DD}", &expected);
    EXPECT_TRUE(attributes->guid == expected);
    typeInfo->ReleaseTypeAttr(attributes);
}

TEST_F(BandObject, WindowThroughTheDeskBand) {
    EXPECT_EQ(band_->GetWindow(nullptr), E_INVALIDARG);
    EXPECT_EQ(band_->ContextSensitiveHelp(TRUE), E_NOTIMPL);
    Attach();
    EXPECT_EQ(::GetParent(bandWindow_), rebar_.Handle());
    EXPECT_EQ(::GetParent(toolbar_), bandWindow_) << "GetWindow names the band, not the toolbar";
    EXPECT_TRUE(::GetWindowLongW(bandWindow_, GWL_STYLE) & WS_TABSTOP);
    RECT toolbar = {};
    ::GetWindowRect(toolbar_, &toolbar);
    EXPECT_EQ(toolbar.right - toolbar.left, 32);
    EXPECT_EQ(::SendMessageW(toolbar_, TB_BUTTONCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(toolbar_, TB_COMMANDTOINDEX, kToolbarButton, 0), 0);
}

TEST_F(BandObject, SitesThatLackSomething) {
    const HWND notAWindow = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7FFF0123));
    SiteOffer offer;
    offer.windowHandle = notAWindow;
    EXPECT_EQ(withSite_->SetSite(MakeSite(offer, browser_.Get()).Get()), E_FAIL);
    EXPECT_EQ(BandWindowOf(*band_.Get()), nullptr) << "no window for an invalid parent";

    SiteOffer nothing{false, nullptr, false, false, false};
    EXPECT_EQ(withSite_->SetSite(MakeSite(nothing, browser_.Get()).Get()), E_FAIL);
    EXPECT_EQ(BandWindowOf(*band_.Get()), nullptr);

    SiteOffer noServices;
    noServices.windowHandle = rebar_.Handle();
    noServices.services = false;
    EXPECT_EQ(withSite_->SetSite(MakeSite(noServices, browser_.Get()).Get()), E_FAIL);
    EXPECT_EQ(BandWindowOf(*band_.Get()), nullptr);

    SiteOffer noBrowser;
    noBrowser.windowHandle = rebar_.Handle();
    noBrowser.browser = false;
    EXPECT_EQ(withSite_->SetSite(MakeSite(noBrowser, browser_.Get()).Get()), E_FAIL);
    EXPECT_EQ(BandWindowOf(*band_.Get()), nullptr);

    // Without an input-object site the attach fails after the window exists; GetSite is empty.
    SiteOffer noInput;
    noInput.windowHandle = rebar_.Handle();
    noInput.inputSite = false;
    EXPECT_EQ(withSite_->SetSite(MakeSite(noInput, browser_.Get()).Get()), E_FAIL);
    EXPECT_TRUE(::IsWindow(BandWindowOf(*band_.Get())));
    ComPtr<IUnknown> site;
    EXPECT_EQ(withSite_->GetSite(IID_PPV_ARGS(&site)), E_FAIL);
    EXPECT_FALSE(site);
}

TEST_F(BandObject, DetachingAndClosingKeepTheWindow) {
    void* site = reinterpret_cast<void*>(1);
    EXPECT_EQ(withSite_->GetSite(IID_IUnknown, &site), E_FAIL);
    EXPECT_EQ(site, nullptr) << "the out argument is cleared";

    Attach();
    ComPtr<IInputObjectSite> inputSite;
    EXPECT_EQ(withSite_->GetSite(IID_PPV_ARGS(&inputSite)), S_OK);
    EXPECT_EQ(withSite_->SetSite(nullptr), S_OK);
    EXPECT_EQ(withSite_->GetSite(IID_PPV_ARGS(&inputSite)), E_FAIL);
    EXPECT_TRUE(::IsWindow(bandWindow_));
    EXPECT_EQ(band_->CloseDW(0), S_OK);
    EXPECT_TRUE(::IsWindow(bandWindow_));

    EXPECT_EQ(band_->ShowDW(FALSE), S_OK);
    EXPECT_FALSE(::IsWindowVisible(bandWindow_));
    EXPECT_EQ(band_->ShowDW(TRUE), S_OK);
    EXPECT_TRUE(::IsWindowVisible(bandWindow_));
    EXPECT_EQ(band_->ResizeBorderDW(nullptr, nullptr, FALSE), E_NOTIMPL);

    // The windows go with the object's last reference.
    withSite_.Reset();
    band_.Reset();
    EXPECT_FALSE(::IsWindow(bandWindow_));
    EXPECT_FALSE(::IsWindow(toolbar_));
}

TEST_F(BandObject, ASecondSiteTakesTheSameWindow) {
    Attach();
    TestWindow otherRebar(L"second browser");
    SiteOffer offer;
    offer.windowHandle = otherRebar.Handle();
    ASSERT_EQ(withSite_->SetSite(MakeSite(offer, browser_.Get()).Get()), S_OK);
    EXPECT_EQ(BandWindowOf(*band_.Get()), bandWindow_);
    EXPECT_EQ(::GetParent(bandWindow_), otherRebar.Handle());
    // Nothing of the band is left behind in the first rebar.
    EXPECT_EQ(::GetWindow(rebar_.Handle(), GW_CHILD), nullptr);
}

TEST_F(BandObject, FocusAndAccelerators) {
    Attach();
    ComPtr<IInputObject> input;
    ASSERT_EQ(band_.As(&input), S_OK);
    ::SetForegroundWindow(rebar_.Handle());

    ::SetFocus(toolbar_);
    ASSERT_EQ(::GetFocus(), toolbar_);
    EXPECT_EQ(input->HasFocusIO(), S_OK);

    EXPECT_EQ(input->UIActivateIO(TRUE, nullptr), S_OK);
    ASSERT_EQ(::GetFocus(), bandWindow_);
    EXPECT_EQ(input->HasFocusIO(), S_FALSE) << "the band window itself does not count";

    ::SetFocus(rebar_.Handle());
    EXPECT_EQ(input->HasFocusIO(), S_FALSE);
    EXPECT_EQ(input->UIActivateIO(FALSE, nullptr), S_OK);
    EXPECT_EQ(::GetFocus(), rebar_.Handle()) << "deactivating moves no focus";

    MSG message = {toolbar_, WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(input->TranslateAcceleratorIO(&message), S_FALSE);
    message.message = WM_SYSKEYDOWN;
    message.wParam = 'P';
    EXPECT_EQ(input->TranslateAcceleratorIO(&message), S_FALSE);
}

TEST_F(BandObject, LibraryUnloadsOnlyWithoutObjects) {
    const HMODULE module = ::GetModuleHandleW(L"TrovexBar.dll");
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(::GetProcAddress(module, "DllCanUnloadNow")));
    ASSERT_NE(canUnload, nullptr);
    EXPECT_EQ(canUnload(), S_FALSE);
    withSite_.Reset();
    band_.Reset();
    EXPECT_EQ(canUnload(), S_OK);
}

}  // namespace
}  // namespace trovelle::test
