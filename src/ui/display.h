// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// Opening the display, or saying in French why there is none.
#include <QApplication>
#include <QTranslator>
#include <memory>

/// The application on the display. When Qt finds no display to open (no DISPLAY, a display
/// that does not answer, no usable platform plugin), prints one French line on standard error
/// and ends the program with exit status 1, instead of Qt's English abort. Qt's own messages
/// about the failed attempt are held back; on success they are passed on as usual.
std::unique_ptr<QApplication> openDisplay(int& argc, char** argv);

/// A program's Qt application as both of Velmorixon's programs open it.
struct OpenedApplication {
    std::unique_ptr<QApplication> application;
    std::unique_ptr<QTranslator> qtFrench;  ///< null when Qt's French texts are missing
};

/// openDisplay, then Qt's own French texts (their absence said on standard error), the
/// application's name "velmorixon" and `version`, and its desktop entry `desktopFileName`.
OpenedApplication openApplication(int& argc, char** argv, const char* version, const char* desktopFileName);
