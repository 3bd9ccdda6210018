#include "platform/regional_text.h"

#include <QDate>
#include <QTime>
#include <chrono>
#include <vector>

namespace {

// One piece of a Qt date-time format: a run of one pattern letter ("HH", "mm", "AP"), a quoted
// literal ('h'), or other literal characters (":", ". ").
struct FormatPiece {
    QString text;
    bool pattern = false;  // a run of pattern letters, not literal text
    bool quoted = false;
};

std::vector<FormatPiece> splitFormat(const QString& format)
{
    std::vector<FormatPiece> pieces;
    qsizetype i = 0;
    while (i < format.size()) {
        const QChar c = format[i];
        qsizetype end = i + 1;
        FormatPiece piece;
        if (c == u'\'') {
            // up to the closing quote; '' inside a quoted text is a quote character
            while (end < format.size()) {
                if (format[end] == u'\'') {
                    if (end + 1 < format.size() && format[end + 1] == u'\'') {
                        end += 2;
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
            piece.quoted = true;
        } else if (c.isLetter()) {
            while (end < format.size() && format[end] == c) ++end;
            piece.pattern = true;
        } else {
            while (end < format.size() && !format[end].isLetter() && format[end] != u'\'') ++end;
        }
        piece.text = format.mid(i, end - i);
        pieces.push_back(piece);
        i = end;
    }
    return pieces;
}

bool isPattern(const FormatPiece& piece, QChar letter)
{
    return piece.pattern && piece.text.front() == letter;
}

// The long time format less its time-zone name ("HH:mm:ss t" -> "HH:mm:ss").
QString longFormatWithoutZone(const QLocale& locale)
{
    QString format;
    for (const FormatPiece& piece : splitFormat(locale.timeFormat(QLocale::LongFormat))) {
        if (!isPattern(piece, u't')) format += piece.text;
    }
    return format.simplified();
}

}  // namespace

QString timeFormatWithSeconds(const QLocale& locale)
{
    const QString shortFormat = locale.timeFormat(QLocale::ShortFormat);
    std::vector<FormatPiece> pieces = splitFormat(shortFormat);
    for (const FormatPiece& piece : pieces) {
        if (isPattern(piece, u's')) return shortFormat;
    }
    // hours, a plain separator, minutes: the same separator then goes before the seconds
    for (std::size_t i = 2; i < pieces.size(); ++i) {
        const FormatPiece& separator = pieces[i - 1];
        const bool hours = isPattern(pieces[i - 2], u'h') || isPattern(pieces[i - 2], u'H');
        if (hours && isPattern(pieces[i], u'm') && !separator.pattern && !separator.quoted &&
            !separator.text.trimmed().isEmpty()) {
            pieces.insert(pieces.begin() + std::ptrdiff_t(i) + 1,
                          {FormatPiece{separator.text}, FormatPiece{QStringLiteral("ss"), true}});
            QString format;
            for (const FormatPiece& piece : pieces) format += piece.text;
            return format;
        }
    }
    return longFormatWithoutZone(locale);
}

QString regionalDateTime(astro::DateTime value, const QLocale& locale)
{
    using namespace std::chrono;
    const local_days day = floor<days>(value);
    const year_month_day ymd{day};
    const QDate date(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())));
    const QString dateText = locale.toString(date, locale.dateFormat(QLocale::ShortFormat));
    if (value == day) return dateText;

    const hh_mm_ss<seconds> clock{value - day};
    const QTime time(int(clock.hours().count()), int(clock.minutes().count()),
                     int(clock.seconds().count()));
    return dateText + u' ' + locale.toString(time, timeFormatWithSeconds(locale));
}
