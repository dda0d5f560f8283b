# The GUIDs an IDL file declares, as registry text for code that must not include the Windows
# headers (the registration tables, which the installer's build tool reads natively too):
# <Name>GuidText.h next to the other generated headers, one macro per declaration, e.g.
#   #define TrovexFolderSize_GUID_TEXT L"{40D66076-62FE-4B57-8667-DB802925FBB6}"
function(trovelle_idl_guid_text idl)
  get_filename_component(name ${idl} NAME_WE)
  file(READ ${idl} text)
  # Square brackets would group CMake list items; the attribute blocks' own do not matter here.
  string(REPLACE "[" " " text "${text}")
  string(REPLACE "]" " " text "${text}")
  # From each uuid(...) to the declaration its attributes belong to: the last keyword before the
  # declaration's body (attribute blocks hold no braces or semicolons).
  string(REGEX MATCHALL
         "uuid\\([0-9A-Fa-f-]+\\)[^;{]*(interface|library|coclass)[ \t]+[A-Za-z0-9_]+"
         declarations "${text}")
  set(body "// Made by the build from ${name}.idl: its GUIDs as registry text.\n#pragma once\n")
  foreach(declaration IN LISTS declarations)
    string(REGEX REPLACE "^uuid\\(([0-9A-Fa-f-]+)\\).*" "\\1" guid "${declaration}")
    string(REGEX REPLACE ".*[ \t]([A-Za-z0-9_]+)$" "\\1" declared "${declaration}")
    string(TOUPPER ${guid} guid)
    string(APPEND body "#define ${declared}_GUID_TEXT L\"{${guid}}\"\n")
  endforeach()
  set(output ${CMAKE_BINARY_DIR}/generated/${name}GuidText.h)
  if(EXISTS ${output})
    file(READ ${output} previous)
  endif()
  if(NOT "${previous}" STREQUAL "${body}")
    file(WRITE ${output} "${body}")
  endif()
  set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${idl})
endfunction()
