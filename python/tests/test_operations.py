"""The operation table against PyVISA, the capture reader and the format's
table of data type codes."""

import inspect
import re

import pytest
from pyvisa import highlevel

from conftest import REPOSITORY
from pyvisa_vesk import VeskVisaLibrary
from pyvisa_vesk.codes import VALUE_KEYS
from pyvisa_vesk.operations import BY_ATTRIBUTE, OPERATIONS, Kind

# Operations that exist only to split one VISA call by width: PyVISA
# implements them on the per-width operations, which are recorded.
DISPATCHERS = {"read_memory", "write_memory", "move_in", "move_out", "peek", "poke"}


def visa_operations():
    """PyVISA's low-level operations that say which VISA function they are."""
    names = set()
    for name, member in vars(highlevel.VisaLibraryBase).items():
        doc = inspect.getdoc(member) or ""
        if callable(member) and re.search(r"Corresponds to vi\w+", doc):
            names.add(name)
    return names


def pyvisa_parameters(name):
    return list(inspect.signature(getattr(highlevel.VisaLibraryBase, name)).parameters)[1:]


def test_pyvisa_has_the_operations_of_the_table():
    recorded = visa_operations() - DISPATCHERS | {"list_resources"}
    assert recorded == set(OPERATIONS) - {"find_next"}


@pytest.mark.parametrize("name", sorted(set(OPERATIONS) - {"find_next"}))
def test_each_operation_is_recorded_with_pyvisas_parameters(name):
    method = getattr(VeskVisaLibrary, name)
    assert method is not getattr(highlevel.VisaLibraryBase, name)
    assert list(inspect.signature(method).parameters)[1:] == pyvisa_parameters(name)
    operation = OPERATIONS[name]
    for param in operation.params:
        if param.source is not None and param.source.place == "arg":
            assert param.source.index < len(pyvisa_parameters(name)), param
    if operation.extended:
        assert pyvisa_parameters(name)[operation.extended_arg] == "extended"


@pytest.mark.parametrize("name", ["read_memory", "move_in", "peek", "poke", "write_memory",
                                  "move_out", "install_visa_handler", "ignore_warning"])
def test_pyvisas_helpers_are_left_to_call_the_recorded_operations(name):
    assert getattr(VeskVisaLibrary, name) is getattr(highlevel.VisaLibraryBase, name)


def known_functions():
    table = (REPOSITORY / "replay" / "VisaFunctions.tsv").read_text().splitlines()
    return {line.split("\t")[1] for line in table if line and not line.startswith("#")}


def test_the_reader_knows_every_function_the_recorder_writes():
    written = {op.function for op in OPERATIONS.values()}
    written |= {op.extended for op in OPERATIONS.values() if op.extended}
    assert written - known_functions() == set()


def documented_codes():
    """The codes of the data type code table of examples/README.md."""
    readme = (REPOSITORY / "examples" / "README.md").read_text()
    section = readme.split("## Data type codes", 1)[1].split("\n## ", 1)[0]
    return {int(code) for code in re.findall(r"^\| (\d+) \|", section, re.MULTILINE)}


def test_every_code_written_is_documented():
    used = set(VALUE_KEYS) | {23}
    for operation in OPERATIONS.values():
        for param in operation.params:
            used.add(param.code)
            if param.kind is Kind.OUT_VALUE and param.value_code != BY_ATTRIBUTE:
                used.add(param.value_code)
    assert used - documented_codes() == set()
