# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Velmorixon developers
#
# chart_choice: plots one day of readings with Qt Charts and with QCustomPlot and reports what
# each costs (open, repaint on pan and zoom, append, memory). Built only with the benchmarks and
# when both libraries are installed (qt6-charts-dev, libqcustomplot-dev).
if(VELMORIXON_BENCH)
  find_package(Qt6 QUIET COMPONENTS Charts PrintSupport)
  find_package(QCustomPlotQt6 QUIET)
  if(TARGET Qt6::Charts AND TARGET Qt6::PrintSupport AND QCustomPlotQt6_FOUND)
    add_executable(chart_choice bench/tools/chart_choice.cpp)
    target_link_libraries(chart_choice PRIVATE
      Qt6::Widgets Qt6::Charts Qt6::PrintSupport QCustomPlotQt6::QCustomPlotQt6)
    target_include_directories(chart_choice PRIVATE tests)
  else()
    message(STATUS "Qt6 Charts or QCustomPlotQt6 not found (qt6-charts-dev, libqcustomplot-dev): chart_choice not built")
  endif()
endif()
