// Plays the browser build in headless Chromium and checks what the page
// shows by its pixels: the attract screen's colours, the stage start and
// its maze against pictures the native game drew (chompo-sim), the player
// under held keys and the touch pad, pausing in a hidden tab, the best
// score across a reload, the goodbye, sound reaching the speakers, the
// picture's scale, and the size of what the page loads.
//
//   node browser_test.js WEB_FOLDER REFERENCE_FOLDER [SCREENSHOT_FOLDER]
//
// REFERENCE_FOLDER holds attract.png (the attract screen once every ghost
// is shown) and start.png (the stage start), captured by chompo-sim.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const [webFolder, referenceFolder, shotFolder] = process.argv.slice(2).map((folder) => path.resolve(folder));
if (!webFolder || !referenceFolder) {
  console.error('usage: node browser_test.js WEB_FOLDER REFERENCE_FOLDER [SCREENSHOT_FOLDER]');
  process.exit(64);
}

const CHROMIUM = process.env.CHROMIUM || '/usr/bin/chromium';
// This network refuses Chromium's own connections: it must not try any.
const CHROMIUM_FLAGS = [
  '--headless=new',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];
const SIZE_BUDGET_BYTES = 2 * 1024 * 1024;
const VIEWPORT = {
  width: 1024,
  height: 768
};

// The game's layout: the maze left of the score column, the best score's
// digits in the column's third line.
const MAZE = {
  x0: 0,
  y0: 0,
  x1: 262,
  y1: 240
};
const BEST_SCORE = {
  x0: 270,
  y0: 40,
  x1: 320,
  y1: 58
};
const PLAYER_COLOUR = [255, 227, 0];
// The ghosts' body colours; each ghost is the only thing of its colour in the maze.
const GHOST_COLOURS = [
  [255, 0, 0],
  [255, 186, 222],
  [0, 255, 222],
  [255, 186, 66],
];

const results = [];
const figures = [];

function check(name, ok, detail) {
  results.push({name, ok: Boolean(ok), detail});
  console.log(`${ok ? 'ok' : 'not ok'} - ${name}${detail ? ` (${detail})` : ''}`);
}

