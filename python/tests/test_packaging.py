"""Installing the recorder: with pip into a virtual environment over Debian's
PyVISA, offline, and with CMake into the Python site directory."""

import os
import pathlib
import shutil
import subprocess
import sys

import pytest

from conftest import PYTHON_DIR, functions, read_calls

# Opens and closes a resource manager recording to argv[1], printing where
# the backend was imported from.
PROGRAM = """
import sys, pyvisa, pyvisa_vesk
pyvisa.ResourceManager(sys.argv[1] + "@vesk").close()
print(pyvisa_vesk.__file__)
"""


def run(command, **options):
    finished = subprocess.run(command, capture_output=True, text=True, timeout=300, **options)
    assert finished.returncode == 0, f"{command}:\n{finished.stdout}\n{finished.stderr}"
    return finished.stdout


def clean_environment():
    """The environment without anything that points Python at the sources."""
    return {key: value for key, value in os.environ.items()
            if not key.startswith(("PYTHON", "PYVISA_", "VIRTUAL_ENV"))}


def check_recorder(python, installed_under, tmp_path, environment):
    trace = tmp_path / "installed.jsonl"
    imported = run([str(python), "-c", PROGRAM, str(trace)], cwd=tmp_path, env=environment)
    assert pathlib.Path(imported.strip()).is_relative_to(installed_under)
    assert functions(read_calls(trace)) == ["viOpenDefaultRM", "viClose"]


def test_pip_installs_offline_into_a_venv_over_debians_pyvisa(tmp_path):
    # A copy, so that building leaves nothing in the source tree.
    source = tmp_path / "source"
    shutil.copytree(PYTHON_DIR, source, ignore=shutil.ignore_patterns(
        "tests", "__pycache__", "build", "*.egg-info"))
    venv = tmp_path / "venv"
    run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)])
    run([str(venv / "bin" / "python"), "-m", "pip", "install", "--no-build-isolation",
         "--no-index", "--quiet", str(source)], env=clean_environment())
    check_recorder(venv / "bin" / "python", venv, tmp_path, clean_environment())


def test_cmake_installs_into_the_site_directory(tmp_path):
    build = os.environ.get("VESK_BUILD_DIR")
    site_dir = os.environ.get("KOVESK_PYTHON_SITE_DIR")
    if not build or not site_dir:
        pytest.skip("run by CTest, which names the build directory")
    prefix = tmp_path / "prefix"
    run(["cmake", "--install", build, "--prefix", str(prefix), "--component", "python"])
    installed = prefix / site_dir
    assert sorted(path.name for path in (installed / "pyvisa_vesk").iterdir()) == sorted(
        path.name for path in (PYTHON_DIR / "pyvisa_vesk").glob("*.py"))
    check_recorder(sys.executable, installed, tmp_path,
                   {**clean_environment(), "PYTHONPATH": str(installed)})
