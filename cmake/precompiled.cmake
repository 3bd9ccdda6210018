# The test executables build cheaply: GoogleTest, GoogleMock and, for the window tests, the Qt
# Widgets headers are precompiled once per executable instead of parsed again by every test
# file, and the test files themselves are compiled at -O1 (the code under test keeps its own
# optimisation in the libraries; GCC 12 at -O2 also warns falsely on std::string in test
# bodies once gtest is precompiled).
set(VELMORIXON_QT_PCH <QApplication> <QCheckBox> <QLabel> <QPushButton> <QString> <QTimer>
    <QWidget>)
set(pch_core_tests <gtest/gtest.h> <gmock/gmock.h>)
set(pch_platform_tests <gtest/gtest.h> <gmock/gmock.h> <QString>)
set(pch_emu_port_tests <gtest/gtest.h>)
set(pch_ui_tests <gtest/gtest.h> <gmock/gmock.h> ${VELMORIXON_QT_PCH} <QTest>)
foreach(target core_tests platform_tests ui_tests emu_port_tests)
  if(TARGET ${target})
    target_precompile_headers(${target} PRIVATE ${pch_${target}})
    target_compile_options(${target} PRIVATE -O1)
  endif()
endforeach()

# The window libraries: the Qt Widgets headers once per library rather than once per window file.
foreach(target velmorixon_ui velmorixon_journal_ui)
  if(TARGET ${target})
    target_precompile_headers(${target} PRIVATE ${VELMORIXON_QT_PCH} <QColor> <QLocale> <QPainter>)
  endif()
endforeach()
