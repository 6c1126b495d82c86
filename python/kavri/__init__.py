"""Kavri for Python: self-exciting threshold autoregressive (SETAR) models.

``kavri.fit`` fits a SETAR model to a one-dimensional series (a NumPy array, a list, a pandas
Series) with the numerical core of ``kavri-cli``: the same settings, defaults and ranges, and
the same numbers bit for bit as ``kavri-cli --json`` with the same options. The thresholds are
searched exactly (dynamic programming over the ranked values) unless ``search="genetic"`` or
given ``thresholds``. The returned :class:`Model` holds the thresholds, orders, coefficients and
standard errors as NumPy arrays, the fit statistics, the residuals and the regime of each
observation, and computes the linearity tests, the model comparison and forecasts.

The fit runs without the global interpreter lock, so threads fit series in parallel::

    import kavri
    x = kavri.read_series("examples/lynx_log10.txt")
    model = kavri.fit(x, n_predictions=14, max_order=3, delay=2, min_obs=20, fitness="aic")
    print(model.thresholds, model.orders)

A run that fails raises :class:`KavriError`, whose ``text`` and ``detail`` are the notice
kavri-cli prints; a setting refused raises its subclass :class:`KavriArgumentError`, which is
also a ``ValueError``.
"""

import json as _json

import numpy as _np

from . import _kavri

__all__ = ["fit", "read_series", "read_table", "table_columns", "Model", "KavriError",
           "KavriArgumentError", "__version__"]

__version__ = _kavri.version


class KavriError(Exception):
    """A fit or a read that could not be made: a refused setting, too few values, a value that
    is not finite, a regime that cannot be fitted...

    ``text`` is the notice (the words kavri-cli prints), ``detail`` its second line with the
    specifics and the remedy (may be empty), ``kind`` one of "refused" (a setting out of range
    or contradicting another), "failed" (the run ended with a notice) and "no model" (a regime
    could not be fitted by least squares).
    """

    def __init__(self, text, detail="", kind="failed"):
        """The notice's text and detail, and the kind of failure."""
        self.text = text
        self.detail = detail
        self.kind = kind
        super().__init__(text if not detail else text + ": " + detail)


class KavriArgumentError(KavriError, ValueError):
    """A setting refused before anything is fitted, as kavri-cli refuses its options: a value
    out of range, or settings that contradict each other (``kind`` is "refused"). Being also a
    ``ValueError``, it is caught where invalid arguments are; ``except KavriError`` catches it
    too."""


# Keyword arguments of fit() and the kavri-cli options they stand for.
_FIT_OPTIONS = {
    "search": "--search",
    "max_regimes": "--max-regimes",
    "max_order": "--max-order",
    "delay": "--delay",
    "min_obs": "--min-obs",
    "fitness": "--fitness",
    "criterion": "--criterion",
    "n_observations": "--n-observations",
    "n_predictions": "--n-predictions",
    "n_autocorrelations": "--n-autocorrelations",
    "candidates": "--candidates",
    "seed": "--seed",
    "n_chromosomes": "--n-chromosomes",
    "n_iterations": "--n-iterations",
    "p_crossover": "--p-crossover",
    "p_mutation": "--p-mutation",
    "p_selection": "--p-selection",
    "adjusting_constant": "--adjusting-constant",
    "threshold_variable": "--threshold-variable",
    "orders": "--orders",
    "lags": "--lags",
    "include": "--include",
    "test_order": "--test-order",
    "bootstrap": "--bootstrap",
    "forecast": "--forecast",
    "forecast_method": "--forecast-method",
    "paths": "--paths",
}
_FIT_FLAGS = {
    "delay_scan": "--delay-scan",
    "robust": "--robust",
    "tests": "--tests",
    "compare_models": "--compare-models",
}
# kavri-cli's default of --n-predictions (the values held out unless told otherwise) and the
# fewest values it fits.
_DEFAULT_PREDICTIONS = 50
_FEWEST_OBSERVATIONS = 50


def _option_text(value):
    """The text of an option's value as kavri-cli reads it (floats in full, a sequence as its
    comma-separated items)."""
    if isinstance(value, bool):
        raise TypeError("expected a number or a word, got a bool")
    if isinstance(value, float):
        return repr(value)
    if isinstance(value, (list, tuple, _np.ndarray)):
        return ",".join(_option_text(item.item() if isinstance(item, _np.generic) else item)
                        for item in value)
    return str(value)


