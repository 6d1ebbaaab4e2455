// The web edition's benchmark (./forge bench): in Debian's chromium, the time
// from choosing the 4 MiB sample image to its first table, switching to the
// enemy stats, and storing a cell; and the size of what the page loads.
//   node web/tests/bench.mjs SITE_DIR SAMPLE_MAKER [RUNS]
import { readdirSync, readFileSync } from 'node:fs';
import { join } from 'node:path';
import { brotliCompressSync, gzipSync, constants } from 'node:zlib';

const [site, sampleMaker, runsText = '15'] = process.argv.slice(2);
process.env.VELDRA_WEB_DIR = site;
process.env.VELDRA_SAMPLE = sampleMaker;
const { cell, chooseTable, makeSample, openBrowser, openImage, scratch } = await import('./support.mjs');

const runs = Number(runsText);
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  return sorted[Math.floor(sorted.length / 2)];
};
// the time between two marks of the page, once the later one is there
async function between(page, first, last) {
  await page.waitForFunction((name) => performance.getEntriesByName(name).length > 0, last);
  return page.evaluate(([a, b]) => {
    const at = (name) => performance.getEntriesByName(name).at(-1).startTime;
    return at(b) - at(a);
  }, [first, last]);
}
const clearMarks = (page) => page.evaluate(() => performance.clearMarks());

const files = scratch();
const sample = makeSample(files.path('sample.sfc'));
const browser = await openBrowser();
const page = browser.page;
const figures = { open: [], openPainted: [], enemyStats: [], enemyStatsPainted: [], enemyStatsComplete: [], store: [] };
try {
  for (let run = 0; run < runs; run++) {
    await browser.load();
    await openImage(page, sample);
    figures.open.push(await between(page, 'open-start', 'table-shown'));
    figures.openPainted.push(await between(page, 'open-start', 'table-painted'));
    await clearMarks(page);
    await chooseTable(page, 'enemy-stats');
    figures.enemyStats.push(await between(page, 'table-start', 'table-shown'));
    figures.enemyStatsPainted.push(await between(page, 'table-start', 'table-painted'));
    figures.enemyStatsComplete.push(await between(page, 'table-start', 'table-complete'));
    await cell(page, 'enemy-stats', 7, 'hp').click();
    await page.keyboard.type(String(1000 + run));
    await page.keyboard.press('Enter');
    figures.store.push(await between(page, 'store-start', 'store-end'));
  }
} finally {
  await browser.close();
  files.remove();
}

const ms = (v) => `${v.toFixed(1)} ms`;
console.log(`web edition, chromium headless, median of ${runs} runs (sample image, 4 MiB):`);
console.log(`  open image -> first table in the page     ${ms(median(figures.open))}  (painted: ${ms(median(figures.openPainted))}; target 150 ms)`);
console.log(`  switch to enemy-stats (256 rows)          ${ms(median(figures.enemyStats))}  (painted: ${ms(median(figures.enemyStatsPainted))}; target 50 ms)`);
console.log(`  ... every one of its rows in the page       ${ms(median(figures.enemyStatsComplete))}  (the first screen comes first)`);
console.log(`  store one cell                            ${ms(median(figures.store))}  (target 2 ms)`);
let raw = 0, gzip = 0, brotli = 0;
for (const name of readdirSync(site)) {
  const bytes = readFileSync(join(site, name));
  raw += bytes.length;
  gzip += gzipSync(bytes, { level: 9 }).length;
  brotli += brotliCompressSync(bytes, { params: { [constants.BROTLI_PARAM_QUALITY]: 11 } }).length;
}
const kb = (v) => `${(v / 1000).toFixed(1)} KB`;
console.log(`  everything the page loads: ${kb(raw)}; gzip ${kb(gzip)}, brotli ${kb(brotli)} (target 400 KB compressed)`);
