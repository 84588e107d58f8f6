# Address parsing (pure) and page fetch against the local test server.
tq_add_test(tq_address_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/address_tests.cpp LIBS tq_check)
tq_add_test(tq_fetch_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/fetch_tests.cpp
    LIBS tq_check tq_testserver)
# Its own process: it changes the proxy environment, which must happen before any other thread.
tq_add_test(tq_fetch_proxy_tests SOURCES ${CMAKE_CURRENT_LIST_DIR}/fetch_proxy_tests.cpp
    LIBS tq_check tq_testserver)
