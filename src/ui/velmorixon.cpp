#include "ui/velmorixon.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "acquisition/max187.h"
#include "acquisition/plot_geometry.h"
#include "acquisition/text_forms.h"
#include "platform/failure_reason.h"
#include "platform/system_message.h"
#include "ui/caption_button.h"
#include "ui/file_label.h"
#include "ui/layout.h"
#include "ui/value_box.h"
#include "ui/graph.h"
#include "ui/waiting_lines_text.h"

namespace {

using namespace std::chrono;

constexpr int kClientWidth = 5625;
constexpr int kClientHeight = 5490;
// From the file label's left edge to two pixels short of the frame's right edge (Line4).
const int kFileLabelWidth = toPixels(5520) - toPixels(1920) - 2;
// The clock label is refreshed just after each whole second, so that it never skips one.
constexpr milliseconds kClockLead{5};

const QColor kValueText{0, 0, 255};
const QColor kStatusText{255, 0, 0};

enum class Face { Window, Bold, BoldArial };

QFont fontFor(Face face)
{
    switch (face) {
    case Face::Bold: return boldFont("MS Sans Serif");
    case Face::BoldArial: return boldFont("Arial");
    case Face::Window: break;
    }
    return windowFont();
}

// One control of the window, with its name, caption, place and font.
template <class W>
W* addControl(QWidget* parent, const char* name, const QString& caption, QRect units, Face face)
{
    W* widget = nullptr;
    if constexpr (std::is_same_v<W, QScrollBar>) {
        widget = new QScrollBar(Qt::Horizontal, parent);
    } else if constexpr (std::is_same_v<W, QListWidget>) {
        widget = new QListWidget(parent);
    } else {
        widget = new W(caption, parent);
    }
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(unitsRect(units.x(), units.y(), units.width(), units.height()));
    if (face != Face::Window) {
        widget->setFont(fontFor(face));
    }
    return widget;
}

// White box, blue text, single border (a ValueBox draws it neutral dark): the labels that
// show a value.
void makeValueBox(QLabel* label)
{
    QPalette colours = label->palette();
    colours.setColor(QPalette::Window, Qt::white);
    colours.setColor(QPalette::WindowText, kValueText);
    label->setPalette(colours);
    label->setAutoFillBackground(true);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
}

void makeStatusText(QLabel* label)
{
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, kStatusText);
    label->setPalette(colours);
}

// An auto-size label takes the size of its text and keeps its top-left corner.
void setAutoSizeText(QLabel* label, const QString& text)
{
    label->setText(text);
    label->adjustSize();
}

// HH:MM:SS on a 24-hour clock, whatever the regional settings.
QString timeText(local_time<milliseconds> now)
{
    return QString::fromStdString(acquisition::clockTime(acquisition::timeOfDay(now)));
}

// A whole number kept in a float member, as digits.
QString wholeText(double value)
{
    return QString::number(static_cast<qlonglong>(std::llround(value)));
}

}  // namespace

