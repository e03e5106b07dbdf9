#include "catalogue/command_assignment.h"
#include "catalogue/user_catalogue.h"
#include "files/qcd_file.h"
#include "programming/config_image.h"
#include "support/cli_run.h"

#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

const char kAcme[] = R"(# a projector the shipped catalogue lacks
[model]
manufacturer = Acme
model = PJ-100
baud = 19200
data_bits = 8
parity = Even
stop_bits = 1
present_as = ASCII
notation = text

[commands]
On = PWR ON<CR>
off = PWR OFF<CR>
Computer_1 = SOURCE 11<CR>
Mute_Audio = MUTE ON<CR> / MUTE OFF<CR>
)";

struct UserFixture : ::testing::Test {
    QTemporaryDir dir;
    const QString shipped = test::binDir() + "/Proj.qdb";
    QString own() const { return dir.filePath("own.qdb"); }
    QStringList names() const { return Catalogue(shipped).commandNames().value(); }
    ModelDefinition parse(const QString& text) const {
        ModelFileFaults faults;
        const auto d = parseModelFile(text, names(), &faults);
        EXPECT_TRUE(d.ok()) << qPrintable(faults.text("model"));
        return d.ok() ? d.value() : ModelDefinition{};
    }
    void store(const ModelDefinition& d) { ASSERT_TRUE(UserCatalogue(own()).store({d}).ok()); }
};

} // namespace

TEST_F(UserFixture, ImportedModelServesBothDevicesThroughTheModelSelection) {
    store(parse(kAcme));
    const Catalogue catalogue(shipped, own());
    EXPECT_EQ(catalogue.manufacturers().value().last(), "Acme");
    EXPECT_EQ(catalogue.models("acme").value(), QStringList{"PJ-100"});
    EXPECT_TRUE(catalogue.isUserModel("Acme", "PJ-100"));
    ProjectState state;
    for (int device = 0; device < 2; ++device)
        ASSERT_TRUE(selectModel(state, catalogue, device, "Acme", "PJ-100").value().found);
    EXPECT_EQ(state.device(1).commandItems,
              (QStringList{"", "On", "Off", "Computer_1", "Mute_Audio"}));
    EXPECT_EQ(state.button(0).commandString1().toBytes(), QByteArray("PWR ON\r"));
    EXPECT_EQ(state.button(1).commandString2().toBytes(), QByteArray("PWR OFF\r"));
    EXPECT_EQ(state.button(4).commandString2().toBytes(), QByteArray("SOURCE 11\r"));
    EXPECT_EQ(state.port(1).BaudRate, Value(19200));
    EXPECT_EQ(state.port(0).Parity, Value("EVEN"));
    EXPECT_EQ(state.port(0).prsentAs, Value(1));
    ASSERT_TRUE(chooseCommand(state, catalogue, 0, 9, "Mute_Audio").ok());
    EXPECT_EQ(state.button(9).commandString1_2().toBytes(), QByteArray("MUTE OFF\r"));
    const QByteArray image = BuildConfigImage(state).value().bytes;
    for (const char* command : {"PWR ON\r", "SOURCE 11\r", "MUTE ON\r", "MUTE OFF\r"}) {
        QByteArray words; // the image holds each byte in a 16-bit word
        for (char c : QByteArray(command))
            words.append('\0').append(c);
        EXPECT_TRUE(image.contains(words)) << command;
    }

    // A configuration naming the model opens where the model is, and warns where it is not.
    const QString qcd = dir.filePath("room.qcd");
    ASSERT_TRUE(saveConfiguration(state, qcd).ok());
    const Catalogue without(shipped);
    for (const Catalogue* c : {&catalogue, &without}) {
        ProjectState reopened;
        const auto warnings = openConfiguration(reopened, qcd, catalogueDatasetLookup(*c));
        ASSERT_TRUE(warnings.ok());
        EXPECT_EQ(warnings.value().empty(), c == &catalogue);
        EXPECT_EQ(reopened.button(9).commandString1_2().toBytes(), QByteArray("MUTE OFF\r"));
        EXPECT_EQ(reopened.button(4).commandString2().toBytes(), QByteArray("SOURCE 11\r"));
    }
}

