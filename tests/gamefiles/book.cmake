# The book tests read the shipped book, so it must be built first.
target_compile_definitions(pelmot_tests PRIVATE PELMOT_SHIPPED_BOOK="${PELMOT_BOOK_FILE}")
add_dependencies(pelmot_tests pelmot_book)

# The builder refuses a source with an illegal move and writes no book.
add_test(NAME bookbuild_rejects_illegal_move
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gamefiles/bookbuild_rejects.sh
    $<TARGET_FILE:pelmot-bookbuild> ${CMAKE_CURRENT_SOURCE_DIR}/data/book/illegal_lines.txt)
set_tests_properties(bookbuild_rejects_illegal_move PROPERTIES LABELS "book")

# The engine answers "new" without the book error and "go" with a book move.
add_test(NAME shipped_book_plays
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gamefiles/shipped_book.sh $<TARGET_FILE:pelmot> ${PELMOT_BOOK_FILE})
set_tests_properties(shipped_book_plays PROPERTIES LABELS "book;protocol" TIMEOUT 60)
