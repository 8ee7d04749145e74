# Test helpers. Natively GoogleTest comes from the system; for mingw it is
# built from the sources that Debian's googletest package ships.

enable_testing()

if(WRENDLE_BUILD_TESTS)
  if(WIN32)
    set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  else()
    find_package(GTest REQUIRED)
    include(GoogleTest)
  endif()
endif()

# wrendle_add_test(name SOURCES ... LIBS ... [OUTPUT_DIRECTORY dir])
# OUTPUT_DIRECTORY places the executable (and runs it) in a folder of its own,
# for tests whose module searches must not see the modules in bin/.
# Natively every test case becomes a ctest test; under wine one ctest test runs
# the whole executable, which saves a wine start per case.
function(wrendle_add_test name)
  cmake_parse_arguments(ARG "" "OUTPUT_DIRECTORY" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  wrendle_target_defaults(${name})
  set(directory ${CMAKE_BINARY_DIR}/bin)
  if(ARG_OUTPUT_DIRECTORY)
    set(directory ${ARG_OUTPUT_DIRECTORY})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${directory})
  endif()
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} gmock gtest_main)
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${directory})
  else()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} WORKING_DIRECTORY ${directory} DISCOVERY_TIMEOUT 30)
  endif()
endfunction()

# wrendle_check_exports(target list-file)
# Compares the export table of a Windows module with the list kept in the repo:
# the first line names the export directory, one exported name per line after.
function(wrendle_check_exports target list_file)
  if(WIN32)
    add_test(NAME exports.${target}
      COMMAND ${CMAKE_SOURCE_DIR}/cmake/check-exports.sh ${WRENDLE_OBJDUMP} $<TARGET_FILE:${target}> ${list_file})
  endif()
endfunction()
