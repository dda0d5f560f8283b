// A band created through COM from the installed library, and a window standing in for the
// browser's rebar; the settings key is cleared around every test.
#pragma once

#include <gtest/gtest.h>

#include "BarTestSupport.h"
#include "ComApartment.h"

namespace trovelle::test {

class BarFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment_);
        ASSERT_TRUE(::IsWindow(rebar_.Handle())) << "no window could be made (display?)";
        ClearSettings();
        band_ = CreateBand();
        ASSERT_TRUE(band_) << "TrovexBar.dll is not registered";
        ASSERT_TRUE(SUCCEEDED(band_.As(&withSite_)));
        browser_ = MakeBrowser();
    }
    void TearDown() override {
        if (withSite_) withSite_->SetSite(nullptr);
        withSite_.Reset();
        band_.Reset();
        ClearSettings();
    }

    // Attaches the band to the rebar stand-in with a site offering everything.
    void Attach() {
        SiteOffer offer;
        offer.windowHandle = rebar_.Handle();
        ASSERT_EQ(withSite_->SetSite(MakeSite(offer, browser_.Get()).Get()), S_OK);
        bandWindow_ = BandWindowOf(*band_.Get());
        toolbar_ = ToolbarOf(bandWindow_);
        ASSERT_TRUE(::IsWindow(bandWindow_));
        ASSERT_TRUE(::IsWindow(toolbar_));
    }

    ComApartment apartment_;
    TestWindow rebar_;
    Microsoft::WRL::ComPtr<IDeskBand> band_;
    Microsoft::WRL::ComPtr<IObjectWithSite> withSite_;
    Microsoft::WRL::ComPtr<host::RefreshOnlyBrowser> browser_;
    HWND bandWindow_ = nullptr;
    HWND toolbar_ = nullptr;
};

}  // namespace trovelle::test
