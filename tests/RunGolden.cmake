# Runs one golden script and compares its standard output and exit status.
file(READ ${SCRIPT} script_text)
set(expected_status 0)
if(script_text MATCHES "# exit: ([0-9]+)")
  set(expected_status ${CMAKE_MATCH_1})
endif()
execute_process(
  COMMAND ${CLI} script ${SCRIPT}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  get_filename_component(name ${SCRIPT} NAME_WE)
  set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
  file(WRITE ${actual_file} "${actual}")
  execute_process(COMMAND diff -u ${EXPECTED} ${actual_file})
  message(FATAL_ERROR "output differs from ${EXPECTED} (actual output in ${actual_file})")
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}; stderr: ${errors}")
endif()
