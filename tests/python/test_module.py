"""The Python module against kavri-cli: the same numbers bit for bit, errors with kavri-cli's
notice, arrays of the right shapes."""

import threading

import numpy as np
import pytest

import kavri
from conftest import cli_json, example, run_cli

# Bundled series and settings that exercise the exact search, given thresholds, the genetic
# search, the statistics and the forecasts. Each: file, n_observations, keyword arguments.
CASES = [
    ("lynx_log10.txt", 100, dict(n_predictions=14, max_order=3, delay=2, min_obs=20,
                                 fitness="aic", tests=True, bootstrap=30, seed=5,
                                 forecast=6, compare_models=True)),
    ("ExchangeRate.txt", 450, dict(max_regimes=3, fitness="mse", robust=True)),
    ("sunspot_year.txt", 250, dict(n_predictions=39, max_regimes=2, fitness="aic",
                                   forecast=4, forecast_method="gaussian", paths=200,
                                   levels=[50, 90], seed=3)),
    ("lynx_log10.txt", 100, dict(n_predictions=14, search="genetic", seed=11,
                                 n_iterations=20, max_order=3, delay=2, min_obs=20)),
    ("ExchangeRate.txt", 450, dict(max_regimes=2, delay=2, threshold_variable="difference",
                                   tests=True, bootstrap=20, seed=2, compare_models=True,
                                   forecast=3)),
]


def cli_arguments(path, n_observations, settings):
    """The kavri-cli options that stand for kavri.fit's keyword arguments."""
    arguments = ["--series", path, "--n-observations", str(n_observations)]
    settings = dict(settings)
    search = settings.pop("search", "exact")
    if "thresholds" not in settings:
        arguments += ["--search", search]
    for key, value in settings.items():
        option = "--" + key.replace("_", "-")
        if value is True:
            arguments.append(option)
        elif isinstance(value, list):
            arguments += [option, ",".join(str(v) for v in value)]
        else:
            arguments += [option, str(value)]
    return arguments


def comparable(report):
    """The report without what names the input (the file and its column, or the array)."""
    report = dict(report)
    report["settings"] = {k: v for k, v in report["settings"].items()
                          if k not in ("series", "column")}
    report["sample"] = {k: v for k, v in report["sample"].items()
                        if k not in ("fileValues", "column")}
    return report


@pytest.mark.parametrize("name,n_observations,settings", CASES)
def test_fit_equals_cli_json(name, n_observations, settings):
    path = example(name)
    expected = cli_json(*cli_arguments(path, n_observations, settings))
    model = kavri.fit(kavri.read_series(path), n_observations=n_observations, **settings)
    assert comparable(model.report) == comparable(expected)
    # The arrays are the JSON's numbers, exactly.
    assert model.thresholds.tolist() == expected["thresholds"]
    assert model.orders.tolist() == [r["order"] for r in expected["regimes"]]
    for regime, coefficients, errors in zip(expected["coefficientTable"], model.coefficients,
                                            model.standard_errors):
        assert coefficients.tolist() == [c["estimate"] for c in regime["coefficients"]]
        assert errors.tolist() == [c["standardError"] for c in regime["coefficients"]]
    assert model.aic == expected["fitStatistics"]["aic"]


def test_methods_equal_cli_statistics_and_forecasts():
    path = example("lynx_log10.txt")
    base = dict(n_predictions=14, max_order=3, delay=2, min_obs=20, fitness="aic")
    model = kavri.fit(kavri.read_series(path), n_observations=100, **base)
    expected = cli_json(*cli_arguments(path, 100, dict(base, tests=True, bootstrap=25, seed=7,
                                                       compare_models=True, forecast=5)))
    assert model.tests(bootstrap=25, seed=7) == expected["linearityTests"]
    assert model.compare() == expected["modelComparison"]
    forecasts = model.forecast(5, seed=7)
    steps = expected["forecasts"]["steps"]
    assert forecasts["forecast"].tolist() == [s["forecast"] for s in steps]
    assert forecasts["upper_95"].tolist() == [s["intervals"][1]["upper"] for s in steps]
    assert sorted(forecasts) == ["forecast", "lower_80", "lower_95", "median", "step",
                                 "upper_80", "upper_95"]


