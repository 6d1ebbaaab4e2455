// Pictures of the web edition for the README (./forge screenshots): the sample
// image open in a 1280x720 window, light and dark, and at 200 % zoom.
//   node web/tests/screenshots.mjs SITE_DIR SAMPLE_MAKER OUT_DIR
import { join } from 'node:path';

const [site, sampleMaker, out] = process.argv.slice(2);
process.env.VELDRA_WEB_DIR = site;
process.env.VELDRA_SAMPLE = sampleMaker;
const { cell, chooseTable, makeSample, openBrowser, openImage, scratch } = await import('./support.mjs');

const files = scratch();
const sample = makeSample(files.path('sample.sfc'));
const browser = await openBrowser();
const page = browser.page;
try {
  for (const [scheme, zoom, name] of [['light', 1, 'web-light.png'], ['dark', 1, 'web-dark.png'], ['light', 2, 'web-zoom200.png']]) {
    await page.emulateMedia({ colorScheme: scheme });
    // 200 % zoom: the same window holds half as many CSS pixels
    await page.setViewportSize({ width: 1280 / zoom, height: 720 / zoom });
    await browser.load();
    await openImage(page, sample);
    await chooseTable(page, 'weapons');
    await cell(page, 'weapons', 4, 'attack').click();
    await page.keyboard.type('120');
    await page.keyboard.press('Enter');
    await cell(page, 'weapons', 5, 'attack').click();
    await page.keyboard.type('300x');
    await page.keyboard.press('Enter');
    await page.screenshot({ path: join(out, name), scale: 'css' });
  }
} finally {
  await browser.close();
  files.remove();
}
