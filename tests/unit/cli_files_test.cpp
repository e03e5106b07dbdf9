// ondrel-cli check and resave, run as the built program.
#include "files/qcd_file.h"
#include "support/cli_run.h"
#include "support/qcd_fixtures.h"
#include "support/test_support.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace ondrel;
using namespace ondrel::test;

namespace {

class CliFiles : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString write(const QString& name, const QByteArray& bytes) {
        return writeFile(dir.filePath(name), bytes);
    }
    QByteArray read(const QString& name) { return readFile(dir.filePath(name)); }
};

} // namespace

TEST_F(CliFiles, CheckSummarisesAGoodFileAndNamesTheLineOfABadOne) {
    const QString good = write("example.qcd", fileBytes(workedExampleLines()));
    const CliRun ok = cli({"check", good});
    EXPECT_EQ(ok.exitCode, 0) << ok.err.toStdString();
    EXPECT_TRUE(ok.out.startsWith(good + ": opens, with 1 warning(s) above\n"))
        << ok.out.toStdString();
    EXPECT_TRUE(ok.out.contains("Device #1: Maker A Model 1\nDevice #2: none\n"));
    EXPECT_TRUE(ok.out.contains("Shut-off timer: 1:30 (90 minutes)\n"));
    // 'Maker A' is not in the shipped catalogue: a warning, not a failure.
    EXPECT_EQ(ok.err, good + ":2: warning: the catalogue has no model \"Model 1\" of \"Maker A\"; "
                             "device #1 keeps its command lists and settings\n");

    QStringList lines = workedExampleLines();
    lines[125] = "Yes";
    const QString bad = write("bad.qcd", fileBytes(lines));
    const CliRun failed = cli({"check", bad});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_EQ(failed.err,
              bad + ":126: dual function of Button One is \"Yes\", not \"True\" or \"False\"\n");
    EXPECT_TRUE(failed.out.isEmpty());

    // It opens, but its image cannot be built: a command longer than its length field.
    lines = workedExampleLines();
    lines[26] = QStringLiteral(" 1").repeated(200);
    const CliRun tooLong = cli({"check", write("long.qcd", fileBytes(lines))});
    EXPECT_EQ(tooLong.exitCode, 1);
    EXPECT_TRUE(tooLong.err.contains("long.qcd: opens, but cannot be uploaded: Button 1"))
        << tooLong.err.toStdString();

    // A baud rate typed with letter O opens, but neither check nor the image report let it pass
    // while Button One sends on that port.
    lines = workedExampleLines();
    lines[160] = "96OO";
    const QString typo = write("typo.qcd", fileBytes(lines));
    const QString reason = "Control port 1 has a setting the panel does not know: baud rate "
                           "\"96OO\" (it knows 7600, 9600, 19200, 28800, 38400 or 115200). "
                           "Button 1 sends on that port";
    for (const QStringList& args : {QStringList{"check", typo}, {"image", typo, "--report"}}) {
        const CliRun refused = cli(args);
        EXPECT_EQ(refused.exitCode, 1);
        EXPECT_TRUE(refused.err.contains(typo + ": ") && refused.err.contains(reason))
            << refused.err.toStdString();
        EXPECT_TRUE(refused.out.isEmpty()) << refused.out.toStdString(); // no "Baud Rate: 0 0"
    }
}

