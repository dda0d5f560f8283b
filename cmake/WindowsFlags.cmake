# Unicode Win32 for Windows 10, statically linked so nothing has to ship beside the binaries.
add_compile_definitions(UNICODE _UNICODE _WIN32_WINNT=0x0A00 WINVER=0x0A00 NOMINMAX
                        WIN32_LEAN_AND_MEAN)
add_compile_options(-municode)
add_link_options(-municode -static -static-libgcc -static-libstdc++)
enable_language(C)
enable_language(RC)

find_program(WIDL x86_64-w64-mingw32-widl REQUIRED)
set(WINE_IDL_DIR /usr/include/wine/wine/windows)

# Compiles an IDL file into a header, GUID definitions and a type library in the build folder.
function(trovelle_idl target idl)
  get_filename_component(name ${idl} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR})
  add_custom_command(
    OUTPUT ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb
    COMMAND ${WIDL} --win64 -I${WINE_IDL_DIR} -L/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
            -h -H ${out}/${name}.h -u -U ${out}/${name}_i.c -t -T ${out}/${name}.tlb
            ${CMAKE_CURRENT_SOURCE_DIR}/${idl}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${idl}
    VERBATIM)
  add_custom_target(${target} DEPENDS ${out}/${name}.h ${out}/${name}_i.c ${out}/${name}.tlb)
endfunction()

# The product version, from the one VERSION file, for the deliverables' version resources.
file(STRINGS ${CMAKE_SOURCE_DIR}/VERSION TROVELLE_VERSION LIMIT_COUNT 1)
set_property(DIRECTORY ${CMAKE_SOURCE_DIR} APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${CMAKE_SOURCE_DIR}/VERSION)
string(REPLACE "." ";" TROVELLE_VERSION_PARTS ${TROVELLE_VERSION})
list(GET TROVELLE_VERSION_PARTS 0 TROVELLE_VERSION_MAJOR)
list(GET TROVELLE_VERSION_PARTS 1 TROVELLE_VERSION_MINOR)
list(GET TROVELLE_VERSION_PARTS 2 TROVELLE_VERSION_PATCH)
configure_file(${CMAKE_SOURCE_DIR}/common/version/TrovelleVersion.h.in
               ${CMAKE_BINARY_DIR}/generated/TrovelleVersion.h @ONLY)
# Every resource script that includes a deliverable's (tests compile some of them too).
include_directories(${CMAKE_SOURCE_DIR}/common/version ${CMAKE_BINARY_DIR}/generated)

# A shipped binary: its version resource, and stripped of symbols after linking, which go to a
# separate X.debug file beside it (linked by name, so debuggers find them).
find_program(MINGW_OBJCOPY x86_64-w64-mingw32-objcopy REQUIRED)
function(trovelle_deliverable target rc)
  set_property(SOURCE ${rc} APPEND PROPERTY OBJECT_DEPENDS
               ${CMAKE_SOURCE_DIR}/common/version/VersionInfo.rc
               ${CMAKE_BINARY_DIR}/generated/TrovelleVersion.h)
  set(file $<TARGET_FILE:${target}>)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${MINGW_OBJCOPY} --only-keep-debug ${file} ${file}.debug
    COMMAND ${MINGW_OBJCOPY} --strip-all --add-gnu-debuglink=${file}.debug ${file}
    VERBATIM)
endfunction()
