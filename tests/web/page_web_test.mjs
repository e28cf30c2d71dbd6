// The site and the page's other ways, in headless chromium: the site is
// the page, the program and the data set, 16 MB at most; the benchmark page
// runs a few frames and gives its report as JSON and a table; a query the
// page cannot use, and a driver without what the program needs, end with
// the program's own message, in the title of a shot page and in the page.
import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { launchBrowser, openPage, serveSite, waitForTitle } from '../../web/page_driver.mjs';

const site = process.env.AFTERGLOW_WEB_SITE;
assert.ok(site && fs.existsSync(path.join(site, 'index.html')), `no site at ${site}: scripts/build-web makes it`);

function filesUnder(folder) {
  return fs.readdirSync(folder, { withFileTypes: true }).flatMap((e) =>
    e.isDirectory() ? filesUnder(path.join(folder, e.name)) : [path.join(folder, e.name)]);
}
const files = filesUnder(site).map((f) => path.relative(site, f));
for (const name of ['index.html', 'afterglow.js', 'afterglow.wasm', 'demo.mp3', 'shaders/phong.vs', 'models/city.ASE'])
  assert.ok(files.includes(name), `the site has no ${name}`);
const bytes = filesUnder(site).reduce((sum, f) => sum + fs.statSync(f).size, 0);
console.log(`site: ${files.length} files, ${(bytes / 1e6).toFixed(2)} MB`);
assert.ok(bytes <= 16e6, `the site is ${bytes} bytes, more than 16 MB`);

const server = await serveSite(site, '/sub/path/');
const browser = await launchBrowser();
try {
  // Three frames of the benchmark, in scene 5.
  const bench = await openPage(browser, `${server.url}?benchmark&from=100000&to=100300`);
  await waitForTitle(bench, (t) => t === 'benchmark done' || t.includes('failed'));
  const report = await bench.evaluate(() => window.afterglowBenchmark);
  assert.equal(report.fps, 10);
  assert.equal(report.framesPlanned, 3);
  assert.equal(report.total.frames, 3);
  assert.ok(report.scenes.length >= 1 && report.scenes.every((s) => s.frames > 0 && s.cpuMeanMs > 0 && s.cpuWorstMs >= s.cpuMeanMs),
    JSON.stringify(report.scenes));
  assert.ok(bench.lines.some((l) => l.includes('afterglow benchmark') && l.includes('cpu ms')),
    'the console has no benchmark table');
  console.log(`benchmark: ${report.total.frames} frames, ${report.total.cpuMeanMs.toFixed(1)} ms of the page's work each`);

  const refused = await openPage(browser, `${server.url}?shot=300000&size=1024x768`);
  const title = await waitForTitle(refused, (t) => t.startsWith('shot failed'));
  assert.match(title, /300000/);

  // A driver without GLSL: the start-up check's message and exit, as natively.
  const lacking = await browser.newPage();
  lacking.lines = [];
  lacking.on('console', (m) => lacking.lines.push(m.text()));
  await lacking.evaluateOnNewDocument(() => {
    window.afterglowEnvironment = { AFTERGLOW_HIDE_GL_EXTENSIONS: 'GL_ARB_shader_objects' };
  });
  await lacking.goto(`${server.url}?shot=4000&size=1024x768`);
  const stop = await waitForTitle(lacking, (t) => t.startsWith('shot failed') || t === 'shot ready');
  // (A title's line breaks read back as spaces.)
  assert.match(stop, /^shot failed: No required OpenGL extensions available\. +\[GL_ARB_\*\] - glsl-shaders\.$/);
  const shown = await lacking.$eval('#message', (box) => (box.hidden ? '' : box.textContent));
  assert.match(shown, /No required OpenGL extensions available/);
  console.log('refused query and missing capability: stopped with their messages');
} finally {
  await browser.close();
  server.close();
}
