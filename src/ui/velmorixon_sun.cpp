// The sun half of the main window: time-zone state, site list with the day's sun times, and
// the once-a-second tracking of the sun's altitude and azimuth.
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <cmath>

#include "astro/sun_position.h"
#include "platform/regional_text.h"
#include "ui/velmorixon.h"

namespace {

constexpr std::chrono::milliseconds kTrackingInterval{1000};

// The hour offset the instrument has always used: a French clock in summer.
constexpr std::int32_t kDefaultCorrectionHeure = 2;

QString captionOf(double degrees)
{
    return QString::fromStdString(astro::dmsCaption(degrees));
}

}  // namespace

clsSunrise& Velmorixon::calcSun()
{
    if (!CalcSun) {
        // The calculator's date is fixed here, once: the sun times belong to the start-up day.
        CalcSun = std::make_unique<clsSunrise>(
            std::chrono::floor<std::chrono::seconds>(m_platform.clock->localNow()));
        CalcSun->setSiteLink([this](double latitude, double longitude) {
            Latitude = latitude;
            Longitude = longitude;
        });
    }
    return *CalcSun;
}

void Velmorixon::connectSunHandlers()
{
    connect(BtnCalc, &QPushButton::clicked, this, &Velmorixon::startTracking);
    connect(BtnStopCalc, &QPushButton::clicked, this, &Velmorixon::stopTracking);
    connect(TCalcSun, &QTimer::timeout, this, &Velmorixon::sunTick);
    // The current row changes once for each way a site is chosen: setCurrentRow at start-up,
    // a click on another entry, the arrow keys. Clicking the entry already chosen would only
    // repeat the same texts (the calculator's date, daylight flag and site are unchanged).
    connect(Lville, &QListWidget::currentRowChanged, this, &Velmorixon::siteSelected);
}

void Velmorixon::fillSiteList()
{
    const clsSunrise& calc = calcSun();
    for (std::int32_t i = 0; i < calc.CityCount(); ++i) {
        Lville->addItem(QString::fromStdString(calc.CityName(i)));
    }
}

void Velmorixon::setSunConstants()
{
    Pi = 4 * std::atan(1.0);
    // The local clock's distance from universal time at start-up, in whole hours (halves to
    // even). A zone the system could not describe still has its offset, unless even the local
    // time could not be read; then the instrument's historical 2 hours stand.
    const bool offsetKnown =
        m_zone.state != ZoneState::Unknown || m_zone.utcOffset != std::chrono::seconds{0};
    Correction_Heure = offsetKnown
        ? static_cast<std::int32_t>(std::nearbyint(double(m_zone.utcOffset.count()) / 3600.0))
        : kDefaultCorrectionHeure;
}

void Velmorixon::QuelFuseau()
{
    m_zone = m_platform.queryZone ? m_platform.queryZone() : ZoneInfo{};
    QString caption;
    switch (m_zone.state) {
    case ZoneState::NoRule: caption = QStringLiteral("pas de fuseau"); break;
    case ZoneState::Standard: caption = QStringLiteral("Heure d'hiver"); break;
    case ZoneState::Daylight: caption = QStringLiteral("Heure d'été"); break;
    case ZoneState::Unknown: return;  // nothing created, nothing written
    }
    calcSun().DaySavings(m_zone.state == ZoneState::Daylight);
    Lzone->setText(caption);
}

void Velmorixon::CalcPosSun()
{
    const auto now = std::chrono::floor<std::chrono::seconds>(m_platform.clock->localNow());
    const astro::HorizontalPosition sun =
        astro::sunPosition(now, Correction_Heure, Longitude, Latitude, Pi);
    Lalt->setText(captionOf(sun.altitude));
    Lazt->setText(captionOf(sun.azimuth));
    QCoreApplication::processEvents();
}

void Velmorixon::startTracking()
{
    BtnCalc->setEnabled(false);
    BtnStopCalc->setEnabled(true);
    TCalcSun->start(kTrackingInterval);  // the first position comes one interval later
}

void Velmorixon::stopTracking()
{
    TCalcSun->stop();
    BtnCalc->setEnabled(true);
    BtnStopCalc->setEnabled(false);
}

void Velmorixon::sunTick()
{
    CalcPosSun();
}

void Velmorixon::siteSelected()
{
    const std::int32_t index = Lville->currentRow();  // -1 when no entry is chosen
    clsSunrise& calc = calcSun();
    calc.City(static_cast<double>(index));
    if (index >= 0) {
        m_cycle->setSite(calc.CityName(index), Latitude, Longitude);
    }
    calc.CalculateSun();
    const QLocale locale;
    LLever->setText(regionalDateTime(calc.Sunrise(), locale));
    Lmidi->setText(regionalDateTime(calc.SolarNoon(), locale));
    Lcoucher->setText(regionalDateTime(calc.Sunset(), locale));
    repaint();
    QCoreApplication::processEvents();
}
