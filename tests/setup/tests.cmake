# Setting up and taking down: what scripts/install-deps asks apt for, and
# that an uninstall takes away exactly what the install put down.
add_test(NAME setup.install_deps
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_deps_test.sh ${CMAKE_SOURCE_DIR}/scripts/install-deps)
add_test(NAME setup.install_uninstall
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${CMAKE_SOURCE_DIR}/scripts ${CMAKE_BINARY_DIR})
