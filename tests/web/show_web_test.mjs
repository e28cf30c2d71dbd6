// The show in the page, live, in headless chromium with the music playing
// (the autoplay policy lifted; no sound card is needed, the audio context
// runs on its own clock): the loading bar while the data loads and the
// music decodes, then the prompt; a key starts the show at start=MS; the
// clock follows the music the audio context plays, each frame within its
// own delta and 10 ms; releasing the left and right mouse buttons seeks
// 1000 ms either way; the title counts frames; a hidden page holds the
// clock; Esc ends the show and the page offers to play it again; nothing on
// the page fails.
import assert from 'node:assert/strict';
import { launchBrowser, openPage, serveSite } from '../../web/page_driver.mjs';

const kStartMs = 125000;  // scene 6: among the cheapest frames on a software GPU
const kLiveSec = 3;

const site = process.env.AFTERGLOW_WEB_SITE;
assert.ok(site, 'AFTERGLOW_WEB_SITE: scripts/build-web makes the site');

const pause = (ms) => new Promise((r) => setTimeout(r, ms));

// Polls the page until ready(value) or timeoutMs, then gives the value.
async function until(page, read, ready, what, timeoutMs = 60000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const value = await page.evaluate(read);
    if (ready(value)) return value;
    if (Date.now() > end) throw new Error(`${what}: not after ${timeoutMs} ms; the console:\n${page.lines.join('\n')}`);
    await pause(50);
  }
}
const phaseIs = (page, phase) => until(page, () => window.afterglow.phase(), (p) => p === phase, `phase ${phase}`);
const clockLog = (page) => page.evaluate(() => window.afterglow.clockLog());
const entriesBeyond = (page, count, n = 1) =>
  until(page, () => window.afterglow.clockLog(), (log) => log.length >= count + n, `${n} frames more`);

// The page as shown (a screenshot: the canvas's own buffer is not kept), its
// brightest channel at x along rows y-2 to y+2.
async function brightnessAt(page, x, y) {
  const png = await page.screenshot({ encoding: 'base64' });
  return page.evaluate(async (data, x, y) => {
    const image = new Image();
    image.src = 'data:image/png;base64,' + data;
    await image.decode();
    const canvas = new OffscreenCanvas(image.width, image.height);
    const context = canvas.getContext('2d');
    context.drawImage(image, 0, 0);
    const rgba = context.getImageData(x, y - 2, 1, 5).data;
    return Math.max(...rgba.filter((_, i) => i % 4 !== 3));
  }, png, x, y);
}

const server = await serveSite(site, '/show/');
const browser = await launchBrowser(['--autoplay-policy=no-user-gesture-required']);
try {
  const page = await openPage(browser, `${server.url}?start=${kStartMs}&clocklog=1`);

  // The default 800x600 window: the 16:9 band is 800x450 from y 75, the
  // bar across its middle (y 300) over the middle half (x 200 to 600).
  let barSeen = false;
  while (!barSeen && (await page.evaluate(() => window.afterglow.phase())) === 'loading') {
    const [inside, outside] = [await brightnessAt(page, 400, 300), await brightnessAt(page, 100, 300)];
    barSeen = inside >= 25 && outside === 0 && (await page.evaluate(() => window.afterglow.phase())) === 'loading';
  }
  assert.ok(barSeen, 'no loading bar was seen while the page loaded');
  await phaseIs(page, 'prompt');
  const prompt = await page.$eval('#prompt', (e) => getComputedStyle(e).display !== 'none' && e.textContent);
  assert.match(prompt || '', /Click or press a key to start/);

  await page.keyboard.press('Space');
  await phaseIs(page, 'playing');
  const heard = (e) => e.contextTime !== null;
  const live = await until(page, () => window.afterglow.clockLog(), (log) => {
    const h = log.filter((e) => e.contextTime !== null);
    return h.length >= 2 && h[h.length - 1].contextTime - h[0].contextTime >= kLiveSec;
  }, `${kLiveSec} s of music heard`);
  assert.equal(live[0].musicMs, kStartMs, 'the show did not start at start=MS');
  const errors = live.filter(heard).map((e) => ({ off: Math.abs(e.musicMs - e.audioMs), e }));
  for (const { off, e } of errors)
    assert.ok(off <= e.deltaMs + 10, `musicTimeMs ${e.musicMs} is ${off.toFixed(1)} ms off the music heard: ${JSON.stringify(e)}`);
  const worst = Math.max(...errors.map((x) => x.off));
  const mean = errors.reduce((s, x) => s + x.off, 0) / errors.length;
  const starts = await page.evaluate(() => window.afterglow.startTimes());
  console.log(`clock vs audio context: ${errors.length} frames, mean ${mean.toFixed(2)} ms, worst ${worst.toFixed(2)} ms; ` +
    `gesture to first frame ${(starts.firstFrame - starts.gesture).toFixed(0)} ms, ` +
    `to first note ${(starts.firstNote - starts.gesture).toFixed(0)} ms`);
  assert.match(await page.title(), /^\d+$/, 'the title is not the frame count');

  // Another tab in front hides the page: the clock holds, and goes on from
  // there, with the music, once the page is shown again.
  const shown = await clockLog(page);
  const other = await browser.newPage();
  await other.bringToFront();
  await pause(1500);
  await page.bringToFront();
  await other.close();
  const back = await until(page, () => window.afterglow.clockLog(),
    (log) => log.slice(shown.length).filter((e) => e.contextTime !== null).length >= 2, 'frames heard after the page was shown');
  const [last, next] = [shown[shown.length - 1], back.slice(shown.length).filter(heard)[1]];
  assert.ok(next.musicMs - last.musicMs <= next.readMs - last.readMs - 1000,
    `the clock ran on while the page was hidden: ${JSON.stringify([last, next])}`);
  assert.ok(Math.abs(next.musicMs - next.audioMs) <= next.deltaMs + 10, `off the music once shown: ${JSON.stringify(next)}`);

  // A release seeks by 1000 ms from the last frame's time; the next frame
  // adds what the music played since.
  for (const [button, seek] of [['left', 1000], ['right', -1000]]) {
    const before = await clockLog(page);
    await page.mouse.click(400, 300, { button });
    const after = await entriesBeyond(page, before.length, 2);
    const steps = after.slice(before.length - 1).map((e, i, a) => i && [e.musicMs - a[i - 1].musicMs, e.readMs - a[i - 1].readMs]);
    assert.ok(steps.slice(1).some(([step, wall]) => step >= seek && step <= seek + wall + 10),
      `no ${seek} ms seek after a ${button} release: ${JSON.stringify(steps.slice(1))}`);
  }

  await page.keyboard.press('Escape');
  await phaseIs(page, 'ended');
  assert.equal(await page.title(), 'Afterglow: the end');
  assert.ok(await page.$eval('#ended', (e) => getComputedStyle(e).display !== 'none'), 'the end is not shown');
  const ended = (await clockLog(page)).length;
  await page.click('#again');
  await phaseIs(page, 'playing');
  const again = await entriesBeyond(page, ended);
  assert.equal(again[ended].musicMs, kStartMs, 'played again, the show did not start at start=MS');

  const failures = page.lines.filter((l) => /^(error|pageerror)/.test(l));
  assert.deepEqual(failures, [], 'the page logged errors');
} finally {
  await browser.close();
  server.close();
}
