// The main dialog: layout and wiring of the result fields, runs on OK and Enter, texts kept
// across runs, notices and the exit status, the About box, and input dropped during a run.

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <vector>

#include "app/about_dlg.h"
#include "app/input_blocker.h"
#include "app/kavri_dlg.h"
#include "app/par_kavri_dlg.h"

using namespace kavri;

namespace {

struct FieldBinding {
    const char* objectName;
    std::string ResultTexts::*text;
};

const FieldBinding kBindings[] = {
    {"aicField", &ResultTexts::aicText},
    {"fitnessField", &ResultTexts::fitnessText},
    {"naicField", &ResultTexts::naicText},
    {"estimatePanel1", &ResultTexts::estimatePanel1},
    {"observationField", &ResultTexts::observationText},
    {"estimatePanel2", &ResultTexts::estimatePanel2},
    {"estimatePanel3", &ResultTexts::estimatePanel3},
    {"estimatePanel4", &ResultTexts::estimatePanel4},
    {"thresholdField", &ResultTexts::thresholdText},
    {"residualVarianceField", &ResultTexts::residualVarianceText},
    {"iterationField", &ResultTexts::iterationText},
    {"varianceField", &ResultTexts::varianceText},
    {"regimeVarianceField", &ResultTexts::regimeVarianceText},
    {"rSquareField", &ResultTexts::rSquareText},
    {"mseField", &ResultTexts::mseText},
    {"ljungBoxField", &ResultTexts::ljungBoxText},
};

// What a field shows, one-line fields without the closing line feed of their format.
QString shownText(const KavriDlg& dialog, const char* objectName) {
    if (auto* line = dialog.findChild<QLineEdit*>(objectName)) {
        return line->text();
    }
    return dialog.findChild<QPlainTextEdit*>(objectName)->toPlainText();
}

QWidget* labelled(const KavriDlg& dialog, const QString& text) {
    for (QLabel* label : dialog.findChildren<QLabel*>()) {
        if (label->text() == text) {
            return label;
        }
    }
    qFatal("no label %s", qPrintable(text));
}

QRect placeOf(const KavriDlg& dialog, QWidget* widget) {
    return QRect(widget->mapTo(&dialog, QPoint(0, 0)), widget->size());
}

// A two-regime autoregression, 130 values written with six decimals: 120 to fit, 10 held out.
// Returns the values exactly as written, so that a threshold typed from them is a value of the
// series.
QStringList writeSeries(const QString& path) {
    QStringList written;
    double x = 0.1;
    unsigned state = 12345u;
    for (int t = 0; t < 130; ++t) {
        state = state * 1103515245u + 12345u;
        const double shock = static_cast<double>((state >> 16) & 0x7fff) / 32767.0 - 0.5;
        x = (x < 0.0 ? 0.6 * x : -0.4 * x) + shock;
        written << QString::asprintf("%.6f", x);
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        qFatal("cannot write %s", qPrintable(path));
    }
    file.write(written.join(QLatin1Char('\n')).toLatin1() + "\n");
    return written;
}

// The value of rank `rank` among the first 120 values, as written.
QString rankedValue(const QStringList& series, int rank) {
    QStringList fitted = series.mid(0, 120);
    std::sort(fitted.begin(), fitted.end(),
              [](const QString& a, const QString& b) { return a.toDouble() < b.toDouble(); });
    return fitted[rank];
}

// A modal runner that fills the model dialog for a run at given thresholds.
KavriDlg::ModalRunner givenThresholds(const QString& path, QStringList thresholds,
                                      int predictions) {
    return [=](QDialog& dialog) {
        auto* model = qobject_cast<ParKavriDlg*>(&dialog);
        QVERIFY(model != nullptr);
        model->findChild<QLineEdit*>("seriesPathEdit")->setText(path);
        model->findChild<QLineEdit*>("nObservationsEdit")->setText("120");
        model->findChild<QLineEdit*>("maxOrderEdit")->setText("2");
        model->findChild<QRadioButton*>("selectModelYes")->setChecked(true);
        model->findChild<QLineEdit*>("nThresholdsEdit")
            ->setText(QString::number(thresholds.size()));
        for (int i = 0; i < thresholds.size(); ++i) {
            model->findChild<QLineEdit*>(QStringLiteral("threshold%1Edit").arg(i + 1))
                ->setText(thresholds[i]);
        }
        model->findChild<QLineEdit*>("nPredictionsEdit")->setText(QString::number(predictions));
        model->accept();
        QCOMPARE(model->result(), int(QDialog::Accepted));
    };
}

}  // namespace

class MainDialogTest : public QObject {
    Q_OBJECT

 private slots:
    void windowHasItsCaptionFixedSizeAndArrangement();
    void refreshShowsEachTextInItsOwnField();
    void secondRunKeepsTextsItDoesNotWrite();
    void enterRunsAndANoticeEndsTheProgram();
    void noticeBoxCarriesCaptionIconAndOneButton();
    void escapeAndExitClose();
    void aboutBoxFromTheWindowMenuAndF1();
    void inputIsDroppedWhileBlocked();

