# The test build made cheap. scripts/test builds in unity mode (a batch of files compiled as
# one, so each header is parsed once per batch); a developer's tree instead precompiles
# GoogleTest and Qt Widgets' headers once per executable and library, which keeps
# rebuilding one touched file cheap. The test files themselves are compiled without
# optimisation (a fifth less to compile than -O1): the code under test keeps its own in the
# libraries.
set(VELMORIXON_QT_PCH <QApplication> <QCheckBox> <QLabel> <QPushButton> <QString> <QTimer>
    <QWidget>)
set(pch_core_tests <gtest/gtest.h>)
set(pch_platform_tests <gtest/gtest.h> <QString>)
set(pch_emu_port_tests <gtest/gtest.h>)
set(pch_ui_tests <gtest/gtest.h> ${VELMORIXON_QT_PCH} <QTest>)
set(pch_velmorixon_ui ${VELMORIXON_QT_PCH} <QColor> <QLocale> <QPainter>)
set(pch_velmorixon_journal_ui ${pch_velmorixon_ui})
foreach(target core_tests platform_tests ui_tests emu_port_tests velmorixon_ui velmorixon_journal_ui)
  if(NOT TARGET ${target})
    continue()
  endif()
  if(NOT CMAKE_UNITY_BUILD)
    target_precompile_headers(${target} PRIVATE ${pch_${target}})
  endif()
endforeach()
# Under the sanitizers, the test files leave out UndefinedBehaviorSanitizer's pointer checks
# (null, alignment, vptr, pointer-overflow): on every pointer use of GoogleTest's and the
# standard library's inline code they cost the test build 40 %, and they would check the test
# bodies, not the program. The program's code keeps every check, and AddressSanitizer (which
# also reports a null dereference) stays on the test files too.
# (GCC 12 also warns falsely on std::string and std::regex in optimised test bodies.)
foreach(target core_tests platform_tests ui_tests emu_port_tests program_tests emu_program_tests)
  if(NOT TARGET ${target})
    continue()
  elseif(VELMORIXON_SANITIZE)
    target_compile_options(${target} PRIVATE -fno-sanitize=null,alignment,vptr,pointer-overflow)
  else()
    target_compile_options(${target} PRIVATE -O0)
  endif()
endforeach()
