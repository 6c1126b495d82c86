#!/usr/bin/env python3
"""A session with the Python module, cell by cell: the Canadian lynx (log10), 1821-1934.

Run it with the module on the path, from the top of the source tree:

    PYTHONPATH=build/python /usr/bin/python3 examples/python_fit.py
"""

# %% The series, read as kavri-cli reads it (or any 1-D array, list or pandas Series).
import os

import kavri

here = os.path.dirname(os.path.abspath(__file__))
x = kavri.read_series(os.path.join(here, "lynx_log10.txt"))
print(f"{x.size} values, from {x[0]:.3f} to {x[-1]:.3f}")

# %% The exact threshold search at delay 2: 100 years fitted, 14 held out.
model = kavri.fit(x, n_predictions=14, max_order=3, delay=2, min_obs=20, fitness="aic")
print(model)
print("thresholds", model.thresholds)
for regime, (b, se) in enumerate(zip(model.coefficients, model.standard_errors), start=1):
    print(f"regime {regime}: coefficients {b.round(4)}, standard errors {se.round(4)}")
print(f"AIC {model.aic:.3f}, BIC {model.bic:.3f}, residual variance {model.residual_variance:.5f}")

# %% Which observations fell in which regime.
import numpy as np

print("observations per regime", np.bincount(model.regime[model.regime >= 0]))

# %% Is there a threshold at all? Hansen's sup-F tests with bootstrap p values, and Tsay's.
tests = model.tests(bootstrap=200, seed=1)
for test in tests["supF"]:
    print(f"{test['nullRegimes']} vs {test['alternativeRegimes']} regimes: "
          f"F = {test['statistic']:.2f}, p = {test['pValue']}")
print(f"Tsay: F = {tests['tsay']['statistic']:.2f}, p = {tests['tsay']['pValue']:.4f}")

# %% Forecasts past the data with intervals from simulated paths.
forecasts = model.forecast(5, seed=1)
try:
    import pandas as pd

    print(pd.DataFrame(forecasts).to_string(index=False))
except ImportError:
    print(forecasts)

# %% Errors carry kavri-cli's notice.
try:
    kavri.fit(x[:40])
except kavri.KavriError as error:
    print("refused:", error.text, "|", error.detail)
