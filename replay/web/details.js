// The selected call: its property pages (window title, input rows and help
// buttons, output rows, return value, each buffer's dump), its text export
// and its XML element, in three tabs. Every text is the plug-in's as the
// source gives it; the page only arranges them.
(function (VT) {
  'use strict';

  // Dump lines asked for at a time when the reader wants more.
  const MORE_LINES = 1000;

  function element(tag, className, text) {
    const node = document.createElement(tag);
    if (className) node.className = className;
    if (text !== undefined) node.textContent = text;
    return node;
  }

  function definitions(pairs) {
    const list = element('dl');
    for (const [term, value, className] of pairs) {
      if (value === undefined || value === null || value === '') continue;
      list.append(element('dt', '', term), element('dd', className || '', String(value)));
    }
    return list;
  }

  function rowsTable(caption, rows) {
    const table = element('table');
    table.append(element('caption', '', caption));
    const head = element('thead');
    const headRow = element('tr');
    for (const title of ['Parameter', 'Value']) {
      const th = element('th', '', title);
      th.scope = 'col';
      headRow.append(th);
    }
    head.append(headRow);
    const body = element('tbody');
    for (const row of rows) {
      const tr = element('tr');
      const name = element('th', '', row.name);
      name.scope = 'row';
      tr.append(name, element('td', '', row.value));
      body.append(tr);
    }
    if (rows.length === 0) {
      const tr = element('tr');
      const td = element('td', 'hint', 'no rows');
      td.colSpan = 2;
      tr.append(td);
      body.append(tr);
    }
    table.append(head, body);
    return table;
  }

  const BUTTON_WORDS = { none: 'not offered', unknown: 'no known name', known: 'known name' };

  class CallDetails {
    constructor(tabs, panels) {
      this.tabs = tabs;       // {pages, export, xml}: the tab buttons
      this.panels = panels;   // {pages, export, xml}: the panels
      this.part = 'pages';
      this.source = null;
      this.row = null;
      this.token = 0;
      this.timer = 0;
      const order = ['pages', 'export', 'xml'];
      for (const part of order) {
        tabs[part].addEventListener('click', () => this.choose(part, true));
        tabs[part].addEventListener('keydown', (event) => {
          const at = order.indexOf(part);
          const next = { ArrowRight: at + 1, ArrowLeft: at - 1, Home: 0, End: order.length - 1 }[event.key];
          if (next === undefined) return;
          event.preventDefault();
          this.choose(order[(next + order.length) % order.length], true);
        });
      }
    }

    // Shows `row`'s details; a quick run of selections loads only the last.
    show(source, row) {
      this.source = source;
      this.row = row;
      clearTimeout(this.timer);
      this.timer = setTimeout(() => this.load(), 60);
    }

    clear() {
      this.row = null;
      this.token += 1;
      for (const part of Object.keys(this.panels)) {
        this.panels[part].replaceChildren(element('p', 'hint', 'Select a call to see it here.'));
      }
    }

    choose(part, focus) {
      this.part = part;
      for (const name of Object.keys(this.tabs)) {
        const selected = name === part;
        this.tabs[name].setAttribute('aria-selected', selected ? 'true' : 'false');
        this.tabs[name].tabIndex = selected ? 0 : -1;
        this.panels[name].hidden = !selected;
      }
      if (focus) this.tabs[part].focus();
      this.load();
    }

    async load() {
      if (!this.row) return;
      const row = this.row, part = this.part, panel = this.panels[part];
      const token = ++this.token;
      if (row.error !== undefined) {
        panel.replaceChildren(element('p', 'error', 'Call ' + row.number + ': ' + row.error));
        return;
      }
      panel.replaceChildren(element('p', 'hint', 'Loading call ' + row.number + '\u2026'));
      let call;
      try {
        call = await this.source.call(row.number, part);
      } catch (failure) {
        if (token === this.token) panel.replaceChildren(element('p', 'error', failure.message));
        return;
      }
      if (token !== this.token) return;
      if (call.error !== undefined) {
        panel.replaceChildren(element('p', 'error', 'Call ' + call.number + ': ' + call.error));
        return;
      }
      const content = call[part];
      if (content && content.error !== undefined) {
        panel.replaceChildren(element('p', 'error', 'The plug-in cannot show this: ' + content.error));
        return;
      }
      if (part === 'pages') this.showPages(panel, call, content);
      if (part === 'export') this.showExport(panel, call, content);
      if (part === 'xml') this.showXml(panel, call, content);
    }

    summary(call) {
      return definitions([
        ['Call', call.number],
        ['Function', call.function],
        ['Time', call.time],
        ['Duration (ms)', call.duration],
        ['Thread', call.thread],
        ['Process', call.process],
        ['Status column', call.status, call.failed ? 'failed-text' : ''],
        ['Description', call.description],
      ]);
    }

    showPages(panel, call, pages) {
      const nodes = [element('h2', '', pages.title), this.summary(call)];
      if (pages.input) {
        nodes.push(rowsTable('Input', pages.input.rows));
        nodes.push(definitions([
          ['Help on the attribute', BUTTON_WORDS[pages.input.attributeButton] || pages.input.attributeButton],
          ['Help on the event', BUTTON_WORDS[pages.input.eventButton] || pages.input.eventButton],
        ]));
      }
      if (pages.output) {
        nodes.push(rowsTable('Output', pages.output.rows));
        const mark = call.failed ? 'failed-text' : '';
        nodes.push(definitions([
          ['Return value', pages.output.returnValue || ' ', mark],
          ['Return description', pages.output.returnDescription],
        ]));
      }
      for (const buffer of pages.buffers || []) nodes.push(this.bufferSection(call.number, buffer));
      const files = element('details');
      files.append(element('summary', '', 'Page files'));
      const list = element('ul');
      for (const file of pages.files) list.append(element('li', '', file));
      files.append(list);
      nodes.push(files);
      panel.replaceChildren(...nodes);
    }

    bufferSection(number, buffer) {
      const section = element('section', 'buffer');
      const heading = element('h3', '', 'Buffer ' + buffer.name);
      const pre = element('pre', '', buffer.lines.join('\n'));
      pre.setAttribute('aria-label', 'Dump of ' + buffer.name);
      section.append(heading, element('p', '', buffer.heading), pre);
      this.moreLines(section, pre, number, buffer, buffer.lines.length);
      return section;
    }

    // "Lines 1 to N of M" and a button for the next lines, while some are not shown.
    moreLines(section, pre, number, buffer, shown) {
      if (shown >= buffer.lineCount) return;
      const note = element('p', 'more', 'Lines 1 to ' + shown + ' of ' + buffer.lineCount + '.');
      const button = element('button', '', 'Show ' + Math.min(MORE_LINES, buffer.lineCount - shown) + ' more lines');
      button.type = 'button';
      button.addEventListener('click', async () => {
        button.disabled = true;
        try {
          const answer = await this.source.buffer(number, buffer.index, shown, MORE_LINES);
          if (answer.error !== undefined) throw new Error(answer.error);
          pre.textContent += '\n' + answer.buffer.lines.join('\n');
          note.remove();
          this.moreLines(section, pre, number, answer.buffer, shown + answer.buffer.lines.length);
        } catch (failure) {
          note.replaceChildren(element('span', 'error', failure.message));
        }
      });
      note.append(button);
      section.append(note);
    }

    showExport(panel, call, text) {
      const nodes = [element('h2', '', 'Text export of call ' + call.number)];
      if (text.lines.length < text.lineCount) {
        nodes.push(element('p', 'more', 'The first ' + text.lines.length + ' of ' + text.lineCount + ' lines.'));
      }
      const pre = element('pre', '', text.lines.join('\n'));
      pre.setAttribute('aria-label', 'Text export');
      nodes.push(pre);
      panel.replaceChildren(...nodes);
    }

    showXml(panel, call, xml) {
      const nodes = [element('h2', '', 'XML element of call ' + call.number)];
      if (xml.truncated) {
        nodes.push(element('p', 'more', 'The first part of ' + xml.size + ' bytes; vesk-replay --xml --calls=' +
          call.number + ' writes it all.'));
      }
      const pre = element('pre', '', xml.text);
      pre.setAttribute('aria-label', 'XML element');
      nodes.push(pre);
      panel.replaceChildren(...nodes);
    }
  }

  VT.CallDetails = CallDetails;
})(window.VeskTrace = window.VeskTrace || {});
