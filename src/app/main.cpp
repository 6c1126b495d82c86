// The desktop program: one main dialog, shown until the user closes it. A run that ends with a
// notice shows it and leaves the dialog open; only an exhausted memory ends the program early.

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <cstdio>

#include "app/app_icon.h"
#include "app/kavri_dlg.h"
#include "app/screenshots.h"
#include "model/version.h"

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kavri"));
    QApplication::setApplicationVersion(QString::fromUtf8(kavri::kVersion));
    QApplication::setWindowIcon(kavri::applicationIcon());

    // The program has no options of its own; the hidden ones make the documentation pictures.
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption screenshotOption(QStringLiteral("screenshot"),
                                        QStringLiteral("Save pictures of the windows."),
                                        QStringLiteral("directory"));
    screenshotOption.setFlags(QCommandLineOption::HiddenFromHelp);
    QCommandLineOption seedOption(QStringLiteral("seed"),
                                  QStringLiteral("Seed of the pictured genetic run."),
                                  QStringLiteral("seed"), QStringLiteral("20240521"));
    seedOption.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshotOption);
    parser.addOption(seedOption);
    parser.process(application);

    if (parser.isSet(screenshotOption)) {
        bool ok = false;
        const unsigned seed = parser.value(seedOption).toUInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "kavri: the seed must be a whole number from 0 to 4294967295\n");
            return 2;
        }
        return kavri::takeScreenshots(parser.value(screenshotOption), seed);
    }

    kavri::KavriDlg dialog;
    dialog.exec();
    return 0;
}
