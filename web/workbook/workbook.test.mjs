import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { isWorkbook, openWorkbook } from './workbook.mjs';
import { readZip } from './zip.mjs';

const fixtures = path.join(path.dirname(new URL(import.meta.url).pathname), '../fixtures');
const bytes = (text) => new TextEncoder().encode(text);

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
  const book = await openWorkbook(file);
  assert.equal(book.kind, 'xlsx');
  assert.deepEqual(book.sheets, ['Data']);
  const sheet = await book.sheet(0);
  assert.equal(sheet.columns, 3);
  assert.deepEqual(sheet.headerCells(), ['AM varve', 'site', '']);
  const { cells, records } = sheet.cells(0, true);
  assert.deepEqual(cells, [['A2', 'n6245'], ['A4', 'n2500'], ['A7', 'n8700']]);
  const none = sheet.cells(0, false);
  assert.deepEqual(none.cells.map(([name]) => name), ['A1', 'A2', 'A4', 'A7']);
  const names = [{ name: 'first', kind: 'n' }, { name: 'flag', kind: 'b' }];
  const saved = await sheet.save(0, true, names, ['\t1\ttrue', '\t\t', '\t3\tfalse'], records);
  const again = await (await openWorkbook(saved)).sheet(0);
  assert.deepEqual(again.headerCells(), ['AM varve', 'site', '', 'first', 'flag']);
  const flags = again.cells(4, true).cells;
  assert.deepEqual(flags, [['E2', 'tTRUE'], ['E7', 'tFALSE']]);
  assert.deepEqual(again.cells(3, true).cells, [['D2', 'n1'], ['D7', 'n3']]);
  assert.equal(readZip(saved).entries.length, readZip(file).entries.length);
});
