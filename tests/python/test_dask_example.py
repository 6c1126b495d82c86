"""The Dask example on a local cluster of two worker processes gives the serial summary."""

import os
import subprocess
import sys

import pytest

from conftest import EXAMPLES, example

pytest.importorskip("distributed")

SCRIPT = os.path.join(EXAMPLES, "many_series_dask.py")
SETTINGS = ["--n-predictions", "14", "--max-order", "3", "--delay", "2", "--min-obs", "20",
            "--fitness", "aic", "--tests", "--bootstrap", "20", "--forecast", "3"]


def summary(*arguments):
    done = subprocess.run([sys.executable, SCRIPT, *arguments, *SETTINGS], capture_output=True,
                          text=True, check=False, timeout=300)
    return done.returncode, done.stdout, done.stderr


def test_local_cluster_equals_serial(tmp_path):
    folder = tmp_path / "series"
    folder.mkdir()
    for name in ("lynx_log10.txt", "sunspot_year.txt", "ExchangeRate.txt"):
        with open(example(name), "rb") as source, open(folder / name, "wb") as copy:
            copy.write(source.read())
    (folder / "short.txt").write_text("1\n2\n3\n")
    code, serial, err = summary(str(folder), "--serial")
    assert code == 1, err  # short.txt fails
    lines = serial.splitlines()
    assert len(lines) == 5 and lines[0].startswith("series,status,message,")
    failed = [line for line in lines if ",failed," in line]
    assert len(failed) == 1 and "short.txt" in failed[0]
    code, clustered, err = summary(str(folder), "--workers", "2")
    assert code == 1, err
    assert clustered == serial
    code, table, err = summary(example("lynx.csv"), "--serial")
    assert [line.split(",")[0] for line in table.splitlines()] == ["series", "year", "trappings",
                                                                  "log10"]
