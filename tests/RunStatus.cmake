# Runs the command line with ARGS (separated by |) and checks its exit status
# and that it explained itself on standard error.
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${CLI} ${args} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
if(err STREQUAL "")
  message(FATAL_ERROR "nothing was said on standard error")
endif()
