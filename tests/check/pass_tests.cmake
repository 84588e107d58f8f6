tq_add_test(tq_split_find_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/split_find_tests.cpp
            LIBS tq_check)
tq_add_test(tq_pass_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/pass_tests.cpp LIBS tq_check)
# Passes with several chains through the real fetcher against the local server.
tq_add_test(tq_pass_fetch_tests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/pass_fetch_tests.cpp
            LIBS tq_check tq_testserver)