TEST_F(UserFixture, OwnModelTakesAShippedModelsPlaceUntilRemoved) {
    const Catalogue catalogue(shipped, own());
    const auto before = catalogue.models("Epson").value();
    ModelDefinition epson = readModelDefinition(catalogue, "Epson", "EB-85").value().value();
    epson.commands.first().primary = "PWR ON\r\n";
    store(epson);
    EXPECT_EQ(catalogue.models("Epson").value(), before);
    EXPECT_TRUE(catalogue.isUserModel("Epson", "EB-85"));
    EXPECT_EQ(readModelDefinition(catalogue, "Epson", "EB-85").value().value(), epson);
    ASSERT_TRUE(UserCatalogue(own()).remove("Epson", "EB-85").ok());
    EXPECT_FALSE(catalogue.isUserModel("Epson", "EB-85"));
    EXPECT_LT(catalogue.model("Epson", "EB-85").value()->protocal.toInteger(), kUserNumberBase);
    EXPECT_FALSE(UserCatalogue(own()).remove("Epson", "EB-85").ok());
}

TEST_F(UserFixture, ExportThenImportGivesTheSameModel) {
    const Catalogue catalogue(shipped, own());
    ModelDefinition odd = parse(kAcme);
    QByteArray all;
    for (int v = 1; v < 256; ++v)
        all.append(char(v));
    // Blanks at the ends and slashes beside blanks; 255 bytes, the most a string holds.
    odd.commands[1] = {"Off", " A / B /", all};
    for (const auto& [maker, model] : {std::pair{"Sony", "VPL-HW15"}, {"Epson", "EB-85"}}) {
        const ModelDefinition d = readModelDefinition(catalogue, maker, model).value().value();
        EXPECT_EQ(parse(writeModelFile(d)), d) << maker;
    }
    for (Notation n : {Notation::Text, Notation::Hex, Notation::Decimal}) {
        odd.notation = n;
        EXPECT_EQ(parse(writeModelFile(odd)), odd);
    }
}

