// Workbooks through the built page in headless Chromium: written by real
// writers (LibreOffice, openpyxl and pandas through it, XlsxWriter,
// Gnumeric) and by hand in each form writers differ in, converted on the
// page, then opened again by LibreOffice and by openpyxl: every original cell
// (formulas, styles, comments and links too) unchanged in every sheet, the
// added columns as varve-batch's column mode gives them for the sheet saved
// as CSV, and every zip entry but the sheet's copied byte for byte.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { launch, openPage } from './browser.mjs';
import { columnLetters, columnOf } from './workbook/cells.mjs';
import { readOdsSheet } from './workbook/ods.mjs';
import { attribute, eachTag } from './workbook/xml.mjs';
import { readZip } from './workbook/zip.mjs';

const here = path.dirname(new URL(import.meta.url).pathname);
const fixtures = path.join(here, 'fixtures');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'varve-workbook-test-'));
// A profile of its own, so that LibreOffice runs beside any other instance.
const profile = `-env:UserInstallation=file://${work}/profile`;
const PYTHON = process.env.VARVE_PYTHON ?? '/usr/bin/python3';
const CSV_FILTER = 'csv:Text - txt - csv (StarCalc):44,34,76,1,,0,false,true,false,false,false,-1';

/** Runs LibreOffice headless: converts `files` to `format` into `outdir`. */
function soffice(format, outdir, files) {
  execFileSync(process.env.VARVE_SOFFICE ?? 'soffice', [profile, '--headless', '--convert-to', format, '--outdir', outdir, ...files],
    { stdio: 'pipe', timeout: 120000 });
}

/** What varve-batch writes for `args`, exit status 1 (cells that are not whole numbers) included. */
function batchOutput(args) {
  try {
    return execFileSync(process.env.VARVE_BATCH, args, { encoding: 'utf8', stdio: 'pipe' });
  } catch (error) {
    if (error.status !== 1) throw error;
    return error.stdout;
  }
}

/** The records of CSV text as LibreOffice writes it (quotes, "" in quotes, LF or CRLF). */
function csvRecords(text) {
  const records = [];
  let fields = [''];
  let quoted = false;
  for (let i = 0; i < text.length; ++i) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') fields[fields.length - 1] += text[++i];
      else if (c === '"') quoted = false;
      else fields[fields.length - 1] += c;
    } else if (c === '"') quoted = true;
    else if (c === ',') fields.push('');
    else if (c === '\n' || c === '\r') {
      if (c === '\r' && text[i + 1] === '\n') ++i;
      records.push(fields);
      fields = [''];
    } else fields[fields.length - 1] += c;
  }
  if (fields.length > 1 || fields[0] !== '') records.push(fields);
  return records;
}

/**
 * Every cell holding something in each sheet of a flat OpenDocument file, by
 * sheet name and cell name: its formula, value type, value, style and text.
 */
function fodsCells(file) {
  const xml = fs.readFileSync(file, 'utf8');
  const sheets = new Map();
  const starts = [];
  eachTag(xml, 0, (tag) => {
    if (tag.name === 'table:table' && !tag.closing) starts.push({ name: attribute(tag.attributes, 'table:name'), start: tag.start });
  });
  for (const table of starts) {
    const sheet = readOdsSheet(xml, table);
    const cells = new Map();
    for (const row of sheet.rows) {
      for (const cell of row.cells) {
        const held = /office:value-type|table:formula/.test(cell.attributes);
        // Empty cells with a style of their own, near the data: the styles the added cells must keep.
        if (!held && !(cell.attributes.includes('table:style-name') && cell.column < 64 && row.index < 1000)) continue;
        const seen = ['table:formula', 'office:value-type', 'office:value', 'office:date-value', 'office:boolean-value']
          .map((name) => attribute(cell.attributes, name) ?? '');
        seen.push(sheet.code(row, cell.column));
        const style = attribute(cell.attributes, 'table:style-name') ?? '';
        for (let r = 0; r < Math.min(row.repeat, 1000); ++r) {
          for (let c = 0; c < Math.min(cell.repeat, 64); ++c) {
            cells.set(`${columnLetters(cell.column + c)}${row.index + r}`, { style, value: held ? seen.join(' | ') : '' });
          }
        }
      }
    }
    sheets.set(table.name, cells);
  }
  return sheets;
}

