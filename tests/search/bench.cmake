# The bench signature: node counts are the same in every build type, but the
# run is only quick enough in an optimised one.
if(CMAKE_BUILD_TYPE STREQUAL "Release")
  add_test(NAME bench.signature
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/search/bench_signature.sh
      $<TARGET_FILE:pelmot> ${CMAKE_SOURCE_DIR}/tools/data/bench_nodes.txt)
  set_tests_properties(bench.signature PROPERTIES LABELS bench TIMEOUT 120)
endif()
