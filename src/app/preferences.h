#pragma once

// What the desktop program remembers between sessions: the folder a series file was last
// chosen in, the recent series files and the size and place of its windows. The run's
// parameters are not remembered: every session starts from the dialogs' starting values.
// Nothing is read or written until enablePreferences() has been called (the program does so;
// tests that do not are left with the defaults), and then through QSettings under the
// application's organisation and name.

#include <QString>
#include <QStringList>

class QWidget;

namespace kavri {

inline constexpr int kRecentFiles = 8;

void enablePreferences();
bool preferencesEnabled();

// Empty when none was remembered.
QString lastSeriesFolder();
// Remembers the folder of `file` as the last one and puts `file` first among the recent files.
void rememberSeriesFile(const QString& file);
// Most recent first, at most kRecentFiles.
QStringList recentSeriesFiles();

// The size and place of `window` under `key`: restore returns false when none was remembered.
bool restoreWindowGeometry(QWidget* window, const QString& key);
void saveWindowGeometry(const QWidget* window, const QString& key);

}  // namespace kavri
