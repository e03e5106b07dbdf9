#include "catalogue/catalogue.h"
#include "catalogue/command_assignment.h"
#include "project/device_options.h"
#include "support/catalogue_fixture.h"
#include "support/test_support.h"

#include <QDir>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;

namespace {

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        path = dir.filePath(QStringLiteral("Proj.qdb"));
        ASSERT_TRUE(test::writeFixtureCatalogue(path));
        catalogue = std::make_unique<Catalogue>(path);
        ASSERT_TRUE(catalogue->status().ok());
    }

    ModelSelection select(int device, const QString& manufacturer, const QString& model) {
        auto result = selectModel(state, *catalogue, device, manufacturer, model);
        EXPECT_TRUE(result.ok());
        return result ? result.value() : ModelSelection{};
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<Catalogue> catalogue;
    ProjectState state;
};

// A stored command string in its decimal text form (" 2 16 3").
QString dec(const ByteList& list) {
    return list.textForm(Notation::Decimal);
}

} // namespace

TEST_F(CatalogueTest, QueriesAnswerInCatalogueOrderWithModelsSorted) {
    EXPECT_EQ(catalogue->manufacturers().value(), QStringList({"Zeta", "Acme", "O'Neil"}));
    EXPECT_EQ(catalogue->models("Acme").value(), QStringList({"A100", "M50", "X200"}));
    EXPECT_EQ(catalogue->models("O'Neil").value(), QStringList({"Bell's 1"}));
    EXPECT_TRUE(catalogue->models("x' OR '1'='1").value().isEmpty());
    EXPECT_EQ(catalogue->commandNames().value().first(), "On");
    EXPECT_EQ(catalogue->commandNames().value().size(), 12);

    const auto m50 = catalogue->model("Acme", "M50").value();
    ASSERT_TRUE(m50);
    EXPECT_EQ(m50->protocal, Value(2));
    EXPECT_FALSE(catalogue->model("Acme", "").value());
    EXPECT_EQ(catalogue->serialSettings(Value("2")).value()->parity, Value("EVEN"));
    EXPECT_FALSE(catalogue->serialSettings(Value(99)).value());
    EXPECT_FALSE(catalogue->serialSettings(Value()).value());
    EXPECT_EQ(catalogue->protocol(Value(1)).value()->command("black_screen"), "2 16 3 / 2 17 3");
    EXPECT_FALSE(catalogue->protocol(Value(2)).value()->has("Composite_Video")); // ''
    EXPECT_FALSE(catalogue->protocol(Value(7)).value());
    EXPECT_EQ(*catalogue->commandMask("Mute_Audio").value(), "d");
    EXPECT_FALSE(catalogue->commandMask("Custom").value());
}

TEST_F(CatalogueTest, SelectingAModelStoresItAndPreselectsTheDefaults) {
    const ModelSelection s = select(0, "Acme", "A100");
    ASSERT_TRUE(s.found);
    EXPECT_TRUE(s.hasSettings);
    EXPECT_EQ(state.device(0).manufacturer + "|" + state.device(0).model + "|" +
                  state.device(0).label,
              "Acme|A100|Acme A100");
    EXPECT_EQ(state.protocolNumber(), Value(1));
    EXPECT_EQ(state.rs232Option(), Value(1));
    EXPECT_TRUE(state.device(0).labelVisible);
    EXPECT_EQ(state.port(0), (CommSets{9600, 1, 8, "NONE", 1}));
    EXPECT_TRUE(state.port(1).BaudRate.isUnset());

    EXPECT_EQ(s.lists.items.size(), 13);
    EXPECT_EQ(s.lists.items[0], "");
    EXPECT_EQ(state.device(0).commandItems, s.lists.items);
    for (int k = 0; k < kButtonCount; ++k) {
        EXPECT_EQ(s.lists.position[size_t(k)], k + 1);
        EXPECT_EQ(state.device(0).commandTexts[size_t(k)], kDefaultCommands[size_t(k)]);
    }
    EXPECT_FALSE(s.lists.renameButton8);
    EXPECT_EQ(dec(state.button(0).commandString1()), " 1 1");
    for (const auto& [button, type] :
         {std::pair{0, TypeOn}, {1, TypeOff}, {3, TypeSource}, {9, TypeMomentary}, {5, TypeToggle}})
        EXPECT_EQ(state.button(button).Button_type, Value(type)) << button;
    // Black_Screen has an on and an off string: both stored, the button toggles.
    EXPECT_EQ(dec(state.button(5).commandString1()), " 2 16 3");
    EXPECT_EQ(dec(state.button(5).commandString1_2()), " 2 17 3");
    EXPECT_EQ(state.button(5).commandString1().upperBound(), 3);
    EXPECT_TRUE(state.button(5).getDualFunction());
}

