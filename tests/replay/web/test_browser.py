"""The browser view in a real browser (headless Chromium through Selenium),
driven as a person uses it: the row count, scrolling to the end, the errors
filter, selecting the failed call and reading its return status and a
dump line, the keyboard. Through --serve on the example session and on a
generated capture of 10^5 calls, and through --html files opened from disk
with networking disabled. Screenshots go to VESK_WEB_ARTIFACTS."""

import os
import pathlib
import shutil
import tempfile
import time
from typing import Callable, List

import pytest

from conftest import EXAMPLE, GOLDEN, make_capture, run_replay

webdriver = pytest.importorskip("selenium.webdriver", reason="Selenium is not installed (apt-get install "
                                                             "python3-selenium)")
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402

CHROMIUM = "/usr/bin/chromium"
CHROMEDRIVER = "/usr/bin/chromedriver"
WAIT_S = 60
BIG_CALLS = 100000
BIG_FAILED = 99983
HTML_CALLS = 10000
HTML_FAILED = 9990


def artifacts() -> pathlib.Path:
    path = pathlib.Path(os.environ.get("VESK_WEB_ARTIFACTS", tempfile.gettempdir()))
    path.mkdir(parents=True, exist_ok=True)
    return path


def new_driver(*extra: str):
    if not (os.path.exists(CHROMIUM) and os.path.exists(CHROMEDRIVER)):
        pytest.skip("Chromium is not installed (apt-get install chromium chromium-driver)")
    options = webdriver.ChromeOptions()
    profile = tempfile.mkdtemp(prefix="vesk-chromium-")
    for argument in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                     "--disable-background-networking", "--disable-component-update", "--disable-sync",
                     "--window-size=1280,900", "--user-data-dir=" + profile, *extra]:
        options.add_argument(argument)
    options.binary_location = CHROMIUM
    driver = webdriver.Chrome(service=Service(CHROMEDRIVER), options=options)
    driver.profile = profile
    return driver


@pytest.fixture
def browser():
    driver = new_driver()
    yield driver
    driver.quit()
    shutil.rmtree(driver.profile, ignore_errors=True)


@pytest.fixture
def offline_browser():
    """A browser that can load nothing from any network."""
    driver = new_driver("--proxy-server=127.0.0.1:9")
    driver.execute_cdp_cmd("Network.enable", {})
    driver.execute_cdp_cmd("Network.setBlockedURLs", {"urls": ["http://*", "https://*", "ws://*", "wss://*"]})
    yield driver
    driver.quit()
    shutil.rmtree(driver.profile, ignore_errors=True)


@pytest.fixture(scope="module")
def big_capture(tmp_path_factory) -> pathlib.Path:
    return make_capture(tmp_path_factory.mktemp("big") / "station.jsonl", BIG_CALLS, BIG_FAILED)


def wait_for(driver, condition: Callable[[], object], what: str):
    deadline = time.monotonic() + WAIT_S
    while time.monotonic() < deadline:
        try:
            value = condition()
        except Exception:  # the page is changing under us: ask again
            value = None
        if value:
            return value
        time.sleep(0.05)
    raise AssertionError("waited in vain for " + what + "; status: " + status(driver))


def status(driver) -> str:
    return driver.find_element(By.ID, "status").text


def visible_rows(driver) -> List[dict]:
    """The rows in sight (not only in the page): number and classes."""
    return driver.execute_script("""
        const view = document.getElementById('calls-viewport').getBoundingClientRect();
        return [...document.querySelectorAll('#calls-viewport .row[data-number]')].filter((row) => {
            const box = row.getBoundingClientRect();
            return box.top >= view.top - 1 && box.bottom <= view.bottom + 1;
        }).map((row) => ({number: Number(row.dataset.number), classes: row.className,
                          text: row.textContent}));""")