def test_thresholds_given_and_array_shapes():
    x = kavri.read_series(example("lynx_log10.txt"))
    searched = kavri.fit(x, n_predictions=14, max_order=3, delay=2, min_obs=20, max_regimes=2)
    given = kavri.fit(x, n_predictions=14, max_order=3, delay=2, min_obs=20,
                      thresholds=searched.thresholds)
    assert given.thresholds.tolist() == searched.thresholds.tolist()
    n = 114 - 14
    assert given.residuals.shape == (n,) and given.fitted.shape == (n,)
    assert given.regime.shape == (n,) and given.series.shape == (114,)
    assert set(np.unique(given.regime)) <= {-1, 0, 1}
    assert [c.shape for c in given.coefficients] == [(o + 1,) for o in given.orders]
    assert given.holdout_forecasts.shape == (14,)


def test_lists_pandas_and_threads_give_the_same_numbers():
    pandas = pytest.importorskip("pandas")
    x = kavri.read_series(example("sunspot_year.txt"))
    settings = dict(n_predictions=39, max_regimes=2, fitness="aic")
    reference = kavri.fit(x, **settings).json
    assert kavri.fit(pandas.Series(x), **settings).json == reference
    assert kavri.fit(list(x), threads=1, **settings).json == reference
    results = [None, None]

    def work(i):
        results[i] = kavri.fit(x, threads=1, **settings).json

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert results == [reference, reference]


def test_errors_carry_the_notice():
    x = kavri.read_series(example("lynx_log10.txt"))
    with pytest.raises(kavri.KavriError) as refused:
        kavri.fit(x, max_regimes=9)
    assert refused.value.kind == "refused"
    assert str(refused.value) == 'max_regimes expects an integer from 1 to 4, got "9"'
    with pytest.raises(kavri.KavriError) as short:
        kavri.fit(x[:60], n_predictions=14)
    assert short.value.text == "Element of time series less of 64"
    assert short.value.detail.startswith("the array has 60 values; at least 50 fitted and 14")
    with pytest.raises(kavri.KavriError) as short:
        kavri.fit(x[:60], n_observations=50, n_predictions=14)
    assert short.value.text == "Element of time series less of 64"
    assert "60" in short.value.detail
    gap = x.copy()
    gap[2] = np.nan
    with pytest.raises(kavri.KavriError) as missing:
        kavri.fit(gap, n_predictions=14, name="lynx")
    assert missing.value.text == "Element 3 could not be read"
    assert missing.value.detail.startswith("lynx, value 3: nan is a missing value")
    huge = x.copy()
    huge[0] = 1e200
    with pytest.raises(kavri.KavriError, match="Element 1 could not be read: .*too large"):
        kavri.fit(huge, n_predictions=14)
    with pytest.raises(ValueError, match="one-dimensional"):
        kavri.fit(np.ones((10, 10)))
    with pytest.raises(kavri.KavriError, match="could not be opened"):
        kavri.read_series(example("no such file.txt"))


def test_read_table_reads_every_numeric_column():
    table = kavri.read_table(example("lynx.csv"))
    assert list(table) == ["year", "trappings", "log10"]
    assert table["log10"].tolist() == kavri.read_series(example("lynx_log10.txt")).tolist()


