# A check pass over loopback pages against a loop of bare libcurl fetches of the same pages.
add_executable(tq_bench_pass ${CMAKE_CURRENT_LIST_DIR}/pass_bench.cpp)
target_link_libraries(tq_bench_pass PRIVATE tq_check CURL::libcurl Threads::Threads)
