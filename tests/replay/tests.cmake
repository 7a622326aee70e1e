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

# The same recorded game on an optimised build and on this one: a game
# recorded by either plays back on the other to the same end and the same
# pictures. The optimised build is a second configuration of this source
# tree (Release, no tests, no game data), made beside this build and
# building only the recorder and the replayer.
include(ExternalProject)
set(KLV_RELEASE_REPLAY_DIR ${CMAKE_BINARY_DIR}/release-replay)
ExternalProject_Add(klevaria-release-replay
  SOURCE_DIR ${CMAKE_SOURCE_DIR}
  BINARY_DIR ${KLV_RELEASE_REPLAY_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release -DKLV_BUILD_TESTS=OFF -DKLV_BUILD_DATA=OFF
             -DKLV_SCREENSHOTS=ON -DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}
             -DCMAKE_C_COMPILER=${CMAKE_C_COMPILER}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target klevaria-script klevaria-replay-hash
  INSTALL_COMMAND ""
  # Its sources are this tree's: the build is asked every time and does
  # what changed.
  BUILD_ALWAYS TRUE)
add_test(NAME replay.across_builds
  COMMAND ${CMAKE_COMMAND}
          -DSANITIZER_SCRIPT=$<TARGET_FILE:klevaria-script>
          -DSANITIZER_HASH=$<TARGET_FILE:klevaria-replay-hash>
          -DRELEASE_SCRIPT=${KLV_RELEASE_REPLAY_DIR}/bin/klevaria-script
          -DRELEASE_HASH=${KLV_RELEASE_REPLAY_DIR}/bin/klevaria-replay-hash
          -DGAME_DIR=${KLV_GAME_DIR} -DWORK=${CMAKE_CURRENT_BINARY_DIR}/replay-across
          -P ${CMAKE_CURRENT_LIST_DIR}/across_builds.cmake)
set_tests_properties(replay.across_builds PROPERTIES TIMEOUT 300)
