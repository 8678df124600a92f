import assert from 'node:assert/strict';
import { test } from 'node:test';
import { storedNumber } from './engine.mjs';

test('a number cell\'s code is read as the double its text is, or an infinity when it is no plain number', () => {
  const cases = [
    ['n4282', 4282], ['n-17', -17], ['n+5', 5], ['n007', 7], ['n-0', -0], ['n0', 0],
    ['n999999999999999', 999999999999999], ['n9007199254740993', 9007199254740992],
    ['n12345678901234567890', 12345678901234567890], ['n4282.5', 4282.5], ['n1e3', 1000],
    ['n.5', 0.5], ['n5.', 5], ['n-1.5E-2', -0.015], ['n0.1', 0.1],
    ['n', Infinity], ['n-', Infinity], ['n+', Infinity], ['n 5', Infinity], ['n5 ', Infinity],
    ['n0x10', Infinity], ['n1,5', Infinity], ['nInfinity', Infinity], ['n1e', Infinity], ['n--5', Infinity],
  ];
  for (const [code, expected] of cases) assert.equal(Object.is(storedNumber(code), expected), true, `${code}: ${storedNumber(code)}`);
});
