# "cmake --install build" (by default into /usr/local): the engine, its
# launcher and the game-file command in games/ (on Debian's PATH), the book,
# the man page, and two entries in xboard's engine list, which xboard reads
# when it starts: one in share/games/plugins/xboard for the xboard protocol,
# one in share/games/plugins/uci, which xboard runs through polyglot. The UCI
# entry names the launcher as pelmot-uci, a link to pelmot-run, so that the
# two entries can be told apart in the list. The entries name the launchers
# by their installed paths, so they are written at install time, when the
# prefix is known.
install(TARGETS pelmot pelmot-games RUNTIME DESTINATION games)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/dist/pelmot-run DESTINATION games)
install(CODE "file(CREATE_LINK pelmot-run \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/pelmot-uci\" SYMBOLIC)")
install(FILES ${PELMOT_BOOK_FILE} DESTINATION share/games/pelmot)
install(FILES ${CMAKE_SOURCE_DIR}/dist/pelmot.6 DESTINATION share/man/man6)
# xboard reads an engine-list entry only after its fixed first line, the
# name and version of its entry format, as in the entries of Debian's engines.
string(CONCAT PELMOT_ENGINE_LIST_HEADER "plugin " "sp" "ec 0.0")
foreach(protocol xboard uci)
  set(launcher pelmot-run)
  if(protocol STREQUAL "uci")
    set(launcher pelmot-uci)
  endif()
  set(entry ${CMAKE_BINARY_DIR}/engine-list/${protocol}/pelmot.eng)
  install(CODE "
    file(WRITE \"${entry}\" \"${PELMOT_ENGINE_LIST_HEADER}\\n\${CMAKE_INSTALL_PREFIX}/games/${launcher}\\nchess\\n\")
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/games/plugins/${protocol}\" TYPE FILE FILES \"${entry}\")
  ")
endforeach()
