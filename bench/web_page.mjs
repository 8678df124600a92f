// Benchmark of the built page in headless Chromium, opened from disk:
//  - ready: from the start of navigation to the page taking input;
//  - 100,000 pasted numbers: from the paste to the first frame showing the
//    table, on a freshly opened page (the first conversion) and again.
// usage: node bench/web_page.mjs [RUNS]   (after cmake --workflow --preset web;
//        VARVE_PAGE names another build of the page)

import { launch, openPage } from '../web/browser.mjs';

const runs = Number(process.argv[2] ?? 7);
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const show = (label, values) =>
  console.log(`${label}: median ${median(values).toFixed(1)} ms, min ${Math.min(...values).toFixed(1)}, max ${Math.max(...values).toFixed(1)} (${values.length} runs)`);

// NE numbers of both sequences, with some outside the ranges, one or more per line.
let list = '';
for (let i = 0; i < 100000; ++i) {
  list += String(2400 + ((i * 7919) % 6700)) + (i % 3 === 2 ? '\n' : ' ');
}

/** Pastes `text` into the list box and times it until the next frame is drawn. */
function pasteAndTime(text) {
  return new Promise((resolve) => {
    const box = document.getElementById('list');
    const start = performance.now();
    const data = new DataTransfer();
    data.setData('text/plain', text);
    const event = new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true });
    if (box.dispatchEvent(event)) {
      box.value = text;
      box.dispatchEvent(new Event('input', { bubbles: true }));
    }
    requestAnimationFrame(() => setTimeout(() => resolve([performance.now() - start, document.getElementById('list-status').textContent]), 0));
  });
}

const browser = await launch();
// The browser's own floor on this machine: an empty page's module script.
const floor = [];
for (let run = 0; run < runs; ++run) {
  const page = await browser.context.newPage();
  await page.goto('data:text/html,<script type=module>performance.mark("varve-ready")</script>');
  await page.waitForFunction(() => performance.getEntriesByName('varve-ready').length > 0);
  floor.push(await page.evaluate(() => performance.getEntriesByName('varve-ready')[0].startTime));
  await page.close();
}
const ready = [];
const first = [];
const again = [];
let status = '';
for (let run = 0; run < runs; ++run) {
  const page = await openPage(browser.context);
  ready.push(await page.evaluate(() => performance.getEntriesByName('varve-ready')[0].startTime));
  let [ms] = await page.evaluate(pasteAndTime, list);
  first.push(ms);
  [ms, status] = await page.evaluate(pasteAndTime, list.replaceAll('\n', ';\n'));
  again.push(ms);
  await page.close();
}
await browser.close();
show('an empty page\'s module script runs (the browser\'s floor)', floor);
show('ready for input after opening from file://', ready);
show('100,000 pasted numbers converted and shown, first paste', first);
show('100,000 pasted numbers converted and shown, again', again);
console.log(`(the list: ${status})`);
