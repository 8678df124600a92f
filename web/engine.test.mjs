import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import { loadEngine, NE_TO_AM } from './engine.mjs';

const wasm = process.env.VARVE_WASM ?? path.resolve(path.dirname(new URL(import.meta.url).pathname), '../build-web/varve-engine.wasm');

test('workbook cells reach the engine whole, whatever characters their names and texts hold, and where', async () => {
  const engine = await loadEngine(fs.readFileSync(wasm));
  const cases = [
    // [name, text of a cell that is not a whole number]
    ['C2', 'five'],
    ['C3', 'f\u00fcnf'],
    ['\u00c44', '\u00e9'],
    ['C5', '\u{1F600}x'],
    ['C6', 'x\u{1F600}'],
    ['C7', 'abc\u20ac'],
    ['\u4e2d8', '\u4e2d\u6587 2'],
  ];
  const cells = [['A1', 'n4282'], ...cases.map(([name, text]) => [name, `t${text}`]), ['\u00c49', 'n4282'], ['A10', '']];
  const { reports, invalid, columns } = engine.convertCells(NE_TO_AM, cells);
  assert.equal(invalid, cases.length);
  assert.deepEqual(reports, cases.map(([name, text]) => `${name}: not a whole number: '${text}'`));
  const converted = columns[0];
  assert.equal(converted.length, cells.length);
  assert.equal(converted[0], converted[cells.length - 2], 'a number after the texts is read as the first');
});
