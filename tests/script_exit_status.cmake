# klevaria-script's exit status as a caller sees it: 0 when a script's
# expectations hold, 1 when one fails, 2 for a malformed script, an unreadable
# one or no script at all.
include(${CMAKE_CURRENT_LIST_DIR}/private_game_dir.cmake)
file(WRITE ${WORK}/holds.kls "wait 100\nexpect state Menu\n")
file(WRITE ${WORK}/fails.kls "wait 100\nexpect state Game\n")
file(WRITE ${WORK}/malformed.kls "wait 100\nexpect nothing\n")
set(cases
  "0|${WORK}/holds.kls"
  "1|${WORK}/fails.kls"
  "2|${WORK}/malformed.kls"
  "2|${WORK}/missing.kls")
foreach(c ${cases})
  string(REPLACE "|" ";" parts "${c}")
  list(GET parts 0 want)
  list(GET parts 1 script)
  execute_process(COMMAND ${SCRIPT_RUNNER} --appdir ${WORK} ${script}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL want)
    message(FATAL_ERROR "klevaria-script ${script} exited with ${rc}, not ${want}")
  endif()
endforeach()
execute_process(COMMAND ${SCRIPT_RUNNER} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
if(NOT rc EQUAL 2)
  message(FATAL_ERROR "klevaria-script without a script exited with ${rc}, not 2")
endif()
