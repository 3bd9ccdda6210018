#pragma once
// A real X program driven from a test: an Xvfb server of its own, windows found by title and
// process through xdotool, clicks at positions in 1/1440 inch (15 units a pixel) and keys.
#include <QProcess>

#include <string>

namespace xtest {

inline constexpr int kPatienceMs = 30'000;  // how long a step may take before it failed

/// An Xvfb screen of 1024x768 at 96 dpi on a display it chooses itself.
class XServer {
public:
    XServer();
    ~XServer();
    /// The test's environment with DISPLAY on this server and Qt on xcb.
    QProcessEnvironment environment() const;
    /// Waits until `program` maps a window whose title matches the extended regular expression;
    /// "" when none comes within the patience or the program ends.
    std::string waitWindow(QProcess& program, const std::string& title) const;
    /// Raises the window and clicks the centre of a control given from its client area's corner.
    void click(const std::string& window, int left, int top, int width, int height) const;

private:
    QString xdotool(const QStringList& arguments) const;

    QProcess m_server;
    QString m_display;
};

}  // namespace xtest
