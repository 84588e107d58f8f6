# 1,000 sequential fetches of a small loopback page: Fetcher::fetch against bare libcurl.
add_executable(tq_bench_fetch ${CMAKE_CURRENT_LIST_DIR}/fetch_bench.cpp)
target_link_libraries(tq_bench_fetch PRIVATE tq_check CURL::libcurl)
if(TARGET tq_testserver)
    target_link_libraries(tq_bench_fetch PRIVATE tq_testserver)
else()
    # Configured without tests: build the loopback server into the benchmark itself.
    target_sources(tq_bench_fetch PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/httpserver.cpp)
    target_include_directories(tq_bench_fetch PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    target_link_libraries(tq_bench_fetch PRIVATE OpenSSL::SSL OpenSSL::Crypto Threads::Threads)
endif()