def _python_names(message):
    """Names kavri-cli's options in a refusal as the keyword arguments of fit()."""
    # The longer names first, so that --forecast-method is not read as --forecast.
    names = list(_FIT_OPTIONS.items()) + list(_FIT_FLAGS.items())
    for name, option in sorted(names, key=lambda item: -len(item[1])):
        message = message.replace(option, name)
    message = message.replace("--simulate ", "simulate ")
    return message.replace("--thresholds", "thresholds").replace("--levels", "levels")


def _arguments(options, flags, thresholds=None, levels=None):
    """kavri-cli's command line for keyword arguments: options whose value is not None, flags
    that are true, the thresholds and levels as comma-separated lists."""
    arguments = []
    for name, value in options.items():
        if value is not None:
            arguments += [_FIT_OPTIONS[name], _option_text(value)]
    for name, value in flags.items():
        if value:
            arguments.append(_FIT_FLAGS[name])
    if thresholds is not None:
        values = _np.atleast_1d(_np.asarray(thresholds, dtype=float))
        arguments += ["--thresholds", ",".join(repr(float(t)) for t in values)]
    if levels is not None:
        arguments += ["--levels", ",".join(repr(float(level)) for level in _np.atleast_1d(levels))]
    return arguments


# The name an exogenous threshold variable goes by in texts when the array has none of its own.
_VARIABLE_NAME = "z"


def _threshold_variable(variable, size, future):
    """The exogenous threshold variable of fit(): (its values, future ones appended, as a
    float64 array; its name), or (None, None) for "own" and "difference"."""
    if isinstance(variable, str) and variable not in ("own", "difference"):
        raise ValueError(
            f"threshold_variable expects \"own\", \"difference\" or an array of {size} values, "
            f"got {variable!r}; pass another column's values as the array (kavri.read_series "
            "reads a column of a table)")
    if variable is None or isinstance(variable, str):
        if future is not None:
            raise ValueError("future_threshold_variable continues an exogenous threshold "
                             "variable; give threshold_variable as an array too")
        return None, None
    values = _np.asarray(variable, dtype=_np.float64)
    if values.ndim != 1 or values.size != size:
        raise ValueError(
            f"threshold_variable expects \"own\", \"difference\" or an array of {size} values, "
            f"one for each value of the series, got an array of shape {values.shape}")
    if future is not None:
        later = _np.atleast_1d(_np.asarray(future, dtype=_np.float64))
        if later.ndim != 1:
            raise ValueError("future_threshold_variable expects a one-dimensional sequence, "
                             f"got an array of shape {later.shape}")
        values = _np.concatenate([values, later])
    name = getattr(variable, "name", None)
    # A name the command line would read as a keyword or an option stands for nothing here.
    if (not isinstance(name, str) or not name or name in ("own", "difference")
            or name.startswith("-")):
        name = _VARIABLE_NAME
    return _np.ascontiguousarray(values), name


def _for_arrays(error):
    """A notice of a fit with an exogenous threshold variable, in the words of fit()'s keyword
    arguments, and with the remedy for an array where the core words it for a table (whose
    later rows hold the values past the data)."""
    detail = _python_names(error.detail)
    for said, meant in (
            ("which the file does not give; add its values in the rows after the series",
             "which threshold_variable does not give; pass its later values as "
             "future_threshold_variable"),
            ("which the file gives up to step", "which threshold_variable gives up to step"),
            ("or add the variable's later values in the rows after the series",
             "or pass more future_threshold_variable values")):
        detail = detail.replace(said, meant)
    return KavriError(error.text, detail, error.kind)


def _raise_refusal(text):
    """Raises the refusal of a setting, naming the keyword argument."""
    raise KavriArgumentError(_python_names(text), "", "refused")


def read_series(path, column=None):
    """Every value of a series file, read exactly as kavri-cli reads it.

    ``path`` is a plain file of numbers or a table (comma, semicolon or tab separated);
    ``column`` names a column by header or 1-based number (default: the only numeric column,
    else the last). Returns a float64 NumPy array; raises :class:`KavriError` with kavri-cli's
    notice when the file cannot be read.
    """
    values, text, detail = _kavri.read_series(str(path), "" if column is None else str(column))
    if values is None:
        raise KavriError(text, detail)
    return values


