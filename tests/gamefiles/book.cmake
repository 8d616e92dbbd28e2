# The book tests read the shipped book, so it must be built first.
target_compile_definitions(pelmot_tests PRIVATE PELMOT_SHIPPED_BOOK="${PELMOT_BOOK_FILE}")
add_dependencies(pelmot_tests pelmot_book)

# The builder refuses an illegal move and never destroys a book.
add_test(NAME bookbuild_never_destroys_a_book
  COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/gamefiles/bookbuild.sh
    $<TARGET_FILE:pelmot-bookbuild> ${CMAKE_CURRENT_SOURCE_DIR}/data/book/illegal_lines.txt ${PELMOT_BOOK_SOURCE})
set_tests_properties(bookbuild_never_destroys_a_book PROPERTIES LABELS "book")
