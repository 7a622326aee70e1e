# The inventory test reads the shipped picture collections: build them first,
# or skip it when the game data is deliberately not built.
if(TARGET game-data-art)
  add_dependencies(klevaria-tests game-data-art)
else()
  target_compile_definitions(klevaria-tests PRIVATE KLV_NO_GAME_DATA=1)
endif()
