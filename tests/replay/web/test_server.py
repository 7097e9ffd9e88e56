"""vesk-replay --serve as other tools and the page use it: the requests at
their bounds, bad requests refused with a message, the same texts as the
other modes, concurrent requests, a capture with bad lines, and stopping
on a signal."""

import concurrent.futures
import json
import re
import signal
import subprocess

import pytest

from conftest import EXAMPLE, GOLDEN, Server, make_capture, run_replay


@pytest.fixture
def example(serve) -> Server:
    server = serve(EXAMPLE)
    server.wait_indexed()
    return server


def test_rows_at_the_ends_and_past_them(example):
    """Ranges at both ends, past the end and far past it: never an error,
    the rows there are and the total."""
    cases = [(0, 0, []), (0, 3, [1, 2, 3]), (18, 5, [19, 20]), (19, 1, [20]), (20, 5, []),
             (10 ** 18, 1000, []), (2 ** 63 - 1, 1000, [])]
    for first, count, numbers in cases:
        answer = example.ok("api/rows", first=first, count=count)
        assert [row["number"] for row in answer["rows"]] == numbers, (first, count)
        assert answer["total"] == 20 and answer["complete"] and answer["calls"] == 20


# Each request's parameters at the HTTP level; their every bound is
# tested on the parser itself (TraceQuery_test).
@pytest.mark.parametrize("path, parameters, message", [
    ("api/rows", [("first", "-1")], 'first: expected a whole number from 0 to 9223372036854775807, not "-1"'),
    ("api/rows", [("first", "1" * 40)],
     'first: expected a whole number from 0 to 9223372036854775807, not "' + "1" * 40 + '"'),
    ("api/rows", [("count", "1001")], 'count: expected a whole number from 0 to 1000, not "1001"'),
    ("api/rows", [("calls", "9-3")], 'calls: expected A-B, A- or A with call numbers from 1, not "9-3"'),
    ("api/rows", [("session", "0xZ")], 'session: expected a handle, 0x hexadecimal or decimal, not "0xZ"'),
    ("api/rows", [("text", "x" * 257)], "text: longer than 256 bytes"),
    ("api/rows", [("count", "1"), ("count", "2")], 'parameter "count" given more than once'),
    ("api/call", [("number", "-3")], 'number: expected a whole number from 1 to 9223372036854775807, not "-3"'),
    ("api/call", [("number", "1"), ("part", "everything")], 'part: expected pages, export or xml, not "everything"'),
    ("api/buffer", [("number", "8")], "buffer: missing"),
    ("api/info", [("x", "1")], 'unknown parameter "x"'),
])
def test_bad_requests_are_refused(example, path, parameters, message):
    status, body = example.get(path, parameters)
    assert (status, body) == (400, {"error": message})


def test_what_is_not_there(example):
    """A call or buffer past the end, a page that does not exist, a method
    other than GET, a request for another host."""
    assert example.get("api/call", [("number", "21")]) == (
        404, {"error": "no call 21: the capture has 20 calls"})
    assert example.get("api/buffer", [("number", "8"), ("buffer", "1")]) == (
        404, {"error": "call 8 has no buffer 1 (it has 1)"})
    assert example.get("api/buffer", [("number", "1"), ("buffer", "0")]) == (
        404, {"error": "call 1 has no buffer 0 (it has 0)"})
    assert example.get("no/such/page") == (404, {"error": "no such page: /no/such/page"})
    assert example.get("api/rows", method="POST") == (405, {"error": "only GET requests are answered"})
    port = example.url.split(":")[2].rstrip("/")
    assert example.get("api/info", headers={"Host": "attacker.example:" + port}) == (
        403, {"error": "this server answers requests for 127.0.0.1:%s only" % port})
    assert example.get("api/info", headers={"Host": "localhost:" + port})[0] == 200


def test_page_files(example):
    """The page and its files, each with its type; the page loads only from
    its own server."""
    import urllib.request
    for path, kind in [("", "text/html"), ("style.css", "text/css"), ("app.js", "text/javascript"),
                       ("data.js", "text/javascript")]:
        with urllib.request.urlopen(example.url + path) as answer:
            assert answer.headers["Content-Type"].startswith(kind), path
            assert "default-src 'none'" in answer.headers["Content-Security-Policy"]
            assert answer.headers["X-Content-Type-Options"] == "nosniff"


def shown(output: bytes) -> str:
    """Text of the narrow character set (UTF-8 here) as the server sends it:
    each byte that starts no character as U+FFFD."""
    return re.sub("[\udc80-\udcff]", "\ufffd", output.decode("utf-8", "surrogateescape"))


def list_lines(capture, *arguments):
    """vesk-replay --list's lines: number, status column, description."""
    result = run_replay("--list", *arguments, str(capture))
    return [line.split("\t") for line in shown(result.stdout).split("\n")[:-1]]


