# A game recorded by the optimised build plays back on the sanitizer build to
# the same score, level, frames and pictures, and the other way round.
file(REMOVE_RECURSE ${WORK})
string(CONCAT game "seed 21\nwait 300\nkey Return\nwait 2500\nautopilot on\nwait 15000\nmove 400 300\n"
         "autopilot pad\nwait 8000\nkey p\nwait 500\nkey p\nwait 9000\nautopilot off\n"
         "wait 2500\nkey Escape\nexpect state ExitGame?\nkey Y\nwait 100\n")
foreach(build RELEASE SANITIZER)
  set(dir ${WORK}/${build})
  file(MAKE_DIRECTORY ${dir})
  foreach(sub Data Sound)
    file(CREATE_LINK ${GAME_DIR}/${sub} ${dir}/${sub} SYMBOLIC)
  endforeach()
  file(WRITE ${dir}/game.kls "${game}")
  execute_process(COMMAND ${${build}_SCRIPT} --appdir ${dir} ${dir}/game.kls
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0 OR NOT EXISTS ${dir}/replays/last.klr)
    message(FATAL_ERROR "the ${build} build recorded no game (status ${rc}):\n${out}${err}")
  endif()
endforeach()

foreach(recorded RELEASE SANITIZER)
  set(file ${WORK}/${recorded}/replays/last.klr)
  foreach(player RELEASE SANITIZER)
    execute_process(COMMAND ${${player}_HASH} ${GAME_DIR} ${file}
      RESULT_VARIABLE rc OUTPUT_VARIABLE out_${player} ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
      message(FATAL_ERROR "the ${player} build does not play the ${recorded} build's game "
                          "as recorded (status ${rc}):\n${out_${player}}${err}")
    endif()
  endforeach()
  if(NOT out_RELEASE STREQUAL out_SANITIZER)
    message(FATAL_ERROR "the ${recorded} build's game plays otherwise on the two builds:\n"
                        "release:   ${out_RELEASE}sanitizer: ${out_SANITIZER}")
  endif()
  if(out_RELEASE MATCHES "^score 0 ")
    message(FATAL_ERROR "the ${recorded} build's game caught nothing: a weak test")
  endif()
  message(STATUS "${recorded} build's game on both builds: ${out_RELEASE}")
endforeach()
