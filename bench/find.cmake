# Find text against memmem on the same 16 MiB pages.
find_package(benchmark REQUIRED)
add_executable(tq_bench_find ${CMAKE_CURRENT_LIST_DIR}/find_bench.cpp)
target_link_libraries(tq_bench_find PRIVATE tq_check benchmark::benchmark)
