#include "files/qcd_file.h"
#include "support/qcd_fixtures.h"
#include "support/test_support.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#ifdef Q_OS_UNIX
#include <sys/resource.h>
#endif

using namespace ondrel;
using namespace ondrel::test;

namespace {

// What the file carries, compared field by field.
void expectSameFileState(const ProjectState& a, const ProjectState& b) {
    for (int i = 0; i < kButtonCount; ++i) {
        EXPECT_EQ(a.button(i), b.button(i)) << "button " << i;
        EXPECT_EQ(a.device(0).commandTexts[i], b.device(0).commandTexts[i]);
        EXPECT_EQ(a.device(1).commandTexts[i], b.device(1).commandTexts[i]);
    }
    for (int d = 0; d < 2; ++d) {
        EXPECT_EQ(a.device(d).manufacturer, b.device(d).manufacturer);
        EXPECT_EQ(a.device(d).model, b.device(d).model);
        EXPECT_EQ(a.port(d), b.port(d)) << "port " << d;
    }
    EXPECT_EQ(a.device(0).label, b.device(0).label);
    EXPECT_EQ(a.device(1).label, b.device(1).label);
    EXPECT_EQ(a.device(0).labelVisible, b.device(0).labelVisible);
    EXPECT_EQ(a.device(1).labelVisible, b.device(1).labelVisible);
    EXPECT_EQ(a.commandList2Visible(), b.commandList2Visible());
    EXPECT_EQ(a.secondProjectorEnabled(), b.secondProjectorEnabled());
    EXPECT_EQ(a.port1SelectDisabled(), b.port1SelectDisabled());
    EXPECT_EQ(a.timerTexts(), b.timerTexts());
    EXPECT_EQ(a.timerMinutes(), b.timerMinutes());
}

class QcdFile : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    QString writeFile(const QString& name, const QByteArray& bytes) const {
        return test::writeFile(path(name), bytes);
    }
    // Opens the bytes into `state`; fails the test when they do not open.
    void open(ProjectState& state, const QByteArray& bytes, const DatasetLookup& lookup = {}) {
        const auto r = openConfiguration(state, writeFile("in.qcd", bytes), lookup);
        ASSERT_TRUE(r.ok()) << fileErrorText("in.qcd", r.error()).toStdString();
    }
    // Open then save must give back the same bytes.
    void expectResavesIdentically(const QByteArray& bytes) {
        ProjectState state;
        open(state, bytes);
        EXPECT_EQ(writeQcd(state), bytes);
    }
};

} // namespace

TEST_F(QcdFile, WorkedExampleIsWrittenByteForByte) {
    ProjectState state;
    setUpWorkedExample(state);
    const QStringList expected = workedExampleLines();
    EXPECT_EQ(writeQcd(state), fileBytes(expected));

    const auto saved = saveConfiguration(state, path("example"));
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(readFile(path("example.qcd")), fileBytes(expected));
    EXPECT_FALSE(state.isModified());
    EXPECT_EQ(state.currentFileName(), path("example"));
    expectResavesIdentically(fileBytes(expected));
}

TEST_F(QcdFile, SaveThenOpenRestoresEveryFieldAndBytes) {
    ProjectState full;
    setUpFullState(full);
    const QByteArray bytes = writeQcd(full);
    // Windows-1252 on disk: é is one byte 0xE9, € is 0x80.
    EXPECT_TRUE(bytes.contains("Soci\xE9t\xE9 \xC9"
                               "cran\r\n"));
    EXPECT_TRUE(bytes.contains("Custom \x80\r\n"));
    EXPECT_TRUE(bytes.endsWith("<Timer>\r\n12:05\r\n9:04\r\n6:02\r\n3:01\r\n<Port2.Enable>\r\n<"
                               "Port1.Disable>\r\n<End>\r\n"));

    ProjectState opened;
    open(opened, bytes);
    expectSameFileState(full, opened);
    EXPECT_EQ(opened.timerMinutes(), 725.0);
    EXPECT_FALSE(opened.isModified());
    EXPECT_EQ(writeQcd(opened), bytes);
}

