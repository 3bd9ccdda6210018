#pragma once
// The main window: switches, period, start/stop/quit, clock, time zone, site list with the day's
// sun times, and the sun's position. It owns the program's state in the members below.
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

#include "acquisition/acquisition_cycle.h"
#include "acquisition/measurement_file.h"
#include "astro/cls_sunrise.h"
#include "platform/platform.h"
#include "record/alarm_watch.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QMessageBox;
class QPushButton;
class QScrollBar;
class QTimer;
class Graph;

class Velmorixon : public QWidget {
    Q_OBJECT
public:
    explicit Velmorixon(Platform platform, QWidget* parent = nullptr);
    ~Velmorixon() override;

    // ---- controls, named as on the instrument (member name == objectName) -----------------
    QCheckBox* OKgraphe;
    QCheckBox* OKfile;
    QLabel* Label1;
    QLabel* LVitesse;
    QLabel* Label2;
    QScrollBar* HScroll1;
    QLabel* Label3;
    QLabel* LfileName;
    QLabel* Lzone;
    QLabel* Lheure;
    QLabel* Label4;
    QLabel* Label5;
    QListWidget* Lville;
    QLabel* LLever;
    QLabel* Label7;
    QLabel* Lmidi;
    QLabel* Label8;
    QLabel* Lmesure;
    QLabel* Lvaleur;
    QLabel* Lcoucher;
    QLabel* Label10;
    QLabel* label9;
    QLabel* Lazt;
    QLabel* Lalt;
    QPushButton* BtnMax187;
    QPushButton* BtnStop;
    QPushButton* BtnQuit;
    QPushButton* BtnCalc;
    QPushButton* BtnStopCalc;
    QTimer* Timer1;
    QTimer* TCalcSun;
    QTimer* TimeAquis;

    // ---- the program's shared state -------------------------------------------------
    double Pi = 0;
    std::int32_t Correction_Heure = 0;
    double Longitude = 0;
    double Latitude = 0;
    std::unique_ptr<clsSunrise> CalcSun;
    float NumMes = 1;
    bool FirstAnalyse = true;
    double Mesure = 0;
    std::string FileUnit;
    std::string FilePath;
    std::string FileName;
    std::string FullFile;
    float Vitesse = 1;
    float Xline = 0;
    std::int16_t OldY = 0;
    bool ChOkFile = false;
    bool ChOkGraphe = false;

    // ---- operations --------------------------------------------------------------------
    /// One conversion through the port into Mesure, then events run. Throws std::system_error
    /// when the port fails (the run is then over and the port released).
    void ReadMax187();
    void QuelFuseau();
    void CalcPosSun();
    /// The tick's line into the measurement file.
    void WriteDataLine(acquisition::AcquisitionCycle::Tick& tick);
    void PlotPoint();

    /// The graph window, created hidden when absent.
    Graph* graphWindow();
    /// The graph window if it exists, else nullptr (never creates it).
    Graph* existingGraph() const;

public slots:
    // Handlers. The timers' slots only call these, so tests drive them with a fake clock.
    void clockTick();            // Timer1
    void quit();                 // BtnQuit
    void startAcquisition();     // BtnMax187
    void stopAcquisition();      // BtnStop
    void acquisitionTick();      // TimeAquis
    void periodChanged();        // HScroll1
    void fileSwitchClicked();    // OKfile
    void graphSwitchClicked();   // OKgraphe
    void graphStopClicked();     // Graph::BtnStop
    void startTracking();        // BtnCalc
    void stopTracking();         // BtnStopCalc
    void sunTick();              // TCalcSun
    void siteSelected();         // Lville

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    /// Asked by quit() when measurement lines could not be written yet: true drops them.
    virtual bool confirmDiscard(std::size_t waiting);

private:
    // velmorixon_sun.cpp: the sun half of the window
    clsSunrise& calcSun();       // created on first use
    void connectSunHandlers();   // BtnCalc, BtnStopCalc, TCalcSun, Lville
    void fillSiteList();         // start-up: Lville from the calculator's table
    void setSunConstants();      // start-up: Pi and Correction_Heure

    Platform m_platform;
    ZoneInfo m_zone;             // read once by QuelFuseau
    // velmorixon.cpp: acquisition, file, graph
    std::unique_ptr<acquisition::MeasurementFile> m_file;
    std::unique_ptr<acquisition::CompanionFile> m_companion;  // the runs' events beside m_file
    std::unique_ptr<acquisition::AcquisitionCycle> m_cycle;
    /// The alarms of the run under way, said on the desktop as they begin and end.
    record::AlarmWatch m_alarms;
    QPointer<Graph> m_graph;
    QPointer<QMessageBox> m_fileMessage;
    QPointer<QMessageBox> m_companionMessage;
    bool m_quitting = false;
    QTimer* m_fileRetry = nullptr;  // writes waiting lines again while no run is ticking

    int periodMs() const;
    void armTick();  // TimeAquis for the cycle's due tick
    void endRun();
    /// Says each alarm begun or ended (Platform::notify); `watched` is given the present
    /// instant and UTC offset.
    void sayAlarms(const std::function<std::vector<record::AlarmChange>(std::chrono::sys_seconds, std::chrono::minutes)>& watched);
    bool takeReading();  // ReadMax187; a port failure stops the run and says so
    void showInGraph();
    void graphClosed();
    void retryFile();
    void updateFileMessage();
    void updateCompanionMessage();
    void showPortMessage(const QString& pattern, const std::system_error& e);
};
