#!/usr/bin/env node
// Renders a Markdown summary of kovxmlmerge (-md) with markdown-it (npm,
// pinned by package-lock.json), set up as GitHub renders: raw HTML allowed and
// bare URLs turned into links. Checks what a reader would see:
//   - the summary is UTF-8 and shorter than 60,000 characters;
//   - it renders to paragraphs and at most one table, with no element that a
//     name could have made: no link, image, raw HTML, heading or list;
//   - the table has the four columns, at most 25 rows, a file name as one
//     code span per row;
// and, given the JSON document of the same run, that the table shows the
// files with the most uncovered outcomes, worst first, with their names and
// figures exactly (names as the summary shortens them), the line that counts
// the files left out, and the overall TERs on the first line.
//
//   node check_markdown.js SUMMARY [--json DOCUMENT]
'use strict';

const fs = require('fs');
const MarkdownIt = require('markdown-it');

const kMaxCharacters = 60000;
const kRows = 25;
const kNameLimit = 120;
const kColumns = ['File', 'TER', 'Statement TER', 'Uncovered outcomes'];
// Every element the summary itself makes.
const kAllowed = new Set(['p', 'strong', 'code', 'table', 'thead', 'tbody', 'tr', 'th', 'td']);

function fail(message) {
  console.log(message);
  process.exitCode = 1;
}

