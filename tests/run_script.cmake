# Runs one end-to-end script against a private copy of the game folder, so that
# scripts never share a Config.cfg.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(sub Data Sound)
  if(EXISTS ${GAME_DIR}/${sub})
    file(CREATE_LINK ${GAME_DIR}/${sub} ${WORK}/${sub} SYMBOLIC)
  endif()
endforeach()
execute_process(COMMAND ${SCRIPT_RUNNER} --appdir ${WORK} ${SCRIPT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "script ${SCRIPT} failed with ${rc}")
endif()
