# The game as the desktop sees it: the desktop entry and the AppStream
# metadata checked by the desktop's own validators, the metadata against the
# icons, screenshots and versions the build made, and the manual page against
# the program's --help.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME desktop.validate
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/validate.sh ${KLV_DESKTOP_FILE} ${KLV_METAINFO_FILE})
set(klv_shots_arg)
if(TARGET screenshots)
  set(klv_shots_arg --screenshots ${KLV_SCREENSHOT_DIR})
endif()
add_test(NAME desktop.metadata
  COMMAND Python3::Interpreter ${CMAKE_CURRENT_LIST_DIR}/metadata_test.py
          --metainfo ${KLV_METAINFO_FILE} --desktop ${KLV_DESKTOP_FILE}
          --icons ${KLV_ICON_DIR} --sizes "${KLV_ICON_SIZES}" --version ${PROJECT_VERSION}
          --changelog ${CMAKE_SOURCE_DIR}/debian/changelog ${klv_shots_arg})
add_test(NAME desktop.manpage
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/manpage_test.sh $<TARGET_FILE:klevaria> ${KLV_MANPAGE_FILE}
          ${PROJECT_VERSION})
if(TARGET screenshots)
  add_dependencies(klevaria-tests screenshots)
endif()
add_dependencies(klevaria-tests desktop-icons)
