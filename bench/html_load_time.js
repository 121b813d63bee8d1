// Prints, for each page given, the median milliseconds from the start of
// its navigation to its load event in headless Chromium (3 loads each).
//   node html_load_time.js --chromium CHROMIUM PAGE.html...
'use strict';
const path = require('path');

async function main() {
  const argv = process.argv.slice(2);
  const chromiumAt = argv.indexOf('--chromium');
  const executable = argv[chromiumAt + 1];
  const pages = argv.filter(function (_, i) { return i !== chromiumAt && i !== chromiumAt + 1; });
  const { chromium } = require(path.join(__dirname, '..', 'node_modules', 'playwright-core'));
  const browser = await chromium.launch({ executablePath: executable,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking'] });
  const times = [];
  for (const file of pages) {
    const samples = [];
    for (let i = 0; i < 3; i++) {
      const context = await browser.newContext();
      const page = await context.newPage();
      await page.goto('file://' + path.resolve(file), { waitUntil: 'load' });
      samples.push(await page.evaluate(function () {
        const entry = performance.getEntriesByType('navigation')[0];
        return entry.loadEventEnd - entry.startTime;
      }));
      await context.close();
    }
    samples.sort(function (a, b) { return a - b; });
    times.push(samples[1].toFixed(1));
  }
  await browser.close();
  console.log(times.join(' '));
}

main().catch(function (error) { console.error(error); process.exit(1); });