def table_columns(path):
    """The numeric columns of a series file, as ``kavri-cli --all-columns`` finds them: a list
    of (column, name) pairs, ``column`` what :func:`read_series` takes to read it (None for a
    plain file of numbers) and ``name`` its header, else "column N", else the path."""
    columns, text, detail = _kavri.table_columns(str(path))
    if columns is None:
        raise KavriError(text, detail)
    return [(request or None, name or str(path)) for request, name in columns]


def read_table(path):
    """Every numeric column of a series file, as ``kavri-cli --all-columns`` fits them.

    Returns a dict from the column's name (its header, else "column N") to its values (a
    float64 array), in the file's order; a plain file of numbers gives one entry named by the
    path. ``pandas.DataFrame`` takes the dict when the columns are of equal length. Raises
    :class:`KavriError` when the file or one of its columns cannot be read.
    """
    return {name: read_series(path, column) for column, name in table_columns(path)}


def fit(x, *, thresholds=None, search="exact", max_regimes=None, max_order=None, delay=None,
        min_obs=None, fitness=None, criterion=None, n_observations=None, n_predictions=None,
        n_autocorrelations=None, candidates=None, seed=None, delay_scan=False,
        n_chromosomes=None, n_iterations=None, p_crossover=None, p_mutation=None,
        p_selection=None, adjusting_constant=None, robust=False, tests=False, test_order=None,
        bootstrap=None, compare_models=False, forecast=None, forecast_method=None, paths=None,
        levels=None, threads=None, name="the array", threshold_variable=None, orders=None,
        lags=None, include=None, future_threshold_variable=None):
    """Fits a SETAR model to the series ``x`` and returns a :class:`Model`.

    ``x`` is any one-dimensional sequence of numbers (NumPy array, list, pandas Series); every
    value fitted must be finite. The first ``n_observations`` values are fitted and the next
    ``n_predictions`` (default 50, as kavri-cli) held out for one-step forecasts; by default
    ``n_observations`` is every value not held out (kavri-cli's default is 450, for its files).

    The other settings are kavri-cli's options with ``_`` for ``-``, with its defaults and
    ranges (see ``kavri-cli --help``): ``search`` "exact" (default here) or "genetic",
    ``thresholds`` (one to three values of the series: estimate there instead of searching),
    ``max_regimes`` (1-4, default 4), ``max_order`` (1-20, default 4: orders up to 3),
    ``delay`` (1-10, default 1), ``min_obs`` (20-100, default 30), ``fitness`` "aic" or "mse"
    (default "mse"), ``criterion`` "absolute" or "relative", ``candidates``, ``delay_scan``,
    the genetic search's ``n_chromosomes``, ``n_iterations``, ``p_crossover``, ``p_mutation``,
    ``p_selection``, ``adjusting_constant`` and ``seed`` (also the seed of the bootstrap and the
    simulated forecasts). ``robust``, ``tests`` (with ``test_order``, ``bootstrap``) and
    ``compare_models`` add statistics, ``forecast`` (steps, with ``forecast_method``, ``paths``,
    ``levels``) forecasts, as the options of the same names do; they can also be asked for later
    with the model's methods.

    The model's form (``kavri-cli``'s options of the same names, with the same checks):

    ``threshold_variable``
        The variable z whose value z[t-d] chooses the regime of observation t: "own" (default,
        x[t-d]), "difference" (the change x[t-d] - x[t-d-1], a momentum model), or an array of
        z's values, one for each value of ``x`` and aligned with it (an exogenous variable, as
        ``--threshold-variable COLUMN`` takes another column of a table). The thresholds are
        then values of z. z must be finite wherever the fit or the held-out values read it (a
        NaN there is refused, naming its place counted from 1, as kavri-cli counts values);
        a pandas Series lends z its name in texts, else it is called "z".
    ``future_threshold_variable``
        With an exogenous z: its values after the last value of ``x``, which forecasts past
        the data need (the regime of step h reads z at h - delay past the data). Without them
        forecasts reach only as far as z is known past the sample, and further steps are
        refused. :meth:`Model.forecast` takes them too, later.
    ``orders``
        Fixed autoregressive orders instead of the AIC's choice: one int for every regime, or
        one per regime (a sequence, with ``thresholds`` or ``search="exact"``, which then fits
        exactly that many regimes), each from 1 to ``max_order`` - 1.
    ``lags``
        The lags every regime uses instead of 1 .. p (a sequence, ascending, each below
        ``max_order``; for example [1, 2, 12]); orders then count these lags.
    ``include``
        The deterministic terms of every regime: "const" (default), "none" (no constant, for a
        series whose mean is zero by construction) or "trend" (a constant and a linear trend
        t, t = 1 at the sample's first value, continued by forecasts).

    Every search fits every form, except that one order per regime needs given
    ``thresholds`` or the exact search (the genetic search may choose fewer regimes).

    ``threads`` bounds the threads of this fit (default: every core); with ``threads=1`` each
    fit uses one core, and Python threads fit several series at once. The results do not depend
    on it. ``name`` stands for the series in messages.

    Raises :class:`KavriError` with kavri-cli's notice when the fit fails, and its subclass
    :class:`KavriArgumentError` (also a ``ValueError``) when a setting is refused.
    """
    values = _np.asarray(x, dtype=_np.float64)
    if values.ndim != 1:
        raise ValueError(
            f"kavri.fit expects a one-dimensional series, got an array of shape {values.shape}")
    values = _np.ascontiguousarray(values)
    variable, variable_name = _threshold_variable(threshold_variable, values.size,
                                                  future_threshold_variable)
    if variable is not None:
        threshold_variable = variable_name
    if n_observations is None:
        held_out = _DEFAULT_PREDICTIONS if n_predictions is None else n_predictions
        if isinstance(held_out, (int, _np.integer)):
            n_observations = int(values.size) - int(held_out)
            if 0 <= held_out and n_observations < _FEWEST_OBSERVATIONS:
                needed = _FEWEST_OBSERVATIONS + int(held_out)
                raise KavriError(
                    f"Element of time series less of {needed}",
                    f"{name} has {values.size} values; at least {_FEWEST_OBSERVATIONS} fitted "
                    f"and {held_out} held out are needed (lower n_predictions, or give a "
                    f"longer series)")
    options = dict(search=search, max_regimes=max_regimes, max_order=max_order, delay=delay,
                   min_obs=min_obs, fitness=fitness, criterion=criterion,
                   n_observations=n_observations, n_predictions=n_predictions,
                   n_autocorrelations=n_autocorrelations, candidates=candidates, seed=seed,
                   n_chromosomes=n_chromosomes, n_iterations=n_iterations,
                   p_crossover=p_crossover, p_mutation=p_mutation, p_selection=p_selection,
                   adjusting_constant=adjusting_constant, test_order=test_order,
                   bootstrap=bootstrap, forecast=forecast, forecast_method=forecast_method,
                   paths=paths, threshold_variable=threshold_variable, orders=orders,
                   lags=lags, include=include)
    if thresholds is not None and search == "exact":
        options["search"] = None  # given thresholds are estimated, not searched
    flags = dict(delay_scan=delay_scan, robust=robust, tests=tests,
                 compare_models=compare_models)
    arguments = _arguments(options, flags, thresholds, levels)
    fitted, text, detail = _kavri.fit(values, arguments, 0 if threads is None else int(threads),
                                      str(name), variable, variable_name or "")
    if fitted is None:
        _raise_refusal(text)
    if fitted.status != "ok":
        error = KavriError(fitted.notice_text, fitted.notice_detail, fitted.status)
        raise _for_arrays(error) if variable is not None else error
    return Model(fitted, arguments, threads, None if variable is None else variable[:values.size])


