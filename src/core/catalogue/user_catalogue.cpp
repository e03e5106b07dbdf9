#include "catalogue/user_catalogue.h"
#include "files/input_file.h"

#include "app_paths.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace ondrel {

namespace {

QAtomicInteger<quint64> userConnections;

// The shipped catalogue's tables; protocal gains a column per command as models need them.
const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS Manufacturers (Manufacturer TEXT NOT NULL COLLATE NOCASE)",
    "CREATE TABLE IF NOT EXISTS make (manufacturer TEXT NOT NULL COLLATE NOCASE, model TEXT NOT "
    "NULL COLLATE NOCASE, protocal INTEGER NOT NULL, rs_232Setup INTEGER NOT NULL, Present_As "
    "INTEGER NOT NULL)",
    "CREATE TABLE IF NOT EXISTS CommSettup (rs_232Option INTEGER PRIMARY KEY, baudRate INTEGER "
    "NOT NULL, bits INTEGER NOT NULL, stopBits INTEGER NOT NULL, parity TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS protocal (protocalNumber INTEGER PRIMARY KEY)",
    "CREATE TABLE IF NOT EXISTS available (Commands TEXT NOT NULL COLLATE NOCASE, mask TEXT NOT "
    "NULL)",
    "CREATE TABLE IF NOT EXISTS replies (protocalNumber INTEGER PRIMARY KEY, rules TEXT NOT NULL)"};

QString quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// Runs `sql` with `values` bound in order; the query is left on its result.
bool run(QSqlQuery& query, const QString& sql, const QVariantList& values = {}) {
    if (!query.prepare(sql))
        return false;
    for (const QVariant& v : values)
        query.addBindValue(v);
    return query.exec();
}

// Deletes an own model's protocol rows, its commands and its replies (the model's row stays).
bool deleteProtocol(QSqlQuery& query, const QString& manufacturer, const QString& model) {
    for (const char* table : {"protocal", "replies"})
        if (!run(query,
                 QStringLiteral("DELETE FROM %1 WHERE protocalNumber IN (SELECT protocal FROM make "
                                "WHERE manufacturer = ? AND model = ?)")
                     .arg(QLatin1String(table)),
                 {manufacturer, model}))
            return false;
    return true;
}

} // namespace

QString userCataloguePath() {
    return QDir(userDataFolder()).filePath(QStringLiteral("catalogue.qdb"));
}

UserCatalogue::UserCatalogue(const QString& path)
    : path_(path),
      connection_(
          QStringLiteral("ondrel-user-catalogue-%1").arg(userConnections.fetchAndAddRelaxed(1))) {
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        openError_ = failure(QStringLiteral("its folder cannot be created."));
        return;
    }
    auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    // Another process importing holds the file for a moment: wait for it rather than fail.
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    if (!db.open()) {
        openError_ = failure(db.lastError().text());
        return;
    }
    const Status created = inTransaction([&]() -> Status {
        QSqlQuery query(db);
        for (const char* statement : kSchema)
            if (!query.exec(QString::fromLatin1(statement)))
                return failure(query.lastError().text());
        return Ok{};
    });
    if (!created)
        openError_ = created.error();
}

UserCatalogue::~UserCatalogue() {
    if (QSqlDatabase::contains(connection_)) {
        QSqlDatabase::database(connection_, false).close();
        QSqlDatabase::removeDatabase(connection_);
    }
}

Error UserCatalogue::failure(const QString& detail) const {
    return makeError(QStringLiteral("Your projector catalogue %1 cannot be written: %2")
                         .arg(QDir::toNativeSeparators(path_), detail.trimmed()));
}

Status UserCatalogue::status() const {
    if (openError_)
        return *openError_;
    return Ok{};
}

Status UserCatalogue::inTransaction(const std::function<Status()>& work) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery query(db);
    // IMMEDIATE takes the write lock at once (waiting for the busy time-out), so two writers never
    // both read and then both fail to upgrade.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failure(query.lastError().text());
    const Status done = work();
    if (!done || !query.exec(QStringLiteral("COMMIT"))) {
        const Error error = done ? failure(query.lastError().text()) : done.error();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return error;
    }
    return Ok{};
}

