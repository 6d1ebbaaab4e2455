// Bundles the page with esbuild into the site folder:
//   node web/tools/bundle.mjs WASM_BUILD_DIR SITE_DIR
import { build } from 'esbuild';
import { copyFileSync, mkdirSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const [wasmDir, site] = process.argv.slice(2);
if (!wasmDir || !site) {
  console.error('usage: node web/tools/bundle.mjs WASM_BUILD_DIR SITE_DIR');
  process.exit(2);
}
const web = join(dirname(fileURLToPath(import.meta.url)), '..');
mkdirSync(site, { recursive: true });
await build({
  entryPoints: [join(web, 'src/main.ts')],
  outfile: join(site, 'app.js'),
  bundle: true,
  format: 'esm',
  target: 'es2022',
  minify: true,
  sourcemap: false,
  alias: { 'veldra-core': join(wasmDir, 'veldra_core.mjs') },
  logLevel: 'warning',
});
copyFileSync(join(wasmDir, 'veldra_core.wasm'), join(site, 'veldra_core.wasm'));
for (const file of ['index.html', 'style.css']) copyFileSync(join(web, file), join(site, file));
