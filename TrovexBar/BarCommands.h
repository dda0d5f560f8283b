// The two menu commands that write no setting.
#pragma once

namespace trovelle {

// Raises a running settings program, or starts "TrovexProperties.exe" beside this library.
void OpenSettingsProgram();
// Empties the cache of a running cache server; never starts one. Silent on every failure.
void ResetRunningCache();

}  // namespace trovelle
