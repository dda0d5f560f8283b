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
