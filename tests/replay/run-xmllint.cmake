# Runs vesk-replay --xml on one capture and has xmllint check that the
# document is well-formed.   PROGRAM, XMLLINT, CAPTURE, LOCALE.
if(NOT XMLLINT)
  message(FATAL_ERROR "xmllint not found: apt-get install libxml2-utils")
endif()
set(ENV{TZ} UTC)
set(ENV{LC_ALL} ${LOCALE})

execute_process(
  COMMAND ${PROGRAM} --xml ${CAPTURE}
  OUTPUT_VARIABLE document
  RESULT_VARIABLE status
  ERROR_QUIET)
if(NOT status MATCHES "^[01]$")
  message(FATAL_ERROR "vesk-replay --xml exited with ${status}")
endif()
string(RANDOM LENGTH 8 suffix)
set(document_file ${CMAKE_CURRENT_BINARY_DIR}/xmllint-${suffix}.xml)
file(WRITE ${document_file} "${document}")
execute_process(
  COMMAND ${XMLLINT} --noout ${document_file}
  RESULT_VARIABLE lint_status
  ERROR_VARIABLE lint_errors)
file(REMOVE ${document_file})
if(NOT lint_status EQUAL 0)
  message(FATAL_ERROR "xmllint rejects the document:\n${lint_errors}")
endif()
