# The <call> element's time, duration, thread and process, read back by
# xmllint from the document vesk-replay writes: the time in UTC as the
# capture gave its digits, the duration as the number it was, and no
# attribute where the capture has none.
#   PROGRAM, XMLLINT, CAPTURE (timed-session.jsonl)
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C.UTF-8)

# expect(XPATH VALUE): the string value of XPATH in the document.
function(expect xpath value)
  execute_process(
    COMMAND ${PROGRAM} --xml ${CAPTURE}
    COMMAND ${XMLLINT} --xpath "string(${xpath})" -
    OUTPUT_VARIABLE actual ERROR_VARIABLE err RESULT_VARIABLE status
    OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT actual STREQUAL value)
    message(SEND_ERROR "${xpath}: \"${actual}\", expected \"${value}\" ${err}")
  endif()
endfunction()

expect("//call[@number='1']/@time" "2026-12-06T22:59:58.100000Z")
expect("//call[@number='1']/@duration" "0.00021")
expect("//call[@number='1']/@thread" "4711")
expect("//call[@number='1']/@process" "900")
# Given with an offset of +01:00: shown in UTC.
expect("//call[@number='9']/@time" "2026-12-06T23:00:01.5Z")
# Nine fractional digits are kept.
expect("//call[@number='11']/@time" "2026-12-06T23:00:01.700000123Z")
expect("//call[@number='11']/@duration" "0")
# No timing keys, no attributes; a call without a duration has none.
expect("count(//call[@number='8']/@*)" "1")
expect("count(//call[@number='10']/@duration)" "0")
