# Installs into a scratch prefix and runs the engine through xboard's
# engine-list entry with a scratch home.
add_test(NAME install.layout_and_launcher
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/install_test.sh ${CMAKE_BINARY_DIR} ${CMAKE_CURRENT_BINARY_DIR}/scratch/install)
set_tests_properties(install.layout_and_launcher PROPERTIES LABELS "install" TIMEOUT 120)
