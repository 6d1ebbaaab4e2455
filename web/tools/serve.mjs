// Serves the built page for trying it: node web/tools/serve.mjs SITE_DIR [PORT]
// Only the loopback address listens; a port of 0 takes any free one.
import { startServer } from './static_server.mjs';

const [site, port = '8080'] = process.argv.slice(2);
if (!site) {
  console.error('usage: node web/tools/serve.mjs SITE_DIR [PORT]');
  process.exit(2);
}
const server = await startServer(site, Number(port));
console.log(`Veldra Forge (web) at ${server.url}  (Ctrl+C ends)`);
