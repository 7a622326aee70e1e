# The game's behaviour, recorded: a long soak game with random input and a
# tour of every screen, replayed and compared line by line (states, scores,
# clocks, and hashes of the frames, the generator and the sounds) with the
# expected lines kept beside them.
foreach(name soak screens)
  add_test(NAME replay.${name}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/compare.sh --runner $<TARGET_FILE:klevaria-script>
            --game ${KLV_GAME_DIR} --work ${CMAKE_CURRENT_BINARY_DIR}/replay ${name})
endforeach()
