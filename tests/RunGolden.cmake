# Runs one golden script and compares its standard output and exit status.
file(READ ${SCRIPT} script_text)
set(expected_status 0)
if(script_text MATCHES "# exit: ([0-9]+)")
  set(expected_status ${CMAKE_MATCH_1})
endif()
# The script runs from a fresh copy, next to a copy of the shared files, so
# that the files it writes land in the build tree.
get_filename_component(name ${SCRIPT} NAME_WE)
get_filename_component(source_dir ${SCRIPT} DIRECTORY)
set(work ${WORK_DIR}/${name})
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work})
file(COPY ${SCRIPT} DESTINATION ${work})
if(EXISTS ${source_dir}/files)
  file(COPY ${source_dir}/files DESTINATION ${work})
endif()
get_filename_component(script_name ${SCRIPT} NAME)
execute_process(
  COMMAND ${CLI} script ${work}/${script_name}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
  file(WRITE ${actual_file} "${actual}")
  execute_process(COMMAND diff -u ${EXPECTED} ${actual_file})
  message(FATAL_ERROR "output differs from ${EXPECTED} (actual output in ${actual_file})")
endif()
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}; stderr: ${errors}")
endif()
