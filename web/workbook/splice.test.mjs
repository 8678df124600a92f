import assert from 'node:assert/strict';
import { test } from 'node:test';
import { Splice, spliceInto } from './splice.mjs';

test('kept ranges and new text give the new text', () => {
  for (const old of ['<a><b>1</b><b>2</b></a>', '\uFEFF<a><b>L\u00fccke</b><b>\u{1F600}\u20ac</b></a>']) {
    const first = old.indexOf('</b>');
    const second = old.lastIndexOf('</b>');
    const splice = new Splice(old);
    splice.keep(first);
    splice.add('+x');
    splice.add('&amp;');
    splice.keep(second);
    splice.skip(second + 4);
    splice.add(old.includes('\u00fc') ? '<c>\u00e9</c>' : '</c>');
    // The same old range again, as a repeated row is written twice.
    splice.copy(0, first);
    const expected = `${old.slice(0, first)}+x&amp;${old.slice(first, second)}${old.includes('\u00fc') ? '<c>\u00e9</c>' : '</c>'}` +
      `${old.slice(0, first)}${old.slice(second + 4)}`;
    const text = splice.text();
    assert.equal(text, expected);
  }
  const untouched = new Splice('<a/>');
  assert.equal(untouched.text(), '<a/>');
  assert.ok(untouched.unchanged());
});

test('a splice started in spliceInto hands over its text as UTF-8 while it is made, and only that one', () => {
  const old = '<a>\u00fc</a>';
  const given = [];
  let characters = 0;
  const splice = spliceInto((bytes, count) => {
    given.push(Buffer.from(bytes));
    characters += count;
  }, () => {
    const made = new Splice(old);
    for (let i = 0; i < 10000; ++i) {
      made.copy(0, 3);
      made.add(i % 3 === 0 ? '\u{1F600}' : `${i}`);
    }
    return made;
  });
  assert.ok(given.length > 1, 'handed over before its end');
  const text = splice.text();
  assert.deepEqual(Buffer.concat(given), Buffer.from(text, 'utf8'));
  assert.equal(characters, text.length);
  const later = new Splice(old);
  later.add('x');
  later.text();
  assert.equal(Buffer.concat(given).length, Buffer.byteLength(text), 'a splice started after it hands over nothing');
});

test('a splice says when its new text holds half of a UTF-16 pair alone, which encoding would turn into U+FFFD', () => {
  for (const [old, added, wellFormed] of [
    ['<a>\u00fc</a>', '\u{1F600}', true],
    ['<a>\u00fc</a>', '\ud83d', false],
    ['<a>\ude00</a>', 'x', false],
    ['<a></a>', '\ud83d\ude00\ud83d', false],
  ]) {
    const splice = new Splice(old);
    splice.keep(3);
    splice.add(added);
    splice.finish();
    assert.equal(splice.wellFormed, wellFormed, JSON.stringify([old, added]));
  }
});
