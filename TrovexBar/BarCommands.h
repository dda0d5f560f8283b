// The two menu commands that write no setting.
#pragma once

namespace trovelle {

// Raises a running settings program, or starts "TrovexProperties.exe" beside this library.
void OpenSettingsProgram();

}  // namespace trovelle
