// Preloaded into the program under test: appends the text of every message box the program
// shows, one line each, to the file named by VELMORIXON_PROBE_MESSAGES, so that a test driving
// the program from outside reads what the user is told. It changes nothing on screen.
#include <QCoreApplication>
#include <QEvent>
#include <QMessageBox>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

namespace {

class MessageProbe : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Show) {
            if (auto* box = qobject_cast<QMessageBox*>(watched)) report(box->text());
        }
        return false;
    }

private:
    static void report(QString text)
    {
        const char* path = std::getenv("VELMORIXON_PROBE_MESSAGES");
        if (path == nullptr) return;
        text.replace(QLatin1Char('\n'), QLatin1Char(' '));
        const QByteArray line = text.toUtf8() + '\n';
        const int fd = ::open(path, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        if (fd < 0) return;
        if (::write(fd, line.constData(), static_cast<size_t>(line.size())) != line.size()) {
            // a short write leaves a line the test will not match; nothing else to do here
        }
        ::close(fd);
    }
};

void installProbe()
{
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new MessageProbe(app));
}

}  // namespace

Q_COREAPP_STARTUP_FUNCTION(installProbe)
