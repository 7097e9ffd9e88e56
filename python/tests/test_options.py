"""The library path: PATH[;inner=BACKEND][;limit=BYTES]."""

import pytest

from pyvisa_vesk.options import Options, parse_library_path


@pytest.mark.parametrize("text, expected", [
    ("trace.jsonl", Options("trace.jsonl", "", "py", 65536)),
    ("/tmp/a b.jsonl;limit=64", Options("/tmp/a b.jsonl", "", "py", 64)),
    ("t.jsonl;inner=ivi", Options("t.jsonl", "", "ivi", 65536)),
    ("t.jsonl;inner=@ivi;limit=100000", Options("t.jsonl", "", "ivi", 100000)),
    ("t.jsonl; limit = 1000 ;inner=py", Options("t.jsonl", "", "py", 1000)),
    # Only a library object made directly can name the inner library path.
    ("t.jsonl;inner=/opt/lib/libvisa.so@ivi",
     Options("t.jsonl", "/opt/lib/libvisa.so", "ivi", 65536)),
])
def test_options_are_read(text, expected):
    assert parse_library_path(text) == expected


# An empty path takes $PYVISA_VESK_TRACE, and without it vesk-trace.jsonl.
@pytest.mark.parametrize("variable, path", [
    (None, "vesk-trace.jsonl"),
    ("", "vesk-trace.jsonl"),
    ("/tmp/from-env.jsonl", "/tmp/from-env.jsonl"),
])
@pytest.mark.parametrize("text", ["", ";limit=128"])
def test_an_empty_path_takes_the_environment(monkeypatch, variable, path, text):
    if variable is None:
        monkeypatch.delenv("PYVISA_VESK_TRACE", raising=False)
    else:
        monkeypatch.setenv("PYVISA_VESK_TRACE", variable)
    assert parse_library_path(text).trace == path


@pytest.mark.parametrize("text, message", [
    ("t.jsonl;speed=fast", "unknown option 'speed=fast'"),
    ("t.jsonl;limit", "unknown option 'limit'"),
    ("t.jsonl;limit=64;limit=128", "'limit' given twice"),
    ("t.jsonl;limit=lots", "limit 'lots' is not a number"),
    ("t.jsonl;limit=63", "limit 63 is below the smallest, 64 bytes"),
    ("t.jsonl;inner=", "names no backend"),
    ("t.jsonl;inner=lib.so@", "names no backend"),
    ("t.jsonl;inner=vesk", "cannot be vesk itself"),
])
def test_bad_options_are_named(text, message):
    with pytest.raises(ValueError, match=message):
        parse_library_path(text)
