# SPDX-License-Identifier: GPL-3.0-or-later
# Copyright (C) 2026 Velmorixon developers
# velmorixon-enregistreur, the recorder without a window for unattended stations: the same
# acquisition cycle, files, companions and lock as the main window, driven by options and
# signals, with Qt Core only (no display, no GUI library in its process), and the systemd user
# unit that runs it.
target_sources(velmorixon_platform PRIVATE
  src/platform/failure_reason.cpp src/platform/failure_reason.h
  src/platform/stop_signals.cpp src/platform/stop_signals.h)

add_library(velmorixon_recorder STATIC
  src/recorder/recorder_options.cpp src/recorder/recorder_options.h
  src/recorder/station.cpp src/recorder/station.h)
target_link_libraries(velmorixon_recorder PUBLIC velmorixon_platform)

qt_add_executable(velmorixon-enregistreur src/recorder/recorder_main.cpp)
target_link_libraries(velmorixon-enregistreur PRIVATE velmorixon_recorder)
target_compile_definitions(velmorixon-enregistreur PRIVATE VELMORIXON_VERSION="${PROJECT_VERSION}")
target_link_options(velmorixon-enregistreur PRIVATE LINKER:-z,relro LINKER:-z,now)
install(TARGETS velmorixon-enregistreur RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The user unit, for `systemctl --user enable --now velmorixon-enregistreur`.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/data/velmorixon-enregistreur.service
        DESTINATION lib/systemd/user)

if(VELMORIXON_TESTS)
  target_sources(platform_tests PRIVATE tests/recorder/station_test.cpp)
  target_link_libraries(platform_tests PRIVATE velmorixon_recorder)
endif()
# The recorder started from a terminal (its refusals beside the instrument's), and as its
# service starts it, on the emulated port (tests/emu_ppdev).
if(TARGET program_tests)
  target_compile_definitions(program_tests PRIVATE VELMORIXON_RECORDER="$<TARGET_FILE:velmorixon-enregistreur>")
  add_dependencies(program_tests velmorixon-enregistreur)
endif()
if(TARGET emu_program_tests)
  target_sources(emu_program_tests PRIVATE tests/recorder/recorder_program_test.cpp)
  target_compile_definitions(emu_program_tests PRIVATE VELMORIXON_RECORDER="$<TARGET_FILE:velmorixon-enregistreur>")
  add_dependencies(emu_program_tests velmorixon-enregistreur)
endif()

# measuring tool: the recorder's ticks on the emulated port, its memory and processor time
if(VELMORIXON_BENCH)
  add_executable(recorder_ticks bench/tools/recorder_ticks.cpp)
  target_link_libraries(recorder_ticks PRIVATE emu_ppdev_control velmorixon_test_support)
  add_dependencies(recorder_ticks velmorixon-enregistreur emu_ppdev)
endif()
