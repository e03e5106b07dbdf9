// mkcatalogue SQL_FILE... OUTPUT: runs the statements of each SQL_FILE in turn into a fresh SQLite
// file OUTPUT.
// The file appears only when every statement succeeded, so a broken catalogue text never leaves
// a half-filled catalogue behind.

#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <QTextStream>

namespace {

// Splits SQL text into statements at ";" outside quotes, dropping "--" comments.
QStringList splitStatements(const QString& text) {
    QStringList statements;
    QString current;
    QChar quote;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!quote.isNull()) {
            current += c;
            if (c == quote)
                quote = QChar(); // a doubled quote simply reopens at the next character
            continue;
        }
        if (c == QLatin1Char('-') && i + 1 < text.size() && text[i + 1] == QLatin1Char('-')) {
            while (i < text.size() && text[i] != QLatin1Char('\n'))
                ++i;
            current += QLatin1Char('\n');
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"'))
            quote = c;
        if (c == QLatin1Char(';')) {
            if (!current.trimmed().isEmpty())
                statements << current.trimmed();
            current.clear();
            continue;
        }
        current += c;
    }
    if (!current.trimmed().isEmpty())
        statements << current.trimmed();
    return statements;
}

int fail(const QString& message) {
    QTextStream(stderr) << "mkcatalogue: " << message << Qt::endl;
    return 1;
}

int build(const QStringList& sqlPaths, const QString& partPath) {
    QList<QPair<QString, QString>> statements; // file, statement
    for (const QString& sqlPath : sqlPaths) {
        QFile sqlFile(sqlPath);
        if (!sqlFile.open(QIODevice::ReadOnly | QIODevice::Text))
            return fail(QStringLiteral("cannot read %1: %2").arg(sqlPath, sqlFile.errorString()));
        for (const QString& statement : splitStatements(QString::fromUtf8(sqlFile.readAll())))
            statements << qMakePair(sqlPath, statement);
    }

    auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("mkcatalogue"));
    db.setDatabaseName(partPath);
    if (!db.open())
        return fail(QStringLiteral("cannot create %1: %2").arg(partPath, db.lastError().text()));
    QSqlQuery query(db);
    if (!db.transaction())
        return fail(db.lastError().text());
    for (const auto& [sqlPath, statement] : statements) {
        if (!query.exec(statement))
            return fail(QStringLiteral("%1: %2\n%3")
                            .arg(sqlPath, query.lastError().text(), statement.left(300)));
    }
    if (!db.commit())
        return fail(db.lastError().text());
    query.finish();
    db.close();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return fail(QStringLiteral("usage: mkcatalogue SQL_FILE... OUTPUT"));
    const QString output = args.last();
    const QString part = output + QStringLiteral(".part");
    QFile::remove(part);
    int rc = build(args.mid(1, args.size() - 2), part);
    QSqlDatabase::removeDatabase(QStringLiteral("mkcatalogue"));
    if (rc != 0) {
        QFile::remove(part);
        return rc;
    }
    QFile::remove(output);
    if (!QFile::rename(part, output))
        return fail(QStringLiteral("cannot write %1").arg(output));
    return 0;
}
