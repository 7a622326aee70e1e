# The sound tests play the built tunes.
if(TARGET game-data-music)
  add_dependencies(klevaria-tests game-data-music)
endif()
