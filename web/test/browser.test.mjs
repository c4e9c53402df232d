// The browser build played in Debian's headless Chromium: the page loads from
// a localhost server, the keys drive the car, a shot blasts a hole, and Esc
// ends the game. Every wait counts game frames, never wall time.
//
// What it relies on in the shipped level: the car starts at cell (1, 1)
// facing west on open floor; driving backwards (east) it stops at x = 8,
// where the wall starts at column 13 in rows 1 to 5, one not on the level's
// border. Facing east there, a shot hits that wall at once.
import assert from 'node:assert/strict';
import { mkdtemp, rm, stat } from 'node:fs/promises';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

import { PAGE, pageUrl, startServer } from '../serve.mjs';

const here = path.dirname(fileURLToPath(import.meta.url));
const buildDir = path.resolve(here, '..', '..', 'build', 'web');

const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
  '--no-first-run',
];

// Room for a factor of 2: 1280 x 960 canvas pixels with the key list below.
const VIEWPORT = { width: 1400, height: 1100 };

const MAP_W = 80;
const MAP_H = 60;
const CELL = 8;
const FLOOR = [0, 0, 170]; // palette colour 1
const BORDER = [85, 85, 85]; // colour 8
const BRICK = [170, 85, 0]; // colour 6

const CAR_START = { x: 1, y: 1 };
const CAR_BLOCKED_X = 8; // column 13 (CAR_BLOCKED_X + 5) is wall in rows 1..5
const CAR_SIZE = 5;

let server;
let userDataDir;
let context;
let page;
const problems = [];

// The colour of every canvas cell, read from the middle of its 8 x 8 block,
// and the status line's pixels (text row 1, columns 1 to 38).
async function snapshot() {
  return page.evaluate(
    ({ mapW, mapH, cell }) => {
      const ctx = document.getElementById('canvas').getContext('2d');
      const all = ctx.getImageData(0, 0, mapW * cell, mapH * cell).data;
      const cells = [];
      for (let y = 0; y < mapH; ++y) {
        for (let x = 0; x < mapW; ++x) {
          const at = ((y * cell + 4) * mapW * cell + x * cell + 4) * 4;
          cells.push([all[at], all[at + 1], all[at + 2]]);
        }
      }
      const status = Array.from(ctx.getImageData(0, 0, 38 * 8, 8).data);
      return { cells, status, frame: Module.shownFrame };
    },
    { mapW: MAP_W, mapH: MAP_H, cell: CELL },
  );
}

const at = (shot, x, y) => shot.cells[y * MAP_W + x];
const isFloor = (colour) => colour[0] === FLOOR[0] && colour[1] === FLOOR[1] && colour[2] === FLOOR[2];

// The colours of the rectangle x0..x0+w-1, y0..y0+h-1, column by column.
function region(shot, x0, y0, w, h) {
  const columns = [];
  for (let x = x0; x < x0 + w; ++x) {
    const column = [];
    for (let y = y0; y < y0 + h; ++y) {
      column.push(at(shot, x, y).join(','));
    }
    columns.push(column);
  }
  return columns;
}

const frames = () => page.evaluate(() => Module.frames);

// Resolves once frame n has finished and its picture is in the canvas.
async function untilShown(n) {
  await page.waitForFunction((want) => Module.shownFrame >= want, n, { polling: 5, timeout: 20_000 });
}

// Holds a key while exactly the next `count` frames run: pressed right after
// one frame, released right after the count-th frame that follows, so that the
// 10 ms key samples around each edge lie far from any frame's start.
async function holdFor(key, count) {
  const start = (await frames()) + 1;
  await page.waitForFunction((want) => Module.frames >= want, start, { polling: 5 });
  await page.keyboard.down(key);
  await page.waitForFunction((want) => Module.frames >= want, start + count, { polling: 5 });
  await page.keyboard.up(key);
  return start + count;
}

before(async () => {
  await stat(path.join(buildDir, PAGE)).catch(() => {
    throw new Error(`${path.join(buildDir, PAGE)} is missing: build it with "make web"`);
  });
  server = await startServer(buildDir);
  userDataDir = await mkdtemp(path.join(os.tmpdir(), 'carblast-chromium-'));
  context = await chromium.launchPersistentContext(userDataDir, {
    executablePath: CHROMIUM,
    headless: true,
    args: CHROMIUM_ARGS,
    viewport: VIEWPORT,
  });
  page = context.pages()[0] ?? (await context.newPage());
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') {
      problems.push(`console error: ${message.text()}`);
    }
  });
  await page.goto(pageUrl(server));
});

after(async () => {
  await context?.close();
  await new Promise((resolve) => (server ? server.close(resolve) : resolve()));
  if (userDataDir) {
    await rm(userDataDir, { recursive: true, force: true });
  }
});

