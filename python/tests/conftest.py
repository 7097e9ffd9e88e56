"""Fixtures: the instrument simulator, a capture file, resource managers
recording to it, and the built vesk-replay."""

import json
import os
import pathlib
import shutil
import subprocess
import sys
from typing import Any, Dict, Iterator, List, Optional

import pytest

PYTHON_DIR = pathlib.Path(__file__).resolve().parents[1]
REPOSITORY = PYTHON_DIR.parent
sys.path.insert(0, str(PYTHON_DIR))
sys.path.insert(0, str(PYTHON_DIR / "tests"))

pyvisa = pytest.importorskip(
    "pyvisa", reason="PyVISA is not installed (apt-get install python3-pyvisa)")
pytest.importorskip(
    "pyvisa_py", reason="pyvisa-py is not installed (apt-get install python3-pyvisa-py)")

from simulator import Simulator  # noqa: E402

# Short enough for a test, long enough for a loaded machine.
TIMEOUT_MS = 300


def read_calls(path: pathlib.Path) -> List[Dict[str, Any]]:
    """The calls of a capture file, one JSON object a line."""
    return [json.loads(line) for line in path.read_text().splitlines()]


def functions(calls: List[Dict[str, Any]]) -> List[str]:
    return [call["function"] for call in calls]


def param(entries: List[Dict[str, Any]], name: str) -> Dict[str, Any]:
    """The entry named `name` of an `in` or `out.params` list."""
    matches = [entry for entry in entries if entry.get("name") == name]
    assert len(matches) == 1, f"{name!r} in {entries}"
    return matches[0]


def data_of(entry: Dict[str, Any]) -> bytes:
    """The bytes a data entry holds."""
    return entry["text"].encode() if "text" in entry else bytes.fromhex(entry["hex"])


@pytest.fixture
def simulator() -> Iterator[Simulator]:
    instrument = Simulator().start()
    yield instrument
    instrument.stop()


# The modes of vesk-replay every capture a test records is rendered in, by
# the name of their golden files.
REPLAY_MODES = {"list": ["--list"], "timing": ["--timing"], "export": ["--export"],
                "xml": ["--xml"], "pages": ["--pages"]}


def replay_program() -> Optional[str]:
    """The built vesk-replay: $VESK_REPLAY (set by CTest), else build/bin/."""
    program = os.environ.get("VESK_REPLAY") or str(REPOSITORY / "build" / "bin" / "vesk-replay")
    return program if os.access(program, os.X_OK) else None


def render(program: str, arguments: List[str], capture: pathlib.Path) -> bytes:
    """What vesk-replay prints for every line of `capture`, which it must
    take without a message: bytes, since texts keep the bytes captured."""
    finished = subprocess.run([program, *arguments, str(capture)], capture_output=True,
                              timeout=120, env={**os.environ, "TZ": "UTC", "LC_ALL": "C.UTF-8"})
    assert finished.returncode == 0 and finished.stderr == b"", (arguments, finished.stderr)
    return finished.stdout


def check_renders(program: str, capture: pathlib.Path) -> None:
    """vesk-replay takes `capture` in every mode, and xmllint its XML."""
    for mode in REPLAY_MODES.values():
        printed = render(program, mode, capture)
        if mode == ["--xml"] and shutil.which("xmllint"):
            linted = subprocess.run(["xmllint", "--noout", "-"], input=printed,
                                    capture_output=True, timeout=120)
            assert linted.returncode == 0, linted.stderr.decode(errors="replace")


@pytest.fixture
def trace(tmp_path: pathlib.Path) -> Iterator[pathlib.Path]:
    """The capture file of a test; whatever the test recorded in it must
    render."""
    path = tmp_path / "trace.jsonl"
    yield path
    program = replay_program()
    if program and path.exists():
        check_renders(program, path)


@pytest.fixture
def open_manager(trace: pathlib.Path):
    """Opens resource managers on `trace` (with options after `;`), closed
    at the end of the test."""
    managers = []

    def open_one(options: str = "") -> "pyvisa.ResourceManager":
        manager = pyvisa.ResourceManager(f"{trace}{options}@vesk")
        managers.append(manager)
        return manager

    yield open_one
    for manager in managers:
        manager.close()


@pytest.fixture
def manager(open_manager):
    return open_manager()


@pytest.fixture
def instrument(manager, simulator):
    resource = manager.open_resource(
        simulator.resource, read_termination="\n", write_termination="\n", timeout=TIMEOUT_MS)
    yield resource
    resource.close()


@pytest.fixture(scope="session")
def replay() -> str:
    program = replay_program()
    if program is None:
        pytest.skip("vesk-replay is not built; set VESK_REPLAY to it")
    return program