function figure(name, value) {
  figures.push(`${name}: ${value}`);
  console.log(`# ${name}: ${value}`);
}

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// The page's folder, and the references under /reference/, on this
// machine's own address.
function serve() {
  const types = {
    '.html': 'text/html; charset=utf-8',
    '.js': 'text/javascript',
    '.css': 'text/css',
    '.wasm': 'application/wasm',
    '.png': 'image/png',
  };
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let name = decodeURIComponent(url.pathname);
    let folder = webFolder;
    if (name.startsWith('/reference/')) {
      folder = referenceFolder;
      name = name.slice('/reference'.length);
    }
    if (name.endsWith('/')) name += 'index.html';
    const file = path.join(folder, path.normalize(name));
    if (!file.startsWith(path.resolve(folder))) {
      response.writeHead(403).end();
      return;
    }
    fs.readFile(file, (error, data) => {
      if (error) {
        response.writeHead(404).end();
        return;
      }
      response.writeHead(200, {
        'Content-Type': types[path.extname(file)] || 'application/octet-stream',
        'Cache-Control': 'no-store',
      });
      response.end(data);
    });
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// Test helpers inside the page: the canvas's pixels, compared and measured
// there rather than shipped out frame by frame.
function installHelpers() {
  const kept = {};
  const canvasPixels = () => {
    const canvas = document.getElementById('screen');
    return canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
  };
  const decode = async (url) => {
    const bitmap = await createImageBitmap(await (await fetch(url)).blob());
    const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
    const context = canvas.getContext('2d');
    context.drawImage(bitmap, 0, 0);
    return context.getImageData(0, 0, bitmap.width, bitmap.height);
  };
  window.chompoTest = {
    keep(name) {
      kept[name] = canvasPixels();
    },
    async keepReference(name, url) {
      kept[name] = await decode(url);
    },
    // The red, green and blue of every pixel inside a box, row by row.
    region(name, box) {
      const image = name ? kept[name] : canvasPixels();
      const values = [];
      for (let y = box.y0; y < box.y1; y++) {
        for (let x = box.x0; x < box.x1; x++) {
          const i = (y * image.width + x) * 4;
          values.push(image.data[i], image.data[i + 1], image.data[i + 2]);
        }
      }
      return values;
    },
    colours(name) {
      const image = name ? kept[name] : canvasPixels();
      const found = new Set();
      for (let i = 0; i < image.data.length; i += 4) {
        found.add(`${image.data[i]},${image.data[i + 1]},${image.data[i + 2]}`);
      }
      return [...found];
    },
    // Pixels that differ between two kept pictures (the current canvas when
    // a name is null), inside a box or everywhere.
    differing(a, b, box) {
      const first = a ? kept[a] : canvasPixels();
      const second = b ? kept[b] : canvasPixels();
      if (first.width !== second.width || first.height !== second.height) return -1;
      const area = box || {x0: 0, y0: 0, x1: first.width, y1: first.height};
      let count = 0;
      for (let y = area.y0; y < area.y1; y++) {
        for (let x = area.x0; x < area.x1; x++) {
          const i = (y * first.width + x) * 4;
          if (first.data[i] !== second.data[i] || first.data[i + 1] !== second.data[i + 1] ||
              first.data[i + 2] !== second.data[i + 2]) {
            count++;
          }
        }
      }
      return count;
    },
    // The centre of the pixels of one colour inside a box.
    centre(rgb, box) {
      const image = canvasPixels();
      let sumX = 0;
      let sumY = 0;
      let count = 0;
      for (let y = box.y0; y < box.y1; y++) {
        for (let x = box.x0; x < box.x1; x++) {
          const i = (y * image.width + x) * 4;
          if (image.data[i] === rgb[0] && image.data[i + 1] === rgb[1] && image.data[i + 2] === rgb[2]) {
            sumX += x;
            sumY += y;
            count++;
          }
        }
      }
      return count === 0 ? null : {x: sumX / count, y: sumY / count, count};
    },
    // A screenshot of the page against the canvas: every game pixel must
    // be a scale x scale square of its colour where the canvas lies, and
    // the page black around it (the full-screen button aside).
    async screenshotMatches(base64) {
      const shot = await decode('data:image/png;base64,' + base64);
      const canvas = document.getElementById('screen');
      const box = canvas.getBoundingClientRect();
      const ratio = window.devicePixelRatio;
      const picture = canvasPixels();
      const scale = (box.width * ratio) / picture.width;
      const left = Math.round(box.left * ratio);
      const top = Math.round(box.top * ratio);
      let wrongInside = 0;
      let wrongOutside = 0;
      const button = document.getElementById('full-screen').getBoundingClientRect();
      for (let y = 0; y < shot.height; y++) {
        for (let x = 0; x < shot.width; x++) {
          const i = (y * shot.width + x) * 4;
          const overButton = x >= button.left * ratio - 2 && x < button.right * ratio + 2 &&
              y >= button.top * ratio - 2 && y < button.bottom * ratio + 2;
          if (overButton) continue;
          const inside =
              x >= left && x < left + box.width * ratio && y >= top && y < top + box.height * ratio;
          if (inside) {
            const px = Math.floor((x - left) / scale);
            const py = Math.floor((y - top) / scale);
            const j = (py * picture.width + px) * 4;
            if (shot.data[i] !== picture.data[j] || shot.data[i + 1] !== picture.data[j + 1] ||
                shot.data[i + 2] !== picture.data[j + 2]) {
              wrongInside++;
            }
          } else if ((shot.data[i] | shot.data[i + 1] | shot.data[i + 2]) !== 0) {
            wrongOutside++;
          }
        }
      }
      return {
        scale,
        left,
        top,
        width: box.width * ratio,
        height: box.height * ratio,
        wrongInside,
        wrongOutside
      };
    },
  };
}

// Evaluates test in the page (with arg) until it gives a true value or the
// time is up; returns the last value.
async function waitFor(page, test, timeoutMs, stepMs = 100, arg = null) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await page.evaluate(test, arg);
    if (value || Date.now() > end) return value;
    await sleep(stepMs);
  }
}

