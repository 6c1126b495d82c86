"""kavri-cli fitting many series in one run against its single runs: the same JSON bit for
bit, the same result files, failures recorded while the others go on."""

import csv
import json
import os

import pytest

from conftest import example, run_cli

SETTINGS = ["--search", "exact", "--max-regimes", "2", "--fitness", "aic", "--n-observations",
            "100", "--n-predictions", "14", "--max-order", "3", "--min-obs", "20", "--tests",
            "--bootstrap", "20", "--seed", "4", "--forecast", "3"]


def lines(name, count):
    with open(example(name), encoding="utf-8") as f:
        return [line.strip() for line in f if line.strip()][:count]


@pytest.fixture
def table(tmp_path):
    """A table of four series of 114 values (one with a gap), a date column and a text one."""
    lynx = lines("lynx_log10.txt", 114)
    sun = lines("sunspot_year.txt", 114)
    rate = lines("ExchangeRate.txt", 114)
    gap = list(lynx)
    gap[5] = "NA"
    path = tmp_path / "panel.csv"
    with open(path, "w", encoding="utf-8") as f:
        f.write("date,lynx,sun,note,rate,gap\n")
        for i in range(114):
            f.write(f"{1821 + i}-01-01,{lynx[i]},{sun[i]},n{i},{rate[i]},{gap[i]}\n")
    return path


def single_json(path, column, directory=None):
    extra = ["--output-dir", str(directory)] if directory else []
    status, out, err = run_cli("--json", "--series", str(path), "--column", column,
                               *SETTINGS, *extra)
    return status, out, err


def test_all_columns_equal_single_runs(table, tmp_path):
    results = tmp_path / "results"
    results.mkdir()
    summary = tmp_path / "summary.csv"
    jsonl = tmp_path / "fits.jsonl"
    status, out, err = run_cli("--series", str(table), "--all-columns", *SETTINGS,
                               "--summary", str(summary), "--json-lines", str(jsonl),
                               "--output-dir", str(results))
    assert status == 7, err  # the column with a gap failed
    assert out == ""
    with open(summary, encoding="utf-8") as f:
        rows = list(csv.DictReader(f))
    assert [r["series"] for r in rows] == ["lynx", "sun", "rate", "gap"]
    assert [r["status"] for r in rows] == ["ok", "ok", "ok", "failed"]
    assert rows[3]["message"].startswith("Element 6 could not be read: ")
    with open(jsonl, encoding="utf-8") as f:
        records = [json.loads(line) for line in f]
    assert len(records) == 4
    for name, row, record in zip(["lynx", "sun", "rate"], rows, records):
        single = tmp_path / ("single-" + name)
        single.mkdir()
        code, out, err = single_json(table, name, single)
        assert code == 0, err
        expected = json.loads(out)
        assert record == expected
        assert float(row["aic"]) == expected["fitStatistics"]["aic"]
        assert float(row["threshold_1"]) == expected["thresholds"][0]
        assert float(row["p_1_vs_2"]) == expected["linearityTests"]["supF"][0]["pValue"]
        for file in ("Residuals.txt", "Predictions.txt", "Forecasts.txt"):
            with open(single / file, "rb") as a, open(results / name / file, "rb") as b:
                assert a.read() == b.read(), file
    code, out, err = single_json(table, "gap")
    assert code == 3
    assert records[3]["status"] == "failed"
    assert err.startswith("kavri-cli: " + records[3]["notice"]["text"])


def test_several_files_and_jobs_give_the_same_results(tmp_path):
    files = [example("lynx_log10.txt"), example("sunspot_year.txt")]
    outputs = []
    for jobs in ("1", "2"):
        status, out, err = run_cli("--json", "--series", *files, *SETTINGS, "--jobs", jobs)
        assert status == 0, err
        outputs.append(out)
    assert outputs[0] == outputs[1]
    records = [json.loads(line) for line in outputs[0].splitlines()]
    for path, record in zip(files, records):
        status, out, err = run_cli("--json", "--series", path, *SETTINGS)
        assert record == json.loads(out)
    status, out, err = run_cli("--series", *files, *SETTINGS)
    rows = list(csv.DictReader(out.splitlines()))
    assert [r["series"] for r in rows] == files