 private:
    QTemporaryDir scratch_;
};

void MainDialogTest::windowHasItsCaptionFixedSizeAndArrangement() {
    KavriDlg dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QCOMPARE(dialog.windowTitle(), QStringLiteral("KAVRI"));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QVERIFY(!(dialog.windowFlags() & Qt::WindowMaximizeButtonHint));

    auto* ok = dialog.findChild<QPushButton*>("okButton");
    QVERIFY(ok->isDefault());
    QCOMPARE(QApplication::focusWidget(), ok);

    const QRect model = placeOf(dialog, dialog.findChild<QPushButton*>("modelParametersButton"));
    const QRect ga = placeOf(dialog, dialog.findChild<QPushButton*>("gaParametersButton"));
    const QRect iteration = placeOf(dialog, dialog.findChild<QLineEdit*>("iterationField"));
    const QRect fitness = placeOf(dialog, dialog.findChild<QLineEdit*>("fitnessField"));
    const QRect exit = placeOf(dialog, dialog.findChild<QPushButton*>("exitButton"));
    QVERIFY(model.bottom() < ga.top());
    QVERIFY(model.right() < iteration.left() && iteration.right() < placeOf(dialog, ok).left());
    QVERIFY(iteration.bottom() < fitness.top());
    QVERIFY(placeOf(dialog, ok).bottom() < exit.top());

    const QRect frame = placeOf(dialog, dialog.findChild<QGroupBox*>());
    QCOMPARE(dialog.findChild<QGroupBox*>()->title(), QStringLiteral("Parameter Estimate"));
    QVERIFY(fitness.bottom() < frame.top());
    const QRect panel1 = placeOf(dialog, dialog.findChild<QPlainTextEdit*>("estimatePanel1"));
    const QRect panel4 = placeOf(dialog, dialog.findChild<QPlainTextEdit*>("estimatePanel4"));
    QVERIFY(panel1.right() < panel4.left() && panel1.bottom() < panel4.top());

    // Right half, row by row: the first name of each pair stands left of the second, and each
    // row below the one before.
    const QStringList pairs = {
        "Variance",  "Residual Variance",  "NAIC",    "AIC", "MSE", "Ljung-Box", "Observation",
        "Threshold", "Variance of Regime", "R Square"};
    int previousBottom = frame.top() - 1;
    for (int i = 0; i < pairs.size(); i += 2) {
        const QRect left = placeOf(dialog, labelled(dialog, pairs[i]));
        const QRect right = placeOf(dialog, labelled(dialog, pairs[i + 1]));
        QVERIFY2(frame.right() < left.left() && left.right() < right.left(), qPrintable(pairs[i]));
        QCOMPARE(left.top(), right.top());
        QVERIFY2(left.top() > previousBottom, qPrintable(pairs[i]));
        previousBottom = left.bottom();
    }
    for (const FieldBinding& binding : kBindings) {
        QWidget* field = dialog.findChild<QWidget*>(binding.objectName);
        QVERIFY2(field != nullptr, binding.objectName);
        QVERIFY(field->property("readOnly").toBool());
    }
}

void MainDialogTest::refreshShowsEachTextInItsOwnField() {
    KavriDlg dialog;
    ResultTexts texts;
    for (const FieldBinding& binding : kBindings) {
        texts.*binding.text = std::string(binding.objectName) + "\n";
    }
    texts.thresholdText = "Soglia:1\n0.5\nSoglia:2\n0.75\n";
    dialog.refresh(texts);
    for (const FieldBinding& binding : kBindings) {
        QString expected = QString::fromStdString(texts.*binding.text);
        if (dialog.findChild<QLineEdit*>(binding.objectName) != nullptr) {
            expected.chop(1);
        }
        QCOMPARE(shownText(dialog, binding.objectName), expected);
    }
}

void MainDialogTest::secondRunKeepsTextsItDoesNotWrite() {
    const QString path = scratch_.filePath("two_regimes.txt");
    const QStringList series = writeSeries(path);
    KavriDlg dialog;
    RunOptions options;
    options.files.directory = QDir(scratch_.path()).filesystemPath();
    dialog.setRunOptions(options);
    QStringList notices;
    dialog.setNoticeHandler(
        [&](const Notice& notice) { notices << QString::fromStdString(notice.text); });

    dialog.setModalRunner(
        givenThresholds(path, {rankedValue(series, 40), rankedValue(series, 80)}, 10));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QCOMPARE(notices, QStringList());
    const ResultTexts first = dialog.texts();
    QVERIFY(!first.mseText.empty() && !first.estimatePanel3.empty());
    QVERIFY(first.iterationText.empty());
    QCOMPARE(first.varianceText.find('.') + 6, first.varianceText.size());

    dialog.setModalRunner(givenThresholds(path, {rankedValue(series, 60)}, 0));
    dialog.openModelParameters();
    dialog.runModelOnce();
    QCOMPARE(notices, QStringList());
    const ResultTexts second = dialog.texts();
    QVERIFY(second.thresholdText != first.thresholdText);
    QVERIFY(second.estimatePanel1 != first.estimatePanel1);
    QCOMPARE(second.mseText, first.mseText);
    QCOMPARE(second.estimatePanel3, first.estimatePanel3);
    QCOMPARE(shownText(dialog, "mseField"), QString::fromStdString(first.mseText).trimmed());
    QCOMPARE(dialog.exitStatus(), 0);
}

