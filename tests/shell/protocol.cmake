# Protocol sessions with the engine, one test per case. They run the engine
# thread against the command loop, so the sanitizer builds run them too.
set(PELMOT_PROTOCOL_CASES
  handshake robustness log_order book ponder_hit ponder_miss ponder_stopped easy
  quit_pondering results illegal_moves time_control clock_alone clock_limit undo remove
  no_new no_clock colour_takeback book_alarm)
foreach(case ${PELMOT_PROTOCOL_CASES})
  add_test(NAME protocol.${case}
    COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/shell/protocol_test.py
      $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE} ${case})
  set_tests_properties(protocol.${case} PROPERTIES LABELS "protocol;threads" TIMEOUT 600)
endforeach()
