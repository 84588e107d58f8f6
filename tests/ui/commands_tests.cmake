tq_add_test(tq_commands_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/commands_test.cpp ${CMAKE_CURRENT_LIST_DIR}/program_test.cpp
    LIBS tq_ui)
