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

function run(program, args, input = '', encoding = 'utf8') {
  return execFileSync(program, args, { input, encoding, maxBuffer: 1 << 28, stdio: 'pipe' });
}
const batch = (args, input) => run(process.env.VARVE_BATCH, args, input);

/** What varve-batch writes to standard output (`encoding` null: as bytes), exit status 1 included. */
function batchOutput(args, input = '', encoding = 'utf8') {
  try {
    return run(process.env.VARVE_BATCH, args, input, encoding);
  } catch (error) {
    if (error.status !== 1) throw error;
    return error.stdout; // varve-batch exits 1 for values that are not whole numbers.
  }
}

/** The fields of one line of CSV, quoted ones unquoted. */
function csvFields(line) {
  const fields = [''];
  let quoted = false;
  for (let i = 0; i < line.length; ++i) {
    const c = line[i];
    if (c === '"' && quoted && line[i + 1] === '"') fields[fields.length - 1] += line[++i];
    else if (c === '"') quoted = !quoted;
    else if (c === ',' && !quoted) fields.push('');
    else fields[fields.length - 1] += c;
  }
  return fields;
}

/** Writes `bytes` to a file of its own for varve-batch; returns its path. */
function tempFile(name, bytes) {
  const path = `${process.env.TMPDIR ?? '/tmp'}/varve-page-test-${process.pid}-${name}`;
  fs.writeFileSync(path, bytes);
  return path;
}

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
  const bytes = fs.readFileSync(await download.path());
  return { name: download.suggestedFilename(), bytes, text: bytes.toString('utf8') };
}

