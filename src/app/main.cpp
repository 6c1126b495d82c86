// The desktop program: one main dialog, shown until the user closes it. A run that ends with a
// notice shows it and leaves the dialog open; only an exhausted memory ends the program early.

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "app/app_icon.h"
#include "app/kavri_dlg.h"
#include "app/preferences.h"
#include "app/screenshots.h"
#include "model/version.h"

namespace {

constexpr const char* kDescription =
    "Kavri fits a self-exciting threshold autoregressive (SETAR) model to one time series.\n"
    "The window's \"Parameter of Model\" and \"Parameter of GA\" buttons set the run; OK runs\n"
    "it. The series file (Course File) is looked for in the current folder unless a full path\n"
    "is given; the result files Residuals.txt and Predictions.txt are written there too.\n"
    "FILE, when given, is chosen as the series file (a file manager's \"Open with\" passes it).\n"
    "kavri-cli runs the same from the command line.";

bool asksForHelpOrVersion(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        for (const char* option : {"-h", "--help", "-?", "--help-all", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0) {
                return true;
            }
        }
    }
    return false;
}

void setApplicationNames() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kavri"));
    QCoreApplication::setApplicationName(QStringLiteral("Kavri"));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(kavri::kVersion));
}

// An allocation that fails anywhere, on any thread or inside the event loop, ends the program
// with status 1 and a message on standard error, rather than an abort.
[[noreturn]] void endOutOfMemory() {
    std::fputs(
        "kavri: out of memory: the run needs more memory than the system gives it (use a "
        "shorter series or fewer observations)\n",
        stderr);
    std::_Exit(1);
}

int runProgram(int argc, char* argv[]);

}  // namespace

int main(int argc, char* argv[]) {
    std::set_new_handler(endOutOfMemory);
    try {
        return runProgram(argc, argv);
    } catch (const std::bad_alloc&) {
        endOutOfMemory();
    }
}

namespace {

int runProgram(int argc, char* argv[]) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromUtf8(kDescription));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("The series file to choose (optional)."),
                                 QStringLiteral("[FILE]"));

    // Help and version are answered without a window system, so that they work on a console
    // and when the manual page is generated from them.
    if (asksForHelpOrVersion(argc, argv)) {
        QCoreApplication console(argc, argv);
        setApplicationNames();
        parser.process(console);  // prints and ends the process
        return 0;
    }

    QApplication application(argc, argv);
    setApplicationNames();
    QApplication::setWindowIcon(kavri::applicationIcon());

    // The program has no options of its own; the hidden ones make the documentation pictures.
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

    kavri::enablePreferences();
    kavri::KavriDlg dialog;
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "kavri: one series file at most, got %d\n",
                     static_cast<int>(files.size()));
        return 2;
    }
    if (!files.isEmpty()) {
        dialog.chooseSeriesFile(files.front());
    }
    dialog.exec();
    return 0;
}

}  // namespace
