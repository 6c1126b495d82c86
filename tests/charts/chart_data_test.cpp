// What each chart shows, checked against the run's numbers and against the rules that define
// them (the fitting tie rule, the white-noise band, the exact optimum), not against pixels.

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QBarSeries>
#include <QBarSet>
#include <QGraphicsPathItem>
#include <QLineSeries>
#include <QPainterPath>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <cmath>
#include <fstream>
#include <vector>

#include "charts/chart_catalogue.h"
#include "charts/chart_style.h"
#include "charts/forecast_chart.h"
#include "charts/regime_charts.h"
#include "charts/residual_charts.h"
#include "charts/search_chart.h"
#include "charts/time_axis.h"
#include "genetic/candidates.h"
#include "inference/distributions.h"
#include "support/series_fixtures.h"
#include "support/temp_directory.h"

namespace kavri::charts {
namespace {

using testing::Noise;
using testing::TempDirectory;

constexpr int kFitted = 120;
constexpr int kHeldOut = 20;
constexpr int kMaxOrder = 4;
constexpr int kDelay = 2;

// Two regimes split at x[t - 2] = 0, values rounded to one decimal so that many are equal and
// the thresholds, themselves observed values, are tied with other observations.
std::vector<double> tiedSeries() {
    Noise noise(3u);
    std::vector<double> x(kFitted + kHeldOut);
    for (int t = 0; t < static_cast<int>(x.size()); ++t) {
        const double mean = t < kDelay ? 0.0 : (x[t - kDelay] < 0.0 ? 0.6 : -0.4) * x[t - 1];
        x[t] = std::round(10.0 * (mean + 1.5 * noise.next())) / 10.0;
    }
    return x;
}

// The first series of type Series whose name is `name` (or starts with it); fails the test when
// there is none.
template <typename Series>
Series* findSeries(const QChart* chart, const QString& name, bool prefix) {
    for (QAbstractSeries* series : chart->series()) {
        auto* typed = qobject_cast<Series*>(series);
        if (typed != nullptr &&
            (prefix ? series->name().startsWith(name) : series->name() == name)) {
            return typed;
        }
    }
    ADD_FAILURE() << "no series named " << name.toStdString();
    return new Series;  // left to leak: the test has failed already
}

template <typename Series>
Series* seriesNamed(const QChart* chart, const QString& name) {
    return findSeries<Series>(chart, name, false);
}

template <typename Series>
Series* seriesStartingWith(const QChart* chart, const QString& prefix) {
    return findSeries<Series>(chart, prefix, true);
}

class ChartData : public ::testing::Test {
 protected:
    void SetUp() override {
        x_ = tiedSeries();
        std::ofstream out(dir_.path() / "series.txt");
        for (double v : x_) out << testing::formatDouble("%.17g\n", v);
        options_.files.directory = dir_.path();
    }

    RunSettings settings() const {
        RunSettings s;
        s.model = modelPrefill();
        s.model.seriesPath = (dir_.path() / "series.txt").string();
        s.model.nObservations = kFitted;
        s.model.nPredictions = kHeldOut;
        s.model.maxOrder = kMaxOrder;
        s.model.delay = kDelay;
        s.model.maxRegimes = 3;
        s.model.minObs = 20;
        s.model.nAutocorrelations = 12;
        s.ga = gaRunDefaults();
        s.ga.nChromosomes = 10;
        s.ga.nIterations = 8;
        s.ga.fitnessKind = kFitnessAic;
        s.modelDialogCount = 1;
        s.gaDialogCount = 1;
        return s;
    }

    // The model at two thresholds that are tied with earlier observations.
    ChartInput givenThresholdInput(std::vector<double>& thresholds) {
        std::vector<double> sorted(x_.begin(), x_.begin() + kFitted);
        std::sort(sorted.begin(), sorted.end());
        thresholds = {sorted[40], sorted[80]};
        RunSettings s = settings();
        s.model.selectModel = kSelectModelGivenThresholds;
        s.model.nThresholds = 2;
        s.model.thresholds = {thresholds[0], thresholds[1], 0.0};
        return runAndDescribe(s);
    }

    ChartInput runAndDescribe(RunSettings& s) {
        ResultTexts texts;
        SilentObserver observer;
        const RunOutcome outcome = runModel(s, texts, observer, options_);
        EXPECT_FALSE(outcome.notice.has_value());
        EXPECT_TRUE(outcome.model.available);
        outcome_ = outcome;
        return chartInputFromRun(outcome, s);
    }