class Model:
    """A fitted SETAR model, as :func:`fit` returns it.

    Every number is the one ``kavri-cli --json`` prints for the same settings: ``json`` is that
    very text and ``report`` its parsed form. Arrays are NumPy arrays; the per-regime ones
    (``coefficients``, ``standard_errors``, ``t_values``, ``p_values``) are lists with one array
    per regime, aligned with that regime's ``terms``: the terms fitted, "const", then "trend"
    with ``include="trend"``, then "lag1", "lag2"... (only the lags fitted: "lag1", "lag2",
    "lag12" for ``lags=[1, 2, 12]``); a model with ``include="none"`` has no "const".
    ``lag_coefficients`` gives the same equation by lag instead.
    """

    def __init__(self, fitted, arguments, threads, variable=None):
        """Made by :func:`fit` from the native fit, its kavri-cli options and its threads, and
        the exogenous threshold variable's values beside the series (None for the series' own
        lag or change)."""
        self._fit = fitted
        self._arguments = arguments
        self._threads = threads
        self._variable = variable
        self._exogenous = variable is not None
        self._report = None
        self._fit_report = None
        self._arrays = None

    def __repr__(self):
        """Regimes, delay, thresholds and orders on one line."""
        return (f"<kavri.Model: {self.n_regimes} regimes, delay {self.delay}, "
                f"thresholds {list(self.thresholds)}, orders {list(self.orders)}>")

    @property
    def json(self):
        """The JSON text of ``kavri-cli --json`` with the same settings."""
        return self._fit.json

    @property
    def report(self):
        """The JSON as a dict (parsed once)."""
        if self._report is None:
            self._report = _json.loads(self._fit.json)
        return self._report

    @property
    def _fitted(self):
        """The JSON of the fit without the diagnostics, the thresholds' intervals and the
        regimes' support line (parsed once), which the properties read: the same numbers as
        ``report`` without paying for what only the full report shows."""
        if self._report is not None:
            return self._report
        if self._fit_report is None:
            self._fit_report = _json.loads(self._fit.fit_json)
        return self._fit_report

    def _array(self, key):
        """One of the native fit's arrays (fetched once)."""
        if self._arrays is None:
            self._arrays = self._fit.arrays()
        return self._arrays[key]

    @property
    def thresholds(self):
        """The thresholds, ascending (empty for one regime)."""
        return _np.array(self._fitted["thresholds"], dtype=float)

    @property
    def n_regimes(self):
        """The number of regimes."""
        return len(self._fitted["regimes"])

    @property
    def delay(self):
        """The delay d of the threshold variable x[t - d]."""
        return self._fitted["settings"]["delay"]

    @property
    def orders(self):
        """The autoregressive order of each regime."""
        return _np.array([r["order"] for r in self._fitted["regimes"]], dtype=int)

    def _terms_of(self, regime):
        """A regime of the coefficient table: (the names of its terms fitted, their places in
        the table, which always has a place for the constant)."""
        lags = regime.get("lags", range(1, len(regime["coefficients"])))
        trend = regime.get("trend", False)
        names = ["const"] + (["trend"] if trend else []) + [f"lag{lag}" for lag in lags]
        places = list(range(len(names)))
        if self._fitted.get("include") == "none":
            names, places = names[1:], places[1:]
        return names, places

    def _table(self, key):
        """One column of the coefficient table, as an array per regime aligned with terms."""
        columns = []
        for regime in self._fitted["coefficientTable"]:
            _, places = self._terms_of(regime)
            column = [regime["coefficients"][k][key] for k in places]
            columns.append(_np.array([_nan_if_none(v) for v in column], dtype=float))
        return columns

    @property
    def terms(self):
        """Each regime's terms fitted, the names that ``coefficients``, ``standard_errors``,
        ``t_values`` and ``p_values`` follow: "const", "trend" (with ``include="trend"``), then
        "lag1", "lag2"... for the lags fitted ("lag12" for lag 12 of a subset)."""
        return [self._terms_of(regime)[0] for regime in self._fitted["coefficientTable"]]

    @property
    def coefficients(self):
        """Each regime's estimates, aligned with ``terms``."""
        return self._table("estimate")

    @property
    def lag_coefficients(self):
        """Each regime's equation by lag: the constant (0 with ``include="none"``), then the
        coefficients of lags 1 .. order, 0 at the lags a subset leaves out (the trend's slope
        is in ``coefficients``)."""
        return [_np.array(r["coefficients"], dtype=float) for r in self._fitted["regimes"]]

    @property
    def standard_errors(self):
        """Each regime's standard errors (classical, or HC1 with ``robust=True``)."""
        return self._table("standardError")

    @property
    def t_values(self):
        """Each regime's t statistics."""
        return self._table("tValue")

    @property
    def p_values(self):
        """Each regime's two-sided p values of the t statistics."""
        return self._table("pValue")

    @property
    def fit_statistics(self):
        """Log-likelihood, AIC, BIC, Ljung-Box statistic and p value... (a dict)."""
        return dict(self._fitted["fitStatistics"])

    @property
    def aic(self):
        """AIC as the run reports it."""
        return self._fitted["fitStatistics"]["aic"]

    @property
    def bic(self):
        """BIC on the same footing as the AIC, the thresholds counted as parameters."""
        return self._fitted["fitStatistics"]["bic"]

    @property
    def residual_variance(self):
        """The model's residual variance (SSE over the observations)."""
        return self._fitted["residualVariance"]

    @property
    def forecast_mse(self):
        """The MSE of the one-step forecasts of the held-out values (None without them)."""
        return self._fitted["mse"]

    @property
    def series(self):
        """The values used: the fitted ones, then the held-out ones."""
        return self._array("series")

    @property
    def fitted(self):
        """The fitted value of each observation (as Residuals.txt)."""
        return self._array("fitted")

    @property
    def residuals(self):
        """x[t] minus the fitted value, for each observation."""
        return self._array("residuals")

    @property
    def regime(self):
        """The 0-based regime of each fitted observation; -1 where none applies."""
        return self._array("regime")

    @property
    def holdout_forecasts(self):
        """The one-step forecasts of the held-out values."""
        return self._array("holdout_forecasts")

    @property
    def warnings(self):
        """Warnings on regimes with fewer than three observations per coefficient."""
        return list(self._fit.warnings)

    def _report_with(self, arguments, future=None):
        """The JSON report with the statistics or forecasts that `arguments` ask for; `future`,
        when given, the exogenous threshold variable's values after the sample."""
        text, notice, detail = self._fit.report(
            _without(self._arguments, set(arguments) | _LATER_OPTIONS) + arguments,
            0 if self._threads is None else int(self._threads), future)
        if text is None:
            if detail == "refused":
                _raise_refusal(notice)
            error = KavriError(notice, detail)
            raise _for_arrays(error) if self._exogenous else error
        return _json.loads(text)

    def tests(self, *, order=None, bootstrap=None, seed=None):
        """Linearity tests at the model's delay: Hansen's sup-F tests of 1 against 2, 1 against
        3 and 2 against 3 regimes with bootstrap p values (``bootstrap`` replicates, default
        kavri-cli's) and Tsay's F test; ``order`` is the autoregressive order of every regime
        in them. They take the model's form: its ``include`` and its ``lags``, of which
        ``order`` counts the first ones; a model with one order per regime is refused, having
        no common order. Returns the dict of kavri-cli's "linearityTests", with the form's
        "lags" and "include" when not the default."""
        options = dict(test_order=order, bootstrap=bootstrap, seed=seed)
        return self._report_with(_arguments(options, dict(tests=True)))["linearityTests"]

    def compare(self):
        """The AIC-optimal models of every number of regimes up to max_regimes and every delay
        1 to 10 on one common sample: kavri-cli's "modelComparison" (its "rows" list goes
        straight into ``pandas.DataFrame``)."""
        return self._report_with(["--compare-models"])["modelComparison"]

    def forecast(self, steps, *, method=None, paths=None, levels=None, seed=None,
                 future_threshold_variable=None):
        """Forecasts 1 to ``steps`` past the last value, by the "skeleton", simulated
        "bootstrap" (default) or "gaussian" paths. Returns a dict of equal-length arrays that
        ``pandas.DataFrame`` takes directly: step, forecast, median and lower_L / upper_L for
        each interval level L (default 80 and 95).

        With an exogenous threshold variable, ``future_threshold_variable`` gives its values
        after the last value of the series, in place of those given to :func:`fit`: step h
        needs z at h - delay past the data, so ``steps`` may be at most delay plus the values
        known (up to the first NaN), and more steps are refused, naming the last one
        available, as kavri-cli refuses them."""
        options = dict(forecast=steps, forecast_method=method, paths=paths, seed=seed)
        future = self._future_values(future_threshold_variable)
        found = self._report_with(_arguments(options, {}, levels=levels), future)["forecasts"]
        return _forecast_columns(found["steps"])

    def _future_values(self, future):
        """The exogenous threshold variable after the sample for forecasts: its values beside
        the series past the values fitted and held out, then `future` (None: those of the
        fit)."""
        if future is None:
            return None
        if not self._exogenous:
            raise ValueError("future_threshold_variable continues an exogenous threshold "
                             "variable, and this model's regime follows the series itself, "
                             "which its forecasts continue; leave it out")
        later = _np.atleast_1d(_np.asarray(future, dtype=_np.float64))
        if later.ndim != 1:
            raise ValueError("future_threshold_variable expects a one-dimensional sequence, "
                             f"got an array of shape {later.shape}")
        beside = self._variable[len(self.series):]
        return _np.ascontiguousarray(_np.concatenate([beside, later]))

    def simulate(self, length, *, method=None, seed=None):
        """A series of ``length`` values simulated from the model, as ``kavri-cli --simulate``
        writes it: the regime of each value by the fitting rule, innovations resampled from the
        regime's residuals ("bootstrap", default) or drawn "gaussian", after a burn-in that is
        dropped; ``seed`` as for forecasts. Returns a float64 array. A model whose regime
        follows an exogenous threshold variable, or with a trend, cannot be simulated (the model
        does not say how the variable moves, nor where in time the series would be): raises
        :class:`KavriError` with the reason."""
        options = dict(forecast_method=method, seed=seed)
        asked = _arguments(options, {}) + ["--simulate", _option_text(length),
                                           "--simulate-to", "simulated.txt"]
        values, notice, detail = self._fit.simulate(
            _without(self._arguments, set(asked) | _LATER_OPTIONS) + asked, int(length)
            if isinstance(length, (int, _np.integer)) else 0)
        if values is None:
            if detail == "refused":
                _raise_refusal(notice)
            raise KavriError(notice, detail)
        return values

    def summary(self):
        """One row of the batch summary as a dict: regimes, delay, thresholds, orders, AIC,
        BIC, residual variance and forecast MSE (and the test p values when computed)."""
        row = {"regimes": self.n_regimes, "delay": self.delay}
        for i in range(3):
            row[f"threshold_{i + 1}"] = (float(self.thresholds[i])
                                         if i < len(self.thresholds) else None)
        for i in range(4):
            row[f"order_{i + 1}"] = int(self.orders[i]) if i < len(self.orders) else None
        row.update(aic=self.aic, bic=self.bic, residual_variance=self.residual_variance,
                   forecast_mse=self.forecast_mse)
        tests = self._fitted.get("linearityTests")
        if tests:
            for test, name in zip(tests["supF"], ("p_1_vs_2", "p_1_vs_3", "p_2_vs_3")):
                row[name] = test["pValue"]
            row["p_tsay"] = (tests["tsay"] or {}).get("pValue")
        return row


