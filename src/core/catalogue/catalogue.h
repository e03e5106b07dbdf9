#pragma once

#include "project/value.h"
#include "result.h"

#include <QHash>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <optional>
#include <vector>

namespace ondrel {

// The seven questions the tool asks the catalogue. Names and numbers are bound parameters, so a
// maker called O'Neil is just another name.
namespace catalogue_query {
inline constexpr char kManufacturers[] = "select Manufacturer  from Manufacturers";
inline constexpr char kModels[] = "select model from make where manufacturer = ? ORDER BY model;";
inline constexpr char kModelLookup[] =
    "select protocal, rs_232Setup, Present_As from make where manufacturer = ? and model = ?;";
inline constexpr char kSettingsLookup[] = "select * from CommSettup where rs_232Option = ?;";
inline constexpr char kCommandNames[] = "select Commands from available";
inline constexpr char kProtocolRow[] = "select * from protocal  where protocalNumber = ?;";
inline constexpr char kCommandMask[] = "select * from available where Commands= ?;";
// What a protocol's projectors answer (a table of its own, which older catalogues lack).
inline constexpr char kReplies[] = "select rules from replies where protocalNumber = ?;";
inline constexpr char kHasReplies[] =
    "select name from sqlite_master where type = 'table' and name = 'replies';";
} // namespace catalogue_query

// The row of a model in table make.
struct ModelRow {
    Value protocal;
    Value rs_232Setup;
    Value Present_As;
};

// A row of table CommSettup.
struct SerialSettingsRow {
    Value baudRate;
    Value bits;
    Value stopBits;
    Value parity;
};

// A row of table protocal: the command text of each command column, looked up by name without
// regard to case. Missing columns and empty cells read as the empty text.
class ProtocolRow {
public:
    QString command(const QString& name) const { return cells_.value(name.toLower()); }
    bool has(const QString& name) const { return !command(name).isEmpty(); }
    void setCommand(const QString& name, const QString& text) { cells_[name.toLower()] = text; }

private:
    QHash<QString, QString> cells_;
};

// Protocols and serial-settings options of the installer's own catalogue are numbered from here,
// far above the shipped ones, so that one number names one row in either file.
inline constexpr qint64 kUserNumberBase = 1000000;

// The projector catalogue Proj.qdb, opened read-only. Each instance has its own connection; use
// it on the thread that created it. A query that finds no row answers with nothing; a catalogue
// that cannot be read answers with an error that names the file.
//
// With `userPath`, the installer's own catalogue (UserCatalogue) is read together with it: the
// makers of both, an own model listed after the shipped ones of its maker, and an own model with a
// shipped model's names in that model's place. The own file is read when it exists; while it
// cannot be read, the shipped catalogue answers alone (userStatus() says why).
class Catalogue {
public:
    explicit Catalogue(const QString& path, const QString& userPath = {});
    ~Catalogue();
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    const QString& path() const { return path_; }
    // The installer's own catalogue read with this one; empty when there is none.
    const QString& userPath() const { return userPath_; }
    // Whether the file opened and holds the catalogue's tables; otherwise why not.
    Status status() const;

    Result<QStringList> manufacturers() const;
    Result<QStringList> models(const QString& manufacturer) const;
    Result<std::optional<ModelRow>> model(const QString& manufacturer, const QString& model) const;
    Result<std::optional<SerialSettingsRow>> serialSettings(const Value& option) const;
    Result<QStringList> commandNames() const;
    Result<std::optional<ProtocolRow>> protocol(const Value& protocolNumber) const;
    // The mask letter of a command of table available.
    Result<std::optional<QString>> commandMask(const QString& command) const;
    // The replies section of a protocol (projector/reply_rules.h); nothing when the catalogue
    // has none for it.
    Result<std::optional<QString>> replies(const Value& protocolNumber) const;

    // Whether the model comes from the installer's own catalogue.
    bool isUserModel(const QString& manufacturer, const QString& model) const;
    Status userStatus() const;

private:
    // The same query on the own catalogue; no rows while it is missing or unreadable.
    std::vector<QSqlRecord> userRows(const char* text, const QVariantList& parameters) const;
    Error failure(const QString& detail) const;
    Result<std::vector<QSqlRecord>> rows(const char* text, const QVariantList& parameters) const;

    QString path_;
    QString connection_;
    std::optional<Error> openError_;
    bool hasReplies_ = false;
    QString userPath_;
    QString userConnection_;
    mutable std::optional<Error> userError_;
};

// The version of the SQLite library behind Qt's driver ("3.40.1"); empty without the driver.
QString sqliteVersion();

} // namespace ondrel
