# Code page 936 conversion and box appends, against a plain copy of the same bytes.
find_package(benchmark REQUIRED)
add_executable(tq_text_bench ${CMAKE_CURRENT_LIST_DIR}/text_bench.cpp)
target_link_libraries(tq_text_bench PRIVATE tq_ui tq_text benchmark::benchmark)
