# The book tests read the shipped book, so it must be built first.
target_compile_definitions(pelmot_tests PRIVATE PELMOT_SHIPPED_BOOK="${PELMOT_BOOK_FILE}")
add_dependencies(pelmot_tests pelmot_book)

# The builder refuses a source with an illegal move and writes no book.
add_test(NAME bookbuild_rejects_illegal_move
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gamefiles/bookbuild_rejects.sh
    $<TARGET_FILE:pelmot-bookbuild> ${CMAKE_CURRENT_SOURCE_DIR}/data/book/illegal_lines.txt)
set_tests_properties(bookbuild_rejects_illegal_move PROPERTIES LABELS "book")

