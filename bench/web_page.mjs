// Benchmark of the built page in headless Chromium, opened from disk:
//  - ready: from the start of navigation to the page taking input;
//  - a 100,000-line paste (a column: one number per line, some lines blank)
//    and 100,002 pasted numbers three to a line (a list): from the paste to
//    the first frame showing the table, on a freshly opened page (the first
//    conversion) and again;
//  - a workbook of 100,000 rows, .xlsx and .ods as LibreOffice writes them
//    and .xlsx as openpyxl writes it: from the file chosen to its columns
//    offered (opened), from the column chosen to the converted workbook ready
//    for download (converted), and from the download pressed to the browser
//    receiving the file (downloaded); and the longest task that kept the
//    page's main thread busy meanwhile (Chromium's long tasks, over 50 ms).
//    Needs LibreOffice (soffice) and python3-openpyxl to write the workbooks;
//    each is left out without its writer.
// usage: node bench/web_page.mjs [RUNS] [workbooks]   (after cmake --workflow
//        --preset web; VARVE_PAGE names another build of the page; with
//        "workbooks", only the workbooks are timed)

import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { launch, openPage, pagePath } from '../web/browser.mjs';

const runs = Number(process.argv[2] ?? 7);
const onlyWorkbooks = process.argv[3] === 'workbooks';
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const show = (label, values) =>
  console.log(`${label}: median ${median(values).toFixed(1)} ms, min ${Math.min(...values).toFixed(1)}, max ${Math.max(...values).toFixed(1)} (${values.length} runs)`);

// NE numbers of both sequences, with some outside the ranges: three to every
// line (a list), and one to a line, every hundredth line blank (a column).
let list = '';
for (let i = 0; i < 100002; ++i) {
  list += String(2400 + ((i * 7919) % 6700)) + (i % 3 === 2 ? '\n' : ' ');
}
let column = '';
for (let i = 0; i < 100000; ++i) {
  column += i % 100 === 99 ? '\n' : `${2400 + ((i * 7919) % 6700)}\n`;
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

/**
 * Writes a 100,000-row sheet as CSV, has LibreOffice save it as .xlsx and
 * .ods and openpyxl write it as .xlsx: the paths of those written.
 */
function workbooks() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'varve-bench-'));
  let csv = 'sample,depth,NE varve,note\n';
  for (let i = 0; i < 100000; ++i) csv += `S${i},${i / 2},${2400 + ((i * 7919) % 6700)},${i % 10 === 0 ? 'text' : ''}\n`;
  const file = path.join(dir, 'cores.csv');
  fs.writeFileSync(file, csv);
  const written = [];
  for (const format of ['xlsx', 'ods']) {
    try {
      execFileSync('soffice', [`-env:UserInstallation=file://${dir}/profile`, '--headless', '--convert-to', format, '--outdir', dir, file], { stdio: 'ignore' });
      written.push(path.join(dir, `cores.${format}`));
    } catch {
      // Without LibreOffice, its workbooks are left out.
    }
  }
  const openpyxl = path.join(dir, 'cores-openpyxl.xlsx');
  try {
    execFileSync(process.env.VARVE_PYTHON ?? '/usr/bin/python3', ['-c', [
      'import csv, sys, openpyxl',
      'book = openpyxl.Workbook(write_only=True)',
      'sheet = book.create_sheet("cores")',
      'for i, row in enumerate(csv.reader(open(sys.argv[1]))):',
      '    sheet.append(row if i == 0 else [row[0], float(row[1]), int(row[2]), row[3] or None])',
      'book.save(sys.argv[2])',
    ].join('\n'), file, openpyxl], { stdio: 'ignore' });
    written.push(openpyxl);
  } catch {
    // Without openpyxl, its workbook is left out.
  }
  return written;
}

/** Starts recording the page's long tasks; longestTask() gives the longest since, in ms. */
const watchLongTasks = () => {
  window.varveLongest = 0;
  new PerformanceObserver((list) => {
    for (const entry of list.getEntries()) window.varveLongest = Math.max(window.varveLongest, entry.duration);
  }).observe({ type: 'longtask' });
};
const longestTask = () => window.varveLongest;

/**
 * In the page: window.varveAt becomes the time (Date.now()) at which the
 * file's columns are offered (`step` 'opened') or its download is offered
 * ('converted'), seen at the change of the page that shows it rather than by
 * polling, which would round a time up to the next poll.
 */