async function tap(page, key, holdMs = 80) {
  await page.keyboard.down(key);
  await sleep(holdMs);
  await page.keyboard.up(key);
}

async function ghostPlaces(page) {
  return page.evaluate(
      (colours, box) => colours.map((rgb) => window.chompoTest.centre(rgb, box)),
      GHOST_COLOURS,
      MAZE,
  );
}

// How far the ghosts went between two looks, added up; a ghost missing
// from either look counts for nothing.
function travel(first, second) {
  return first.reduce((sum, a, i) => {
    const b = second[i];
    return a && b ? sum + Math.hypot(b.x - a.x, b.y - a.y) : sum;
  }, 0);
}

async function bestScoreRegion(page) {
  return page.evaluate((box) => window.chompoTest.region(null, box), BEST_SCORE);
}

async function playerX(page) {
  const centre = await page.evaluate((rgb, box) => window.chompoTest.centre(rgb, box), PLAYER_COLOUR, MAZE);
  return centre === null ? null : centre.x;
}

// Holds a key and reports how far the player went along x.
async function holdAndMeasure(page, key, holdMs) {
  const before = await playerX(page);
  const started = Date.now();
  await page.keyboard.down(key);
  await sleep(holdMs);
  const after = await playerX(page);
  const elapsed = Date.now() - started;
  await page.keyboard.up(key);
  return {before, after, elapsed};
}

async function screenshot(page, name) {
  if (!shotFolder) return;
  fs.mkdirSync(shotFolder, {recursive: true});
  await page.screenshot({path: path.join(shotFolder, `${name}.png`)});
}

async function cpuShare(session, ms) {
  const read = async () => {
    const {metrics} = await session.send('Performance.getMetrics');
    return Object.fromEntries(metrics.map((m) => [m.name, m.value]));
  };
  const before = await read();
  await sleep(ms);
  const after = await read();
  return (after.TaskDuration - before.TaskDuration) / (after.Timestamp - before.Timestamp);
}

async function main() {
  const server = await serve();
  const origin = `http://127.0.0.1:${server.address().port}`;
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'chompo-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    userDataDir: profile,
    args: CHROMIUM_FLAGS,
    defaultViewport: VIEWPORT,
  });
  try {
    await desktopRun(browser, origin);
    await touchRun(browser, origin);
  } finally {
    await browser.close();
    server.close();
    fs.rmSync(profile, {recursive: true, force: true});
  }
}

async function openGame(browser, origin, setUp) {
  const page = await browser.newPage();
  const errors = [];
  const requests = [];
  page.on('pageerror', (error) => errors.push(error.message));
  page.on('console', (message) => {
    if (message.type() === 'error') errors.push(message.text());
  });
  page.on('response', async (response) => {
    const url = response.url();
    if (!url.startsWith(origin) || url.includes('/reference/')) return;
    const body = await response.buffer().catch(() => Buffer.alloc(0));
    requests.push({url: url.slice(origin.length), status: response.status(), bytes: body.length});
  });
  await page.evaluateOnNewDocument(installHelpers);
  if (setUp) await setUp(page);
  const started = Date.now();
  await page.goto(`${origin}/`, {waitUntil: 'load'});
  return {page, errors, requests, started};
}

