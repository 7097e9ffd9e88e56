# The layers the build enforces: through its view of the tree, each layer
# can include what lies below it and nothing above or beside it.
#   COMPILER, LAYERS_DIR (the build's layers/ folder), WORK_DIR.
file(MAKE_DIRECTORY ${WORK_DIR})

# check(VIEW HEADER YES|NO): whether a file of that layer may include HEADER.
function(check view header allowed)
  string(MAKE_C_IDENTIFIER "${view}_${header}" name)
  file(WRITE ${WORK_DIR}/${name}.cpp "#include \"${header}\"\n")
  execute_process(COMMAND ${COMPILER} -std=c++17 -fsyntax-only -I${LAYERS_DIR}/${view}
      ${WORK_DIR}/${name}.cpp
    OUTPUT_QUIET ERROR_VARIABLE err RESULT_VARIABLE status)
  if(allowed AND NOT status EQUAL 0)
    message(SEND_ERROR "${view} cannot include ${header}:\n${err}")
  elseif(NOT allowed AND status EQUAL 0)
    message(SEND_ERROR "${view} can include ${header}, which lies outside its layer")
  endif()
endfunction()

# The support library sees nothing but itself.
check(kozel ko/zel/StringBase.h YES)
check(kozel host/IKoVeskCall.h NO)
# The host library never sees a plug-in header.
check(KoVeskClasses host/CKOCall.h YES)
check(KoVeskClasses format/FormatTypes.h NO)
check(KoVeskClasses entry/VeskEntryPoints.h NO)
# The formatter knows no record; the record knows no entry point.
check(plugin_format format/CVisaFormat.h YES)
check(plugin_format call/CVISACall.h NO)
check(plugin_call call/CVISACall.h YES)
check(plugin_call entry/VeskEntryPoints.h NO)
check(plugin_entry entry/VeskEntryPoints.h YES)
# The host program sees the plug-in only through its entry points.
check(replay_render entry/VeskEntryPoints.h YES)
check(replay_render host/HostSideServices.h YES)
check(replay_render call/CVISACall.h NO)
check(replay_render format/FormatTypes.h NO)