const watchFor = (step) => {
  const ready = step === 'opened'
    ? () => document.getElementById('file-status').textContent.includes('choose the column')
    : () => !document.getElementById('download-file').disabled;
  window.varveAt = new Promise((resolve) => {
    const observer = new MutationObserver(() => {
      if (!ready()) return;
      observer.disconnect();
      resolve(Date.now());
    });
    observer.observe(document.body, { subtree: true, childList: true, characterData: true, attributes: true });
  });
};

const books = workbooks();
const browser = await launch();
// The browser's own floor on this machine: an empty page's module script.
const floor = [];
for (let run = 0; run < (onlyWorkbooks ? 0 : runs); ++run) {
  const page = await browser.context.newPage();
  await page.goto('data:text/html,<script type=module>performance.mark("varve-ready")</script>');
  await page.waitForFunction(() => performance.getEntriesByName('varve-ready').length > 0);
  floor.push(await page.evaluate(() => performance.getEntriesByName('varve-ready')[0].startTime));
  await page.close();
}
const ready = [];
const first = [];
const again = [];
const columnFirst = [];
const columnAgain = [];
let status = '';
let columnStatus = '';
for (let run = 0; run < (onlyWorkbooks ? 0 : runs); ++run) {
  let page = await openPage(browser.context);
  ready.push(await page.evaluate(() => performance.getEntriesByName('varve-ready')[0].startTime));
  let [ms] = await page.evaluate(pasteAndTime, list);
  first.push(ms);
  [ms, status] = await page.evaluate(pasteAndTime, list.replaceAll('\n', ';\n'));
  again.push(ms);
  await page.close();
  page = await openPage(browser.context);
  [ms] = await page.evaluate(pasteAndTime, column);
  columnFirst.push(ms);
  [ms, columnStatus] = await page.evaluate(pasteAndTime, column.replace('\n', '\n\n'));
  columnAgain.push(ms);
  await page.close();
}
const bookTimes = books.map(() => ({ opened: [], converted: [], downloaded: [], longest: [] }));
let bookStatus = [];
for (let run = 0; run < Math.min(runs, 3); ++run) {
  const page = await openPage(browser.context);
  for (const [i, book] of books.entries()) {
    await page.evaluate(watchLongTasks);
    await page.evaluate(watchFor, 'opened');
    let start = Date.now();
    await page.setInputFiles('#file', book);
    bookTimes[i].opened.push((await page.evaluate(() => window.varveAt)) - start);
    await page.evaluate(watchFor, 'converted');
    start = Date.now();
    await page.selectOption('#column', '3');
    bookTimes[i].converted.push((await page.evaluate(() => window.varveAt)) - start);
    bookStatus[i] = await page.textContent('#file-status');
    start = Date.now();
    const [download] = await Promise.all([page.waitForEvent('download', { timeout: 60000 }), page.click('#download-file')]);
    await download.path();
    bookTimes[i].downloaded.push(Date.now() - start);
    // Long tasks are reported after they end: let the last one come in.
    await page.waitForTimeout(200);
    bookTimes[i].longest.push(await page.evaluate(longestTask));
  }
  await page.close();
}
await browser.close();
console.log(`the page: ${fs.statSync(pagePath).size} bytes`);
if (!onlyWorkbooks) {
  show('an empty page\'s module script runs (the browser\'s floor)', floor);
  show('ready for input after opening from file://', ready);
  show('a 100,000-line paste (a column) converted and shown, first paste', columnFirst);
  show('a 100,000-line paste (a column) converted and shown, again', columnAgain);
  console.log(`(the column: ${columnStatus})`);
  show('100,002 pasted numbers (a list) converted and shown, first paste', first);
  show('100,002 pasted numbers (a list) converted and shown, again', again);
  console.log(`(the list: ${status})`);
}
for (const [i, book] of books.entries()) {
  const name = path.basename(book);
  show(`a workbook of 100,000 rows (${name}, ${fs.statSync(book).size} bytes) opened`, bookTimes[i].opened);
  show(`the same converted, ready for download`, bookTimes[i].converted);
  show(`the same downloaded`, bookTimes[i].downloaded);
  show(`the same, opened, converted and downloaded`, bookTimes[i].opened.map((ms, k) => ms + bookTimes[i].converted[k] + bookTimes[i].downloaded[k]));
  show(`the longest main-thread task meanwhile`, bookTimes[i].longest);
  console.log(`(${bookStatus[i]})`);
}
if (books.length > 0) fs.rmSync(path.dirname(books[0]), { recursive: true, force: true });
