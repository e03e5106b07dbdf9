// catalogue: the installer's own projector models, beside the shipped catalogue.
#include "app_paths.h"
#include "catalogue/user_catalogue.h"
#include "cli/cli_command.h"
#include "files/atomic_write.h"

#include <QCommandLineParser>

namespace ondrel::cli {
namespace {

const QString kName = QStringLiteral("catalogue");

int failed(const QString& message) {
    err(message.endsWith(QLatin1Char('\n')) ? message : message + QLatin1Char('\n'));
    return ExitFailure;
}

int listModels(const QStringList& args) {
    if (args != QStringList{} && args != QStringList{QStringLiteral("--user")})
        return usageError(kName, QStringLiteral("list takes only --user"));
    if (args.isEmpty()) {
        const Catalogue catalogue(catalogPath(), userCataloguePath());
        const auto makers = catalogue.manufacturers();
        if (!makers)
            return failed(makers.error().message);
        for (const QString& maker : makers.value()) {
            const auto models = catalogue.models(maker);
            if (!models)
                return failed(models.error().message);
            for (const QString& model : models.value())
                out(QStringLiteral("%1\t%2%3\n")
                        .arg(maker, model,
                             catalogue.isUserModel(maker, model) ? QStringLiteral("\town")
                                                                 : QString()));
        }
        return ExitOk;
    }
    const UserCatalogue own(userCataloguePath());
    const auto models = own.models();
    if (!models)
        return failed(models.error().message);
    for (const auto& [maker, model] : models.value())
        out(QStringLiteral("%1\t%2\n").arg(maker, model));
    return ExitOk;
}

int importModels(const QStringList& files) {
    if (files.isEmpty())
        return usageError(kName, QStringLiteral("import expects one or more model files"));
    const Catalogue shipped(catalogPath());
    const auto names = shipped.commandNames();
    if (!names)
        return failed(names.error().message);
    // Every file is checked before anything is stored: one bad file stores nothing.
    const auto read = readModelFiles(files, names.value());
    if (!read)
        return failed(read.error().message + QStringLiteral("\nNothing was imported."));
    const QList<ModelDefinition>& models = read.value();
    UserCatalogue own(userCataloguePath());
    if (const Status stored = own.store(models); !stored)
        return failed(stored.error().message);
    for (const ModelDefinition& m : models)
        out(QStringLiteral("Imported %1 %2 (%3 commands)\n")
                .arg(m.manufacturer, m.model)
                .arg(m.commands.size()));
    return ExitOk;
}

int exportModel(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption output(QStringLiteral("o"), QString(), QStringLiteral("FILE"));
    parser.addOption(output);
    if (!parser.parse(QStringList{kName} + args))
        return usageError(kName, parser.errorText());
    if (parser.positionalArguments().size() != 2)
        return usageError(kName, QStringLiteral("export expects MAKER MODEL"));
    const QString maker = parser.positionalArguments()[0], model = parser.positionalArguments()[1];
    const Catalogue catalogue(catalogPath(), userCataloguePath());
    const auto definition = readModelDefinition(catalogue, maker, model);
    if (!definition)
        return failed(definition.error().message);
    if (!definition.value())
        return failed(QStringLiteral("The catalogue has no model %1 %2.").arg(maker, model));
    const QString text = writeModelFile(*definition.value());
    if (!parser.isSet(output)) {
        out(text);
        return ExitOk;
    }
    const QString path = parser.value(output);
    if (const Status written = writeFileAtomically(path, text.toUtf8()); !written)
        return failed(QStringLiteral("%1: %2").arg(path, written.error().message));
    out(QStringLiteral("Exported %1 %2 to %3\n").arg(maker, model, path));
    return ExitOk;
}

int removeModel(const QStringList& args) {
    if (args.size() != 2)
        return usageError(kName, QStringLiteral("remove expects MAKER MODEL"));
    UserCatalogue own(userCataloguePath());
    if (const Status removed = own.remove(args[0], args[1]); !removed)
        return failed(removed.error().message);
    out(QStringLiteral("Removed %1 %2\n").arg(args[0], args[1]));
    return ExitOk;
}

int runCatalogue(const QStringList& args) {
    const QString action = args.value(0);
    const QStringList rest = args.mid(1);
    if (action == QLatin1String("list"))
        return listModels(rest);
    if (action == QLatin1String("import"))
        return importModels(rest);
    if (action == QLatin1String("export"))
        return exportModel(rest);
    if (action == QLatin1String("remove"))
        return removeModel(rest);
    return usageError(kName, QStringLiteral("expects list, import, export or remove"));
}

} // namespace

ONDREL_CLI_COMMAND(
    catalogue,
    {kName,
     QStringLiteral("list [--user] | import FILE... | export MAKER MODEL [-o FILE] | remove MAKER "
                    "MODEL"),
     QStringLiteral("Lists, imports, exports and removes projector models."),
     QStringLiteral(
         "Your own models live in a catalogue file of your own (%1),\n"
         "read together with the shipped Proj.qdb by every window and command.\n"
         "  list            every model, manufacturer and model separated by a tab; \"own\"\n"
         "                  marks yours. --user lists only yours.\n"
         "  import FILE...  adds .ondrel-model files, each replacing an own model of the same\n"
         "                  names. Every file is checked whole first; any fault (FILE:LINE:\n"
         "                  message) imports nothing.\n"
         "  export          writes a model, shipped or own, as a model file (to standard\n"
         "                  output, or to FILE with -o).\n"
         "  remove          removes an own model; a shipped model of the same names shows again.")
         .arg(QStringLiteral("$XDG_DATA_HOME/Ondrel/catalogue.qdb")),
     runCatalogue});

} // namespace ondrel::cli
