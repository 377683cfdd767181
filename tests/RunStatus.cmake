# Runs the command line with ARGS (separated by |) and checks its exit status
# and that it explained itself: on standard error, or with QUIET (a success)
# on standard output.
string(REPLACE "|" ";" args "${ARGS}")
# INPUT, when given, is fed on standard input.
if(INPUT)
  set(input_file INPUT_FILE ${INPUT})
endif()
string(TIMESTAMP started "%s%f" UTC)
execute_process(COMMAND ${CLI} ${args} ${input_file}
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
string(TIMESTAMP ended "%s%f" UTC)
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
if(DEFINED EXPECTED_OUT AND NOT out STREQUAL EXPECTED_OUT)
  message(FATAL_ERROR "standard output \"${out}\", expected \"${EXPECTED_OUT}\"")
endif()
# MIN_TENTHS and MAX_TENTHS, when given, bound how long the run took, in
# tenths of a second.
math(EXPR tenths "(${ended} - ${started}) / 100000")
if(DEFINED MIN_TENTHS AND tenths LESS MIN_TENTHS)
  message(FATAL_ERROR "ended after ${tenths} tenths of a second, expected at least ${MIN_TENTHS}")
endif()
if(DEFINED MAX_TENTHS AND tenths GREATER MAX_TENTHS)
  message(FATAL_ERROR "ended after ${tenths} tenths of a second, expected at most ${MAX_TENTHS}")
endif()
