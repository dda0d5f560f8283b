// The settings menu's choice items: which command stores which value of which setting.
#pragma once

#include <windows.h>

#include <cstdint>
#include <span>

#include "settings/Settings.h"

namespace trovelle {

struct MenuChoice {
    UINT command;
    Setting setting;  // ViewStyle, ViewMetric, DecimalDigits or Separator
    int64_t value;    // the number, or the separator's code unit
};

// Every choice, in the order their check marks are cleared.
std::span<const MenuChoice> MenuChoices();
// The choice a command stands for, or nullptr for any other command.
const MenuChoice* ChoiceOf(UINT command);
// The command showing `value` of `setting`, or 0 when no item shows it.
UINT CommandShowing(Setting setting, int64_t value);

}  // namespace trovelle
