#include "ui/main/intro.h"

#include "app_version.h"
#include "ui/widgets/brand_picture.h"
#include "ui/widgets/twips.h"

#include <QLabel>
#include <QTimer>

namespace ondrel::ui {

Intro::Intro(QWidget* mainWindow, QWidget* parent)
    : QFrame(parent, Qt::SplashScreen | Qt::FramelessWindowHint), mainWindow_(mainWindow),
      showTimer_(new QTimer(this)) {
    setObjectName(QStringLiteral("Intro"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(twipsToPixels(QSizeF(7200, 3840)));
    setFrameShape(QFrame::Box);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto label = [this](const char* name, const QString& text, const QRectF& twips) {
        auto* l = new QLabel(text, this);
        l->setObjectName(QString::fromLatin1(name));
        l->setGeometry(twipsToPixels(twips));
        return l;
    };

    auto* image = label("Image1", {}, {360, 360, 3600, 1800});
    image->setPixmap(brandPicture(image->size()));

    QLabel* name = label("Label1", QStringLiteral("Ondrel"), {4200, 600, 2700, 900});
    name->setFont(productNameFont(28));
    name->setAlignment(Qt::AlignCenter);

    label("Label2", tr("Software Version:"), {4200, 1560, 1800, 300});
    QLabel* version = label("Label4", versionText(), {6000, 1560, 900, 300});
    version->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    label("Label3", tr("Corvane Control Systems Ltd."), {360, 2640, 6480, 300});
    label("Label5", tr("Unit 4, Harbour Works, Westgate  -  support@corvane.example"),
          {360, 3000, 6480, 300});

    showTimer_->setObjectName(QStringLiteral("Timer1"));
    showTimer_->setSingleShot(true);
    showTimer_->setInterval(kShowMilliseconds);
    connect(showTimer_, &QTimer::timeout, this, &Intro::timer1Elapsed);
    showTimer_->start();
}

void Intro::timer1Elapsed() {
    showTimer_->stop();
    if (mainWindow_)
        mainWindow_->show();
    close();
}

} // namespace ondrel::ui
