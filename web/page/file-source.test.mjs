import assert from 'node:assert/strict';
import { test } from 'node:test';
import { columnGroups, headerRowOf } from './file-source.mjs';

test('the header row: a whole number from 1 as typed, else the first row; none when no row names the columns', () => {
  for (const [text, row] of [['1', 1], ['3', 3], ['3.9', 3], [' 12 ', 12], ['1e2', 100], ['', 1], ['0', 1], ['0.5', 1],
    ['-2', 1], ['two', 1], ['Infinity', 1], ['NaN', 1]]) {
    assert.equal(headerRowOf(true, text), row, JSON.stringify(text));
  }
  assert.equal(headerRowOf(false, '3'), 0);
});

test('columns a header names as varve numbers are offered first, in a group of their own', () => {
  for (const [count, suggested, header, groups] of [
    [4, [2, 4], true, [[1, 3], [0, 2]]],
    [3, [1, 2, 3], true, [[0, 1, 2], []]],
    [3, [], true, null],
    // A first row that is no header names nothing.
    [3, [2], false, null],
    // A number beyond the row's cells is no column of it.
    [2, [5], true, null],
  ]) {
    assert.deepEqual(columnGroups(count, new Set(suggested), header), groups, JSON.stringify([count, suggested, header]));
  }
});