# The model's form: fixed orders, a lag subset, no constant, a trend, and an exogenous threshold
# variable (a column of the table beside the series). Each: file, n_observations, the series'
# column, the threshold variable's column, keyword arguments.
FORM_CASES = [
    ("sunspot_year.txt", 250, None, None,
     dict(n_predictions=39, thresholds=[50.0], lags=[1, 2, 9], max_order=10, include="trend",
          forecast=4, forecast_method="skeleton")),
    ("sunspot_year.txt", 250, None, None,
     dict(n_predictions=39, thresholds=[36.0, 80.0], orders=[3, 1, 2], robust=True)),
    ("ExchangeRate.txt", 450, None, None,
     dict(max_regimes=2, orders=2, tests=True, bootstrap=20, seed=4, compare_models=True)),
    ("ExchangeRate.txt", 450, None, None,
     dict(search="genetic", seed=8, n_iterations=15, max_regimes=2, include="none")),
    ("mark_pound_volatility.csv", 1500, "returns", "abs_returns",
     dict(n_predictions=100, max_regimes=2, tests=True, bootstrap=20, seed=6, forecast=3,
          forecast_method="skeleton")),
]


def aligned_with_table(model, expected):
    """The model's per-term arrays are the table's rows of the terms fitted, in order."""
    constant = expected.get("include") != "none"
    for regime, terms, coefficients, errors in zip(
            expected["coefficientTable"], model.terms, model.coefficients,
            model.standard_errors):
        rows = regime["coefficients"] if constant else regime["coefficients"][1:]
        assert len(terms) == len(rows) == coefficients.size == errors.size
        assert coefficients.tolist() == [c["estimate"] for c in rows]
        assert np.array_equal(errors, [np.nan if c["standardError"] is None
                                       else c["standardError"] for c in rows], equal_nan=True)
        lags = regime.get("lags", list(range(1, len(regime["coefficients"]))))
        assert terms == (["const"] if constant else []) + (
            ["trend"] if regime.get("trend") else []) + [f"lag{lag}" for lag in lags]


@pytest.mark.parametrize("name,n_observations,column,variable,settings", FORM_CASES)
def test_model_forms_equal_cli_json(name, n_observations, column, variable, settings):
    pandas = pytest.importorskip("pandas")
    path = example(name)
    arguments = cli_arguments(path, n_observations, settings)
    x = kavri.read_series(path, column)
    if variable is not None:
        arguments += ["--column", column, "--threshold-variable", variable]
        settings = dict(settings, threshold_variable=pandas.Series(
            kavri.read_series(path, variable), name=variable))
    expected = cli_json(*arguments)
    model = kavri.fit(x, n_observations=n_observations, **settings)
    assert comparable(model.report) == comparable(expected)
    aligned_with_table(model, expected)
    # The equation by lag is the regimes' as stored: 0 at the lags left out.
    assert [c.tolist() for c in model.lag_coefficients] == [
        r["coefficients"] for r in expected["regimes"]]


def test_lag_subset_and_trend_name_their_terms():
    x = kavri.read_series(example("sunspot_year.txt"))
    model = kavri.fit(x, n_predictions=39, thresholds=[50.0], lags=(1, 2, 9), max_order=10,
                      include="trend")
    assert model.terms == [["const", "trend", "lag1", "lag2", "lag9"]] * 2
    by_lag = model.lag_coefficients[0]
    assert by_lag.size == 10 and by_lag[3:9].tolist() == [0.0] * 6
    assert by_lag[9] == model.coefficients[0][4] and by_lag[0] == model.coefficients[0][0]
    none = kavri.fit(x, n_predictions=39, thresholds=[50.0], orders=[2, 1], include="none")
    assert none.terms == [["lag1", "lag2"], ["lag1"]]
    assert [c.shape for c in none.standard_errors] == [(2,), (1,)]
    assert [c[0] for c in none.lag_coefficients] == [0.0, 0.0]
    # The tests take the form: the first two lags of the list with a trend; one order per
    # regime has no common order to test at.
    tests = model.tests(order=2, bootstrap=0)
    assert (tests["lags"], tests["include"], tests["tsay"]["df1"]) == ([1, 2], "trend", 4)
    with pytest.raises(kavri.KavriError, match="one order per regime"):
        none.tests(bootstrap=0)


