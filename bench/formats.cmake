# Reading large lists through detection, counting and ReadListEntry, natively
# with Google Benchmark; bench/run-formats.sh sets the figures beside peers
# that read the same lists.
if(benchmark_FOUND AND NOT CMAKE_CROSSCOMPILING)
  add_executable(formats_bench ${CMAKE_CURRENT_LIST_DIR}/formats_bench.cpp)
  corvana_target_defaults(formats_bench)
  target_link_libraries(formats_bench PRIVATE corvana_formats benchmark::benchmark)
endif()
