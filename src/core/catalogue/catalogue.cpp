#include "catalogue/catalogue.h"

#include <QAtomicInteger>
#include <QDir>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace ondrel {

namespace {

QAtomicInteger<quint64> connectionCounter;

using Rows = std::vector<QSqlRecord>;

Value toValue(const QVariant& v) {
    if (v.isNull())
        return {};
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Value(v.toLongLong());
    default:
        return Value(v.toString());
    }
}

// Catalogue numbers are bound as integers; a value that is no whole number matches no row.
QVariant numberParameter(const Value& value) {
    if (auto n = value.toInteger())
        return QVariant::fromValue(*n);
    return QVariant(QMetaType::fromType<qint64>());
}

bool isUserNumber(const Value& number) {
    return number.toInteger().value_or(0) >= kUserNumberBase;
}

} // namespace

Catalogue::Catalogue(const QString& path, const QString& userPath)
    : path_(path),
      connection_(
          QStringLiteral("ondrel-catalogue-%1").arg(connectionCounter.fetchAndAddRelaxed(1))),
      userPath_(userPath), userConnection_(connection_ + QStringLiteral("-user")) {
    if (!QFileInfo::exists(path_)) {
        openError_ = failure(QStringLiteral("the file does not exist."));
        return;
    }
    auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    db.setDatabaseName(path_);
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
    if (!db.open()) {
        openError_ = failure(db.lastError().text());
        return;
    }
    // A file that is no SQLite database opens fine and fails on the first read: find out now.
    QSqlQuery schema(db);
    if (!schema.exec(QStringLiteral("select name from sqlite_master where type = 'table'"))) {
        openError_ = failure(schema.lastError().text());
        return;
    }
    QStringList tables;
    while (schema.next())
        tables << schema.value(0).toString();
    hasReplies_ = tables.contains(QStringLiteral("replies"), Qt::CaseInsensitive);
    for (const char* name : {"Manufacturers", "make", "CommSettup", "protocal", "available"}) {
        const QString table = QString::fromLatin1(name);
        if (!tables.contains(table, Qt::CaseInsensitive)) {
            openError_ = failure(QStringLiteral("the table %1 is missing.").arg(table));
            return;
        }
    }
}

Catalogue::~Catalogue() {
    for (const QString& name : {connection_, userConnection_})
        if (QSqlDatabase::contains(name)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
}

std::vector<QSqlRecord> Catalogue::userRows(const char* text,
                                            const QVariantList& parameters) const {
    if (userPath_.isEmpty() || !QFileInfo::exists(userPath_))
        return {};
    if (!QSqlDatabase::contains(userConnection_)) {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), userConnection_);
        db.setDatabaseName(userPath_);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
    }
    QSqlDatabase db = QSqlDatabase::database(userConnection_, false);
    std::vector<QSqlRecord> result;
    if (!db.isOpen() && !db.open()) {
        userError_ = makeError(
            QStringLiteral("Your projector catalogue %1 cannot be read: %2")
                .arg(QDir::toNativeSeparators(userPath_), db.lastError().text().trimmed()));
        return {};
    }
    QSqlQuery query(db);
    if (query.prepare(QString::fromLatin1(text))) {
        for (const QVariant& parameter : parameters)
            query.addBindValue(parameter);
        if (query.exec()) {
            while (query.next())
                result.push_back(query.record());
            userError_.reset();
            return result;
        }
    }
    userError_ = makeError(
        QStringLiteral("Your projector catalogue %1 cannot be read: %2")
            .arg(QDir::toNativeSeparators(userPath_), query.lastError().text().trimmed()));
    return {};
}

bool Catalogue::isUserModel(const QString& manufacturer, const QString& model) const {
    return !userRows(catalogue_query::kModelLookup, {manufacturer, model}).empty();
}

Status Catalogue::userStatus() const {
    userRows(catalogue_query::kManufacturers, {});
    if (userError_)
        return *userError_;
    return Ok{};
}

Error Catalogue::failure(const QString& detail) const {
    return makeError(
        QStringLiteral("The projector catalogue %1 cannot be read: %2")
            .arg(QDir::toNativeSeparators(path_),
                 detail.trimmed().isEmpty() ? QStringLiteral("unknown error.") : detail));
}

Status Catalogue::status() const {
    if (openError_)
        return *openError_;
    return Ok{};
}

Result<Rows> Catalogue::rows(const char* text, const QVariantList& parameters) const {
    if (openError_)
        return *openError_;
    QSqlQuery query(QSqlDatabase::database(connection_, false));
    query.setForwardOnly(true);
    if (!query.prepare(QString::fromLatin1(text)))
        return failure(query.lastError().text());
    for (const QVariant& parameter : parameters)
        query.addBindValue(parameter);
    if (!query.exec())
        return failure(query.lastError().text());
    Rows result;
    while (query.next())
        result.push_back(query.record());
    if (query.lastError().isValid())
        return failure(query.lastError().text());
    return result;
}

namespace {

QStringList column(const std::vector<QSqlRecord>& rows, const QString& name) {
    QStringList values;
    for (const QSqlRecord& row : rows)
        values << row.value(name).toString();
    return values;
}

} // namespace

