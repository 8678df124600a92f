import assert from 'node:assert/strict';
import { test } from 'node:test';
import { columnLetters, columnOf, rowOf } from './cells.mjs';

test('column letters and cell names', () => {
  for (const [column, letters] of [[0, 'A'], [25, 'Z'], [26, 'AA'], [51, 'AZ'], [52, 'BA'], [701, 'ZZ'], [702, 'AAA'], [16383, 'XFD']]) {
    assert.equal(columnLetters(column), letters);
    assert.equal(columnOf(letters), column);
    assert.equal(columnOf(`${letters.toLowerCase()}17`), column);
  }
  assert.equal(columnOf('17'), -1);
  assert.equal(rowOf('XFD1048576'), 1048576);
  assert.equal(rowOf('B'), 0);
});