TEST_F(CliFiles, ResaveGivesTheSameBytesAndAddsTheExtension) {
    ProjectState full;
    setUpFullState(full);
    for (const QByteArray& bytes :
         {fileBytes(workedExampleLines()), writeQcd(full), fileBytes({"<End>"})}) {
        const QString in = write("in.qcd", bytes);
        const CliRun r = cli({"resave", in, dir.filePath("out")});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_EQ(r.out, "Saved " + dir.filePath("out.qcd") + "\n");
        const QByteArray expected = bytes.size() > 10 ? bytes : writeQcd(ProjectState());
        EXPECT_EQ(read("out.qcd"), expected);
    }
    const CliRun missing = cli({"resave", dir.filePath("none.qcd"), dir.filePath("out.qcd")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.startsWith(dir.filePath("none.qcd") + ": cannot open the file"));
}

// A model of the shipped catalogue is looked up again on open; the saved port settings and list
// texts still come back unchanged.
TEST_F(CliFiles, ShippedCatalogueModelIsLookedUpAndResavedUnchanged) {
    QStringList lines = workedExampleLines();
    lines[1] = "Epson";
    lines[2] = "EMP-61";
    lines[157] = "Epson EMP-61";
    lines[160] = "19200"; // not the catalogue's baud rate
    const QString in = write("epson.qcd", fileBytes(lines));
    const CliRun check = cli({"check", in});
    EXPECT_EQ(check.exitCode, 0);
    EXPECT_TRUE(check.err.isEmpty()) << check.err.toStdString();
    EXPECT_TRUE(check.out.contains(
        QRegularExpression("Device #1: Epson EMP-61 \\(protocol 1, [1-9][0-9]* commands\\)\n")))
        << check.out.toStdString();
    ASSERT_EQ(cli({"resave", in, dir.filePath("again.qcd")}).exitCode, 0);
    EXPECT_EQ(read("again.qcd"), fileBytes(lines));
}

TEST(Cli, VersionHelpAndWrongUsage) {
    EXPECT_TRUE(cli({"--version"}).out.startsWith("ondrel-cli "));
    EXPECT_TRUE(cli({"check", "--help"}).out.startsWith("Usage: ondrel-cli check FILE.qcd\n"));
    for (const auto& [args, code] : {std::pair{QStringList{"--version"}, 0},
                                     {{"--help"}, 0},
                                     {{"check", "--help"}, 0},
                                     {{"help", "resave"}, 0},
                                     {{}, 2},
                                     {{"frobnicate"}, 2},
                                     {{"check"}, 2},
                                     {{"resave", "only-one.qcd"}, 2},
                                     {{"image"}, 2},
                                     {{"image", "a.qcd", "--bogus"}, 2}})
        EXPECT_EQ(cli(args).exitCode, code) << args.join(' ').toStdString();
    EXPECT_TRUE(cli({"check"}).err.startsWith("ondrel-cli check: expects exactly one file\n"));
}

TEST_F(CliFiles, ImagePrintsOrWritesTheConfigurationImage) {
    const QString in = write("example.qcd", fileBytes(workedExampleLines()));
    const CliRun shown = cli({"image", in});
    ASSERT_EQ(shown.exitCode, 0) << shown.err.toStdString();
    const QStringList lines = shown.out.split('\n');
    ASSERT_EQ(lines.size(), 9); // 114 bytes in 8 lines, then the final line end
    EXPECT_EQ(lines[0], "00 01 00 01 00 02 00 5A 00 24 00 00 00 00 00 03");
    EXPECT_TRUE(lines[1].startsWith("00 00 00 02 00 50 00 03 00 01 "));

    const CliRun kdx = cli({"image", in, "--kdx", "--report", "-o", dir.filePath("image.bin")});
    ASSERT_EQ(kdx.exitCode, 0) << kdx.err.toStdString();
    const QByteArray bytes = read("image.bin");
    EXPECT_EQ(bytes.size(), 114 + 40); // the codes' bytes: ConfigImage.KdxCodesFollow...
    EXPECT_TRUE(kdx.out.contains("\nBaud Rate: 0 2 \nTimer: 0 90\n\nButton Number 1\n"));
    EXPECT_EQ(cli({"image", dir.filePath("none.qcd")}).exitCode, 1);
}

TEST(Cli, BytesWarnsOfLookalikeNamesAndTakesFramesOverTwoLines) {
    const CliRun lookalike = cli({"bytes", "PWR ON<CRR>"});
    EXPECT_EQ(lookalike.exitCode, 0);
    EXPECT_EQ(lookalike.out + lookalike.err,
              "80 87 82 32 79 78 60 67 82 82 62\nwarning: column 7: \"<CRR>\" is no control name, "
              "so it is sent as 5 characters; did you mean <CR>?\n");
    EXPECT_EQ(cli({"bytes", "--hex", "BE EF 03\n06\t00"}).out, "190 239 3 6 0\n");
    const CliRun broken = cli({"bytes", "PWR\nON"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_EQ(broken.err,
              "column 4: \"\\n\" is a line break; in text write it as \\r or \\n (<CR>, <LF>)\n");
}
