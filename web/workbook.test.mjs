// Workbooks through the built page in headless Chromium: written by
// LibreOffice and by hand as Excel writes them, converted on the page, then
// opened again by LibreOffice: every original cell (formulas too) unchanged,
// the added columns as varve-batch's column mode gives them for the sheet
// saved as CSV, and every zip entry but the sheet's copied byte for byte.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { after, before, test } from 'node:test';
import { launch, openPage } from './browser.mjs';
import { columnLetters } from './workbook/cells.mjs';
import { readOdsSheet } from './workbook/ods.mjs';
import { attribute, eachTag } from './workbook/xml.mjs';
import { readZip } from './workbook/zip.mjs';

const here = path.dirname(new URL(import.meta.url).pathname);
const fixtures = path.join(here, 'fixtures');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'varve-workbook-test-'));
// A profile of its own, so that LibreOffice runs beside any other instance.
const profile = `-env:UserInstallation=file://${work}/profile`;
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
        if (!/office:value-type|table:formula/.test(cell.attributes)) continue;
        const seen = ['table:formula', 'office:value-type', 'office:value', 'office:date-value', 'office:boolean-value', 'table:style-name']
          .map((name) => attribute(cell.attributes, name) ?? '');
        seen.push(sheet.code(row, cell.column));
        for (let r = 0; r < row.repeat; ++r) {
          for (let c = 0; c < cell.repeat; ++c) cells.set(`${columnLetters(cell.column + c)}${row.index + r}`, seen.join(' | '));
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
  await page.waitForSelector('#download-file:not([disabled])');
  const [download] = await Promise.all([page.waitForEvent('download'), page.click('#download-file')]);
  return { bytes: fs.readFileSync(await download.path()), name: download.suggestedFilename(), status: await page.textContent('#file-status') };
}

const CASES = [
  { file: () => path.join(work, 'samples.ods'), sheet: 'Samples', column: 3, direction: 'ne-to-am', part: 'content.xml' },
  { file: () => path.join(work, 'samples.xlsx'), sheet: 'Samples', column: 3, direction: 'am-to-ne', part: 'xl/worksheets/sheet2.xml' },
  { file: () => path.join(fixtures, 'excel-like.xlsx'), sheet: 'Cores', column: 2, direction: 'ne-to-am', part: 'xl/worksheets/sheet1.xml' },
  { file: () => path.join(fixtures, 'prefixed.xlsx'), sheet: 'Data', column: 1, direction: 'am-to-ne', part: 'xl/worksheets/sheet1.xml' },
];

test('workbooks by LibreOffice and as Excel writes them come back whole, with the column mode\'s columns in LibreOffice', async () => {
  const runs = [];
  for (const c of CASES) {
    const original = c.file();
    const converted = await convertOnPage(original, c.sheet, c.column, c.direction);
    const extension = path.extname(original);
    assert.equal(converted.name, `${path.basename(original, extension)}-${c.direction}${extension}`);
    const base = path.join(work, `case${runs.length}`);
    fs.writeFileSync(`${base}-converted${extension}`, converted.bytes);
    fs.copyFileSync(original, `${base}-original${extension}`);
    runs.push({ ...c, base: path.basename(base), extension });
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
    assert.ok(original.get(r.sheet).size > 10, label);
    for (const [sheet, cells] of original) {
      const now = converted.get(sheet);
      // Every cell as it was: formula, value, style and text.
      for (const [name, cell] of cells) assert.equal(now.get(name), cell, `${label} ${sheet}!${name}`);
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
  }
});
