// What the page's tests share: the built page served on the loopback address,
// Debian's chromium driven by playwright-core, the generated sample image and
// the command-line tool to compare with.
import { chromium } from 'playwright-core';
import { execFileSync, spawnSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync, copyFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { startServer } from '../tools/static_server.mjs';

export const site = process.env.VELDRA_WEB_DIR;
export const cli = process.env.VELDRA_CLI;
const sampleMaker = process.env.VELDRA_SAMPLE;

const chromiumFlags = [
  '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

// A folder of its own for each run's files, removed at the end.
export function scratch() {
  const dir = mkdtempSync(join(tmpdir(), 'veldra-web-'));
  return { dir, path: (name) => join(dir, name), remove: () => rmSync(dir, { recursive: true, force: true }) };
}

export function makeSample(path) {
  execFileSync(sampleMaker, [path]);
  return path;
}

// Runs the tool; its exit status, standard output and error.
export function tool(...args) {
  const run = spawnSync(cli, args, { encoding: 'utf8' });
  return { status: run.status, out: run.stdout, err: run.stderr };
}

// `veldra-cli set` on a copy of `image`; the copy's bytes.
export function toolSet(image, copyPath, edits) {
  copyFileSync(image, copyPath);
  for (const [table, index, assignment] of edits) {
    const run = tool('set', copyPath, table, String(index), assignment);
    if (run.status !== 0) throw new Error(`veldra-cli set ${table} ${index} ${assignment}: ${run.err}`);
  }
  return readFileSync(copyPath);
}

// The reason the tool gives for refusing one value.
export function toolReason(image, table, index, assignment) {
  const run = tool('set', image, table, String(index), assignment, '--dry-run');
  if (run.status !== 1) throw new Error(`expected a refusal of ${assignment}, got ${run.status}: ${run.out}${run.err}`);
  const where = `${table}[${index}].${assignment.slice(0, assignment.indexOf('='))}: `;
  const at = run.err.indexOf(`  ${where}`);
  if (at < 0) throw new Error(`no refusal line for ${where} in ${run.err}`);
  // the tool indents the continuation lines of a reason under it
  return run.err.slice(at + 2 + where.length).replace(/\n$/, '').replace(/\n {4}/g, '\n');
}

// The page in a fresh browser profile; every request the page makes is kept.
export async function openBrowser() {
  const server = await startServer(site, 0);
  const profile = mkdtempSync(join(tmpdir(), 'veldra-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: chromiumFlags,
    viewport: { width: 1280, height: 720 },
    acceptDownloads: true,
  });
  const requests = [];
  context.on('request', (request) => requests.push(request.url()));
  const page = context.pages()[0] ?? (await context.newPage());
  const errors = [];
  page.on('pageerror', (error) => errors.push(String(error)));
  return {
    server,
    context,
    page,
    requests,
    errors,
    async load() {
      await page.goto(server.url);
      await page.waitForSelector('body[data-ready="true"]');
    },
    async close() {
      await context.close();
      await server.close();
      rmSync(profile, { recursive: true, force: true });
    },
  };
}

export async function openImage(page, path) {
  await page.getByLabel('Open image').setInputFiles(path);
}

// The editable cell of a field: a text cell, or a bit's check box.
export function cell(page, table, index, key) {
  return page.locator(`#grid [data-table="${table}"][data-index="${index}"][data-key="${key}"]`);
}

// What a text cell shows (its editor's text while it is edited).
export async function cellText(page, table, index, key) {
  return cell(page, table, index, key).evaluate((td) => {
    const editor = td.querySelector('input.editor');
    return editor ? editor.value : td.firstChild?.nodeType === Node.TEXT_NODE ? td.firstChild.textContent : '';
  });
}

export async function chooseTable(page, key) {
  await page.getByLabel('Table', { exact: true }).selectOption(key);
  await page.locator(`#grid [data-table="${key}"]`).first().waitFor({ state: 'attached' });
  // every row in (the first screen comes at once, the rest a frame after)
  await page.locator('#grid:not([aria-busy])').waitFor({ state: 'attached' });
}

// Types into a cell as a user would and presses Enter.
export async function typeInto(page, table, index, key, text) {
  await chooseTable(page, table);
  await cell(page, table, index, key).click();
  await page.keyboard.press('ControlOrMeta+a');
  await page.keyboard.type(text);
  await page.keyboard.press('Enter');
}

// Clicks a button and saves what it downloads; its name and bytes.
export async function downloadFrom(page, buttonName, dir) {
  const [download] = await Promise.all([
    page.waitForEvent('download'),
    page.getByRole('button', { name: buttonName, exact: true }).click(),
  ]);
  const path = join(dir, `download-${Date.now()}-${download.suggestedFilename()}`);
  await download.saveAs(path);
  return { name: download.suggestedFilename(), path, bytes: readFileSync(path) };
}

// The byte ranges of records, from the tool's table list: [first, end).
export function recordRanges(records) {
  const tables = JSON.parse(tool('tables', '--json').out);
  return records.map(([table, index]) => {
    const t = tables.find((x) => x.name === table);
    const first = t.base + index * t.record_size;
    return [first, first + t.record_size];
  });
}

// Positions where two images differ.
export function differingPositions(a, b) {
  const positions = [];
  const length = Math.max(a.length, b.length);
  for (let i = 0; i < length; i++) if (a[i] !== b[i]) positions.push(i);
  return positions;
}

export { writeFileSync, readFileSync };
