// The script of the kovxmlmerge HTML report. Every page is complete without
// it; it only adds ways to move through what is there:
//   - sorting: every table sorts by any column (a click on the column head
//     sorts ascending, a second descending, a third restores the order);
//   - a switch that hides the rows that are fully covered;
//   - on the overview, a filter box that finds files by name;
//   - on file pages, the keys n and p: the next and previous probe that is
//     not fully covered.
// The pages mark what the script works on with classes, ids and the
// attribute data-script (tools that are hidden until the script shows them).
'use strict';

(function () {
  const SETTING = 'kovxmlmerge.hideCovered';

  // --- sorting -----------------------------------------------------------

  // The sort key of a cell: the numbers in its text where it begins with one
  // ("87 % (27/31)" sorts by 87, then 27, then 31), else the text.
  function keyOf(cell) {
    const text = cell ? cell.textContent.replace(/^[\s\u2717\u2713]+/, '') : '';
    if (/^[0-9]/.test(text)) {
      return { numbers: (text.match(/[0-9]+(?:\.[0-9]+)?/g) || []).map(Number), text: '' };
    }
    return { numbers: null, text: text };
  }

  function compareKeys(a, b) {
    if (a.numbers && b.numbers) {
      const length = Math.min(a.numbers.length, b.numbers.length);
      for (let i = 0; i < length; i++) {
        if (a.numbers[i] !== b.numbers[i]) return a.numbers[i] - b.numbers[i];
      }
      return a.numbers.length - b.numbers.length;
    }
    if (a.numbers) return -1;  // numbers before words ("N.A.")
    if (b.numbers) return 1;
    return a.text.localeCompare(b.text, undefined, { numeric: true });
  }

  // The rows of a body in groups: a row of class "x" (the MC/DC tables
  // under a source line) stays with the row before it.
  function groupsOf(body) {
    const groups = [];
    for (const row of Array.from(body.rows)) {
      if (row.classList.contains('x') && groups.length > 0) {
        groups[groups.length - 1].rows.push(row);
      } else {
        groups.push({ rows: [row], order: groups.length });
      }
    }
    return groups;
  }

  function sortTable(table, column, direction) {
    for (const body of Array.from(table.tBodies)) {
      if (!body.originalGroups) body.originalGroups = groupsOf(body);
      const groups = body.originalGroups.slice();
      if (direction !== 0) {
        for (const group of groups) group.key = keyOf(group.rows[0].cells[column]);
        groups.sort(function (a, b) {
          return direction * compareKeys(a.key, b.key) || a.order - b.order;
        });
      }
      const rows = document.createDocumentFragment();
      for (const group of groups) for (const row of group.rows) rows.appendChild(row);
      body.appendChild(rows);
    }
  }

  function makeSortable(table) {
    if (!table.tHead || table.tBodies.length === 0) return;
    const heads = table.tHead.rows[table.tHead.rows.length - 1].cells;
    for (const head of Array.from(heads)) {
      const button = document.createElement('button');
      button.type = 'button';
      while (head.firstChild) button.appendChild(head.firstChild);
      head.appendChild(button);
      button.addEventListener('click', function () {
        const now = head.getAttribute('aria-sort');
        const next = now === 'ascending' ? 'descending' : now === 'descending' ? null : 'ascending';
        for (const other of Array.from(heads)) other.removeAttribute('aria-sort');
        if (next) head.setAttribute('aria-sort', next);
        sortTable(table, head.cellIndex, next === 'ascending' ? 1 : next === 'descending' ? -1 : 0);
      });
    }
  }

  // --- the switch that hides fully covered rows ---------------------------

  function readSetting() {
    try {
      return window.localStorage.getItem(SETTING) === '1';
    } catch (e) {
      return false;  // storage may be closed to pages opened from disk
    }
  }

  function writeSetting(on) {
    try {
      window.localStorage.setItem(SETTING, on ? '1' : '0');
    } catch (e) {
      // the switch still works on this page
    }
  }

  function setUpSwitch() {
    const box = document.getElementById('hide-covered');
    if (!box) return;
    box.checked = readSetting();
    document.body.classList.toggle('hide-covered', box.checked);
    box.addEventListener('change', function () {
      document.body.classList.toggle('hide-covered', box.checked);
      writeSetting(box.checked);
    });
  }

  // --- the file filter of the overview -----------------------------------

  function setUpFilter() {
    const input = document.getElementById('filter');
    const table = document.getElementById('files');
    const count = document.getElementById('filter-count');
    if (!input || !table) return;
    const rows = Array.from(table.tBodies[0].rows);
    const names = rows.map(function (row) { return row.cells[0].textContent.toLowerCase(); });
    function apply() {
      const wanted = input.value.trim().toLowerCase();
      let shown = 0;
      rows.forEach(function (row, i) {
        const match = wanted === '' || names[i].indexOf(wanted) !== -1;
        row.hidden = !match;
        if (match) shown++;
      });
      if (count) {
        count.textContent = wanted === '' ? '' : shown + ' of ' + rows.length + ' files';
      }
    }
    input.addEventListener('input', apply);
    input.addEventListener('keydown', function (event) {
      if (event.key === 'Escape') {
        input.value = '';
        apply();
      }
    });
    apply();
  }

  // --- n and p on file pages ----------------------------------------------

  function setUpKeys() {
    if (!document.body.classList.contains('file')) return;
    let current = null;
    document.addEventListener('keydown', function (event) {
      if (event.ctrlKey || event.metaKey || event.altKey) return;
      if (event.key !== 'n' && event.key !== 'p') return;
      // Keys typed into a text field are text; a checkbox takes none.
      const target = event.target;
      if (target && target.matches &&
          target.matches('input:not([type="checkbox"]):not([type="radio"]), textarea, select, ' +
                         '[contenteditable]')) {
        return;
      }
      const marked = Array.from(document.querySelectorAll('tr.u:not(.x)')).filter(function (row) {
        return row.getClientRects().length > 0;
      });
      if (marked.length === 0) return;
      let index = current ? marked.indexOf(current) : -1;
      if (event.key === 'n') {
        index = index + 1 >= marked.length ? 0 : index + 1;
      } else {
        index = index <= 0 ? marked.length - 1 : index - 1;
      }
      if (current) current.classList.remove('cur');
      current = marked[index];
      current.classList.add('cur');
      current.tabIndex = -1;
      current.focus({ preventScroll: true });
      current.scrollIntoView({ block: 'center' });
      event.preventDefault();
    });
  }

  function start() {
    for (const element of Array.from(document.querySelectorAll('[data-script]'))) {
      element.hidden = false;  // tools that only work with the script
    }
    for (const table of Array.from(document.querySelectorAll('table'))) makeSortable(table);
    setUpSwitch();
    setUpFilter();
    setUpKeys();
  }

  if (document.readyState === 'loading') {
    document.addEventListener('DOMContentLoaded', start);
  } else {
    start();
  }
})();
