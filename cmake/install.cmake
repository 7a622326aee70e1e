# Installs the game in the usual layout: the program in bin/, its data in
# share/klevaria/, the desktop entry, the icon and the AppStream metadata.
include(GNUInstallDirs)
install(TARGETS klevaria RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${KLV_GAME_DIR}/Data ${KLV_GAME_DIR}/Sound
        DESTINATION ${CMAKE_INSTALL_DATADIR}/klevaria OPTIONAL)
install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/klevaria.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/assets/desktop/klevaria.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_BINARY_DIR}/klevaria.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps OPTIONAL)
