# Runs vesk-replay on one golden capture and compares what it prints.
#   PROGRAM, GOLDEN_DIR, CAPTURE (relative to GOLDEN_DIR, or absolute),
#   EXPECTED (file stem in GOLDEN_DIR), STATUS (exit status), ARGUMENTS
#   (separated by "|"); ZONE, when given, the TZ to render times in
#   (default UTC).
# With the environment variable KOVESK_UPDATE_GOLDEN set, writes the
# expected files instead (review them before committing).

# The renderings of time stamps and of the narrow character set follow the
# environment: pin both.
set(ENV{TZ} UTC)
if(DEFINED ZONE)
  set(ENV{TZ} ${ZONE})
endif()
set(ENV{LC_ALL} C.UTF-8)
string(REPLACE "|" ";" ARGUMENTS "${ARGUMENTS}")

execute_process(
  COMMAND ${PROGRAM} ${ARGUMENTS} ${CAPTURE}
  WORKING_DIRECTORY ${GOLDEN_DIR}
  OUTPUT_VARIABLE actual_out
  ERROR_VARIABLE actual_err
  RESULT_VARIABLE actual_status)

set(out_file ${GOLDEN_DIR}/${EXPECTED}.out)
set(err_file ${GOLDEN_DIR}/${EXPECTED}.err)

if(DEFINED ENV{KOVESK_UPDATE_GOLDEN})
  file(WRITE ${out_file} "${actual_out}")
  if(actual_err STREQUAL "")
    file(REMOVE ${err_file})
  else()
    file(WRITE ${err_file} "${actual_err}")
  endif()
  message(STATUS "updated ${EXPECTED} (exit status ${actual_status}, expected ${STATUS})")
  return()
endif()

set(failed FALSE)
if(NOT actual_status STREQUAL STATUS)
  message(SEND_ERROR "exit status ${actual_status}, expected ${STATUS}")
  set(failed TRUE)
endif()

file(READ ${out_file} expected_out)
if(EXISTS ${err_file})
  file(READ ${err_file} expected_err)
else()
  set(expected_err "")
endif()

foreach(stream out err)
  if(NOT actual_${stream} STREQUAL expected_${stream})
    set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/${EXPECTED}.actual.${stream})
    file(WRITE ${actual_file} "${actual_${stream}}")
    set(expected_file ${GOLDEN_DIR}/${EXPECTED}.${stream})
    if(NOT EXISTS ${expected_file})
      set(expected_file /dev/null)
    endif()
    execute_process(COMMAND diff -u ${expected_file} ${actual_file} OUTPUT_VARIABLE difference)
    message(SEND_ERROR "standard ${stream}put differs from ${EXPECTED}.${stream}:\n${difference}")
    set(failed TRUE)
  endif()
endforeach()
