# Shallow perft counts of the published suite; the deep counts are a benchmark
# (pelmot-perft --bench, or the tool by hand).
set(PELMOT_PERFT_CASES
  "start|rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -|4|197281"
  "kiwipete|r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq -|3|97862"
  "position3|8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - -|4|43238"
  "position4|r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1|3|9467"
  "position4mirrored|r2q1rk1/pP1p2pp/Q4n2/bbp1p3/Np6/1B3NBn/pPPP1PPP/R3K2R b KQ - 0 1|3|9467"
  "position5|rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8|3|62379"
  "position6|r4rk1/1pp1qppp/p1np1n2/2b1p1B1/2B1P1b1/P1NP1N2/1PP1QPPP/R4RK1 w - - 0 10|3|89890"
)
foreach(perft_case ${PELMOT_PERFT_CASES})
  string(REPLACE "|" ";" perft_fields "${perft_case}")
  list(GET perft_fields 0 perft_name)
  list(GET perft_fields 1 perft_fen)
  list(GET perft_fields 2 perft_depth)
  list(GET perft_fields 3 perft_total)
  add_test(NAME perft.${perft_name} COMMAND $<TARGET_FILE:pelmot-perft> "${perft_fen}" ${perft_depth})
  set_tests_properties(perft.${perft_name} PROPERTIES
    LABELS unit
    PASS_REGULAR_EXPRESSION "total ${perft_total}\n"
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/scratch)
endforeach()