async function desktopRun(browser, origin) {
  // What the page loads, as served.
  const total =
      fs.readdirSync(webFolder).reduce((sum, name) => sum + fs.statSync(path.join(webFolder, name)).size, 0);
  const {page, errors, requests} = await openGame(browser, origin);
  const session = await page.createCDPSession();
  await session.send('Performance.enable');
  await page.evaluate(() => window.chompoTest.keepReference('attract', '/reference/attract.png'));
  await page.evaluate(() => window.chompoTest.keepReference('start', '/reference/start.png'));

  // The attract screen: every colour the native game shows once all four
  // ghosts are in the table, the ghosts' own among them.
  const wanted = await page.evaluate(() => window.chompoTest.colours('attract'));
  const attractSeen = await waitFor(
      page,
      (colours) => {
        const shown = new Set(window.chompoTest.colours());
        return colours.every((colour) => shown.has(colour)) ? performance.now() : null;
      },
      20000,
      200,
      wanted,
  );
  const attractFound = await page.evaluate((colours) => {
    const shown = new Set(window.chompoTest.colours());
    return colours.filter((colour) => shown.has(colour)).length;
  }, wanted);
  check(
      'the attract screen shows every colour of the native attract screen, the four ghosts among them',
      attractFound === wanted.length,
      `${attractFound} of ${wanted.length} colours`,
  );
  await screenshot(page, 'attract');
  // Everything the page loads has come by now.
  const firstLoad = requests.length;
  const stats = await page.evaluate(() => Module.chompo.stats);
  figure(
      'start to first picture (ms)',
      stats.firstPictureMs === null ? 'none' : stats.firstPictureMs.toFixed(0));
  if (attractSeen) figure('start to all four ghosts shown (ms)', attractSeen.toFixed(0));
  figure('CPU share on the attract screen', (100 * (await cpuShare(session, 3000))).toFixed(1) + '%');

  check(
      'the touch controls stay hidden without a touch screen',
      await page.evaluate(() => getComputedStyle(document.getElementById('pad')).display === 'none'),
  );

  // Space: the stage starts, drawn exactly as the native game draws it.
  await tap(page, 'Space');
  const startShown = await waitFor(page, () => window.chompoTest.differing(null, 'start') === 0, 5000, 50);
  const lastDiff = await page.evaluate(() => window.chompoTest.differing(null, 'start'));
  check(
      'Space starts a stage: "START!!" over the maze, exactly as the native game draws it',
      startShown,
      `${lastDiff} pixels differ`,
  );
  await screenshot(page, 'start');

  // The picture, still for the stage start's pause: whole-number scale,
  // crisp, black borders.
  const fit = await page.evaluate(
      (base64) => window.chompoTest.screenshotMatches(base64),
      await page.screenshot({encoding: 'base64'}),
  );
  check(
      'the picture fills the page at the largest whole-number scale, every game pixel a crisp square, the rest black',
      fit.scale === Math.floor(Math.min(VIEWPORT.width / 320, VIEWPORT.height / 240)) &&
          Number.isInteger(fit.scale) && fit.wrongInside === 0 && fit.wrongOutside === 0,
      `scale ${fit.scale}, ${fit.wrongInside} wrong pixels in the picture, ${fit.wrongOutside} outside`,
  );
  // Full screen: the button, and Alt+Enter back; the picture fits the screen.
  await page.click('#full-screen');
  const full =
      await waitFor(page, () => (document.fullscreenElement ? Module.chompo.stats.scale : null), 2000);
  await page.keyboard.down('Alt');
  await tap(page, 'Enter');
  await page.keyboard.up('Alt');
  const back = await waitFor(page, () => document.fullscreenElement === null, 2000);
  check(
      'the full-screen button fills the screen and Alt+Enter leaves it',
      full !== null && back,
      `scale ${full} in full screen, ${back ? 'left' : 'still'} after Alt+Enter`,
  );
  const sound = await waitFor(
      page,
      () => {
        const audio = Module.chompo.audioStats();
        return audio && audio.state === 'running' && audio.peak > 0 ? audio : null;
      },
      3000,
  );
  const audio = sound || (await page.evaluate(() => Module.chompo.audioStats()));
  check(
      'after the first key the sound runs and the stage start is heard',
      sound !== null,
      audio ? `state ${audio.state}, worklet ${audio.worklet}, ${audio.requests} refills, peak ${
                  audio.peak.toFixed(2)}` :
              'no sound',
  );
  if (audio) {
    const ms = (seconds) => (seconds * 1000).toFixed(1);
    figure(
        'sound latency (ms)',
        `${ms(audio.queuedSeconds)} queued on average + ${ms(audio.baseLatency)} base + ` +
            `${ms(audio.outputLatency)} output, at ${audio.rate} Hz; ${audio.starved} starved blocks`,
    );
  }

  // Play: the player starts moving left; held arrows turn it round.
  const playing = await waitFor(page, () => window.chompoTest.differing(null, 'start', null) > 0, 8000, 50);
  await sleep(300);
  const bestAtFirst = await bestScoreRegion(page);
  await screenshot(page, 'play');
  const right = await holdAndMeasure(page, 'ArrowRight', 1000);
  const left = await holdAndMeasure(page, 'ArrowLeft', 700);
  check(
      'held arrows move the player: right, then left',
      playing && right.before !== null && right.after - right.before > 20 && left.after - left.before < -20,
      `right ${right.before && right.before.toFixed(0)} -> ${right.after && right.after.toFixed(0)}, ` +
          `left ${left.before && left.before.toFixed(0)} -> ${left.after && left.after.toFixed(0)}`,
  );
  // Left on its own, the player keeps going: its pace, for the record.
  const paceFrom = {x: await playerX(page), t: Date.now()};
  await sleep(500);
  const paceTo = {x: await playerX(page), t: Date.now()};
  if (paceFrom.x !== null && paceTo.x !== null) {
    figure(
        'player speed (px/s; the native game moves it 1 px per 17 ms frame, 58.8)',
        ((1000 * (paceFrom.x - paceTo.x)) / (paceTo.t - paceFrom.t)).toFixed(1),
    );
  }
  figure('CPU share in play', (100 * (await cpuShare(session, 2000))).toFixed(1) + '%');

  // Another tab in front: the game pauses, and carries on when back. The
  // ghosts' travel tells: next to none across the hidden time.
  const other = await browser.newPage();
  await page.bringToFront();
  await sleep(200);
  const beforeHiding = await ghostPlaces(page);
  await other.bringToFront();
  const hidden = await waitFor(page, () => document.visibilityState === 'hidden', 2000);
  await sleep(1500);
  await page.bringToFront();
  await waitFor(page, () => document.visibilityState === 'visible', 2000);
  await sleep(100);
  const afterHiding = await ghostPlaces(page);
  await sleep(1500);
  const afterShowing = await ghostPlaces(page);
  await other.close();
  const whileHidden = travel(beforeHiding, afterHiding);
  const whileShown = travel(afterHiding, afterShowing);
  check(
      'a hidden page pauses play: the ghosts barely move across 1.5 s hidden, against 1.5 s shown',
      hidden && whileShown > 40 && whileHidden * 4 < whileShown,
      `${whileHidden.toFixed(0)} px of ghost travel across the hidden time, ${
          whileShown.toFixed(0)} px shown`,
  );

  // A reload in the middle of a game: the page saves the best score as it
  // goes, so the new game shows the best score the first one reached.
  await page.keyboard.down('ArrowLeft');
  const settled = await waitFor(
      page,
      async (box) => {
        window.chompoTest.keep('scoreA');
        await new Promise((resolve) => setTimeout(resolve, 400));
        return window.chompoTest.differing('scoreA', null, box) === 0;
      },
      8000,
      0,
      BEST_SCORE,
  );
  await page.keyboard.up('ArrowLeft');
  const bestAtReload = await bestScoreRegion(page);
  await page.reload({waitUntil: 'load'});
  const kept = await page.evaluate(() => localStorage.getItem('chompo/state/HighScore.sco'));
  const keptValue = kept === null ? null : Buffer.from(kept, 'base64').readInt32LE(0);
  figure('best score kept by the browser', keptValue);
  await waitFor(page, () => Module.chompo.stats.pictures > 0, 5000);
  await page.evaluate(() => window.chompoTest.keepReference('start', '/reference/start.png'));
  await tap(page, 'Space');
  await waitFor(page, () => window.chompoTest.differing(null, 'start') === 0, 5000, 50);
  await waitFor(page, () => window.chompoTest.differing(null, 'start') > 0, 8000, 50);
  await sleep(200);
  const bestAfterReload = await bestScoreRegion(page);
  const same = (a, b) => a.length === b.length && a.every((value, i) => value === b[i]);
  check(
      'the best score survives a reload in the middle of a game: the new game shows the best score the first one reached',
      settled && keptValue > 0 && !same(bestAtFirst, bestAtReload) && same(bestAtReload, bestAfterReload),
      `kept ${keptValue}; best-score digits ${same(bestAtFirst, bestAtReload) ? 'never changed' : 'changed'} ` +
          `in the first game, ${
              same(bestAtReload, bestAfterReload) ? 'the same' : 'different'} after the reload`,
  );
  await screenshot(page, 'reloaded');

  // Esc: the page says goodbye.
  await tap(page, 'Escape');
  const thanks = await waitFor(
      page,
      () => {
        const shown = (id) => getComputedStyle(document.getElementById(id)).display !== 'none';
        return shown('thanks') && !shown('screen') ? document.getElementById('thanks').textContent : null;
      },
      3000,
  );
  check(
      'Esc quits: the picture gives way to "Thanks for playing — reload to play again"',
      thanks === 'Thanks for playing — reload to play again', String(thanks));
  await screenshot(page, 'thanks');
  check('no errors on the page', errors.length === 0, errors.slice(0, 3).join(' | '));

  const loaded = requests.slice(0, firstLoad).reduce((sum, r) => sum + r.bytes, 0);
  check(
      'the page and everything it loads fit in 2 MB',
      total <= SIZE_BUDGET_BYTES && loaded <= SIZE_BUDGET_BYTES && requests.every((r) => r.status === 200),
      `${total} bytes in the folder, ${loaded} bytes loaded in ${firstLoad} requests`,
  );
  await page.close();
}

