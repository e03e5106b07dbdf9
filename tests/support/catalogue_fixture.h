#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

namespace ondrel::test {

// A small catalogue written by the test: rows entered out of order, a protocol lacking "On"
// and "S_Video", a model without serial settings, and names with apostrophes.
inline const char* const kFixtureCatalogue[] = {
    "CREATE TABLE Manufacturers (Manufacturer TEXT)",
    "CREATE TABLE make (manufacturer TEXT, model TEXT, protocal INTEGER, rs_232Setup INTEGER, "
    "Present_As INTEGER)",
    "CREATE TABLE CommSettup (rs_232Option INTEGER, baudRate INTEGER, bits INTEGER, "
    "stopBits INTEGER, parity TEXT)",
    "CREATE TABLE protocal (protocalNumber INTEGER, \"On\" TEXT, \"Off\" TEXT, Volume_Up TEXT, "
    "Composite_Video TEXT, Computer_1 TEXT, Black_Screen TEXT, Volume_Down TEXT, S_Video TEXT, "
    "Computer_2 TEXT, Auto_Image TEXT, HDMI_1 TEXT, Mute_Audio TEXT)",
    "CREATE TABLE available (Commands TEXT, mask TEXT)",
    "INSERT INTO Manufacturers VALUES ('Zeta'), ('Acme'), ('O''Neil')",
    "INSERT INTO make VALUES ('Acme', 'X200', 1, 1, 1), ('Acme', 'A100', 1, 1, 1), "
    "('Acme', 'M50', 2, 2, 2), ('Zeta', 'NoOn', 2, 2, 2), ('Zeta', 'NoSettings', 1, 99, 1), "
    "('O''Neil', 'Bell''s 1', 3, 2, 1)",
    "INSERT INTO CommSettup VALUES (1, 9600, 8, 1, 'NONE'), (2, 19200, 8, 1, 'EVEN')",
    "INSERT INTO available VALUES ('On', 'o'), ('Off', 'f'), ('Volume_Up', 'm'), "
    "('Composite_Video', 's'), ('Computer_1', 's'), ('Black_Screen', 'd'), "
    "('Volume_Down', 'm'), ('S_Video', 's'), ('Computer_2', 's'), ('Auto_Image', 'm'), "
    "('HDMI_1', 's'), ('Mute_Audio', 'd')",
    "INSERT INTO protocal VALUES (1, '1 1', '1 2', '1 3', '1 4', '1 5', '2 16 3 / 2 17 3', "
    "'1 7', '1 8', '1 9', '1 10', '1 11', '2 18 3 / 2 19 3')",
    "INSERT INTO protocal VALUES (2, NULL, '2 1 3', '2 2', '', '2 4', '2 5', '2 6', NULL, "
    "'2 8', '2 9', NULL, '7 7')",
    "INSERT INTO protocal VALUES (3, '3 0', '3 1', NULL, NULL, NULL, NULL, NULL, NULL, NULL, "
    "NULL, NULL, NULL)",
};

// Writes the fixture catalogue to `path`; false when a statement failed.
inline bool writeFixtureCatalogue(const QString& path) {
    bool ok = true;
    {
        auto db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fixture"));
        db.setDatabaseName(path);
        ok = db.open();
        ok = ok && db.transaction(); // one sync to disk instead of one per statement
        QSqlQuery q(db);
        for (const char* statement : kFixtureCatalogue)
            ok = ok && q.exec(QString::fromUtf8(statement));
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fixture"));
    return ok;
}

} // namespace ondrel::test
