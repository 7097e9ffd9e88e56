// The call list: a grid that shows only the rows in sight (a million rows
// scroll as smoothly as ten), fetches them in blocks as they come into
// sight, and moves its selection with the keyboard.
(function (VT) {
  'use strict';

  // Rows fetched at a time.
  const BLOCK_ROWS = 100;
  // The scrolled height stays below what every browser can lay out; a longer
  // list maps the scroll position onto its rows.
  const MAX_SCROLL_HEIGHT = 8000000;
  // Rows kept in the page beyond the ones in sight, above and below.
  const OVERSCAN = 10;

  function cell(className, text) {
    const span = document.createElement('span');
    span.className = className;
    span.setAttribute('role', 'gridcell');
    span.textContent = text;
    return span;
  }

  // The result column: a sign as well as a colour, and a word for readers.
  function markCell(row) {
    const span = cell('c-mark', '');
    let sign = '', word = '';
    if (row && row.error !== undefined) {
      sign = '\u26a0';
      word = 'not a call';
    } else if (row && row.failed) {
      sign = '\u2716';
      word = 'failed';
    }
    if (sign) {
      const visible = document.createElement('span');
      visible.setAttribute('aria-hidden', 'true');
      visible.textContent = sign;
      const hidden = document.createElement('span');
      hidden.className = 'visually-hidden';
      hidden.textContent = word;
      span.append(visible, hidden);
    }
    return span;
  }

  class CallList {
    // `onSelect(row)` is told of each row selected (an object of the rows
    // answer); `onView(state)` of every change of the total.
    constructor(grid, viewport, spacer, onSelect, onView) {
      this.grid = grid;
      this.viewport = viewport;
      this.spacer = spacer;
      this.onSelect = onSelect;
      this.onView = onView;
      this.rowsElement = document.createElement('div');
      this.rowsElement.className = 'rows';
      this.rowsElement.setAttribute('role', 'presentation');
      viewport.appendChild(this.rowsElement);
      this.rowHeight = parseFloat(getComputedStyle(grid).getPropertyValue('--row-height')) || 24;
      this.source = null;
      this.filter = VT.emptyFilter();
      this.generation = 0;
      this.total = 0;
      this.complete = true;
      this.examined = 0;
      this.failure = '';
      this.blocks = new Map();     // block index -> rows
      this.fetching = new Set();   // block indexes being fetched
      this.selected = -1;          // position in the view
      this.pendingSelection = -1;  // to select once the view has it
      this.offset = 0;             // pixels of the whole list above the view
      this.lastScrollTop = 0;
      this.frame = 0;
      this.polling = false;

      viewport.addEventListener('scroll', () => this.onScroll());
      grid.addEventListener('keydown', (event) => this.onKey(event));
      this.rowsElement.addEventListener('click', (event) => {
        const row = event.target.closest('[data-position]');
        if (!row) return;
        this.select(Number(row.dataset.position));
        grid.focus({ preventScroll: true });
      });
      new ResizeObserver(() => this.schedule()).observe(viewport);
    }

    // Shows the view of `filter` from `source`, from the top.
    show(source, filter) {
      this.source = source;
      this.filter = filter;
      this.generation += 1;
      this.total = 0;
      this.complete = false;
      this.examined = 0;
      this.failure = '';
      this.blocks.clear();
      this.fetching.clear();
      this.selected = -1;
      this.pendingSelection = -1;
      this.reported = null;
      this.grid.removeAttribute('aria-activedescendant');
      this.offset = 0;
      this.viewport.scrollTop = 0;
      this.lastScrollTop = 0;
      this.fetchBlock(0);
      this.schedule();
    }

    get viewHeight() { return this.viewport.clientHeight; }
    get listHeight() { return this.total * this.rowHeight; }
    get scrollHeight() { return Math.min(this.listHeight, MAX_SCROLL_HEIGHT); }

    // Pixels of the list per pixel scrolled.
    get ratio() {
      const room = this.scrollHeight - this.viewHeight;
      return this.listHeight > MAX_SCROLL_HEIGHT && room > 0 ? (this.listHeight - this.viewHeight) / room : 1;
    }

    get pageRows() { return Math.max(1, Math.floor(this.viewHeight / this.rowHeight) - 1); }

    visibleRange() {
      const first = Math.max(0, Math.floor(this.offset / this.rowHeight) - OVERSCAN);
      const last = Math.min(this.total, Math.ceil((this.offset + this.viewHeight) / this.rowHeight) + OVERSCAN);
      return [first, Math.max(first, last)];
    }

    rowAt(position) {
      const rows = this.blocks.get(Math.floor(position / BLOCK_ROWS));
      return rows ? rows[position % BLOCK_ROWS] : undefined;
    }

    onScroll() {
      const top = this.viewport.scrollTop;
      // A scroll the list made itself keeps its exact offset.
      if (Math.abs(top - this.lastScrollTop) >= 1) {
        this.offset = Math.min(top * this.ratio, Math.max(0, this.listHeight - this.viewHeight));
        this.lastScrollTop = top;
      }
      this.schedule();
    }

    schedule() {
      if (this.frame) return;
      this.frame = requestAnimationFrame(() => {
        this.frame = 0;
        this.render();
      });
    }

    // Fetches block `index` unless it is known (or, with `again`, anyway:
    // the rows it has stay in sight until the answer replaces them).
    async fetchBlock(index, again = false) {
      if (this.fetching.has(index) || (this.blocks.has(index) && !again) || !this.source) return;
      const generation = this.generation;
      this.fetching.add(index);
      let answer;
      try {
        answer = await this.source.rows(this.filter, index * BLOCK_ROWS, BLOCK_ROWS);
      } catch (failure) {
        if (generation === this.generation) {
          this.fetching.delete(index);
          this.onView({ error: failure.message });
        }
        return;
      }
      if (generation !== this.generation) return;
      this.fetching.delete(index);
      this.blocks.set(index, answer.rows);
      this.take(answer);
    }

    // The view's state from an answer.
    take(answer) {
      const grew = answer.total !== this.total;
      this.total = answer.total;
      this.complete = answer.complete;
      this.examined = answer.examined;
      this.failure = answer.failure;
      this.grid.setAttribute('aria-rowcount', String(this.total + 1));
      // A block that ended before the end of the view has grown since.
      for (const [index, rows] of this.blocks) {
        if (rows.length < BLOCK_ROWS && index * BLOCK_ROWS + rows.length < this.total) this.blocks.delete(index);
      }
      this.onView({ total: this.total, complete: this.complete, examined: this.examined, calls: answer.calls,
        failure: this.failure });
      if (grew) this.spacer.style.height = this.scrollHeight + 'px';
      this.schedule();
      if (this.pendingSelection >= 0 && (this.pendingSelection < this.total || this.complete)) {
        this.select(this.pendingSelection);
      } else if (this.selected >= 0) {
        this.reportSelection();
      }
      if (!this.complete) this.poll();
    }

    // While a view is being made, asks for the rows in sight again until it
    // is complete: each request makes it further.
    async poll() {
      if (this.polling) return;
      this.polling = true;
      const generation = this.generation;
      const pause = this.filterLooksAtCalls() ? 0 : 300;
      await new Promise((resolve) => setTimeout(resolve, pause));
      this.polling = false;
      if (generation !== this.generation || this.complete) return;
      const [first] = this.visibleRange();
      this.fetchBlock(Math.floor(first / BLOCK_ROWS), true);
    }

    filterLooksAtCalls() {
      const f = this.filter;
      return f.text !== '' || f.function !== '' || f.session !== '' || f.thread !== '' || f.errors;
    }

    render() {
      this.spacer.style.height = this.scrollHeight + 'px';
      const [first, last] = this.visibleRange();
      for (let index = Math.floor(first / BLOCK_ROWS); index * BLOCK_ROWS < last; index += 1) {
        if (!this.blocks.has(index)) this.fetchBlock(index);
      }
      // The rows start where the offset puts the first of them.
      const top = this.lastScrollTop - (this.offset - first * this.rowHeight);
      this.rowsElement.style.transform = 'translateY(' + top + 'px)';
      const elements = [];
      for (let position = first; position < last; position += 1) elements.push(this.rowElement(position));
      this.rowsElement.replaceChildren(...elements);
      if (this.selected >= first && this.selected < last) {
        this.grid.setAttribute('aria-activedescendant', 'call-row-' + this.selected);
      } else {
        this.grid.removeAttribute('aria-activedescendant');
      }
    }

    rowElement(position) {
      const row = this.rowAt(position);
      const element = document.createElement('div');
      element.className = 'row';
      element.id = 'call-row-' + position;
      element.dataset.position = String(position);
      element.setAttribute('role', 'row');
      element.setAttribute('aria-rowindex', String(position + 2));
      element.setAttribute('aria-selected', position === this.selected ? 'true' : 'false');
      if (!row) {
        element.classList.add('loading');
        element.append(cell('c-mark', ''), cell('c-number', ''), cell('c-time', ''), cell('c-duration', ''),
          cell('c-status', ''), cell('c-description', '\u2026'));
        return element;
      }
      const description = row.error !== undefined ? row.error : row.description;
      if (row.error !== undefined) element.classList.add('bad');
      if (row.failed) element.classList.add('failed');
      element.dataset.number = String(row.number);
      const descriptionCell = cell('c-description', description);
      descriptionCell.title = description;
      element.append(markCell(row), cell('c-number', String(row.number)), cell('c-time', row.time || ''),
        cell('c-duration', row.duration || ''), cell('c-status', row.status || ''), descriptionCell);
      return element;
    }

    // --- selection --------------------------------------------------------------

    select(position) {
      if (this.total === 0 || (!this.complete && position >= this.total)) {
        // Not known yet: selected once the view has that many rows.
        this.pendingSelection = position;
        return;
      }
      this.pendingSelection = -1;
      position = Math.max(0, Math.min(this.total - 1, position));
      this.selected = position;
      this.scrollIntoView(position);
      this.schedule();
      this.reportSelection();
    }

    // Tells of the selected row once it is known.
    reportSelection() {
      const row = this.rowAt(this.selected);
      if (!row) {
        this.fetchBlock(Math.floor(this.selected / BLOCK_ROWS));
        return;
      }
      if (row === this.reported) return;
      this.reported = row;
      this.onSelect(row);
    }

    scrollIntoView(position) {
      const top = position * this.rowHeight;
      const bottom = top + this.rowHeight;
      if (top < this.offset) {
        this.offset = top;
      } else if (bottom > this.offset + this.viewHeight) {
        this.offset = Math.max(0, bottom - this.viewHeight);
      } else {
        return;
      }
      const scrollTop = Math.round(this.offset / this.ratio);
      this.lastScrollTop = scrollTop;
      this.viewport.scrollTop = scrollTop;
      // The browser may not scroll as far as asked (the end of the list).
      this.lastScrollTop = this.viewport.scrollTop;
    }

    onKey(event) {
      if (event.altKey || event.ctrlKey || event.metaKey) return;
      const current = this.selected < 0 ? -1 : this.selected;
      const moves = {
        ArrowDown: current + 1,
        ArrowUp: current < 0 ? 0 : current - 1,
        PageDown: current + this.pageRows,
        PageUp: current - this.pageRows,
        Home: 0,
        End: this.total - 1,
      };
      if (!(event.key in moves)) return;
      event.preventDefault();
      this.select(moves[event.key]);
    }
  }

  VT.CallList = CallList;
})(window.VeskTrace = window.VeskTrace || {});
