import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { loadEngine } from '../engine.mjs';
import { isWorkbook, openWorkbook } from './workbook.mjs';
import { readZip, WorkbookError } from './zip.mjs';

const fixtures = path.join(path.dirname(new URL(import.meta.url).pathname), '../fixtures');
const bytes = (text) => new TextEncoder().encode(text);

/** The engine the page's worker checks a rewritten part with: VARVE_WASM, else the web preset's. */
const engine = await loadEngine(fs.readFileSync(process.env.VARVE_WASM ??
  path.resolve(path.dirname(new URL(import.meta.url).pathname), '../../build-web/varve-engine.wasm')));

test('workbooks are told from text files by their bytes, and by their names', () => {
  for (const [name, content, expected] of [
    ['cores.xlsx', bytes('sample,ne'), true],
    ['cores.ODS', bytes(''), true],
    ['cores.csv', new Uint8Array([0x50, 0x4b, 0x03, 0x04, 0]), true],
    ['cores.xls', new Uint8Array([0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1]), true],
    ['cores.xls', bytes('sample\tne\nA\t3021\n'), false],
    ['cores.csv', bytes('PK,3021\n'), false],
    ['cores.txt', bytes(''), false],
  ]) {
    assert.equal(isWorkbook(name, content), expected, name);
  }
});

test('a sheet gives the engine its column\'s cells, and takes back the added ones', async () => {
  const file = new Uint8Array(fs.readFileSync(path.join(fixtures, 'prefixed.xlsx')));
  const book = await openWorkbook(file, engine);
  assert.equal(book.kind, 'xlsx');
  assert.deepEqual(book.sheets, ['Data']);
  const sheet = await book.sheet(0);
  assert.equal(sheet.columns, 3);
  assert.deepEqual(sheet.headerCells(), ['AM varve', 'site', '']);
  const { cells, records } = sheet.cells(0, true);
  assert.deepEqual(cells, [['A2', 'n6245'], ['A4', 'n2500'], ['A7', 'n8700']]);
  const none = sheet.cells(0, false);
  assert.deepEqual(none.cells.map(([name]) => name), ['A1', 'A2', 'A4', 'A7']);
  // Two columns as an interval's ends: every row with either end, each end named, an empty one too.
  const ends = sheet.intervalCells(0, 1, true);
  assert.deepEqual(ends.pairs, [[['A2', 'n6245'], ['B2', 'ta']], [['A4', 'n2500'], ['B4', '']],
    [['A6', ''], ['B6', 'tno varve']], [['A7', 'n8700'], ['B7', '']]]);
  assert.deepEqual(ends.records.map(({ row }) => row.index), [2, 4, 6, 7]);
  const names = [{ name: 'first', kind: 'n' }, { name: 'flag', kind: 'b' }];
  const saved = await sheet.save(0, true, names, [['1', 'true'], ['', ''], ['3', 'false']], records);
  const again = await (await openWorkbook(saved, engine)).sheet(0);
  assert.deepEqual(again.headerCells(), ['AM varve', 'site', '', 'first', 'flag']);
  const flags = again.cells(4, true).cells;
  assert.deepEqual(flags, [['E2', 'tTRUE'], ['E7', 'tFALSE']]);
  assert.deepEqual(again.cells(3, true).cells, [['D2', 'n1'], ['D7', 'n3']]);
  assert.equal(readZip(saved).entries.length, readZip(file).entries.length);
});

/** Every cell code of `sheet` in its first `columns` columns, by cell name. */
function allCodes(sheet, columns) {
  const codes = new Map();
  for (let column = 0; column < columns; ++column) {
    for (const [name, code] of sheet.cells(column, false).cells) {
      // A repeated row's cells ("B3-B5"), one by one.
      const [, letters, from, to = from] = /^([A-Z]+)(\d+)(?:-[A-Z]+(\d+))?$/.exec(name);
      for (let row = Number(from); row <= Number(to); ++row) codes.set(`${letters}${row}`, code);
    }
  }
  return codes;
}

