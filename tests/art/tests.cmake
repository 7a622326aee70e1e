# The inventory test reads the shipped picture collections: build them first,
# or skip it when the game data is deliberately not built.
if(TARGET game-data-art)
  add_dependencies(klevaria-tests game-data-art)
else()
  target_compile_definitions(klevaria-tests PRIVATE KLV_NO_GAME_DATA=1)
endif()

# The art build stops, naming the font, when fontconfig cannot find one the
# pictures are drawn with (under fontconfig setups of the test's own).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME art.fonts
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/fonts_test.sh ${Python3_EXECUTABLE}
            ${CMAKE_SOURCE_DIR}/tools/art/make_art.py)
  set_tests_properties(art.fonts PROPERTIES TIMEOUT 120 LABELS unit)
endif()