/** The span of each entry of a zip archive, header, data and descriptor, by name. */
function entrySpans(bytes) {
  const zip = readZip(new Uint8Array(bytes));
  const offsets = zip.entries.map((e) => e.offset).sort((a, b) => a - b);
  return new Map(zip.entries.map((e) => {
    const next = offsets.find((o) => o > e.offset) ?? zip.centralOffset;
    return [e.name, Buffer.from(bytes.subarray(e.offset, next)).toString('base64')];
  }));
}

let browser;
let page;
before(async () => {
  execFileSync(PYTHON, [path.join(fixtures, 'writers.py'), 'write', work], { stdio: 'pipe', timeout: 120000 });
  soffice('ods', work, [path.join(fixtures, 'samples.fods')]);
  soffice('xlsx', work, [path.join(fixtures, 'samples.fods')]);
  browser = await launch();
  page = await openPage(browser.context);
});
after(async () => {
  await browser.close();
  fs.rmSync(work, { recursive: true, force: true });
});

/** Opens `file` on the page, picks `sheet` and column `column` (from 1); returns the download's bytes and name. */
async function convertOnPage(file, sheet, column, direction) {
  await page.check(`input[name=direction][value=${direction}]`);
  await page.setInputFiles('#file', file);
  await page.locator('#file-status', { hasText: 'choose the column' }).waitFor();
  if (await page.inputValue('#sheet') !== sheet) {
    await page.selectOption('#sheet', { label: sheet });
    await page.locator('#file-status', { hasText: 'choose the column' }).waitFor();
  }
  await page.selectOption('#column', String(column));
  // Converted, or refused: then the status says why.
  await page.locator('#download-file:not([disabled])').or(page.locator('#file-status', { hasText: /cannot be converted|went wrong/ })).waitFor();
  assert.equal(await page.isDisabled('#download-file'), false, await page.textContent('#file-status'));
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download-file')]);
  return { bytes: fs.readFileSync(await download.path()), name: download.suggestedFilename(), status: await page.textContent('#file-status') };
}

const SHEET1 = 'xl/worksheets/sheet1.xml';
const CASES = [
  { file: () => path.join(work, 'samples.ods'), sheet: 'Samples', column: 3, direction: 'ne-to-am', part: 'content.xml' },
  { file: () => path.join(work, 'samples.xlsx'), sheet: 'Samples', column: 3, direction: 'am-to-ne', part: 'xl/worksheets/sheet2.xml' },
  { file: () => path.join(work, 'openpyxl.xlsx'), sheet: 'Cores', column: 3, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(work, 'pandas.xlsx'), sheet: 'Cores', column: 3, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(work, 'xlsxwriter.xlsx'), sheet: 'Cores', column: 3, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(work, 'gnumeric.xlsx'), sheet: 'Cores', column: 3, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(work, 'gnumeric.ods'), sheet: 'Cores', column: 3, direction: 'ne-to-am', part: 'content.xml' },
  { file: () => path.join(fixtures, 'excel-like.xlsx'), sheet: 'Cores', column: 2, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(fixtures, 'prefixed.xlsx'), sheet: 'Data', column: 1, direction: 'am-to-ne', part: SHEET1 },
  { file: () => path.join(fixtures, 'paired.xlsx'), sheet: 'Cores', column: 2, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(fixtures, 'namespaces.xlsx'), sheet: 'Prefixed', column: 1, direction: 'am-to-ne', part: SHEET1 },
  { file: () => path.join(fixtures, 'placeholders.xlsx'), sheet: 'Cores', column: 2, direction: 'ne-to-am', part: SHEET1 },
  { file: () => path.join(fixtures, 'runs.ods'), sheet: 'Runs', column: 2, direction: 'ne-to-am', part: 'content.xml' },
];

/** What openpyxl reads in the workbook `file`: by sheet, its cells, merged ranges, tables and pictures. */
const openpyxlReads = (file) => JSON.parse(execFileSync(PYTHON, [path.join(fixtures, 'writers.py'), 'cells', file], { encoding: 'utf8', timeout: 120000, maxBuffer: 1 << 28 }));