TEST_F(UserFixture, MalformedFilesAreRefusedWholeWithTheirLines) {
    const struct {
        const char* replace;
        const char* with;
        int line;
        const char* says;
    } cases[] = {
        {"baud = 19200", "baud = 4800", 5,
         "baud 4800 is not one of 7600, 9600, 19200, 28800, 38400, 115200"},
        {"baud = 19200", "baud = fast", 5, "baud \"fast\" is not a whole number"},
        {"baud = 19200\n", "", 2, "baud is missing from [model]"},
        {"parity = Even", "parity = Mark", 7, "parity must be None, Even or Odd"},
        {"present_as = ASCII", "present_as = Text", 9,
         "present_as must be ASCII or Binary, not \"Text\""},
        {"notation = text", "notation = octal", 10,
         "notation must be text, hex or decimal, not \"octal\""},
        {"stop_bits = 1", "stopbits = 1", 8, "unknown key \"stopbits\" in [model]"},
        {"Computer_1 =", "Computer_9 =", 15,
         "unknown command name \"Computer_9\"; the catalogue's commands are %names"},
        {"off = PWR OFF<CR>", "ON = PWR OFF<CR>", 14, "On is given twice (first on line 13)"},
        {"SOURCE 11<CR>", "SOURCE \\xZ1<CR>", 15,
         "Computer_1: column 21: \"\\xZ1\" needs exactly two hexadecimal digits after \\x"},
        {"MUTE OFF<CR>", "MUTE OFF<CR> / X", 16,
         "Mute_Audio holds more than one \" / \"; a command has at most an on and an off string"},
        {"[commands]", "[buttons]", 12,
         "unknown section [buttons]; a model file has [model], [commands] and [replies]"},
        {"model = PJ-100", "model PJ-100", 4, "expected NAME = VALUE, found \"model PJ-100\""},
        {"MUTE OFF<CR>\n", "MUTE OFF<CR>\n[replies]\nform = text\nend = :\nack = ER{x\n", 20,
         "ack: a \"{\" without its \"}\""},
    };
    const QString file = dir.filePath("bad.ondrel-model");
    for (const auto& c : cases) {
        QString text = QString::fromLatin1(kAcme);
        ASSERT_TRUE(text.contains(c.replace)) << c.replace;
        text.replace(QString::fromLatin1(c.replace), QString::fromLatin1(c.with));
        ModelFileFaults faults;
        EXPECT_FALSE(parseModelFile(text, names(), &faults).ok()) << c.with;
        // The fault, word for word, on a line of its own.
        EXPECT_TRUE(faults.text("f").split('\n').contains(
            QStringLiteral("f:%1: ").arg(c.line) +
            QString(c.says).replace("%names", names().join(", "))))
            << qPrintable(faults.text("f"));
    }
    // Through ondrel-cli: a good file beside a bad one stores neither.
    test::writeFile(file, QByteArray(kAcme).replace("baud = 19200", "baud = 1"));
    const QString good = test::writeFile(dir.filePath("good.ondrel-model"),
                                         QByteArray(kAcme).replace("PJ-100", "PJ-200"));
    const auto run = test::cli({"catalogue", "import", good, file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains(file + ":5: baud 1 is not one of")) << qPrintable(run.err);
    EXPECT_EQ(test::cli({"catalogue", "list", "--user"}).out, "");
}

// Two installers' scripts importing at the same moment: every model lands, the file stays whole.
TEST_F(UserFixture, ProcessesImportingAtOnceDoNotCorruptTheFile) {
    std::vector<std::unique_ptr<QProcess>> runs;
    for (int i = 0; i < 8; ++i) {
        const QString path = dir.filePath(QStringLiteral("m%1.ondrel-model").arg(i));
        test::writeFile(path, QByteArray(kAcme).replace("PJ-100", "PJ-" + QByteArray::number(i)));
        runs.push_back(std::make_unique<QProcess>());
        runs.back()->start(test::binDir() + "/ondrel-cli", {"catalogue", "import", path});
    }
    for (auto& p : runs) {
        ASSERT_TRUE(p->waitForFinished(60000));
        EXPECT_EQ(p->exitCode(), 0) << p->readAllStandardError().toStdString();
    }
    EXPECT_EQ(test::cli({"catalogue", "list", "--user"}).out.count("Acme\tPJ-"), 8);
    {
        auto db = QSqlDatabase::addDatabase("QSQLITE", "integrity");
        db.setDatabaseName(userCataloguePath());
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec("PRAGMA integrity_check") && q.next());
        EXPECT_EQ(q.value(0).toString(), "ok");
        ASSERT_TRUE(q.exec("SELECT COUNT(*) FROM CommSettup") && q.next());
        EXPECT_EQ(q.value(0).toInt(), 1); // the eight models share their serial settings row
        db.close();
    }
    QSqlDatabase::removeDatabase("integrity");
    { // ondrel-cli check (like image, resave and upload) finds an own model named in a file
        ProjectState state;
        ASSERT_TRUE(selectModel(state, Catalogue(shipped, userCataloguePath()), 0, "Acme", "PJ-3")
                        .value()
                        .found);
        ASSERT_TRUE(saveConfiguration(state, dir.filePath("room.qcd")).ok());
        const auto checked = test::cli({"check", dir.filePath("room.qcd")});
        EXPECT_EQ(checked.exitCode, 0);
        EXPECT_TRUE(checked.out.contains("Device #1: Acme PJ-3 (protocol 100000"));
        EXPECT_FALSE(checked.err.contains("warning")) << qPrintable(checked.err);
    }
}
