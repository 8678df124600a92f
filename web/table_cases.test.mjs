// The shared tables of how a user's table comes back, run against the built
// page in headless Chromium: tests/table_cases.tsv as files and workbooks
// (the cases a page can be asked: one column, or two as an interval, chosen
// from the lists, with or without a header row; a column and an interval as
// the column, then the interval of the converted table), and
// tests/paste_cases.tsv as pastes.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import { after, before, test } from 'node:test';
import { launch, openPage } from './browser.mjs';

/** The rows of a case table: its header's fields name each row's, escapes decoded. */
function loadCases(file) {
  const lines = fs.readFileSync(new URL(`../tests/${file}`, import.meta.url), 'utf8').split('\n')
    .filter((line) => line !== '' && !line.startsWith('#'));
  const names = lines[0].split('\t');
  return lines.slice(1).map((line) => {
    const fields = line.split('\t');
    return Object.fromEntries(names.map((name, i) => [name, fields[i] ?? '']));
  });
}
const text = (escaped) => JSON.parse(`"${escaped}"`);

/**
 * What a page can be asked of a table case, or null: one column, two columns
 * as an interval ([first, last]), or one of each, no prefix, a request that
 * fits the table (a page offers only the columns it has).
 */
function pageRequest(c) {
  const words = c.arguments.split(' ').map(text);
  const [direction, ...options] = words;
  const request = { direction, column: null, interval: null, headerRow: 1 };
  for (let i = 0; i < options.length; ++i) {
    const option = options[i];
    if (option === '--column' && request.column === null) request.column = options[++i];
    else if (option === '--span-columns' && request.interval === null) request.interval = options[++i].split(',');
    else if (option === '--no-header') request.headerRow = 0;
    else if (option === '--header-row') request.headerRow = Number(options[++i]);
    else return null;
  }
  if ((request.column === null && request.interval === null) || c.status === '2') return null;
  return request;
}

/** The number of columns a request's conversions add in its direction: 7 for a column, an interval's own. */
function addedCount(request) {
  return (request.column === null ? 0 : 7) + (request.interval === null ? 0 : request.direction === 'ne-to-am' ? 13 : 22);
}

/** The fields of one record of `sep`-separated text, quoted ones unquoted. */
function fieldsOf(line, sep) {
  const fields = [''];
  let quoted = false;
  for (let i = 0; i < line.length; ++i) {
    const c = line[i];
    if (c === '"' && quoted && line[i + 1] === '"') fields[fields.length - 1] += line[++i];
    else if (c === '"') quoted = !quoted;
    else if (c === sep && !quoted) fields.push('');
    else fields[fields.length - 1] += c;
  }
  return fields;
}

