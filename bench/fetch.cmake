# 1,000 sequential fetches of a small loopback page: Fetcher::fetch against bare libcurl.
add_executable(tq_bench_fetch ${CMAKE_CURRENT_LIST_DIR}/fetch_bench.cpp)
target_link_libraries(tq_bench_fetch PRIVATE tq_check tq_testserver CURL::libcurl)
