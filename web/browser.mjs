// Opens the built page from disk in headless Chromium (Debian's, driven by
// playwright-core), recording every request it makes. For the tests and the
// benchmark; the page itself needs none of this.

import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

/** The built page: VARVE_PAGE, else the web preset's. */
export const pagePath =
  process.env.VARVE_PAGE ?? path.resolve(path.dirname(new URL(import.meta.url).pathname), '../build-web/varve-convert.html');
export const pageUrl = pathToFileURL(pagePath).href;

/** Starts Chromium with a fresh profile: { context, requests, errors, close() },
 * with every request's URL and every uncaught error of its pages. */
export async function launch() {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'varve-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.VARVE_CHROMIUM ?? '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    viewport: { width: 1000, height: 900 },
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  const requests = [];
  context.on('request', (request) => requests.push(request.url()));
  const errors = [];
  context.on('weberror', (error) => errors.push(error.error().message));
  return {
    context,
    requests,
    errors,
    async close() {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    },
  };
}

/** Opens the page in a new tab and waits until it takes input. */
export async function openPage(context) {
  const page = await context.newPage();
  await page.goto(pageUrl);
  await page.waitForSelector('html[data-ready]', { state: 'attached', timeout: 10000 });
  await page.waitForSelector('#chart svg', { state: 'attached' });
  return page;
}
