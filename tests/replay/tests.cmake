# The game's behaviour, recorded: a long soak game with random input and a
# tour of every screen, replayed and compared line by line (states, scores,
# clocks, and hashes of the frames, the generator and the sounds) with the
# expected lines kept beside them.
foreach(name soak screens)
  add_test(NAME replay.${name}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/compare.sh --runner $<TARGET_FILE:klevaria-script>
            --game ${KLV_GAME_DIR} --work ${CMAKE_CURRENT_BINARY_DIR}/replay ${name})
endforeach()

# Recorded games checked by the game itself from the command line.
add_test(NAME replay.check_command
  COMMAND ${CMAKE_COMMAND} -DSCRIPT_RUNNER=$<TARGET_FILE:klevaria-script> -DGAME=$<TARGET_FILE:klevaria>
          -DGAME_DIR=${KLV_GAME_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/replay-check
          -P ${CMAKE_CURRENT_LIST_DIR}/check_cli.cmake)
set_tests_properties(replay.check_command PROPERTIES TIMEOUT 300)
