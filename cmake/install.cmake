# "cmake --install build" (by default into /usr/local): the engine, its
# launcher and the game-file command in games/ (on Debian's PATH), the book,
# the man page, and an entry in xboard's engine list, which xboard reads from
# share/games/plugins/xboard when it starts. The entry names the launcher by
# its installed path, so it is written at install time, when the prefix is
# known.
install(TARGETS pelmot pelmot-games RUNTIME DESTINATION games)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/dist/pelmot-run DESTINATION games)
install(FILES ${PELMOT_BOOK_FILE} DESTINATION share/games/pelmot)
install(FILES ${CMAKE_SOURCE_DIR}/dist/pelmot.6 DESTINATION share/man/man6)
# xboard reads an engine-list entry only after its fixed first line, the
# name and version of its entry format, as in the entries of Debian's engines.
string(CONCAT PELMOT_ENGINE_LIST_HEADER "plugin " "sp" "ec 0.0")
set(PELMOT_ENGINE_LIST_ENTRY ${CMAKE_BINARY_DIR}/pelmot.eng)
install(CODE "
  file(WRITE \"${PELMOT_ENGINE_LIST_ENTRY}\" \"${PELMOT_ENGINE_LIST_HEADER}\\n\${CMAKE_INSTALL_PREFIX}/games/pelmot-run\\nchess\\n\")
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/games/plugins/xboard\" TYPE FILE FILES \"${PELMOT_ENGINE_LIST_ENTRY}\")
")
