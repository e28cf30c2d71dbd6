// The page draws what the program draws: at every time of the golden
// frames (tests/golden/frames.txt), the page's shot in headless chromium
// against the native --shot of the same time and size, PSNR >= 30 dB each.
// One page load, the shots in turn (window.afterglow.shot), served from a
// sub-path as any host would. Where a frame misses, both pictures are kept
// in AFTERGLOW_TEST_OUTPUT (native-MS.png, web-MS.png).
import { execFile } from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import { promisify } from 'node:util';
import { launchBrowser, openPage, readCanvas, serveSite, waitForTitle } from '../../web/page_driver.mjs';

const run = promisify(execFile);
const kMinimumPsnr = 30;
const env = (name) => {
  if (!process.env[name]) throw new Error(`${name} is not set (tests/CMakeLists.txt sets it)`);
  return process.env[name];
};
const site = env('AFTERGLOW_WEB_SITE');
const binary = env('AFTERGLOW_BINARY');
const data = env('AFTERGLOW_DATA_DIR');
const output = env('AFTERGLOW_TEST_OUTPUT');

// "4000    1024x768  <sha256>  what it shows"
const frames = fs.readFileSync(env('AFTERGLOW_GOLDEN_FRAMES'), 'utf8').split('\n')
  .filter((line) => /^\d/.test(line))
  .map((line) => {
    const [ms, size, , ...what] = line.split(/\s+/);
    const [width, height] = size.split('x').map(Number);
    return { ms: Number(ms), width, height, what: what.join(' ') };
  });
const size = `${frames[0].width}x${frames[0].height}`;
if (frames.some((f) => `${f.width}x${f.height}` !== size)) throw new Error('the golden frames differ in size');

fs.mkdirSync(output, { recursive: true });
const rgb = async (png) =>
  (await run('ffmpeg', ['-v', 'error', '-i', png, '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-'],
    { encoding: 'buffer', maxBuffer: 64 << 20 })).stdout;

// The native shots, two at a time, through EGL as the golden frames are.
const nativeShot = (f) => path.join(output, `native-${f.ms}.png`);
const shotEnv = { ...process.env, AFTERGLOW_NO_MESSAGE_BOX: '1' };
delete shotEnv.DISPLAY;
for (let i = 0; i < frames.length; i += 2) {
  await Promise.all(frames.slice(i, i + 2).map((f) => run(binary,
    [String(f.width), String(f.height), '--headless', '--quiet', '--shot', String(f.ms), nativeShot(f)],
    { cwd: data, env: shotEnv })));
}

function psnr(native, web, width, height) {
  let sum = 0;
  for (let y = 0; y < height; ++y) {
    const webRow = (height - 1 - y) * width * 4;  // the canvas's rows come bottom first
    for (let x = 0; x < width; ++x)
      for (let c = 0; c < 3; ++c) {
        const d = native[(y * width + x) * 3 + c] - web[webRow + x * 4 + c];
        sum += d * d;
      }
  }
  const mse = sum / (width * height * 3);
  return mse === 0 ? Infinity : 10 * Math.log10((255 * 255) / mse);
}

async function keepWebPicture(f, rgba) {
  const rows = Buffer.alloc(f.width * f.height * 3);
  for (let y = 0; y < f.height; ++y)
    for (let x = 0; x < f.width; ++x)
      rgba.copy(rows, (y * f.width + x) * 3, ((f.height - 1 - y) * f.width + x) * 4, ((f.height - 1 - y) * f.width + x) * 4 + 3);
  const raw = path.join(output, `web-${f.ms}.rgb`);
  fs.writeFileSync(raw, rows);
  await run('ffmpeg', ['-v', 'error', '-y', '-f', 'rawvideo', '-pix_fmt', 'rgb24', '-s', `${f.width}x${f.height}`,
    '-i', raw, path.join(output, `web-${f.ms}.png`)]);
  fs.rmSync(raw);
}

const server = await serveSite(site, '/afterglow/');
const browser = await launchBrowser();
let failed = 0;
try {
  const page = await openPage(browser, `${server.url}?shot=${frames[0].ms}&size=${size}`);
  for (const [i, f] of frames.entries()) {
    if (i > 0) await page.evaluate((ms) => window.afterglow.shot(ms), f.ms);
    const title = await waitForTitle(page, (t) => t === 'shot ready' || t.startsWith('shot failed'));
    if (title !== 'shot ready') throw new Error(`${f.ms} ms: ${title}\n${page.lines.join('\n')}`);
    const { rgba } = await readCanvas(page);
    const db = psnr(await rgb(nativeShot(f)), rgba, f.width, f.height);
    const ok = db >= kMinimumPsnr;
    console.log(`${String(f.ms).padStart(7)} ms  PSNR ${db.toFixed(2).padStart(6)} dB  ${ok ? 'ok  ' : 'MISS'}  ${f.what}`);
    if (ok) {
      fs.rmSync(nativeShot(f));
    } else {
      failed += 1;
      await keepWebPicture(f, rgba);
    }
  }
  const errors = page.lines.filter((l) => l.startsWith('error') || l.startsWith('pageerror'));
  if (errors.length) throw new Error(`the page logged errors:\n${errors.join('\n')}`);
} finally {
  await browser.close();
  server.close();
}
if (failed) {
  console.log(`${failed} of ${frames.length} frames below ${kMinimumPsnr} dB; both pictures of each are in ${output}`);
  process.exit(1);
}
console.log(`all ${frames.length} frames at ${kMinimumPsnr} dB or more`);
