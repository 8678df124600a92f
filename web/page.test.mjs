// The built page in headless Chromium, opened from disk, against the native
// varve-batch and varve-convert built beside it.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { launch, openPage, pagePath, pageUrl } from './browser.mjs';

const DIRECTIONS = [
  { name: 'ne-to-am', choice: 1 },
  { name: 'am-to-ne', choice: 2 },
];

function run(program, args, input = '') {
  return execFileSync(program, args, { input, encoding: 'utf8', maxBuffer: 1 << 28 });
}
const batch = (args, input) => run(process.env.VARVE_BATCH, args, input);

/** `varve-batch table` as CSV lines, without the header. */
function tableRows(direction) {
  return batch(['table', direction, '--format', 'csv']).split('\n').slice(1, -1).map((line) => line.split(','));
}

/** The result records varve-convert prints for each of `numbers`, in one session. */
function consoleRecords(choice, numbers) {
  let input = '';
  for (const n of numbers) input += `${choice}\n${n}\n1\n`;
  let output;
  try {
    output = run(process.env.VARVE_CONVERT, [], input);
  } catch (error) {
    output = error.stdout; // The session ends at the menu with input exhausted.
  }
  const separator = ' - - - - - - - - - - - - - - - - - - - - - - - - - - - - ';
  const blocks = output.split('\r\n' + separator + '\r\n').filter((_, i) => i % 2 === 1);
  // Each block: the blank record, the results, the blank record.
  return blocks.map((block) => block.split('\r\n').slice(1, -1));
}

async function downloadOf(page, button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return { name: download.suggestedFilename(), text: fs.readFileSync(await download.path(), 'utf8') };
}

/** Pastes `text` into the list box as a user does: a paste event, then the
 * box's own insertion unless the page took the paste. */
async function paste(page, text) {
  await page.evaluate((text) => {
    const box = document.getElementById('list');
    const data = new DataTransfer();
    data.setData('text/plain', text);
    const event = new ClipboardEvent('paste', { clipboardData: data, bubbles: true, cancelable: true });
    if (box.dispatchEvent(event)) {
      box.value = text;
      box.dispatchEvent(new Event('input', { bubbles: true }));
    }
  }, text);
}

async function setDirection(page, name) {
  await page.check(`input[name=direction][value=${name}]`);
}

let browser;
let page;
before(async () => {
  browser = await launch();
  page = await openPage(browser.context);
});
after(async () => {
  await browser.close();
});

test('the page is one file under 200 KB with the version in its footer', () => {
  assert.ok(fs.statSync(pagePath).size < 200 * 1024, `${fs.statSync(pagePath).size} bytes`);
  const version = batch(['--version']).trim().split(' ')[1];
  assert.match(fs.readFileSync(pagePath, 'utf8'), new RegExp(`varve-convert ${version.replaceAll('.', '\\.')} `));
});

test('every accepted number, pasted, gives the rows of varve-batch table', async () => {
  for (const { name } of DIRECTIONS) {
    await setDirection(page, name);
    const table = batch(['table', name, '--format', 'csv']);
    const numbers = [...new Set(tableRows(name).map((row) => row[0]))];
    await paste(page, numbers.join('\n'));
    const rows = table.split('\n').length - 2;
    assert.equal(await page.textContent('#list-status'), `${rows} rows.`);
    const csv = await downloadOf(page, '#download-csv');
    assert.equal(csv.name, `varve-${name}.csv`);
    assert.equal(csv.text, table, name);
    const shown = await page.$$eval('#rows tbody tr:not([aria-hidden]) td', (cells) => cells.slice(0, 16).map((c) => c.textContent));
    assert.deepEqual(shown, table.split('\n').slice(1, 3).join(',').split(','));
  }
  await page.fill('#list', '');
});

