# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Velmorixon developers
# The day view « Journal des mesures »: the day's files read and followed, the chart drawn with
# QCustomPlot (Qt 6 build, Debian's libqcustomplot-dev), exports. A program of its own,
# velmorixon-journal, so that the instrument's process loads neither QCustomPlot nor Qt
# PrintSupport nor this code: `velmorixon --journal` and the file label's double-click start it.
find_package(Qt6 REQUIRED COMPONENTS PrintSupport)
find_package(QCustomPlotQt6 REQUIRED)

target_sources(velmorixon_platform PRIVATE
  src/platform/day_record.cpp src/platform/day_record.h
  src/platform/journal_program.cpp src/platform/journal_program.h
  src/platform/month_report.cpp src/platform/month_report.h
  src/platform/saved_file.cpp src/platform/saved_file.h)
add_library(velmorixon_journal_ui STATIC
  src/ui/journal_chart.cpp src/ui/journal_chart.h
  src/ui/image_size_dialog.cpp src/ui/image_size_dialog.h
  src/ui/journal_export.cpp src/ui/journal_export.h
  src/ui/journal_window.cpp src/ui/journal_window.h
  src/ui/month_window.cpp src/ui/month_window.h
  src/ui/run_list.cpp src/ui/run_list.h
  src/ui/sensor_dialog.cpp src/ui/sensor_dialog.h
  src/ui/summary_panel.cpp src/ui/summary_panel.h
  src/ui/cursor_panel.cpp src/ui/cursor_panel.h)
target_link_libraries(velmorixon_journal_ui PUBLIC velmorixon_platform Qt6::Widgets QCustomPlotQt6::QCustomPlotQt6)

# Installed out of the PATH, in /usr/lib/velmorixon: users open it through `velmorixon --journal`
# (one command, one manual page), and the instrument finds it there from its own folder
# (src/platform/journal_program.cpp); in a build tree it sits beside velmorixon.
qt_add_executable(velmorixon-journal src/ui/journal_main.cpp)
target_link_libraries(velmorixon-journal PRIVATE velmorixon_journal_ui velmorixon_ui)
target_compile_definitions(velmorixon-journal PRIVATE VELMORIXON_VERSION="${PROJECT_VERSION}")
target_link_options(velmorixon-journal PRIVATE LINKER:-z,relro LINKER:-z,now)
install(TARGETS velmorixon-journal RUNTIME DESTINATION lib/velmorixon)
# Building the instrument builds what it starts.
add_dependencies(velmorixon velmorixon-journal)

if(VELMORIXON_TESTS)
  target_sources(platform_tests PRIVATE tests/platform/day_record_test.cpp)
  target_sources(ui_tests PRIVATE tests/ui/journal_window_test.cpp)
  target_link_libraries(ui_tests PRIVATE velmorixon_journal_ui)
endif()

if(VELMORIXON_BENCH)
  add_executable(bilan_year bench/tools/bilan_year.cpp)
  target_link_libraries(bilan_year PRIVATE velmorixon_platform)
  target_include_directories(bilan_year PRIVATE tests)
  add_executable(journal_view_bench bench/tools/journal_view_bench.cpp)
  target_link_libraries(journal_view_bench PRIVATE velmorixon_journal_ui)
  target_include_directories(journal_view_bench PRIVATE tests)
  add_executable(many_runs_bench bench/tools/many_runs_bench.cpp)
  target_link_libraries(many_runs_bench PRIVATE velmorixon_journal_ui)
  target_include_directories(many_runs_bench PRIVATE tests)
endif()
