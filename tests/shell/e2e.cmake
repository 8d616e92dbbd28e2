# Games against Fairy-Max under a real xboard, at a classical and an
# increment control; skipped when xboard, xvfb or Fairy-Max are not
# installed (scripts/test.sh installs them).
add_test(NAME e2e.xboard_vs_fairymax
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xboard_match.sh $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE}
          ${CMAKE_CURRENT_BINARY_DIR}/scratch/e2e)
set_tests_properties(e2e.xboard_vs_fairymax PROPERTIES LABELS "e2e" SKIP_RETURN_CODE 77 TIMEOUT 1200)
# Two games with Pelmot in UCI mode through polyglot, skipped when polyglot
# is missing too.
add_test(NAME e2e.uci_through_polyglot
  COMMAND bash ${CMAKE_CURRENT_LIST_DIR}/xboard_match.sh $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE}
          ${CMAKE_CURRENT_BINARY_DIR}/scratch/e2e-uci uci)
set_tests_properties(e2e.uci_through_polyglot PROPERTIES LABELS "e2e" SKIP_RETURN_CODE 77 TIMEOUT 600)
