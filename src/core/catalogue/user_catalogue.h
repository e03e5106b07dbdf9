#pragma once

#include "catalogue/catalogue.h"
#include "catalogue/model_file.h"
#include "result.h"

#include <QList>
#include <QPair>
#include <QString>
#include <functional>
#include <optional>

namespace ondrel {

// The installer's own models: an SQLite file with the shipped catalogue's tables in the per-user
// data folder, read together with the shipped catalogue by Catalogue. Writers take the file in
// one transaction and wait for another process that holds it, so two imports at once both land.
class UserCatalogue {
public:
    // Opens `path`, creating the file and its tables on first use.
    explicit UserCatalogue(const QString& path);
    ~UserCatalogue();
    UserCatalogue(const UserCatalogue&) = delete;
    UserCatalogue& operator=(const UserCatalogue&) = delete;

    Status status() const;
    // Stores every definition, each replacing an own model of the same manufacturer and model
    // name; all of them or, on a failure, none.
    Status store(const QList<ModelDefinition>& definitions);
    // Removes an own model; the shipped one of the same names, if any, is listed again.
    Status remove(const QString& manufacturer, const QString& model);
    // Own models as (manufacturer, model), sorted.
    Result<QList<QPair<QString, QString>>> models() const;

private:
    Status inTransaction(const std::function<Status()>& work);
    Error failure(const QString& detail) const;

    QString path_;
    QString connection_;
    std::optional<Error> openError_;
};

// Reads and checks model files before any is stored: the definitions, or an error listing every
// fault of every file as "FILE:LINE: message" lines (a model named twice among them is a fault).
Result<QList<ModelDefinition>> readModelFiles(const QStringList& paths,
                                              const QStringList& commandNames);

// The installer's catalogue file, shared by the windows and ondrel-cli.
QString userCataloguePath();

// Everything the (merged) catalogue knows about a model, for export or as a starting point for an
// own model; nothing when it does not know the model.
Result<std::optional<ModelDefinition>>
readModelDefinition(const Catalogue& catalogue, const QString& manufacturer, const QString& model);

} // namespace ondrel