Velmorixon::Velmorixon(Platform platform, QWidget* parent)
    : QWidget(parent), m_platform(std::move(platform))
{
    requireComplete(m_platform);
    installFontSubstitutes();
    setObjectName(QStringLiteral("Velmorixon"));
    setFont(fontFor(Face::Window));
    setFixedSize(toPixels(kClientWidth), toPixels(kClientHeight));
    setWindowTitle(m_platform.simulated ? QStringLiteral("Acquisition donnée MAX187 — simulation")
                                        : QStringLiteral("Acquisition donnée MAX187"));
    QIcon icon;
    for (const char* file : {":/data/icons/velmorixon-16.png", ":/data/icons/velmorixon-32.png"}) {
        if (QFile::exists(QString::fromLatin1(file))) {
            icon.addFile(QString::fromLatin1(file));
        }
    }
    setWindowIcon(icon);

    OKgraphe = addControl<QCheckBox>(this, "OKgraphe", QStringLiteral("Afficher graphe"),
                                     {360, 240, 1695, 255}, Face::Bold);
    OKfile = addControl<QCheckBox>(this, "OKfile", QStringLiteral("Générer fichier"),
                                   {3720, 240, 1695, 255}, Face::Bold);
    Label1 = addControl<QLabel>(this, "Label1", QStringLiteral("Analyse toute les"),
                                {360, 600, 1575, 255}, Face::Bold);
    LVitesse = addControl<ValueBox>(this, "LVitesse", {}, {2160, 600, 735, 255}, Face::Window);
    Label2 = addControl<QLabel>(this, "Label2", QStringLiteral("Seconde(s)"), {3000, 600, 975, 255},
                                Face::Bold);
    HScroll1 = addControl<QScrollBar>(this, "HScroll1", {}, {4200, 600, 1095, 255}, Face::Window);
    Label3 = addControl<QLabel>(this, "Label3", QStringLiteral("Fichier données"),
                                {240, 960, 1455, 255}, Face::Bold);
    LfileName = addControl<QLabel>(this, "LfileName", {}, {1920, 960, 45, 195}, Face::Window);
    Lzone = addControl<QLabel>(this, "Lzone", {}, {480, 1440, 2535, 255}, Face::Window);
    Lheure = addControl<QLabel>(this, "Lheure", {}, {3480, 1440, 1695, 255}, Face::Window);
    Label4 = addControl<QLabel>(this, "Label4", QStringLiteral("Liste des communes "),
                                {795, 1800, 1785, 195}, Face::Bold);
    Label5 = addControl<QLabel>(this, "Label5", QStringLiteral("Lever"), {4073, 1800, 495, 195},
                                Face::Bold);
    Lville = addControl<QListWidget>(this, "Lville", {}, {360, 2040, 2655, 1035}, Face::Window);
    LLever = addControl<ValueBox>(this, "LLever", {}, {3473, 2040, 1695, 255}, Face::Window);
    Label7 = addControl<QLabel>(this, "Label7", QStringLiteral("Zenith"), {4043, 2400, 555, 195},
                                Face::Bold);
    Lmidi = addControl<ValueBox>(this, "Lmidi", {}, {3473, 2640, 1695, 255}, Face::Window);
    Label8 = addControl<QLabel>(this, "Label8", QStringLiteral("Coucher"), {3960, 3000, 720, 195},
                                Face::Bold);
    Lmesure = addControl<QLabel>(this, "Lmesure", QStringLiteral("Label3"), {1080, 3240, 540, 210},
                                 Face::BoldArial);
    Lvaleur = addControl<QLabel>(this, "Lvaleur", QStringLiteral("miliVolts"),
                                 {1800, 3240, 735, 255}, Face::Bold);
    Lcoucher = addControl<ValueBox>(this, "Lcoucher", {}, {3473, 3240, 1695, 255}, Face::Window);
    Label10 = addControl<QLabel>(this, "Label10", QStringLiteral("Azimut"), {1282, 3600, 570, 195},
                                 Face::Bold);
    label9 = addControl<QLabel>(this, "label9", QStringLiteral("Altitude"), {3277, 3600, 660, 195},
                                Face::Bold);
    Lazt = addControl<ValueBox>(this, "Lazt", {}, {720, 3840, 1695, 255}, Face::Window);
    Lalt = addControl<ValueBox>(this, "Lalt", {}, {2760, 3840, 1695, 255}, Face::Window);
    BtnMax187 = addControl<CaptionButton>(this, "BtnMax187", QStringLiteral("Démarrer lecture MAX187"),
                                        {0, 4320, 1575, 495}, Face::Window);
    BtnStop = addControl<CaptionButton>(this, "BtnStop", QStringLiteral("Stopper lecture MAX187"),
                                      {1800, 4320, 1575, 495}, Face::Window);
    BtnQuit = addControl<CaptionButton>(this, "BtnQuit", QStringLiteral("Quitter"),
                                      {3720, 4320, 1575, 495}, Face::Window);
    BtnCalc = addControl<CaptionButton>(this, "BtnCalc", QStringLiteral("Calculer position"),
                                      {0, 4920, 1575, 495}, Face::Window);
    BtnStopCalc = addControl<CaptionButton>(this, "BtnStopCalc",
                                          QStringLiteral("Stopper calcul position"),
                                          {1800, 4920, 1575, 495}, Face::Window);

    for (QLabel* box : {LVitesse, LLever, Lmidi, Lcoucher, Lazt, Lalt}) {
        makeValueBox(box);
    }
    for (QLabel* status : {Lzone, Lheure, Lmesure}) {
        makeStatusText(status);
    }
    Lzone->setAlignment(Qt::AlignCenter);
    Lheure->setAlignment(Qt::AlignCenter);
    Lmesure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // The unit's text starts at the top of its box, as the auto-size reading beside it does:
    // the two fonts share their metrics, so the reading and "miliVolts" sit on one baseline.
    Lvaleur->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLabel* autoSize : {LfileName, Label4, Label5, Label7, Label8, Lmesure, Label10, label9}) {
        autoSize->adjustSize();
    }
    Lmesure->hide();
    Lvaleur->hide();
    BtnStop->setEnabled(false);
    BtnStopCalc->setEnabled(false);

    HScroll1->setRange(1, 60);
    HScroll1->setValue(1);
    HScroll1->setSingleStep(1);
    HScroll1->setPageStep(1);
    HScroll1->setTracking(false);  // only the released value changes the period
    HScroll1->setFocusPolicy(Qt::StrongFocus);
    Lville->setSelectionMode(QAbstractItemView::SingleSelection);
    Lville->setSortingEnabled(false);

    // Tab order; no control carries an access key.
    QWidget* const tabOrder[] = {OKgraphe, OKfile, HScroll1, BtnMax187, BtnStop,
                                 BtnQuit,  Lville, BtnCalc,  BtnStopCalc};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setSingleShot(true);
    Timer1->setTimerType(Qt::PreciseTimer);
    TCalcSun = new QTimer(this);
    TCalcSun->setObjectName(QStringLiteral("TCalcSun"));
    TCalcSun->setInterval(1000);
    TimeAquis = new QTimer(this);
    TimeAquis->setObjectName(QStringLiteral("TimeAquis"));
    TimeAquis->setSingleShot(true);  // re-armed by each tick to hold the schedule
    TimeAquis->setTimerType(Qt::PreciseTimer);
    m_fileRetry = new QTimer(this);
    m_fileRetry->setObjectName(QStringLiteral("fileRetry"));
    m_fileRetry->setInterval(acquisition::AcquisitionCycle::kIdleRetry);

    connect(Timer1, &QTimer::timeout, this, &Velmorixon::clockTick);
    connect(TimeAquis, &QTimer::timeout, this, &Velmorixon::acquisitionTick);
    connect(m_fileRetry, &QTimer::timeout, this, &Velmorixon::retryFile);
    connect(BtnQuit, &QPushButton::clicked, this, &Velmorixon::quit);
    connect(BtnMax187, &QPushButton::clicked, this, &Velmorixon::startAcquisition);
    connect(BtnStop, &QPushButton::clicked, this, &Velmorixon::stopAcquisition);
    connect(HScroll1, &QScrollBar::valueChanged, this, &Velmorixon::periodChanged);
    connect(OKfile, &QCheckBox::clicked, this, &Velmorixon::fileSwitchClicked);
    connect(OKgraphe, &QCheckBox::clicked, this, &Velmorixon::graphSwitchClicked);
    connectSunHandlers();

    // No close command: no close button, and closeEvent refuses all but quit().
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint);
    // The time-zone state, in Lzone and the calculator.
    QuelFuseau();
    // Acquisition defaults.
    Vitesse = 1;
    HScroll1->setValue(static_cast<int>(std::nearbyint(Vitesse)));
    Mesure = 0;
    NumMes = 1;
    // The measurement file, named once after the start-up date.
    FileUnit = m_platform.dataRoot.string();
    if (FileUnit.empty() || FileUnit.back() != '/') {
        FileUnit += '/';
    }
    FilePath = "velmorixon/";
    FileName = acquisition::dataFileName(
        year_month_day{floor<days>(m_platform.clock->localNow())});
    FullFile = FileUnit + FilePath + FileName;
    // The label shows "~" for the home and keeps inside the frame; the tooltip has it all.
    setAutoSizeText(LfileName, fileLabelText(FullFile, m_platform.dataRoot.string(),
                                             LfileName->fontMetrics(), kFileLabelWidth));
    LfileName->setToolTip(m_platform.openJournal ? fileLabelToolTip(FullFile)
                                                 : QString::fromStdString(FullFile));
    if (m_platform.openJournal) {
        // Today's day: past midnight the run goes on in the start-up day's file, and today's
        // view is where its new readings are.
        new FileLabelOpener(LfileName, [this] {
            return FileUnit + FilePath + acquisition::dataFileName(year_month_day{floor<days>(m_platform.clock->localNow())});
        }, m_platform.openJournal);
    }
    m_file = std::make_unique<acquisition::MeasurementFile>(FullFile, *m_platform.files);
    m_companion = std::make_unique<acquisition::CompanionFile>(FullFile, *m_platform.files);
    m_file->setCompanion(m_companion.get());
    m_cycle = std::make_unique<acquisition::AcquisitionCycle>(m_platform.openPort,
                                                              *m_platform.clock, *m_file);
    m_cycle->recordRunsIn(*m_companion, m_platform.simulated ? "simulation" : m_platform.portName,
                          QCoreApplication::applicationVersion().toStdString());
    LVitesse->setText(wholeText(Vitesse));
    TimeAquis->setInterval(periodMs());
    FirstAnalyse = true;
    ChOkFile = false;
    ChOkGraphe = false;
    // The calculator, its sites, the constants.
    calcSun();
    fillSiteList();
    setSunConstants();
    // The default site; its handler shows the day's sun times.
    Lville->setCurrentRow(7);
    // The time of day, then a clock tick just after every whole second.
    clockTick();
    OKgraphe->setFocus();
}

