# Plays the screenshot script with the headless runner in a private copy of the
# game folder (the game writes its settings there), then checks that every
# screenshot the metadata names was made.
#   cmake -DSCRIPT_RUNNER=... -DGAME_DIR=... -DSCRIPT=... -DOUT=... -DNAMES=a;b -P make_screenshots.cmake
set(work ${OUT}/game)
file(REMOVE_RECURSE ${OUT})
file(MAKE_DIRECTORY ${work})
foreach(sub Data Sound)
  file(CREATE_LINK ${GAME_DIR}/${sub} ${work}/${sub} SYMBOLIC)
endforeach()
execute_process(COMMAND ${SCRIPT_RUNNER} --appdir ${work} ${SCRIPT}
                WORKING_DIRECTORY ${OUT} RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${work})
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the screenshot script failed with ${rc}")
endif()
foreach(name ${NAMES})
  if(NOT EXISTS ${OUT}/${name}.png)
    message(FATAL_ERROR "the screenshot script made no ${name}.png")
  endif()
endforeach()
