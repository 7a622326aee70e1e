# The world-table service's tests run it in-process on a free loopback port,
# or as a real process (KLV_BIN_DIR/klevaria-scores) for the attacks.
target_link_libraries(klevaria-tests PRIVATE klevaria_scores_lib klevaria_scores_siege)
add_dependencies(klevaria-tests klevaria-scores)

# The same service tests on PostgreSQL, one test program with one throw-away
# server for all of them.
add_executable(klevaria-scores-pg-tests
  ${CMAKE_CURRENT_LIST_DIR}/score_service_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/score_load_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/score_outage_pg_tests.cpp
  ${CMAKE_CURRENT_LIST_DIR}/score_proof_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pg_test_server.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pg_tests_main.cpp)
target_compile_definitions(klevaria-scores-pg-tests PRIVATE KLV_SCORES_ON_POSTGRES
  KLV_BIN_DIR="${KLV_BIN_DIR}" KLV_GAME_DIR="${KLV_GAME_DIR}")
target_link_libraries(klevaria-scores-pg-tests PRIVATE klevaria_scores_lib klevaria_scores_siege
  PkgConfig::PQ GTest::gtest)
set_target_properties(klevaria-scores-pg-tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KLV_BIN_DIR})
add_dependencies(klevaria-scores-pg-tests klevaria-scores)
if(TARGET game-data-art)
  add_dependencies(klevaria-scores-pg-tests game-data-art game-data-music)
endif()
add_test(NAME online.scores_postgresql COMMAND klevaria-scores-pg-tests)
set_tests_properties(online.scores_postgresql PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)

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
  # A game played honestly, proven by the replay the game uploads.
  add_test(NAME online.world_table_proof
    COMMAND ${KLV_PYTHON3} ${CMAKE_CURRENT_LIST_DIR}/world_table_e2e.py --verified Щукарь
            --scores $<TARGET_FILE:klevaria-scores> --runner $<TARGET_FILE:klevaria-script>
            --game-dir ${KLV_GAME_DIR} --script ${CMAKE_CURRENT_LIST_DIR}/world_table_proof.kls
            --work ${CMAKE_CURRENT_BINARY_DIR}/online-proof)
  set_tests_properties(online.world_table_e2e online.world_table_unreachable
    online.world_table_proof PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 180)
endif()
