// The column table and its titles as the handler describes them, and the object's COM identity.
#include "ColumnFixture.h"

#include <oaidl.h>

#include <cstring>

namespace trovelle::test {
namespace {

class ColumnInfo : public ColumnFixture {
protected:
    std::wstring Title(DWORD index) {
        SHCOLUMNINFO info = {};
        EXPECT_EQ(handler_->GetColumnInfo(index, &info), S_OK);
        return info.wszTitle;
    }
};

// The three columns of old, then the size on disk and its sort column, which is only offered.
TEST_F(ColumnInfo, FiveColumnsThenSFalse) {
    struct Expected {
        DWORD pid; const wchar_t* title; const wchar_t* description; int fmt; UINT chars; DWORD flags;
    };
    const Expected expected[] = {
        {1, L"SizeEx", L"View file and folder total size.", LVCFMT_RIGHT, 22, 0x31},
        {2, L"SizeEx sort column", L"Sort column for Trovelle.", LVCFMT_RIGHT, 22, 0x31},
        {3, L"SizeEx %", L"Shows item size as % of parent folder size.", LVCFMT_LEFT, 52, 0x31},
        {4, L"SizeEx on disk", L"View the space files and folders take on disk.", LVCFMT_RIGHT, 22, 0x31},
        {5, L"SizeEx on disk sort column", L"Sort column for the size on disk.", LVCFMT_RIGHT, 22, 0x21}};
    for (DWORD index = 0; index < std::size(expected); ++index) {
        SHCOLUMNINFO info = {};
        ASSERT_EQ(handler_->GetColumnInfo(index, &info), S_OK);
        EXPECT_TRUE(info.scid.fmtid == kTrovexFolderSize);
        EXPECT_EQ(info.scid.pid, expected[index].pid);
        EXPECT_STREQ(info.wszTitle, expected[index].title);
        EXPECT_STREQ(info.wszDescription, expected[index].description);
        EXPECT_EQ(info.vt, VT_BSTR);
        EXPECT_EQ(info.fmt, expected[index].fmt);
        EXPECT_EQ(info.cChars, expected[index].chars);
        EXPECT_EQ(info.csFlags, expected[index].flags);
    }
    SHCOLUMNINFO untouched;
    std::memset(&untouched, 0xAB, sizeof(untouched));
    for (DWORD index : {5u, 6u, 0xFFFFFFFFu}) {
        SHCOLUMNINFO info = untouched;
        EXPECT_EQ(handler_->GetColumnInfo(index, &info), S_FALSE);
        EXPECT_EQ(std::memcmp(&info, &untouched, sizeof(info)), 0);
    }
}

TEST_F(ColumnInfo, TitlesFollowColumnTitleWithinEightyUnits) {
    StoreText(L"ColumnTitle", L"Size");
    EXPECT_EQ(Title(0), L"Size");
    EXPECT_EQ(Title(1), L"Size sort column");
    EXPECT_EQ(Title(2), L"Size %");

    StoreText(L"ColumnTitle", L"");
    EXPECT_EQ(Title(0), L"");
    EXPECT_EQ(Title(1), L" sort column");
    EXPECT_EQ(Title(2), L" %");

    const std::wstring longest(79, L'T');  // 160 bytes with its terminator: still read
    StoreText(L"ColumnTitle", longest);
    EXPECT_EQ(Title(0), longest);
    EXPECT_EQ(Title(1), longest);  // the suffix is cut at the field's 79 units
    EXPECT_EQ(Title(2), longest);

    const std::wstring cut68(68, L'x');
    StoreText(L"ColumnTitle", cut68);
    EXPECT_EQ(Title(1), cut68 + L" sort colum");
    EXPECT_EQ(Title(2), cut68 + L" %");

    StoreText(L"ColumnTitle", std::wstring(80, L'T'));  // too long for this reader: the default
    EXPECT_EQ(Title(0), L"SizeEx");
    EXPECT_EQ(Title(2), L"SizeEx %");
}

// The title is kept between calls; a change, a deleted key and a key made again each show at the
// next GetColumnInfo of the same object.
TEST_F(ColumnInfo, ATitleChangeShowsAtTheNextColumnInfo) {
    EXPECT_EQ(Title(0), L"SizeEx");
    StoreText(L"ColumnTitle", L"Gr\u00f6\u00dfe");
    EXPECT_EQ(Title(2), L"Gr\u00f6\u00dfe %");
    ClearSettings();
    EXPECT_EQ(Title(0), L"SizeEx");
    StoreText(L"ColumnTitle", L"Size");
    EXPECT_EQ(Title(1), L"Size sort column");
}

TEST_F(ColumnInfo, DualInterfaceAndTypeLibraryDispatch) {
    Microsoft::WRL::ComPtr<IDispatch> dispatch;
    ASSERT_EQ(handler_.As(&dispatch), S_OK);
    const IID iidTrovexFolderSize = {0x2701d5ee, 0x3b7a, 0x46ef,
                                     {0x80, 0x58, 0xe2, 0x92, 0x23, 0x37, 0x91, 0xf2}};
    Microsoft::WRL::ComPtr<IUnknown> dual;
    ASSERT_EQ(handler_->QueryInterface(iidTrovexFolderSize, &dual), S_OK);
    EXPECT_EQ(static_cast<IUnknown*>(dispatch.Get()), dual.Get()) << "IDispatch is the dual interface";
    UINT count = 0;
    EXPECT_EQ(dispatch->GetTypeInfoCount(&count), S_OK);
    EXPECT_EQ(count, 1u);
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    ASSERT_EQ(dispatch->GetTypeInfo(0, 0, &info), S_OK);
    BSTR name = nullptr;
    ASSERT_EQ(info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr), S_OK);
    EXPECT_STREQ(name, L"ITrovexFolderSize");
    ::SysFreeString(name);
    Microsoft::WRL::ComPtr<IUnknown> other;
    EXPECT_EQ(handler_->QueryInterface(IID_IPersist, &other), E_NOINTERFACE);
}

// An outer object that counts the calls its inner object delegates to it.
class Outer : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID iid, void** result) override {
        ++queries;
        if (iid == IID_IUnknown) {
            *result = this;
            AddRef();
            return S_OK;
        }
        return inner ? inner->QueryInterface(iid, result) : E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    Microsoft::WRL::ComPtr<IUnknown> inner;
    ULONG references = 1;
    int queries = 0;
};