Status UserCatalogue::store(const QList<ModelDefinition>& definitions) {
    if (openError_)
        return *openError_;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return inTransaction([&]() -> Status {
        QSqlQuery q(db);
        auto fail = [&] { return failure(q.lastError().text()); };
        // Columns protocal has so far.
        if (!q.exec(QStringLiteral("PRAGMA table_info(protocal)")))
            return fail();
        QStringList columns;
        while (q.next())
            columns << q.value(1).toString().toLower();
        for (const ModelDefinition& d : definitions) {
            for (const ModelCommand& c : d.commands) {
                if (columns.contains(c.name.toLower()))
                    continue;
                if (!q.exec(QStringLiteral("ALTER TABLE protocal ADD COLUMN %1 TEXT")
                                .arg(quoted(c.name))))
                    return fail();
                columns << c.name.toLower();
            }
            // A replaced model takes its protocol rows with it.
            if (!deleteProtocol(q, d.manufacturer, d.model) ||
                !run(q, QStringLiteral("DELETE FROM make WHERE manufacturer = ? AND model = ?"),
                     {d.manufacturer, d.model}))
                return fail();
            // Serial settings: the row with the same values, or a new one.
            const QVariantList settings = {d.baud, d.dataBits, d.stopBits, d.parity};
            if (!run(q,
                     QStringLiteral("SELECT rs_232Option FROM CommSettup WHERE baudRate = ? AND "
                                    "bits = ? AND stopBits = ? AND parity = ?"),
                     settings))
                return fail();
            qint64 option = 0;
            if (q.next()) {
                option = q.value(0).toLongLong();
            } else {
                if (!q.exec(QStringLiteral("SELECT MAX(rs_232Option) FROM CommSettup")) ||
                    !q.next())
                    return fail();
                option = std::max(q.value(0).toLongLong(), kUserNumberBase - 1) + 1;
                if (!run(q,
                         QStringLiteral("INSERT INTO CommSettup (rs_232Option, baudRate, bits, "
                                        "stopBits, parity) VALUES (?, ?, ?, ?, ?)"),
                         QVariantList{option} + settings))
                    return fail();
            }
            if (!q.exec(QStringLiteral("SELECT MAX(protocalNumber) FROM protocal")) || !q.next())
                return fail();
            const qint64 protocol = std::max(q.value(0).toLongLong(), kUserNumberBase - 1) + 1;
            QStringList names{QStringLiteral("protocalNumber")}, marks{QStringLiteral("?")};
            QVariantList cells{protocol};
            for (const ModelCommand& c : d.commands) {
                names << quoted(c.name);
                marks << QStringLiteral("?");
                cells << commandCell(c);
            }
            if (!run(q,
                     QStringLiteral("INSERT INTO protocal (%1) VALUES (%2)")
                         .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                     cells) ||
                !run(q,
                     QStringLiteral("INSERT INTO make (manufacturer, model, protocal, "
                                    "rs_232Setup, Present_As) VALUES (?, ?, ?, ?, ?)"),
                     {d.manufacturer, d.model, protocol, option, notationCode(d.presentAs)}))
                return fail();
            if (!d.replies.isEmpty() &&
                !run(q, QStringLiteral("INSERT INTO replies (protocalNumber, rules) VALUES (?, ?)"),
                     {protocol, d.replies}))
                return fail();
            if (!run(q,
                     QStringLiteral("INSERT INTO Manufacturers (Manufacturer) SELECT ? WHERE NOT "
                                    "EXISTS (SELECT 1 FROM Manufacturers WHERE Manufacturer = ?)"),
                     {d.manufacturer, d.manufacturer}))
                return fail();
        }
        return Ok{};
    });
}

