# Runs dorum-cli with ARGS (a list separated by "|") in WORKDIR and compares
# its exit status with STATUS, its standard output with the file EXPECTED_OUT
# and its standard error with the file EXPECTED_ERR (nothing, if it is
# missing).
string(REPLACE "|" ";" args "${ARGS}")
execute_process(
  COMMAND ${CLI} ${args}
  WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_VARIABLE actual_out
  ERROR_VARIABLE actual_err
  RESULT_VARIABLE status)
include(${CMAKE_CURRENT_LIST_DIR}/CompareOutput.cmake)
# Standard output always has its file: a missing one is a misnamed test.
if(NOT DEFINED EXPECTED_ERR OR NOT EXISTS "${EXPECTED_OUT}")
  message(FATAL_ERROR "RunCli.cmake needs EXPECTED_ERR and an existing EXPECTED_OUT")
endif()
compare("${actual_out}" ${EXPECTED_OUT} "standard output")
compare("${actual_err}" ${EXPECTED_ERR} "standard error")
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; stderr: ${actual_err}")
endif()
