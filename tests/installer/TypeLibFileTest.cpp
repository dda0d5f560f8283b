// The type library reader against the libraries the IDL compiler made for the deliverables, and
// against damaged copies of them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "TypeLibFile.h"

namespace trovelle::installer {
namespace {

std::vector<uint8_t> Load(const char* relativePath) {
    std::ifstream in(std::string(TROVELLE_WINDOWS_BUILD) + "/" + relativePath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class TypeLibFile : public ::testing::Test {
protected:
    void SetUp() override {
        bytes_ = Load("TrovexCache/TrovexCache.tlb");
        if (bytes_.empty()) GTEST_SKIP() << "the Windows build has not made the type libraries";
    }
    std::vector<uint8_t> bytes_;
};

const TypeInfoEntry* Find(const TypeLibInfo& library, const std::wstring& name) {
    for (const TypeInfoEntry& type : library.types) {
        if (type.name == name) return &type;
    }
    return nullptr;
}

TEST_F(TypeLibFile, ReadsTheCacheServersLibrary) {
    std::string error;
    const auto library = ReadTypeLib(bytes_, error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(library->libId, L"{FCB84176-4EBD-4052-8387-0848C287DA79}");
    EXPECT_EQ(library->name, L"TrovexCacheLib");
    EXPECT_EQ(library->docString, L"TrovexCache 1.0 Type Library");
    EXPECT_EQ(library->majorVersion, 1);
    EXPECT_EQ(library->minorVersion, 0);
    EXPECT_EQ(library->lcid, 0u);
    EXPECT_EQ(library->sysKind, 3u);  // win64

    const TypeInfoEntry* cache = Find(*library, L"ITrovelleCache");
    ASSERT_NE(cache, nullptr);
    EXPECT_EQ(cache->guid, L"{70104D6A-BE75-4EF0-ACE9-D805FFA12195}");
    EXPECT_EQ(cache->kind, TypeKind::Dispatch);
    EXPECT_NE(cache->flags & kTypeFlagDual, 0u);
    const TypeInfoEntry* coclass = Find(*library, L"TrovelleCache");
    ASSERT_NE(coclass, nullptr);
    EXPECT_EQ(coclass->guid, L"{D4999363-6EB5-4ABB-92C2-B930B324E2C0}");
    EXPECT_EQ(coclass->kind, TypeKind::CoClass);
}

TEST_F(TypeLibFile, ReadsTheOtherDeliverablesLibraries) {
    std::string error;
    const auto columns = ReadTypeLib(Load("Trovex/Trovex.tlb"), error);
    ASSERT_TRUE(columns) << error;
    EXPECT_EQ(columns->libId, L"{89A82A48-715D-4EE3-B21D-81AAC31C7124}");
    ASSERT_NE(Find(*columns, L"ITrovexFolderSize"), nullptr);
    EXPECT_EQ(Find(*columns, L"ITrovexFolderSize")->guid,
              L"{2701D5EE-3B7A-46EF-8058-E292233791F2}");
    const auto bar = ReadTypeLib(Load("TrovexBar/TrovexBar.tlb"), error);
    ASSERT_TRUE(bar) << error;
    EXPECT_EQ(bar->docString, L"TrovexBar 1.0 Type Library");
    ASSERT_NE(Find(*bar, L"TrovexExplorerBar"), nullptr);
    EXPECT_EQ(Find(*bar, L"TrovexExplorerBar")->guid, L"{0ACCB754-0E02-4F76-832D-43E9F73F2722}");
}

// Every cut of the file is refused, or (when it keeps all the reader needs; the types' member
// data lies at the end) read exactly as the whole file. The sanitizers watch every read.
TEST_F(TypeLibFile, RefusesEveryTruncationThatCutsWhatItReads) {
    std::string error;
    const auto whole = ReadTypeLib(bytes_, error);
    ASSERT_TRUE(whole) << error;
    size_t refused = 0;
    for (size_t length = 0; length < bytes_.size(); ++length) {
        const std::vector<uint8_t> cut(bytes_.begin(), bytes_.begin() + length);
        const auto read = ReadTypeLib(cut, error);
        if (!read) {
            EXPECT_FALSE(error.empty());
            ++refused;
            continue;
        }
        EXPECT_EQ(read->docString, whole->docString) << length;
        ASSERT_EQ(read->types.size(), whole->types.size()) << length;
        for (size_t i = 0; i < read->types.size(); ++i) {
            EXPECT_EQ(read->types[i].guid, whole->types[i].guid) << length;
            EXPECT_EQ(read->types[i].name, whole->types[i].name) << length;
        }
    }
    EXPECT_GT(refused, bytes_.size() / 2);
}

TEST_F(TypeLibFile, RefusesOffsetsOutsideTheirSegments) {
    std::string error;
    std::vector<uint8_t> damaged = bytes_;
    damaged[0x38] = 0xF0;  // the library's name offset, far past the name table
    damaged[0x39] = 0x7F;
    EXPECT_FALSE(ReadTypeLib(damaged, error));
    EXPECT_EQ(error, "name out of its segment");

    damaged = bytes_;
    damaged[0x20] = 0xFF;  // thousands of types
    damaged[0x21] = 0x0F;
    EXPECT_FALSE(ReadTypeLib(damaged, error));

    damaged = bytes_;
    damaged[0] = 'X';
    EXPECT_FALSE(ReadTypeLib(damaged, error));
    EXPECT_EQ(error, "not a type library in the MSFT format");
}

}  // namespace
}  // namespace trovelle::installer
