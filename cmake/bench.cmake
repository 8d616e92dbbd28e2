# The bench tool reads its tactical positions from the source tree by default.
target_compile_definitions(pelmot-bench PRIVATE PELMOT_TACTICS_FILE="${CMAKE_SOURCE_DIR}/tools/data/tactics.epd")