test('workbooks by every writer come back whole, with the column mode\'s columns, in LibreOffice and in openpyxl', async () => {
  const runs = [];
  for (const c of CASES) {
    const original = c.file();
    const converted = await convertOnPage(original, c.sheet, c.column, c.direction);
    const extension = path.extname(original);
    assert.equal(converted.name, `${path.basename(original, extension)}-${c.direction}${extension}`);
    const base = path.join(work, `case${runs.length}`);
    fs.writeFileSync(`${base}-converted${extension}`, converted.bytes);
    fs.copyFileSync(original, `${base}-original${extension}`);
    // The page says after which column it added the columns.
    const first = columnOf(/added after column ([A-Z]+)/.exec(converted.status)[1]) + 1;
    runs.push({ ...c, base: path.basename(base), extension, first });
    // Every entry but the sheet's part copied as it was.
    const before = entrySpans(fs.readFileSync(original));
    const now = entrySpans(converted.bytes);
    assert.deepEqual([...now.keys()], [...before.keys()]);
    for (const [name, span] of before) {
      if (name === c.part) assert.notEqual(now.get(name), span, name);
      else assert.equal(now.get(name), span, name);
    }
  }
  // LibreOffice reads every workbook back: as CSV, a file per sheet, and as flat XML.
  const files = runs.flatMap((r) => ['original', 'converted'].map((n) => path.join(work, `${r.base}-${n}${r.extension}`)));
  const csvDir = path.join(work, 'csv');
  const fodsDir = path.join(work, 'fods');
  soffice(CSV_FILTER, csvDir, files);
  soffice('fods', fodsDir, files);
  for (const r of runs) {
    const label = `${r.base} (${r.sheet} of ${path.basename(r.file())})`;
    const original = fodsCells(path.join(fodsDir, `${r.base}-original.fods`));
    const converted = fodsCells(path.join(fodsDir, `${r.base}-converted.fods`));
    assert.deepEqual([...converted.keys()], [...original.keys()], label);
    assert.ok(original.get(r.sheet).size > 5, label);
    for (const [sheet, cells] of original) {
      const now = converted.get(sheet);
      // Every cell as it was: formula, value, style and text; an empty styled
      // cell where a column was added keeps its style.
      for (const [name, cell] of cells) {
        const added = sheet === r.sheet && columnOf(name) >= r.first && columnOf(name) < r.first + 7;
        const seen = now.get(name);
        // (LibreOffice's own Default style is nothing to keep: it gives a boolean a style of its own.)
        if (added && cell.value === '') {
          if (cell.style !== 'Default') assert.equal(seen?.style, cell.style, `${label} ${sheet}!${name} style`);
        } else assert.deepEqual(seen, cell, `${label} ${sheet}!${name}`);
      }
      if (sheet !== r.sheet) assert.equal(now.size, cells.size, `${label} ${sheet}`);
      const csv = (n) => fs.readFileSync(path.join(csvDir, `${r.base}-${n}-${sheet}.csv`), 'utf8');
      if (sheet !== r.sheet) {
        assert.equal(csv('converted'), csv('original'), `${label} ${sheet}`);
        continue;
      }
      // The added columns: varve-batch's column mode on the sheet saved as CSV.
      const sheetCsv = path.join(work, `${r.base}-sheet.csv`);
      fs.writeFileSync(sheetCsv, csv('original'));
      const expected = csvRecords(batchOutput([r.direction, '--column', String(r.column), sheetCsv]));
      const before = csvRecords(csv('original'));
      const after = csvRecords(csv('converted'));
      const names = expected[0].slice(-7);
      const at = after[0].indexOf(names[0]);
      assert.ok(at >= before[0].length, `${label}: the added columns come after the last used one`);
      assert.equal(at, r.first, `${label}: the added columns where the page says`);
      assert.equal(after.length, before.length, label);
      for (let i = 0; i < before.length; ++i) {
        const row = after[i];
        assert.deepEqual(row.slice(0, before[i].length), before[i], `${label} row ${i + 1}`);
        assert.deepEqual(row.slice(before[i].length, at).filter((f) => f !== ''), [], `${label} row ${i + 1}`);
        // LibreOffice shows a boolean as TRUE or FALSE.
        const added = row.slice(at, at + 7).map((f, k) => (k === 6 ? f.toLowerCase() : f));
        while (added.length < 7) added.push('');
        assert.deepEqual(added, expected[i].slice(-7), `${label} row ${i + 1}`);
      }
    }
    if (r.extension !== '.xlsx') continue;
    // openpyxl: every cell as it was, empty styled ones too, in every sheet:
    // value and formula (but where the added columns now hold values), style,
    // comment and link; and the merged ranges, tables and pictures.
    const was = openpyxlReads(path.join(work, `${r.base}-original.xlsx`));
    const now = openpyxlReads(path.join(work, `${r.base}-converted.xlsx`));
    assert.deepEqual(Object.keys(now), Object.keys(was), label);
    for (const [sheet, { cells, ...rest }] of Object.entries(was)) {
      const { cells: nowCells, ...nowRest } = now[sheet];
      assert.deepEqual(nowRest, rest, `${label} ${sheet}`);
      for (const [name, cell] of Object.entries(cells)) {
        const inAdded = sheet === r.sheet && columnOf(name) >= r.first && columnOf(name) < r.first + 7;
        const seen = { ...nowCells[name] };
        if (inAdded && cell.value === null) {
          seen.value = null;
          seen.type = cell.type;
        }
        assert.deepEqual(seen, cell, `${label} ${sheet}!${name} (openpyxl)`);
      }
    }
    // An added header cell where there was none takes the style of the header cell before it.
    const headerCells = Object.entries(was[r.sheet].cells).filter(([name, cell]) => /^[A-Z]+1$/.test(name) && cell.value !== null);
    const last = headerCells.sort(([a], [b]) => columnOf(a) - columnOf(b)).at(-1)?.[1];
    for (let column = r.first; column < r.first + 7; ++column) {
      const name = `${columnLetters(column)}1`;
      if (was[r.sheet].cells[name] === undefined) assert.deepEqual(now[r.sheet].cells[name].style, last.style, `${label} ${name} (openpyxl)`);
    }
  }
});