def pages_text(number, pages):
    """The pages as --pages prints them, made from the JSON."""
    lines = ["call %d: %s" % (number, pages["title"]), "pages: " + "; ".join(pages["files"])]
    if "input" in pages:
        lines.append("input:")
        lines += ["  %s = %s" % (row["name"], row["value"]) for row in pages["input"]["rows"]]
        lines.append("buttons: attribute=%s event=%s" % (pages["input"]["attributeButton"],
                                                         pages["input"]["eventButton"]))
    if "output" in pages:
        lines.append("output:")
        lines += ["  %s = %s" % (row["name"], row["value"]) for row in pages["output"]["rows"]]
        lines.append("return value: " + pages["output"]["returnValue"])
        lines.append("description: " + pages["output"]["returnDescription"])
    if "buffers" in pages:
        lines.append("buffers: " + "; ".join(buffer["name"] for buffer in pages["buffers"]))
        for buffer in pages["buffers"]:
            lines.append("buffer %d %s: %s" % (buffer["index"], buffer["name"], buffer["heading"]))
            lines += ["  " + line for line in buffer["lines"]]
    return "\n".join(lines) + "\n\n"


@pytest.mark.parametrize("capture", [EXAMPLE, GOLDEN / "session-basics.jsonl", GOLDEN / "timed-session.jsonl",
                                     GOLDEN / "partial-and-failed.jsonl"])
def test_same_texts_as_the_other_modes(serve, capture):
    """Every row, page, export and XML element is the text the other modes
    print for the call, byte for byte."""
    server = serve(capture)
    calls = server.wait_indexed()["calls"]
    rows = server.ok("api/rows", first=0, count=1000)["rows"]
    assert [[str(row["number"]), row["status"], row["description"]] for row in rows] == list_lines(capture)
    timing = list_lines(capture, "--timing")
    assert [[row.get("time", ""), row.get("duration", "")] for row in rows] == [line[1:3] for line in timing]
    document = run_replay("--xml", str(capture)).stdout.decode()
    for number in range(1, calls + 1):
        pages = server.ok("api/call", number=number, part="pages")["pages"]
        expected = shown(run_replay("--pages=%d" % number, str(capture)).stdout)
        assert pages_text(number, pages) == expected, number
        text = server.ok("api/call", number=number, part="export")["export"]
        export = shown(run_replay("--export", "--calls=%d" % number, str(capture)).stdout)
        assert "\n".join(text["lines"]) + "\n\n" == export, number
        xml = server.ok("api/call", number=number, part="xml")["xml"]
        assert xml["text"] in document and '<call number="%d"' % number in xml["text"], number


def test_filters_as_on_the_command_line(serve):
    """Each filter of the command line selects the calls it selects in
    --list; the command line's filters are the page's first filter."""
    capture = GOLDEN / "timed-session.jsonl"
    server = serve(capture, "--errors", "--function=viRead")
    info = server.wait_indexed()
    assert info["filter"] == {"calls": "", "errors": True, "function": "viRead", "session": "", "thread": "",
                              "text": ""}
    for query, arguments in [({"errors": 1}, ["--errors"]), ({"function": "viRead,viWrite"},
                             ["--function=viRead,viWrite"]), ({"session": "0x1004"}, ["--session=0x1004"]),
                             ({"thread": 4712}, ["--thread=4712"]), ({"calls": "3-6"}, ["--calls=3-6"]),
                             ({"calls": "2-8", "function": "viRead", "session": 4099, "thread": 4711},
                              ["--calls=2-8", "--function=viRead", "--session=4099", "--thread=4711"])]:
        answer = server.rows(first=0, count=1000, **query)
        assert [str(row["number"]) for row in answer["rows"]] == [line[0] for line in list_lines(
            capture, *arguments)], query
        assert answer["total"] == len(answer["rows"])
    found = server.rows(first=0, count=1000, text="IDN")
    assert [row["number"] for row in found["rows"]] == [
        int(line[0]) for line in list_lines(capture) if "idn" in line[2].lower()]