void MainDialogTest::enterRunsAndANoticeEndsTheProgram() {
    const QString missing = scratch_.filePath("no_such_series.txt");
    KavriDlg dialog;
    dialog.setModalRunner([&](QDialog& model) {
        model.findChild<QLineEdit*>("seriesPathEdit")->setText(missing);
        model.accept();
    });
    dialog.openModelParameters();
    std::vector<Notice> notices;
    dialog.setNoticeHandler([&](const Notice& notice) { notices.push_back(notice); });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QSignalSpy finished(&dialog, &QDialog::finished);

    QTest::keyClick(&dialog, Qt::Key_Return);

    QCOMPARE(notices.size(), std::size_t{1});
    QCOMPARE(notices[0].text, "File " + missing.toStdString() + " could not be opened");
    QCOMPARE(notices[0].caption, std::string("Error"));
    QVERIFY(notices[0].icon == NoticeIcon::kStop);
    QCOMPARE(dialog.exitStatus(), kNoticeExitStatus);
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished.at(0).at(0).toInt(), kNoticeExitStatus);
    QVERIFY(!dialog.isVisible());
}

void MainDialogTest::noticeBoxCarriesCaptionIconAndOneButton() {
    const auto stop = makeNoticeBox(errorNotice("Number of forecast are zero"), nullptr);
    QCOMPARE(stop->windowTitle(), QStringLiteral("Error"));
    QCOMPARE(stop->text(), QStringLiteral("Number of forecast are zero"));
    QCOMPARE(stop->icon(), QMessageBox::Critical);
    QCOMPARE(stop->standardButtons(), QMessageBox::StandardButtons(QMessageBox::Ok));

    const Notice plain{"The number of effective observation are zero", kApplicationName,
                       NoticeIcon::kNone};
    const auto none = makeNoticeBox(plain, nullptr);
    QCOMPARE(none->windowTitle(), QStringLiteral("Kavri"));
    QCOMPARE(none->icon(), QMessageBox::NoIcon);
}

void MainDialogTest::escapeAndExitClose() {
    KavriDlg escaped;
    escaped.show();
    QVERIFY(QTest::qWaitForWindowActive(&escaped));
    QTest::keyClick(&escaped, Qt::Key_Escape);
    QVERIFY(!escaped.isVisible());
    QCOMPARE(escaped.exitStatus(), 0);

    KavriDlg exited;
    exited.show();
    QVERIFY(QTest::qWaitForWindowActive(&exited));
    QTest::mouseClick(exited.findChild<QPushButton*>("exitButton"), Qt::LeftButton);
    QVERIFY(!exited.isVisible());
    QVERIFY(exited.texts() == ResultTexts{});
}

void MainDialogTest::aboutBoxFromTheWindowMenuAndF1() {
    KavriDlg dialog;
    QCOMPARE(dialog.aboutAction()->text(), QStringLiteral("Infor&mazioni su Kavri..."));
    QVERIFY(dialog.actions().contains(dialog.aboutAction()));
    QCOMPARE(dialog.contextMenuPolicy(), Qt::ActionsContextMenu);
    const QStringList buttons = [&] {
        QStringList texts;
        for (QPushButton* button : dialog.findChildren<QPushButton*>()) texts << button->text();
        return texts;
    }();
    QVERIFY(!buttons.join(' ').contains("Informazioni"));

    QStringList seen;
    dialog.setModalRunner([&](QDialog& shown) {
        auto* about = qobject_cast<AboutDlg*>(&shown);
        QVERIFY(about != nullptr);
        seen << about->windowTitle();
        QVERIFY(!about->findChild<QLabel*>("iconLabel")->pixmap().isNull());
        QCOMPARE(about->findChild<QLabel*>("versionLabel")->text(),
                 QStringLiteral("Kavri Versione 1.0"));
        QTest::mouseClick(about->findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(about->result(), int(QDialog::Accepted));
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(&dialog, Qt::Key_F1);
    dialog.aboutAction()->trigger();
    QCOMPARE(seen, QStringList({"Informazioni su Kavri", "Informazioni su Kavri"}));
    QVERIFY(dialog.isVisible());
}

void MainDialogTest::inputIsDroppedWhileBlocked() {
    QPushButton button("OK");
    button.show();
    QVERIFY(QTest::qWaitForWindowExposed(&button));
    QSignalSpy clicked(&button, &QPushButton::clicked);
    {
        InputBlocker blocker;
        QTest::mouseClick(&button, Qt::LeftButton);
        QTest::keyClick(&button, Qt::Key_Space);
    }
    QCOMPARE(clicked.count(), 0);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(clicked.count(), 1);
}

QTEST_MAIN(MainDialogTest)
#include "main_dialog_test.moc"
