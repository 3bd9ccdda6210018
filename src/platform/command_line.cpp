#include "platform/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include <cstdio>

#include "record/calibration.h"

namespace {

constexpr int kUsageError = 2;

const char* const kUsage =
    "Utilisation : velmorixon [--port PÉRIPHÉRIQUE | --simulate] [--help] [--version]\n"
    "              velmorixon --journal [FICHIER]\n"
    "              velmorixon --bilan [DOSSIER] [--mois AAAA-MM]\n";

const char* const kHelp =
    "\n"
    "Mesure une tension avec un convertisseur MAX187 branché sur le port parallèle, l'enregistre\n"
    "et la trace, et donne la position du soleil et ses heures de lever et de coucher.\n"
    "\n"
    "Options :\n"
    "  --port PÉRIPHÉRIQUE  port parallèle du convertisseur (par défaut /dev/parport0)\n"
    "  --simulate           convertisseur simulé, sans matériel\n"
    "  --journal [FICHIER]  ouvre seul le journal des mesures du fichier (par défaut celui\n"
    "                       du jour dans ~/velmorixon/), sans lire le convertisseur\n"
    "  --bilan [DOSSIER]    écrit le bilan du mois en CSV sur la sortie standard, sans\n"
    "                       affichage (par défaut le dossier ~/velmorixon/)\n"
    "  --mois AAAA-MM       le mois du bilan (par défaut le mois en cours)\n"
    "  -h, --help           affiche cette aide et quitte\n"
    "  --version            affiche la version et quitte\n"
    "\n"
    "Sans argument, le convertisseur est lu sur le premier port parallèle.\n";

CommandLine usageError(const QString& reason)
{
    CommandLine result;
    result.exit = CommandLineExit{
        kUsageError, {}, ("velmorixon : " + reason + "\n").toStdString() + kUsage};
    return result;
}

/// --bilan [DOSSIER] [--mois AAAA-MM], alone.
CommandLine monthReport(const QCommandLineParser& parser, const QStringList& positional,
                        const QCommandLineOption& month)
{
    for (const char* other : {"port", "simulate", "journal"})
        if (parser.isSet(other))
            return usageError(QString("« --bilan » ne va pas avec « --%1 »").arg(other));
    CommandLine result;
    result.bilan.emplace();
    if (!positional.isEmpty()) result.bilan->folder = positional.first().toLatin1().toStdString();
    if (!positional.isEmpty() && result.bilan->folder.empty())
        return usageError("l'option « --bilan » attend un nom de dossier, ou aucun");
    if (parser.isSet(month)) {
        const QStringList values = parser.values(month);
        const QString text = values.last();
        bool yearRead = false, monthRead = false;
        const int y = text.left(4).toInt(&yearRead);
        const int m = text.mid(5).toInt(&monthRead);
        if (values.size() > 1 || text.size() != 7 || text[4] != '-' || !yearRead || !monthRead || m < 1 || m > 12 ||
            !text[0].isDigit() || !text[5].isDigit())
            return usageError(QString("mois « %1 » illisible : attendu AAAA-MM, par exemple 2026-06").arg(shownArgument(text)));
        if (y < record::kFirstYear || y > record::kLastYear)
            return usageError(QString("mois « %1 » hors des années que l'instrument peut avoir mesurées (%2 à %3)")
                                  .arg(text).arg(record::kFirstYear).arg(record::kLastYear));
        result.bilan->month = std::chrono::year{y} / std::chrono::month{unsigned(m)};
    }
    return result;
}

}  // namespace

QStringList latin1Arguments(const std::vector<std::string>& bytes)
{
    QStringList arguments;
    for (const std::string& argument : bytes)
        arguments << QString::fromLatin1(argument.data(), static_cast<qsizetype>(argument.size()));
    return arguments;
}

QString shownArgument(const QString& bytes) { return QString::fromUtf8(bytes.toLatin1()); }

