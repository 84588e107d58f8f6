# A long pass through the window against a loopback server that mixes every fault; it ends by
# itself well within its time limit.
tq_add_test(tq_soak_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/soak_test.cpp
    LIBS tq_ui tq_testserver)
set_tests_properties(tq_soak_tests PROPERTIES TIMEOUT 120)

# The link labels: one fixed address, never through a shell.
tq_add_test(tq_link_safety_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/linksafety_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/recordingbrowser.h
    LIBS tq_ui)
set_target_properties(tq_link_safety_tests PROPERTIES AUTOMOC ON)
