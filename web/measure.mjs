// Figures of the browser build, measured in Debian's headless Chromium:
//
//   node web/measure.mjs [folder]      folder defaults to build/web
//
// prints the gzipped size of what the page loads (the data apart), the time
// from the start of the page load to the first game frame on the canvas (the
// median of five loads), and the frame rate over 10 s of game frames.
import { readFile } from 'node:fs/promises';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { gzipSync } from 'node:zlib';

import { chromium } from 'playwright-core';

import { pageUrl, startServer } from './serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const folder = process.argv[2] ?? path.join(here, '..', 'build', 'web');

const kb = (bytes) => `${(bytes / 1024).toFixed(1)} KB`;
let code = 0;
for (const name of ['carblast.html', 'carblast.js', 'carblast.wasm', 'carblast.data']) {
  const bytes = await readFile(path.join(folder, name));
  const gz = gzipSync(bytes, { level: 9 }).length;
  if (name !== 'carblast.data') {
    code += gz;
  }
  console.log(`${name.padEnd(14)} ${kb(bytes.length).padStart(9)}  gzipped ${kb(gz).padStart(8)}`);
}
console.log(`page without the data, gzipped: ${kb(code)}`);

const server = await startServer(folder);
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  headless: true,
  args: [
    '--no-sandbox',
    '--disable-gpu',
    '--disable-background-networking',
    '--disable-component-update',
    '--disable-sync',
    '--no-first-run',
  ],
});
try {
  const firsts = [];
  for (let i = 0; i < 5; ++i) {
    const page = await browser.newPage();
    await page.goto(pageUrl(server));
    await page.waitForFunction(() => Module.firstFrameShownMs > 0, null, { polling: 5 });
    firsts.push(await page.evaluate(() => Module.firstFrameShownMs));
    await page.close();
  }
  firsts.sort((a, b) => a - b);
  console.log(`page load to first frame: median ${firsts[2].toFixed(0)} ms (${firsts.map((t) => t.toFixed(0)).join(', ')})`);

  const page = await browser.newPage();
  await page.goto(pageUrl(server));
  await page.waitForFunction(() => Module.frames >= 5, null, { polling: 5 });
  const rate = await page.evaluate(
    () =>
      new Promise((resolve) => {
        // From one frame's end to the end of the frame 100 frames later.
        const first = Module.frames;
        let begun = 0;
        const watch = () => {
          const now = performance.now();
          if (begun === 0 && Module.frames > first) {
            begun = now;
            watch.from = Module.frames;
          }
          if (begun !== 0 && Module.frames >= watch.from + 100) {
            resolve({ frames: Module.frames - watch.from, seconds: (now - begun) / 1000 });
            return;
          }
          setTimeout(watch, 1);
        };
        watch();
      }),
  );
  console.log(
    `frame rate: ${rate.frames} frames in ${rate.seconds.toFixed(3)} s = ${(rate.frames / rate.seconds).toFixed(2)} frames per second`,
  );
  await page.close();
} finally {
  await browser.close();
  server.close();
}
