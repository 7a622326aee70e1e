# Installs the game in the layout GNUInstallDirs gives: the program in
# ${CMAKE_INSTALL_BINDIR} (or KLV_GAME_BINDIR), its data in
# ${CMAKE_INSTALL_DATADIR}/klevaria, and
# the desktop entry, the AppStream metadata, the icons and the manual page
# where the desktop looks for them (under ${CMAKE_INSTALL_DATAROOTDIR}, which
# stays "share" when the data goes to "share/games"). All of it is the "game"
# component; the world-table service installs itself as "scores".
install(TARGETS klevaria RUNTIME DESTINATION ${KLV_GAME_INSTALL_DIR} COMPONENT game)
install(DIRECTORY ${KLV_GAME_DIR}/Data ${KLV_GAME_DIR}/Sound
        DESTINATION ${KLV_DATA_INSTALL_DIR} COMPONENT game OPTIONAL)
install(FILES ${KLV_DESKTOP_FILE} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications
        COMPONENT game)
install(FILES ${KLV_METAINFO_FILE} DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo
        COMPONENT game)
install(FILES ${KLV_ICON_DIR}/${KLV_APP_ID}.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps COMPONENT game)
foreach(size ${KLV_ICON_SIZES})
  install(FILES ${KLV_ICON_DIR}/${size}/${KLV_APP_ID}.png
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT game)
endforeach()
install(FILES ${KLV_MANPAGE_FILE} DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT game)
