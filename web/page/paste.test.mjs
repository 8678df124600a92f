import assert from 'node:assert/strict';
import { test } from 'node:test';
import { CHOOSE_COLUMN, CHOOSE_LIST, CHOOSE_NONE, PASTE_LINES, PASTE_LIST } from '../engine.mjs';
import { csvFields, holdsPaste, lineStarts, pasteStatus, visibleRows } from './paste.mjs';

test('a line of CSV as its fields', () => {
  for (const [line, values] of [
    ['5674,LC,corresponds', ['5674', 'LC', 'corresponds']],
    ['', ['']],
    ['a,', ['a', '']],
    [',,', ['', '', '']],
    ['"5580-5700","NE, LC"', ['5580-5700', 'NE, LC']],
    ['"say ""5674""",x', ['say "5674"', 'x']],
    ['""', ['']],
    ['"""",', ['"', '']],
    ['"unclosed, still one', ['unclosed, still one']],
    ['"a"b,c', ['ab', 'c']],
  ]) {
    assert.deepEqual(csvFields(line), values, line);
  }
});

test('the start of each line, and one past the end', () => {
  const bytes = (text) => new TextEncoder().encode(text);
  assert.deepEqual(lineStarts(bytes('a,b\n1,2\n')), [0, 4, 8]);
  assert.deepEqual(lineStarts(bytes('a,b\n1,2')), [0, 4]);
  assert.deepEqual(lineStarts(bytes('')), [0]);
});

test('a paste of more than 2,000 lines is held by the page', () => {
  for (const [text, held] of [['', false], ['5674\n'.repeat(1999), false], ['5674\n'.repeat(2000), true],
    [`${'5674\n'.repeat(1999)}5675`, false], ['5674 '.repeat(100000), false]]) {
    assert.equal(holdsPaste(text), held, `${text.split('\n').length} lines`);
  }
});

test('the rows drawn: those in view, ten before and twenty after, within the table', () => {
  for (const [scrollTop, height, count, rows] of [
    [0, 0, 1000, [0, 36]],
    [0, 260, 1000, [0, 30]],
    [2600, 260, 1000, [90, 120]],
    [26000, 260, 1010, [990, 1010]],
    [0, 400, 3, [0, 3]],
  ]) {
    assert.deepEqual(visibleRows(scrollTop, height, count), rows, JSON.stringify([scrollTop, height, count]));
  }
});

test('the status of a converted paste says how it was read and what is listed below', () => {
  const lines = { reading: PASTE_LINES, choice: CHOOSE_NONE, quoted: false, bad: 0, reports: [] };
  const list = { reading: PASTE_LIST, choice: CHOOSE_NONE, bad: 0, reports: [] };
  for (const [result, count, status] of [
    [lines, 1, '1 row, one per line.'],
    [{ ...lines, quoted: true, bad: 2, reports: ['a', 'b'] }, 3, '3 rows, one per line. A quoted cell holding a line break is one line.' +
      ' Lines that are not converted (not whole numbers, or spans that cannot be) are marked invalid, as listed below.'],
    [{ ...lines, choice: CHOOSE_COLUMN }, 2, 'Read as a column, as you chose: 2 rows, one per line.'],
    [list, 4, '4 rows.'],
    [{ ...list, reports: ['a note'] }, 4, '4 rows. See the notes on the list below.'],
    [{ ...list, bad: 1, reports: ['x'] }, 4, '4 rows. Tokens that are not whole numbers were skipped, as listed below; every other one was converted.'],
    [{ ...list, choice: CHOOSE_LIST }, 5, 'Read as a list, as you chose: 5 rows. The rows do not stand line for line beside the paste.'],
  ]) {
    assert.equal(pasteStatus(result, count), status);
  }
});