/** The workbook preview's table: the texts of each row's cells, the header row first. */
const previewTable = () => page.$$eval('#file-preview table tr', (rows) => rows.map((row) => [...row.cells].map((cell) => cell.textContent)));

test('a workbook\'s preview is a table whose columns line up under their names: the first 50 cells, and how many more', async () => {
  const file = path.join(work, 'long.xlsx');
  execFileSync(PYTHON, ['-c', [
    'import openpyxl, sys',
    'book = openpyxl.Workbook()',
    'book.active.append(["sample", "NE varve"])',
    'for n in range(60): book.active.append([f"K-{n}", 3000 + n if n != 7 else "5674-5680"])',
    'book.save(sys.argv[1])',
  ].join('\n'), file], { stdio: 'pipe', timeout: 120000 });
  await convertOnPage(file, 'Sheet', 2, 'ne-to-am');
  const rows = await previewTable();
  assert.equal(rows.length, 1 + 50 + 1);
  assert.deepEqual(rows[0], ['Cell', 'B: NE varve', 'sequence', 'relation', 'ne_first', 'ne_last', 'am_first', 'am_last', 'false_couplets']);
  assert.deepEqual(rows[1], ['B2', '3000', 'LC', 'corresponds', '3000', '3000', '3000', '3000', 'false']);
  assert.deepEqual(rows[8], ['B9', '5674-5680', 'LC', 'span', '5674', '5680', '5691', '5695', 'true']);
  assert.deepEqual(rows[50], ['B51', '3049', 'LC', 'corresponds', '3049', '3049', '3050', '3050', 'false']);
  assert.deepEqual(rows[51], ['\u2026 and 10 more, in the download']);
  // Header cells name the columns and each row's cell; every cell lies in its column's bounds.
  assert.deepEqual(await page.$$eval('#file-preview th', (cells) => [...new Set(cells.map((th) => `${th.parentElement.parentElement.tagName} ${th.scope}`))]), ['THEAD col', 'TBODY row']);
  const misplaced = await page.$$eval('#file-preview tbody tr', (rows) => {
    const columns = [...document.querySelectorAll('#file-preview thead th')].map((th) => th.getBoundingClientRect());
    return rows.flatMap((row, r) => [...row.cells].flatMap((cell, k) => {
      const box = cell.getBoundingClientRect();
      return Math.abs(box.left - columns[k].left) > 0.5 || Math.abs(box.right - columns[k].right) > 0.5 ? [`row ${r + 1} cell ${k + 1}`] : [];
    }));
  });
  assert.deepEqual(misplaced, []);
});

/** Drops a file named `name` holding `bytes` onto the page, as a file manager does. */
async function drop(name, bytes) {
  await page.evaluate(([name, data]) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(data)], name));
    for (const kind of ['dragenter', 'dragover', 'drop']) {
      document.querySelector('main').dispatchEvent(new DragEvent(kind, { dataTransfer: transfer, bubbles: true, cancelable: true }));
    }
  }, [name, [...bytes]]);
}