/** The text of each element with these ids that a user sees (by computed visibility, and not empty), by id. */
async function visible(page, ids) {
  return page.evaluate((ids) => Object.fromEntries(ids.map((id) => document.getElementById(id))
    .filter((element) => element.checkVisibility({ checkOpacity: true, checkVisibilityCSS: true }) && element.textContent.trim())
    .map((element) => [element.id, element.textContent])), ids);
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

test('the page is one file under 300 KB with the version and the tables varve-batch names in its footer', async () => {
  assert.ok(fs.statSync(pagePath).size < 300 * 1024, `${fs.statSync(pagePath).size} bytes`);
  const [program, tables] = batch(['--version']).trim().split('\n');
  const version = program.split(' ')[1];
  assert.match(fs.readFileSync(pagePath, 'utf8'), new RegExp(`varve-convert ${version.replaceAll('.', '\\.')} `));
  // The engine compiled for wasm32 works out the same checksum as the native program.
  assert.match(tables, /^correspondence tables revision \S+, checksum [0-9a-f]{8}$/);
  assert.equal(await page.textContent('#tables-identity'), tables);
});

test('every accepted number, pasted as a list and as a column, gives the rows of varve-batch', async () => {
  for (const { name } of DIRECTIONS) {
    await setDirection(page, name);
    const table = batch(['table', name, '--format', 'csv']);
    const numbers = [...new Set(tableRows(name).map((row) => row[0]))];
    // Several to a line: a row for each link, as varve-batch table.
    await paste(page, numbers.join(' '));
    const rows = table.split('\n').length - 2;
    assert.equal(await page.textContent('#list-status'), `${rows} rows.`);
    let csv = await downloadOf(page, '#download-csv');
    assert.equal(csv.name, `varve-${name}.csv`);
    assert.equal(csv.text, table, name);
    const shown = await page.$$eval('#rows tbody tr:not([aria-hidden]) td', (cells) => cells.slice(0, 16).map((c) => c.textContent));
    assert.deepEqual(shown, table.split('\n').slice(1, 3).join(',').split(','));
    // One to a line: a row for each line, as varve-batch --lines.
    await paste(page, numbers.join('\n'));
    assert.equal(await page.textContent('#list-status'), `${numbers.length} rows, one per line.`);
    csv = await downloadOf(page, '#download-csv');
    assert.equal(csv.text, batch([name, '--lines', '--format', 'csv'], numbers.join('\n')), name);
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

  // Text that is no number: the engine's message, and the chart marks nothing.
  await page.fill('#number', '56 74');
  assert.equal(await page.textContent('#one-message'), "Not a whole number: '56 74'. Type digits, with a sign if needed.");
  assert.ok(await page.isHidden('#records'));
  assert.equal(await page.$('.vc-marked'), null);
  assert.equal(await page.textContent('#list-status'), '1 row, one per line.');

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
  assert.equal(await page.textContent('#list-status'), 'The list holds no numbers.');
  await page.fill('#list', '  \n ');
  assert.equal(await page.textContent('#list-status'), 'The list holds no numbers.');
  assert.ok(await page.isDisabled('#download-csv'));
  assert.ok(await page.isHidden('#table-wrap'));
});

test('bad tokens are listed by line and every good one converted', async () => {
  await setDirection(page, 'ne-to-am');
  const list = '2700 2701\n12.5 3021\nx;;4282,123\n-00042 99999999999\n';
  await paste(page, list);
  assert.deepEqual(await page.$$eval('#bad-tokens li', (items) => items.map((li) => li.textContent)), [
    "Line 2: not a whole number: '12.5'",
    "Line 3: not a whole number: 'x'",
    "Line 3: warning: '4282,123' was read as the two numbers 4282 and 123: write numbers without thousands separators",
  ]);
  assert.match(await page.textContent('#list-status'), /^7 rows\. Tokens that are not whole numbers were skipped/);
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
  await page.waitForSelector('#column:not([disabled])');
  // The column named as varve numbers first, and nothing converted before one is chosen.
  assert.deepEqual(await page.$$eval('#column option', (options) => options.map((o) => `${o.parentElement.label ?? ''}|${o.textContent}`)),
    ['|Choose a column', 'Named as varve numbers|3: NE varve', 'Other columns|1: sample', 'Other columns|2: note, with comma']);
  assert.equal(await page.inputValue('#column'), '');
  assert.ok(await page.isDisabled('#download-file'));
  assert.deepEqual(await visible(page, ['file-caption', 'file-preview', 'file-notes']), {});
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
  assert.match(await page.textContent('#file-status'), /^Converted column 3 of cores\.csv\. Some cells are not converted/);
  assert.equal(await page.locator('#file-notes li').count() > 0, true);
});

test('a ragged file: a short row\'s results stand under their own headers, and a long row stops the file there', async () => {
  await setDirection(page, 'ne-to-am');
  const csv = 'sample_id,depth_cm,ne_varve,notes\nHB-01,12.5,3021,clean\nHB-02,14.25,4282\nHB-03,17.0,5674,flood,extra\nHB-04,19.0,3021,x\n';
  await page.setInputFiles('#file', { name: 'ragged.csv', mimeType: 'text/csv', buffer: Buffer.from(csv) });
  await page.waitForSelector('#column:not([disabled])');
  await page.selectOption('#column', '3');
  const converted = await downloadOf(page, '#download-file');
  assert.equal(converted.text, batchOutput(['ne-to-am', '--column', '3'], csv));
  assert.equal(converted.text.split('\n')[2], 'HB-02,14.25,4282,,LC,joined,4281,4282,4294,4294,false');
  assert.equal(converted.text.split('\n').length, 4);
  assert.match(await page.textContent('#file-status'), /^ragged\.csv could not be converted to its end/);
  assert.deepEqual(await page.$$eval('#file-notes li', (items) => items.map((li) => li.textContent)),
    ["line 4: the row has 5 cells, more than the header's 4 (a separator too many, or one inside a cell without quotes?); the rows before it were written"]);
});

test('a pasted column gives one row per line, blank and bad lines included, and Copy pastes back beside it', async () => {
  await browser.context.grantPermissions(['clipboard-read', 'clipboard-write']);
  await setDirection(page, 'ne-to-am');
  const column = '3021\n\n4282\n4282?\n\n4,282\n5674\n';
  await paste(page, column);
  assert.equal(await page.textContent('#list-status'),
    '7 rows, one per line. Lines that are not converted (not whole numbers, or spans that cannot be) are marked invalid, as listed below.');
  assert.equal((await downloadOf(page, '#download-csv')).text, batchOutput(['ne-to-am', '--lines', '--format', 'csv'], column));
  // A quoted field shows whole, and bad rows stand out.
  const rows = await page.$$eval('#rows tbody tr:not([aria-hidden])', (trs) =>
    trs.map((tr) => [tr.className, ...[...tr.cells].slice(0, 3).map((td) => td.textContent)].join('|')));
  assert.deepEqual(rows, ['|3021|LC|split', '|||', '|4282|LC|joined', 'unlinked|4282?||invalid', '|||',
    'unlinked|4,282||invalid', '|5674|LC|joined']);
  assert.deepEqual(await page.$$eval('#bad-tokens li', (items) => items.map((li) => li.textContent)), [
    "Line 4: not a whole number: '4282?' (4282 marked uncertain: write 4282 alone to convert it)",
    "Line 6: not a whole number: '4,282' (a thousands separator? write 4282 without one to convert it)",
  ]);
  await page.click('#copy-tsv');
  const tsv = await page.evaluate(() => navigator.clipboard.readText());
  assert.equal(tsv, batchOutput(['ne-to-am', '--lines'], column));
  assert.equal(tsv.split('\n').length, column.split('\n').length + 1); // The header, and a row per line.
  // Any line end ends a line; a final one adds no row.
  await paste(page, '3021\r\n4282\r5674');
  assert.equal(await page.textContent('#list-status'), '3 rows, one per line.');
  // A span with blanks around its dash is one value: the paste stays a column.
  const spans = '3021\n\n4282?\n5580 \u2013 5700\n5700 - 5580\n7000\n';
  await paste(page, spans);
  assert.match(await page.textContent('#list-status'), /^6 rows, one per line\./);
  assert.equal((await downloadOf(page, '#download-csv')).text, batchOutput(['ne-to-am', '--lines', '--format', 'csv'], spans));
});

test('the page shows only what the current input gave, and says which direction made it', async () => {
  const tab = await openPage(browser.context);
  const one = ['one-caption', 'records', 'summary', 'one-message'];
  await tab.fill('#number', '6460');
  assert.deepEqual(Object.keys(await visible(tab, one)), ['one-caption', 'records', 'summary']);
  for (const [typed, shown] of [
    ['6500', { 'one-caption': 'NE to AM', 'one-message': 'Your NE number is outside the NE ranges. Try again. Accepted NE numbers: 2500-6460, 6560-9000.' }],
    ['abc', { 'one-message': "Not a whole number: 'abc'. Type digits, with a sign if needed." }],
    ['', {}],
  ]) {
    await tab.fill('#number', typed);
    assert.deepEqual(await visible(tab, one), shown, typed);
  }
  await tab.fill('#number', '3021');
  await setDirection(tab, 'am-to-ne');
  const again = await visible(tab, one);
  assert.equal(again['one-caption'], 'AM to NE \u2014 converted again for the new direction');
  await tab.fill('#number', '3021');
  assert.deepEqual(await visible(tab, one), { ...again, 'one-caption': 'AM to NE' });
  assert.match(again.records, /^ AM 3021-3022 were formed by the splitting of/);

  const many = ['list-caption', 'list-status', 'bad-tokens', 'table-wrap'];
  await paste(tab, '3021 x');
  assert.deepEqual(Object.keys(await visible(tab, many)), many);
  await paste(tab, '3021');
  assert.deepEqual(Object.keys(await visible(tab, many)), ['list-caption', 'list-status', 'table-wrap']);
  await paste(tab, '');
  assert.deepEqual(await visible(tab, many), {});
  await paste(tab, ' \n ');
  assert.deepEqual(await visible(tab, many), { 'list-status': 'The list holds no numbers.' });
  await paste(tab, '3021');
  const pasted = await visible(tab, many);
  assert.equal(pasted['list-caption'], 'AM to NE');
  // Another direction chosen for the number box leaves the converted paste as
  // it was, and says so, until it is converted again on purpose.
  await setDirection(tab, 'ne-to-am');
  const kept = await visible(tab, [...many, 'list-again']);
  assert.deepEqual(kept, { ...pasted, 'list-caption': 'AM to NE \u2014 kept as converted; the direction chosen above is now NE to AM',
    'list-again': 'Convert again NE to AM' });
  assert.equal((await downloadOf(tab, '#download-csv')).name, 'varve-am-to-ne.csv');
  await tab.click('#list-again');
  const list = await visible(tab, [...many, 'list-again']);
  assert.equal(list['list-caption'], 'NE to AM');
  assert.equal(list['list-again'], undefined);
  assert.match(list['table-wrap'], /^\s*inputsequencerelation\w*\s*3021LCsplit/);
  assert.equal(await tab.getAttribute('#table-wrap', 'aria-label'), 'Converted numbers, NE to AM');

  const files = ['file-status', 'file-caption', 'file-notes', 'file-preview'];
  const csv = 'ne,x\n3021,a\nq,b\n';
  await tab.setInputFiles('#file', { name: 'a.csv', mimeType: 'text/csv', buffer: Buffer.from(csv) });
  await tab.waitForSelector('#column:not([disabled])');
  assert.deepEqual(await visible(tab, files), { 'file-status': 'a.csv: choose the column with the numbers to convert it.' });
  await tab.selectOption('#column', '1');
  const shown = await visible(tab, files);
  assert.equal(shown['file-caption'], 'NE to AM');
  assert.equal(shown['file-preview'], batchOutput(['ne-to-am', '--column', '1'], csv));
  // Looking up one number in the other direction never changes the file.
  await setDirection(tab, 'am-to-ne');
  await tab.fill('#number', '4282');
  const keptFile = await visible(tab, files);
  assert.equal(keptFile['file-caption'], 'NE to AM \u2014 kept as converted; the direction chosen above is now AM to NE');
  assert.equal(keptFile['file-preview'], shown['file-preview']);
  const keptDownload = await downloadOf(tab, '#download-file');
  assert.equal(keptDownload.name, 'a-ne-to-am.csv');
  assert.equal(keptDownload.text, batchOutput(['ne-to-am', '--column', '1'], csv));
  await tab.click('#file-again');
  const converted = await visible(tab, files);
  assert.equal(converted['file-caption'], 'AM to NE');
  assert.equal(converted['file-preview'], batchOutput(['am-to-ne', '--column', '1'], csv));
  assert.equal((await downloadOf(tab, '#download-file')).name, 'a-am-to-ne.csv');
  // Opening another file takes the last one's result away.
  await tab.setInputFiles('#file', { name: 'b.csv', mimeType: 'text/csv', buffer: Buffer.from('ne\n4282\n') });
  await tab.locator('#file-status', { hasText: 'b.csv' }).waitFor();
  assert.deepEqual(Object.keys(await visible(tab, files)), ['file-status']);
  assert.ok(await tab.isDisabled('#download-file'));
  await tab.close();
});

test('a UTF-16 file, as a spreadsheet saves Unicode text, comes back in UTF-16 as varve-batch writes it', async () => {
  await setDirection(page, 'ne-to-am');
  const text = '\u00c9chantillon\tNE varve\tnote \u{1f30a}\r\nA\t3021\tok\r\nB\t4282?\t\r\nC\t5674\tfin\r\n';
  const bytes = Buffer.concat([Buffer.from([0xff, 0xfe]), Buffer.from(text, 'utf16le')]);
  const path = tempFile('unicode.txt', bytes);
  await page.setInputFiles('#file', { name: 'unicode.txt', mimeType: 'text/plain', buffer: bytes });
  await page.waitForSelector('#column:not([disabled])');
  assert.deepEqual(await page.$$eval('#column option', (options) => options.map((o) => o.textContent)),
    ['Choose a column', '2: NE varve', '1: \u00c9chantillon', '3: note \u{1f30a}']);
  await page.selectOption('#column', '2');
  const expected = batchOutput(['ne-to-am', '--column', '2', path], '', 'buffer');
  fs.rmSync(path);
  const converted = await downloadOf(page, '#download-file');
  assert.equal(converted.name, 'unicode-ne-to-am.txt');
  assert.deepEqual(converted.bytes.subarray(0, 2), Buffer.from([0xff, 0xfe]));
  assert.ok(converted.bytes.equals(expected), 'the bytes of varve-batch --column');
  assert.equal(await page.textContent('#file-preview'), expected.subarray(2).toString('utf16le').replaceAll('\r\n', '\n'));

  // Encodings that are not read: the engine's message, and nothing to choose or download.
  for (const [name, file] of [['utf32.txt', Buffer.from([0xff, 0xfe, 0, 0, 0x6e, 0, 0, 0])], ['nul.txt', Buffer.from('n\0e\0\n\0')]]) {
    const path = tempFile(name, file);
    let message = '';
    try {
      execFileSync(process.env.VARVE_BATCH, ['ne-to-am', '--column', '1', path], { stdio: 'pipe' });
    } catch (error) {
      message = error.stderr.toString().trim().replace(`varve-batch: ${path}: `, '');
    }
    fs.rmSync(path);
    await page.setInputFiles('#file', { name, mimeType: 'text/plain', buffer: file });
    await page.locator('#file-status', { hasText: name }).waitFor();
    assert.equal(await page.textContent('#file-status'), `${name}: ${message}.`);
    assert.ok(await page.isDisabled('#column'));
    assert.ok(await page.isDisabled('#download-file'));
    assert.ok(await page.isHidden('#file-preview'));
  }
});

/** The all and plain cases of the shared table of cell cases, decoded. */
const CELL_CASES = fs.readFileSync(new URL('../tests/cell_cases.tsv', import.meta.url), 'utf8').split('\n')
  .filter((line) => line !== '' && !line.startsWith('#')).slice(1)
  .map((line) => line.split('\t'))
  .filter(([, where]) => where === 'all' || where === 'plain')
  .map(([cell, , expected]) => {
    const [kind, ...rest] = expected.split(' ');
    return { cell: JSON.parse(`"${cell}"`), kind, hint: rest.length === 2 ? rest[0] : '', number: Number(rest.at(-1)) };
  });

/** What a note or message on a case's cell says of the number it names. */
const hintOf = ({ hint, number }) =>
  hint === 'thousands' ? `write ${number} without one` : hint === 'uncertain' ? `(${number} marked uncertain` : null;

test(`the shared table of cell cases (all ${CELL_CASES.length} all/plain cases) as a pasted column and in the number box`, async () => {
  assert.ok(CELL_CASES.length > 40, `${CELL_CASES.length} cases`);
  const one = ['one-caption', 'records', 'summary', 'one-message'];
  for (const { name } of DIRECTIONS) {
    await setDirection(page, name);
    const column = CELL_CASES.map((c) => c.cell).join('\n');
    await paste(page, column);
    assert.match(await page.textContent('#list-status'), new RegExp(`^${CELL_CASES.length} rows, one per line\\.`));
    const csv = (await downloadOf(page, '#download-csv')).text;
    assert.equal(csv, batchOutput([name, '--lines', '--format', 'csv'], column), name);
    const rows = csv.split('\n').slice(1, -1).map(csvFields);
    const numbers = CELL_CASES.filter((c) => c.kind === 'number').map((c) => c.number);
    const rowOf = new Map(batch([name, '--lines', '--format', 'csv'], numbers.join('\n')).split('\n').slice(1, -1)
      .map((line) => [Number(line.split(',')[0]), csvFields(line).slice(1)]));
    const notes = await page.$$eval('#bad-tokens li', (items) => items.map((li) => li.textContent));
    const relation = name === 'ne-to-am' ? 1 : 0;
    CELL_CASES.forEach((c, i) => {
      const what = `${name} line ${i + 1}: ${JSON.stringify(c.cell)}`;
      const added = rows[i].slice(1);
      if (c.kind === 'number') assert.deepEqual(added, rowOf.get(c.number), what);
      if (c.kind === 'empty') assert.ok(added.every((cell) => cell === ''), what);
      if (c.kind === 'invalid') {
        assert.equal(added[relation], 'invalid', what);
        const note = notes.find((text) => text.startsWith(`Line ${i + 1}: not a whole number: `));
        assert.ok(note, what);
        if (c.hint) assert.ok(note.includes(hintOf(c)), `${what}: ${note}`);
      }
    });
    // Typed in the number box: as the number it is, nothing, or the message.
    for (const c of CELL_CASES) {
      await page.fill('#number', c.cell);
      const shown = await visible(page, one);
      const what = `${name} ${JSON.stringify(c.cell)}`;
      if (c.kind === 'number') {
        await page.fill('#number', String(c.number));
        assert.deepEqual(shown, await visible(page, one), what);
      }
      if (c.kind === 'empty') assert.deepEqual(shown, {}, what);
      if (c.kind === 'invalid') {
        assert.deepEqual(Object.keys(shown), ['one-message'], what);
        assert.match(shown['one-message'], /^Not a whole number: /, what);
        if (c.hint) assert.ok(shown['one-message'].includes(hintOf(c)), `${what}: ${shown['one-message']}`);
      }
    }
  }
  await page.fill('#number', '');
});

test('bad input never stops the page: control bytes, a lone surrogate, an overlong line, an empty or binary file', async () => {
  await setDirection(page, 'ne-to-am');
  await paste(page, '9'.repeat(1 << 20) + '\n\u0000\u0001\ud800x\n\u202e3021');
  // Nothing lost: the box keeps the paste, and each line has its row and its note.
  const kept = await page.inputValue('#list');
  assert.equal(kept.length, (1 << 20) + 5 + 6);
  assert.match(await page.textContent('#list-status'), /^3 rows, one per line\. Lines that are not converted/);
  assert.equal((await downloadOf(page, '#download-csv')).text, batchOutput(['ne-to-am', '--lines', '--format', 'csv'], kept));
  const notes = await page.$$eval('#bad-tokens li', (items) => items.map((li) => li.textContent));
  assert.deepEqual(notes.map((note, i) => note.slice(0, [41, 40, 36][i])), [
    'Line 1: a line of 1048576 bytes, too long',
    "Line 2: not a whole number: '\\x00\\x01\ufffdx'",
    "Line 3: not a whole number: '\u202e3021'",
  ]);
  await page.fill('#number', '9'.repeat(1 << 16) + 'x');
  assert.match(await page.textContent('#one-message'), /^Not a whole number: '9{60}\.\.\.'\. Type digits/);
  for (const [name, file, status] of [
    ['empty.csv', Buffer.alloc(0), 'empty.csv is empty.'],
    ['image.png', Buffer.from([0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0, 0, 0, 0x0d]), /^image\.png: the file holds NUL bytes/],
  ]) {
    await page.setInputFiles('#file', { name, mimeType: 'application/octet-stream', buffer: file });
    await page.locator('#file-status', { hasText: name }).waitFor();
    if (typeof status === 'string') assert.equal(await page.textContent('#file-status'), status);
    else assert.match(await page.textContent('#file-status'), status);
    assert.ok(await page.isDisabled('#download-file'));
  }
  await page.fill('#number', '');
  await page.fill('#list', '');
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
  await tab.keyboard.press('Tab'); // The span's last number.
  await tab.keyboard.type('6300');
  assert.match(await tab.textContent('#records'), /^AM 6245-6300 spans NE-LC 6230-6285\n/);
  await tab.keyboard.press('Tab');
  await tab.keyboard.type('2500\n8700');
  await tab.keyboard.press('Tab');
  const [download] = await Promise.all([tab.waitForEvent('download'), tab.keyboard.press('Enter')]);
  // One number to a line: one row per line.
  assert.equal(fs.readFileSync(await download.path(), 'utf8'), batch(['am-to-ne', '--lines', '--format', 'csv'], '2500\n8700'));
  // The chart is one tab stop: from the last control before it to its first
  // marker, and on to the download; the arrow keys move between its markers.
  await tab.focus('#header-row');
  await tab.keyboard.press('Tab');
  const focused = () => tab.evaluate(() => [document.activeElement.id || document.activeElement.getAttribute('class'),
    document.activeElement.getAttribute('aria-label')]);
  assert.deepEqual(await focused(), ['vc-step vc-split', 'NE-LC 3021 split into AM 3021-3022 (1 of 29)']);
  // Focus is visible: the marker's target is drawn with a thick outline.
  assert.equal(await tab.evaluate(() => getComputedStyle(document.activeElement.querySelector('.vc-hit')).strokeWidth), '3px');
  await tab.keyboard.press('ArrowRight');
  assert.deepEqual(await focused(), ['vc-step vc-split', 'NE-LC 3191 split into AM 3192-3193 (2 of 29)']);
  assert.equal(await tab.textContent('#chart-caption'), 'NE-LC 3191 split into AM 3192-3193');
  await tab.keyboard.press('End');
  assert.deepEqual(await focused(), ['vc-step vc-join', 'NE-UC 6951-6952 joined into AM 6634 (29 of 29)']);
  await tab.keyboard.press('ArrowDown'); // Stays on the last.
  await tab.keyboard.press('ArrowUp');
  assert.deepEqual(await focused(), ['vc-step vc-join', 'NE-UC 6744-6745 joined into AM 6428 (28 of 29)']);
  await tab.keyboard.press('Tab');
  assert.deepEqual(await focused(), ['download-svg', null]);
  await tab.keyboard.press('Shift+Tab'); // Back to the marker last visited.
  assert.deepEqual(await focused(), ['vc-step vc-join', 'NE-UC 6744-6745 joined into AM 6428 (28 of 29)']);
  await tab.keyboard.press('Home');
  assert.deepEqual(await focused(), ['vc-step vc-split', 'NE-LC 3021 split into AM 3021-3022 (1 of 29)']);
  assert.equal(await tab.locator('#chart [tabindex="0"]').count(), 1);
  // Every control has a name a screen reader can read.
  const unnamed = await tab.$$eval('input, textarea, button', (controls) =>
    controls.filter((c) => !(c.labels?.length || c.textContent.trim() || c.getAttribute('aria-label'))).map((c) => c.outerHTML));
  assert.deepEqual(unnamed, []);
  await tab.close();
});

/**
 * What of the chart's words a user cannot see whole on `page`: each key of the
 * legend within the page, and each text of the axes laid over the plot (the
 * y axes' numbers, the panels' names, what each y axis measures, the x axis's
 * title) within the chart's box, each on top where it is drawn.
 */
async function chartWordsHidden(page) {
  return page.evaluate(() => {
    const chart = document.getElementById('chart');
    const hidden = [];
    const check = (element, inside) => {
      element.scrollIntoView({ block: 'nearest' });
      const box = element.getBoundingClientRect();
      const { left, right, top, bottom } = inside();
      const hit = document.elementFromPoint((box.left + box.right) / 2, (box.top + box.bottom) / 2);
      if (box.width === 0 || box.left < left - 0.5 || box.right > right + 0.5 || box.top < top - 0.5 || box.bottom > bottom + 0.5) {
        hidden.push(`${element.textContent}: ${box.left}-${box.right}, ${box.top}-${box.bottom} outside ${left}-${right}, ${top}-${bottom}`);
      } else if (!element.contains(hit)) hidden.push(`${element.textContent}: under ${hit?.outerHTML.slice(0, 60)}`);
    };
    for (const key of document.querySelectorAll('#chart-legend li')) {
      check(key, () => ({ left: 0, right: document.documentElement.clientWidth, top: 0, bottom: window.innerHeight }));
    }
    for (const text of document.querySelectorAll('#chart-view .chart-axes text')) {
      check(text, () => {
        const box = chart.getBoundingClientRect();
        return { left: box.left, right: box.left + chart.clientWidth, top: box.top, bottom: box.top + chart.clientHeight };
      });
    }
    return hidden;
  });
}

/** The chart's words a user reads: the legend's keys, and the panels' names and the axes' titles. */
async function chartWords(page) {
  return page.evaluate(() => [
    ...[...document.querySelectorAll('#chart-legend li')].map((key) => key.textContent),
    ...[...document.querySelectorAll('#chart-view .chart-axes text')].map((text) => text.textContent).filter((words) => /[a-z]/.test(words)),
  ]);
}

test('the chart\'s legend, panel names and axis titles stay in view and whole wherever it scrolls, on a phone and wide, and its first view shows both panels\' lines', async () => {
  for (const width of [390, 1280]) {
    const tab = await browser.context.newPage();
    await tab.setViewportSize({ width, height: width === 390 ? 844 : 900 });
    await tab.goto(pageUrl);
    await tab.waitForSelector('#chart svg', { state: 'attached' });
    for (const { name } of DIRECTIONS) {
      const what = `${name} at ${width} px`;
      await setDirection(tab, name);
      const from = name === 'ne-to-am' ? 'NE' : 'AM';
      assert.deepEqual(await chartWords(tab), [
        'NE-LC', 'NE-UC', 'split (step up)', 'joined (step down)', 'joined, false annual couplets', 'LC and UC overlap', 'number marked',
        'NE-LC (Lower Connecticut)', 'AM number minus NE-LC number (varves)',
        'NE-UC (Upper Connecticut)', 'AM number minus NE-UC number (varves)', `${from} varve number`,
      ], what);
      // Drawn anew, the chart shows where LC and UC overlap: each panel's line in view beside the y axis.
      const lines = await tab.evaluate(() => {
        const chart = document.getElementById('chart');
        const box = chart.getBoundingClientRect();
        const from = box.left + parseFloat(getComputedStyle(chart).scrollPaddingLeft);
        return [...chart.querySelectorAll('.vc-panel .vc-line')].map((line) => {
          const at = line.getBoundingClientRect();
          return Math.min(at.right, box.left + chart.clientWidth) - Math.max(at.left, from);
        });
      });
      assert.equal(lines.length, 2, what);
      for (const [i, seen] of lines.entries()) assert.ok(seen > 20, `${what}: panel ${i + 1}'s line shows ${seen} px`);
      assert.deepEqual(await chartWordsHidden(tab), [], `${what}, first view`);
      // Scrolled to the first marker and to the last, each in view and not under the axis.
      await tab.focus('#chart .vc-step >> nth=3');
      for (const [key, nth] of [['Home', 1], ['End', 29]]) {
        await tab.keyboard.press(key);
        const focused = await tab.evaluate(() => {
          const step = document.activeElement;
          const box = step.querySelector('.vc-hit').getBoundingClientRect();
          const hit = document.elementFromPoint(box.left + box.width / 2, box.top + box.height / 2);
          return { label: step.getAttribute('aria-label'), reached: hit?.closest('.vc-step') === step, scrolled: document.getElementById('chart').scrollLeft };
        });
        assert.ok(focused.label.endsWith(`(${nth} of 29)`), `${what} ${key}: ${focused.label}`);
        assert.ok(focused.reached, `${what} ${key}: the marker is covered`);
        assert.deepEqual(await chartWordsHidden(tab), [], `${what} ${key}, scrolled to ${focused.scrolled}`);
      }
    }
    assert.deepEqual(await overflows(tab), [], `at ${width} px`);
    await tab.close();
  }
});

test('the number box converts a span, typed with a dash or in two boxes in either order, gives varve-batch span\'s account, and marks it on the chart', async () => {
  const one = ['one-caption', 'records', 'summary', 'one-message'];
  for (const [name, first, last, typed] of [
    ['ne-to-am', 5580, 5700, '5580-5700'],
    ['ne-to-am', 5673, 5680, ' 5673 \u2013 5680 '],
    ['am-to-ne', 6200, 6300, '6200-6300'],
    ['am-to-ne', 3022, 3712, '3022\u20133712'],
  ]) {
    await setDirection(page, name);
    const account = batch(['span', name, String(first), String(last)]);
    const corrections = account.split('\n').filter((line) => /^ {4}NE-(LC|UC) /.test(line)).map((line) => line.trim());
    const headlines = account.split('\n').filter((line) => /^[A-Z]/.test(line)).length;
    for (const [box, to] of [[typed, ''], [String(first), String(last)], [String(last), String(first)], [` ${first}`, `${last} `]]) {
      const what = `${name} '${box}' '${to}'`;
      await page.fill('#number', box);
      await page.fill('#number-to', to);
      assert.deepEqual(Object.keys(await visible(page, one)), ['one-caption', 'records', 'summary'], what);
      assert.equal(await page.textContent('#records'), account.replace(/\n$/, ''), what);
      assert.equal(await page.locator('#summary dd', { hasText: /^span$/ }).count(), headlines, what);
      assert.equal(await page.locator('#chart .vc-panel .vc-span').count(), headlines, what);
      assert.deepEqual(await page.$$eval('#chart .vc-step.vc-in-span', (steps) => steps.map((step) => step.dataset.name)), corrections, what);
      assert.ok(await page.$$eval('#chart .vc-step.vc-in-span', (steps) => steps.every((step) => step.getAttribute('aria-label').includes(', inside the span'))), what);
      assert.equal(await page.$('#chart .vc-marked'), null, what);
    }
    const svg = await downloadOf(page, '#download-svg');
    assert.equal(svg.name, `varve-chart-${name}-${first}-${last}.svg`);
    assert.equal(svg.text.split('class="vc-span"').length - 1, headlines + 1, 'a band per sequence, and the legend\'s');
  }
  // Not converted: the account's reasons, as varve-batch span gives them, and nothing marked.
  for (const [name, first, last] of [['ne-to-am', 6400, 6500], ['ne-to-am', 6600, 6400], ['am-to-ne', 2400, 2600], ['ne-to-am', 6300, 6600]]) {
    let said = '';
    try {
      batch(['span', name, String(first), String(last)]);
    } catch (error) {
      assert.equal(error.status, 1);
      said = (error.stdout + error.stderr).replace(/^varve-batch: /, '').trimEnd();
    }
    await setDirection(page, name);
    await page.fill('#number', String(first));
    await page.fill('#number-to', String(last));
    assert.equal(await page.textContent('#one-message'), said, `${name} ${first}-${last}`);
    assert.ok(await page.isHidden('#records'));
    assert.equal(await page.$('#chart .vc-span'), null);
  }
  // Only the second box: what to type first.
  await page.fill('#number', '');
  assert.equal(await page.textContent('#one-message'), 'Type the first NE number of the span in the first box.');
  // A span in the first box and a number in the second: not joined into a third reading.
  await page.fill('#number', '5580-5600');
  assert.equal(await page.textContent('#one-message'),
    'The first box holds a span already: leave the second box empty, or type the first number alone.');
  await page.fill('#number', '');
  await page.fill('#number-to', '');
  assert.deepEqual(await visible(page, one), {});
  // An AM number linking to both sequences is marked in both panels, an NE number in its own only.
  await setDirection(page, 'am-to-ne');
  await page.fill('#number', '6245');
  assert.equal(await page.locator('#chart .vc-marked line').count(), 2);
  await setDirection(page, 'ne-to-am');
  await page.fill('#number', '6245');
  assert.equal(await page.locator('#chart .vc-marked line').count(), 1);
  await page.fill('#number', '');
});

const AXE = fs.readFileSync(new URL('./node_modules/axe-core/axe.min.js', import.meta.url), 'utf8');

/** axe-core's violations on `page` as it stands, a line each. */
async function accessibilityViolations(page) {
  if (!(await page.evaluate(() => 'axe' in window))) await page.evaluate(AXE);
  return page.evaluate(async () => (await window.axe.run(document, { resultTypes: ['violations'] })).violations
    .map((v) => `${v.id}: ${v.help} (${v.nodes.map((node) => node.target.join(' ')).join('; ')})`));
}

test('axe-core reports no accessibility violation in any state of the page, wide or on a phone', async () => {
  const tab = await openPage(browser.context);
  const states = [
    ['opened', async () => {}],
    ['one number', async () => tab.fill('#number', '5674')],
    ['a span', async () => tab.fill('#number-to', '5700')],
    ['a span not converted', async () => tab.fill('#number-to', '6500')],
    ['a number outside', async () => { await tab.fill('#number-to', ''); await tab.fill('#number', '6500'); }],
    ['text that is no number', async () => tab.fill('#number', '56 74')],
    ['a mixed paste asked about', async () => paste(tab, '3021\n\n4282 4283\n5674')],
    ['a list', async () => paste(tab, '3021 4282\n5674 x 6500')],
    ['a file', async () => {
      await tab.setInputFiles('#file', { name: 'a.csv', mimeType: 'text/csv', buffer: Buffer.from('ne,x\n3021,a\nq,b\n') });
      await tab.waitForSelector('#column:not([disabled])');
      await tab.selectOption('#column', '1');
    }],
    ['a workbook', async () => {
      await tab.setInputFiles('#file', new URL('./fixtures/excel-like.xlsx', import.meta.url).pathname);
      await tab.locator('#file-status', { hasText: 'excel-like.xlsx: choose the column' }).waitFor();
      await tab.selectOption('#column', '2');
      await tab.waitForSelector('#download-file:not([disabled])');
    }],
    ['a workbook\'s intervals, some not converted', async () => {
      await tab.selectOption('#column-to', '3');
      await tab.locator('#file-status', { hasText: 'Converted columns B and C' }).waitFor();
    }],
    ['a file\'s intervals, some not converted', async () => {
      await tab.setInputFiles('#file', { name: 'b.csv', mimeType: 'text/csv', buffer: Buffer.from('top,bottom\n5700,5580\n,5674\n6600,6400\n') });
      await tab.waitForSelector('#column:not([disabled])');
      await tab.selectOption('#column', '1');
      await tab.selectOption('#column-to', '2');
      await tab.locator('#file-status', { hasText: 'as intervals' }).waitFor();
    }],
    ['one column as both ends of an interval', async () => tab.selectOption('#column-to', '1')],
    ['the other direction', async () => setDirection(tab, 'am-to-ne')],
    ['a chart marker focused', async () => tab.focus('#chart .vc-step >> nth=3')],
  ];
  for (const [state, reach] of states) {
    await reach();
    for (const width of [1000, 390]) {
      await tab.setViewportSize({ width, height: width === 390 ? 844 : 900 });
      assert.deepEqual(await accessibilityViolations(tab), [], `${state} at ${width} px`);
    }
  }
  await tab.close();
});

/** What overflows the viewport's width, or a sentence box's own, on `page`: a list of what and by how much. */
async function overflows(page) {
  return page.evaluate(() => {
    const found = [];
    const width = document.documentElement.clientWidth;
    if (document.documentElement.scrollWidth > width) found.push(`the page: ${document.documentElement.scrollWidth} > ${width}`);
    for (const element of document.querySelectorAll('body *')) {
      const box = element.getBoundingClientRect();
      // What a box that scrolls or clips holds is seen through that box, which is checked itself.
      let clipped = false;
      for (let parent = element.parentElement; parent && !clipped; parent = parent.parentElement) {
        clipped = getComputedStyle(parent).overflowX !== 'visible';
      }
      if (!clipped && box.width > 0 && box.right > width + 0.5) found.push(`${element.tagName}#${element.id}: right ${box.right}`);
    }
    for (const id of ['records', 'one-message', 'summary']) {
      const element = document.getElementById(id);
      if (!element.hidden && element.scrollWidth > element.clientWidth) found.push(`#${id} scrolls: ${element.scrollWidth} > ${element.clientWidth}`);
    }
    return found;
  });
}

test('on a phone (390 by 844) nothing overflows, the sentences wrap, and the chart stays legible with every marker tappable', async () => {
  const phone = await openPage(browser.context);
  await phone.setViewportSize({ width: 390, height: 844 });
  for (const [typed, to] of [['5674', ''], ['5580', '5700'], ['6200', '6300'], ['6400-6500', ''], ['1'.repeat(200), '']]) {
    for (const { name } of DIRECTIONS) {
      await setDirection(phone, name);
      await phone.fill('#number', typed);
      await phone.fill('#number-to', to);
      assert.deepEqual(await overflows(phone), [], `${name} ${typed} ${to}`);
    }
  }
  await paste(phone, '3021 4282\n5674 x 6500');
  await phone.setInputFiles('#file', { name: 'a-file-with-a-long-name-from-the-field-season.csv', mimeType: 'text/csv', buffer: Buffer.from('ne,x\n3021,a\n') });
  await phone.waitForSelector('#column:not([disabled])');
  await phone.selectOption('#column', '1');
  assert.deepEqual(await overflows(phone), []);

  // The chart: one unit to a pixel, so its text keeps its 12 px.
  const chart = await phone.evaluate(() => {
    const svg = document.querySelector('#chart svg');
    // The scale along the text's own direction.
    const scale = (element) => Math.hypot(element.getScreenCTM().a, element.getScreenCTM().b);
    const sizes = [...document.querySelectorAll('#chart-view text')].map((text) => parseFloat(getComputedStyle(text).fontSize) * scale(text));
    return { smallest: Math.min(...sizes), scale: scale(svg), box: document.getElementById('chart').clientWidth };
  });
  assert.ok(chart.smallest >= 10, `text of ${chart.smallest} px`);
  assert.equal(chart.scale, 1);
  assert.ok(chart.box <= 390);
  // Each marker: a target of 24 by 24 px or more, and a tap anywhere on it
  // reaches that marker and no other.
  for (const { name } of DIRECTIONS) {
    await setDirection(phone, name);
    const missed = await phone.evaluate(() => [...document.querySelectorAll('#chart .vc-step')].flatMap((step) => {
      step.scrollIntoView({ block: 'center', inline: 'center' });
      const box = step.querySelector('.vc-hit').getBoundingClientRect();
      if (box.width < 24 || box.height < 24) return [`${step.dataset.name}: ${box.width} by ${box.height}`];
      const points = [[0.5, 0.5], [0.05, 0.05], [0.95, 0.05], [0.05, 0.95], [0.95, 0.95]];
      return points.filter(([fx, fy]) => document.elementFromPoint(box.left + fx * box.width, box.top + fy * box.height)?.closest('.vc-step') !== step)
        .map(([fx, fy]) => `${step.dataset.name} at ${fx},${fy}`);
    }));
    assert.deepEqual(missed, [], name);
  }
  // A tap on a marker names it.
  await setDirection(phone, 'ne-to-am');
  await phone.click('#chart .vc-step >> nth=23');
  assert.equal(await phone.textContent('#chart-caption'), 'NE-LC 5672-5676 joined into AM 5691, false annual couplets');
  await phone.close();
});

test('the README\'s screenshot: a span converted and marked on the chart', async () => {
  const tab = await openPage(browser.context);
  await tab.fill('#number', '5580');
  await tab.fill('#number-to', '5700');
  if (process.env.VARVE_SCREENSHOT) {
    await tab.screenshot({ path: process.env.VARVE_SCREENSHOT, fullPage: true });
  }
  await tab.close();
});

test('opened from file://, the page made no network request and raised no error', () => {
  // Every tab above: the page itself, and the blob: URLs of its own downloads.
  assert.ok(browser.requests.includes(pageUrl));
  assert.deepEqual(browser.requests.filter((url) => url !== pageUrl && !url.startsWith('blob:')), []);
  assert.deepEqual(browser.errors, []);
});
