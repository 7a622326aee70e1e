# The real game in a real X window, driven by xdotool.
if(TARGET xprobe)
  add_test(NAME e2e.window
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/window_test.sh ${KLV_GAME_DIR} ${KLV_BIN_DIR})
  set_tests_properties(e2e.window PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../lsan.supp")
  # Installed, with no usable home: nothing is written into the data folder.
  add_test(NAME e2e.home
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/home_test.sh ${KLV_GAME_DIR} ${KLV_BIN_DIR}
            ${KLV_DATA_FROM_BIN})
  set_tests_properties(e2e.home PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE)
endif()

# The real game as a native Wayland client, in a nested Weston.
add_test(NAME e2e.wayland
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/wayland_test.sh ${KLV_GAME_DIR} ${CMAKE_SOURCE_DIR})
set_tests_properties(e2e.wayland PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)

# No display: a clear end. The link files: only the game's own, never a program.
add_test(NAME e2e.links
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/links_test.sh ${KLV_GAME_DIR})
set_tests_properties(e2e.links PROPERTIES TIMEOUT 120 RUN_SERIAL TRUE)

# A game played in a window and watched from the high-score screen.
if(TARGET xprobe)
  add_test(NAME e2e.watch
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/watch_test.sh ${KLV_GAME_DIR} ${KLV_BIN_DIR})
  set_tests_properties(e2e.watch PROPERTIES TIMEOUT 300 RUN_SERIAL TRUE
    ENVIRONMENT "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/../lsan.supp")
endif()