test('the one-number view shows the console program\'s result records', async () => {
  for (const { name, choice } of DIRECTIONS) {
    await setDirection(page, name);
    const rows = tableRows(name);
    const count = new Map();
    for (const row of rows) count.set(row[0], (count.get(row[0]) ?? 0) + 1);
    // Every split, join, false-couplet and overlap number, and every 97th plain one.
    const numbers = [...new Set(rows.filter((row, i) =>
      row[2] !== 'corresponds' || row[7] === 'true' || count.get(row[0]) === 2 || i % 97 === 0).map((row) => row[0]))];
    assert.ok(numbers.length > 60, `${numbers.length} numbers`);
    const expected = consoleRecords(choice, numbers);
    assert.equal(expected.length, numbers.length);
    const shown = await page.evaluate((numbers) => numbers.map((n) => {
      const box = document.getElementById('number');
      box.value = n;
      box.dispatchEvent(new Event('input'));
      return document.getElementById('records').textContent.split('\n');
    }), numbers);
    for (let i = 0; i < numbers.length; ++i) {
      assert.deepEqual(shown[i], expected[i], `${name} ${numbers[i]}`);
    }
  }
});

test('text, numbers outside and empty lists get clear messages', async () => {
  await setDirection(page, 'ne-to-am');
  await page.fill('#list', '3021');
  await page.fill('#number', '5674');
  assert.equal(await page.getAttribute('.vc-marked', 'data-number'), '5674');
  assert.equal(await page.textContent('#summary'), 'SequenceNE-LCRelationjoinedNE varves5672-5676AM varve5691False annual coupletsyes');

  // Text that is no number: a message, and nothing else changes.
  await page.fill('#number', '56 74');
  assert.equal(await page.textContent('#one-message'), '"56 74" is not a whole number. Type digits, with a sign if needed.');
  assert.ok(await page.isHidden('#records'));
  assert.equal(await page.getAttribute('.vc-marked', 'data-number'), '5674');
  assert.equal(await page.textContent('#list-status'), '1 row.');

  for (const [direction, typed, message] of [
    ['ne-to-am', '6500', 'Your NE number is outside the NE ranges. Try again. Accepted NE numbers: 2500-6460, 6560-9000.'],
    ['am-to-ne', '-3', 'Your AM number is outside the AM range. Try again. Accepted AM numbers: 2500-8700.'],
  ]) {
    await setDirection(page, direction);
    await page.fill('#number', typed);
    assert.equal(await page.textContent('#one-message'), message);
    assert.equal(await page.$('.vc-marked'), null);
  }

  await page.fill('#list', ' \n\t# only a comment\n');
  assert.equal(await page.textContent('#list-status'), '0 rows.');
  await page.fill('#list', '  \n ');
  assert.equal(await page.textContent('#list-status'), 'The list holds no numbers.');
  assert.ok(await page.isDisabled('#download-csv'));
  assert.ok(await page.isHidden('#table-wrap'));
});

test('bad tokens are listed by line and every good one converted', async () => {
  await setDirection(page, 'ne-to-am');
  const list = '2700\n12.5 3021\nx;;4282,123\n-00042 99999999999\n';
  await paste(page, list);
  assert.deepEqual(await page.$$eval('#bad-tokens li', (items) => items.map((li) => li.textContent)), [
    "Line 2: not a whole number: '12.5'",
    "Line 3: not a whole number: 'x'",
    "Line 3: warning: '4282,123' was read as the two numbers 4282 and 123: write numbers without thousands separators",
  ]);
  assert.match(await page.textContent('#list-status'), /^6 rows\. Tokens that are not whole numbers were skipped/);
  let expected;
  try {
    batch(['ne-to-am', '--format', 'csv'], list);
  } catch (error) {
    expected = error.stdout; // varve-batch exits 1 for the bad tokens.
  }
  assert.equal((await downloadOf(page, '#download-csv')).text, expected);
});

test('a CSV file with quoted fields and a header comes back whole with the column mode\'s columns', async () => {
  await setDirection(page, 'ne-to-am');
  const csv = 'sample,"note, with comma",NE varve\r\n"A ""1""",top,3021\r\nB,"two\r\nlines",5674\r\nC,,n/a\r\nD,,6500';
  const path = `${process.env.TMPDIR ?? '/tmp'}/varve-page-test-${process.pid}.csv`;
  fs.writeFileSync(path, csv);
  await page.setInputFiles('#file', { name: 'cores.csv', mimeType: 'text/csv', buffer: Buffer.from(csv) });
  await page.waitForSelector('#column option', { state: 'attached' });
  assert.deepEqual(await page.$$eval('#column option', (options) => options.map((o) => o.textContent)),
    ['1: sample', '2: note, with comma', '3: NE varve']);
  await page.selectOption('#column', '3');
  let expected;
  try {
    batch(['ne-to-am', '--column', 'NE varve', path]);
  } catch (error) {
    expected = error.stdout; // varve-batch exits 1 for the cell that is no number.
  }
  fs.rmSync(path);
  const converted = await downloadOf(page, '#download-file');
  assert.equal(converted.name, 'cores-ne-to-am.csv');
  assert.equal(converted.text, expected);
  assert.match(await page.textContent('#file-status'), /^Converted cores\.csv\. Some cells are not whole numbers/);
  assert.equal(await page.locator('#file-notes li').count() > 0, true);
});

