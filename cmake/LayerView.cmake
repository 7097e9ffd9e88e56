# Layers the build enforces.
#
# Every file includes the project's headers by their path from the top of
# the tree ("host/CKOCall.h"). A target is not given the top of the tree
# as its include directory but a view of it: a directory in the build tree
# holding links to just the folders (or single headers) that its layer may
# use. An include that crosses a layer the wrong way then fails to compile.
#
#   kovesk_layer_view(TARGET FOLDERS folder... [HEADERS folder/file.h...])
function(kovesk_layer_view target)
  cmake_parse_arguments(VIEW "" "" "FOLDERS;HEADERS" ${ARGN})
  set(view ${CMAKE_BINARY_DIR}/layers/${target})
  file(REMOVE_RECURSE ${view})
  foreach(path IN LISTS VIEW_FOLDERS VIEW_HEADERS)
    if(NOT EXISTS ${CMAKE_SOURCE_DIR}/${path})
      message(FATAL_ERROR "kovesk_layer_view(${target}): no ${path} in the source tree")
    endif()
    get_filename_component(parent ${view}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${path} ${view}/${path} SYMBOLIC)
  endforeach()
  target_include_directories(${target} PRIVATE ${view})
  # __FILE__ names a header by its path in the source tree, not in the view.
  target_compile_options(${target} PRIVATE "-fmacro-prefix-map=${view}/=")
endfunction()