def test_concurrent_requests(serve, tmp_path):
    """Many requests at once, rows, pages and filtered views of a capture
    still being indexed, give what they give one at a time."""
    capture = make_capture(tmp_path / "loop.jsonl", 20000, failed=12345)
    server = serve(capture)
    # The calls asked for are indexed; the rest may still be being indexed.
    while server.ok("api/info")["calls"] < 1400:
        pass
    requests = []
    for index in range(120):
        kind = index % 4
        if kind == 0:
            requests.append(("api/rows", {"first": index * 37, "count": 50}))
        elif kind == 1:
            requests.append(("api/call", {"number": index * 11 + 1, "part": ["pages", "export", "xml"][index % 3]}))
        elif kind == 2:
            requests.append(("api/buffer", {"number": 2 * index + 2, "buffer": 0, "first": 0, "count": 3}))
        else:
            requests.append(("api/rows", {"first": 0, "count": 20, "text": "E+00", "calls": "1-%d" % (index * 20)}))
    with concurrent.futures.ThreadPoolExecutor(max_workers=12) as pool:
        together = list(pool.map(lambda request: server.get(request[0], list(request[1].items())), requests))
    server.wait_indexed()
    for (path, parameters), (status, body) in zip(requests, together):
        assert status == 200, body
        if path == "api/rows":
            # A view may have grown since; the rows it had are the same.
            alone = server.rows(**parameters)
            assert alone["rows"][:len(body["rows"])] == body["rows"]
        else:
            assert server.get(path, list(parameters.items())) == (200, body)


def test_a_capture_with_bad_lines(serve):
    """The lines that are no calls are listed with their line numbers and
    messages as --list reports them; their rows say so; the other calls are
    served; calls the plug-in cannot render are rows of their error."""
    capture = GOLDEN / "bad-input.jsonl"
    server = serve(capture)
    info = server.wait_indexed()
    reported = run_replay("--list", str(capture)).stderr.decode().splitlines()
    parse_errors = [line for line in reported if "the plug-in raised" not in line]
    assert ["bad-input.jsonl:%d: error: %s" % (d["line"], d["message"]) for d in info["diagnostics"]] == [
        line.replace(str(GOLDEN) + "/", "") for line in parse_errors]
    assert info["diagnosticCount"] == len(info["diagnostics"])
    rows = server.ok("api/rows", first=0, count=100)["rows"]
    listed = {int(line[0]) for line in list_lines(capture)}
    for row in rows:
        assert ("error" not in row) == (row["number"] in listed), row
    failed = [row for row in rows if "error" in row and "plug-in raised" in row["error"]]
    assert len(failed) == 2
    bad = server.ok("api/call", number=info["diagnostics"][0]["call"])
    assert bad["error"] == info["diagnostics"][0]["message"]
    # Content filters pass no line that is no call; call numbers alone do.
    assert all("error" not in row for row in server.rows(function="viClose")["rows"])
    assert len(server.ok("api/rows", calls="1-5")["rows"]) == 5


@pytest.mark.parametrize("signal_number", [signal.SIGTERM, signal.SIGINT])
def test_stops_on_a_signal(serve, signal_number):
    """Interrupted or terminated, the server ends at once with status 0,
    also in the middle of indexing."""
    server = serve(EXAMPLE)
    assert server.ok("api/info")["file"] == str(EXAMPLE)
    assert server.stop(signal_number) == 0


def test_stops_while_indexing(serve, tmp_path):
    capture = make_capture(tmp_path / "loop.jsonl", 300000, failed=2)
    server = serve(capture)
    assert server.stop() == 0


def test_serve_and_html_need_a_regular_file(tmp_path):
    for mode in ["--serve", "--html"]:
        result = run_replay(mode, "-")
        assert result.returncode == 2
        assert result.stderr.decode().startswith(
            "vesk-replay: error: %s needs a capture in a regular file, not standard input\n" % mode)
        result = run_replay(mode, str(tmp_path))
        assert (result.returncode, result.stderr.decode()) == (
            2, "vesk-replay: error: %s is not a regular file: the browser view reads calls back by their place "
               "in the file\n" % tmp_path)


def test_html_page(tmp_path):
    """--html writes one page with every call in it; a capture with bad
    lines reports them as the other modes do, and ends with status 1."""
    result = run_replay("--html", str(EXAMPLE))
    assert result.returncode == 0 and result.stderr == b""
    page = result.stdout.decode()
    data = json.loads(re.search(r'id="trace-data">(.*?)</script>', page, re.S).group(1))
    assert len(data["calls"]) == 20 and data["info"]["embedded"]
    assert "<script src=" not in page

    bad = run_replay("--html", str(GOLDEN / "bad-input.jsonl"))
    assert bad.returncode == 1
    assert bad.stderr.decode().splitlines()[0].endswith("bad-input.jsonl:3: error: invalid JSON: The JSON document "
                                                        "has an improper structure: missing or superfluous commas, "
                                                        "braces, missing keys, etc.")


def test_html_refuses_too_many_calls(tmp_path):
    """Above 100,000 calls, --html refuses at once and points to --serve."""
    capture = tmp_path / "many.jsonl"
    capture.write_text("{}\n" * 100001)
    result = run_replay("--html", str(capture))
    assert result.returncode == 2 and result.stdout == b""
    assert result.stderr.decode() == (
        "vesk-replay: error: the capture has more than 100000 calls, more than --html writes into one file: "
        "use --serve, which shows captures of any size\n")
