#include "MenuChoices.h"

#include <array>

#include "ResourceIds.h"

namespace trovelle {
namespace {

constexpr std::array<MenuChoice, 21> kChoices = {{
    {ID_MENU_NOTHING, Setting::ViewStyle, 3},
    {ID_MENU_FILESONLY, Setting::ViewStyle, 1},
    {ID_MENU_FOLDERSONLY, Setting::ViewStyle, 2},
    {ID_MENU_FILESANDFOLDERS, Setting::ViewStyle, 0},
    {ID_MENU_AUTO, Setting::ViewMetric, 4},
    {ID_MENU_GBYTES, Setting::ViewMetric, 3},
    {ID_MENU_MBYTES, Setting::ViewMetric, 2},
    {ID_MENU_KBYTES, Setting::ViewMetric, 1},
    {ID_MENU_BYTES, Setting::ViewMetric, 0},
    {ID_MENU_DONTSHOW, Setting::DecimalDigits, 0},
    {ID_MENU_DIGITS1, Setting::DecimalDigits, 1},
    {ID_MENU_DIGITS2, Setting::DecimalDigits, 2},
    {ID_MENU_DIGITS3, Setting::DecimalDigits, 3},
    {ID_MENU_DIGITS4, Setting::DecimalDigits, 4},
    {ID_MENU_DIGITS5, Setting::DecimalDigits, 5},
    {ID_MENU_DONTUSE, Setting::Separator, 0},
    {ID_MENU_SPACE, Setting::Separator, u' '},
    {ID_MENU_DOT, Setting::Separator, u'.'},
    {ID_MENU_COMMA, Setting::Separator, u','},
    {ID_MENU_APOSTROPHE, Setting::Separator, u'`'},
    {ID_MENU_QUOTE, Setting::Separator, u'\''},
}};

}  // namespace

std::span<const MenuChoice> MenuChoices() { return kChoices; }

const MenuChoice* ChoiceOf(UINT command) {
    for (const MenuChoice& choice : kChoices) {
        if (choice.command == command) return &choice;
    }
    return nullptr;
}

UINT CommandShowing(Setting setting, int64_t value) {
    for (const MenuChoice& choice : kChoices) {
        if (choice.setting == setting && choice.value == value) return choice.command;
    }
    return 0;
}

}  // namespace trovelle
