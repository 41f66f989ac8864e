# zamo_module_code(target): code compiled into a plug-in module, hidden by default.
# zamo_add_plugin(name ENTRY file CORE target EXPORTS file): a .zamodll module
# without "lib" prefix, exporting only the names in EXPORTS, linked dynamically
# against the host library and the Win32 subset, found beside it ($ORIGIN); on
# Windows a DLL with a .def export table and the runtimes linked in statically.

function(zamo_module_code target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    POSITION_INDEPENDENT_CODE ON)
endfunction()

function(zamo_add_plugin name)
  cmake_parse_arguments(ARG "" "ENTRY;CORE;EXPORTS" "" ${ARGN})
  add_library(${name} MODULE ${ARG_ENTRY})
  zamo_module_code(${name})
  set_target_properties(${name} PROPERTIES
    PREFIX ""
    SUFFIX ".zamodll"
    SKIP_BUILD_RPATH FALSE
    BUILD_WITH_INSTALL_RPATH TRUE
    INSTALL_RPATH "$ORIGIN"
    LINK_DEPENDS ${ARG_EXPORTS})
  target_link_libraries(${name} PRIVATE ${ARG_CORE} zamo_plugins zamo_win32)
  if(NOT WIN32)
    target_link_options(${name} PRIVATE
      "LINKER:--version-script=${ARG_EXPORTS}"
      "LINKER:--enable-new-dtags"
      "LINKER:--no-undefined")
  else()
    # Windows: a .def made from the same export list names the exports exactly;
    # the C++ and GCC runtimes are linked in, so the DLL needs no runtime DLLs.
    file(READ ${ARG_EXPORTS} export_text)
    string(REGEX REPLACE ".*global:(.*)local:.*" "\\1" export_text "${export_text}")
    string(REGEX MATCHALL "[A-Za-z_][A-Za-z0-9_]*" export_names "${export_text}")
    string(REPLACE ";" "\n    " export_lines "${export_names}")
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/${name}.def
      CONTENT "LIBRARY ${name}.zamodll\nEXPORTS\n    ${export_lines}\n")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ARG_EXPORTS})
    target_sources(${name} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${name}.def)
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++)
  endif()
endfunction()