def selection(driver) -> dict:
    """The selected row's number and id, and the grid's active descendant,
    read at one moment (the rows are made anew as the list moves)."""
    return driver.execute_script("""
        const row = document.querySelector('#calls-viewport .row[aria-selected="true"]');
        return {number: row ? Number(row.dataset.number) : 0, id: row ? row.id : '',
                active: document.getElementById('calls').getAttribute('aria-activedescendant')};""")


def click_row(driver, number: int) -> None:
    """Clicks the row of call `number`, found again if the list made it anew."""
    def click():
        driver.find_element(By.CSS_SELECTOR, '#calls-viewport .row[data-number="%d"]' % number).click()
        return True
    wait_for(driver, click, "a click on call %d" % number)


def panel_text(driver, part: str) -> str:
    return driver.find_element(By.ID, "panel-" + part).text


def check_view(driver, calls: int, failed: int, dump_line: str, status_text: str, shot: str) -> None:
    """The journey through the page: count, end, errors, the failed call."""
    count = "{:,} calls".format(calls)
    wait_for(driver, lambda: status(driver).startswith(count) and "so far" not in status(driver),
             "the count of calls")
    # The list follows the index on its own poll, so it may be a moment
    # behind the count; it must get there (rows and the header row).
    grid = driver.find_element(By.ID, "calls")
    wait_for(driver, lambda: grid.get_attribute("aria-rowcount") == str(calls + 1), "every row in the list")
    wait_for(driver, lambda: visible_rows(driver) and visible_rows(driver)[0]["number"] == 1, "the first rows")

    # To the end with the keyboard: the last call is in sight and selected.
    grid.click()
    grid.send_keys(Keys.END)
    wait_for(driver, lambda: any(row["number"] == calls for row in visible_rows(driver)), "the last row")
    selected = wait_for(driver, lambda: selection(driver)["number"] == calls and selection(driver),
                        "the last row selected")
    assert selected["active"] == selected["id"]
    grid.send_keys(Keys.PAGE_UP)
    wait_for(driver, lambda: 0 < selection(driver)["number"] < calls, "a page up")

    # Errors only: the failed call alone, marked by a sign as well as colour.
    driver.find_element(By.ID, "filter-errors").click()
    wait_for(driver, lambda: "1 shown" in status(driver), "the errors filter")
    # The rows follow the status once the list has drawn the new view.
    rows = wait_for(driver, lambda: [row["number"] for row in visible_rows(driver)] == [failed]
                    and visible_rows(driver), "the failed row alone")
    assert "failed" in rows[0]["classes"] and "\u2716" in rows[0]["text"]
    click_row(driver, failed)
    wait_for(driver, lambda: status_text in panel_text(driver, "pages"), "the return status")
    if dump_line:
        assert dump_line in panel_text(driver, "pages")
    driver.find_element(By.ID, "tab-export").click()
    wait_for(driver, lambda: "> Return status: " + status_text in panel_text(driver, "export"), "the export")
    driver.find_element(By.ID, "tab-xml").click()
    wait_for(driver, lambda: '<call number="%d"' % failed in panel_text(driver, "xml"), "the XML element")
    driver.find_element(By.ID, "tab-pages").click()
    driver.save_screenshot(str(artifacts() / shot))

    # "/" goes to the text filter; a bad filter value is refused with its message.
    grid.send_keys("/")
    assert driver.switch_to.active_element.get_attribute("id") == "filter-text"
    session = driver.find_element(By.ID, "filter-session")
    session.send_keys("zz", Keys.ENTER)
    wait_for(driver, lambda: "session: expected a handle" in driver.find_element(By.ID, "filter-error").text,
             "the filter's message")
    assert session.get_attribute("aria-invalid") == "true"


