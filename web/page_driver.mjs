// Drives the web build's page in headless chromium (puppeteer-core over
// Debian's chromium), for the web tests and scripts/web-benchmark.
//
//   const site = await serveSite('build-web/site', '/show/');  // 127.0.0.1, a free port
//   const browser = await launchBrowser();
//   const page = await openPage(browser, site.url + '?shot=4000&size=1024x768');
//   await waitForTitle(page, (t) => t === 'shot ready');
//   const { width, height, rgba } = await readCanvas(page);     // RGBA, rows bottom first
//   await browser.close(); site.close();
//
// The site is served by a plain static server bound to 127.0.0.1 under a
// sub-path, as any host would serve it: no special headers.
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import puppeteer from 'puppeteer-core';

const kTypes = {
  '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.mp3': 'audio/mpeg',
  '.jpg': 'image/jpeg', '.json': 'application/json',
};

// The files of siteDir under prefix ("/show/"), on a free port of 127.0.0.1.
export function serveSite(siteDir, prefix = '/') {
  const root = path.resolve(siteDir);
  const server = http.createServer((request, response) => {
    const url = new URL(request.url, 'http://127.0.0.1');
    let name = decodeURIComponent(url.pathname);
    if (!name.startsWith(prefix)) return response.writeHead(404).end();
    name = name.slice(prefix.length) || 'index.html';
    const file = path.resolve(root, name);
    if (!file.startsWith(root + path.sep)) return response.writeHead(403).end();
    fs.readFile(file, (error, bytes) => {
      if (error) return response.writeHead(404).end();
      response.writeHead(200, { 'Content-Type': kTypes[path.extname(file)] || 'application/octet-stream' });
      response.end(bytes);
    });
  });
  return new Promise((resolve, reject) => {
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const url = `http://127.0.0.1:${server.address().port}${prefix}`;
      resolve({ url, close: () => server.close() });
    });
  });
}

// Chromium without a sandbox (tests run as root) and without any of its
// calls home: the machine's network is closed, and a refused connection
// would stall it. WebGL 2 through ANGLE on SwiftShader, the software GPU.
export function launchBrowser() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'afterglow-chromium-'));
  return puppeteer.launch({
    executablePath: process.env.AFTERGLOW_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    userDataDir: profile,
    args: ['--no-sandbox', '--disable-background-networking', '--disable-component-update', '--disable-sync',
      '--no-first-run', '--disable-quic', '--use-angle=swiftshader', '--enable-unsafe-swiftshader'],
  }).then((browser) => {
    // Chromium may still be writing its profile as it goes; what is left
    // behind is only a temporary folder.
    browser.on('disconnected', () => {
      try {
        fs.rmSync(profile, { recursive: true, force: true, maxRetries: 5, retryDelay: 100 });
      } catch {}
    });
    return browser;
  });
}

// A new tab at url, its console kept in page.lines ("log: ...", "error: ...").
export async function openPage(browser, url) {
  const page = await browser.newPage();
  page.lines = [];
  page.on('console', (m) => page.lines.push(`${m.type()}: ${m.text()}`));
  page.on('pageerror', (e) => page.lines.push(`pageerror: ${e.message}`));
  await page.goto(url);
  return page;
}

// The page's title once accepted says so; throws with the page's console
// after timeoutMs.
export async function waitForTitle(page, accepted, timeoutMs = 120000) {
  const end = Date.now() + timeoutMs;
  for (;;) {
    const title = await page.title();
    if (accepted(title)) return title;
    if (Date.now() > end)
      throw new Error(`the page's title is still "${title}" after ${timeoutMs} ms; its console:\n${page.lines.join('\n')}`);
    await new Promise((r) => setTimeout(r, 50));
  }
}

export async function readCanvas(page) {
  const { width, height, rgba } = await page.evaluate(() => window.afterglow.pixels());
  return { width, height, rgba: Buffer.from(rgba, 'base64') };
}
