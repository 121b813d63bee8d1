// The HTML report in a real browser, as a person uses it.
//
//   node report_browser_test.js --binary KOVXMLMERGE --repo REPOSITORY
//                               --chromium CHROMIUM [--screenshot FILE.png]
//
// Writes the reports of the examples (without and with their sources) and of
// a set of hostile names, serves them from a loopback server and opens every
// page in headless Chromium (driven by playwright-core):
//   - as served with no policy, with the script running: no console error,
//     no page error, no failed request, no request leaving the server, no
//     dialog or element that text from a report could have made; the script
//     must have run; axe-core finds no violation of impact serious or
//     critical, in the light and in the dark colour scheme;
//   - as Jenkins serves archived HTML (Content-Security-Policy: sandbox;
//     default-src 'none'; img-src 'self'; style-src 'self';): no message but
//     the note that the sandbox keeps the script from running, the style sheet
//     applies, and the page shows what it shows with JavaScript off;
//   - with JavaScript off: every file and its TER is there (checked against
//     the summary XML of the same run);
//   - html-validate with html-validate:standard accepts the page.
// Then it sorts, filters, hides covered rows and presses n and p, and takes
// the screenshot of a file page with MC/DC tables that the README shows.
// Exits 0 when every check passed, 1 otherwise (each failure on one line).
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const JENKINS_POLICY = "sandbox; default-src 'none'; img-src 'self'; style-src 'self';";
const SANDBOX_NOTE = /^Blocked script execution in '[^']*' because the document's frame is sandboxed and the 'allow-scripts' permission is not set\.$/;
const CHROMIUM_ARGS = ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync'];

const failures = [];
function fail(where, what) {
  failures.push(where + ': ' + what);
  console.log('FAIL ' + where + ': ' + what);
}

function parseArguments(argv) {
  const options = {};
  for (let i = 0; i < argv.length; i += 2) options[argv[i].replace(/^--/, '')] = argv[i + 1];
  for (const required of ['binary', 'repo', 'chromium']) {
    if (!options[required]) throw new Error('missing --' + required);
  }
  return options;
}

// --- the reports -------------------------------------------------------------

function copyTree(from, to) {
  fs.mkdirSync(to, { recursive: true });
  for (const entry of fs.readdirSync(from, { withFileTypes: true })) {
    const source = path.join(from, entry.name);
    const target = path.join(to, entry.name);
    if (entry.isDirectory()) copyTree(source, target);
    else fs.copyFileSync(source, target);
  }
}

// Runs kovxmlmerge for one report: the HTML report and the summary XML that
// holds the figures the pages must show.
function writeReport(options, work, report) {
  const cwd = report.cwd || work;
  const args = report.args.concat(['-html', path.join(work, report.name),
    '-x', path.join(work, report.name + '.xml')]);
  childProcess.execFileSync(options.binary, args, { cwd: cwd, stdio: ['ignore', 'ignore', 'inherit'] });
  return summaryOf(fs.readFileSync(path.join(work, report.name + '.xml')).toString('latin1'));
}

function unescapeXml(text) {
  return text.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
    .replace(/&apos;/g, "'").replace(/&amp;/g, '&');
}

// The files of a summary XML document with their TER figures, and the totals.
function summaryOf(xml) {
  const files = [];
  const filePattern = /<file name="([^"]*)">[\s\S]*?<file_summary>[\s\S]*?<ter>(\d+)<\/ter>\s*<hits>(\d+)<\/hits>\s*<all>(\d+)<\/all>/g;
  let match;
  while ((match = filePattern.exec(xml)) !== null) {
    files.push({ name: unescapeXml(match[1]), ter: match[2] + ' % (' + match[3] + '/' + match[4] + ')' });
  }
  const overall = /<overall_summary>[\s\S]*?<ter>(\d+)<\/ter>\s*<hits>(\d+)<\/hits>\s*<all>(\d+)<\/all>/.exec(xml);
  return { files: files, ter: overall[1] + ' % (' + overall[2] + '/' + overall[3] + ')' };
}

// Names as both documents can show them: a character that a page shows as
// U+FFFD and the summary XML as "?" or as itself counts as one mark.
function comparable(text) {
  return text.replace(/[\u0000-\u001f\u007f-\u009f\ufffd?]/g, '?');
}

