# Checks what the full-screen end-to-end test sent against the command-line
# recognizer: the text that reached the target program holds, cell by cell,
# the recognizer's first candidate for the line as the test drew it, and in
# the cell the test chose from, one of that cell's other candidates (the
# program recognizes the points the hook library took, which may differ a
# little from those drawn and so reorder close candidates).
#   -DRECOGNIZE=<recognize in the GB2312 folder> -DARTIFACTS=<the test's artifacts folder>
#   -DRANGE=<the program's range flags> -DMODE=<the program's recognition mode>
cmake_policy(SET CMP0007 NEW)
file(READ ${ARTIFACTS}/full_screen_sent.txt sent_file)
string(REPLACE "\n" ";" sent_lines "${sent_file}")
list(GET sent_lines 0 sent)
list(GET sent_lines 1 chosen_cell)
list(GET sent_lines 2 screen)

execute_process(
  COMMAND ${RECOGNIZE} --lang 4000 --mode ${MODE} --range ${RANGE} --screen ${screen}
          ${ARTIFACTS}/full_screen_line.json
  OUTPUT_VARIABLE cells RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "recognize failed (${status})")
endif()
string(REGEX REPLACE "\n$" "" cells "${cells}")
string(REPLACE "\n" ";" cells "${cells}")
# The first candidates of the cells before and after the chosen one, and
# what the sent text holds between them.
set(before "")
set(after "")
set(chosen_candidates "")
set(index 0)
foreach(cell IN LISTS cells)
  string(REPLACE " " ";" candidates "${cell}")
  list(GET candidates 0 first)
  if(index LESS chosen_cell)
    string(APPEND before "${first}")
  elseif(index EQUAL chosen_cell)
    set(chosen_candidates "${candidates}")
  else()
    string(APPEND after "${first}")
  endif()
  math(EXPR index "${index} + 1")
endforeach()
string(LENGTH "${sent}" sent_length)
string(LENGTH "${before}" before_length)
string(LENGTH "${after}" after_length)
math(EXPR chosen_length "${sent_length} - ${before_length} - ${after_length}")
if(chosen_length LESS 1)
  message(FATAL_ERROR "sent \"${sent}\", the recognizer's cells: ${cells}")
endif()
string(SUBSTRING "${sent}" 0 ${before_length} sent_before)
string(SUBSTRING "${sent}" ${before_length} ${chosen_length} sent_chosen)
math(EXPR after_start "${before_length} + ${chosen_length}")
string(SUBSTRING "${sent}" ${after_start} -1 sent_after)
list(FIND chosen_candidates "${sent_chosen}" rank)
if(NOT sent_before STREQUAL before OR NOT sent_after STREQUAL after OR rank LESS 1)
  message(FATAL_ERROR "sent \"${sent}\": the recognizer's first candidates \"${before}\" and \"${after}\" "
                      "around one of the other candidates of cell ${chosen_cell} expected (cells: ${cells})")
endif()
message(STATUS "sent \"${sent}\": the recognizer's cells ${cells}")