TEST_F(CatalogueTest, ProtocolLackingOnAndSVideo) {
    const ButtonConfig untouched = state.button(0);
    const ModelSelection s = select(0, "Zeta", "NoOn");
    EXPECT_EQ(s.lists.items,
              QStringList({"", "Off", "Volume_Up", "Computer_1", "Black_Screen", "Volume_Down",
                           "Computer_2", "Auto_Image", "Mute_Audio"}));
    EXPECT_EQ(s.lists.position[0], 0);
    EXPECT_EQ(s.lists.position[1], 1);
    EXPECT_EQ(state.device(0).commandTexts[0], "");
    EXPECT_EQ(state.device(0).commandTexts[1], "Off");
    EXPECT_EQ(dec(state.button(1).commandString1()), " 2 1 3");
    EXPECT_EQ(state.button(0), untouched);
    EXPECT_TRUE(s.lists.renameButton8);
    EXPECT_EQ(s.lists.position[7], -1);
    EXPECT_EQ(state.device(0).commandTexts[7], "");
}

TEST_F(CatalogueTest, ANewModelWithoutADefaultDropsThePreviousModelsCommand) {
    select(0, "Acme", "A100");
    select(1, "Acme", "A100");
    ASSERT_FALSE(state.button(0).commandString1().isEmpty());
    ASSERT_FALSE(state.button(7).commandString1().isEmpty());
    const ByteList portTwoOn = state.button(0).commandString2();

    select(0, "Zeta", "NoOn");
    // Buttons One and Eight show no command for the new model, so they send none on port one.
    EXPECT_TRUE(state.button(0).commandString1().isEmpty());
    EXPECT_TRUE(state.button(7).commandString1().isEmpty());
    EXPECT_EQ(state.button(0).commandString2(), portTwoOn);
    EXPECT_EQ(dec(state.button(1).commandString1()), " 2 1 3");
}

TEST_F(CatalogueTest, DeviceTwoLeavesDeviceOneAlone) {
    select(0, "Acme", "A100");
    const auto texts1 = state.device(0).commandTexts;
    const CommSets port0 = state.port(0);
    const ByteList on = state.button(0).commandString1();

    // Its protocol lacks "On": the reset of button One's list must hit device #2's list.
    const ModelSelection s = select(1, "Zeta", "NoOn");
    EXPECT_EQ(state.device(0).model + "|" + state.device(0).label, "A100|Acme A100");
    EXPECT_EQ(state.device(0).commandTexts, texts1);
    EXPECT_EQ(state.port(0), port0);
    EXPECT_EQ(state.button(0).commandString1(), on);

    EXPECT_EQ(state.device(1).manufacturer + "|" + state.device(1).label, "Zeta|Zeta NoOn");
    EXPECT_TRUE(state.device(1).labelVisible);
    EXPECT_EQ(state.port(1), (CommSets{19200, 1, 8, "EVEN", 2}));
    EXPECT_EQ(state.protocolNumber(), Value(2));
    EXPECT_EQ(state.device(1).commandTexts[1], "Off");
    EXPECT_EQ(dec(state.button(1).commandString2()), " 2 1 3");
    EXPECT_EQ(state.button(1).Button_type, Value(TypeOff)); // from device #1's "Off"
    EXPECT_EQ(s.lists.position[0], 0);

    // A device #2 choice reads device #2's protocol, not the one looked up last.
    select(0, "Acme", "X200");
    ASSERT_TRUE(chooseCommand(state, *catalogue, 1, 4, "Computer_1").ok());
    EXPECT_EQ(dec(state.button(4).commandString2()), " 2 4");
}

TEST_F(CatalogueTest, ModelWithoutSerialSettingsKeepsThePortSettings) {
    select(0, "Acme", "M50");
    const ModelSelection s = select(0, "Zeta", "NoSettings");
    EXPECT_TRUE(s.found);
    EXPECT_FALSE(s.hasSettings);
    EXPECT_EQ(state.device(0).label, "Zeta NoSettings");
    EXPECT_EQ(state.rs232Option(), Value(99));
    EXPECT_EQ(state.device(0).commandTexts[0], "On");
    EXPECT_EQ(state.port(0), (CommSets{19200, 1, 8, "EVEN", 1}));
}