test('a dropped file works like a chosen one: a CSV file and a workbook', async () => {
  await page.check('input[name=direction][value=ne-to-am]');
  const csv = Buffer.from('sample,NE varve\nA,3021\nB,x\n');
  await drop('dropped.csv', csv);
  await page.locator('#file-status', { hasText: 'dropped.csv: choose the column' }).waitFor();
  await page.selectOption('#column', '2');
  await page.waitForSelector('#download-file:not([disabled])');
  const file = tempFile('dropped.csv', csv);
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download-file')]);
  assert.equal(fs.readFileSync(await download.path(), 'utf8'), batchOutput(['ne-to-am', '--column', '2', file]));
  assert.equal(await page.isHidden('#sheet-choice'), true);

  await drop('excel-like.xlsx', fs.readFileSync(path.join(fixtures, 'excel-like.xlsx')));
  await page.locator('#file-status', { hasText: 'excel-like.xlsx: choose the column' }).waitFor();
  assert.deepEqual(await page.$$eval('#sheet option', (options) => options.map((o) => o.textContent)), ['Cores', 'Summary']);
  assert.deepEqual(await page.$$eval('#column option', (options) => options.map((o) => `${o.parentElement.label ?? ''}|${o.textContent}`)),
    ['|Choose a column', 'Named as varve numbers|B: NE varve', 'Other columns|A: sample', 'Other columns|C: twice', 'Other columns|D: taken']);
  await page.selectOption('#column', '2');
  await page.locator('#file-status', { hasText: 'Converted column B' }).waitFor();
  assert.equal(await page.textContent('#file-status'),
    'Converted column B of the sheet Cores of excel-like.xlsx (10 cells); the columns are added after column D. ' +
    'Some cells are not converted (not whole numbers, or spans that cannot be): their rows say invalid, as listed below.');
  assert.deepEqual(await page.$$eval('#file-notes li', (items) => items.map((li) => li.textContent)), [
    "B6: not a whole number: '4,282' (a thousands separator? write 4282 without one to convert it)",
    "B9: not a whole number: '#N/A'",
    "B11: not a whole number: '3021.5'",
  ]);
  const preview = await previewTable();
  assert.deepEqual(preview[0], ['Cell', 'B: NE varve', 'sequence', 'relation', 'ne_first', 'ne_last', 'am_first', 'am_last', 'false_couplets']);
  assert.deepEqual(preview[4], ['B5', ' 8000 ', 'UC', 'corresponds', '8000', '8000', '7682', '7682', 'false']);
  // Another direction keeps the workbook as converted until it is converted again.
  await page.check('input[name=direction][value=am-to-ne]');
  await page.locator('#file-caption', { hasText: 'NE to AM \u2014 kept as converted' }).waitFor();
  assert.deepEqual(await previewTable(), preview);
  await page.click('#file-again');
  await page.locator('#file-caption', { hasText: /^AM to NE$/ }).waitFor();
  await page.waitForSelector('#download-file:not([disabled])');
  assert.deepEqual((await previewTable())[0].slice(0, 3), ['Cell', 'B: NE varve', 'lc_relation']);
  // Without a header row, its cell is converted too (and is no number).
  await page.uncheck('#file-header');
  await page.selectOption('#column', '2');
  await page.locator('#file-status', { hasText: '(11 cells)' }).waitFor();
  assert.match(await page.textContent('#file-notes'), /^B1: not a whole number: 'NE varve'/);
  await page.check('#file-header');
});

test('the preview of an 8-bit file reads it as Windows-1252; the download stays byte for byte', async () => {
  await page.check('input[name=direction][value=ne-to-am]');
  const bytes = Buffer.from('site;note;ne\r\nL\xfccke;\x80 5;3021\r\n', 'latin1');
  await page.setInputFiles('#file', { name: 'latin.csv', mimeType: 'text/csv', buffer: bytes });
  await page.locator('#file-status', { hasText: 'latin.csv: choose the column' }).waitFor();
  await page.selectOption('#column', '3');
  await page.waitForSelector('#download-file:not([disabled])');
  assert.equal(await page.textContent('#file-preview'),
    'site;note;ne;sequence;relation;ne_first;ne_last;am_first;am_last;false_couplets\nL\u00fccke;\u20ac 5;3021;LC;split;3021;3021;3021;3022;false\n');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download-file')]);
  const file = tempFile('latin.csv', bytes);
  assert.deepEqual(fs.readFileSync(await download.path()),
    execFileSync(process.env.VARVE_BATCH, ['ne-to-am', '--column', '3', file]));
});