test('Copy puts the rows on the clipboard as TSV', async () => {
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write']);
  await setDirection(page, 'am-to-ne');
  await page.fill('#list', '6245 7000');
  await page.click('#copy-tsv');
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), batch(['am-to-ne', '6245', '7000']));
});

test('the chart marks each split and join, and downloads as varve-batch chart', async () => {
  for (const { name } of DIRECTIONS) {
    await setDirection(page, name);
    const links = new Set(tableRows(name).filter((row) => row[2] === 'split' || row[2] === 'joined')
      .map((row) => row.slice(1, 7).join()));
    assert.equal(await page.locator('#chart .vc-step').count(), links.size, name);
    const number = name === 'ne-to-am' ? '3021' : '6245';
    await page.fill('#number', number);
    const svg = await downloadOf(page, '#download-svg');
    assert.equal(svg.name, `varve-chart-${name}-${number}.svg`);
    assert.equal(svg.text, batch(['chart', name, '--mark', number]));
  }
  await page.hover('#chart .vc-step.vc-split >> nth=0');
  assert.equal(await page.textContent('#chart-caption'), 'NE-LC 3021 split into AM 3021-3022');
  await page.click('#chart .vc-step.vc-false-couplets');
  assert.equal(await page.textContent('#chart-caption'), 'NE-LC 5672-5676 joined into AM 5691, false annual couplets');
});

test('works with the keyboard alone', async () => {
  const tab = await openPage(browser.context);
  await tab.keyboard.press('Tab');
  assert.equal(await tab.evaluate(() => document.activeElement.value), 'ne-to-am');
  await tab.keyboard.press('ArrowRight'); // The other direction.
  await tab.keyboard.press('Tab');
  await tab.keyboard.type('6245');
  assert.equal(await tab.textContent('#records'), ' AM 6245 corresponds to: NE-LC 6230 and NE-UC 6562');
  await tab.keyboard.press('Tab');
  await tab.keyboard.type('2500\n8700');
  await tab.keyboard.press('Tab');
  const [download] = await Promise.all([tab.waitForEvent('download'), tab.keyboard.press('Enter')]);
  assert.equal(fs.readFileSync(await download.path(), 'utf8'), batch(['am-to-ne', '--format', 'csv', '2500', '8700']));
  // Every control has a name a screen reader can read.
  const unnamed = await tab.$$eval('input, textarea, button', (controls) =>
    controls.filter((c) => !(c.labels?.length || c.textContent.trim() || c.getAttribute('aria-label'))).map((c) => c.outerHTML));
  assert.deepEqual(unnamed, []);
  await tab.close();
});

test('reads on a phone\'s width without sideways scrolling, and gives the README its screenshot', async () => {
  const phone = await openPage(browser.context);
  await phone.setViewportSize({ width: 380, height: 800 });
  await phone.fill('#number', '5674');
  await phone.fill('#list', '3021 4282\n5674 x 6500');
  assert.ok(await phone.evaluate(() => document.documentElement.scrollWidth <= 380));
  await phone.setViewportSize({ width: 1000, height: 900 });
  if (process.env.VARVE_SCREENSHOT) {
    await phone.screenshot({ path: process.env.VARVE_SCREENSHOT, fullPage: true });
  }
  await phone.close();
});

test('opened from file://, the page made no network request and raised no error', () => {
  // Every tab above: the page itself, and the blob: URLs of its own downloads.
  assert.ok(browser.requests.includes(pageUrl));
  assert.deepEqual(browser.requests.filter((url) => url !== pageUrl && !url.startsWith('blob:')), []);
  assert.deepEqual(browser.errors, []);
});
