# compare(ACTUAL EXPECTED_FILE WHAT): fails unless ACTUAL is the file's text.
# A missing file means nothing may be said there: a warning or a stray
# message on a run that went well is a change a golden test must not let
# through. What was said instead is kept beside, as NAME.actual.
function(compare actual expected_file what)
  set(expected "")
  if(EXISTS ${expected_file})
    file(READ ${expected_file} expected)
  endif()
  if(NOT actual STREQUAL expected)
    get_filename_component(file_name ${expected_file} NAME)
    set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/${file_name}.actual)
    file(WRITE ${actual_file} "${actual}")
    if(EXISTS ${expected_file})
      execute_process(COMMAND diff -u ${expected_file} ${actual_file})
      message(FATAL_ERROR "${what} differs from ${expected_file} (actual in ${actual_file})")
    endif()
    message(FATAL_ERROR "${what} should be empty, as there is no ${expected_file}; it was:\n"
                        "${actual}(also in ${actual_file})")
  endif()
endfunction()
