# Runs one golden script and compares its standard output, its standard
# error (empty unless NAME.err says otherwise) and its exit status.
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
include(${CMAKE_CURRENT_LIST_DIR}/CompareOutput.cmake)
if(NOT EXISTS ${EXPECTED})
  message(FATAL_ERROR "no ${EXPECTED}: every golden script has its standard output")
endif()
compare("${actual}" ${EXPECTED} "standard output")
compare("${errors}" ${source_dir}/${name}.err "standard error")
if(NOT status STREQUAL expected_status)
  message(FATAL_ERROR "exit status ${status}, expected ${expected_status}; stderr: ${errors}")
endif()
