// The window program's command line, and its Help menu.
#include "files/qcd_file.h"
#include "support/cli_run.h"
#include "support/qcd_fixtures.h"
#include "support/ui_helpers.h"
#include "ui/main/frm_about.h"
#include "ui/main/frm_main.h"
#include "ui/main/intro.h"
#include "ui/main/start_up.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QUrl>

using namespace ondrel;
using namespace ondrel::test;
using ondrel::ui::FrmMain;
using Kind = ondrel::ui::StartRequest::Kind;

namespace {

// What Help > User Guide hands to the system's browser.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls << url; }
};

// Starts the main window as `ondrel FILE` does: the splash with the version, cut short, then the
// main window.
void startWith(FrmMain& main, const QString& file) {
    ui::startMainWindow(main, ui::parseStartArguments({"ondrel", file}).file);
    QPointer<ui::Intro> intro;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* splash = qobject_cast<ui::Intro*>(w); splash && splash->isVisible())
            intro = splash;
    ASSERT_TRUE(intro);
    EXPECT_EQ(intro->findChild<QLabel*>("Label4")->text(), "1.0.0");
    intro->Timer1()->start(1);
    EXPECT_TRUE(waitUntil([&] { return main.isVisible() && intro.isNull(); }));
    QApplication::processEvents();
}

QByteArray saved(ProjectState& state, const QString& path) {
    EXPECT_TRUE(saveConfiguration(state, path));
    return readFile(path);
}

} // namespace

TEST(StartArguments, FileHelpVersionCheckAndWrongUse) {
    const QString here = QDir::currentPath();
    for (const auto& [args, kind, result] :
         {std::tuple{QStringList{}, Kind::Window, QString()},
          {{"room.qcd"}, Kind::Window, here + "/room.qcd"},
          // (On Windows the path gains the current drive.)
          {{"file:///tmp/a%20b.qcd"}, Kind::Window, QFileInfo("/tmp/a b.qcd").absoluteFilePath()},
          {{"--check-install"}, Kind::CheckInstall, QString()},
          {{"--version"}, Kind::Version, "ondrel 1.0.0\n"},
          {{"--bogus", "--help"}, Kind::Help, "Usage: ondrel [FILE.qcd]\n"},
          {{"--bogus"}, Kind::UsageError, "ondrel: Unknown option 'bogus'.\n"},
          {{"a.qcd", "b.qcd"},
           Kind::UsageError,
           "ondrel: opens one configuration file at a time, not 2.\n"},
          {{"--check-install", "a.qcd"},
           Kind::UsageError,
           "ondrel: --check-install takes no file.\n"}}) {
        const auto request = ui::parseStartArguments(QStringList{"ondrel"} + args);
        EXPECT_EQ(request.kind, kind) << args.join(' ').toStdString();
        const QString& got = kind == Kind::Window ? request.file : request.text;
        EXPECT_TRUE(got.startsWith(result)) << got.toStdString();
    }
}

// As from a text console: no display, and no platform named.
TEST(StartArguments, HelpAndVersionNeedNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        env.remove(name);
    for (const auto& [option, start] :
         {std::pair{"--version", "ondrel 1.0.0\n"}, {"--help", "Usage: ondrel [FILE.qcd]\n"}}) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(programPath("ondrel"), {option});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 0) << option;
        // Windows ends the lines with CR LF.
        EXPECT_TRUE(p.readAllStandardOutput().replace("\r\n", "\n").startsWith(start)) << option;
    }
}

