# The sound tests play the built tunes.
if(TARGET game-data-music)
  add_dependencies(klevaria-tests game-data-music)
endif()

# The composer's own checks (score errors, the XM it writes, its instruments).
find_package(Python3 COMPONENTS Interpreter)
if(Python3_FOUND)
  add_test(NAME compose.checks
    COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/tools/compose/compose_test.py)
endif()