Velmorixon::~Velmorixon()
{
    delete m_graph.data();
}

// ---- clock and quit -----------------------------------------------------------------------

void Velmorixon::clockTick()
{
    const auto now = m_platform.clock->localNow();
    Lheure->setText(timeText(now));
    const auto intoSecond = now.time_since_epoch() % seconds{1};
    Timer1->start(duration_cast<milliseconds>(seconds{1} - intoSecond) + kClockLead);
}

void Velmorixon::quit()
{
    // No reading after the click: the ticks stop before anything is asked.
    const bool wasTicking = TimeAquis->isActive();
    TimeAquis->stop();
    if (!m_cycle->retryWaitingLines()) {
        if (!confirmDiscard(m_file->pendingLines())) {
            if (wasTicking) {
                m_cycle->resume();
                armTick();
            }
            return;
        }
        m_file->discardPending();
    }
    m_cycle->quit();  // releases the port
    m_fileRetry->stop();
    if (m_fileMessage) {
        m_fileMessage->close();
    }
    if (Graph* graph = m_graph) {
        m_graph = nullptr;
        graph->hide();
        graph->deleteLater();
    }
    m_quitting = true;
    close();
}

bool Velmorixon::confirmDiscard(std::size_t waiting)
{
    // Qt's buttons read "Oui" / "Non" once its French texts are installed (main.cpp).
    const auto answer = QMessageBox::question(
        this, windowTitle(), discardQuestion(waiting, QString::fromStdString(m_file->path().string())));
    return answer == QMessageBox::Yes;
}

