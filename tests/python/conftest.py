"""Shared set-up of the Python tests: the kavri-cli program, the examples and a runner of
kavri-cli that returns its exit status, output and parsed JSON."""

import atexit
import json
import os
import shutil
import subprocess
import tempfile

import pytest

CLI = os.environ.get("KAVRI_CLI", "kavri-cli")
EXAMPLES = os.environ.get("KAVRI_EXAMPLES", os.path.join(os.path.dirname(__file__), "..", "..",
                                                         "examples"))


def example(name):
    return os.path.join(EXAMPLES, name)


# A run writes its result files into its current folder: a folder of the tests' own, never the
# folder the tests were started from.
RUN_FOLDER = tempfile.mkdtemp(prefix="kavri-pytest-")
atexit.register(shutil.rmtree, RUN_FOLDER, True)


def run_cli(*arguments, cwd=None):
    """kavri-cli with `arguments` (in a scratch folder unless `cwd`): (exit status, standard
    output, standard error)."""
    done = subprocess.run([CLI, "--quiet", *arguments], capture_output=True, text=True,
                          cwd=cwd or RUN_FOLDER, check=False)
    return done.returncode, done.stdout, done.stderr


def cli_json(*arguments, cwd=None):
    status, out, err = run_cli("--json", *arguments, cwd=cwd)
    assert status == 0, err
    return json.loads(out)


@pytest.fixture
def cli():
    return run_cli