Status UserCatalogue::remove(const QString& manufacturer, const QString& model) {
    if (openError_)
        return *openError_;
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    return inTransaction([&]() -> Status {
        QSqlQuery q(db);
        if (!deleteProtocol(q, manufacturer, model) ||
            !run(q, QStringLiteral("DELETE FROM make WHERE manufacturer = ? AND model = ?"),
                 {manufacturer, model}))
            return failure(q.lastError().text());
        if (q.numRowsAffected() < 1)
            return makeError(
                QStringLiteral("%1 %2 is not one of your own models.").arg(manufacturer, model));
        if (!run(q,
                 QStringLiteral("DELETE FROM Manufacturers WHERE Manufacturer = ? AND NOT EXISTS "
                                "(SELECT 1 FROM make WHERE manufacturer = ?)"),
                 {manufacturer, manufacturer}) ||
            !q.exec(QStringLiteral("DELETE FROM CommSettup WHERE rs_232Option NOT IN (SELECT "
                                   "rs_232Setup FROM make)")))
            return failure(q.lastError().text());
        return Ok{};
    });
}

Result<QList<QPair<QString, QString>>> UserCatalogue::models() const {
    if (openError_)
        return *openError_;
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (!q.exec(
            QStringLiteral("SELECT manufacturer, model FROM make ORDER BY manufacturer, model")))
        return failure(q.lastError().text());
    QList<QPair<QString, QString>> list;
    while (q.next())
        list << qMakePair(q.value(0).toString(), q.value(1).toString());
    return list;
}

Result<QList<ModelDefinition>> readModelFiles(const QStringList& paths,
                                              const QStringList& commandNames) {
    QList<ModelDefinition> models;
    QString faults;
    for (const QString& path : paths) {
        const Result<QByteArray> bytes =
            readInputFile(path, kMaxModelFileBytes, QStringLiteral("a model file"));
        if (!bytes) {
            faults += QStringLiteral("%1: %2\n").arg(path, bytes.error().message);
            continue;
        }
        ModelFileFaults found;
        const auto parsed = parseModelFile(QString::fromUtf8(bytes.value()), commandNames, &found);
        if (!parsed) {
            faults += found.text(path);
            continue;
        }
        for (const ModelDefinition& m : models)
            if (m.manufacturer.compare(parsed.value().manufacturer, Qt::CaseInsensitive) == 0 &&
                m.model.compare(parsed.value().model, Qt::CaseInsensitive) == 0)
                faults += QStringLiteral("%1: %2 %3 is in another of the files too\n")
                              .arg(path, m.manufacturer, m.model);
        models << parsed.value();
    }
    if (!faults.isEmpty())
        return makeError(faults.trimmed());
    return models;
}

Result<std::optional<ModelDefinition>>
readModelDefinition(const Catalogue& catalogue, const QString& manufacturer, const QString& model) {
    const auto row = catalogue.model(manufacturer, model);
    if (!row)
        return row.error();
    if (!row.value())
        return std::optional<ModelDefinition>();
    ModelDefinition d;
    d.manufacturer = manufacturer;
    d.model = model;
    d.presentAs =
        notationOf(row.value()->Present_As) == Notation::Hex ? Notation::Hex : Notation::Text;
    d.notation = d.presentAs;
    const auto settings = catalogue.serialSettings(row.value()->rs_232Setup);
    if (!settings)
        return settings.error();
    if (const auto& s = settings.value()) {
        d.baud = int(s->baudRate.toInteger().value_or(d.baud));
        d.dataBits = int(s->bits.toInteger().value_or(d.dataBits));
        d.stopBits = int(s->stopBits.toInteger().value_or(d.stopBits));
        d.parity = s->parity.toText().toUpper();
    }
    const auto names = catalogue.commandNames();
    const auto protocol = catalogue.protocol(row.value()->protocal);
    const auto replies = catalogue.replies(row.value()->protocal);
    if (!replies)
        return replies.error();
    d.replies = replies.value().value_or(QString());
    if (!names)
        return names.error();
    if (!protocol)
        return protocol.error();
    if (const auto& p = protocol.value())
        for (const QString& name : names.value())
            if (p->has(name)) {
                const auto command = commandFromCell(name, p->command(name));
                if (!command)
                    return makeError(QStringLiteral("%1 %2: the catalogue's %3 cell \"%4\" is no "
                                                    "command")
                                         .arg(manufacturer, model, name, p->command(name)));
                d.commands << *command;
            }
    return std::optional<ModelDefinition>(d);
}

} // namespace ondrel
