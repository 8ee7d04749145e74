# Compiler settings shared by every target of the project.

option(WRENDLE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(WRENDLE_TSAN "Build with ThreadSanitizer" OFF)
option(WRENDLE_BUILD_TESTS "Build the test suites" ON)
option(WRENDLE_BUILD_BENCH "Build the benchmarks (native only)" OFF)

if(WIN32)
  # Win32 headers: ANSI entry points, no min/max macros, Windows XP level API.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    # The product: SSE2 float math so results match the 64-bit build.
    add_compile_options(-msse2 -mfpmath=sse)
  endif()
  # Executables and DLLs need nothing but system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
endif()

if(WRENDLE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(WRENDLE_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Warnings for the project's own code; third-party code (GoogleTest) is built
# without them.
function(wrendle_target_defaults target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror=return-type)
  target_compile_features(${target} PUBLIC cxx_std_20)
endfunction()
