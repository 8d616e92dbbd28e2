# PGN -> GAME -> PGN -> GAME and GAME -> positions through the engine's own
# commands, compared with pgn-extract's reading of the same collection, and
# the same games in nine notations.
add_test(NAME gamefiles_roundtrip
  COMMAND ${CMAKE_CURRENT_LIST_DIR}/roundtrip.sh $<TARGET_FILE:pelmot> $<TARGET_FILE:pelmot-randomgames>
          ${CMAKE_CURRENT_SOURCE_DIR}/data/pgn
          ${CMAKE_CURRENT_BINARY_DIR}/scratch/roundtrip)
set_tests_properties(gamefiles_roundtrip PROPERTIES LABELS "unit;gamefiles" SKIP_RETURN_CODE 77 TIMEOUT 300)