def test_exogenous_variable_forecasts_as_far_as_it_is_known():
    path = example("mark_pound_volatility.csv")
    x = kavri.read_series(path, "returns")[:1600]
    z = kavri.read_series(path, "abs_returns")[:1600]
    settings = dict(n_predictions=100, max_regimes=2)
    model = kavri.fit(x, threshold_variable=z, **settings)
    assert model.report["thresholdVariable"] == {"kind": "column", "name": "z"}
    assert model.forecast(1, method="skeleton")["forecast"].shape == (1,)
    with pytest.raises(kavri.KavriError) as beyond:
        model.forecast(3, method="skeleton")
    assert beyond.value.text == "The threshold variable is not known far enough to forecast"
    assert beyond.value.detail == (
        "forecast 3: the regime of step h needs the threshold variable at h - 1 past the data, "
        "which threshold_variable gives up to step 1; forecast at most 1 step, or pass more "
        "future_threshold_variable values")
    # The values past the data given: the same forecasts as the table that holds them.
    later = kavri.read_series(path, "abs_returns")[1600:1605]
    longer = kavri.fit(x, threshold_variable=z, future_threshold_variable=later, **settings)
    assert longer.json == model.json
    expected = cli_json("--series", path, "--column", "returns", "--threshold-variable",
                        "abs_returns", "--n-observations", "1500", "--n-predictions", "100",
                        "--max-regimes", "2", "--search", "exact", "--forecast", "5",
                        "--forecast-method", "skeleton")
    assert longer.forecast(5, method="skeleton")["forecast"].tolist() == [
        s["forecast"] for s in expected["forecasts"]["steps"]]


def test_forecast_takes_the_exogenous_variables_future_values():
    path = example("mark_pound_volatility.csv")
    x = kavri.read_series(path, "returns")[:1600]
    z = kavri.read_series(path, "abs_returns")
    settings = dict(n_predictions=100, max_regimes=2)
    model = kavri.fit(x, threshold_variable=z[:1600], **settings)
    # Given to forecast, the values past the data give the forecasts of the table that holds
    # them, as if given to fit; the fit's own (none here) are replaced, not added to.
    expected = cli_json("--series", path, "--column", "returns", "--threshold-variable",
                        "abs_returns", "--n-observations", "1500", "--n-predictions", "100",
                        "--max-regimes", "2", "--search", "exact", "--forecast", "4",
                        "--forecast-method", "skeleton")
    made = model.forecast(4, method="skeleton", future_threshold_variable=z[1600:1603])
    assert made["forecast"].tolist() == [s["forecast"] for s in expected["forecasts"]["steps"]]
    given = kavri.fit(x, threshold_variable=z[:1600], future_threshold_variable=z[1600:1700],
                      **settings)
    with pytest.raises(kavri.KavriError) as beyond:
        given.forecast(5, method="skeleton", future_threshold_variable=[0.2, 0.3])
    assert beyond.value.detail == (
        "forecast 5: the regime of step h needs the threshold variable at h - 1 past the data, "
        "which threshold_variable gives up to step 3; forecast at most 3 steps, or pass more "
        "future_threshold_variable values")
    # Counted up to the first value that is not a number, as a table's rows would be.
    with pytest.raises(kavri.KavriError, match="gives up to step 2; forecast at most 2 steps"):
        model.forecast(3, method="skeleton", future_threshold_variable=[0.2, np.nan, 0.3])
    # A series longer than the sample lends its later rows first, as a table does.
    longer = kavri.fit(kavri.read_series(path, "returns")[:1603], threshold_variable=z[:1603],
                       n_observations=1500, **settings)
    assert longer.forecast(4, method="skeleton", future_threshold_variable=[])[
        "forecast"].tolist() == made["forecast"].tolist()
    with pytest.raises(ValueError, match="regime follows the series itself"):
        kavri.fit(x, **settings).forecast(2, future_threshold_variable=[0.1])
    with pytest.raises(ValueError, match="one-dimensional"):
        model.forecast(2, future_threshold_variable=np.ones((2, 2)))


