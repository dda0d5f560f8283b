// The column settings and title one handler object shows: read from the settings key when first
// needed and again only after the registry reported a change, so that a cell costs no registry
// read while a change still shows at the next refresh.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "ColumnSettings.h"
#include "SettingsStore.h"
#include "UniqueHandle.h"

namespace trovelle {

class KeptSettings {
public:
    KeptSettings() = default;
    KeptSettings(const KeptSettings&) = delete;
    KeptSettings& operator=(const KeptSettings&) = delete;

    // The values in force, reread first when the key changed since the last look.
    const ColumnSettings& Columns() {
        Refresh();
        return columns_;
    }
    // ColumnTitle as this reader sees it; a failed read gives the default title.
    const std::wstring& Title() {
        Refresh();
        return title_;
    }

private:
    void Refresh();
    bool Watch();

    std::optional<SettingsKey> key_;
    // The key above the settings: deleting the settings key (the settings program's reset) does
    // not signal a watch on the key itself everywhere, and making it signals only this one.
    UniqueRegistryKey parent_;
    // Signalled by a change under either key. A new event for every watch, so that the ending
    // of an earlier watch (its key closed, its thread gone) cannot signal the current one.
    UniqueKernelHandle changed_;
    bool watching_ = false;  // false: never read, or no watch would see the next change
    ColumnSettings columns_;
    std::wstring title_;
};

}  // namespace trovelle
