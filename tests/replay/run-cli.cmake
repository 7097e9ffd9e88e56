# The command line and the exit status of vesk-replay.
#   PROGRAM, GOLDEN_DIR, PLUGIN (the plug-in's path).
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C.UTF-8)

# expect(STATUS OUT_REGEX ERR_REGEX [INPUT file] ARGS...): runs the program
# with ARGS (standard input from INPUT when given) and checks the status and
# that both outputs match their regular expressions.
function(expect status out_regex err_regex)
  set(arguments ${ARGN})
  set(input_option)
  list(FIND arguments INPUT input_at)
  if(NOT input_at EQUAL -1)
    math(EXPR file_at "${input_at} + 1")
    list(GET arguments ${file_at} input_file)
    list(REMOVE_AT arguments ${file_at} ${input_at})
    set(input_option INPUT_FILE ${input_file})
  endif()
  execute_process(COMMAND ${PROGRAM} ${arguments} ${input_option}
    WORKING_DIRECTORY ${GOLDEN_DIR}
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE actual)
  if(NOT actual STREQUAL status)
    message(SEND_ERROR "vesk-replay ${arguments}: exit status ${actual}, expected ${status}\n${err}")
  endif()
  if(NOT out MATCHES "${out_regex}")
    message(SEND_ERROR "vesk-replay ${arguments}: output\n${out}\ndoes not match ${out_regex}")
  endif()
  if(NOT err MATCHES "${err_regex}")
    message(SEND_ERROR "vesk-replay ${arguments}: errors\n${err}\ndo not match ${err_regex}")
  endif()
endfunction()

# --help and --version print and succeed.
expect(0 "^usage: vesk-replay \\[MODE\\]" "^$" --help)
expect(0 "^vesk-replay [0-9]+\\.[0-9]+\\.[0-9]+\n$" "^$" --version)

# Usage errors: status 2, the reason, then the usage.
expect(2 "^$" "^vesk-replay: error: unknown option --bogus\nusage:" --bogus)
expect(2 "^$" "^vesk-replay: error: more than one mode" --xml --pages)
expect(2 "^$" "^vesk-replay: error: --pages: N must be" --pages=zero)

# Inputs and plug-ins that cannot be opened: status 2.
expect(2 "^$" "^vesk-replay: error: cannot open no-such-capture.jsonl: No such file or directory\n$"
  no-such-capture.jsonl)
expect(2 "^$" "^vesk-replay: error: cannot load the plug-in /nonexistent/libKoVeskVV.so: "
  --plugin /nonexistent/libKoVeskVV.so session-basics.jsonl)
expect(2 "^$" "^vesk-replay: error: cannot read \\.\n$" .)

# The plug-in named explicitly, and standard input as "-" (diagnostics then
# name the file "-").
expect(0 "^1\t" "^$" --plugin ${PLUGIN} session-basics.jsonl)
expect(1 "^1\t0\tviOpenDefaultRM" "^-:3: error: in\\[0\\]\\.u8: 256 is out of range 0\\.\\.255\n$"
  INPUT bad-input-stdin.jsonl -)
expect(1 "^1\t0\tviOpenDefaultRM" "^-:3: error: in\\[0\\]\\.u8: 256 is out of range 0\\.\\.255\n$"
  INPUT bad-input-stdin.jsonl)

# An empty capture renders nothing and succeeds; its XML is an empty capture.
expect(0 "^$" "^$" /dev/null)
expect(0 "<capture/>\n$" "^$" --xml /dev/null)
