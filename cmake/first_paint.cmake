# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Velmorixon developers
#
# first_paint: how long after its start the X server sees a program's first top-level window
# painted, against bare_window, a plain Qt window of the same size. Built with the benchmarks
# when the X DAMAGE library is installed (libxdamage-dev); run under Xvfb.
if(VELMORIXON_BENCH)
  find_package(X11 QUIET)
  if(X11_FOUND AND X11_Xdamage_FOUND)
    add_executable(first_paint bench/tools/first_paint.cpp)
    target_link_libraries(first_paint PRIVATE X11::X11 X11::Xdamage)
    set_target_properties(first_paint PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    add_executable(bare_window bench/tools/bare_window.cpp)
    target_link_libraries(bare_window PRIVATE Qt6::Widgets)
  else()
    message(STATUS "libXdamage not found (libxdamage-dev): first_paint not built")
  endif()
endif()