TEST_F(QcdFile, CatalogueLookupRunsPerDeviceAndSavedPortSettingsWin) {
    std::vector<QString> calls;
    const DatasetLookup lookup = [&](ProjectState& s, int device, const QString& maker,
                                     const QString& model) {
        calls.push_back(QString("%1:%2:%3:%4").arg(device).arg(s.deviceNum()).arg(maker, model));
        if (maker.isEmpty())
            return Status(makeError("no such model"));
        s.setProtocolNumber(7);
        s.updatePort(device, [&](CommSets& settings) { settings.BaudRate = 38400; });
        return Status(Ok{});
    };
    ProjectState state;
    const QString file = writeFile("in.qcd", fileBytes(workedExampleLines()));
    const auto r = openConfiguration(state, file, lookup);
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(calls, (std::vector<QString>{"0:0:Maker A:Model 1", "1:1::"}));
    ASSERT_EQ(r.value().size(), 1u); // device #2 not found: a warning naming its line
    EXPECT_EQ(r.value()[0].line, 4);
    EXPECT_EQ(state.protocolNumber(), Value(7));
    EXPECT_EQ(state.port(0).BaudRate, Value(9600)); // "<Port Settings>" follows "<Data Set>"
    EXPECT_EQ(state.deviceNum(), 1);
}

TEST_F(QcdFile, BlockOrderDoesNotMatter) {
    QStringList lines = workedExampleLines();
    // Move "<Button Type>" (lines 70 to 80) in front of "<Data Set>", and "<Timer>" to the top.
    QStringList moved = lines.mid(69, 11) + lines.mid(170, 5) + lines.mid(0, 69) +
                        lines.mid(80, 90) + lines.mid(175);
    ASSERT_EQ(moved.size(), 176);
    ProjectState inOrder, reordered;
    open(inOrder, fileBytes(lines));
    open(reordered, fileBytes(moved));
    expectSameFileState(inOrder, reordered);
    EXPECT_EQ(reordered.button(0).Button_type, Value(0));
    expectResavesIdentically(fileBytes(lines));
}

TEST_F(QcdFile, NoneKeepsStringsAndDesignCaptionsKeepLabels) {
    ProjectState state;
    state.updateButton(4, [&](ButtonConfig& record) {
        record.setCommandString1(2, ByteList{1, 2});
    });
    state.updateButton(4,
                       [&](ButtonConfig& record) { record.setCommandString2_2(1, ByteList{9}); });
    open(state, fileBytes(workedExampleLines()));
    EXPECT_EQ(state.button(4).commandString1(), (ByteList{1, 2}));
    EXPECT_EQ(state.button(4).commandString2_2(), (ByteList{9}));
    EXPECT_EQ(state.button(0).commandString1(), (ByteList{2, 80, 3}));

    // "<BL>": a caption other than the design text goes to all ten labels and shows them;
    // "Label4" leaves device #2's labels and lists hidden.
    EXPECT_EQ(state.device(0).label, "Maker A Model 1");
    EXPECT_TRUE(state.device(0).labelVisible);
    EXPECT_EQ(state.device(1).label, "Label4");
    EXPECT_FALSE(state.device(1).labelVisible);
    EXPECT_FALSE(state.commandList2Visible());

    ProjectState custom;
    open(custom, fileBytes({"<BL>", "Label3", "Custom", "<End>"}));
    EXPECT_FALSE(custom.device(0).labelVisible);
    EXPECT_EQ(custom.device(1).label, "Custom");
    EXPECT_TRUE(custom.device(1).labelVisible);
    EXPECT_TRUE(custom.commandList2Visible());
}

