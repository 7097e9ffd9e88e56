// Where the page's data comes from: the vesk-replay --serve server, or the
// JSON block an --html file carries. Both sources answer the same calls
// with the same objects (replay/web/API.md), so the rest of the page does
// not know which one it reads.
(function (VT) {
  'use strict';

  // The filter as the page holds it: the texts of the filter box.
  //   {text, function, session, thread, calls, errors}
  VT.emptyFilter = function () {
    return { text: '', function: '', session: '', thread: '', calls: '', errors: false };
  };

  // The query parameters of a filter; empty fields are left out.
  function filterParameters(filter, parameters) {
    for (const name of ['text', 'function', 'session', 'thread', 'calls']) {
      if (filter[name] !== '') parameters.set(name, filter[name]);
    }
    if (filter.errors) parameters.set('errors', '1');
    return parameters;
  }

  // Letters A to Z as a to z, as the server folds texts.
  function foldAsciiCase(text) {
    return text.replace(/[A-Z]/g, (c) => c.toLowerCase());
  }

  // An answer the source refused; `message` says why.
  class RequestError extends Error {
    constructor(message, status) {
      super(message);
      this.status = status;
    }
  }
  VT.RequestError = RequestError;

  // --- the server -----------------------------------------------------------

  class ServerSource {
    get embedded() { return false; }

    async get(path, parameters) {
      const query = parameters.toString();
      const response = await fetch(path + (query ? '?' + query : ''), { cache: 'no-store' });
      let body = null;
      try {
        body = await response.json();
      } catch (failure) {
        throw new RequestError('the server sent no JSON (' + response.status + ')', response.status);
      }
      if (!response.ok) throw new RequestError(body && body.error ? body.error : 'HTTP ' + response.status, response.status);
      return body;
    }

    info() {
      return this.get('api/info', new URLSearchParams());
    }

    rows(filter, first, count) {
      const parameters = filterParameters(filter, new URLSearchParams());
      parameters.set('first', String(first));
      parameters.set('count', String(count));
      return this.get('api/rows', parameters);
    }

    call(number, part) {
      return this.get('api/call', new URLSearchParams({ number: String(number), part: part }));
    }

    buffer(number, index, first, count) {
      return this.get('api/buffer', new URLSearchParams({
        number: String(number), buffer: String(index), first: String(first), count: String(count),
      }));
    }
  }

  // --- the data of an --html file ------------------------------------------------

  // The filter checked as the command line checks it, with its messages.
  function parseFilter(filter) {
    const parsed = { first: 1, last: Infinity, errors: filter.errors, functions: null, session: null, thread: null,
      text: foldAsciiCase(filter.text) };
    if (filter.calls !== '') {
      const range = /^([0-9]+)(-([0-9]*))?$/.exec(filter.calls);
      const first = range ? Number(range[1]) : 0;
      const last = !range ? 0 : range[2] === undefined ? first : range[3] === '' ? Infinity : Number(range[3]);
      if (!range || first < 1 || last < first) {
        throw new RequestError('calls: expected A-B, A- or A with call numbers from 1, not "' + filter.calls + '"', 400);
      }
      parsed.first = first;
      parsed.last = last;
    }
    if (filter.function !== '') {
      const names = filter.function.split(',');
      if (names.some((name) => name === '')) {
        throw new RequestError('function: expected NAME[,NAME...], not "' + filter.function + '"', 400);
      }
      parsed.functions = new Set(names);
    }
    if (filter.session !== '') {
      if (!/^(0[xX][0-9a-fA-F]+|[0-9]+)$/.test(filter.session)) {
        throw new RequestError('session: expected a handle, 0x hexadecimal or decimal, not "' + filter.session + '"', 400);
      }
      parsed.session = Number(filter.session);
    }
    if (filter.thread !== '') {
      if (!/^[0-9]+$/.test(filter.thread)) {
        throw new RequestError('thread: expected a thread id, not "' + filter.thread + '"', 400);
      }
      parsed.thread = Number(filter.thread);
    }
    return parsed;
  }

  // True when a call passes the filter, as the server decides it: a call
  // that is not shown as a row of its own (its line is no call, or it could
  // not be rendered) passes only a filter of call numbers.
  function passes(call, filter) {
    if (call.number < filter.first || call.number > filter.last) return false;
    const onlyNumbers = !filter.errors && !filter.functions && filter.session === null && filter.thread === null &&
      filter.text === '';
    if (call.error !== undefined) return onlyNumbers;
    if (filter.errors && !call.failed) return false;
    if (filter.functions && !filter.functions.has(call.function)) return false;
    if (filter.thread !== null && call.thread !== filter.thread) return false;
    if (filter.session !== null && !call.sessions.includes(filter.session)) return false;
    if (filter.text !== '' && !foldAsciiCase(call.description).includes(filter.text)) return false;
    return true;
  }

  class EmbeddedSource {
    constructor(data) {
      this.data = data;
      this.views = new Map();
    }

    get embedded() { return true; }

    async info() {
      return this.data.info;
    }

    // The calls that pass a filter, kept for the latest filters.
    view(filter) {
      const key = JSON.stringify(filter);
      let view = this.views.get(key);
      if (!view) {
        const parsed = parseFilter(filter);
        view = this.data.calls.filter((call) => passes(call, parsed));
        if (this.views.size >= 4) this.views.delete(this.views.keys().next().value);
        this.views.set(key, view);
      }
      return view;
    }

    async rows(filter, first, count) {
      const view = this.view(filter);
      return {
        first: first, total: view.length, examined: this.data.calls.length, calls: this.data.calls.length,
        complete: true, failure: '', rows: view.slice(first, first + count),
      };
    }

    async call(number) {
      const call = this.data.calls[number - 1];
      if (!call) throw new RequestError('no call ' + number, 404);
      return call;
    }

    async buffer(number) {
      const limit = this.data.info.limits.dumpLines;
      throw new RequestError('this file holds the first ' + limit + ' lines of each dump; vesk-replay --serve or ' +
        '--pages=' + number + ' shows them all', 404);
    }
  }

  // The source of this page: the embedded block when there is one.
  VT.openSource = function () {
    const block = document.getElementById('trace-data');
    if (block) return new EmbeddedSource(JSON.parse(block.textContent));
    return new ServerSource();
  };
})(window.VeskTrace = window.VeskTrace || {});
