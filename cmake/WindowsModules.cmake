# Helpers for modules that are loaded by their file name (the DLLs of the
# product, the shared libraries of the native build).

# wrendle_add_module(target FILE_NAME name DEF file.def [EXPORTS list] [IMPORT_DEF file] SOURCES ...)
# On Windows: a DLL called `name` whose exports are exactly those of the .def
# file, and a test that compares its export table with the EXPORTS list.
# IMPORT_DEF replaces the import library that callers link with one made by
# dlltool, for modules whose export names are decorated ("_ZUNRecognition@12"):
# its lines map the caller's symbol to the export, `ZUNRecognition@12 ==
# _ZUNRecognition@12`, written for i686; for x86_64, where callers' symbols
# carry no @N, the suffix is dropped from the left-hand names.
# Natively: a shared object called lower(stem of name).so, which the
# library loader of platform/ finds by the same Windows file name.
function(wrendle_add_module target)
  cmake_parse_arguments(ARG "" "FILE_NAME;DEF;EXPORTS;IMPORT_DEF" "SOURCES" ${ARGN})
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
    if(ARG_IMPORT_DEF)
      wrendle_replace_import_library(${target} ${ARG_IMPORT_DEF})
    endif()
  else()
    string(TOLOWER "${stem}" lower_stem)
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "${lower_stem}" SUFFIX ".so"
      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  endif()
endfunction()

function(wrendle_replace_import_library target import_def)
  set(def ${import_def})
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(READ ${import_def} content)
    string(REGEX REPLACE "([A-Za-z_][A-Za-z0-9_]*)@[0-9]+ *==" "\\1 ==" content "${content}")
    set(def ${CMAKE_CURRENT_BINARY_DIR}/${target}.import64.def)
    file(WRITE ${def} "${content}")
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${WRENDLE_DLLTOOL} -d ${def} -l $<TARGET_LINKER_FILE:${target}>
    COMMENT "Import library of ${target} for decorated export names")
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${import_def})
endfunction()
