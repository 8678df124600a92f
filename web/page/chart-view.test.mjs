import assert from 'node:assert/strict';
import { test } from 'node:test';
import { sameMark, stepAfterKey } from './chart-view.mjs';

test('a mark is the same when its number, or both ends of its span, are', () => {
  for (const [a, b, same] of [
    [null, null, true], [5674, 5674, true], [[5580, 5700], [5580, 5700], true],
    [null, 5674, false], [5674, 5675, false], [[5580, 5700], [5580, 5701], false],
    [[5580, 5700], [5581, 5700], false], [5580, [5580, 5580], false], [[5580, 5700], null, false],
  ]) {
    assert.equal(sameMark(a, b), same, JSON.stringify([a, b]));
    assert.equal(sameMark(b, a), same, JSON.stringify([b, a]));
  }
});

test('keys move between the chart markers; others are left to the browser', () => {
  for (const [key, at, to] of [
    ['ArrowRight', 3, 4], ['ArrowDown', 3, 4], ['ArrowLeft', 3, 2], ['ArrowUp', 3, 2],
    ['Home', 3, 0], ['End', 3, 9], ['ArrowLeft', 0, -1], ['Tab', 3, null], ['Enter', 3, null], [' ', 3, null],
  ]) {
    assert.equal(stepAfterKey(key, at, 10), to, key);
  }
});