/** `bytes` (a zip archive) with its entry `name` replaced by `text`, written by the page's own zip code. */
async function withPart(bytes, name, text) {
  const { rewriteZip } = await import('./workbook/zip.mjs');
  return Buffer.from(await rewriteZip(readZip(new Uint8Array(bytes)), new Map([[name, new TextEncoder().encode(text)]])));
}

test('a workbook the page cannot keep is refused, and nothing is offered for download', async () => {
  const excel = fs.readFileSync(path.join(fixtures, 'excel-like.xlsx'));
  const ods = fs.readFileSync(path.join(work, 'samples.ods'));
  const rels = (type, target) => `<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="${type}" Target="${target}"/></Relationships>`;
  const flagged = (bytes, offset, value) => {
    const copy = Buffer.from(bytes);
    const zip = readZip(new Uint8Array(copy));
    offset(copy, zip, value);
    return copy;
  };
  const cases = [
    ['legacy.xls', Buffer.concat([Buffer.from([0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1]), Buffer.alloc(1024)]),
      'it is a legacy .xls workbook or one saved with a password; save it as .xlsx or .ods, without a password, to convert it here'],
    ['text.xlsx', Buffer.from('sample,ne\nA,3021\n'), 'it is not a zip archive, as .xlsx and .ods files are'],
    ['encrypted.xlsx', flagged(excel, (b, zip) => b.writeUInt16LE(zip.entries[0].flags | 1, zip.entries[0].central.at + 8)),
      'it is encrypted (saved with a password)'],
    ['zip64.xlsx', flagged(excel, (b, zip) => b.writeUInt32LE(0xffffffff, zip.entries[2].central.at + 20)),
      'it is a zip64 archive, which the page cannot write back'],
    ['strict.xlsx', await withPart(excel, '_rels/.rels', rels('http://purl.oclc.org/ooxml/officeDocument/relationships/officeDocument', 'xl/workbook.xml')),
      'it is saved as strict Open XML, which the page does not write'],
    ['binary.xlsx', await withPart(excel, '_rels/.rels', rels('http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument', 'xl/workbook.bin')),
      'it is a binary workbook (.xlsb), which the page does not read'],
    ['password.ods', await withPart(ods, 'META-INF/manifest.xml', '<manifest:manifest><manifest:encryption-data/></manifest:manifest>'),
      'it is encrypted (saved with a password)'],
    ['damaged.ods', flagged(ods, (b, zip) => { const e = zip.entries.find((x) => x.name === 'content.xml'); b[e.dataOffset + 10] ^= 0xff; }),
      'its zip entry content.xml is damaged'],
  ];
  for (const [name, bytes, reason] of cases) {
    await page.setInputFiles('#file', { name, mimeType: 'application/octet-stream', buffer: bytes });
    await page.locator('#file-status', { hasText: name }).waitFor();
    await page.locator('#file-status', { hasText: 'Nothing was changed' }).waitFor();
    assert.equal(await page.textContent('#file-status'), `${name} cannot be converted here: ${reason}. Nothing was changed.`);
    assert.ok(await page.isDisabled('#download-file'), name);
    assert.ok(await page.isDisabled('#column'), name);
    assert.ok(await page.isHidden('#file-progress'), name);
  }
});

test('a sheet holding only pictures says so; the file chooser offers every kind of workbook the page reads', async () => {
  await page.setInputFiles('#file', path.join(work, 'openpyxl.xlsx'));
  await page.locator('#file-status', { hasText: 'choose the column' }).waitFor();
  await page.selectOption('#sheet', { label: 'Picture' });
  await page.locator('#file-status', { hasText: 'Picture' }).waitFor();
  assert.equal(await page.textContent('#file-status'),
    'The sheet Picture of openpyxl.xlsx holds only pictures or charts, no cells to convert; choose another sheet.');
  assert.ok(await page.isDisabled('#column'));
  const accepted = (await page.getAttribute('#file', 'accept')).split(',');
  for (const extension of ['.xlsx', '.xlsm', '.xltx', '.xltm', '.ods', '.ots', '.csv', '.tsv', '.txt']) {
    assert.ok(accepted.includes(extension), extension);
  }
});