def test_columns_option_and_refusals(table):
    status, out, err = run_cli("--series", str(table), "--columns", "rate,lynx", *SETTINGS)
    assert status == 0, err
    assert [r["series"] for r in csv.DictReader(out.splitlines())] == ["rate", "lynx"]
    status, out, err = run_cli("--series", str(table), "--columns", "rate,nope", *SETTINGS)
    assert status == 7
    rows = list(csv.DictReader(out.splitlines()))
    assert rows[1]["message"].startswith("Column nope was not found in ")
    for extra in (["--plots", "charts"], ["--column", "lynx"], ["--columns", "sun"],
                  ["--select", "aic"], ["--report", "report.md"], ["--inspect"]):
        status, out, err = run_cli("--series", str(table), "--all-columns", *extra)
        assert status == 2, extra
        assert "cannot be combined" in err
    status, out, err = run_cli("--series", str(table), "--jobs", "2")
    assert status == 2 and "--jobs" in err


def test_output_file_that_cannot_be_written(table, tmp_path):
    status, out, err = run_cli("--series", str(table), "--all-columns", *SETTINGS,
                               "--summary", str(tmp_path / "missing" / "s.csv"))
    assert status == 3
    assert "summary" in err and "could not be created" in err


def test_all_columns_below_a_title_read_as_single_runs(tmp_path):
    """A title passed over with --skip-lines, a comment line, thousands separators: each column
    of the batch is the series a single run reads."""
    lynx = lines("lynx_log10.txt", 114)
    sun = lines("sunspot_year.txt", 114)
    path = tmp_path / "titled.csv"
    with open(path, "w", encoding="utf-8") as f:
        f.write("Annual series, two sources\n# lynx: log10 of trappings\ndate,lynx,scaled\n")
        for i in range(114):
            scaled = f"{float(sun[i]) * 1000:,.1f}"
            f.write(f'{1821 + i}-01-01,{lynx[i]},"{scaled}"\n')
    status, out, err = run_cli("--json", "--series", str(path), "--all-columns", "--skip-lines",
                               "1", *SETTINGS)
    assert status == 0, err
    records = [json.loads(line) for line in out.splitlines()]
    assert len(records) == 2
    for column, record in zip(["lynx", "scaled"], records):
        code, single, err = run_cli("--json", "--series", str(path), "--column", column,
                                    "--skip-lines", "1", *SETTINGS)
        assert code == 0, err
        assert record == json.loads(single)


def test_streamed_wide_table_in_order_with_a_failure_in_the_middle(tmp_path):
    """A table wider than the reader's index marks, fitted on two workers, with a series that
    fails in the middle: the rows and JSON lines come in the order of the columns, the summary
    alone (which leaves the report's statistics out) gives the rows it gives beside the JSON
    Lines, and the JSON of the columns on both sides of the failure is their single run's."""
    sources = [lines(name, 114) for name in ("lynx_log10.txt", "sunspot_year.txt",
                                             "ExchangeRate.txt")]
    names = [f"v{c}" for c in range(36)]
    path = tmp_path / "wide.csv"
    with open(path, "w", encoding="utf-8") as f:
        f.write("date," + ",".join(names) + "\n")
        for i in range(114):
            values = []
            for c in range(36):
                value = sources[c % 3][(i + c) % 114]
                values.append("n/a" if c == 17 and i == 40 else value)
            f.write(f'"{1821 + i}-01-01",' + ",".join(values) + "\n")
    settings = [s for s in SETTINGS if s not in ("--tests",)]
    settings = settings[:settings.index("--bootstrap")] + settings[settings.index("--seed"):]
    summary = tmp_path / "summary.csv"
    jsonl = tmp_path / "fits.jsonl"
    status, out, err = run_cli("--series", str(path), "--all-columns", *settings, "--jobs", "2",
                               "--summary", str(summary), "--json-lines", str(jsonl))
    assert status == 7, err
    status, alone, err = run_cli("--series", str(path), "--all-columns", *settings,
                                 "--jobs", "2")
    assert status == 7, err
    with open(summary, encoding="utf-8") as f:
        assert f.read() == alone
    rows = list(csv.DictReader(alone.splitlines()))
    assert [r["series"] for r in rows] == names
    assert [r["status"] for r in rows].count("failed") == 1
    assert rows[17]["status"] == "failed"
    assert rows[17]["message"].startswith("Element 41 could not be read: ")
    with open(jsonl, encoding="utf-8") as f:
        records = [json.loads(line) for line in f]
    assert [r.get("series") for r in records if r.get("status") == "failed"] == ["v17"]
    for c in (0, 16, 18, 35):
        code, single, err = run_cli("--json", "--series", str(path), "--column", names[c],
                                    *settings)
        assert code == 0, err
        assert records[c] == json.loads(single), names[c]
        assert float(rows[c]["aic"]) == records[c]["fitStatistics"]["aic"]
