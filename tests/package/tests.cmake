# The packages `make deb` made (`make test` makes them first): lintian finds
# nothing to say, the programs are hardened, and the game unpacked from its
# package into a scratch folder finds its data and plays under Xvfb. Without
# packages in KLV_PACKAGE_DIR the tests are skipped.
set(KLV_PACKAGE_DIR "${CMAKE_SOURCE_DIR}/build/packages" CACHE PATH
    "Where `make deb` leaves the packages that the package tests check")
foreach(check lintian hardening unpacked)
  add_test(NAME package.${check}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/package_test.sh ${check} ${KLV_PACKAGE_DIR}
            ${PROJECT_VERSION} ${KLV_APP_ID} ${KLV_BIN_DIR})
  set_tests_properties(package.${check} PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
endforeach()
set_tests_properties(package.unpacked PROPERTIES RUN_SERIAL TRUE)
if(TARGET xprobe)
  add_dependencies(klevaria-tests xprobe)
endif()
# The source package: built with dpkg-source -b from what git keeps, lintian
# on its .dsc finds no error and no warning. Needs no packages made first.
add_test(NAME package.source
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/source_test.sh ${CMAKE_SOURCE_DIR})
set_tests_properties(package.source PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 300)