TEST_F(ColumnInfo, AggregationDelegatesToTheOuterObject) {
    Outer outer;
    Microsoft::WRL::ComPtr<IColumnProvider> wrong;
    EXPECT_EQ(::CoCreateInstance(kTrovexFolderSize, &outer, CLSCTX_INPROC_SERVER,
                                 IID_IColumnProvider, &wrong),
              CLASS_E_NOAGGREGATION);
    ASSERT_EQ(::CoCreateInstance(kTrovexFolderSize, &outer, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                 &outer.inner),
              S_OK);
    IColumnProvider* provider = nullptr;
    ASSERT_EQ(outer.inner->QueryInterface(IID_IColumnProvider, reinterpret_cast<void**>(&provider)),
              S_OK);
    EXPECT_EQ(outer.references, 2u) << "the inner interface's AddRef went to the outer object";
    IUnknown* identity = nullptr;
    ASSERT_EQ(provider->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
    EXPECT_EQ(identity, &outer);
    EXPECT_EQ(outer.queries, 1);
    identity->Release();
    SHCOLUMNINFO info = {};
    EXPECT_EQ(provider->GetColumnInfo(0, &info), S_OK);
    provider->Release();
    EXPECT_EQ(outer.references, 1u);
    outer.inner.Reset();
}

}  // namespace
}  // namespace trovelle::test