void Velmorixon::closeEvent(QCloseEvent* event)
{
    // The title-bar close and Alt+F4 do nothing; only "Quitter" ends the program.
    if (m_quitting) {
        event->accept();
    } else {
        event->ignore();
    }
}

void Velmorixon::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Close) ||
        (event->key() == Qt::Key_F4 && event->modifiers() & Qt::AltModifier)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void Velmorixon::paintEvent(QPaintEvent*)
{
    struct FrameLine {
        int x1, y1, x2, y2;
        bool light;
    };
    // Light left and top edges, dark bottom and right, and the rule under the settings.
    static constexpr FrameLine kLines[] = {
        {120, 120, 120, 4200, true},     // Line1
        {5520, 120, 120, 120, true},     // Line2
        {120, 4200, 5520, 4200, false},  // Line3
        {5520, 120, 5520, 4200, false},  // Line4
        {120, 1320, 5520, 1320, false},  // Line5
    };
    QPainter painter(this);
    for (const FrameLine& line : kLines) {
        painter.setPen(line.light ? QColor(Qt::white) : palette().color(QPalette::WindowText));
        painter.drawLine(toPixels(line.x1), toPixels(line.y1), toPixels(line.x2),
                         toPixels(line.y2));
    }
}

// ---- acquisition ---------------------------------------------------------------------------

int Velmorixon::periodMs() const
{
    return static_cast<int>(std::lrint(static_cast<double>(Vitesse) * 1000.0));
}

