# The main window: every control, the keyboard rules, the tab switching and the link labels.
tq_add_test(tq_window_tests GUI
    SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/window_test.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/linklabel_test.cpp
            ${PROJECT_SOURCE_DIR}/tests/support/recordingbrowser.h
    LIBS tq_ui)
set_target_properties(tq_window_tests PROPERTIES AUTOMOC ON)
