# The olive skin, checked on grabs of real widgets.
tq_add_test(tq_skin_tests GUI
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/skin_test.cpp
    LIBS tq_skin)
