# Runs one end-to-end script against a private copy of the game folder.
include(${CMAKE_CURRENT_LIST_DIR}/private_game_dir.cmake)
execute_process(COMMAND ${SCRIPT_RUNNER} --appdir ${WORK} ${SCRIPT} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "script ${SCRIPT} failed with ${rc}")
endif()