TEST_F(CatalogueTest, ApostrophesInNames) {
    const ModelSelection s = select(1, "O'Neil", "Bell's 1");
    EXPECT_TRUE(s.found);
    EXPECT_EQ(state.device(1).label, "O'Neil Bell's 1");
    EXPECT_EQ(dec(state.button(0).commandString2()), " 3 0");
}

TEST_F(CatalogueTest, ChoosingACommandReplacesTheSecondaryString) {
    select(0, "Acme", "A100");
    ASSERT_TRUE(chooseCommand(state, *catalogue, 0, 2, "Mute_Audio").ok());
    EXPECT_TRUE(state.button(2).getDualFunction());
    EXPECT_EQ(dec(state.button(2).commandString1_2()), " 2 19 3");

    // No second part: the old secondary string and the dual flag go.
    ASSERT_TRUE(chooseCommand(state, *catalogue, 0, 2, "Volume_Up").ok());
    EXPECT_EQ(dec(state.button(2).commandString1()), " 1 3");
    EXPECT_TRUE(state.button(2).commandString1_2().isEmpty());
    EXPECT_FALSE(state.button(2).getDualFunction());
    EXPECT_EQ(state.button(2).Button_type, Value(TypeMomentary));

    // The dual flag stays while the other port keeps a secondary string.
    select(1, "Acme", "A100");
    ASSERT_TRUE(chooseCommand(state, *catalogue, 1, 3, "Black_Screen").ok());
    EXPECT_EQ(dec(state.button(3).commandString2_2()), " 2 17 3");
    ASSERT_TRUE(chooseCommand(state, *catalogue, 0, 3, "On").ok());
    EXPECT_TRUE(state.button(3).getDualFunction());
    ASSERT_TRUE(chooseCommand(state, *catalogue, 1, 3, "Off").ok());
    EXPECT_FALSE(state.button(3).getDualFunction());
}

TEST_F(CatalogueTest, EmptyOrUnknownChoicesStoreNothing) {
    select(0, "Acme", "A100");
    const ButtonConfig before = state.button(4);
    ASSERT_TRUE(chooseCommand(state, *catalogue, 0, 4, "").ok());
    ASSERT_TRUE(chooseCommand(state, *catalogue, 0, 4, "Custom").ok());
    EXPECT_EQ(state.button(4), before);
    ASSERT_TRUE(applyButtonMask(state, *catalogue, 4).ok()); // "Custom" has no mask row
    EXPECT_EQ(state.button(4), before);

    // A protocol without a row leaves lists and records as they were.
    const auto items = state.device(0).commandItems;
    state.setProtocolNumber(42);
    EXPECT_FALSE(populateCommandListsWithDefaults(state, *catalogue, 0).ok());
    EXPECT_EQ(state.device(0).commandItems, items);
    EXPECT_EQ(state.button(4), before);
}

TEST_F(CatalogueTest, CreateDatasetLooksUpWithoutDefaultsOrNames) {
    select(0, "Acme", "A100");
    const ButtonConfig before = state.button(0);
    EXPECT_FALSE(createDataset(state, *catalogue, 0, "Zeta", "Q9").value());
    EXPECT_FALSE(createDataset(state, *catalogue, 0, "", "").value());
    EXPECT_EQ(state.device(0).label, "Acme A100");

    EXPECT_TRUE(createDataset(state, *catalogue, 0, "Acme", "M50").value());
    EXPECT_EQ(state.device(0).model, "A100"); // the file reader stores names itself
    EXPECT_EQ(state.device(0).label, "Acme M50");
    EXPECT_EQ(state.port(0), (CommSets{19200, 1, 8, "EVEN", 2}));
    EXPECT_EQ(state.device(0).commandItems.size(), 9);
    EXPECT_EQ(state.device(0).commandTexts[1], "");
    EXPECT_EQ(state.button(0), before);
}

TEST(Catalogue, MissingOrBrokenFileIsNamedInOneMessage) {
    QTemporaryDir dir;
    test::writeFile(dir.filePath("junk.qdb"), QByteArray(4096, 'x'));
    for (const auto& [name, why] : {std::pair{"Proj.qdb", ""}, {"junk.qdb", "not a database"}}) {
        Catalogue broken(dir.filePath(name));
        ASSERT_FALSE(broken.status().ok());
        const QString message = broken.status().error().message;
        EXPECT_TRUE(message.contains(QDir::toNativeSeparators(dir.filePath(name))) &&
                    message.contains(why))
            << message.toStdString();
        EXPECT_FALSE(broken.manufacturers().ok());
        ProjectState state;
        EXPECT_FALSE(createDataset(state, broken, 0, "Acme", "A100").ok());
    }
}

