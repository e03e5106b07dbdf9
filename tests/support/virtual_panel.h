#pragma once

#include "panel_core.h"
#include "support/pty_program.h"
#include "support/test_support.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

namespace ondrel::test {

// The ondrel-panel program on its own pseudo-terminal, for tests that program a panel.
// `arguments` add panel options (faults, delays); stop() ends it and collects its memory.
class VirtualPanel {
public:
    explicit VirtualPanel(const QStringList& arguments = {})
        : program_(binDir() + QStringLiteral("/ondrel-panel"),
                   QStringList{QStringLiteral("--dump"), dumpPath(), QStringLiteral("--decode"),
                               decodePath()} +
                       arguments) {}
    ~VirtualPanel() { stop(); }
    VirtualPanel(const VirtualPanel&) = delete;
    VirtualPanel& operator=(const VirtualPanel&) = delete;

    bool ok() const { return program_.ok(); }
    // The device to open: the pty's slave end.
    QString path() const { return program_.path(); }

    // Ends the panel (it writes its memory on the way out); safe to call twice.
    void stop() { program_.stop(); }
    // What the panel's memory holds, once it has ended.
    panel::PanelMemory memory() {
        stop();
        Result<panel::PanelMemory> parsed = panel::PanelMemory::parseDump(dump());
        EXPECT_TRUE(parsed.ok());
        return parsed.ok() ? parsed.value() : panel::PanelMemory();
    }
    // The written memory as "1600: 00 01 ..." lines, after stop().
    QString dump() const { return readText(dumpPath()); }
    // The configuration table as text, after stop().
    QString decoded() const { return readText(decodePath()); }
    QString log() { return program_.log(); }

private:
    QString dumpPath() const { return dir_.filePath(QStringLiteral("memory.txt")); }
    QString decodePath() const { return dir_.filePath(QStringLiteral("table.txt")); }
    static QString readText(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir dir_; // before the program, whose arguments name its files
    PtyProgram program_;
};

} // namespace ondrel::test
