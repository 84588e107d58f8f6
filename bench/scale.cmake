# Whole-program scale figures: start to window, resident memory around a large pass, the cost of
# one check, and the results box at a million lines. Needs the window libraries.
if(NOT TQ_CORE_ONLY)
    add_executable(tq_bench_scale ${CMAKE_CURRENT_LIST_DIR}/scale_bench.cpp)
    target_link_libraries(tq_bench_scale PRIVATE tq_ui tq_app tq_check tq_testserver CURL::libcurl)
endif()