TEST(DeviceOptions, KdxTableSecondProjectorAndUploadPort) {
    ProjectState state;
    setKdxDevicePresent(state, true);
    const std::array<int, 21> table{126, 126, 126, 126, 126, 126, 126, 126, 126, 126, 0,
                                    54,  55,  43,  49,  51,  53,  45,  50,  52,  56};
    EXPECT_EQ(state.kdxCodeTable(), table);
    setKdxDevicePresent(state, false);
    EXPECT_FALSE(state.kdxDevicePresent());
    EXPECT_EQ(state.kdxCodeTable(), table);

    for (const int b : {0, 3, kButtonCount - 1}) // the first, one between and the last button
        state.updateButton(b, [&](ButtonConfig& record) {
            record.setCommandString2(2, ByteList{1, 2});
        });
    setSecondProjectorEnabled(state, true);
    state.setDeviceLabelVisible(1, true);
    setSecondProjectorEnabled(state, false);
    for (const int b : {0, 3, kButtonCount - 1})
        EXPECT_TRUE(state.button(b).commandString2().isEmpty()) << b;
    EXPECT_FALSE(state.device(1).labelVisible);
    EXPECT_FALSE(state.commandList2Visible());
    setSecondProjectorEnabled(state, true);
    EXPECT_TRUE(state.commandList2Visible());
    EXPECT_FALSE(state.device(1).labelVisible);

    setUploadPort(state, 3);
    EXPECT_EQ(state.uploadPort(), 3);
    setUploadPort(state, 4);
    EXPECT_EQ(state.uploadPort(), 3);
}

// Every command cell of the shipped catalogue is decimal bytes with single blanks and at most
// one " / " second part; the default commands lead table available in button order.
TEST(ShippedCatalogue, CommandCellsAreWellFormedBytes) {
    const QString path = test::binDir() + "/Proj.qdb";
    Catalogue shipped(path);
    ASSERT_TRUE(shipped.status().ok()) << shipped.status().error().message.toStdString();
    const QStringList names = shipped.commandNames().value();
    for (size_t k = 0; k < kDefaultCommands.size(); ++k)
        EXPECT_EQ(names.value(int(k)), kDefaultCommands[k]);
    EXPECT_GE(shipped.manufacturers().value().size(), 6);

    const QRegularExpression form(R"(^\d{1,3}( \d{1,3})*( / \d{1,3}( \d{1,3})*)?$)");
    int protocols = 0, cells = 0;
    {
        auto db = QSqlDatabase::addDatabase("QSQLITE", "shipped");
        db.setDatabaseName(path);
        db.setConnectOptions("QSQLITE_OPEN_READONLY");
        ASSERT_TRUE(db.open());
        QSqlQuery q("select * from protocal", db);
        while (q.next()) {
            ++protocols;
            const QSqlRecord row = q.record();
            for (int i = 1; i < row.count(); ++i) {
                const QString cell = row.value(i).toString();
                if (cell.isEmpty())
                    continue;
                ++cells;
                EXPECT_TRUE(form.match(cell).hasMatch()) << cell.toStdString();
                for (const QString& token : QString(cell).replace(" / ", " ").split(' '))
                    EXPECT_LE(token.toInt(), 255) << cell.toStdString();
                EXPECT_TRUE(names.contains(row.fieldName(i))) << row.fieldName(i).toStdString();
            }
        }
        QSqlQuery models("select count(*) from make m where exists (select 1 from protocal p "
                         "where p.protocalNumber = m.protocal) and exists (select 1 from "
                         "CommSettup c where c.rs_232Option = m.rs_232Setup)",
                         db);
        ASSERT_TRUE(models.next());
        EXPECT_GE(models.value(0).toInt(), 15);
        QSqlQuery all("select count(*) from make", db);
        ASSERT_TRUE(all.next());
        EXPECT_EQ(all.value(0).toInt(), models.value(0).toInt());
    }
    QSqlDatabase::removeDatabase("shipped");
    EXPECT_GE(protocols, 6);
    EXPECT_GT(cells, 100);
}
