#include "ui/main/frm_about.h"

#include "app_version.h"
#include "catalogue/catalogue.h"
#include "ui/widgets/brand_picture.h"
#include "ui/widgets/messages.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

// The licence texts are resources of this static library: they must be pulled into the program.
static void initLicenceResources() {
    Q_INIT_RESOURCE(licences);
}

namespace ondrel::ui {

namespace {

QString resourceText(const QString& name) {
    QFile file(QStringLiteral(":/licences/") + name);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The Qt modules the program is linked with (Windows needs no Serial Port module).
#ifdef Q_OS_WIN
const QString kQtModules = QStringLiteral("Core, Gui, Widgets, Sql, Print Support, Network");
#else
const QString kQtModules =
    QStringLiteral("Core, Gui, Widgets, Sql, Print Support, Network, Serial Port");
#endif

QString licencesHtml(const QString& qt, const QString& sqlite) {
    QString html =
        QObject::tr("<p>The tool is built on these libraries:</p>"
                    "<p><b>Qt %1</b> (%3), "
                    "copyright The Qt Company Ltd. and other contributors, used under the "
                    "<a href=\"#lgpl\">GNU Lesser General Public License version 3</a>, which adds "
                    "its permissions to the <a href=\"#gpl\">GNU General Public License version "
                    "3</a>. Qt's source code is published by the Qt Project at qt.io.</p>"
                    "<p><b>SQLite %2</b>, which reads the projector catalogues: its authors have "
                    "dedicated it to the public domain.</p>")
            .arg(qt, sqlite, kQtModules);
    html += QStringLiteral("<h3><a name=\"lgpl\"></a>GNU Lesser General Public License version "
                           "3</h3><pre style=\"white-space: pre-wrap\">%1</pre>"
                           "<h3><a name=\"gpl\"></a>GNU General Public License version "
                           "3</h3><pre style=\"white-space: pre-wrap\">%2</pre>")
                .arg(resourceText(QStringLiteral("LGPL-3.0.txt")).toHtmlEscaped(),
                     resourceText(QStringLiteral("GPL-3.0.txt")).toHtmlEscaped());
    return html;
}

} // namespace

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
    initLicenceResources();
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(tr("About Ondrel"));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setPixmap(brandPicture(QSize(120, 60)));
    auto* name = new QLabel(QStringLiteral("Ondrel"), this);
    name->setObjectName(QStringLiteral("Label1"));
    name->setFont(productNameFont(20));
    const QString sqlite = sqliteVersion();
    version_ = new QLabel(tr("Configuration tool, version %1\nQt %2, SQLite %3")
                              .arg(versionText(), QString::fromLatin1(qVersion()),
                                   sqlite.isEmpty() ? tr("(driver missing)") : sqlite),
                          this);
    version_->setObjectName(QStringLiteral("lblVersion"));
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    licences_ = new QTextBrowser(this);
    licences_->setObjectName(QStringLiteral("txtLicences"));
    licences_->setHtml(licencesHtml(QString::fromLatin1(qVersion()), sqlite));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* heading = new QVBoxLayout;
    heading->addWidget(name);
    heading->addWidget(version_);
    auto* top = new QHBoxLayout;
    top->addWidget(picture);
    top->addLayout(heading, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(licences_, 1);
    layout->addWidget(buttons);
    resize(560, 460);
    buttons->button(QDialogButtonBox::Ok)->setFocus();
}

void openUserGuide(QWidget* parent, const QString& path) {
    const QString shown = QDir::toNativeSeparators(path);
    if (!QFileInfo(path).isFile()) {
        showMessage(parent, QMessageBox::Warning, QObject::tr("User Guide"),
                    QObject::tr("The user guide is missing: \"%1\" is not there.\n\nReinstall "
                                "the tool to bring it back.")
                        .arg(shown));
        return;
    }
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        showMessage(parent, QMessageBox::Warning, QObject::tr("User Guide"),
                    QObject::tr("No program on this computer opened the user guide. Open "
                                "\"%1\" with a web browser.")
                        .arg(shown));
}

} // namespace ondrel::ui