def test_serve_example_session(browser, serve):
    server = serve(EXAMPLE)
    browser.get(server.url)
    check_view(browser, 20, 13, "", "0xBFFF0015 (VI_ERROR_TMO)", "serve-example.png")
    # A dump line of call 8, found by its text.
    browser.find_element(By.ID, "filter-session").clear()
    browser.find_element(By.ID, "filter-errors").click()
    browser.find_element(By.ID, "filter-text").send_keys("dso-1204,sn", Keys.ENTER)
    wait_for(browser, lambda: [row["number"] for row in visible_rows(browser)] == [8], "the text filter")
    click_row(browser, 8)
    wait_for(browser, lambda: "00000000:  45 58 41 4D 50 4C 45 20  EXAMPLE" in panel_text(browser, "pages"),
             "the dump of call 8")


def test_serve_bad_lines(browser, serve):
    """The lines that are no calls are listed under the list; choosing one
    selects its call, whose row and details say what is wrong with it."""
    server = serve(GOLDEN / "bad-input.jsonl")
    info = server.wait_indexed()
    browser.get(server.url)
    summary = wait_for(browser, lambda: browser.find_element(By.ID, "diagnostics-summary").text, "the diagnostics")
    assert summary == "%d lines are no calls (the other calls are shown)" % info["diagnosticCount"]
    browser.find_element(By.ID, "diagnostics-summary").click()
    first = info["diagnostics"][0]
    entries = browser.find_elements(By.CSS_SELECTOR, "#diagnostics-list li")
    assert entries[0].text == "line %d, call %d: %s" % (first["line"], first["call"], first["message"])
    # From a filtered view: the filter is cleared to show the call.
    browser.find_element(By.ID, "filter-text").send_keys("viClose", Keys.ENTER)
    wait_for(browser, lambda: "shown" in status(browser), "the text filter")
    browser.find_element(By.CSS_SELECTOR, "#diagnostics-list li button").click()
    wait_for(browser, lambda: selection(browser)["number"] == first["call"], "the call of the diagnostic")
    row = [row for row in visible_rows(browser) if row["number"] == first["call"]][0]
    assert "bad" in row["classes"] and "\u26a0" in row["text"] and first["message"] in row["text"]
    wait_for(browser, lambda: first["message"] in panel_text(browser, "pages"), "the call's error")
    browser.save_screenshot(str(artifacts() / "serve-bad-lines.png"))


def test_serve_generated_capture(browser, serve, big_capture):
    server = serve(big_capture)
    browser.get(server.url)
    check_view(browser, BIG_CALLS, BIG_FAILED, "00000000:  2B 31 2E 32", "0xBFFF0015 (VI_ERROR_TMO)",
               "serve-100000-calls.png")
    # The capture has times: the time and duration columns are shown.
    assert browser.find_element(By.CSS_SELECTOR, "#calls .head .c-time").is_displayed()


def no_resources_loaded(driver) -> bool:
    return driver.execute_script("return performance.getEntriesByType('resource').length") == 0


def test_html_example_session(offline_browser, tmp_path):
    page = tmp_path / "session.html"
    result = run_replay("--html", str(EXAMPLE))
    assert result.returncode == 0, result.stderr
    page.write_bytes(result.stdout)
    offline_browser.get(page.as_uri())
    check_view(offline_browser, 20, 13, "", "0xBFFF0015 (VI_ERROR_TMO)", "html-example.png")
    assert no_resources_loaded(offline_browser)


def test_html_generated_capture(offline_browser, tmp_path):
    capture = make_capture(tmp_path / "station.jsonl", HTML_CALLS, HTML_FAILED)
    page = tmp_path / "station.html"
    result = run_replay("--html", str(capture))
    assert result.returncode == 0, result.stderr
    page.write_bytes(result.stdout)
    offline_browser.get(page.as_uri())
    check_view(offline_browser, HTML_CALLS, HTML_FAILED, "00000000:  2B 31 2E 32", "0xBFFF0015 (VI_ERROR_TMO)",
               "html-10000-calls.png")
    assert no_resources_loaded(offline_browser)