// --- the server ----------------------------------------------------------------

const TYPES = { '.html': 'text/html; charset=utf-8', '.css': 'text/css', '.js': 'text/javascript',
  '.svg': 'image/svg+xml' };

// /plain/... serves the work folder as it is, /csp/... with Jenkins' policy.
function startServer(root) {
  const server = http.createServer(function (request, response) {
    const url = decodeURIComponent(request.url.split('?')[0]);
    const mode = url.split('/')[1];
    const file = path.normalize(path.join(root, url.slice(mode.length + 1)));
    if ((mode !== 'plain' && mode !== 'csp') || !file.startsWith(root + path.sep) ||
        !fs.existsSync(file) || !fs.statSync(file).isFile()) {
      response.writeHead(404);
      response.end();
      return;
    }
    const headers = { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' };
    if (mode === 'csp') headers['Content-Security-Policy'] = JENKINS_POLICY;
    response.writeHead(200, headers);
    response.end(fs.readFileSync(file));
  });
  return new Promise(function (resolve) {
    server.listen(0, '127.0.0.1', function () { resolve(server); });
  });
}

// --- the browser -----------------------------------------------------------------

// A page that records every sign of trouble while it is used; `label` says
// where the page is now, for the messages.
async function watchedPage(context, origin, label, allowConsole) {
  const page = await context.newPage();
  const where = function () { return typeof label === 'function' ? label() : label; };
  page.on('console', function (message) {
    const text = message.text();
    if (allowConsole && allowConsole(text)) return;
    fail(where(), 'console ' + message.type() + ': ' + text);
  });
  page.on('pageerror', function (error) { fail(where(), 'page error: ' + error.message); });
  page.on('requestfailed', function (request) {
    fail(where(), 'failed request ' + request.url() + ': ' + (request.failure() || {}).errorText);
  });
  page.on('response', function (response) {
    if (response.status() >= 400) fail(where(), 'HTTP ' + response.status() + ' for ' + response.url());
  });
  page.on('dialog', async function (dialog) {
    fail(where(), 'a dialog opened (script from a report ran): ' + dialog.message());
    await dialog.dismiss();
  });
  await page.route('**/*', function (route) {
    const url = route.request().url();
    if (url.startsWith(origin + '/')) return route.continue();
    fail(where(), 'request outside the report: ' + url);
    return route.abort();
  });
  return page;
}

// What no page of ours holds; text from a report that became markup would.
async function checkMarkup(page, where) {
  const found = await page.evaluate(function () {
    const problems = [];
    for (const script of document.querySelectorAll('script')) {
      if (script.getAttribute('src') !== 'report.js' || script.textContent !== '') {
        problems.push('a script element other than report.js');
      }
    }
    if (document.querySelectorAll('style, img, iframe, object, embed, [style]').length > 0) {
      problems.push('a style, img, iframe, object or embed element or a style attribute');
    }
    for (const element of document.querySelectorAll('*')) {
      for (const attribute of element.attributes) {
        if (/^on/i.test(attribute.name)) problems.push('an event handler attribute ' + attribute.name);
      }
    }
    for (const link of document.querySelectorAll('a[href], link[href]')) {
      const href = link.getAttribute('href');
      if (!/^(#[A-Za-z0-9-]+|[a-z0-9]+\.(html|css|svg)(#[A-Za-z0-9-]+)?)$/.test(href)) {
        problems.push('a link that is not to the report: ' + href);
      }
    }
    return problems;
  });
  for (const problem of found) fail(where, problem);
}

async function runAxe(page, where, axeSource) {
  await page.addScriptTag({ content: axeSource });
  for (const scheme of ['light', 'dark']) {
    await page.emulateMedia({ colorScheme: scheme });
    const violations = await page.evaluate(async function () {
      const result = await window.axe.run(document, { resultTypes: ['violations'] });
      return result.violations.map(function (v) {
        return { id: v.id, impact: v.impact, nodes: v.nodes.slice(0, 3).map(function (n) { return n.target.join(' '); }) };
      });
    });
    for (const violation of violations) {
      if (violation.impact === 'serious' || violation.impact === 'critical') {
        fail(where, 'axe (' + scheme + '): ' + violation.impact + ' ' + violation.id + ' at ' +
             violation.nodes.join(', '));
      }
    }
  }
}

async function bodyText(page) {
  return page.evaluate(function () { return document.body.innerText; });
}

// Every page of one report in the three ways it is read.
async function checkPages(browser, origin, work, report, summary, validator, axeSource) {
  const folder = path.join(work, report.name);
  const pages = fs.readdirSync(folder).filter(function (name) { return name.endsWith('.html'); }).sort();
  let where = '';
  const contexts = [await browser.newContext(), await browser.newContext(),
    await browser.newContext({ javaScriptEnabled: false })];
  const plain = await watchedPage(contexts[0], origin, function () { return where + ' (served plain)'; });
  const csp = await watchedPage(contexts[1], origin, function () { return where + ' (Jenkins policy)'; },
    function (message) { return SANDBOX_NOTE.test(message); });
  const noScript = await watchedPage(contexts[2], origin, function () { return where + ' (JavaScript off)'; });
  for (const name of pages) {
    where = report.name + '/' + name;
    const url = report.name + '/' + name;

    const validation = await validator.validateFile(path.join(folder, name));
    if (!validation.valid) {
      for (const result of validation.results) {
        for (const message of result.messages.slice(0, 5)) {
          fail(where, 'html-validate: ' + message.ruleId + ' ' + message.message + ' at ' +
               message.line + ':' + message.column);
        }
      }
    }

    await plain.goto(origin + '/plain/' + url);
    await checkMarkup(plain, where);
    const scripted = await plain.evaluate(function () {
      return document.querySelectorAll('thead th button').length > 0 &&
        document.querySelectorAll('[data-script][hidden]').length === 0;
    });
    if (!scripted) fail(where, 'the script did not run where nothing forbids it');
    await runAxe(plain, where, axeSource);

    await noScript.goto(origin + '/plain/' + url);
    const text = await bodyText(noScript);
    checkFigures(where, name, text, summary, report);

    await csp.goto(origin + '/csp/' + url);
    const styled = await csp.evaluate(function () {
      return getComputedStyle(document.querySelector('header.top')).borderBottomStyle === 'solid';
    });
    if (!styled) fail(where, 'the style sheet does not apply under the Jenkins policy');
    if ((await bodyText(csp)) !== text) {
      fail(where, 'under the Jenkins policy the page does not show what it shows with JavaScript off');
    }
  }
  for (const context of contexts) await context.close();
  return pages.length;
}

// With JavaScript off: the overview shows every file with its TER, and each
// file page its own TER.
function checkFigures(where, name, text, summary, report) {
  const shown = comparable(text);
  if (name === 'index.html') {
    if (!text.includes(summary.ter)) fail(where, 'the overall TER ' + summary.ter + ' is missing');
    for (const file of summary.files) {
      const fileName = file.name === '' ? '(no name)' : file.name;
      if (!shown.includes(comparable(fileName))) fail(where, 'the file ' + fileName + ' is missing');
      if (!text.includes(file.ter)) fail(where, 'the TER ' + file.ter + ' of ' + fileName + ' is missing');
    }
  }
  const number = /^f(\d+)\.html$/.exec(name);
  if (number) {
    const file = summary.files[Number(number[1]) - 1];
    if (!file) {
      fail(where, 'a file page the summary XML does not know');
    } else if (!text.includes(file.ter) || (file.name !== '' && !shown.includes(comparable(file.name)))) {
      fail(where, 'the page does not show ' + file.name + ' with its TER ' + file.ter);
    }
  }
  if (report.expectSource && number && !text.includes(report.expectSource)) {
    fail(where, 'the source is not shown');
  }
}

// --- the style sheet and the script as code ----------------------------------------

// Chromium drops a rule it cannot parse and a declaration it does not know,
// silently: every rule and every declaration of the style sheet must arrive.
async function checkAssets(browser, origin, repo) {
  const where = 'report.css and report.js';
  const script = path.join(repo, 'src', 'writers', 'html', 'assets', 'report.js');
  const check = childProcess.spawnSync(process.execPath, ['--check', script], { encoding: 'utf8' });
  if (check.status !== 0) fail(where, 'node --check: ' + check.stderr);
  if (!/^'use strict';$/m.test(fs.readFileSync(script, 'utf8'))) fail(where, 'the script is not strict');

  const source = fs.readFileSync(path.join(repo, 'src', 'writers', 'html', 'assets', 'report.css'), 'utf8')
    .replace(/\/\*[\s\S]*?\*\//g, '');
  // Top-level rules as the file writes them (an @media block is one), and
  // every declaration inside a block.
  let depth = 0;
  let rules = 0;
  const declarations = [];
  let text = '';
  for (const c of source) {
    if (c === '{') {
      if (depth === 0) rules++;
      depth++;
      text = '';
    } else if (c === '}' || c === ';') {
      if (depth > 0 && text.includes(':') && !/[{}]/.test(text)) declarations.push(text.trim());
      if (c === '}') depth--;
      text = '';
    } else {
      text += c;
    }
  }
  const context = await browser.newContext();
  const page = await watchedPage(context, origin, where);
  await page.goto(origin + '/plain/basic/index.html');
  const result = await page.evaluate(function (declarations) {
    const sheet = Array.from(document.styleSheets).find(function (s) { return /report\.css$/.test(s.href); });
    const refused = declarations.filter(function (declaration) {
      const colon = declaration.indexOf(':');
      return !CSS.supports(declaration.slice(0, colon).trim(), declaration.slice(colon + 1).trim());
    });
    return { rules: sheet.cssRules.length, refused: refused };
  }, declarations);
  if (result.rules !== rules) {
    fail(where, 'Chromium reads ' + result.rules + ' rules of the ' + rules + ' in report.css');
  }
  for (const declaration of result.refused) fail(where, 'Chromium refuses "' + declaration + '"');
  if (declarations.length < 100) fail(where, 'only ' + declarations.length + ' declarations found');
  await context.close();
}

// --- what a person does with the pages -------------------------------------------

async function texts(page, selector) {
  return page.$$eval(selector, function (cells) { return cells.map(function (c) { return c.textContent.trim(); }); });
}

function terOf(text) { return Number(/(\d+) %/.exec(text)[1]); }

async function checkSorting(browser, origin) {
  const where = 'sorting (basic/index.html)';
  const context = await browser.newContext();
  const page = await watchedPage(context, origin, where);
  await page.goto(origin + '/plain/basic/index.html');
  const original = await texts(page, '#files tbody tr td:first-child');
  const head = page.locator('#files thead th').nth(1);
  await head.locator('button').click();
  let ters = (await texts(page, '#files tbody tr td:nth-child(2)')).map(terOf);
  if (await head.getAttribute('aria-sort') !== 'ascending' ||
      ters.some(function (t, i) { return i > 0 && ters[i - 1] > t; })) {
    fail(where, 'TER ascending gives ' + ters.join(', '));
  }
  await head.locator('button').click();
  ters = (await texts(page, '#files tbody tr td:nth-child(2)')).map(terOf);
  if (await head.getAttribute('aria-sort') !== 'descending' ||
      ters.some(function (t, i) { return i > 0 && ters[i - 1] < t; })) {
    fail(where, 'TER descending gives ' + ters.join(', '));
  }
  await head.locator('button').click();
  if ((await texts(page, '#files tbody tr td:first-child')).join() !== original.join()) {
    fail(where, 'a third click does not restore the order');
  }
  // By name, descending: the words sort as words.
  const nameHead = page.locator('#files thead th').nth(0);
  await nameHead.locator('button').click();
  await nameHead.locator('button').click();
  const names = await texts(page, '#files tbody tr td:first-child');
  if (names.join() !== original.slice().sort().reverse().join()) {
    fail(where, 'names descending give ' + names.join(', '));
  }
  await context.close();
}

async function checkFilter(browser, origin) {
  const where = 'filter (basic/index.html)';
  const context = await browser.newContext();
  const page = await watchedPage(context, origin, where);
  await page.goto(origin + '/plain/basic/index.html');
  await page.fill('#filter', 'PARS');
  let visible = await texts(page, '#files tbody tr:not([hidden]) td:first-child');
  if (visible.join() !== 'src/parse.c') fail(where, '"PARS" finds ' + visible.join(', '));
  const count = await page.textContent('#filter-count');
  if (count !== '1 of 3 files') fail(where, 'the count says "' + count + '"');
  await page.fill('#filter', '.h');
  visible = await texts(page, '#files tbody tr:not([hidden]) td:first-child');
  if (visible.join() !== 'include/util.h') fail(where, '".h" finds ' + visible.join(', '));
  await page.press('#filter', 'Escape');
  visible = await texts(page, '#files tbody tr:not([hidden]) td:first-child');
  if (visible.length !== 3) fail(where, 'Escape leaves ' + visible.length + ' files');
  await context.close();
}

async function checkSwitchAndKeys(browser, origin) {
  const where = 'switch and keys (mcdc-sources/f1.html)';
  const context = await browser.newContext({ viewport: { width: 1000, height: 500 } });
  const page = await watchedPage(context, origin, where);
  await page.goto(origin + '/plain/mcdc-sources/f1.html');
  const all = await page.locator('table.source > tbody > tr:visible').count();
  await page.check('#hide-covered');
  const missing = await page.locator('table.source > tbody > tr:visible').count();
  const marked = await page.locator('table.source > tbody > tr.u').count();
  if (missing !== marked || missing === 0 || missing >= all) {
    fail(where, 'the switch shows ' + missing + ' of ' + all + ' source rows, ' + marked + ' are marked');
  }
  await page.uncheck('#hide-covered');
  if (await page.locator('table.source > tbody > tr:visible').count() !== all) {
    fail(where, 'rows stay hidden after the switch is off');
  }

  const targets = await page.$$eval('tr.u:not(.x)', function (rows) {
    return rows.map(function (row) { return row.textContent.replace(/\s+/g, ' ').trim(); });
  });
  const current = async function () {
    return page.$eval('tr.cur', function (row) { return row.textContent.replace(/\s+/g, ' ').trim(); });
  };
  const sequence = [];
  for (let i = 0; i < targets.length + 1; i++) {
    await page.keyboard.press('n');
    sequence.push(await current());
    if (!(await page.locator('tr.cur').isVisible()) ||
        !(await page.locator('tr.cur').evaluate(function (row) {
          const box = row.getBoundingClientRect();
          return box.top >= 0 && box.bottom <= window.innerHeight;
        }))) {
      fail(where, 'n does not bring the row into view: ' + sequence[sequence.length - 1]);
    }
  }
  const expected = targets.concat([targets[0]]);
  if (sequence.join(' | ') !== expected.join(' | ')) {
    fail(where, 'n goes ' + sequence.join(' | ') + ' instead of ' + expected.join(' | '));
  }
  await page.keyboard.press('p');
  if ((await current()) !== targets[targets.length - 1]) fail(where, 'p from the first does not go to the last');
  await page.keyboard.press('p');
  if (targets.length > 1 && (await current()) !== targets[targets.length - 2]) fail(where, 'p does not go back');
  if (await page.locator('tr.cur').count() !== 1) fail(where, 'more than one row is marked as current');
  await context.close();
}

// The README's picture: the source view of the MC/DC example, from the
// function's first line to its last, with the tables of both decisions.
// The page of changed lines: the overview links to it, and each of its
// changed lines leads to a row of that line on its file's page, marked as
// changed and as not fully covered.
async function checkChangedLinks(browser, origin) {
  const where = 'changed lines (basic-changed/changed.html)';
  const context = await browser.newContext();
  const page = await context.newPage();
  await page.goto(origin + '/plain/basic-changed/index.html');
  await page.click('a[href="changed.html"]');
  if (!page.url().endsWith('/plain/basic-changed/changed.html')) fail(where, 'the overview does not lead to it');
  const links = await page.$$eval('a[href*="#chg"]', function (as) { return as.map(function (a) { return a.href; }); });
  if (links.length === 0) fail(where, 'no changed line links to its place');
  for (const link of links) {
    await page.goto(link);
    const hash = new URL(link).hash.slice(1);
    const row = await page.$eval('[id="' + hash + '"]', function (element) {
      return { tag: element.tagName, classes: element.className, text: element.textContent };
    }).catch(function () { return null; });
    if (!row || row.tag !== 'TR' || !/\bch\b/.test(row.classes) || !row.text.includes('\u0394')) {
      fail(where, link + ' does not lead to a changed row');
    }
  }
  await context.close();
}

async function takeScreenshot(browser, origin, file) {
  const context = await browser.newContext({ viewport: { width: 960, height: 1400 } });
  const page = await watchedPage(context, origin, 'screenshot');
  await page.goto(origin + '/plain/mcdc-sources/f1.html');
  const top = await page.locator('#L20').boundingBox();
  const bottom = await page.locator('#L29').boundingBox();
  await page.screenshot({
    path: file, fullPage: true,
    clip: { x: 0, y: top.y - 1, width: 960, height: bottom.y + bottom.height - top.y + 6 },
  });
  await context.close();
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const repo = path.resolve(options.repo);
  const requireFrom = function (name) { return require(path.join(repo, 'node_modules', name)); };
  const { chromium } = requireFrom('playwright-core');
  const { HtmlValidate } = requireFrom('html-validate');
  const axeSource = fs.readFileSync(path.join(repo, 'node_modules', 'axe-core', 'axe.min.js'), 'utf8');
  const validator = new HtmlValidate({ extends: ['html-validate:standard'] });

  const work = fs.realpathSync(fs.mkdtempSync(path.join(os.tmpdir(), 'kov-browser-')));
  const hostileInputs = path.join(work, 'hostile-inputs');
  copyTree(path.join(repo, 'tests', 'cli', 'cases', 'html_hostile_names', 'in'), hostileInputs);
  const basic = ['examples/basic/run1.xml', 'examples/basic/run2.xml'].map(function (p) { return path.join(repo, p); });
  const mcdc = ['examples/mcdc/run1.xml', 'examples/mcdc/run2.xml'].map(function (p) { return path.join(repo, p); });
  // A change to the examples' sources, as git writes its diff.
  const changeDir = path.join(work, 'change');
  fs.mkdirSync(changeDir);
  childProcess.execFileSync('bash', [path.join(repo, 'tests', 'cli', 'make_git_change.sh')],
    { cwd: changeDir, stdio: ['ignore', 'ignore', 'inherit'] });
  const reports = [
    { name: 'basic', args: basic },
    { name: 'basic-changed', args: basic.concat(['-src', path.join(repo, 'examples', 'basic'),
      '-diff', path.join(changeDir, 'change.diff')]), expectSource: 'Beside each line' },
    { name: 'basic-sources', args: basic.concat(['-src', path.join(repo, 'examples', 'basic')]),
      expectSource: 'Beside each line' },
    { name: 'mcdc-sources', args: mcdc.concat(['-src', path.join(repo, 'examples', 'mcdc')]),
      expectSource: 'int may_write(const struct user *u, int locked)' },
    { name: 'hostile', cwd: hostileInputs, args: ['hostile.xml', '-nf', '<script>alert(9)</script>'] },
  ];
  const summaries = {};
  for (const report of reports) summaries[report.name] = writeReport(options, work, report);

  const server = await startServer(work);
  const origin = 'http://127.0.0.1:' + server.address().port;
  const browser = await chromium.launch({ executablePath: options.chromium, args: CHROMIUM_ARGS });
  try {
    let pages = 0;
    for (const report of reports) {
      pages += await checkPages(browser, origin, work, report, summaries[report.name], validator, axeSource);
    }
    await checkAssets(browser, origin, repo);
    await checkSorting(browser, origin);
    await checkFilter(browser, origin);
    await checkSwitchAndKeys(browser, origin);
    await checkChangedLinks(browser, origin);
    if (options.screenshot) await takeScreenshot(browser, origin, options.screenshot);
    console.log('checked ' + pages + ' pages of ' + reports.length + ' reports');
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(work, { recursive: true, force: true });
  }
  if (failures.length > 0) {
    console.log(failures.length + ' failure(s)');
    process.exit(1);
  }
  console.log('all checks passed');
}

main().catch(function (error) {
  console.log('FAIL: ' + (error && error.stack || error));
  process.exit(1);
});
