# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Velmorixon developers
# What the user meets first: the home folder, the display, Qt's French texts, the French
# sentences about waiting lines and the file label; and the tests that run the program itself.
target_sources(velmorixon_platform PRIVATE
  src/platform/home_folder.cpp src/platform/home_folder.h)
target_sources(velmorixon_ui PRIVATE
  src/ui/display.cpp src/ui/display.h
  src/ui/file_label.cpp src/ui/file_label.h
  src/ui/qt_french.cpp src/ui/qt_french.h
  src/ui/value_box.cpp src/ui/value_box.h
  src/ui/waiting_lines_text.cpp src/ui/waiting_lines_text.h)

if(VELMORIXON_TESTS)
  if(TARGET ui_tests)
    target_sources(ui_tests PRIVATE tests/ui/window_look_test.cpp)
  endif()
  # The installed program as a user starts it: its exit status and what it prints.
  add_executable(program_tests tests/program/program_test.cpp)
  target_link_libraries(program_tests PRIVATE velmorixon_test_support GTest::gtest_main)
  target_compile_definitions(program_tests PRIVATE VELMORIXON_PROGRAM="$<TARGET_FILE:velmorixon>")
  add_dependencies(program_tests velmorixon velmorixon-journal)
  gtest_discover_tests(program_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)
endif()
