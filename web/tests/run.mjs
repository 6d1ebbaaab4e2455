// The page's tests as CTest runs them: node web/tests/run.mjs SITE_DIR VELDRA_CLI SAMPLE_MAKER
// Skipped (exit 77) where the page was not built: ./forge test builds it first.
import { spawnSync } from 'node:child_process';
import { existsSync, readdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [site, cli, sample] = process.argv.slice(2);
if (!site || !cli || !sample) {
  console.error('usage: node web/tests/run.mjs SITE_DIR VELDRA_CLI SAMPLE_MAKER');
  process.exit(2);
}
if (!existsSync(join(site, 'index.html')) || !existsSync('/usr/bin/chromium')) {
  console.log(`the web edition is not built in ${site} (or chromium is missing): ./forge test builds both`);
  process.exit(77);
}
const here = dirname(fileURLToPath(import.meta.url));
const files = readdirSync(here).filter((f) => f.endsWith('.test.mjs')).map((f) => join(here, f));
// one file at a time, each in a runner of its own (each starts a browser):
// Debian 12's Node (18) has no --test-concurrency
let status = 0;
for (const file of files) {
  const run = spawnSync(process.execPath, ['--test', file], {
    stdio: 'inherit',
    env: { ...process.env, VELDRA_WEB_DIR: site, VELDRA_CLI: cli, VELDRA_SAMPLE: sample },
  });
  if (run.status !== 0) status = run.status ?? 1;
}
process.exit(status);
