# A private copy of the game folder in WORK: the pictures and music linked
# from GAME_DIR, and nothing else, so that no two scripts share a Config.cfg.
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
foreach(sub Data Sound)
  if(EXISTS ${GAME_DIR}/${sub})
    file(CREATE_LINK ${GAME_DIR}/${sub} ${WORK}/${sub} SYMBOLIC)
  endif()
endforeach()
