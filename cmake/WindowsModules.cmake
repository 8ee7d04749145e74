# Helpers for modules that are loaded by their file name (the DLLs of the
# product, the shared libraries of the native build).

# wrendle_add_module(target FILE_NAME name DEF file.def [EXPORTS list]
#                    [CALLER_IMPORTS] [IMPORT_ALIASES "caller == export" ...] SOURCES ...)
# On Windows: a DLL called `name` whose exports are exactly those of the .def
# file, and a test that compares its export table with the EXPORTS list.
# CALLER_IMPORTS replaces the import library that the linker writes with one
# that callers can link, for modules whose export names are decorated
# ("_JebExHook@16"): a caller's declaration of `JebExHook` refers to the C
# symbol "_JebExHook@16" on i686 and "JebExHook" on x86_64, neither of which
# is the export name. dlltool makes the library from lines that map each
# caller's symbol to the export with "==": "JebExHook@16 == _JebExHook@16" on
# i686 (dlltool adds the C symbol's underscore), "JebExHook == _JebExHook@16"
# on x86_64. Every "_name@N" of the EXPORTS list gets such a line; other
# exports need an IMPORT_ALIASES entry written in the i686 form, whose @N is
# dropped for x86_64.
# Natively: a shared object called lower(stem of name).so, which the
# library loader of platform/ finds by the same Windows file name.
function(wrendle_add_module target)
  cmake_parse_arguments(ARG "CALLER_IMPORTS" "FILE_NAME;DEF;EXPORTS" "SOURCES;IMPORT_ALIASES" ${ARGN})
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
    if(ARG_CALLER_IMPORTS)
      wrendle_caller_import_library(${target} ${ARG_EXPORTS} "${ARG_IMPORT_ALIASES}")
    endif()
  else()
    string(TOLOWER "${stem}" lower_stem)
    set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME "${lower_stem}" SUFFIX ".so"
      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  endif()
endfunction()

function(wrendle_caller_import_library target exports_file aliases)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${exports_file})
  file(STRINGS ${exports_file} names REGEX "[^ \t]")
  list(POP_FRONT names library_line)
  string(REGEX REPLACE "^LIBRARY[ \t]+" "" dll_name "${library_line}")
  set(lines "")
  foreach(name IN LISTS names)
    if(name MATCHES "^_([A-Za-z0-9_]+)@([0-9]+)$")
      list(APPEND lines "${CMAKE_MATCH_1}@${CMAKE_MATCH_2} == ${name}")
    else()
      set(covered FALSE)
      foreach(alias IN LISTS aliases)
        string(REGEX REPLACE "^.*== *\"?([^\"]*)\"?$" "\\1" export_name "${alias}")
        if(export_name STREQUAL name)
          set(covered TRUE)
        endif()
      endforeach()
      if(NOT covered)
        message(FATAL_ERROR "${exports_file}: ${name} needs an IMPORT_ALIASES entry")
      endif()
    endif()
  endforeach()
  list(APPEND lines ${aliases})
  set(text "LIBRARY ${dll_name}\nEXPORTS\n")
  foreach(line IN LISTS lines)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
      string(REGEX REPLACE "^([A-Za-z0-9_]+)@[0-9]+ *==" "\\1 ==" line "${line}")
    endif()
    string(APPEND text "  ${line}\n")
  endforeach()
  set(def_file ${CMAKE_CURRENT_BINARY_DIR}/${target}.callers.def)
  file(GENERATE OUTPUT ${def_file} CONTENT "${text}")
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_DLLTOOL} -d ${def_file} -D ${dll_name} -l $<TARGET_LINKER_FILE:${target}>
    COMMENT "Import library of ${dll_name} for callers"
    VERBATIM)
endfunction()
