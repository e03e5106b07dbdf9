// bench-catalogue: the catalogue at scale. Generates a catalogue of 500 manufacturers and 10,000
// models with the schema of the shipped Proj.qdb (its tables and indexes, copied from the file
// itself), then times the queries of the model selection window through the core code the
// windows use: the manufacturer list, one manufacturer's model list, and a full model selection
// with its ten command lists.

#include "bench_support.h"
#include "catalogue/catalogue.h"
#include "catalogue/command_assignment.h"
#include "project/project_state.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using namespace ondrel;

namespace {

constexpr int kManufacturers = 500;
constexpr int kModelsPerMaker = 20;
constexpr int kProtocols = 400;
constexpr int kRuns = 50;
constexpr double kSelectionTargetMs = 100.0;

using bench::fail;

QString bytesText(const QByteArray& bytes) {
    QStringList numbers;
    for (char c : bytes)
        numbers << QString::number(quint8(c));
    return numbers.join(QLatin1Char(' '));
}

// A command text the way one of three protocol families spells it: ASCII closed by CR, ASCII
// framed by STX and ETX, or binary closed by the low byte of its sum.
QString commandText(int family, const QString& name, int variant) {
    const QByteArray word = name.toUpper().toLatin1().left(10);
    QByteArray bytes;
    switch (family) {
    case 0:
        bytes = word + ' ' + QByteArray::number(variant) + '\r';
        break;
    case 1:
        bytes = '\x02' + word.left(3) + ':' + QByteArray::number(variant % 100) + '\x03';
        break;
    default: {
        bytes = QByteArray("\x02\x03\x00\x00\x02", 5);
        bytes += char(variant & 0xFF);
        bytes += char(word.size());
        int sum = 0;
        for (char c : bytes)
            sum += quint8(c);
        bytes += char(sum & 0xFF);
    }
    }
    return bytesText(bytes);
}

QString makerName(int i, std::mt19937& random) {
    static const char* syllables[] = {"ka",  "ve",  "lo", "mar", "ti",  "sen", "da",  "ro",
                                      "qui", "bel", "no", "vis", "tor", "an",  "pre", "lux"};
    static const char* endings[] = {"", " Vision", " Digital", " Optics", " Display", " AV"};
    QString name;
    const int count = 2 + int(random() % 2);
    for (int s = 0; s < count; ++s)
        name += QString::fromLatin1(syllables[random() % std::size(syllables)]);
    name[0] = name[0].toUpper();
    // The index keeps names unique; it sits where a maker's own numbering might.
    return name + QString::fromLatin1(endings[random() % std::size(endings)]) +
           QStringLiteral(" %1").arg(i + 1);
}

void exec(QSqlQuery& query, const QString& text) {
    if (!query.exec(text))
        fail(QStringLiteral("%1: %2").arg(text.left(200), query.lastError().text()));
}

struct Generated {
    QStringList makers;
    QString sampleMaker; // a maker in the middle of the table
    QString sampleModel;
};

// Writes the large catalogue to `path` with the tables and indexes of `shipped`. Without
// `indexes` the shipped file's indexes are left out, to show what they are worth.
Generated generate(const QString& shipped, const QString& path, bool indexes) {
    Generated result;
    const QString connection = QStringLiteral("generate-%1").arg(indexes);
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(path);
        if (!db.open())
            fail(db.lastError().text());
        QSqlQuery query(db);
        exec(query, QStringLiteral("ATTACH DATABASE '%1' AS shipped").arg(shipped));
        exec(query, QStringLiteral("SELECT type, sql FROM shipped.sqlite_master WHERE sql IS NOT "
                                   "NULL AND name NOT LIKE 'sqlite_%' ORDER BY type DESC"));
        QStringList tables, indexStatements;
        while (query.next())
            (query.value(0).toString() == QLatin1String("table") ? tables : indexStatements)
                << query.value(1).toString();
        if (tables.isEmpty())
            fail(QStringLiteral("%1 holds no tables").arg(shipped));
        db.transaction();
        for (const QString& statement : tables)
            exec(query, statement);
        exec(query, QStringLiteral("INSERT INTO available SELECT * FROM shipped.available"));
        exec(query, QStringLiteral("INSERT INTO CommSettup SELECT * FROM shipped.CommSettup"));

        std::mt19937 random(20261206);
        // Protocol rows: every command column of the shipped table, a few missing per protocol,
        // the toggles with their second string after "/".
        QStringList columns;
        QSqlRecord protocolColumns = db.record(QStringLiteral("protocal"));
        for (int i = 0; i < protocolColumns.count(); ++i)
            if (protocolColumns.fieldName(i).compare(QLatin1String("protocalNumber"),
                                                     Qt::CaseInsensitive) != 0)
                columns << protocolColumns.fieldName(i);
        QSqlQuery masks(db);
        exec(masks, QStringLiteral("SELECT Commands, mask FROM available"));
        QHash<QString, QString> maskOf;
        while (masks.next())
            maskOf[masks.value(0).toString().toLower()] = masks.value(1).toString();
        QStringList quoted;
        for (const QString& c : columns)
            quoted << QLatin1Char('"') + c + QLatin1Char('"');
        QSqlQuery insertProtocol(db);
        insertProtocol.prepare(QStringLiteral("INSERT INTO protocal (protocalNumber, %1) VALUES "
                                              "(?%2)")
                                   .arg(quoted.join(QStringLiteral(", ")),
                                        QStringLiteral(", ?").repeated(columns.size())));
        std::vector<int> familyOf(kProtocols + 1);
        for (int p = 1; p <= kProtocols; ++p) {
            familyOf[size_t(p)] = int(random() % 3);
            insertProtocol.addBindValue(p);
            for (int c = 0; c < columns.size(); ++c) {
                const bool essential = c < 2; // On and Off
                if (!essential && random() % 8 == 0) {
                    insertProtocol.addBindValue(QVariant(QMetaType::fromType<QString>()));
                    continue;
                }
                QString text = commandText(familyOf[size_t(p)], columns[c], p + c);
                if (maskOf.value(columns[c].toLower()) == QLatin1String("d"))
                    text += QStringLiteral(" / ") +
                            commandText(familyOf[size_t(p)], columns[c], p + c + 1);
                insertProtocol.addBindValue(text);
            }
            if (!insertProtocol.exec())
                fail(insertProtocol.lastError().text());
        }

        QSqlQuery insertMaker(db);
        insertMaker.prepare(QStringLiteral("INSERT INTO Manufacturers (Manufacturer) VALUES (?)"));
        QSqlQuery insertModel(db);
        insertModel.prepare(QStringLiteral("INSERT INTO make (manufacturer, model, protocal, "
                                           "rs_232Setup, Present_As) VALUES (?, ?, ?, ?, ?)"));
        // Models go in maker by maker but not in name order, as a catalogue grows over years.
        for (int m = 0; m < kManufacturers; ++m) {
            const QString maker = makerName(m, random);
            result.makers << maker;
            insertMaker.addBindValue(maker);
            if (!insertMaker.exec())
                fail(insertMaker.lastError().text());
            const QString series = maker.left(2).toUpper();
            for (int k = 0; k < kModelsPerMaker; ++k) {
                const int protocol = 1 + int(random() % kProtocols);
                const QString model = QStringLiteral("%1-%2%3")
                                          .arg(series)
                                          .arg(1000 + int(random() % 9000))
                                          .arg(QChar(QLatin1Char('A' + char(k))));
                insertModel.addBindValue(maker);
                insertModel.addBindValue(model);
                insertModel.addBindValue(protocol);
                insertModel.addBindValue(1 + int(random() % 5));
                insertModel.addBindValue(familyOf[size_t(protocol)] == 2 ? 2 : 1);
                if (!insertModel.exec())
                    fail(insertModel.lastError().text());
                if (m == kManufacturers / 2 && k == kModelsPerMaker / 2) {
                    result.sampleMaker = maker;
                    result.sampleModel = model;
                }
            }
        }
        if (indexes)
            for (const QString& statement : indexStatements)
                exec(query, statement);
        if (!db.commit())
            fail(db.lastError().text());
        exec(query, QStringLiteral("DETACH DATABASE shipped"));
        exec(query, QStringLiteral("ANALYZE"));
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}

struct Timing {
    double first = 0, median = 0, max = 0;
};

Timing measure(const std::function<void()>& step) {
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    Timing t;
    t.first = ms.front();
    std::sort(ms.begin(), ms.end());
    t.median = ms[ms.size() / 2];
    t.max = ms.back();
    return t;
}

void row(const QString& what, const Timing& t, const QString& note = {}) {
    bench::out() << QStringLiteral("  %1 %2 ms %3 ms %4 ms  %5")
                        .arg(what, -34)
                        .arg(t.first, 8, 'f', 2)
                        .arg(t.median, 8, 'f', 2)
                        .arg(t.max, 8, 'f', 2)
                        .arg(note)
                 << Qt::endl;
}

// Times the three steps on the catalogue at `path`; gives the median model selection time.
double run(const QString& path, const Generated& generated) {
    QElapsedTimer opening;
    opening.start();
    Catalogue catalogue(path);
    if (!catalogue.status())
        fail(catalogue.status().error().message);
    bench::out() << QStringLiteral("  %1 %2 ms")
                        .arg(QStringLiteral("open"), -34)
                        .arg(double(opening.nsecsElapsed()) / 1e6, 8, 'f', 2)
                 << Qt::endl;

    int makers = 0, models = 0, listItems = 0;
    const Timing makerList = measure([&] {
        auto list = catalogue.manufacturers();
        if (!list)
            fail(list.error().message);
        makers = int(list.value().size());
    });
    row(QStringLiteral("manufacturer list"), makerList, QStringLiteral("%1 names").arg(makers));
    const Timing modelList = measure([&] {
        auto list = catalogue.models(generated.sampleMaker);
        if (!list)
            fail(list.error().message);
        models = int(list.value().size());
    });
    row(QStringLiteral("model list of one manufacturer"), modelList,
        QStringLiteral("%1 names").arg(models));
    const Timing selection = measure([&] {
        ProjectState state;
        auto chosen =
            selectModel(state, catalogue, 0, generated.sampleMaker, generated.sampleModel);
        if (!chosen || !chosen.value().found)
            fail(chosen ? QStringLiteral("model %1 not found").arg(generated.sampleModel)
                        : chosen.error().message);
        listItems = int(chosen.value().lists.items.size());
    });
    row(QStringLiteral("model selection, ten command lists"), selection,
        QStringLiteral("%1 commands a list").arg(listItems - 1));
    return selection.median;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString shipped = QCoreApplication::applicationDirPath() + QStringLiteral("/Proj.qdb");
    if (!QFileInfo::exists(shipped))
        fail(QStringLiteral("%1 is missing; build the tool first.").arg(shipped));
    QTemporaryDir dir;
    if (!dir.isValid())
        fail(QStringLiteral("cannot make a temporary folder"));

    QElapsedTimer timer;
    timer.start();
    const QString large = dir.filePath(QStringLiteral("large.qdb"));
    const Generated generated = generate(shipped, large, true);
    bench::out() << QStringLiteral("Catalogue at scale: %1 manufacturers, %2 models, %3 protocols "
                                   "(generated in %4 s, schema of %5)")
                        .arg(kManufacturers)
                        .arg(kManufacturers * kModelsPerMaker)
                        .arg(kProtocols)
                        .arg(double(timer.elapsed()) / 1000.0, 0, 'f', 2)
                        .arg(shipped)
                 << Qt::endl;
    bench::out() << QStringLiteral("  %1 %2 %3 %4  (%5 runs each)")
                        .arg(QString(), -34)
                        .arg(QStringLiteral("first"), 11)
                        .arg(QStringLiteral("median"), 11)
                        .arg(QStringLiteral("max"), 11)
                        .arg(kRuns)
                 << Qt::endl;
    bench::out() << QStringLiteral("With the shipped indexes:") << Qt::endl;
    const double median = run(large, generated);

    const QString bare = dir.filePath(QStringLiteral("bare.qdb"));
    generate(shipped, bare, false);
    bench::out() << QStringLiteral("Without indexes, for comparison:") << Qt::endl;
    run(bare, generated);

    const bool ok = median <= kSelectionTargetMs;
    bench::out() << QStringLiteral("Model selection: %1 ms (median), target %2 ms: %3")
                        .arg(median, 0, 'f', 2)
                        .arg(kSelectionTargetMs, 0, 'f', 0)
                        .arg(ok ? QStringLiteral("met") : QStringLiteral("MISSED"))
                 << Qt::endl;
    return ok ? 0 : 1;
}
