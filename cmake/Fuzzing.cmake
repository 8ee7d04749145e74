# Fuzz targets. Every reader of untrusted input has one: a source file with
# LLVMFuzzerTestOneInput in fuzz/.
#
# In the fuzz preset (clang, WRENDLE_FUZZ) each becomes a libFuzzer binary that
# tools/fuzz.sh runs for a bounded time. In the native test build the same
# source is linked with a small replay driver, and a ctest test feeds it every
# input kept in fuzz/regressions/<name>/ and fuzz/seeds/<name>/, so an input
# that once failed is checked on every run.

option(WRENDLE_FUZZ "Build the libFuzzer targets (clang only)" OFF)

if(WRENDLE_FUZZ)
  add_custom_target(fuzz_targets)
endif()

# wrendle_add_fuzz_target(name SOURCES ... LIBS ... [MODULES ...])
# MODULES names modules that the target loads at run time from bin/.
function(wrendle_add_fuzz_target name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;MODULES" ${ARGN})
  if(WRENDLE_FUZZ)
    add_executable(${name} ${ARG_SOURCES})
    wrendle_target_defaults(${name})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    if(ARG_MODULES)
      add_dependencies(${name} ${ARG_MODULES})
    endif()
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(fuzz_targets ${name})
  elseif(WRENDLE_BUILD_TESTS AND NOT WIN32)
    add_executable(${name}_replay ${ARG_SOURCES} ${CMAKE_SOURCE_DIR}/fuzz/replay_main.cpp)
    wrendle_target_defaults(${name}_replay)
    target_link_libraries(${name}_replay PRIVATE ${ARG_LIBS})
    if(ARG_MODULES)
      add_dependencies(${name}_replay ${ARG_MODULES})
    endif()
    add_test(NAME fuzz_replay.${name}
      COMMAND ${name}_replay ${CMAKE_SOURCE_DIR}/fuzz/regressions/${name} ${CMAKE_SOURCE_DIR}/fuzz/seeds/${name})
  endif()
endfunction()
