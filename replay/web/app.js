// The page: opens the data source, fills the filter box with the command
// line's filters, shows how far the capture is read, and wires the call
// list, the filter box and the details together.
(function (VT) {
  'use strict';

  const FILTER_DELAY_MS = 250;
  const INFO_POLL_MS = 500;

  const byId = (id) => document.getElementById(id);
  const number = (value) => Number(value).toLocaleString('en-US');

  const inputs = {
    text: byId('filter-text'),
    function: byId('filter-function'),
    session: byId('filter-session'),
    thread: byId('filter-thread'),
    calls: byId('filter-calls'),
  };
  const errorsBox = byId('filter-errors');
  const filterError = byId('filter-error');
  const status = byId('status');
  const grid = byId('calls');

  const source = VT.openSource();
  let info = null;
  let view = { total: 0, complete: false, examined: 0, calls: 0, failure: '' };
  let filter = null;  // the filter shown; none before the first

  const details = new VT.CallDetails(
    { pages: byId('tab-pages'), export: byId('tab-export'), xml: byId('tab-xml') },
    { pages: byId('panel-pages'), export: byId('panel-export'), xml: byId('panel-xml') });

  const list = new VT.CallList(grid, byId('calls-viewport'), byId('calls-spacer'),
    (row) => details.show(source, row),
    (state) => {
      if (state.error !== undefined) {
        showFilterError(state.error);
        return;
      }
      showFilterError('');
      view = state;
      showStatus();
    });

  function showFilterError(message) {
    filterError.textContent = message;
    const field = /^(\w+):/.exec(message);
    for (const [name, input] of Object.entries(inputs)) {
      input.setAttribute('aria-invalid', field && field[1] === name ? 'true' : 'false');
    }
  }

  function filterFromInputs() {
    const read = VT.emptyFilter();
    for (const [name, input] of Object.entries(inputs)) read[name] = input.value.trim();
    read.errors = errorsBox.checked;
    return read;
  }

  function onlyNumbers(f) {
    return f.text === '' && f.function === '' && f.session === '' && f.thread === '' && !f.errors;
  }

  // The line on top: the calls known, those shown, and what is going on.
  function showStatus() {
    if (!info || !filter) return;
    const parts = [];
    const calls = Math.max(info.calls, view.calls || 0);
    parts.push(number(calls) + (calls === 1 ? ' call' : ' calls') + (info.complete ? '' : ' so far (reading the capture\u2026)'));
    if (!onlyNumbers(filter) || filter.calls !== '') {
      let shown = number(view.total) + ' shown';
      if (!view.complete && !onlyNumbers(filter)) {
        shown += ' (searching: ' + number(view.examined) + ' of ' + number(calls) + ' calls examined)';
      }
      parts.push(shown);
    }
    if (info.failure) parts.push(info.failure);
    if (view.failure) parts.push(view.failure);
    status.textContent = parts.join(' \u00b7 ');
  }

  function showDiagnostics() {
    const box = byId('diagnostics');
    if (info.diagnosticCount === 0) {
      box.hidden = true;
      return;
    }
    box.hidden = false;
    const count = info.diagnosticCount;
    byId('diagnostics-summary').textContent = number(count) + (count === 1 ? ' line is' : ' lines are') +
      ' no call' + (count === 1 ? '' : 's') + ' (the other calls are shown)';
    const items = info.diagnostics.map((diagnostic) => {
      const item = document.createElement('li');
      const jump = document.createElement('button');
      jump.type = 'button';
      jump.textContent = 'line ' + diagnostic.line + ', call ' + diagnostic.call;
      jump.addEventListener('click', () => showCall(diagnostic.call));
      item.append(jump, ': ' + diagnostic.message);
      return item;
    });
    if (count > info.diagnostics.length) {
      const more = document.createElement('li');
      more.textContent = 'and ' + number(count - info.diagnostics.length) + ' more';
      items.push(more);
    }
    byId('diagnostics-list').replaceChildren(...items);
  }

  // Selects call `callNumber` in a view of every call.
  function showCall(callNumber) {
    if (!filter || !onlyNumbers(filter) || filter.calls !== '') {
      for (const input of Object.values(inputs)) input.value = '';
      errorsBox.checked = false;
      applyFilter();
    }
    list.select(callNumber - 1);
    grid.focus({ preventScroll: true });
  }

  let filterTimer = 0;
  function applyFilter() {
    clearTimeout(filterTimer);
    const next = filterFromInputs();
    if (filter && JSON.stringify(next) === JSON.stringify(filter)) return;
    filter = next;
    view = { total: 0, complete: false, examined: 0, calls: info ? info.calls : 0, failure: '' };
    details.clear();
    list.show(source, filter);
    showStatus();
  }

  function onFilterInput() {
    clearTimeout(filterTimer);
    filterTimer = setTimeout(applyFilter, FILTER_DELAY_MS);
  }

  for (const input of Object.values(inputs)) {
    input.addEventListener('input', onFilterInput);
    input.addEventListener('keydown', (event) => {
      if (event.key === 'Enter') {
        event.preventDefault();
        applyFilter();
      } else if (event.key === 'ArrowDown') {
        event.preventDefault();
        applyFilter();
        grid.focus();
      }
    });
  }
  errorsBox.addEventListener('change', applyFilter);
  byId('filters').addEventListener('submit', (event) => event.preventDefault());
  byId('filter-clear').addEventListener('click', () => {
    for (const input of Object.values(inputs)) input.value = '';
    errorsBox.checked = false;
    applyFilter();
  });

  // "/" goes to the text filter from anywhere but a text field.
  document.addEventListener('keydown', (event) => {
    if (event.key !== '/' || event.ctrlKey || event.metaKey || event.altKey) return;
    const target = event.target;
    if (target instanceof HTMLInputElement && target.type !== 'checkbox') return;
    event.preventDefault();
    inputs.text.focus();
    inputs.text.select();
  });

  // While the server reads the capture, the page follows it.
  async function followIndexing() {
    while (!info.complete) {
      await new Promise((resolve) => setTimeout(resolve, INFO_POLL_MS));
      try {
        info = await source.info();
      } catch (failure) {
        status.textContent = 'The server does not answer: ' + failure.message;
        return;
      }
      grid.classList.toggle('no-timing', !info.hasTime && !info.hasDuration);
      showStatus();
      showDiagnostics();
    }
  }

  async function start() {
    try {
      info = await source.info();
    } catch (failure) {
      status.textContent = 'The capture cannot be shown: ' + failure.message;
      return;
    }
    document.title = info.file + ' \u2014 vesk-replay';
    byId('file-name').textContent = info.file;
    grid.classList.toggle('no-timing', !info.hasTime && !info.hasDuration);
    inputs.text.maxLength = info.limits.text;
    inputs.calls.value = info.filter.calls;
    inputs.function.value = info.filter.function;
    inputs.session.value = info.filter.session;
    inputs.thread.value = info.filter.thread;
    inputs.text.value = info.filter.text;
    errorsBox.checked = info.filter.errors;
    showDiagnostics();
    applyFilter();
    followIndexing();
  }

  start();
})(window.VeskTrace = window.VeskTrace || {});
