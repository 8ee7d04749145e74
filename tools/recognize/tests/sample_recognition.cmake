# Recognizes a sample with the recognize tool and checks the output: it holds
# every EXPECT pattern and, when a REFERENCE command is given, equals the
# reference's output byte for byte.
#   cmake -DCOMMAND="exe;args" [-DREFERENCE="exe;args"] -DSAMPLE=file
#         -DWINDOWS_DIR=dir -DEXPECT="re;re" -P sample_recognition.cmake
function(run_recognizer command out)
  file(REMOVE_RECURSE ${WINDOWS_DIR})
  file(MAKE_DIRECTORY ${WINDOWS_DIR})
  execute_process(COMMAND ${command} --windows-dir ${WINDOWS_DIR} ${SAMPLE}
    OUTPUT_VARIABLE output RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${command} failed (${result}):\n${output}")
  endif()
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
