# vesk-replay on input that would exhaust it or an output that is gone:
# it stops with one diagnostic and the exit status that says so, keeping
# what it rendered before.
#   PROGRAM, GOLDEN_DIR, WORK_DIR (scratch files), SANITIZED (ON in a
#   sanitizer build, whose runtime cannot run under a memory limit).
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C.UTF-8)

# run(STATUS OUT_REGEX ERR_REGEX COMMAND...): runs COMMAND in GOLDEN_DIR.
function(run status out_regex err_regex)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${GOLDEN_DIR}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE actual)
  if(NOT actual STREQUAL status)
    message(SEND_ERROR "${ARGN}: exit status ${actual}, expected ${status}\n${err}")
  endif()
  if(NOT out MATCHES "${out_regex}")
    message(SEND_ERROR "${ARGN}: output\n${out}\ndoes not match ${out_regex}")
  endif()
  if(NOT err MATCHES "${err_regex}")
    message(SEND_ERROR "${ARGN}: errors\n${err}\ndo not match ${err_regex}")
  endif()
endfunction()

set(good "{\"function\":\"viClose\",\"in\":[{\"name\":\"vi\",\"type\":33,\"u32\":4097}]}")
string(REPEAT "x" 200 long)
set(long_line "{\"function\":\"viClose\",\"in\":[{\"name\":\"vi\",\"type\":45,\"text\":\"${long}\"}]}")

# A line longer than the longest allowed stops the reading there: the calls
# before it are rendered (exit 1); with none before it nothing could be read
# (exit 2). The limit counts the line without its line break.
file(WRITE ${WORK_DIR}/long-third.jsonl "${good}\n${good}\n${long_line}\n${good}\n")
run(1 "^1\t\tviClose \\(0x00001001\\)\n2\t\tviClose \\(0x00001001\\)\n$"
  "^[^\n]*long-third\\.jsonl:3: error: the line is longer than 100 bytes \\(--max-line raises the limit\\); reading stops here\n$"
  ${PROGRAM} --max-line=100 ${WORK_DIR}/long-third.jsonl)
file(WRITE ${WORK_DIR}/long-first.jsonl "${long_line}\n${good}\n")
run(2 "^$" ":1: error: the line is longer than 100 bytes"
  ${PROGRAM} --max-line=100 ${WORK_DIR}/long-first.jsonl)
run(0 "^1\t\tviClose" "^$" ${PROGRAM} --max-line=1K ${WORK_DIR}/long-first.jsonl)

# An endless line: /dev/zero is read only as far as the limit.
run(2 "^$" "^/dev/zero:1: error: the line is longer than 1048576 bytes" ${PROGRAM} --max-line=1M /dev/zero)
# Under a memory limit smaller than twice the default longest line, the
# line either reaches the limit or cannot be held: a diagnostic, no abort.
if(NOT SANITIZED)
  run(2 "^$" "^/dev/zero:1: error: (the line is longer than|out of memory)"
    sh -c "ulimit -v 1500000 && exec '${PROGRAM}' /dev/zero")
endif()

# A byte-order mark before the first call is skipped (some editors write
# one); anywhere else it is no JSON.
string(ASCII 239 187 191 bom)
file(WRITE ${WORK_DIR}/bom.jsonl "${bom}${good}\n${bom}${good}\n")
run(1 "^1\t\tviClose \\(0x00001001\\)\n$" "^[^\n]*bom\\.jsonl:2: error: invalid JSON" ${PROGRAM} ${WORK_DIR}/bom.jsonl)

# Output that cannot be written stops the replay at the first failed write,
# reported once (exit 2): the bad line at the end of this capture, which
# renders to megabytes, is never reached.
file(READ ${GOLDEN_DIR}/session-basics.jsonl session)
string(REPEAT "${session}" 2000 many)
file(WRITE ${WORK_DIR}/many.jsonl "${many}not a call\n")
foreach(mode --xml --list --export --pages)
  execute_process(COMMAND ${PROGRAM} ${mode} ${WORK_DIR}/many.jsonl
    OUTPUT_FILE /dev/full ERROR_VARIABLE err RESULT_VARIABLE actual)
  if(NOT actual STREQUAL 2 OR NOT err STREQUAL "vesk-replay: error: cannot write the output: No space left on device\n")
    message(SEND_ERROR "${mode} into /dev/full: exit status ${actual}, errors:\n${err}")
  endif()
endforeach()
# A reader that goes away while SIGPIPE is ignored: the same, "Broken pipe".
run(2 "^<\\?xml version=\"1.0\" encoding=\"UTF-8\"\\?>\n$"
  "^vesk-replay: error: cannot write the output: Broken pipe\n$"
  bash -c "trap '' PIPE\n'${PROGRAM}' --xml '${WORK_DIR}/many.jsonl' | head -1\nexit \${PIPESTATUS[0]}")

# The largest call the reader accepts, as far as parameters and names go:
# 64 input parameters of one 255-byte name and 63 output parameters of that
# name with "*" in front, each of another type, so that every output
# parameter pairs with every input parameter on the output page and in the
# XML (4032 rows of 1016-character texts). Every mode renders it.
string(REPEAT "b" 255 name)
string(REPEAT "T" 4096 text)
string(REPEAT "f" 256 function)
set(input "{\"name\":\"${name}\",\"type\":2,\"u64\":140726184316928}")
string(REPEAT "${input}," 63 inputs)
set(output "{\"name\":\"*${name}\",\"type\":45,\"text\":\"${text}\"}")
string(REPEAT "${output}," 63 outputs)
file(WRITE ${WORK_DIR}/largest.jsonl
  "{\"function\":\"${function}\",\"in\":[${inputs}${input}],\"out\":{\"params\":[${outputs}{\"type\":23,\"u32\":0}],\"ret\":63}}\n")
foreach(mode --list --export --xml --pages --stats)
  run(0 "." "^$" ${PROGRAM} ${mode} ${WORK_DIR}/largest.jsonl)
endforeach()