void Velmorixon::armTick()
{
    TimeAquis->start(m_cycle->untilNextTick());
}

void Velmorixon::ReadMax187()
{
    Mesure = m_cycle->read();
    QCoreApplication::processEvents();
}

void Velmorixon::startAcquisition()
{
    if (m_cycle->running()) {
        return;
    }
    try {
        m_cycle->start(milliseconds{periodMs()});
    } catch (const std::system_error& e) {
        showPortMessage(QStringLiteral("Port parallèle %1 inaccessible : %2"), e);
        return;
    }
    sayAlarms([this](sys_seconds now, minutes offset) { return m_alarms.runEnded(now, offset); });  // the port back
    Xline = 610;
    BtnMax187->setEnabled(false);
    armTick();  // the first reading comes one period after the click
    Lvaleur->show();
    setAutoSizeText(Lmesure, QStringLiteral("0"));
    Lmesure->show();
    BtnStop->setEnabled(true);
    updateFileMessage();
    if (ChOkGraphe) {
        // Shown modal to the whole program, but without a nested event loop: the handler
        // returns and the ticks go on.
        Graph* graph = graphWindow();
        graph->setWindowModality(Qt::ApplicationModal);
        graph->show();
    }
}

void Velmorixon::sayAlarms(const std::function<std::vector<record::AlarmChange>(sys_seconds, minutes)>& watched)
{
    for (const record::AlarmChange& change : watched(m_platform.clock->utcNow(), m_platform.clock->utcOffset()))
        if (m_platform.notify) m_platform.notify(change.text);
}

void Velmorixon::endRun()
{
    TimeAquis->stop();
    sayAlarms([this](sys_seconds now, minutes offset) { return m_alarms.runEnded(now, offset); });
    m_cycle->stop();  // releases the port
    NumMes = static_cast<float>(m_cycle->number());
    FirstAnalyse = m_cycle->firstLineStartsFile();
}

void Velmorixon::stopAcquisition()
{
    endRun();
    BtnMax187->setEnabled(true);
    BtnStop->setEnabled(false);
    Lvaleur->hide();
    Lmesure->hide();
    graphWindow()->hide();
    BtnMax187->setFocus();
    updateFileMessage();
}

void Velmorixon::graphStopClicked()
{
    endRun();
    BtnMax187->setEnabled(true);
    Lvaleur->hide();
    Lmesure->hide();
    // The graph is discarded; this runs inside its button's click, so it goes later.
    if (Graph* graph = m_graph) {
        m_graph = nullptr;
        graph->close();
        graph->deleteLater();
    }
    updateFileMessage();
}

void Velmorixon::graphClosed()
{
    // The graph was closed by other means than a stop: it goes, and the acquisition goes on.
    if (auto* graph = qobject_cast<Graph*>(sender()); graph && graph == m_graph) {
        m_graph = nullptr;
        graph->deleteLater();
    }
}

bool Velmorixon::takeReading()
{
    try {
        ReadMax187();
        return true;
    } catch (const std::system_error& e) {
        stopAcquisition();
        // Said until the next start.
        sayAlarms([&](sys_seconds now, minutes offset) { return m_alarms.portFailed(now, offset, frenchReason(e.code())); });
        showPortMessage(QStringLiteral("Lecture arrêtée : port parallèle %1 inaccessible : %2"), e);
        return false;
    }
}

void Velmorixon::acquisitionTick()
{
    auto tick = m_cycle->beginTick();
    if (m_cycle->running()) {
        armTick();
    }
    // Nothing more when idle, when another tick still lets events run, when the read failed,
    // or when the run was stopped while the read let events run.
    if (!tick || !takeReading() || !tick->count()) {
        return;
    }
    NumMes = static_cast<float>(m_cycle->number());
    sayAlarms([this](sys_seconds now, minutes offset) {
        return m_alarms.reading(now, offset, int(Mesure), {0, {}, Latitude, Longitude, 0});
    });
    if (ChOkFile) {
        WriteDataLine(*tick);
    } else {
        retryFile();
    }
    if (ChOkGraphe) {
        showInGraph();
        if (!tick->current()) {
            return;
        }
    } else {
        setAutoSizeText(Lmesure, wholeText(Mesure));
    }
    QCoreApplication::processEvents();
}

