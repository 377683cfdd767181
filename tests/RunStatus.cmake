# Runs the command line with ARGS (separated by |) and checks its exit status
# and that it explained itself: on standard error, or with QUIET (a success)
# on standard output.
string(REPLACE "|" ";" args "${ARGS}")
execute_process(COMMAND ${CLI} ${args} OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}")
endif()
# A failure must explain itself on standard error; a success (QUIET) need not.
if(NOT QUIET AND err STREQUAL "")
  message(FATAL_ERROR "nothing was said on standard error")
endif()
if(QUIET AND out STREQUAL "")
  message(FATAL_ERROR "nothing was said on standard output")
endif()