test('workbooks in each writer\'s form keep every cell, take the added columns after the last used one, and come back well-formed', async () => {
  const names = [{ name: 'first', kind: 'n' }, { name: 'flag', kind: 'b' }];
  for (const [file, index, column, columns, flags, added] of [
    ['paired.xlsx', 0, 1, 2, {}, { C1: 'tfirst', D1: 'tflag', C2: 'n1', D2: 'tTRUE', C6: 'n3', D6: 'tTRUE' }],
    ['namespaces.xlsx', 0, 0, 2, {}, { C1: 'tfirst', C2: 'n1', D4: 'tTRUE' }],
    ['namespaces.xlsx', 1, 0, 1, {}, { B1: 'tfirst', B2: 'n1', C2: 'tTRUE' }],
    ['placeholders.xlsx', 0, 1, 4, {}, { E1: 'tfirst', F1: 'tflag', E2: 'n1', F6: 'tTRUE' }],
    ['placeholders.xlsx', 1, 0, 0, { empty: true, pictures: true }, {}],
    ['runs.ods', 0, 1, 3, {}, { D1: 'tfirst', E1: 'tflag', D2: 'n1', E2: 'tTRUE' }],
  ]) {
    const label = `${file} sheet ${index}`;
    const original = new Uint8Array(fs.readFileSync(path.join(fixtures, file)));
    const book = await openWorkbook(original, engine);
    const sheet = await book.sheet(index);
    assert.equal(sheet.columns, columns, label);
    assert.equal(sheet.empty, flags.empty ?? false, label);
    assert.equal(sheet.pictures, flags.pictures ?? false, label);
    if (sheet.empty) continue;
    const { records, cells } = sheet.cells(column, true);
    // Nothing added: the workbook as it came, byte for byte.
    assert.deepEqual(await sheet.save(column, true, [], records.map(() => []), records), original, label);
    const lines = records.map((_, i) => (i % 2 === 0 ? [`${i + 1}`, 'true'] : ['', '']));
    const saved = await sheet.save(column, true, names, lines, records);
    const again = await (await openWorkbook(saved, engine)).sheet(index);
    const before = allCodes(sheet, columns);
    const after = allCodes(again, columns + 2);
    for (const [name, code] of before) assert.equal(after.get(name), code, `${label} ${name}`);
    for (const [name, code] of Object.entries(added)) assert.equal(after.get(name), code, `${label} ${name}`);
    assert.equal(again.columns, columns + 2, label);
    assert.ok(cells.length > 0, label);
    // Every other entry as it was.
    const entries = (bytes) => new Map(readZip(bytes).entries.map((e) => [e.name, Buffer.from(bytes.subarray(e.dataOffset, e.dataOffset + e.compressedSize)).toString('base64')]));
    const was = entries(original);
    const now = entries(saved);
    assert.deepEqual([...now.keys()], [...was.keys()], label);
    const changed = [...was.keys()].filter((name) => now.get(name) !== was.get(name));
    assert.equal(changed.length, 1, `${label}: ${changed}`);
  }
});

test('a sheet that is not well-formed XML is read, but never written back', async () => {
  const { rewriteZip, unzipEntry, zipEntry } = await import('./zip.mjs');
  const file = new Uint8Array(fs.readFileSync(path.join(fixtures, 'paired.xlsx')));
  const zip = readZip(file);
  const part = 'xl/worksheets/sheet1.xml';
  const text = new TextDecoder().decode(await unzipEntry(zip, zipEntry(zip, part)));
  const damaged = await rewriteZip(zip, new Map([[part, new TextEncoder().encode(text.replace('</sheetViews>', '</sheetview>'))]]));
  const sheet = await (await openWorkbook(damaged, engine)).sheet(0);
  const { records } = sheet.cells(1, true);
  await assert.rejects(sheet.save(1, true, [{ name: 'first', kind: 'n' }], records.map(() => ['1']), records),
    (error) => error instanceof WorkbookError && error.message === `its part ${part} is not well-formed XML: </sheetview> where </sheetViews> belongs (line 2)`);
});
