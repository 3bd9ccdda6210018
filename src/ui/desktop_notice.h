// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#pragma once
// A line said on the desktop beside the window, for what must be seen while nobody watches it
// (an alarm while recording): never a dialog, never waited for.
#include <QString>

class QWidget;

/// Says `text` through the desktop's notification service (freedesktop, over the session's
/// D-Bus), or, where there is none, as a tray icon's message. Nothing is waited for, not even
/// whether the service exists: a slow or stuck bus never holds the window; its error answer
/// turns the line to the tray. Returns false when there is neither a session bus nor a tray.
bool notifyDesktop(const QString& text, QWidget* owner);