def test_refused_settings_are_value_errors_and_kavri_errors():
    x = kavri.read_series(example("lynx_log10.txt"))
    with pytest.raises(ValueError) as refused:
        kavri.fit(x, delay=11)
    assert isinstance(refused.value, kavri.KavriError)
    assert isinstance(refused.value, kavri.KavriArgumentError)
    assert refused.value.kind == "refused"
    with pytest.raises(ValueError):
        kavri.fit(x, n_predictions=14).forecast(5, method="none")


def test_threshold_variable_refusals():
    path = example("mark_pound_volatility.csv")
    x = kavri.read_series(path, "returns")
    z = kavri.read_series(path, "abs_returns")
    gap = z.copy()
    gap[7] = np.nan
    with pytest.raises(kavri.KavriError) as missing:
        kavri.fit(x, threshold_variable=gap, max_regimes=2)
    assert missing.value.text == "Element 8 could not be read"
    assert missing.value.detail.startswith(
        "the threshold variable (threshold_variable z): z, value 8: nan is a missing value")
    # A gap after the sample only ends what forecasts may use.
    late = z.copy()
    late[-3] = np.nan
    kept = kavri.fit(x, threshold_variable=late, max_regimes=2, n_observations=1500,
                     n_predictions=100)
    assert kept.forecast(372, method="skeleton")["forecast"].shape == (372,)
    with pytest.raises(kavri.KavriError, match="gives up to step 372; forecast at most 372"):
        kept.forecast(373, method="skeleton")
    with pytest.raises(ValueError, match="an array of 1974 values"):
        kavri.fit(x, threshold_variable=z[:-1])
    with pytest.raises(ValueError, match="pass another column's values as the array"):
        kavri.fit(x, threshold_variable="abs_returns")
    with pytest.raises(ValueError, match="give threshold_variable as an array"):
        kavri.fit(x, threshold_variable="difference", future_threshold_variable=[0.1])
    with pytest.raises(kavri.KavriError) as exact:
        kavri.fit(x, orders=[2, 1], search="genetic")
    assert exact.value.kind == "refused"
    assert "which the genetic search may lower" in str(exact.value)
    with pytest.raises(kavri.KavriError, match="lags expects lags below max_order 4, got 12"):
        kavri.fit(x, lags=[1, 12], search="genetic")


def test_simulate_equals_cli_and_refuses_what_the_model_cannot_say(tmp_path):
    path = example("lynx_log10.txt")
    settings = dict(n_predictions=14, max_order=3, delay=2, min_obs=20)
    model = kavri.fit(kavri.read_series(path), n_observations=100, **settings)
    simulated = tmp_path / "simulated.txt"
    status, _, err = run_cli(*cli_arguments(path, 100, settings), "--simulate", "20",
                             "--simulate-to", str(simulated), "--seed", "9",
                             "--forecast-method", "gaussian")
    assert status == 0, err
    values = model.simulate(20, method="gaussian", seed=9)
    assert values.tolist() == [float(v) for v in simulated.read_text().split()]
    with pytest.raises(kavri.KavriError, match="needs forecast_method bootstrap or gaussian"):
        model.simulate(20, method="skeleton")
    trend = kavri.fit(kavri.read_series(path), include="trend", thresholds=[3.0141003215196207], **settings)
    with pytest.raises(kavri.KavriError, match="simulate is not available with include trend"):
        trend.simulate(10)
    volatility = example("mark_pound_volatility.csv")
    exogenous = kavri.fit(kavri.read_series(volatility, "returns"), max_regimes=2,
                          threshold_variable=kavri.read_series(volatility, "abs_returns"))
    with pytest.raises(kavri.KavriError) as refused:
        exogenous.simulate(10)
    assert refused.value.kind == "refused"
    assert "cannot simulate a series whose regime follows an exogenous variable" in str(
        refused.value)
