// A test folder of known sizes on the fixed drive D: (and one on the removable drive E:), with
// the settings key cleared around every test and COM initialised on the test thread.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "ColumnTestSupport.h"
#include "ComApartment.h"

namespace trovelle::test {

class ColumnFixture : public ::testing::Test {
protected:
    static constexpr wchar_t kRoot[] = L"D:\\TrovexColumns";
    static constexpr wchar_t kRemovableRoot[] = L"E:\\TrovexColumns";
    // Tree holds 1000 + 500 (hidden) + 2000 bytes; Pct holds 250 + 750.
    static constexpr uint64_t kTreeTotal = 3500;

    static void SetUpTestSuite() {
        for (const wchar_t* root : {kRoot, kRemovableRoot}) {
            const std::wstring base = root;
            RemoveTree(base);
            ::CreateDirectoryW(base.c_str(), nullptr);
            for (const wchar_t* folder : {L"\\Tree", L"\\Tree\\Sub", L"\\Pct", L"\\Empty", L"\\Zero"}) {
                ::CreateDirectoryW((base + folder).c_str(), nullptr);
            }
            WriteFileOfSize(base + L"\\zero.txt", 0);
            WriteFileOfSize(base + L"\\half.bin", 1536);
            WriteFileOfSize(base + L"\\big.bin", 1234567);
            WriteFileOfSize(base + L"\\Pct\\quarter.bin", 250);
            WriteFileOfSize(base + L"\\Pct\\rest.bin", 750);
            WriteFileOfSize(base + L"\\Zero\\only.txt", 0);
            WriteFileOfSize(base + L"\\Tree\\a.bin", 1000);
            WriteFileOfSize(base + L"\\Tree\\hidden.bin", 500);
            ::SetFileAttributesW((base + L"\\Tree\\hidden.bin").c_str(),
                                 FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
            WriteFileOfSize(base + L"\\Tree\\Sub\\b.bin", 2000);
        }
    }

    void SetUp() override {
        ASSERT_TRUE(apartment_);
        ClearSettings();
        handler_ = CreateHandler();
        ASSERT_TRUE(handler_);
    }
    void TearDown() override {
        handler_.Reset();
        ClearSettings();
    }

    static std::wstring At(const wchar_t* relative) { return std::wstring(kRoot) + relative; }

    CellAnswer File(DWORD pid, const std::wstring& path) {
        return AskCell(*handler_.Get(), pid, path, FILE_ATTRIBUTE_ARCHIVE);
    }
    CellAnswer Folder(DWORD pid, const std::wstring& path) {
        return AskCell(*handler_.Get(), pid, path, FILE_ATTRIBUTE_DIRECTORY);
    }

    ComApartment apartment_;
    Microsoft::WRL::ComPtr<IColumnProvider> handler_;
};

// Shorthand for "the cell has exactly this text" and "the cell is empty".
#define EXPECT_CELL(answer, expected)                 \
    do {                                              \
        const auto cell_ = (answer);                  \
        EXPECT_EQ(cell_.result, S_OK);                \
        EXPECT_EQ(cell_.text, std::wstring(expected)); \
    } while (0)
#define EXPECT_EMPTY_CELL(answer) EXPECT_EQ((answer).result, S_FALSE)

}  // namespace trovelle::test
