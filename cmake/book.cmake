# The shipped opening book: book/lines.txt is turned into Pelmot.book beside
# the engine, which reads it from its working directory.
set(PELMOT_BOOK_SOURCE ${CMAKE_SOURCE_DIR}/book/lines.txt)
set(PELMOT_BOOK_FILE ${CMAKE_BINARY_DIR}/Pelmot.book)
# The builder runs in a folder of its own, so that nothing it may write
# lands in the engine's folder.
set(PELMOT_BOOK_WORK_DIR ${CMAKE_BINARY_DIR}/bookbuild)
file(MAKE_DIRECTORY ${PELMOT_BOOK_WORK_DIR})

add_custom_command(
  OUTPUT ${PELMOT_BOOK_FILE}
  COMMAND pelmot-bookbuild ${PELMOT_BOOK_SOURCE} ${PELMOT_BOOK_FILE}
  DEPENDS pelmot-bookbuild ${PELMOT_BOOK_SOURCE}
  WORKING_DIRECTORY ${PELMOT_BOOK_WORK_DIR}
  COMMENT "Building the opening book Pelmot.book"
  VERBATIM)
add_custom_target(pelmot_book ALL DEPENDS ${PELMOT_BOOK_FILE})
# Whoever builds the engine gets its book too.
add_dependencies(pelmot pelmot_book)