QString typedOption(const QStringList& arguments, const QString& name)
{
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            break;
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        const qsizetype dashes = option.startsWith(QLatin1String("--")) ? 2 : option.startsWith('-') ? 1 : 0;
        if (dashes > 0 && QStringView(option).sliced(dashes) == name)
            return shownArgument(option);
    }
    return (name.size() == 1 ? "-" : "--") + shownArgument(name);
}

QString repeatedOption(const QStringList& given)
{
    for (const QString& name : given)
        if (given.count(name) > 1)
            return QString("l'option « %1%2 » est donnée plusieurs fois").arg(name.size() == 1 ? "-" : "--", name);
    return {};
}

CommandLine parseCommandLine(const std::vector<std::string>& bytes, const QString& version)
{
    QStringList arguments;
    for (const QString& text : latin1Arguments(bytes)) {
        if (arguments.size() > 0 && (text.startsWith(QLatin1String("--journal=")) ||
                                     text.startsWith(QLatin1String("-journal=")))) {
            arguments << text.section(QLatin1Char('='), 0, 0) << text.section(QLatin1Char('='), 1);
            continue;
        }
        arguments << text;
    }
    QCommandLineParser parser;
    // "-simulate" reads as "--simulate", not as six one-letter options.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", {}, "PÉRIPHÉRIQUE");
    const QCommandLineOption simulate("simulate");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption showVersion("version");
    const QCommandLineOption journal("journal");
    const QCommandLineOption bilan("bilan");
    const QCommandLineOption month("mois", {}, "AAAA-MM");
    parser.addOptions({port, simulate, help, showVersion, journal, bilan, month});

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(QString("option inconnue « %1 »").arg(typedOption(arguments, unknown.first())));
        // The options that take a value: --port and --mois.
        if (parser.errorText().contains("mois")) return usageError("l'option « --mois » attend un mois AAAA-MM");
        return usageError("l'option « --port » attend un nom de périphérique");
    }
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty() && !((parser.isSet(journal) || parser.isSet(bilan)) && positional.size() == 1))
        return usageError(
            QString("argument inattendu « %1 »").arg(shownArgument(positional.first())));
    if (const QString repeated = repeatedOption(parser.optionNames()); !repeated.isEmpty()) return usageError(repeated);

    CommandLine result;
    if (parser.isSet(help)) {
        result.exit = CommandLineExit{0, std::string(kUsage) + kHelp, {}};
        return result;
    }
    if (parser.isSet(showVersion)) {
        result.exit = CommandLineExit{0, ("velmorixon " + version + "\n").toStdString(), {}};
        return result;
    }
    if (parser.isSet(bilan)) return monthReport(parser, positional, month);
    if (parser.isSet(month)) return usageError("« --mois » va avec « --bilan »");
    if (parser.isSet(journal)) {
        if (parser.isSet(port) || parser.isSet(simulate))
            return usageError("« --journal » ne lit pas le convertisseur : ni « --port » ni « --simulate » avec lui");
        result.journal = positional.isEmpty() ? std::string() : positional.first().toLatin1().toStdString();
        if (positional.size() == 1 && result.journal->empty())
            return usageError("l'option « --journal » attend un nom de fichier, ou aucun");
        return result;
    }
    if (parser.isSet(port)) {
        const QStringList devices = parser.values(port);
        if (parser.isSet(simulate))
            return usageError("« --port » et « --simulate » ne vont pas ensemble");
        if (devices.first().isEmpty())
            return usageError("l'option « --port » attend un nom de périphérique");
        result.device = devices.first().toLatin1().toStdString();
    }
    result.simulate = parser.isSet(simulate);
    return result;
}

int answer(const CommandLineExit& exit)
{
    std::fputs(exit.standardOutput.c_str(), stdout);
    std::fputs(exit.standardError.c_str(), stderr);
    return exit.code;
}
