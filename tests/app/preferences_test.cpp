// What the desktop program remembers between sessions: nothing until enabled, then the last
// folder, the recent files (most recent first, each once, at most eight) and window geometry;
// never the run's parameters.

#include "app/preferences.h"

#include <QDir>
#include <QMenu>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include "app/kavri_dlg.h"

using namespace kavri;

class PreferencesTest : public QObject {
    Q_OBJECT

 private slots:
    void nothingIsKeptUntilEnabledThenFilesFoldersAndGeometry();
};

void PreferencesTest::nothingIsKeptUntilEnabledThenFilesFoldersAndGeometry() {
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName(QStringLiteral("KavriPreferencesTest"));
    QSettings().clear();
    QTemporaryDir folder;

    rememberSeriesFile(folder.filePath(QStringLiteral("a.csv")));
    QVERIFY(recentSeriesFiles().isEmpty());
    QVERIFY(lastSeriesFolder().isEmpty());

    enablePreferences();
    for (int i = 0; i < 10; ++i) {
        rememberSeriesFile(folder.filePath(QStringLiteral("s%1.csv").arg(i)));
    }
    rememberSeriesFile(folder.filePath(QStringLiteral("s5.csv")));
    const QStringList recent = recentSeriesFiles();
    QCOMPARE(recent.size(), kRecentFiles);
    QCOMPARE(recent.front(), QDir::toNativeSeparators(folder.filePath(QStringLiteral("s5.csv"))));
    QCOMPARE(recent.count(recent.front()), 1);
    QCOMPARE(recent[1], QDir::toNativeSeparators(folder.filePath(QStringLiteral("s9.csv"))));
    QCOMPARE(QDir(lastSeriesFolder()), QDir(folder.path()));

    // The main window offers them, and choosing one keeps the dialogs' starting values.
    KavriDlg main;
    QMenu* menu = main.findChild<QMenu*>(QStringLiteral("recentMenu"));
    QVERIFY(menu != nullptr);
    QCOMPARE(menu->actions().size(), kRecentFiles);
    QCOMPARE(main.settings().modelDialogCount, 0);
    QCOMPARE(main.settings().gaDialogCount, 0);

    QWidget window;
    window.resize(345, 234);
    saveWindowGeometry(&window, QStringLiteral("probe"));
    QWidget again;
    QVERIFY(restoreWindowGeometry(&again, QStringLiteral("probe")));
    QCOMPARE(again.size(), QSize(345, 234));
    QVERIFY(!restoreWindowGeometry(&again, QStringLiteral("never saved")));
    QSettings().clear();
}

QTEST_MAIN(PreferencesTest)
#include "preferences_test.moc"
