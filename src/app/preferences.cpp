#include "app/preferences.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QWidget>

namespace kavri {

namespace {

bool enabled = false;

constexpr const char* kFolderKey = "files/lastFolder";
constexpr const char* kRecentKey = "files/recent";

QString geometryKey(const QString& key) { return QStringLiteral("windows/") + key; }

}  // namespace

void enablePreferences() { enabled = true; }
bool preferencesEnabled() { return enabled; }

QString lastSeriesFolder() {
    return enabled ? QSettings().value(QString::fromUtf8(kFolderKey)).toString() : QString();
}

void rememberSeriesFile(const QString& file) {
    if (!enabled) {
        return;
    }
    const QFileInfo info(file);
    const QString absolute = QDir::toNativeSeparators(info.absoluteFilePath());
    QSettings settings;
    settings.setValue(QString::fromUtf8(kFolderKey), info.absolutePath());
    QStringList recent = settings.value(QString::fromUtf8(kRecentKey)).toStringList();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    while (recent.size() > kRecentFiles) {
        recent.removeLast();
    }
    settings.setValue(QString::fromUtf8(kRecentKey), recent);
}

QStringList recentSeriesFiles() {
    return enabled ? QSettings().value(QString::fromUtf8(kRecentKey)).toStringList()
                   : QStringList();
}

bool restoreWindowGeometry(QWidget* window, const QString& key) {
    if (!enabled) {
        return false;
    }
    const QByteArray geometry = QSettings().value(geometryKey(key)).toByteArray();
    return !geometry.isEmpty() && window->restoreGeometry(geometry);
}

void saveWindowGeometry(const QWidget* window, const QString& key) {
    if (enabled) {
        QSettings().setValue(geometryKey(key), window->saveGeometry());
    }
}

}  // namespace kavri
