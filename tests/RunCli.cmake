# Runs dorum-cli with ARGS (a list separated by "|") in WORKDIR and compares
# its exit status with STATUS, its standard output with the file EXPECTED_OUT
# and its standard error with the file EXPECTED_ERR. A missing EXPECTED_ERR
# means nothing may be said on standard error: a warning or a stray message
# on a run that went well is a change a golden test must not let through.
string(REPLACE "|" ";" args "${ARGS}")
execute_process(
  COMMAND ${CLI} ${args}
  WORKING_DIRECTORY ${WORKDIR}
  OUTPUT_VARIABLE actual_out
  ERROR_VARIABLE actual_err
  RESULT_VARIABLE status)
function(compare actual expected_file what)
  set(expected "")
  if(EXISTS ${expected_file})
    file(READ ${expected_file} expected)
  endif()
  if(NOT actual STREQUAL expected)
    get_filename_component(name ${expected_file} NAME)
    set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
    file(WRITE ${actual_file} "${actual}")
    if(EXISTS ${expected_file})
      execute_process(COMMAND diff -u ${expected_file} ${actual_file})
      message(FATAL_ERROR "${what} differs from ${expected_file} (actual in ${actual_file})")
    endif()
    message(FATAL_ERROR "${what} should be empty, as there is no ${expected_file}; it was:\n"
                        "${actual}(also in ${actual_file})")
  endif()
endfunction()
# Standard output always has its file: a missing one is a misnamed test.
if(NOT DEFINED EXPECTED_ERR OR NOT EXISTS "${EXPECTED_OUT}")
  message(FATAL_ERROR "RunCli.cmake needs EXPECTED_ERR and an existing EXPECTED_OUT")
endif()
compare("${actual_out}" ${EXPECTED_OUT} "standard output")
compare("${actual_err}" ${EXPECTED_ERR} "standard error")
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}; stderr: ${actual_err}")
endif()