TEST_F(QcdFile, FileOfOnlyEndChangesNothing) {
    ProjectState state;
    setUpFullState(state);
    const QByteArray before = writeQcd(state);
    open(state, "<End>\r\n");
    EXPECT_EQ(writeQcd(state), before);
    EXPECT_FALSE(state.isModified());
    // Unknown lines are skipped, and nothing after "<End>" is read.
    open(state, "hello\r\n<End>\r\n<Button Type>\r\n");
    EXPECT_EQ(writeQcd(state), before);
}

TEST_F(QcdFile, ExtensionRule) {
    EXPECT_EQ(qcdPathFor("setup"), "setup.qcd");
    EXPECT_EQ(qcdPathFor("setup.qcd"), "setup.qcd");
    EXPECT_EQ(qcdPathFor("SETUP.QCD"), "SETUP.QCD.qcd");
}

TEST_F(QcdFile, MalformedFileChangesNothingAndNamesTheLine) {
    struct Case {
        int line; // 1-based line to replace (0: drop lines from `cutFrom`)
        const char* text;
        int errorLine;
        const char* message;
    };
    const Case cases[] = {
        {72, "x", 72, "button type of Button Two is \"x\", not a number from 0 to 4"},
        {80, "5", 80, "button type of Button Ten is \"5\", not a number from 0 to 4"},
        {126, "Yes", 126, "dual function of Button One is \"Yes\", not \"True\" or \"False\""},
        {27, " 2 256 3", 27, "command string of Button One: 256 is not a byte value from 0 to 255"},
        {28, " 2 A0 3", 28, "command string of Button Two: \"A0\" is not a number"},
        {36, " ", 36, "command string of Button Ten is empty (bytes or \"None\" expected)"},
        {38, " 2 / 3", 38, "command string of Button One contains \"/\""},
        {82, "4", 82, "relay action of Button One is \"4\", not a number from 0 to 3"},
        {137, "2", 137,
         "Repeating/Incrementing flag of Button One is \"2\", not a number from 0 to 1"},
        {156, "-1", 156,
         "Repeating/Incrementing flag of Button Ten is \"-1\", not a number from 0 to 1"},
        {175, "1:3x", 175,
         "timer text \"1:3x\" is not a time in hours and minutes (such as \"1:30\")"},
        {172, "0:5", 172,
         "timer text \"0:5\" is not a time in hours and minutes (such as \"1:30\")"},
        {176, "<Ende>", 176, "the file ends before \"<End>\""},
    };
    ProjectState state;
    setUpFullState(state);
    state.setUnmodified();
    const QByteArray before = writeQcd(state);
    for (const Case& c : cases) {
        QStringList lines = workedExampleLines();
        lines[c.line - 1] = c.text;
        const auto r = openConfiguration(state, writeFile("bad.qcd", fileBytes(lines)), {});
        ASSERT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(r.error().line, c.errorLine);
        EXPECT_EQ(r.error().message, c.message);
        EXPECT_EQ(writeQcd(state), before) << c.text;
        EXPECT_FALSE(state.isModified());
    }
    // Cut inside a block: the end of the file is named.
    const auto cut = openConfiguration(
        state, writeFile("cut.qcd", fileBytes(workedExampleLines().mid(0, 165))), {});
    ASSERT_FALSE(cut.ok());
    EXPECT_EQ(fileErrorText("cut.qcd", cut.error()),
              "cut.qcd:165: the file ends inside the \"<Port Settings>\" block of line 160 (5 of "
              "10 value lines)");
    EXPECT_EQ(writeQcd(state), before);
    const auto missing = openConfiguration(state, path("none.qcd"), {});
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().line, 0);
}

