#!/usr/bin/env python3
"""Many series on a Dask cluster: a SETAR fit, the linearity tests and forecasts per series.

Each series of a table (every numeric column, as ``kavri-cli --all-columns``) or of a folder of
series files (one series per file) is fitted by ``kavri.fit`` on a worker of a Dask distributed
cluster; the summary table (one row per series) is gathered on this machine and written as
CSV. A series that fails gets its status and message, and the others go on.

    # a local cluster of two worker processes on this machine
    PYTHONPATH=build/python python3 examples/many_series_dask.py examples/lynx.csv \\
        --n-predictions 14 --max-order 3 --delay 2 --min-obs 20 --tests --forecast 5

    # a cluster of many machines: start `dask scheduler` on one and `dask worker
    # tcp://SCHEDULER:8786` on each of the others (each with kavri installed), then
    python3 examples/many_series_dask.py data/ --scheduler tcp://SCHEDULER:8786

    # the same fits one after another, without Dask (the results are the same numbers)
    python3 examples/many_series_dask.py examples/lynx.csv --serial ...

The series are read here and sent to the workers with their task, so the workers need no
shared file system. The settings are those of kavri.fit; --seed (default 1) fixes the bootstrap
of the tests and the simulated forecasts, so the summary is the same wherever it runs.
"""

import argparse
import math
import os
import sys

import kavri


def list_series(source):
    """(name, values or None, message) for every series of a table or a folder of files."""
    paths = ([os.path.join(source, f) for f in sorted(os.listdir(source))
              if not f.startswith(".") and os.path.isfile(os.path.join(source, f))]
             if os.path.isdir(source) else [source])
    several = len(paths) > 1
    series = []
    for path in paths:
        try:
            columns = kavri.table_columns(path) if not several else [(None, path)]
        except kavri.KavriError as error:
            series.append((path, None, str(error)))
            continue
        for column, name in columns:
            try:
                series.append((name, kavri.read_series(path, column), ""))
            except kavri.KavriError as error:
                series.append((name, None, str(error)))
    return series


def fit_one(name, values, message, settings, steps):
    """The summary row of one series: kavri.fit with `settings`, its tests when asked (in
    settings), and `steps` point forecasts."""
    row = {"series": name, "status": "failed", "message": message}
    if values is None:
        return row
    try:
        model = kavri.fit(values, threads=1, name=name, **settings)
    except kavri.KavriError as error:
        row.update(status=error.kind, message=str(error))
        return row
    row.update(status="ok", message="; ".join(model.warnings))
    row.update(model.summary())
    if steps > 0:
        forecasts = model.forecast(steps, seed=settings.get("seed"))
        for step, value in zip(forecasts["step"], forecasts["forecast"]):
            row[f"forecast_{step}"] = value
    return row


def summary_csv(rows):
    """The rows as CSV text: the columns in the order they first appear, numbers in full."""
    columns = []
    for row in rows:
        columns += [key for key in row if key not in columns]

    def field(value):
        if value is None or (isinstance(value, float) and math.isnan(value)):
            return ""
        text = repr(value) if isinstance(value, float) else str(value)
        if any(c in text for c in ",\"\n"):
            text = '"' + text.replace('"', '""') + '"'
        return text

    lines = [",".join(columns)]
    lines += [",".join(field(row.get(column)) for column in columns) for row in rows]
    return "\n".join(lines) + "\n"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("source", help="a table (every numeric column is a series) or a folder "
                                       "of series files")
    where = parser.add_mutually_exclusive_group()
    where.add_argument("--scheduler", help="address of a running Dask scheduler "
                                           "(tcp://host:8786)")
    where.add_argument("--workers", type=int, default=2,
                       help="worker processes of the local cluster (default 2)")
    where.add_argument("--serial", action="store_true", help="fit here, one after another")
    parser.add_argument("--output", help="the summary CSV (default: standard output)")
    parser.add_argument("--tests", action="store_true", help="the linearity tests")
    parser.add_argument("--bootstrap", type=int, help="bootstrap replicates of the tests")
    parser.add_argument("--forecast", type=int, default=0, help="forecast steps")
    parser.add_argument("--seed", type=int, default=1, help="seed of the bootstrap and "
                                                            "forecasts (default 1)")
    for option in ("max-regimes", "max-order", "delay", "min-obs", "n-observations",
                   "n-predictions"):
        parser.add_argument("--" + option, type=int)
    parser.add_argument("--fitness", choices=["aic", "mse"])
    parser.add_argument("--search", choices=["exact", "genetic"], default="exact")
    args = parser.parse_args(argv)

    settings = {key: value for key, value in dict(
        search=args.search, max_regimes=args.max_regimes, max_order=args.max_order,
        delay=args.delay, min_obs=args.min_obs, n_observations=args.n_observations,
        n_predictions=args.n_predictions, fitness=args.fitness, seed=args.seed,
        tests=args.tests, bootstrap=args.bootstrap).items() if value is not None}
    series = list_series(args.source)
    names, values, messages = zip(*series) if series else ((), (), ())

    if args.serial:
        rows = [fit_one(n, v, m, settings, args.forecast) for n, v, m in series]
    else:
        from dask.distributed import Client, LocalCluster

        if args.scheduler:
            client = Client(args.scheduler)
            cluster = None
        else:
            # Worker processes of one thread each: every fit runs on a core of its own.
            cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1,
                                   processes=True, dashboard_address=None)
            client = Client(cluster)
        try:
            n = len(series)
            futures = client.map(fit_one, names, values, messages, [settings] * n,
                                 [args.forecast] * n, pure=False)
            rows = client.gather(futures)
        finally:
            client.close()
            if cluster is not None:
                cluster.close()

    text = summary_csv(rows)
    if args.output:
        with open(args.output, "w", encoding="utf-8") as out:
            out.write(text)
    else:
        sys.stdout.write(text)
    failed = sum(row["status"] != "ok" for row in rows)
    print(f"{len(rows)} series: {len(rows) - failed} fitted, {failed} failed", file=sys.stderr)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
