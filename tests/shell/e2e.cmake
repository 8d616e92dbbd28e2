# Games against another engine under a real xboard, at a classical and an
# increment control; skipped when xboard, xvfb or the opponents are not
# installed (scripts/test.sh installs them).
add_test(NAME e2e.xboard_games
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xboard_match.sh $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE}
          ${CMAKE_CURRENT_BINARY_DIR}/scratch/e2e)
set_tests_properties(e2e.xboard_games PROPERTIES LABELS "e2e" SKIP_RETURN_CODE 77 TIMEOUT 1200)
# Whose fault ends a game: the rule that decides the games above.
add_test(NAME e2e.faults COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/faults_test.sh)
set_tests_properties(e2e.faults PROPERTIES LABELS "e2e" TIMEOUT 60)
# Two games with Pelmot in UCI mode through polyglot, skipped when polyglot
# is missing too.
add_test(NAME e2e.uci_through_polyglot
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xboard_match.sh $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE}
          ${CMAKE_CURRENT_BINARY_DIR}/scratch/e2e-uci uci)
set_tests_properties(e2e.uci_through_polyglot PROPERTIES LABELS "e2e" SKIP_RETURN_CODE 77 TIMEOUT 600)
