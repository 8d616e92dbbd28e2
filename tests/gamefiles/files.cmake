# Write failures under a file-size limit and missing file names, through the
# engine's own commands and through pelmot-games, whose lines and files must
# be the typed commands', and its exit statuses.
add_test(NAME gamefiles_write_failures
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/files.sh $<TARGET_FILE:pelmot> $<TARGET_FILE:pelmot-games>
          $<TARGET_FILE:pelmot-randomgames> ${CMAKE_CURRENT_SOURCE_DIR}/data/pgn ${CMAKE_CURRENT_BINARY_DIR}/scratch/files)
set_tests_properties(gamefiles_write_failures PROPERTIES LABELS "unit;gamefiles" TIMEOUT 120)
# pelmot-games on compressed archives, standard streams, refused inputs,
# lists, merge and jobs.
add_test(NAME gamefiles_tool
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/tool.sh $<TARGET_FILE:pelmot-games> $<TARGET_FILE:pelmot-randomgames>
          ${CMAKE_CURRENT_SOURCE_DIR}/data ${CMAKE_CURRENT_BINARY_DIR}/scratch/tool)
set_tests_properties(gamefiles_tool PROPERTIES LABELS "unit;gamefiles" TIMEOUT 120)
