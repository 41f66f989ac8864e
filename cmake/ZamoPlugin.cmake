# zamo_module_code(target): code compiled into a plug-in module, hidden by default.
# zamo_add_plugin(name ENTRY file CORE target EXPORTS file): a .zamodll module
# without "lib" prefix, exporting only the names in EXPORTS, linked dynamically
# against the host library and the Win32 subset, found beside it ($ORIGIN).

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
  endif()
endfunction()