# The options of the statistics and forecasts asked at the fit, which a method asks anew.
_LATER_OPTIONS = {"--tests", "--test-order", "--bootstrap", "--compare-models", "--forecast",
                  "--forecast-method", "--paths", "--levels"}
_VALUE_OPTIONS = set(_FIT_OPTIONS.values()) | {"--thresholds", "--levels"}


def _without(arguments, options):
    """`arguments` without the options in `options` (and their values)."""
    kept = []
    i = 0
    while i < len(arguments):
        step = 2 if arguments[i] in _VALUE_OPTIONS else 1
        if arguments[i] not in options:
            kept += arguments[i:i + step]
        i += step
    return kept


def _forecast_columns(steps):
    """kavri-cli's forecast steps as equal-length arrays, one per column."""
    columns = {"step": _np.array([s["step"] for s in steps], dtype=int),
               "forecast": _np.array([s["forecast"] for s in steps], dtype=float),
               "median": _np.array([_nan_if_none(s["median"]) for s in steps], dtype=float)}
    levels = [i["level"] for i in steps[0]["intervals"]] if steps else []
    for k, level in enumerate(levels):
        label = f"{level:g}"
        columns[f"lower_{label}"] = _np.array([s["intervals"][k]["lower"] for s in steps])
        columns[f"upper_{label}"] = _np.array([s["intervals"][k]["upper"] for s in steps])
    return columns


def _nan_if_none(value):
    """NaN for a value that JSON writes as null."""
    return _np.nan if value is None else value
