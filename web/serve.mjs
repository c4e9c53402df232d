// Serves the browser build on localhost, on a free port unless one is given.
//
//   node web/serve.mjs [folder] [port]     folder defaults to build/web
//
// Prints the page's address and serves until stopped. The browser test starts
// the same server in its own process through startServer().
import { createReadStream } from 'node:fs';
import { stat } from 'node:fs/promises';
import { createServer } from 'node:http';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

export const PAGE = 'carblast.html';

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.mjs': 'text/javascript; charset=utf-8',
  // The browser compiles the module while it downloads only with this type.
  '.wasm': 'application/wasm',
  '.data': 'application/octet-stream',
  '.css': 'text/css; charset=utf-8',
  '.png': 'image/png',
  '.ico': 'image/x-icon',
};

// The file a request path names inside root, or null when it would lie
// outside it (".." or an encoded slash cannot reach past the folder).
function resolveInside(root, urlPath) {
  let decoded;
  try {
    decoded = decodeURIComponent(urlPath);
  } catch {
    return null;
  }
  if (decoded.includes('\0')) {
    return null;
  }
  const relative = decoded === '/' ? PAGE : decoded.replace(/^\/+/, '');
  const file = path.resolve(root, relative);
  return file === root || file.startsWith(root + path.sep) ? file : null;
}

// Resolves to the listening server once it is bound; port 0 takes a free one.
export function startServer(folder, port = 0, host = '127.0.0.1') {
  const root = path.resolve(folder);
  const server = createServer(async (request, response) => {
    const urlPath = new URL(request.url ?? '/', 'http://localhost').pathname;
    const file = resolveInside(root, urlPath);
    if (request.method !== 'GET' && request.method !== 'HEAD') {
      response.writeHead(405, { Allow: 'GET, HEAD' }).end();
      return;
    }
    let info = null;
    if (file !== null) {
      try {
        info = await stat(file);
      } catch {
        info = null;
      }
    }
    if (info === null || !info.isFile()) {
      response.writeHead(404, { 'Content-Type': 'text/plain; charset=utf-8' }).end('not found\n');
      return;
    }
    response.writeHead(200, {
      'Content-Type': TYPES[path.extname(file)] ?? 'application/octet-stream',
      'Content-Length': info.size,
      // A rebuilt game must never meet a stale copy of its other half.
      'Cache-Control': 'no-store',
    });
    if (request.method === 'HEAD') {
      response.end();
      return;
    }
    createReadStream(file).pipe(response);
  });
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(port, host, () => resolve(server));
  });
}

export function pageUrl(server) {
  const { address, port } = server.address();
  return `http://${address}:${port}/`;
}

const isMain = process.argv[1] && path.resolve(process.argv[1]) === fileURLToPath(import.meta.url);
if (isMain) {
  const here = path.dirname(fileURLToPath(import.meta.url));
  const folder = process.argv[2] ?? path.join(here, '..', 'build', 'web');
  const port = Number(process.argv[3] ?? 0);
  if (!Number.isInteger(port) || port < 0 || port > 65535) {
    console.error(`serve: "${process.argv[3]}" is no port number (0 to 65535)`);
    process.exit(2);
  }
  try {
    const info = await stat(path.join(folder, PAGE));
    if (!info.isFile()) {
      throw new Error('not a file');
    }
  } catch {
    console.error(`serve: ${path.join(folder, PAGE)} is missing; build it with "make web"`);
    process.exit(1);
  }
  const server = await startServer(folder, port).catch((error) => {
    console.error(`serve: cannot listen on port ${port}: ${error.message}`);
    process.exit(1);
  });
  console.log(`carblast is served at ${pageUrl(server)} (Ctrl+C stops the server)`);
}