void Velmorixon::periodChanged()
{
    Vitesse = static_cast<float>(HScroll1->value());
    LVitesse->setText(wholeText(Vitesse));
    m_cycle->setPeriod(milliseconds{periodMs()});
    if (m_cycle->running()) {
        armTick();  // the next tick comes one new period after the change
    } else {
        TimeAquis->setInterval(periodMs());
    }
    QCoreApplication::processEvents();
}

void Velmorixon::fileSwitchClicked()
{
    ChOkFile = OKfile->checkState() != Qt::Unchecked;
}

void Velmorixon::graphSwitchClicked()
{
    ChOkGraphe = OKgraphe->checkState() != Qt::Unchecked;
}

// ---- measurement file ----------------------------------------------------------------------

void Velmorixon::WriteDataLine(acquisition::AcquisitionCycle::Tick& tick)
{
    tick.writeLine();
    FirstAnalyse = m_cycle->firstLineStartsFile();
    updateFileMessage();
}

void Velmorixon::retryFile()
{
    m_cycle->retryWaitingLines();
    updateFileMessage();
}

void Velmorixon::updateCompanionMessage()
{
    const auto& failure = m_companion->lastFailure();
    if (!failure) {
        if (m_companionMessage) {
            m_companionMessage->close();
        }
        return;
    }
    const QString text = QString::fromStdString(companionWaits(*failure));
    if (!m_companionMessage) {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("companionMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        m_companionMessage = box;
        box->show();
    } else {
        m_companionMessage->setText(text);
    }
}

void Velmorixon::updateFileMessage()
{
    updateCompanionMessage();
    const std::size_t waiting = m_file->pendingLines();
    sayAlarms([&](sys_seconds now, minutes offset) {
        const auto& failure = m_file->lastFailure();
        return m_alarms.linesWaiting(now, offset, waiting, failure ? failureReason(*failure) : std::string());
    });
    if (waiting == 0) {
        m_fileRetry->stop();
        if (m_fileMessage) {
            m_fileMessage->close();
        }
        return;
    }
    // While a run ticks, each tick retries; otherwise the retry timer does.
    if (!m_cycle->needsIdleRetry()) {
        m_fileRetry->stop();
    } else if (!m_fileRetry->isActive()) {
        m_fileRetry->start();
    }
    const auto& failure = m_file->lastFailure();
    const QString text = QString::fromStdString(failure ? writeImpossible(*failure)
                                                        : "Écriture impossible dans " + m_file->path().string() + ".") +
                         QStringLiteral(" ") + waitingLinesNotice(waiting);
    if (!m_fileMessage) {
        auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(), text, QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("fileMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->setWindowFlag(Qt::WindowStaysOnTopHint);
        m_fileMessage = box;
        box->show();
    } else {
        m_fileMessage->setText(text);
    }
}

void Velmorixon::showPortMessage(const QString& pattern, const std::system_error& e)
{
    auto* box = new QMessageBox(QMessageBox::Warning, windowTitle(),
                                pattern.arg(QString::fromStdString(m_platform.portName),
                                            QString::fromStdString(frenchReason(e.code()))),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("portMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// ---- graph ---------------------------------------------------------------------------------

Graph* Velmorixon::graphWindow()
{
    if (!m_graph) {
        auto* graph = new Graph(*m_platform.clock);  // no owner, as the instrument always had it
        graph->setObjectName(QStringLiteral("Graph"));
        connect(graph, &Graph::stopClicked, this, &Velmorixon::graphStopClicked);
        connect(graph, &QDialog::finished, this, &Velmorixon::graphClosed);
        m_graph = graph;
    }
    return m_graph;
}

Graph* Velmorixon::existingGraph() const
{
    return m_graph;
}

void Velmorixon::showInGraph()
{
    Graph* graph = graphWindow();
    graph->GNumber->setText(wholeText(NumMes));
    graph->Gmesure->setText(wholeText(Mesure) + QStringLiteral(" mV"));
    graph->GTimeDate->setText(timeText(m_platform.clock->localNow()));
    PlotPoint();
}

void Velmorixon::PlotPoint()
{
    graphWindow()->plot(acquisition::plotStep(Xline, OldY, Mesure));
    QCoreApplication::processEvents();
}
