#include "app/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTabWidget>
#include <cstdio>

#include "app/about_dlg.h"
#include "app/charts_window.h"
#include "app/figure_view.h"
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

// Every tab of the charts window of the run just made, as kavri-charts-<chart>.png.
bool saveChartTabs(KavriDlg& main, const QDir& directory) {
    main.openCharts();
    ChartsWindow& charts = *main.chartsWindow();
    charts.resize(1000, 680);
    bool saved = true;
    for (int i = 0; i < charts.tabs()->count() && saved; ++i) {
        charts.tabs()->setCurrentIndex(i);
        const auto* view = qobject_cast<const FigureView*>(charts.tabs()->widget(i));
        const QString name = QStringLiteral("kavri-charts-%1.png").arg(view->figure().name());
        saved = savePicture(charts, directory, name);
    }
    charts.hide();
    return saved;
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
    if (main.exitStatus() != 0) {
        return main.exitStatus();
    }

    ParKavriDlg model;
    ParGenAlgDlg ga;
    AboutDlg about;
    const bool saved = savePicture(main, target, QStringLiteral("kavri-main.png")) &&
                       saveChartTabs(main, target) &&
                       savePicture(model, target, QStringLiteral("kavri-model-parameters.png")) &&
                       savePicture(ga, target, QStringLiteral("kavri-ga-parameters.png")) &&
                       savePicture(about, target, QStringLiteral("kavri-about.png"));
    return saved ? 0 : 1;
}

}  // namespace kavri
