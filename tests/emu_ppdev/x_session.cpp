#include "x_session.h"

#include <stdexcept>

namespace xtest {

XServer::XServer()
{
    // -displayfd: the server picks a free display and writes its number once it accepts
    // connections, so that servers of tests running side by side never meet.
    m_server.setStandardErrorFile(QProcess::nullDevice());
    m_server.start("Xvfb", {"-displayfd", "1", "-screen", "0", "1024x768x24", "-dpi", "96", "-nolisten", "tcp",
                            "-noreset", "+bs"});
    while (!m_server.canReadLine() && m_server.waitForReadyRead(kPatienceMs)) {
    }
    m_display = ":" + QString::fromLatin1(m_server.readLine()).trimmed();
    if (m_display == ":") throw std::runtime_error("Xvfb did not start");
}

XServer::~XServer()
{
    m_server.terminate();
    m_server.waitForFinished(kPatienceMs);
}

QProcessEnvironment XServer::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING",
                             "WAYLAND_DISPLAY", "LD_PRELOAD"})
        env.remove(name);
    env.insert("DISPLAY", m_display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

QString XServer::xdotool(const QStringList& arguments) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start("xdotool", arguments);
    tool.waitForFinished(kPatienceMs);
    return QString::fromUtf8(tool.readAllStandardOutput());
}

std::string XServer::waitWindow(QProcess& program, const std::string& title) const
{
    // X tells no one when a window is mapped: look again every 100 ms while the program runs.
    const QStringList search{"search", "--all", "--onlyvisible", "--pid", QString::number(program.processId()),
                             "--name", QString::fromStdString(title)};
    for (int waited = 0; waited < kPatienceMs && program.state() == QProcess::Running; waited += 100) {
        if (const QString id = xdotool(search).section('\n', 0, 0); !id.isEmpty()) return id.toStdString();
        program.waitForFinished(100);
    }
    return {};
}

void XServer::click(const std::string& window, int left, int top, int width, int height) const
{
    // No --sync: it waits for the pointer to move, forever when it is already there. The X server
    // handles the warp before the button, both coming from the one connection.
    const QString id = QString::fromStdString(window);
    xdotool({"windowraise", id, "mousemove", "--window", id, QString::number((2 * left + width) / 30),
             QString::number((2 * top + height) / 30), "click", "1"});
}

}  // namespace xtest
