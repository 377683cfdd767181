# Runs dorum-cli with ARGS (a list separated by "|") in WORKDIR and compares
# its exit status with STATUS, its standard output with the file EXPECTED_OUT
# and, when EXPECTED_ERR names an existing file, its standard error with it.
string(REPLACE "|" ";" args "${ARGS}")
execute_process(
  COMMAND ${CLI} ${args}
  WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_VARIABLE actual_out
  ERROR_VARIABLE actual_err
  RESULT_VARIABLE status)
function(compare actual expected_file what)
  file(READ ${expected_file} expected)
  if(NOT actual STREQUAL expected)
    get_filename_component(name ${expected_file} NAME)
    set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
    file(WRITE ${actual_file} "${actual}")
    execute_process(COMMAND diff -u ${expected_file} ${actual_file})
    message(FATAL_ERROR "${what} differs from ${expected_file} (actual in ${actual_file})")
  endif()
endfunction()
if(DEFINED EXPECTED_OUT)
  compare("${actual_out}" ${EXPECTED_OUT} "standard output")
endif()
if(DEFINED EXPECTED_ERR AND EXISTS ${EXPECTED_ERR})
  compare("${actual_err}" ${EXPECTED_ERR} "standard error")
endif()
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; stderr: ${actual_err}")
endif()
