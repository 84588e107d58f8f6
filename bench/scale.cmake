# Whole-program scale figures: start to window, resident memory around a large pass, the cost of
# one check, and the results box at a million lines. Needs the window libraries.
if(NOT TQ_CORE_ONLY)
    add_executable(tq_bench_scale ${CMAKE_CURRENT_LIST_DIR}/scale_bench.cpp)
    target_link_libraries(tq_bench_scale PRIVATE tq_ui tq_app tq_check)
    if(TARGET tq_testserver)
        target_link_libraries(tq_bench_scale PRIVATE tq_testserver)
    else()
        target_sources(tq_bench_scale PRIVATE ${PROJECT_SOURCE_DIR}/tests/support/httpserver.cpp)
        target_include_directories(tq_bench_scale PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
        target_link_libraries(tq_bench_scale PRIVATE OpenSSL::SSL OpenSSL::Crypto Threads::Threads)
    endif()
endif()