TEST(StartUp, AFileNamedOnTheCommandLineOpensAsFileOpenOpensIt) {
    QTemporaryDir dir;
    QStringList lines = workedExampleLines();
    lines[1] = "Epson";
    lines[2] = "EMP-61";
    lines[157] = "Epson EMP-61";
    const QString good = writeFile(dir.filePath("lecture-hall.qcd"), fileBytes(lines));
    ProjectState state;
    FrmMain main(state);
    main.useCatalogue(binDir() + "/Proj.qdb");
    MessageBoxes boxes;
    startWith(main, good);
    EXPECT_TRUE(boxes.seen().isEmpty());
    EXPECT_TRUE(main.windowTitle().endsWith(" - lecture-hall.qcd[*]"));
    EXPECT_EQ(main.documentFile(), good);
    // The same records as ondrel-cli reads from the file: its lists, and every saved line.
    const CliRun check = cli({"check", good});
    ASSERT_EQ(check.exitCode, 0) << check.err.toStdString();
    const auto commands = QRegularExpression("Device #1: Epson EMP-61 \\(protocol 1, (\\d+) ")
                              .match(check.out)
                              .captured(1);
    EXPECT_EQ(main.Combo1(0)->count(), commands.toInt() + 1); // and the empty first item
    ASSERT_EQ(cli({"resave", good, dir.filePath("cli.qcd")}).exitCode, 0);
    EXPECT_EQ(saved(state, dir.filePath("window.qcd")), readFile(dir.filePath("cli.qcd")));

    // A damaged file: File > Open's message, and the project stays new.
    lines[126] = "Maybe";
    const QString bad = writeFile(dir.filePath("damaged.qcd"), fileBytes(lines));
    ProjectState fromMenu, fromLine, fresh;
    FrmMain menuWindow(fromMenu), lineWindow(fromLine);
    menuWindow.chooseConfigurationFile = [&](bool) { return bad; };
    test::action(menuWindow, "mnuOpenFile")->trigger();
    const QString fileOpenText = boxes.next().text;
    startWith(lineWindow, bad);
    EXPECT_EQ(boxes.next().text, fileOpenText);
    EXPECT_TRUE(fileOpenText.startsWith("Could not open \"" + QDir::toNativeSeparators(bad)));
    EXPECT_TRUE(lineWindow.documentFile().isEmpty());
    EXPECT_EQ(saved(fromLine, dir.filePath("1.qcd")), saved(fresh, dir.filePath("2.qcd")));
}

TEST(HelpMenu, LastOnTheBarOpensTheBuiltGuideAndTheAboutWindow) {
    ProjectState state;
    FrmMain main(state);
    main.show();
    EXPECT_EQ(main.menuBar()->actions().last(), test::menu(main, "mnuHelp")->menuAction());

    // The guide as built: one file, its images inside, every link to a heading resolved.
    const QString guide = binDir() + "/user-guide.html";
    const QString html = QString::fromUtf8(readFile(guide));
    EXPECT_EQ(html.count("<img src=\"data:image/png;base64,"), html.count("<img "));
    for (const auto& link : QRegularExpression("href=\"#([^\"]+)\"").globalMatch(html))
        EXPECT_TRUE(html.contains("id=\"" + link.captured(1) + "\""))
            << link.captured(1).toStdString();

    UrlCatcher browser;
    QDesktopServices::setUrlHandler("file", &browser, "open");
    ui::openUserGuide(&main, guide);
    QDesktopServices::unsetUrlHandler("file");
    EXPECT_EQ(browser.urls, QList<QUrl>{QUrl::fromLocalFile(guide)});
    // The test program has no guide beside it; the offscreen platform has no browser.
    MessageBoxes boxes;
    test::action(main, "mnuUserGuide")->trigger();
    EXPECT_TRUE(
        boxes.next().text.startsWith("The user guide is missing: \"" +
                                     QDir::toNativeSeparators(QApplication::applicationDirPath())));
    ui::openUserGuide(&main, guide);
    EXPECT_TRUE(boxes.next().text.startsWith("No program on this computer opened the user guide."));

    test::action(main, "mnuAbout")->trigger();
    test::action(main, "mnuAbout")->trigger();
    const auto windows = main.findChildren<ui::FrmAbout*>();
    ASSERT_EQ(windows.size(), 1);
    EXPECT_TRUE(windows[0]->lblVersion()->text().contains(
        QRegularExpression("^Configuration tool, version 1\\.0\\.0\nQt " +
                           QRegularExpression::escape(qVersion()) + ", SQLite 3\\.\\d+")));
    const QString licences = windows[0]->txtLicences()->toPlainText();
    for (const char* text : {"GNU LESSER GENERAL PUBLIC LICENSE", "GNU GENERAL PUBLIC LICENSE",
                             "END OF TERMS AND CONDITIONS", "public domain"})
        EXPECT_TRUE(licences.contains(text)) << text;
}

#include "start_up_test.moc"