test('the page shows the game crisply, and the canvas takes the focus', async () => {
  await untilShown(2);
  const layout = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const box = canvas.getBoundingClientRect();
    return {
      focused: document.activeElement === canvas,
      tabIndex: canvas.tabIndex,
      width: box.width * window.devicePixelRatio,
      height: box.height * window.devicePixelRatio,
      keys: document.getElementById('keys').innerText,
    };
  });
  assert.ok(layout.focused, 'the canvas has the focus after loading');
  assert.equal(layout.tabIndex, 0);
  assert.equal(layout.width, 1280, 'a whole factor (2) of 640 that fits the window');
  assert.equal(layout.height, 960);
  assert.match(layout.keys, /Esc/);

  // In a window too small for the picture the factor stays 1 and the page
  // scrolls, but not on the keys the game takes for itself.
  await page.setViewportSize({ width: 700, height: 420 });
  await page.waitForFunction(() => document.getElementById('canvas').style.width === '640px');
  assert.ok(await page.evaluate(() => document.documentElement.scrollHeight > window.innerHeight));
  await page.keyboard.press('Space');
  await untilShown((await frames()) + 2);
  assert.equal(await page.evaluate(() => window.scrollY), 0, 'Space does not scroll the page');
  await page.setViewportSize(VIEWPORT);
  await page.waitForFunction(() => document.getElementById('canvas').style.width === '1280px');

  await page.evaluate(() => document.getElementById('canvas').blur());
  await page.click('#canvas');
  assert.ok(await page.evaluate(() => document.activeElement === document.getElementById('canvas')));
});

test('the keys drive the car, a shot blasts a hole and scores, Esc ends the game', async () => {
  // The click's pointer events are queued too; one is taken per frame.
  await untilShown((await frames()) + 10);
  const start = await snapshot();
  assert.deepEqual(at(start, 0, 1), BORDER, 'the level is drawn in the VGA palette');
  assert.deepEqual(at(start, 13, 1), BRICK);
  const carAtStart = region(start, CAR_START.x, CAR_START.y, CAR_SIZE, CAR_SIZE);
  assert.ok(carAtStart.flat().some((c) => c !== FLOOR.join(',')), 'the car is drawn at its start');

  // Backwards, facing west: east until the wall stops the car.
  const driven = await holdFor('ArrowDown', 12);
  await untilShown(driven + 1);
  const afterDrive = await snapshot();
  for (let x = CAR_START.x; x < CAR_BLOCKED_X; ++x) {
    for (let y = CAR_START.y; y < CAR_START.y + CAR_SIZE; ++y) {
      assert.ok(isFloor(at(afterDrive, x, y)), `the car has left cell (${x}, ${y})`);
    }
  }
  const carWest = region(afterDrive, CAR_BLOCKED_X, CAR_START.y, CAR_SIZE, CAR_SIZE);
  assert.ok(carWest.flat().some((c) => c !== FLOOR.join(',')), 'the car stands at the wall');
  assert.deepEqual(at(afterDrive, CAR_BLOCKED_X + CAR_SIZE, 3), at(start, CAR_BLOCKED_X + CAR_SIZE, 3));
  assert.notDeepEqual(afterDrive.status, start.status, 'the status line shows the new column');

  // Two quarter turns to the right, one on the arrow and one on the keypad:
  // facing east, the car's picture is its west picture mirrored.
  await holdFor('ArrowRight', 1);
  const turned = await holdFor('Numpad6', 1);
  await untilShown(turned + 1);
  const afterTurn = await snapshot();
  const carEast = region(afterTurn, CAR_BLOCKED_X, CAR_START.y, CAR_SIZE, CAR_SIZE);
  assert.deepEqual(carEast, [...carWest].reverse(), 'the car faces east');
  assert.notDeepEqual(afterTurn.status, afterDrive.status, 'the status line shows the new direction');

  // Releasing Ctrl fires; the first cell beyond the car's front is wall.
  const fired = await holdFor('ControlLeft', 1);
  await untilShown(fired + 4);
  const afterShot = await snapshot();
  const blast = [];
  for (let x = CAR_BLOCKED_X + CAR_SIZE; x <= CAR_BLOCKED_X + CAR_SIZE + 2; ++x) {
    for (let y = 1; y <= 5; ++y) {
      assert.ok(!isFloor(at(afterTurn, x, y)), `cell (${x}, ${y}) was wall`);
      blast.push(isFloor(at(afterShot, x, y)));
    }
  }
  assert.ok(blast.every(Boolean), 'the blast turned the wall in front of the car into floor');
  assert.notDeepEqual(region(afterShot, 60, 5, 20, 5), region(afterTurn, 60, 5, 20, 5), 'the score changed');
  assert.deepEqual(
    region(afterShot, CAR_BLOCKED_X, CAR_START.y, CAR_SIZE, CAR_SIZE),
    carEast,
    'the car stayed where it was',
  );

  // Esc counts when a 10 ms sample sees it held; the game then ends at once.
  await page.keyboard.down('Escape');
  await page.waitForFunction(() => Module.ended, null, { polling: 5, timeout: 5_000 });
  await page.keyboard.up('Escape');
  const end = await page.evaluate(() => ({
    code: Module.exitCode,
    canvasShown: !document.getElementById('canvas').hidden,
    message: document.getElementById('ended').hidden ? '' : document.getElementById('ended').innerText,
    frames: Module.frames,
  }));
  assert.equal(end.code, 0);
  assert.equal(end.canvasShown, false, 'the game screen is gone');
  assert.match(end.message, /game has ended/);
  // Nothing runs any more once the game has ended.
  await page.waitForTimeout(300);
  assert.equal(await frames(), end.frames);

  await Promise.all([page.waitForEvent('load'), page.click('#again')]);
  await untilShown(2);
  assert.equal(await page.evaluate(() => Module.ended), false, 'starting again gives a new game');
  assert.deepEqual(problems, []);
});
