#include "settings/Settings.h"

#include <gtest/gtest.h>

namespace trovelle {
namespace {

TEST(SettingsCodec, WritersUseTheStoredWidthsAndLittleEndian) {
    EXPECT_EQ(EncodeInteger(3), (Bytes{3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(EncodeInteger(-1), Bytes(8, 0xFF));
    EXPECT_EQ(EncodeCharacter(u'\''), (Bytes{0x27, 0x00}));
    EXPECT_EQ(EncodeCharacter(u'\u2022'), (Bytes{0x22, 0x20}));
    EXPECT_EQ(EncodeText(u"Ab"), (Bytes{'A', 0, 'b', 0, 0, 0}));
    EXPECT_EQ(EncodeText(u""), (Bytes{0, 0}));
}

TEST(SettingsCodec, MissingValuesGiveEveryDefault) {
    using R = SettingsReader;
    EXPECT_EQ(ReadInteger(Setting::ViewStyle, R::Trovex, nullptr, 0), 0);
    EXPECT_EQ(ReadInteger(Setting::ViewMetric, R::Trovex, nullptr, 0), 1);
    EXPECT_EQ(ReadCharacter(Setting::Separator, R::Trovex, nullptr, 0), u' ');
    EXPECT_EQ(ReadInteger(Setting::DecimalDigits, R::TrovexBar, nullptr, 0), 0);
    EXPECT_EQ(ReadText(Setting::ColumnTitle, R::Trovex, nullptr, 0), u"SizeEx");
    EXPECT_EQ(ReadInteger(Setting::EnableCache, R::Trovex, nullptr, 0), 1);
    EXPECT_EQ(ReadInteger(Setting::CacheAll, R::TrovexCache, nullptr, 0), 1);
    EXPECT_EQ(ReadInteger(Setting::EnableUpdSplash, R::TrovexCache, nullptr, 0), 1);
    EXPECT_EQ(ReadInteger(Setting::AlwaysOnTop, R::TrovexProperties, nullptr, 0), 1);
    EXPECT_EQ(ReadInteger(Setting::PB_Style, R::Trovex, nullptr, 0), 0);
    EXPECT_EQ(ReadCharacter(Setting::PB_Symbol, R::Trovex, nullptr, 0), u'\u2022');
}

TEST(SettingsCodec, ValuesLongerThanTheReadersCapacityCountAsMissing) {
    const Bytes title = EncodeText(std::u16string(80, u'x'));  // 162 bytes
    EXPECT_EQ(ReadText(Setting::ColumnTitle, SettingsReader::Trovex, title.data(), title.size()),
              u"SizeEx");
    EXPECT_EQ(ReadText(Setting::ColumnTitle, SettingsReader::TrovexProperties, title.data(),
                       title.size()),
              std::u16string(80, u'x'));
    const Bytes fits = EncodeText(std::u16string(79, u'y'));  // exactly 160 bytes
    EXPECT_EQ(ReadText(Setting::ColumnTitle, SettingsReader::Trovex, fits.data(), fits.size()),
              std::u16string(79, u'y'));
    const Bytes wide = Bytes(9, 2);
    EXPECT_EQ(ReadInteger(Setting::ViewMetric, SettingsReader::Trovex, wide.data(), wide.size()), 1);
    const Bytes twoUnits{'-', 0, '-', 0};
    EXPECT_EQ(ReadCharacter(Setting::Separator, SettingsReader::TrovexBar, twoUnits.data(), 4), u' ');
    EXPECT_EQ(ReadCharacter(Setting::Separator, SettingsReader::TrovexProperties, twoUnits.data(), 4),
              u'-');
}

TEST(SettingsCodec, ShortValuesReplaceOnlyTheirOwnLeadingBytes) {
    const Bytes one{0x02};
    EXPECT_EQ(ReadInteger(Setting::ViewMetric, SettingsReader::Trovex, one.data(), 1), 2);
    const Bytes minusOneLow{0xFF, 0xFF, 0xFF, 0xFF};  // over a default of 0: 0x00000000FFFFFFFF
    EXPECT_EQ(ReadInteger(Setting::DecimalDigits, SettingsReader::Trovex, minusOneLow.data(), 4),
              0xFFFFFFFFll);
    const Bytes unterminated{'A', 0, 'B', 0};  // over "SizeEx": the tail of the default stays
    EXPECT_EQ(ReadText(Setting::ColumnTitle, SettingsReader::Trovex, unterminated.data(), 4),
              u"ABzeEx");
    const Bytes empty = EncodeText(u"");
    EXPECT_EQ(ReadText(Setting::ColumnTitle, SettingsReader::Trovex, empty.data(), 2), u"");
}

TEST(SettingsCodec, FlagsAreOnOnlyWhenExactlyOne) {
    EXPECT_TRUE(IsFlagOn(1));
    EXPECT_FALSE(IsFlagOn(0));
    EXPECT_FALSE(IsFlagOn(2));
    EXPECT_FALSE(IsFlagOn(-1));
    const Bytes two = EncodeInteger(2);
    EXPECT_FALSE(IsFlagOn(ReadInteger(Setting::EnableCache, SettingsReader::Trovex, two.data(), 8)));
}

TEST(SettingsCodec, TextWithoutTerminatorInAFullBufferEndsAtTheBuffer) {
    const Bytes full(160, 'z');  // 80 units of U+7A7A and no terminator
    const std::u16string title =
        ReadText(Setting::ColumnTitle, SettingsReader::Trovex, full.data(), full.size());
    EXPECT_EQ(title.size(), 80u);
}

TEST(SettingsCodec, CapacitiesFollowEachReader) {
    EXPECT_EQ(CapacityOf(SettingsReader::Trovex, Setting::PB_Symbol), 4u);
    EXPECT_EQ(CapacityOf(SettingsReader::TrovexProperties, Setting::Separator), 20u);
    EXPECT_EQ(CapacityOf(SettingsReader::TrovexCache, Setting::ViewStyle), 0u);
    EXPECT_EQ(CapacityOf(SettingsReader::TrovexBar, Setting::ColumnTitle), 0u);
}

}  // namespace
}  // namespace trovelle
