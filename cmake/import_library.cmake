# add_stdcall_import_library(target DEF file DLL dll_target)
# An import library for programs that link against one of our DLLs, as the
# INTERFACE target `target` (with include/ for the public headers). The .def file
# maps the decorated names a __stdcall caller refers to onto the DLL's plain export
# names, which dlltool -k turns into lib<dll_target>.a under build/lib.
function(add_stdcall_import_library target)
  cmake_parse_arguments(I "" "DEF;DLL" "" ${ARGN})
  set(library ${CMAKE_BINARY_DIR}/lib/lib${I_DLL}.a)
  add_custom_command(OUTPUT ${library}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/lib
    COMMAND i686-w64-mingw32-dlltool -k -d ${I_DEF} -l ${library}
    DEPENDS ${I_DEF})
  add_custom_target(${target}_library DEPENDS ${library})
  add_library(${target} INTERFACE)
  add_dependencies(${target} ${target}_library ${I_DLL})
  target_include_directories(${target} INTERFACE ${PROJECT_SOURCE_DIR}/include)
  target_link_libraries(${target} INTERFACE ${library})
endfunction()
