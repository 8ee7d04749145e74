# Recognizes a sample with the recognize tool and checks the output: it holds
# every EXPECT pattern and, when a REFERENCE command is given, equals the
# reference's output byte for byte. With EXIT_CODE the tool must end with that
# status and its error output hold every ERRORS pattern. ENGINE is an engine
# module copied into the Windows directory, where the dispatcher loads it.
#   cmake -DCOMMAND="exe;args" [-DREFERENCE="exe;args"] -DSAMPLE=file
#         -DWINDOWS_DIR=dir -DEXPECT="re;re" [-DEXIT_CODE=n -DERRORS="re;re"]
#         [-DENGINE=module] -P sample_recognition.cmake
if(NOT DEFINED EXIT_CODE)
  set(EXIT_CODE 0)
endif()

function(run_recognizer command out)
  file(REMOVE_RECURSE ${WINDOWS_DIR})
  file(MAKE_DIRECTORY ${WINDOWS_DIR})
  if(ENGINE)
    file(COPY ${ENGINE} DESTINATION ${WINDOWS_DIR})
  endif()
  execute_process(COMMAND ${command} --windows-dir ${WINDOWS_DIR} ${SAMPLE}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL EXIT_CODE)
    message(FATAL_ERROR "${command} ended with ${result}, not ${EXIT_CODE}:\n${output}\n${errors}")
  endif()
  foreach(pattern ${ERRORS})
    if(NOT errors MATCHES "${pattern}")
      message(FATAL_ERROR "error output lacks '${pattern}':\n${errors}")
    endif()
  endforeach()
  # Windows programs end their lines with CR LF.
  string(REPLACE "\r\n" "\n" output "${output}")
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

run_recognizer("${COMMAND}" output)
foreach(pattern ${EXPECT})
  if(NOT output MATCHES "${pattern}")
    message(FATAL_ERROR "output lacks '${pattern}':\n${output}")
  endif()
endforeach()
if(REFERENCE)
  run_recognizer("${REFERENCE}" reference)
  if(NOT output STREQUAL reference)
    message(FATAL_ERROR "output differs from the reference:\n${output}\nreference:\n${reference}")
  endif()
endif()
message(STATUS "${output}")
