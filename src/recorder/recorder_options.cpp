// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 Velmorixon developers
#include "recorder/recorder_options.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

namespace {

const char* const kUsage =
    "Utilisation : velmorixon-enregistreur [--port PÉRIPHÉRIQUE | --simulate] [--periode SECONDES]\n"
    "                                      [--site SITE] [--dossier DOSSIER] [--alarme COMMANDE]\n"
    "                                      [--help] [--version]\n";

const char* const kHelp =
    "\n"
    "Enregistre sans fenêtre les mesures du convertisseur MAX187 dans le fichier du jour, comme\n"
    "la fenêtre principale, et passe au fichier du jour suivant à minuit. Chaque événement (début,\n"
    "nouveau jour, erreur et sa fin, alarme et sa fin, arrêt) est écrit sur une ligne de la sortie\n"
    "d'erreur. Alarmes : capteur saturé (4095 mV pendant une minute), mesure figée alors que le\n"
    "soleil bouge, port perdu, lignes en attente d'écriture.\n"
    "SIGTERM ou SIGINT (Ctrl+C) arrête la série et termine le programme.\n"
    "\n"
    "Options :\n"
    "  --port PÉRIPHÉRIQUE  port parallèle du convertisseur (par défaut /dev/parport0)\n"
    "  --simulate           convertisseur simulé, sans matériel\n"
    "  --periode SECONDES   une mesure toutes les SECONDES, de 1 à 60 (par défaut 1)\n"
    "  --site SITE          site d'observation, par son nom ou son numéro (par défaut Chelles) :\n";

const char* const kHelpEnd =
    "  --dossier DOSSIER    dossier des fichiers de mesures (par défaut ~/velmorixon)\n"
    "  --alarme COMMANDE    lance COMMANDE, la ligne de chaque alarme et de sa fin pour seul\n"
    "                       argument (un courriel, un message)\n"
    "  -h, --help           affiche cette aide et quitte\n"
    "  --version            affiche la version et quitte\n";

RecorderOptions usageError(const QString& reason)
{
    RecorderOptions result;
    result.exit = CommandLineExit{2, {}, ("velmorixon-enregistreur : " + reason + "\n").toStdString() + kUsage};
    return result;
}

std::string helpText()
{
    std::string text = std::string(kUsage) + kHelp;
    for (const record::ObservingSite& site : record::observingSites())
        text += (site.index < 9 ? "                        " : "                       ") +
                std::to_string(site.index + 1) + " " + site.name + "\n";
    return text + kHelpEnd;
}

}  // namespace

RecorderOptions parseRecorderOptions(const std::vector<std::string>& bytes, const QString& version)
{
    // A device or a folder keeps its bytes.
    const QStringList arguments = latin1Arguments(bytes);
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption port("port", {}, "PÉRIPHÉRIQUE");
    const QCommandLineOption simulate("simulate");
    const QCommandLineOption period("periode", {}, "SECONDES");
    const QCommandLineOption site("site", {}, "SITE");
    const QCommandLineOption folder("dossier", {}, "DOSSIER");
    const QCommandLineOption alarm("alarme", {}, "COMMANDE");
    const QCommandLineOption help(QStringList{"h", "help"});
    const QCommandLineOption showVersion("version");
    parser.addOptions({port, simulate, period, site, folder, alarm, help, showVersion});

    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (!unknown.isEmpty())
            return usageError(QString("option inconnue « %1 »").arg(typedOption(arguments, unknown.first())));
        for (const QString name : {"port", "periode", "site", "dossier", "alarme"})
            if (parser.errorText().contains("'--" + name + "'"))
                return usageError(QString("l'option « --%1 » attend une valeur").arg(name));
        return usageError(parser.errorText());
    }
    if (!parser.positionalArguments().isEmpty())
        return usageError(QString("argument inattendu « %1 »").arg(shownArgument(parser.positionalArguments().first())));
    if (const QString repeated = repeatedOption(parser.optionNames()); !repeated.isEmpty()) return usageError(repeated);

    RecorderOptions result;
    if (parser.isSet(help) || parser.isSet(showVersion)) {
        const std::string text = parser.isSet(help) ? helpText() : ("velmorixon-enregistreur " + version + "\n").toStdString();
        result.exit = CommandLineExit{0, text, {}};
        return result;
    }
    if (parser.isSet(port) && parser.isSet(simulate))
        return usageError("« --port » et « --simulate » ne vont pas ensemble");
    if (parser.isSet(port) && parser.value(port).isEmpty())
        return usageError("l'option « --port » attend un nom de périphérique");
    if (parser.isSet(folder) && parser.value(folder).isEmpty())
        return usageError("l'option « --dossier » attend un nom de dossier");
    if (parser.isSet(alarm) && parser.value(alarm).isEmpty())
        return usageError("l'option « --alarme » attend une commande");
    result.alarmCommand = parser.value(alarm).toLatin1().toStdString();
    if (parser.isSet(port))
        result.device = parser.value(port).toLatin1().toStdString();
    result.simulate = parser.isSet(simulate);
    result.folder = parser.value(folder).toLatin1().toStdString();

    bool whole = false;
    const QString seconds = parser.value(period);
    result.periodSeconds = parser.isSet(period) ? seconds.toInt(&whole) : 1;
    if (parser.isSet(period) && (!whole || result.periodSeconds < 1 || result.periodSeconds > 60))
        return usageError(QString("période « %1 » refusée : un nombre entier de secondes de 1 à 60 est attendu").arg(shownArgument(seconds)));

    const std::vector<record::ObservingSite> sites = record::observingSites();
    const QString siteText = parser.isSet(site) ? parser.value(site) : QString("Chelles");
    const int number = siteText.toInt(&whole);
    const auto named = record::siteNamed(siteText.toLatin1().toStdString());
    if (whole && number >= 1 && number <= int(sites.size()))
        result.site = sites[std::size_t(number - 1)];
    else if (!whole && named)
        result.site = *named;
    else
        return usageError(QString("site « %1 » inconnu : donnez son nom ou son numéro de 1 à %2 (voir --help)")
                              .arg(shownArgument(siteText)).arg(sites.size()));
    return result;
}