async function touchRun(browser, origin) {
  const {page} = await openGame(browser, origin, async (p) => {
    await p.setViewport({width: 390, height: 844, deviceScaleFactor: 2, isMobile: true, hasTouch: true});
  });
  await page.evaluate(() => window.chompoTest.keepReference('start', '/reference/start.png'));
  await waitFor(page, () => Module.chompo.stats.pictures > 0, 5000);
  const padShown =
      await page.evaluate(() => getComputedStyle(document.getElementById('pad')).display !== 'none');
  check('a touch screen gets the direction pad and the Space button', padShown);
  const centreOf = async (selector) => page.evaluate((s) => {
    const box = document.querySelector(s).getBoundingClientRect();
    return {x: box.left + box.width / 2, y: box.top + box.height / 2, width: box.width};
  }, selector);
  const space = await centreOf('#space');
  await page.touchscreen.touchStart(space.x, space.y);
  await sleep(100);
  await page.touchscreen.touchEnd();
  const started = await waitFor(page, () => window.chompoTest.differing(null, 'start') === 0, 5000, 50);
  check('the Space button starts a stage', started);
  await screenshot(page, 'touch');
  await waitFor(page, () => window.chompoTest.differing(null, 'start') > 0, 8000, 50);
  await sleep(300);
  const dpad = await centreOf('#dpad');
  const before = await playerX(page);
  await page.touchscreen.touchStart(dpad.x + dpad.width * 0.35, dpad.y);
  await sleep(1000);
  const after = await playerX(page);
  await page.touchscreen.touchEnd();
  check(
      'holding the pad to the right moves the player right',
      before !== null && after !== null && after - before > 20,
      `${before && before.toFixed(0)} -> ${after && after.toFixed(0)}`,
  );
  await page.close();
}

main()
    .catch((error) => {
      check('the test ran to its end', false, error.stack || String(error));
    })
    .finally(() => {
      const failed = results.filter((r) => !r.ok).length;
      console.log(`browser: ${results.length - failed} passed, ${failed} failed`);
      process.exitCode = failed === 0 && results.length > 0 ? 0 : 1;
    });