test('a workbook is read and converted off the page: a header row chosen while it is read is kept, and Stop stops reading or converting, saying so', async () => {
  const file = path.join(work, 'large.xlsx');
  execFileSync(PYTHON, ['-c', [
    'import openpyxl, sys',
    'book = openpyxl.Workbook(write_only=True)',
    'sheet = book.create_sheet("cores")',
    'sheet.append(["Cores of 2026"])',
    'sheet.append(["sample", "NE varve"])',
    'for n in range(40000): sheet.append([f"K-{n}", 3000 + n % 3000])',
    'book.save(sys.argv[1])',
  ].join('\n'), file], { stdio: 'pipe', timeout: 120000 });
  await page.check('input[name=direction][value=ne-to-am]');
  await page.check('#file-header');
  /**
   * Has the page, as soon as its status starts with `doing`, choose header row
   * 2 or press Stop (`act`): window.varveActed then gives the status it acted on.
   */
  const whenStatus = (doing, act) => page.evaluate(([doing, act]) => {
    const status = document.getElementById('file-status');
    window.varveActed = new Promise((resolve) => {
      const watch = new MutationObserver(() => {
        if (!status.textContent.startsWith(doing)) return;
        watch.disconnect();
        resolve(status.textContent);
        if (act === 'stop') {
          document.getElementById('file-stop').click();
          return;
        }
        const row = document.getElementById('header-row');
        row.value = '2';
        row.dispatchEvent(new Event('change'));
      });
      watch.observe(status, { childList: true, characterData: true, subtree: true });
    });
  }, [doing, act]);
  const acted = () => page.evaluate(() => window.varveActed);
  // Row 2 names the columns, chosen while the sheet is read (its first row is 1): kept.
  await whenStatus('Reading', 'row');
  await page.setInputFiles('#file', file);
  assert.equal(await acted(), 'Reading large.xlsx\u2026');
  await page.locator('#file-status', { hasText: 'choose the column' }).waitFor();
  assert.equal(await page.inputValue('#header-row'), '2');
  assert.equal(await page.textContent('#column option[value="2"]'), 'B: NE varve');
  // Stopped while converting: the workbook stays open, its header row too, nothing to download.
  await whenStatus('Converting', 'stop');
  await page.selectOption('#column', '2');
  assert.equal(await acted(), 'Converting column B of cores\u2026');
  const stopped = page.locator('#file-status', { hasText: 'Stopped' });
  await stopped.waitFor();
  await page.locator('#column:not([disabled])').waitFor();
  assert.equal(await page.textContent('#file-status'), 'Stopped converting column B of cores; choose a column to convert it.');
  assert.equal(await page.inputValue('#header-row'), '2');
  assert.equal(await page.inputValue('#column'), '');
  assert.ok(await page.isDisabled('#download-file'));
  assert.ok(await page.isHidden('#file-progress'));
  await page.selectOption('#column', '2');
  await page.locator('#file-status', { hasText: '(40000 cells)' }).waitFor();
  assert.deepEqual((await previewTable())[1], ['B3', '3000', 'LC', 'corresponds', '3000', '3000', '3000', '3000', 'false']);
  // Stopped while reading: nothing is open, and the file can be chosen again.
  await page.setInputFiles('#file', []);
  await whenStatus('Reading', 'stop');
  await page.setInputFiles('#file', file);
  await acted();
  await stopped.waitFor();
  assert.equal(await page.textContent('#file-status'), 'Stopped reading large.xlsx; choose the file again to convert it.');
  assert.ok(await page.isDisabled('#column'));
  assert.ok(await page.isHidden('#file-progress'));
  assert.ok(await page.isHidden('#sheet-choice'));
  await page.setInputFiles('#file', []);
  await page.setInputFiles('#file', file);
  await page.locator('#file-status', { hasText: 'choose the column' }).waitFor();
});

test('opened from file://, the page made no network request and raised no error', () => {
  assert.deepEqual(browser.requests.filter((url) => !url.startsWith('file://') && !url.startsWith('blob:')), []);
  assert.deepEqual(browser.errors, []);
});

/** Writes `bytes` to a file of its own for varve-batch; returns its path. */
function tempFile(name, bytes) {
  const file = path.join(work, name);
  fs.writeFileSync(file, bytes);
  return file;
}