// A runaway value is quoted in a few characters, not whole; a tag with a stray character (which
// loses its block) opens with a warning naming its line.
TEST_F(QcdFile, LongValuesAreCutAndUnknownTagsAreWarnedOf) {
    QStringList lines = workedExampleLines();
    lines[71] = QString(900'000, QLatin1Char('7'));
    ProjectState state;
    const auto refused = openConfiguration(state, writeFile("long.qcd", fileBytes(lines)), {});
    EXPECT_EQ(refused.error().message, "button type of Button Two is \"" + QString(40, '7') +
                                           QChar(0x2026) + "\", not a number from 0 to 4");
    lines = workedExampleLines();
    lines[170] = QStringLiteral("<Ti") + QChar(0) + QStringLiteral("mer>");
    lines.insert(0, QStringLiteral("\x1b"));
    const auto opened = openConfiguration(state, writeFile("tag.qcd", fileBytes(lines)), {});
    ASSERT_TRUE(opened.ok() && opened.value().size() == 2);
    EXPECT_EQ(fileErrorText("t", opened.value()[0]),
              "t:1: \"\\x1B\" is not a tag of a configuration file; the line was skipped");
    EXPECT_EQ(fileErrorText("t", opened.value()[1]), "t:172: \"<Ti\\0mer>\" is not a tag of a "
                                                     "configuration file; lines 172 to 176 were "
                                                     "skipped");
    EXPECT_FALSE(state.timerMinutes());
}

TEST_F(QcdFile, EmptyTimerMeansNotSetAndLaterTagsStillApply) {
    ProjectState saved;
    saved.setSecondProjectorEnabled(true);
    saved.setPort1SelectDisabled(true);
    const QByteArray bytes = writeQcd(saved);
    EXPECT_TRUE(bytes.contains(
        "<Timer>\r\n\r\n\r\n\r\n\r\n<Port2.Enable>\r\n<Port1.Disable>\r\n<End>\r\n"));

    ProjectState state;
    setShutOffTimer(state, 90); // a timer set before the open is replaced by "not set"
    open(state, bytes);
    EXPECT_TRUE(state.secondProjectorEnabled());
    EXPECT_TRUE(state.port1SelectDisabled());
    EXPECT_FALSE(state.timerMinutes().has_value());
    EXPECT_EQ(state.timerTexts()[0], "");
    expectResavesIdentically(bytes);

    // A file without the optional tags leaves the menu state as it was.
    open(state, fileBytes(workedExampleLines()));
    EXPECT_TRUE(state.secondProjectorEnabled());
}

TEST_F(QcdFile, LineEndsWithoutCarriageReturnAlsoRead) {
    QByteArray lf = fileBytes(workedExampleLines()).replace("\r\n", "\n");
    ProjectState a, b;
    open(a, lf);
    open(b, fileBytes(workedExampleLines()));
    expectSameFileState(a, b);
}

#ifdef Q_OS_UNIX // a file size limit for the process
// A save that fails while writing (here: the file size limit of the process) reports it and
// leaves the previous file as it was.
TEST_F(QcdFile, FailedSaveKeepsTheOldFile) {
    const QString target = path("keep.qcd");
    const QByteArray old = fileBytes({"<End>"});
    writeFile("keep.qcd", old);
    ProjectState state;
    setUpFullState(state);

    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 512;
    setrlimit(RLIMIT_FSIZE, &small);
    const auto r = saveConfiguration(state, target);
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_FALSE(r.ok());
    EXPECT_TRUE(r.error().message.startsWith("cannot write the file"));
    EXPECT_EQ(readFile(target), old);
    EXPECT_TRUE(state.isModified());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"keep.qcd"}); // no leftovers

    EXPECT_FALSE(saveConfiguration(state, path("no/such/folder/x")).ok());
}
#endif

TEST_F(QcdFile, DialogFolderIsCustomBesideTheProgramOrInDocuments) {
    const QString program = path("program");
    EXPECT_EQ(configurationFolder(program, path("docs")), program + "/Custom");
    EXPECT_TRUE(QFileInfo(program + "/Custom").isDir());
    // A program folder where nothing can be created (here: a file, not a folder).
    writeFile("installed", "x");
    EXPECT_EQ(configurationFolder(path("installed"), path("docs")), path("docs") + "/Custom");
    EXPECT_TRUE(QFileInfo(path("docs") + "/Custom").isDir());
}
