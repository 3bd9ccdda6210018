#pragma once
// Date-times as the user's regional settings write them, for the sun-time boxes.
#include <QLocale>
#include <QString>

#include "astro/date_time.h"

/// The locale's short date, a blank, then the time with seconds in the locale's own hour
/// convention (24-hour, or 12-hour with its AM/PM marker); the date alone when the time is
/// exactly 00:00:00. French: "21/06/2006 05:49:09", "22/06/2006".
QString regionalDateTime(astro::DateTime value, const QLocale& locale);

/// The locale's short time format with the seconds added after the minutes, with the
/// locale's own separator ("HH:mm" -> "HH:mm:ss", "h:mm AP" -> "h:mm:ss AP", "H.mm" ->
/// "H.mm.ss"). A locale whose hours and minutes are not joined by a plain separator gets its
/// long time format without the time-zone name.
QString timeFormatWithSeconds(const QLocale& locale);
