"""The Python module against kavri-cli: the same numbers bit for bit, errors with kavri-cli's
notice, arrays of the right shapes."""

import threading

import numpy as np
import pytest

import kavri
from conftest import cli_json, example

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
    arguments += ["--search", settings.pop("search", "exact")]
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
    """The report without what names the input (the file, or the array)."""
    report = dict(report)
    report["settings"] = {k: v for k, v in report["settings"].items() if k != "series"}
    report["sample"] = {k: v for k, v in report["sample"].items() if k != "fileValues"}
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
