# The installed tree works on its own, and the Debian package holds it.
#   BINARY_DIR (the build), WORK_DIR (scratch), SOURCE_DIR, LIBDIR (the
#   library folder as installed, relative to the prefix).
set(root ${WORK_DIR}/root)
file(REMOVE_RECURSE ${WORK_DIR})

# Install into a scratch prefix.
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${root}
  OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${err}")
endif()
foreach(file
    bin/vesk-replay
    ${LIBDIR}/libKoVeskClasses.so
    ${LIBDIR}/kovesk/libKoVeskVV.so
    include/kovesk/host/IKoVeskCall.h
    include/kovesk/host/CKOCall.h
    include/kovesk/entry/VeskEntryPoints.h
    include/kovesk/ko/zel/StringBase.h)
  if(NOT EXISTS ${root}/${file})
    message(SEND_ERROR "not installed: ${file}")
  endif()
endforeach()

# The installed program finds the installed plug-in and host library by
# itself, and renders as the build does.
set(ENV{TZ} UTC)
set(ENV{LC_ALL} C.UTF-8)
execute_process(COMMAND ${root}/bin/vesk-replay ${SOURCE_DIR}/examples/session.jsonl
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(READ ${SOURCE_DIR}/tests/replay/golden/example-session.list.out expected)
if(NOT status EQUAL 0 OR NOT out STREQUAL expected)
  message(SEND_ERROR "the installed vesk-replay (exit status ${status}) does not render the example:\n${err}")
endif()

# The installed headers are enough for a host: a file that uses the call
# interface, a logger and the entry points compiles against them alone.
file(WRITE ${WORK_DIR}/host.cpp [=[
#include "entry/VeskEntryPoints.h"
#include "host/CKOCall.h"
#include "host/CKOVeskMemoryLogger.h"
#include "host/CVeskUtility.h"
int main() {
    CKOVeskMemoryLogger logger;
    logger.SetFunction("viClose", 6, eKoVeskApiVisa);
    return VeskNewCall == nullptr;
}
]=])
execute_process(COMMAND c++ -std=c++17 -fsyntax-only -I${root}/include/kovesk ${WORK_DIR}/host.cpp
  ERROR_VARIABLE err RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(SEND_ERROR "a host does not compile against the installed headers:\n${err}")
endif()

# The Debian package: the same files, and the libraries it depends on.
find_program(DPKG_DEB dpkg-deb)
if(NOT DPKG_DEB)
  message(STATUS "dpkg-deb not found: the Debian package is not checked")
  return()
endif()
execute_process(COMMAND cpack -G DEB -B ${WORK_DIR}/deb --config ${BINARY_DIR}/CPackConfig.cmake
  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE status)
file(GLOB packages ${WORK_DIR}/deb/*.deb)
if(NOT status EQUAL 0 OR NOT packages)
  message(FATAL_ERROR "cpack -G DEB failed:\n${out}\n${err}")
endif()
list(GET packages 0 package)
execute_process(COMMAND ${DPKG_DEB} --contents ${package} OUTPUT_VARIABLE contents)
execute_process(COMMAND ${DPKG_DEB} --field ${package} Package Depends OUTPUT_VARIABLE fields)
foreach(file bin/vesk-replay ${LIBDIR}/kovesk/libKoVeskVV.so include/kovesk/host/IKoVeskCall.h)
  if(NOT contents MATCHES "/${file}\n")
    message(SEND_ERROR "the package lacks ${file}:\n${contents}")
  endif()
endforeach()
if(NOT fields MATCHES "Package: kovesk\nDepends: .*libsimdjson")
  message(SEND_ERROR "the package's fields:\n${fields}")
endif()
