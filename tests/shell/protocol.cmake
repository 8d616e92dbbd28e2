# Protocol sessions with the engine, one test per case: xboard's in
# protocol_test.py, UCI's (one per behaviour group) in uci_sessions.py. They
# run the engine thread against the command loop, so the sanitizer builds
# run them too.
function(pelmot_session_tests prefix script)
  foreach(case ${ARGN})
    add_test(NAME ${prefix}.${case}
      COMMAND python3 ${CMAKE_CURRENT_SOURCE_DIR}/shell/${script} $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE} ${case})
    set_tests_properties(${prefix}.${case} PROPERTIES LABELS "protocol;threads" TIMEOUT 600)
  endforeach()
endfunction()

pelmot_session_tests(protocol protocol_test.py
  handshake robustness log_order book ponder_hit ponder_miss ponder_stopped easy
  quit_pondering results illegal_moves time_control clock_alone clock_limit undo remove
  no_new no_clock colour_takeback book_alarm levels)
pelmot_session_tests(uci uci_sessions.py
  handshake limits ponder clocks positions bad_input quit analysis levels)
