# The emulated parallel port: a ppdev device, with the program's own MAX187 model behind its
# lines, that the C library calls of PpdevPort reach; linked into the port tests and preloaded
# into the real program for the tests that drive it under Xvfb.
if(NOT VELMORIXON_TESTS AND NOT VELMORIXON_BENCH)
  return()
endif()

find_package(Threads REQUIRED)
set(EMU_DIR ${CMAKE_CURRENT_LIST_DIR})

# The converter model goes into the preloaded library too, so its object is built relocatable.
set_property(SOURCE ${CMAKE_SOURCE_DIR}/src/acquisition/simulated_max187.cpp APPEND PROPERTY COMPILE_OPTIONS -fPIC)

# the preloaded device: open, ioctl and close of the emulated device path; it exports only those
add_library(emu_ppdev SHARED ${EMU_DIR}/emu_device.cpp)
target_link_libraries(emu_ppdev PRIVATE velmorixon_core ${CMAKE_DL_LIBS} Threads::Threads -Wl,--exclude-libs,ALL)

# the test's side: creates the state, sets the input and the faults, reads the trace
add_library(emu_ppdev_control INTERFACE)
target_include_directories(emu_ppdev_control INTERFACE ${EMU_DIR})
target_link_libraries(emu_ppdev_control INTERFACE Threads::Threads)

if(VELMORIXON_TESTS)
# PpdevPort alone: the device's functions are linked into the test executable itself
add_executable(emu_port_tests ${EMU_DIR}/ppdev_port_emu_test.cpp ${EMU_DIR}/emu_device.cpp)
target_link_libraries(emu_port_tests PRIVATE emu_ppdev_control velmorixon_platform velmorixon_test_support
  ${CMAKE_DL_LIBS} GTest::gmock GTest::gtest_main)
gtest_discover_tests(emu_port_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES)

# The real program under Xvfb, with the device preloaded.
# Under the sanitizers the program's runtime has to come first in the preload list.
set(EMU_PRELOAD_FIRST "")
if(VELMORIXON_SANITIZE)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=libasan.so
    OUTPUT_VARIABLE EMU_PRELOAD_FIRST OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

add_executable(emu_program_tests ${EMU_DIR}/program_x_test.cpp)
target_link_libraries(emu_program_tests PRIVATE emu_ppdev_control velmorixon_core velmorixon_test_support GTest::gtest_main)
# On an X server of its own, which xvfb-run starts and stops around it.
set_target_properties(emu_program_tests PROPERTIES
  CROSSCOMPILING_EMULATOR "xvfb-run;-a;-s;-screen 0 1024x768x24 -dpi 96 -nolisten tcp -noreset +bs")
target_compile_definitions(emu_program_tests PRIVATE
  VELMORIXON_PROGRAM="$<TARGET_FILE:velmorixon>"
  EMU_SHIM="$<TARGET_FILE:emu_ppdev>"
  EMU_PRELOAD_FIRST="${EMU_PRELOAD_FIRST}")
add_dependencies(emu_program_tests velmorixon emu_ppdev)
gtest_discover_tests(emu_program_tests DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 120)

endif()

# measuring tool: one read's duration on the emulated port (reported, never asserted)
if(VELMORIXON_BENCH)
  add_executable(emulated_read_timing ${CMAKE_SOURCE_DIR}/bench/emulated_port/read_timing.cpp ${EMU_DIR}/emu_device.cpp)
  target_link_libraries(emulated_read_timing PRIVATE emu_ppdev_control velmorixon_platform velmorixon_test_support
    ${CMAKE_DL_LIBS})
endif()