// The rendered HTML as a tree of elements and texts (markdown-it writes well
// formed HTML; entities are decoded in texts).
function parseHtml(html) {
  const root = {tag: '#root', children: []};
  const stack = [root];
  const decode = (s) => s.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
      .replace(/&#(\d+);/g, (_, n) => String.fromCodePoint(Number(n))).replace(/&amp;/g, '&');
  const pattern = /<(\/?)([a-zA-Z0-9]+)([^>]*?)(\/?)>|([^<]+)/g;
  let match;
  while ((match = pattern.exec(html)) !== null) {
    const top = stack[stack.length - 1];
    if (match[5] !== undefined) {
      top.children.push({text: decode(match[5])});
    } else if (match[1]) {
      if (top.tag !== match[2]) throw new Error(`unbalanced </${match[2]}>`);
      stack.pop();
    } else {
      const element = {tag: match[2], attributes: match[3], children: []};
      top.children.push(element);
      if (!match[4] && !['br', 'hr', 'img'].includes(match[2])) stack.push(element);
    }
  }
  return root;
}

function elements(node, out = []) {
  for (const child of node.children || []) {
    if (child.tag) {
      out.push(child);
      elements(child, out);
    }
  }
  return out;
}

function textOf(node) {
  if (node.text !== undefined) return node.text;
  return (node.children || []).map(textOf).join('');
}

// A report name as the summary shows it: controls as "?", a long name's end.
function shownName(name) {
  const chars = Array.from(name.replace(/[\u0000-\u001F\u007F-\u009F]/g, '?'));
  return chars.length > kNameLimit ? '…' + chars.slice(chars.length - kNameLimit + 1).join('') : chars.join('');
}

function figure(ter) {
  return `${ter.percent} % (${ter.hits}/${ter.all})`;
}

function expectedRows(document) {
  const rows = document.files.map((file, index) => ({file, index, uncovered: file.ter.all - file.ter.hits}));
  rows.sort((a, b) => b.uncovered - a.uncovered || a.file.ter.percent - b.file.ter.percent || a.index - b.index);
  return rows;
}

function statementCell(file) {
  const available = file.functions.some((fn) => fn.statement.available);
  if (!available && file.statement.not_available_functions > 0) return 'N.A.';
  return figure(file.statement);
}

function checkAgainstJson(markdown, table, document) {
  const firstLine = markdown.split('\n')[0];
  const s = document.summary;
  for (const want of [`**TER ${figure(s.ter)}**`, `**statement TER ${figure(s.statement)}**`,
                      `view: ${document.coverage_view}`]) {
    if (!firstLine.includes(want)) fail(`the first line lacks "${want}": ${firstLine}`);
  }
  const rows = expectedRows(document);
  if (rows.length === 0) {
    if (table) fail('a table, though no file is reported');
    if (!markdown.includes('\nNo file is reported.\n')) fail('no line saying that no file is reported');
    return;
  }
  if (!table) {
    fail('no table');
    return;
  }
  const body = elements(table).filter((e) => e.tag === 'tr').slice(1);
  const shown = rows.slice(0, kRows);
  if (body.length !== shown.length) fail(`${body.length} rows, expected ${shown.length}`);
  shown.forEach((row, i) => {
    if (!body[i]) return;
    const cells = body[i].children.filter((c) => c.tag === 'td').map(textOf);
    const want = [shownName(row.file.shown_name), figure(row.file.ter), statementCell(row.file),
                  String(row.uncovered)];
    if (JSON.stringify(cells) !== JSON.stringify(want)) {
      fail(`row ${i + 1}: ${JSON.stringify(cells)}, expected ${JSON.stringify(want)}`);
    }
  });
  const more = rows.slice(kRows);
  const moreLine = markdown.split('\n').find((line) => line.startsWith('…and '));
  if (more.length === 0) {
    if (moreLine) fail(`a line about more files, though all are shown: ${moreLine}`);
  } else {
    const uncovered = more.reduce((sum, row) => sum + row.uncovered, 0);
    const files = `${more.length} more file${more.length === 1 ? '' : 's'}`;
    const outcomes = `${uncovered} uncovered outcome${uncovered === 1 ? '' : 's'}`;
    if (moreLine !== `…and ${files} with ${outcomes}.`) fail(`the line about more files: ${moreLine}`);
  }
}

function main(argv) {
  const summaryPath = argv[0];
  const jsonAt = argv.indexOf('--json');
  const bytes = fs.readFileSync(summaryPath);
  const markdown = new TextDecoder('utf-8', {fatal: true}).decode(bytes);
  if (Array.from(markdown).length >= kMaxCharacters) {
    fail(`${summaryPath}: ${Array.from(markdown).length} characters, at least ${kMaxCharacters}`);
  }
  const md = new MarkdownIt({html: true, linkify: true});
  const tree = parseHtml(md.render(markdown));
  const all = elements(tree);
  for (const element of all) {
    if (!kAllowed.has(element.tag)) fail(`${summaryPath}: renders a <${element.tag}> element`);
  }
  for (const node of tree.children) {
    if (node.tag && node.tag !== 'p' && node.tag !== 'table') {
      fail(`${summaryPath}: a <${node.tag}> at the top`);
    }
  }
  const tables = all.filter((e) => e.tag === 'table');
  if (tables.length > 1) fail(`${summaryPath}: ${tables.length} tables`);
  const table = tables[0];
  if (table) {
    const rows = elements(table).filter((e) => e.tag === 'tr');
    const head = rows[0].children.filter((c) => c.tag === 'th').map(textOf);
    if (JSON.stringify(head) !== JSON.stringify(kColumns)) fail(`the table's columns: ${head}`);
    if (rows.length - 1 > kRows) fail(`${rows.length - 1} rows in the table`);
    rows.slice(1).forEach((row, i) => {
      const cells = row.children.filter((c) => c.tag === 'td');
      if (cells.length !== kColumns.length) fail(`row ${i + 1} has ${cells.length} cells`);
      const inName = cells.length > 0 ? elements(cells[0]) : [];
      const nameText = cells.length > 0 ? textOf(cells[0]) : '';
      const wellFormed = nameText === '' ? inName.length === 0
                                         : inName.length === 1 && inName[0].tag === 'code' &&
                                               cells[0].children.length === 1;
      if (!wellFormed) fail(`row ${i + 1}: the name is not one code span`);
      for (const cell of cells.slice(1)) {
        if (elements(cell).length > 0) fail(`row ${i + 1}: a figure cell holds an element`);
      }
    });
  }
  if (jsonAt >= 0) {
    const document = JSON.parse(fs.readFileSync(argv[jsonAt + 1], 'utf8'));
    checkAgainstJson(markdown, table, document);
  }
}

try {
  main(process.argv.slice(2));
} catch (error) {
  fail(`${process.argv[2]}: ${error.message}`);
}
