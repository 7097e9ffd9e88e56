# Tests written in Python, run by pytest under CTest with Debian's python3
# (another python3 earlier on PATH cannot see Debian's packages). A test
# whose modules are missing is reported as skipped, saying what to install.

set(KOVESK_PYTHON /usr/bin/python3 CACHE FILEPATH
  "Python that runs the Python tests and installs the PyVISA recorder (Debian's)")

# kovesk_pytest_skip_reason(VARIABLE [STATEMENT WHAT PACKAGES]...): VARIABLE
# says why the tests cannot run: the interpreter is missing, or the first
# STATEMENT (Python, such as "import pytest") fails, naming WHAT is missing
# and its Debian PACKAGES. Empty when everything is there.
function(kovesk_pytest_skip_reason variable)
  set(reason "")
  if(NOT EXISTS ${KOVESK_PYTHON})
    set(reason "${KOVESK_PYTHON} is not installed")
  endif()
  set(checks ${ARGN})
  while(checks AND NOT reason)
    list(POP_FRONT checks statement what packages)
    execute_process(COMMAND ${KOVESK_PYTHON} -c "${statement}"
      RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
    if(failed)
      set(reason "${what} is not installed (apt-get install ${packages})")
    endif()
  endwhile()
  set(${variable} "${reason}" PARENT_SCOPE)
endfunction()

# kovesk_add_pytest(NAME FILE DIRECTORY SKIP_REASON [VARIABLE=VALUE...]): the
# pytest file FILE as the test NAME, run from DIRECTORY with the environment
# given, or reported as skipped when SKIP_REASON is not empty.
function(kovesk_add_pytest name file directory skip_reason)
  if(skip_reason)
    add_test(NAME ${name} COMMAND ${CMAKE_COMMAND} -E echo "skipped: ${skip_reason}")
    set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "skipped: ")
    return()
  endif()
  add_test(NAME ${name}
    COMMAND ${KOVESK_PYTHON} -m pytest -q -p no:cacheprovider ${file}
    WORKING_DIRECTORY ${directory})
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "PYTHONDONTWRITEBYTECODE=1;${ARGN}")
endfunction()