Result<QStringList> Catalogue::manufacturers() const {
    auto result = rows(catalogue_query::kManufacturers, {});
    if (!result)
        return result.error();
    QStringList makers = column(result.value(), QStringLiteral("Manufacturer"));
    for (const QString& own :
         column(userRows(catalogue_query::kManufacturers, {}), QStringLiteral("Manufacturer")))
        if (!makers.contains(own, Qt::CaseInsensitive))
            makers << own;
    return makers;
}

Result<QStringList> Catalogue::models(const QString& manufacturer) const {
    auto result = rows(catalogue_query::kModels, {manufacturer});
    if (!result)
        return result.error();
    QStringList models = column(result.value(), QStringLiteral("model"));
    // Own models after the shipped ones; one with a shipped model's name stands in its place.
    for (const QString& own :
         column(userRows(catalogue_query::kModels, {manufacturer}), QStringLiteral("model")))
        if (!models.contains(own, Qt::CaseInsensitive))
            models << own;
    return models;
}

Result<std::optional<ModelRow>> Catalogue::model(const QString& manufacturer,
                                                 const QString& model) const {
    auto result = rows(catalogue_query::kModelLookup, {manufacturer, model});
    if (!result)
        return result.error();
    if (auto own = userRows(catalogue_query::kModelLookup, {manufacturer, model}); !own.empty())
        result = std::move(own);
    if (result.value().empty())
        return std::optional<ModelRow>();
    const QSqlRecord& row = result.value().front();
    return std::optional<ModelRow>(ModelRow{toValue(row.value(QStringLiteral("protocal"))),
                                            toValue(row.value(QStringLiteral("rs_232Setup"))),
                                            toValue(row.value(QStringLiteral("Present_As")))});
}

Result<std::optional<SerialSettingsRow>> Catalogue::serialSettings(const Value& option) const {
    auto result =
        isUserNumber(option)
            ? Result<Rows>(userRows(catalogue_query::kSettingsLookup, {numberParameter(option)}))
            : rows(catalogue_query::kSettingsLookup, {numberParameter(option)});
    if (!result)
        return result.error();
    if (result.value().empty())
        return std::optional<SerialSettingsRow>();
    const QSqlRecord& row = result.value().front();
    return std::optional<SerialSettingsRow>(SerialSettingsRow{
        toValue(row.value(QStringLiteral("baudRate"))), toValue(row.value(QStringLiteral("bits"))),
        toValue(row.value(QStringLiteral("stopBits"))),
        toValue(row.value(QStringLiteral("parity")))});
}

Result<QStringList> Catalogue::commandNames() const {
    auto result = rows(catalogue_query::kCommandNames, {});
    if (!result)
        return result.error();
    return column(result.value(), QStringLiteral("Commands"));
}

Result<std::optional<ProtocolRow>> Catalogue::protocol(const Value& protocolNumber) const {
    auto result = isUserNumber(protocolNumber)
                      ? Result<Rows>(userRows(catalogue_query::kProtocolRow,
                                              {numberParameter(protocolNumber)}))
                      : rows(catalogue_query::kProtocolRow, {numberParameter(protocolNumber)});
    if (!result)
        return result.error();
    if (result.value().empty())
        return std::optional<ProtocolRow>();
    const QSqlRecord& row = result.value().front();
    ProtocolRow protocol;
    for (int i = 0; i < row.count(); ++i)
        protocol.setCommand(row.fieldName(i), row.value(i).toString());
    return std::optional<ProtocolRow>(protocol);
}

Result<std::optional<QString>> Catalogue::replies(const Value& protocolNumber) const {
    Rows found;
    if (isUserNumber(protocolNumber)) {
        if (!userRows(catalogue_query::kHasReplies, {}).empty()) // files of older versions lack it
            found = userRows(catalogue_query::kReplies, {numberParameter(protocolNumber)});
    } else if (hasReplies_ || openError_) {
        auto result = rows(catalogue_query::kReplies, {numberParameter(protocolNumber)});
        if (!result)
            return result.error();
        found = std::move(result.value());
    }
    if (found.empty())
        return std::optional<QString>();
    // The text as stored, without the blank lines around it.
    QStringList lines = found.front().value(0).toString().split(QLatin1Char('\n'));
    while (!lines.isEmpty() && lines.first().trimmed().isEmpty())
        lines.removeFirst();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    return std::optional<QString>(lines.join(QLatin1Char('\n')));
}

Result<std::optional<QString>> Catalogue::commandMask(const QString& command) const {
    auto result = rows(catalogue_query::kCommandMask, {command});
    if (!result)
        return result.error();
    if (result.value().empty())
        return std::optional<QString>();
    return std::optional<QString>(result.value().front().value(QStringLiteral("mask")).toString());
}

QString sqliteVersion() {
    const QString name =
        QStringLiteral("ondrel-sqlite-version-%1").arg(connectionCounter.fetchAndAddRelaxed(1));
    QString version;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            QSqlQuery query(db);
            if (query.exec(QStringLiteral("SELECT sqlite_version()")) && query.next())
                version = query.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(name);
    return version;
}

} // namespace ondrel
