#include "cache/RequestPath.h"

#include <gtest/gtest.h>

#include "index/FolderKey.h"

namespace trovelle {
namespace {

Path Canonical(std::u16string_view request) { return CanonicalizeRequest(request).path; }

TEST(RequestPath, EverySpellingOfADriveFolderBecomesOne) {
    for (std::u16string_view spelling :
         {u"D:\\Data", u"D:\\Data\\", u"D:/Data", u"D:\\Data\\.", u"D:\\Data\\sub\\..",
          u"\\\\?\\D:\\Data", u"//?/D:/Data/", u"\\\\.\\D:\\Data", u"D:\\\\Data", u"D:\\.\\Data",
          u"D:\\..\\Data", u"\\??\\D:\\Data", u"D:\\x\\y\\..\\..\\Data\\z\\.."}) {
        const CanonicalRequest request = CanonicalizeRequest(spelling);
        EXPECT_TRUE(request.isDrivePath) << std::string(spelling.begin(), spelling.end());
        EXPECT_EQ(request.path, u"D:\\Data") << std::string(spelling.begin(), spelling.end());
    }
}

TEST(RequestPath, RootsBecomeLetterAndColon) {
    for (std::u16string_view spelling : {u"D:", u"D:\\", u"D:/", u"\\\\?\\D:\\", u"D:\\a\\..",
                                         u"D:\\..\\..", u"D:\\.\\", u"D:.", u"D:..", u"\\??\\D:\\",
                                         u"\\\\?\\D:."}) {
        EXPECT_EQ(Canonical(spelling), u"D:");
    }
}

TEST(RequestPath, WhatIsNotADrivePathKeepsItsSpelling) {
    for (std::u16string_view other : {u"\\\\server\\share\\x\\", u"\\\\?\\UNC\\server\\share",
                                      u"relative\\x", u"D:relative", u"1:\\x", u":\\x", u"\\x",
                                      u"\\\\?\\", u"\\\\?\\D"}) {
        const CanonicalRequest request = CanonicalizeRequest(other);
        EXPECT_FALSE(request.isDrivePath);
        EXPECT_EQ(request.path, other);
    }
}

TEST(RequestPath, NamesKeepTheirOwnCaseAndEveryDotAndBlank) {
    EXPECT_EQ(Canonical(u"d:\\Ärger\\.hidden\\a.b.c\\..x"), u"d:\\Ärger\\.hidden\\a.b.c\\..x");
    // Other systems write names ending in a dot or a blank beside the names without.
    EXPECT_EQ(Canonical(u"D:\\x\\dot."), u"D:\\x\\dot.");
    EXPECT_EQ(Canonical(u"D:\\sp \\in"), u"D:\\sp \\in");
    EXPECT_EQ(Canonical(u"D:\\x\\...\\"), u"D:\\x\\...");
    EXPECT_FALSE(CanonicalizeRequest(u"D:relative").isDrivePath);
    EXPECT_TRUE(MayHoldShortName(u"D:\\PROGRA~1"));
    EXPECT_FALSE(MayHoldShortName(u"D:\\Program Files"));
}

TEST(RequestPath, VeryLongRequestsAreHandledWhole) {
    Path request = u"D:";
    for (int level = 0; level < 20000; ++level) request += u"\\a\\.";
    const Path canonical = Canonical(request);
    EXPECT_EQ(canonical.size(), 2u + 20000u * 2u);
}

TEST(FolderKey, FoldsCaseTheWayTheFileSystemComparesNames) {
    EXPECT_EQ(FoldedKey(u"C:\\DATA\\Sub"), u"c:\\data\\sub");  // ASCII as always
    EXPECT_EQ(FoldedKey(u"D:\\ÄRGER"), FoldedKey(u"d:\\ärger"));
    EXPECT_EQ(FoldedKey(u"ΣΟΦΊΑ"), FoldedKey(u"σοφία"));
    EXPECT_EQ(FoldedKey(u"ДОМ"), FoldedKey(u"дом"));
    EXPECT_EQ(FoldUnit(u'ı'), u'i') << "dotless i upper-cases to I, which folds like ASCII";
    EXPECT_EQ(FoldUnit(u'ß'), u'ß') << "a name that upper-cases to two letters stays itself";
    EXPECT_NE(FoldUnit(u'ä'), FoldUnit(u'a'));
    EXPECT_EQ(FoldUnit(u'ā'), FoldUnit(u'Ā')) << "runs that alternate upper and lower case";
    EXPECT_EQ(FoldUnit(u'ă'), FoldUnit(u'Ă'));
    EXPECT_NE(FoldUnit(u'ā'), FoldUnit(u'ă'));
    EXPECT_EQ(FoldUnit(0xD800), 0xD800) << "surrogates pass unchanged";
    for (char16_t unit = 0; unit < 0x80; ++unit) {
        const char16_t ascii = (unit >= u'A' && unit <= u'Z') ? unit + 0x20 : unit;
        ASSERT_EQ(FoldUnit(unit), ascii);
    }
}

}  // namespace
}  // namespace trovelle