/** The number (from 1) of the column a case names, among the columns the page offers. */
function columnNumber(name, offered) {
  if (/^#?\d+$/.test(name)) return Number(name.replace('#', ''));
  const exact = offered.findIndex((cell) => cell === name);
  if (exact >= 0) return exact + 1;
  return offered.findIndex((cell) => cell.toLowerCase() === name.toLowerCase()) + 1;
}

const PYTHON = process.env.VARVE_PYTHON ?? '/usr/bin/python3';
const TABLE_CASES = loadCases('table_cases.tsv');
const PASTE_CASES = loadCases('paste_cases.tsv');

let browser;
let page;
before(async () => {
  browser = await launch();
  page = await openPage(browser.context);
});
after(async () => {
  await browser.close();
});

async function downloadOf(button) {
  const [download] = await Promise.all([page.waitForEvent('download'), page.click(button)]);
  return { name: download.suggestedFilename(), bytes: fs.readFileSync(await download.path()) };
}

async function notes(list) {
  return page.$$eval(`#${list} li`, (items) => items.map((li) => li.textContent));
}

/** Opens `bytes` as a file named `name`, with the header row given (0: none). */
async function openFile(name, bytes, headerRow) {
  await page.setInputFiles('#file', { name, mimeType: 'application/octet-stream', buffer: Buffer.from(bytes) });
  await page.locator('#file-status', { hasText: name }).waitFor();
  // A workbook is read in steps: its columns are offered once its sheet is read.
  for (let i = 0; i < 400 && /^(Reading|Converting)/.test(await page.textContent('#file-status')); ++i) {
    await page.waitForTimeout(25);
  }
  await page.setChecked('#file-header', headerRow > 0);
  if (headerRow > 0) {
    await page.fill('#header-row', String(headerRow));
    await page.dispatchEvent('#header-row', 'change');
  }
}

/**
 * Converts what `request` asks of the file or workbook open: its column, or
 * its interval (the other end chosen first, so that one conversion is made),
 * or its column and then its interval in the table converted, as "Convert
 * another column of it" does. Resolves once the result can be downloaded.
 */
async function convertRequest(request, workbook) {
  const converted = () => (workbook
    ? page.locator('#file-status', { hasText: 'Converted column' }).waitFor()
    : page.waitForSelector('#download-file:not([disabled])'));
  if (request.column !== null) {
    await page.selectOption('#column', String(columnNumber(request.column, await offered())));
    await converted();
    if (request.interval === null) return;
    await page.click('#convert-more');
    await page.locator('#file-status', { hasText: 'as converted, with the columns added' }).waitFor();
  }
  const cells = await offered();
  const [first, last] = request.interval.map((end) => columnNumber(end, cells));
  assert.ok(first > 0 && last > 0, `columns ${request.interval}`);
  await page.selectOption('#column-to', String(last));
  await page.selectOption('#column', String(first));
  await converted();
}

/** The cells the column list offers, by number (from 1), once it is enabled. */
async function offered() {
  await page.waitForSelector('#column:not([disabled])');
  const options = await page.$$eval('#column option', (all) => all.filter((o) => o.value).map((o) => [Number(o.value), o.textContent]));
  const cells = [];
  for (const [number, label] of options) cells[number - 1] = label.replace(/^[^:]*: ?/, '');
  return cells;
}

test(`the table cases a page can be asked, as files (${TABLE_CASES.filter(pageRequest).length} of ${TABLE_CASES.length})`, async () => {
  let ran = 0;
  let intervals = 0;
  for (const c of TABLE_CASES) {
    const request = pageRequest(c);
    if (request === null) continue;
    await page.check(`input[name=direction][value=${request.direction}]`);
    await openFile('case.csv', text(c.input), request.headerRow);
    const expected = text(c.output);
    const messages = text(c.messages).split('\n').filter(Boolean).map((m) => m.replaceAll('standard input', 'the file'));
    if (text(c.input).replace(/^\uFEFF/, '').replace(/^sep=.?\r?\n?/, '') === '' ||
        (expected === '' && messages.some((m) => m.startsWith('the file ends')))) {
      // Nothing to convert: said, and nothing offered for download.
      if (!(await page.isDisabled('#column'))) {
        await page.selectOption('#column', '1');
      }
      assert.match(await page.textContent('#file-status'), /is empty|could not be converted|has no row/, c.name);
      assert.ok(await page.isDisabled('#download-file'), c.name);
      ++ran;
      continue;
    }
    if (request.column !== null) assert.ok(columnNumber(request.column, await offered()) > 0, `${c.name}: column ${request.column}`);
    await convertRequest(request, false);
    const converted = await downloadOf('#download-file');
    assert.equal(converted.name, `case-${request.direction}.csv`, c.name);
    if (request.column === null || request.interval === null) {
      assert.equal(converted.bytes.toString('utf8'), expected, c.name);
      assert.deepEqual(await notes('file-notes'), messages, c.name);
    } else {
      // In two steps, the column's added names are its plain ones, and the
      // interval's (taken, then, by the column's) are named after its two
      // columns, as in one pass; every row's cells are the same.
      const got = converted.bytes.toString('utf8').split('\n');
      const want = expected.split('\n');
      assert.deepEqual(got.slice(1), want.slice(1), c.name);
      const names = (lines, n) => fieldsOf(lines[0], ',').slice(-n);
      assert.deepEqual(names(got, addedCount({ ...request, column: null })), names(want, addedCount({ ...request, column: null })), c.name);
      // The notes of the second step: the interval's, by its first column.
      const first = columnNumber(request.interval[0], fieldsOf(text(c.input).split('\n')[0], ','));
      assert.deepEqual(await notes('file-notes'), messages.filter((m) => m.includes(`, column ${first}: `)), c.name);
    }
    if (request.interval !== null) ++intervals;
    ++ran;
  }
  console.log(`# table cases run against the page as files: ${ran}, ${intervals} of them intervals`);
  assert.ok(ran >= 15, `${ran} cases`);
  assert.ok(intervals >= 4, `${intervals} interval cases`);
});

/** The workbook of a case's input (as openpyxl writes one: numbers as numbers), by Python. */
function workbookOf(c, separator, skip) {
  const script = `
import csv, io, sys, openpyxl
text, sep, skip = sys.argv[1], sys.argv[2], int(sys.argv[3])
lines = text.splitlines(keepends=True)
if lines and lines[0].lstrip('\\ufeff').startswith('sep='):
    lines = lines[1:]
    skip -= 1
book = openpyxl.Workbook()
sheet = book.active
for r, row in enumerate(csv.reader(io.StringIO(''.join(lines)), delimiter='\\t' if sep == 'tab' else sep)):
    for k, cell in enumerate(row):
        value = int(cell) if cell.isdigit() and r > skip else cell
        if value != '':
            sheet.cell(row=r + 1, column=k + 1, value=value)
out = io.BytesIO()
book.save(out)
sys.stdout.buffer.write(out.getvalue())
print(skip, file=sys.stderr)
`;
  const bytes = execFileSync(PYTHON, ['-c', script, text(c.input), separator, String(skip)], { maxBuffer: 1 << 24 });
  return bytes;
}

/** The workbook openpyxl writes of `rows` (JSON values; null leaves a cell empty), as bytes. */
function openpyxlBook(rows) {
  const script = `
import io, json, sys, openpyxl
book = openpyxl.Workbook()
for row in json.loads(sys.argv[1]):
    book.active.append(row)
out = io.BytesIO()
book.save(out)
sys.stdout.buffer.write(out.getvalue())
`;
  return execFileSync(PYTHON, ['-c', script, JSON.stringify(rows)], { maxBuffer: 1 << 24 });
}

/** Each row's cells of a workbook's first sheet as openpyxl reads them, '' for none. */
function sheetRows(bytes) {
  const script = `
import io, json, sys, openpyxl
sheet = openpyxl.load_workbook(io.BytesIO(sys.stdin.buffer.read())).active
print(json.dumps([['' if v is None else (str(v).lower() if isinstance(v, bool) else str(v)) for v in row] for row in sheet.iter_rows(values_only=True)]))
`;
  return JSON.parse(execFileSync(PYTHON, ['-c', script], { input: bytes, encoding: 'utf8', maxBuffer: 1 << 24 }));
}

test('the table cases with a reading for tables, as workbooks: the added cells of the column mode, under its names', async () => {
  let ran = 0;
  let intervals = 0;
  for (const c of TABLE_CASES) {
    const request = pageRequest(c);
    const reading = /^sep=(\S+) skip=(\d+)(?: columns=\d+)?(?: span=\d+,\d+)?$/.exec(c.bindings);
    if (request === null || reading === null) continue;
    const [, separator, skipped] = reading;
    const sepLine = /^\uFEFF?sep=/.test(text(c.input)) ? 1 : 0;
    const headerRow = Number(skipped) - sepLine + 1;
    await page.check(`input[name=direction][value=${request.direction}]`);
    await openFile('case.xlsx', workbookOf(c, separator, Number(skipped)), headerRow);
    await convertRequest(request, true);
    const book = sheetRows((await downloadOf('#download-file')).bytes);
    // The expected rows as varve-batch wrote them, its sep= line left out.
    const sep = separator === 'tab' ? '\t' : separator;
    const expected = text(c.output).replace(/^\uFEFF?sep=.*\r?\n/, '').split(/\r?\n/).filter(Boolean)
      .map((line) => fieldsOf(line, sep));
    const added = addedCount(request);
    for (let r = headerRow - 1; r < expected.length; ++r) {
      // In two steps, the column's names are its plain ones: only the interval's are compared.
      const header = r === headerRow - 1 && request.column !== null && request.interval !== null;
      const compared = header ? addedCount({ ...request, column: null }) : added;
      const want = expected[r].slice(-compared);
      const got = (book[r] ?? []).slice(-compared);
      // A row with no value adds nothing to the workbook: its cells stay empty.
      if (want.every((cell) => cell === '')) continue;
      assert.deepEqual(got.map(String), want, `${c.name}: row ${r + 1}`);
    }
    const twoSteps = request.column !== null && request.interval !== null;
    const intervalColumn = twoSteps ? columnNumber(request.interval[0], fieldsOf(text(c.input).split('\n')[0], ',')) : 0;
    const expectedNotes = text(c.messages).split('\n').filter(Boolean)
      // In two steps, the notes of the second: the interval's, by its first column.
      .filter((m) => !twoSteps || m.includes(`, column ${intervalColumn}: `))
      .map((m) => m.replace(/^line (\d+), column (\d+): /, (_, line, col) =>
        `${String.fromCharCode(64 + Number(col))}${Number(line) - sepLine}: `));
    assert.deepEqual(await notes('file-notes'), expectedNotes, c.name);
    if (request.interval !== null) ++intervals;
    ++ran;
  }
  console.log(`# table cases run against the page as workbooks: ${ran}, ${intervals} of them intervals`);
  assert.ok(ran >= 5, `${ran} cases`);
  assert.ok(intervals >= 4, `${intervals} interval cases`);
});

test(`the paste cases (${PASTE_CASES.length}): a column row for row, a list, a mix only as chosen, a table as a file`, async () => {
  let ran = 0;
  for (const c of PASTE_CASES) {
    await page.check(`input[name=direction][value=${c.direction}]`);
    await page.evaluate((pasted) => {
      const box = document.getElementById('list');
      box.value = pasted;
      box.dispatchEvent(new Event('input', { bubbles: true }));
    }, text(c.paste));
    const status = () => page.textContent('#list-status');
    const messages = text(c.messages).split('\n').filter(Boolean);
    if (c.reading === 'table') {
      assert.match(await status(), /^The paste is a table/, c.name);
      const column = columnNumber('2', await offered());
      await page.selectOption('#column', String(column));
      const converted = await downloadOf('#download-file');
      assert.equal(converted.name, `pasted-table-${c.direction}.tsv`, c.name);
      assert.equal(converted.bytes.toString('utf8'), text(c.output), c.name);
      ++ran;
      continue;
    }
    if (c.reading === 'ask' || c.choice !== '-') {
      // Never read silently: nothing converted, and the choice offered.
      assert.match(await status(), /^Line \d+ holds several values, line \d+ one/, c.name);
      assert.ok(await page.isVisible('#paste-choice'), c.name);
      assert.ok(await page.isDisabled('#download-csv'), c.name);
      assert.ok(await page.isHidden('#table-wrap'), c.name);
    }
    if (c.reading === 'ask') {
      ++ran;
      continue;
    }
    if (c.choice !== '-') {
      await page.click(c.choice === 'column' ? '#read-column' : '#read-list');
      assert.match(await status(), new RegExp(`^Read as a ${c.choice}, as you chose: `), c.name);
      assert.ok(await page.isHidden('#paste-choice'), c.name);
    }
    const converted = await downloadOf('#download-csv');
    assert.equal(converted.bytes.toString('utf8'), text(c.output), c.name);
    const rows = text(c.output).split('\n').length - 2;
    if (c.reading === 'column') assert.match(await status(), new RegExp(`(^|: )${rows} rows?, one per line\\.`), c.name);
    assert.deepEqual(await notes('bad-tokens'), messages.map((m) => m[0].toUpperCase() + m.slice(1)), c.name);
    ++ran;
  }
  console.log(`# paste cases run against the page: ${ran}`);
  assert.equal(ran, PASTE_CASES.length);
});

test('another column of a converted file and workbook is converted beside the first, under names of its own, in its own direction', async () => {
  const batch = (args, input) => execFileSync(process.env.VARVE_BATCH, args, { input, encoding: 'utf8' });
  const csv = 'Hatfield, 2019\nid,ne,am\nA,3021,5691\nB,4282,6245\n';
  await page.check('input[name=direction][value=ne-to-am]');
  await openFile('cores.csv', csv, 2);
  await page.selectOption('#column', '2');
  const once = await downloadOf('#download-file');
  assert.equal(once.bytes.toString('utf8'), batch(['ne-to-am', '--column', 'ne', '--header-row', '2'], csv));
  await page.check('input[name=direction][value=am-to-ne]');
  await page.click('#convert-more');
  await page.locator('#file-status', { hasText: 'as converted, with the columns added' }).waitFor();
  const cells = await offered();
  assert.deepEqual(cells.slice(0, 4), ['id', 'ne', 'am', 'sequence']);
  await page.selectOption('#column', '3');
  const twice = await downloadOf('#download-file');
  assert.equal(twice.name, 'cores-am-to-ne.csv');
  // The plain names are taken: the new ones are named after the column.
  assert.equal(twice.bytes.toString('utf8'), batch(['am-to-ne', '--column', 'am', '--header-row', '2', '--prefix', 'am_'], once.bytes));

  const book = openpyxlBook([['Hatfield, 2019'], [], ['id', 'ne', 'am'], ['A', 3021, 5691], ['B', 4282, 6245]]);
  await page.check('input[name=direction][value=ne-to-am]');
  await openFile('cores.xlsx', book, 3);
  await page.selectOption('#column', '2');
  await page.locator('#file-status', { hasText: 'Converted column B' }).waitFor();
  await page.check('input[name=direction][value=am-to-ne]');
  await page.click('#convert-more');
  await page.locator('#file-status', { hasText: 'as converted, with the columns added' }).waitFor();
  assert.equal(await page.inputValue('#header-row'), '3');
  await page.selectOption('#column', '3');
  await page.locator('#file-status', { hasText: 'Converted column C' }).waitFor();
  const rows = sheetRows((await downloadOf('#download-file')).bytes);
  assert.deepEqual(rows[0].filter(Boolean), ['Hatfield, 2019']);
  assert.deepEqual(rows[2], ['id', 'ne', 'am', 'sequence', 'relation', 'ne_first', 'ne_last', 'am_first', 'am_last', 'false_couplets',
    'am_lc_relation', 'am_lc_first', 'am_lc_last', 'am_uc_relation', 'am_uc_first', 'am_uc_last', 'am_false_couplets']);
  assert.deepEqual(rows[3], ['A', '3021', '5691', 'LC', 'split', '3021', '3021', '3021', '3022', 'false',
    'joined', '5672', '5676', '', '', '', 'true']);
});

test('an interval chosen on the page: one column as both ends is refused in words, its choice outlives a header row changed and a direction changed, and the previews show each row\'s account', async () => {
  const batch = (args, input) => {
    try {
      return execFileSync(process.env.VARVE_BATCH, args, { input, encoding: 'utf8', stdio: 'pipe' });
    } catch (error) {
      return error.stdout; // Exit status 1: an interval not converted.
    }
  };
  const csv = 'core,top,bottom\nA,5700,5580\nD,,5674\n';
  await page.check('input[name=direction][value=ne-to-am]');
  await openFile('log.csv', csv, 1);
  await offered();
  await page.selectOption('#column-to', '3');
  await page.selectOption('#column', '3');
  assert.match(await page.textContent('#file-status'), /^log\.csv: an interval's two ends are two columns; choose another/);
  assert.ok(await page.isDisabled('#download-file'));
  // Bottom first: the same intervals as top first, the notes naming the first column chosen.
  await page.selectOption('#column', '2');
  assert.equal(await page.textContent('#file-status'), 'Converted columns 2 and 3 of log.csv as intervals. Some intervals are not converted: their rows say why, as listed below.');
  assert.equal((await downloadOf('#download-file')).bytes.toString('utf8'), batch(['ne-to-am', '--span-columns', 'top,bottom'], csv));
  assert.equal(await page.textContent('#file-preview'), batch(['ne-to-am', '--span-columns', 'top,bottom'], csv));
  await page.selectOption('#column', '3');
  await page.selectOption('#column-to', '2');
  assert.deepEqual(await notes('file-notes'), ['line 3, column 3: the last end is empty: an incomplete interval']);
  // Without a header row the choice stays, and the first row is converted as data.
  await page.setChecked('#file-header', false);
  await page.dispatchEvent('#file-header', 'change');
  assert.equal(await page.inputValue('#column'), '3');
  assert.equal(await page.inputValue('#column-to'), '2');
  assert.equal((await downloadOf('#download-file')).bytes.toString('utf8'), batch(['ne-to-am', '--span-columns', '3,2', '--no-header'], csv));
  await page.setChecked('#file-header', true);
  await page.dispatchEvent('#file-header', 'change');
  // Another direction: the result keeps its own until converted again, as an interval still.
  await page.check('input[name=direction][value=am-to-ne]');
  await page.click('#file-again');
  const again = await downloadOf('#download-file');
  assert.equal(again.name, 'log-am-to-ne.csv');
  assert.equal(again.bytes.toString('utf8'), batch(['am-to-ne', '--span-columns', '3,2'], csv));

  // A workbook's intervals: the preview shows each row's two ends and its account.
  const book = openpyxlBook([['core', 'top', 'bottom'], ['A', 5700, 5580], ['C', '5680', 5673], ['D', null, 5674]]);
  await page.check('input[name=direction][value=ne-to-am]');
  await openFile('log.xlsx', book, 1);
  await offered();
  await page.selectOption('#column-to', '3');
  await page.selectOption('#column', '2');
  await page.locator('#file-status', { hasText: 'Converted columns B and C' }).waitFor();
  const preview = await page.$$eval('#file-preview table tr', (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));
  const rows = batch(['ne-to-am', '--span-columns', 'top,bottom'], 'core,top,bottom\nA,5700,5580\nC,5680,5673\nD,,5674\n')
    .split('\n').map((line) => fieldsOf(line, ',').slice(3));
  assert.deepEqual(preview, [
    ['Cells', 'B: top', 'C: bottom', ...rows[0]],
    ['B2 C2', '5700', '5580', ...rows[1]],
    ['B3 C3', '5680', '5673', ...rows[2]],
    ['B4 C4', '', '5674', ...rows[3]],
  ]);
  assert.deepEqual(await notes('file-notes'), ['B4: the first end is empty: an incomplete interval']);
});