    TempDirectory dir_;
    std::vector<double> x_;
    RunOptions options_;
    RunOutcome outcome_;
};

// The fitting rule: the regime of t counts the thresholds below x[t - d]; a lagged value equal
// to a threshold is above it only at the threshold's own rank, which is the latest time among
// the fitted observations holding that value.
int regimeByTieRule(const std::vector<double>& x, const std::vector<double>& thresholds, int t,
                    bool& tied) {
    const double z = x[t - kDelay];
    int regime = 0;
    for (double threshold : thresholds) {
        int lastTime = -1;
        for (int s = 0; s < kFitted; ++s) {
            if (x[s] == threshold) lastTime = s;
        }
        if (z == threshold && t - kDelay != lastTime) tied = true;
        if (z > threshold || (z == threshold && t - kDelay == lastTime)) ++regime;
    }
    return regime;
}

TEST_F(ChartData, RegimePointsAreTheObservationsOfEachRegimeByTheTieRule) {
    std::vector<double> thresholds;
    const ChartInput input = givenThresholdInput(thresholds);
    ASSERT_EQ(input.model.regimes.size(), 3u);

    std::vector<QList<QPointF>> expectedSeries(3), expectedLag(3);
    QList<QPointF> notFittedSeries, notFittedLag, heldOutSeries, heldOutLag;
    bool tiedBelow = false;
    for (int t = 0; t < kFitted + kHeldOut; ++t) {
        // Observations are numbered from 1, as the result texts count them.
        const QPointF timePoint(t + 1, x_[t]);
        const QPointF lagPoint(t >= kDelay ? x_[t - kDelay] : 0.0, x_[t]);
        if (t >= kFitted) {
            heldOutSeries.append(timePoint);
            heldOutLag.append(lagPoint);
        } else if (t < kMaxOrder - 1) {
            notFittedSeries.append(timePoint);
            if (t >= kDelay) notFittedLag.append(lagPoint);
        } else {
            const int r = regimeByTieRule(x_, thresholds, t, tiedBelow);
            expectedSeries[r].append(timePoint);
            expectedLag[r].append(lagPoint);
        }
    }
    // The series has observations equal to a threshold that stay below it.
    ASSERT_TRUE(tiedBelow);

    const std::unique_ptr<ChartFigure> series = buildSeriesChart(input);
    const std::unique_ptr<ChartFigure> lag = buildLagChart(input);
    for (int r = 0; r < 3; ++r) {
        auto* inSeries = seriesNamed<QScatterSeries>(series->panel(0), regimeName(r));
        auto* inLag = seriesNamed<QScatterSeries>(lag->panel(0), regimeName(r));
        ASSERT_NE(inSeries, nullptr);
        ASSERT_NE(inLag, nullptr);
        EXPECT_EQ(inSeries->points(), expectedSeries[r]) << "regime " << r;
        EXPECT_EQ(inLag->points(), expectedLag[r]) << "regime " << r;
        // One look per regime in every chart.
        EXPECT_EQ(inSeries->color(), regimeColor(r));
        EXPECT_EQ(inLag->markerShape(), regimeMarker(r));
    }
    const QString notFitted = QString::fromLatin1(kNotFittedName);
    const QString heldOut = QString::fromLatin1(kHeldOutName);
    EXPECT_EQ(seriesNamed<QScatterSeries>(series->panel(0), notFitted)->points(), notFittedSeries);
    EXPECT_EQ(seriesNamed<QScatterSeries>(lag->panel(0), notFitted)->points(), notFittedLag);
    EXPECT_EQ(seriesNamed<QScatterSeries>(series->panel(0), heldOut)->points(), heldOutSeries);
    EXPECT_EQ(seriesNamed<QScatterSeries>(lag->panel(0), heldOut)->points(), heldOutLag);

    // Thresholds: horizontal lines over time, vertical lines in the lag plot.
    for (int i = 0; i < 2; ++i) {
        const QString name = QStringLiteral("threshold %1").arg(i + 1);
        auto* horizontal = seriesStartingWith<QLineSeries>(series->panel(0), name);
        auto* vertical = seriesStartingWith<QLineSeries>(lag->panel(0), name);
        ASSERT_NE(horizontal, nullptr);
        ASSERT_NE(vertical, nullptr);
        for (const QPointF& point : horizontal->points()) EXPECT_EQ(point.y(), thresholds[i]);
        for (const QPointF& point : vertical->points()) EXPECT_EQ(point.x(), thresholds[i]);
    }
}

TEST_F(ChartData, AcfBarsAreTheResidualAutocorrelationsWithinTheWhiteNoiseBand) {
    std::vector<double> thresholds;
    const ChartInput input = givenThresholdInput(thresholds);
    // The regressions' own residuals: this series ties its thresholds.
    const std::vector<double>& acf = input.model.regressionAutocorrelations;
    ASSERT_EQ(acf.size(), 13u);

    const std::unique_ptr<ChartFigure> figure = buildAcfChart(input);
    const QChart* chart = figure->panel(0);
    auto* bars = qobject_cast<QBarSeries*>(chart->series().front());
    ASSERT_NE(bars, nullptr);
    ASSERT_EQ(bars->barSets().size(), 1);
    const QBarSet* set = bars->barSets().front();
    ASSERT_EQ(set->count(), 12);
    for (int k = 1; k <= 12; ++k) {
        EXPECT_EQ(set->at(k - 1), acf[k]) << "lag " << k;
    }
    // 1.96 / sqrt(120), the approximate 95% band of white noise.
    const double band = 0.17892270;
    EXPECT_NEAR(whiteNoiseBand(kFitted), band, 1e-8);
    auto* upper = seriesStartingWith<QLineSeries>(chart, QStringLiteral("95% band"));
    auto* lower = seriesNamed<QLineSeries>(chart, QStringLiteral("lower band"));
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    for (const QPointF& point : upper->points()) EXPECT_EQ(point.y(), whiteNoiseBand(kFitted));
    for (const QPointF& point : lower->points()) EXPECT_EQ(point.y(), -whiteNoiseBand(kFitted));
    EXPECT_TRUE(chart->title().endsWith(
        QStringLiteral("Ljung-Box Q(12) = %1").arg(formatNumber(input.model.regressionLjungBox))))
        << chart->title().toStdString();
}

// The p value of Q(h) = n (n + 2) sum_{k<=h} r_k^2 / (n - k) against chi-square with h - max p_r
// degrees of freedom, on the regressions' own autocorrelations: the numbers of the table.
TEST_F(ChartData, LjungBoxChartShowsThePValueOfEachLagAgainstTheFivePercentLine) {
    std::vector<double> thresholds;
    const ChartInput input = givenThresholdInput(thresholds);
    const ReportedModel& model = input.model;
    int highestOrder = 0;
    for (const RegimeReport& regime : model.regimes) {
        highestOrder = std::max(highestOrder, regime.order);
    }
    ASSERT_GE(highestOrder, 1);
    const std::vector<double>& r = model.regressionAutocorrelations;
    const double n = kFitted;
    QList<QPointF> expected;
    double sum = 0.0;
    for (int h = 1; h <= 12; ++h) {
        sum += r[h] * r[h] / (n - h);
        if (h > highestOrder) {
            expected.append(
                QPointF(h, *chiSquaredUpperTail(n * (n + 2.0) * sum, h - highestOrder)));
        }
    }
    ASSERT_TRUE(chartApplies(ChartKind::kLjungBox, input));
    const std::unique_ptr<ChartFigure> figure = buildChart(ChartKind::kLjungBox, input);
    EXPECT_EQ(figure->name(), QStringLiteral("ljungbox"));
    const QChart* chart = figure->panel(0);
    EXPECT_EQ(chart->title(),
              QStringLiteral("Ljung-Box p values of the residuals by lag (from lag %1)")
                  .arg(highestOrder + 1));
    // Every p value is drawn once: circles at or above 0.05, squares below it.
    QList<QPointF> drawn;
    for (QAbstractSeries* series : chart->series()) {
        auto* points = qobject_cast<QScatterSeries*>(series);
        if (points == nullptr) continue;
        for (const QPointF& point : points->points()) {
            drawn.append(point);
            EXPECT_EQ(point.y() < 0.05, series->name() == QStringLiteral("p value below 0.05"));
        }
    }
    std::sort(drawn.begin(), drawn.end(),
              [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
    ASSERT_EQ(drawn.size(), expected.size());
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        EXPECT_EQ(drawn[i].x(), expected[i].x());
        EXPECT_NEAR(drawn[i].y(), expected[i].y(), 1e-12) << "lag " << drawn[i].x();
    }
    for (const QPointF& point :
         seriesNamed<QLineSeries>(chart, QStringLiteral("5% level"))->points()) {
        EXPECT_EQ(point.y(), 0.05);
    }
    auto* y = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
    EXPECT_EQ(y->min(), 0.0);
    EXPECT_EQ(y->max(), 1.0);
    EXPECT_EQ(y->titleText(), QStringLiteral("p value"));
    EXPECT_EQ(chart->axes(Qt::Horizontal).front()->titleText(), QStringLiteral("lag"));

    // No lag beyond the largest order: no p value, no chart.
    ChartInput shortInput = input;
    shortInput.model.autocorrelations.resize(static_cast<std::size_t>(highestOrder) + 1);
    shortInput.model.regressionAutocorrelations.resize(static_cast<std::size_t>(highestOrder) + 1);
    EXPECT_FALSE(chartApplies(ChartKind::kLjungBox, shortInput));
    EXPECT_TRUE(chartApplies(ChartKind::kAcf, shortInput));
}

TEST_F(ChartData, FitShowsFittedValuesAndResidualsOnAlignedAxes) {
    std::vector<double> thresholds;
    const ChartInput input = givenThresholdInput(thresholds);
    const std::unique_ptr<ChartFigure> figure = buildFitChart(input);
    ASSERT_EQ(figure->panelCount(), 2);
    QList<QPointF> fitted, residuals;
    for (int t = kMaxOrder - 1; t < kFitted; ++t) {
        fitted.append(QPointF(t + 1, input.model.fitted[t]));
        residuals.append(QPointF(t + 1, input.model.residuals[t]));
    }
    EXPECT_EQ(seriesNamed<QLineSeries>(figure->panel(0), QStringLiteral("fitted"))->points(),
              fitted);
    EXPECT_EQ(seriesNamed<QLineSeries>(figure->panel(1), QStringLiteral("residual"))->points(),
              residuals);
    figure->layOut(figure->defaultSize());
    EXPECT_EQ(figure->panel(0)->plotArea().left(), figure->panel(1)->plotArea().left());
    EXPECT_EQ(figure->panel(0)->plotArea().right(), figure->panel(1)->plotArea().right());
    // One time axis: the same range in both panels.
    auto* top = qobject_cast<QValueAxis*>(figure->panel(0)->axes(Qt::Horizontal).front());
    auto* bottom = qobject_cast<QValueAxis*>(figure->panel(1)->axes(Qt::Horizontal).front());
    EXPECT_EQ(top->min(), bottom->min());
    EXPECT_EQ(top->max(), bottom->max());
}

TEST(TimeAxis, YearsDatesOrObservationNumbersFromOne) {
    const TimeAxis plain = timeAxisOf({}, 3);
    EXPECT_FALSE(plain.calendar);
    EXPECT_EQ(plain.title, QStringLiteral("observation"));
    EXPECT_EQ(plain.positions, (std::vector<double>{1.0, 2.0, 3.0}));
    EXPECT_EQ(plain.at(3), 4.0);  // a step past the data

    const TimeAxis years = timeAxisOf({"1821", "1822", "1823"}, 3);
    EXPECT_TRUE(years.calendar);
    EXPECT_EQ(years.title, QStringLiteral("year"));
    EXPECT_EQ(years.at(0), 1821.0);
    EXPECT_EQ(years.at(4), 1825.0);
    EXPECT_EQ(years.at(-1), 1820.0);

    const TimeAxis months = timeAxisOf({"2020-11", "2020-12", "2021-01"}, 3);
    EXPECT_EQ(months.title, QStringLiteral("date"));
    EXPECT_NEAR(months.at(2), 2021.0 + 0.5 / 12.0, 1e-12);
    EXPECT_EQ(months.describe(2), QStringLiteral("2021-01"));
    const TimeAxis days = timeAxisOf({"2024-01-01", "2024-01-02"}, 2);
    EXPECT_NEAR(days.at(0), 2024.0 + 0.5 / 366.0, 1e-12);

    // Labels that are not times, not increasing or not one per value: observation numbers.
    for (const std::vector<std::string>& labels :
         {std::vector<std::string>{"a", "b", "c"}, std::vector<std::string>{"1990", "1989", "1991"},
          std::vector<std::string>{"1990", "1991"}}) {
        const TimeAxis axis = timeAxisOf(labels, 3);
        EXPECT_FALSE(axis.calendar);
        EXPECT_EQ(axis.at(0), 1.0);
    }
}

TEST(TimeAxis, ChartsOfADatedSeriesReadInItsYearsAndLongSeriesAreLines) {
    ChartInput input;
    ReportedModel& model = input.model;
    model.available = true;
    model.delay = 1;
    model.maxOrder = 2;
    const int total = 600;
    for (int t = 0; t < total; ++t) {
        model.series.push_back(std::sin(t / 7.0));
        model.labels.push_back(std::to_string(1400 + t));
    }
    const int n = total - 10;
    model.fitted.assign(static_cast<std::size_t>(n), 0.0);
    model.residuals.assign(static_cast<std::size_t>(n), 0.0);
    model.regimes.resize(2);
    model.thresholds = {0.0};
    for (int t = 0; t < n; ++t) {
        model.regimeOfObservation.push_back(t == 0 ? -1 : (model.series[t - 1] > 0.0 ? 1 : 0));
    }
    const std::unique_ptr<ChartFigure> series = buildSeriesChart(input);
    const QChart* chart = series->panel(0);
    auto* x = qobject_cast<QValueAxis*>(chart->axes(Qt::Horizontal).front());
    EXPECT_EQ(x->titleText(), QStringLiteral("year"));
    EXPECT_LE(x->min(), 1400.0);
    EXPECT_GE(x->max(), 1999.0);
    EXPECT_GT(x->min(), 1390.0);
    // Lines in the regimes' colours, no marker per value: one stroke per regime over the plot,
    // inside the plot area once the figure is laid out, and one legend entry per regime.
    for (QAbstractSeries* drawn : chart->series()) {
        EXPECT_EQ(qobject_cast<QScatterSeries*>(drawn), nullptr) << drawn->name().toStdString();
    }
    series->layOut(series->defaultSize());
    int strokes = 0;
    for (QGraphicsItem* item : chart->childItems()) {
        auto* stroke = dynamic_cast<QGraphicsPathItem*>(item);
        if (stroke == nullptr) continue;
        ++strokes;
        EXPECT_FALSE(stroke->path().isEmpty());
        const QRectF bounds = stroke->path().boundingRect();
        const QRectF plot = chart->plotArea().adjusted(-1.0, -1.0, 1.0, 1.0);
        EXPECT_TRUE(plot.contains(bounds)) << bounds.left() << " " << plot.left();
        if (stroke->pen().color() == regimeColor(1)) {
            // Many separate runs of regime 2 in one path.
            int moves = 0;
            for (int e = 0; e < stroke->path().elementCount(); ++e) {
                moves += stroke->path().elementAt(e).isMoveTo() ? 1 : 0;
            }
            EXPECT_GT(moves, 5);
        }
    }
    EXPECT_EQ(strokes, 4);  // not fitted, two regimes, held out
    EXPECT_EQ(seriesNamed<QLineSeries>(chart, regimeName(1))->pen().color(), regimeColor(1));

    const std::unique_ptr<ChartFigure> fit = buildFitChart(input);
    for (int p = 0; p < 2; ++p) {
        auto* axis = qobject_cast<QValueAxis*>(fit->panel(p)->axes(Qt::Horizontal).front());
        EXPECT_EQ(axis->titleText(), QStringLiteral("year"));
        EXPECT_LE(axis->min(), 1400.0);
    }
}

TEST_F(ChartData, ForecastsShowHeldOutValuesOneStepForecastsAndBandsPastTheData) {
    std::vector<double> thresholds;
    ChartInput input = givenThresholdInput(thresholds);
    ForecastPath path;
    path.point = {0.1, 0.2, 0.3};
    path.intervals = {{0.8, {-1.0, -1.1, -1.2}, {1.0, 1.1, 1.2}},
                      {0.95, {-2.0, -2.1, -2.2}, {2.0, 2.1, 2.2}}};
    input.forecasts = path;

    const std::unique_ptr<ChartFigure> figure = buildForecastChart(input);
    const QChart* chart = figure->panel(0);
    QList<QPointF> actual, oneStep;
    for (int i = 0; i < kHeldOut; ++i) {
        actual.append(QPointF(kFitted + i + 1, x_[kFitted + i]));
        oneStep.append(QPointF(kFitted + i + 1, input.model.holdoutForecasts[i]));
    }
    EXPECT_EQ(seriesNamed<QScatterSeries>(chart, QString::fromLatin1(kHeldOutValuesName))->points(),
              actual);
    EXPECT_EQ(
        seriesNamed<QScatterSeries>(chart, QString::fromLatin1(kOneStepForecastsName))->points(),
        oneStep);
    // Step h stands at observation nObservations + nPredictions + h, counted from 1.
    const int last = kFitted + kHeldOut;
    auto* band = seriesNamed<QAreaSeries>(chart, QStringLiteral("95% interval"));
    ASSERT_NE(band, nullptr);
    EXPECT_EQ(band->upperSeries()->points(),
              (QList<QPointF>{{last + 1.0, 2.0}, {last + 2.0, 2.1}, {last + 3.0, 2.2}}));
    EXPECT_EQ(band->lowerSeries()->points(),
              (QList<QPointF>{{last + 1.0, -2.0}, {last + 2.0, -2.1}, {last + 3.0, -2.2}}));
    ASSERT_NE(seriesNamed<QAreaSeries>(chart, QStringLiteral("80% interval")), nullptr);
    auto* point = seriesStartingWith<QLineSeries>(chart, QStringLiteral("forecast, 1 to 3"));
    ASSERT_NE(point, nullptr);
    EXPECT_EQ(point->points().back(), QPointF(last + 3.0, 0.3));
}

TEST_F(ChartData, ExactSearchProfileIsMarkedAtTheExactOptimum) {
    RunSettings s = settings();
    s.ga.searchMethod = kSearchExact;
    options_.profileThresholds = true;
    const ChartInput input = runAndDescribe(s);
    ASSERT_TRUE(chartApplies(ChartKind::kSearch, input));

    IVector sortOrder = ivector(0, kFitted);
    DVector sortedSeries = dvector(0, kFitted);
    rankCandidates(x_.data(), kFitted, sortOrder, sortedSeries);
    Result<ExactOptimum> optimum =
        findExactOptimum(s, x_.data(), sortedSeries.data(), sortOrder.data(), kDelay);
    ASSERT_TRUE(optimum.ok());
    ASSERT_GE(optimum.value().nThresholds, 1);

    // The chart shows the likelihood ratio of each threshold, 0 at the optimum, with the
    // critical value of its confidence interval as a line.
    const std::unique_ptr<ChartFigure> figure = buildSearchChart(input);
    auto* marks = seriesNamed<QScatterSeries>(figure->panel(0), QString::fromLatin1(kOptimumName));
    ASSERT_NE(marks, nullptr);
    ASSERT_EQ(marks->count(), optimum.value().nThresholds);
    ASSERT_EQ(input.thresholdLr.size(), static_cast<std::size_t>(optimum.value().nThresholds));
    for (int i = 0; i < marks->count(); ++i) {
        EXPECT_EQ(marks->at(i).x(), sortedSeries[optimum.value().positions[i]]);
        EXPECT_EQ(marks->at(i).y(), 0.0);
        auto* curve = seriesNamed<QLineSeries>(figure->panel(0),
                                               QStringLiteral("threshold %1 moved").arg(i + 1));
        ASSERT_NE(curve, nullptr);
        const ThresholdLikelihoodRatio& lr = input.thresholdLr[i].curve;
        ASSERT_EQ(curve->count(), static_cast<int>(lr.values.size()));
        for (int j = 0; j < curve->count(); ++j) {
            EXPECT_EQ(curve->at(j), QPointF(lr.values[j], lr.lr[j]));
        }
    }
    auto* level = seriesStartingWith<QLineSeries>(figure->panel(0), QStringLiteral("95% level"));
    ASSERT_NE(level, nullptr);
    for (const QPointF& point : level->points()) {
        EXPECT_EQ(point.y(), thresholdCriticalValue(95.0));
    }
    // At the level the user set for the intervals, the line moves with it.
    const ChartInput at90 = chartInputFromRun(outcome_, s, nullptr, nullptr, 90.0);
    const std::unique_ptr<ChartFigure> figure90 = buildSearchChart(at90);
    auto* level90 =
        seriesStartingWith<QLineSeries>(figure90->panel(0), QStringLiteral("90% level"));
    ASSERT_NE(level90, nullptr);
    for (const QPointF& point : level90->points()) {
        EXPECT_EQ(point.y(), thresholdCriticalValue(90.0));
    }

    // Without the ratios the profile of the search's fitness is shown, highest at the optimum.
    ChartInput profileOnly = input;
    profileOnly.thresholdLr.clear();
    const std::unique_ptr<ChartFigure> fitness = buildSearchChart(profileOnly);
    auto* optima =
        seriesNamed<QScatterSeries>(fitness->panel(0), QString::fromLatin1(kOptimumName));
    ASSERT_NE(optima, nullptr);
    for (int i = 0; i < optima->count(); ++i) {
        EXPECT_EQ(optima->at(i).y(), optimum.value().fitness);
        auto* curve = seriesNamed<QLineSeries>(fitness->panel(0),
                                               QStringLiteral("threshold %1 moved").arg(i + 1));
        ASSERT_NE(curve, nullptr);
        for (const QPointF& point : curve->points()) EXPECT_LE(point.y(), optimum.value().fitness);
    }
}

TEST_F(ChartData, GeneticSearchAndDelayScanShowTheirFitness) {
    RunSettings genetic = settings();
    options_.seed = 5;
    const ChartInput geneticInput = runAndDescribe(genetic);
    const std::unique_ptr<ChartFigure> byGeneration = buildSearchChart(geneticInput);
    QList<QPointF> best;
    for (std::size_t g = 0; g < outcome_.generationBest.size(); ++g) {
        best.append(QPointF(g, outcome_.generationBest[g]));
    }
    ASSERT_EQ(best.size(), 9);
    EXPECT_EQ(
        seriesNamed<QLineSeries>(byGeneration->panel(0), QStringLiteral("best of the run so far"))
            ->points(),
        best);

    RunSettings scanned = settings();
    ResultTexts texts;
    SilentObserver observer;
    options_.profileThresholds = true;
    const DelayScanOutcome scan = runDelayScan(scanned, texts, observer, options_);
    ASSERT_FALSE(scan.run.notice.has_value());
    const ChartInput scanInput = chartInputFromRun(scan.run, scanned, &scan);
    const std::unique_ptr<ChartFigure> byDelay = buildSearchChart(scanInput);
    ASSERT_EQ(byDelay->panelCount(), 2);  // the scan, then the profile at the best delay
    QList<QPointF> perDelay;
    for (std::size_t i = 0; i < scan.delays.size(); ++i) {
        perDelay.append(QPointF(scan.delays[i], scan.fitness[i]));
    }
    EXPECT_EQ(
        seriesNamed<QScatterSeries>(byDelay->panel(0), QStringLiteral("best fitness at the delay"))
            ->points(),
        perDelay);
    auto* bestDelay =
        seriesStartingWith<QScatterSeries>(byDelay->panel(0), QStringLiteral("best delay: d = "));
    ASSERT_NE(bestDelay, nullptr);
    ASSERT_EQ(bestDelay->count(), 1);
    EXPECT_EQ(bestDelay->at(0).x(), scan.bestDelay);
}

TEST_F(ChartData, OnlyChartsWithSomethingToShowApply) {
    std::vector<double> thresholds;
    ChartInput input = givenThresholdInput(thresholds);
    auto applying = [&input]() {
        std::vector<std::string> names;
        for (const std::unique_ptr<ChartFigure>& figure : buildCharts(input)) {
            names.push_back(figure->name().toStdString());
        }
        return names;
    };
    // Thresholds given: nothing was searched.
    EXPECT_EQ(applying(),
              (std::vector<std::string>{"series", "lag", "fit", "acf", "ljungbox", "forecasts"}));

    input.model.autocorrelations.resize(1);  // no lag asked for
    input.model.holdoutForecasts.clear();
    input.model.series.resize(kFitted);  // nothing held out
    EXPECT_EQ(applying(), (std::vector<std::string>{"series", "lag", "fit"}));

    input.forecasts = ForecastPath{{0.5, 0.4}, {}};
    EXPECT_EQ(applying(), (std::vector<std::string>{"series", "lag", "fit", "forecasts"}));

    input.search = SearchKind::kExact;  // an optimum without thresholds has no profile
    EXPECT_EQ(applying().size(), 4u);

    input.model.available = false;
    EXPECT_TRUE(applying().empty());
}

}  // namespace
}  // namespace kavri::charts
