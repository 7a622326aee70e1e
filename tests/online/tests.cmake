# The world-table service's tests run it in-process on a free loopback port.
target_link_libraries(klevaria-tests PRIVATE klevaria_scores_lib)

# End to end through the headless game and a real service process.
find_program(KLV_PYTHON3 python3)
if(KLV_PYTHON3)
  add_test(NAME online.world_table_e2e
    COMMAND ${KLV_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/world_table_e2e.py
            --scores $<TARGET_FILE:klevaria-scores> --runner $<TARGET_FILE:klevaria-script>
            --game-dir ${KLV_GAME_DIR} --script ${CMAKE_CURRENT_LIST_DIR}/world_table_e2e.kls
            --work ${CMAKE_CURRENT_BINARY_DIR}/online-e2e)
  add_test(NAME online.world_table_unreachable
    COMMAND ${KLV_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/world_table_e2e.py --silent
            --scores $<TARGET_FILE:klevaria-scores> --runner $<TARGET_FILE:klevaria-script>
            --game-dir ${KLV_GAME_DIR} --script ${CMAKE_CURRENT_LIST_DIR}/world_table_unreachable.kls
            --work ${CMAKE_CURRENT_BINARY_DIR}/online-unreachable)
  set_tests_properties(online.world_table_e2e online.world_table_unreachable
    PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()
