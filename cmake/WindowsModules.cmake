# Helpers for modules that are loaded by their file name (the DLLs of the
# product, the shared libraries of the native build).

# wrendle_add_module(target FILE_NAME name DEF file.def EXPORTS list SOURCES ...)
# On Windows: a DLL called `name` whose exports are exactly those of the .def
# file, and a test that compares its export table with the EXPORTS list.
# Natively: a shared object called lower(stem of name).so, which the
# library loader of platform/ finds by the same Windows file name.
function(wrendle_add_module target)
  cmake_parse_arguments(ARG "" "FILE_NAME;DEF;EXPORTS" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${ARG_SOURCES})
  wrendle_target_defaults(${target})
  string(REGEX REPLACE "\\.[^.]*$" "" stem "${ARG_FILE_NAME}")
  string(REGEX MATCH "\\.[^.]*$" extension "${ARG_FILE_NAME}")
  if(WIN32)
    string(REGEX REPLACE "^\\." "" extension "${extension}")
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "${stem}" SUFFIX ".${extension}")
    target_sources(${target} PRIVATE ${ARG_DEF})
    if(ARG_EXPORTS)
      wrendle_check_exports(${target} ${ARG_EXPORTS})
    endif()
  else()
    string(TOLOWER "${stem}" lower_stem)
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "${lower_stem}" SUFFIX ".so"
      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  endif()
endfunction()
