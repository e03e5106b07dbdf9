// Renders each window of the tool into DIR/<objectName>.png on whatever platform Qt runs on
// (scripts/screenshots uses offscreen).
#include "shots.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QWidget>
#include <cstdio>
#include <map>
#include <string>

namespace ondrel::shots {

namespace {
std::map<std::string, ShotsFunction>& areas() {
    static std::map<std::string, ShotsFunction> registry;
    return registry;
}
} // namespace

bool registerArea(const char* area, ShotsFunction function) {
    areas()[area] = function;
    return true;
}

Shots::Shots(QString dir) : dir_(std::move(dir)) {
    reset();
}

Shots::~Shots() = default;

void Shots::reset() {
    main_.reset();
    state_ = std::make_unique<ProjectState>();
    main_ = std::make_unique<ui::FrmMain>(*state_);
}

bool Shots::save(QWidget* window, const QString& name, double pixelRatio) {
    const QString file = QDir(dir_).filePath((name.isEmpty() ? window->objectName() : name) +
                                             QStringLiteral(".png"));
    if (!window->isVisible())
        window->show();
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
    QPixmap picture;
    if (pixelRatio > 0) {
        picture = QPixmap(window->size() * pixelRatio);
        picture.setDevicePixelRatio(pixelRatio);
        window->render(&picture);
    } else {
        picture = window->grab();
    }
    const bool ok = picture.save(file);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    if (!ok)
        ++failures_;
    return ok;
}

} // namespace ondrel::shots

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ondrel-screenshots DIR [AREA...]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (const auto& [area, function] : ondrel::shots::areas()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i)
            wanted = wanted || area == argv[i];
        if (!wanted)
            continue;
        ondrel::shots::Shots shots(dir);
        function(shots);
        failures += shots.failures();
    }
    return failures == 0 ? 0 : 1;
}
