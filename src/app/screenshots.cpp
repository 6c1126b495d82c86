#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <cstdio>

#include "app/about_dlg.h"
#include "app/kavri_dlg.h"
#include "app/par_gen_alg_dlg.h"
#include "app/par_kavri_dlg.h"

namespace kavri {

namespace {

bool savePicture(QWidget& window, const QDir& directory, const QString& name) {
    window.show();
    QApplication::processEvents();
    const QString path = directory.filePath(name);
    if (!window.grab().save(path, "PNG")) {
        std::fprintf(stderr, "kavri: could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    window.hide();
    return true;
}

}  // namespace

int takeScreenshots(const QString& directory, std::uint32_t seed) {
    QDir target(directory);
    if (!target.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kavri: could not create %s\n", qPrintable(directory));
        return 1;
    }

    KavriDlg main;
    RunOptions options;
    options.seed = seed;
    main.setRunOptions(options);
    main.setNoticeHandler([](const Notice& notice) {
        std::fprintf(stderr, "kavri: %s: %s\n", notice.caption.c_str(), notice.text.c_str());
    });
    main.show();
    QApplication::processEvents();
    main.runModelOnce();
    if (main.lastOutcome().notice) {
        return kNoticeExitStatus;
    }

    ParKavriDlg model;
    ParGenAlgDlg ga;
    AboutDlg about;
    const bool saved = savePicture(main, target, QStringLiteral("kavri-main.png")) &&
                       savePicture(model, target, QStringLiteral("kavri-model-parameters.png")) &&
                       savePicture(ga, target, QStringLiteral("kavri-ga-parameters.png")) &&
                       savePicture(about, target, QStringLiteral("kavri-about.png"));
    return saved ? 0 : 1;
}

}  // namespace kavri
