# Recognizes a stroke file with recognize_strokes and checks the output: it
# holds every EXPECT pattern and, when a REFERENCE command is given, equals the
# reference's output byte for byte.
#   cmake -DCOMMAND="exe;args" [-DREFERENCE="exe;args"] -DSAMPLE=file
#         -DWINDOWS_DIR=dir -DEXPECT="re;re" -P sample_recognition.cmake
file(REMOVE_RECURSE ${WINDOWS_DIR})
file(MAKE_DIRECTORY ${WINDOWS_DIR})
execute_process(COMMAND ${COMMAND} --windows-dir ${WINDOWS_DIR} ${SAMPLE}
  OUTPUT_VARIABLE output RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "recognize_strokes failed (${result}):\n${output}")
endif()
foreach(pattern ${EXPECT})
  if(NOT output MATCHES "${pattern}")
    message(FATAL_ERROR "output lacks '${pattern}':\n${output}")
  endif()
endforeach()
if(REFERENCE)
  file(REMOVE_RECURSE ${WINDOWS_DIR})
  file(MAKE_DIRECTORY ${WINDOWS_DIR})
  execute_process(COMMAND ${REFERENCE} --windows-dir ${WINDOWS_DIR} ${SAMPLE}
    OUTPUT_VARIABLE reference RESULT_VARIABLE result)
  string(REPLACE "\r\n" "\n" output "${output}")
  if(NOT result EQUAL 0 OR NOT output STREQUAL reference)
    message(FATAL_ERROR "output differs from the reference:\n${output}\nreference:\n${reference}")
  endif()
endif()
message(STATUS "${output}")
