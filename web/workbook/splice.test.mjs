import assert from 'node:assert/strict';
import { test } from 'node:test';
import fc from 'fast-check';
import { readOdsSheet } from './ods.mjs';
import { BYTES, Splice, spliceInto } from './splice.mjs';
import { readXlsxSheet } from './xlsx.mjs';

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

/**
 * Runs `ops` ([from, to] kept, [to] skipped to, a string added) on a Splice
 * of `old` started in spliceInto, given the old bytes when `withBytes`:
 * { bytes, characters, sizes, length, text, wellFormed } with bytes all the
 * sink was handed, joined, and sizes each hand-over's length. Each hand-over
 * is transferred, as the page's sink does, so a buffer used again fails.
 */
function run(old, ops, withBytes) {
  const given = [];
  let characters = 0;
  const splice = spliceInto((bytes, count) => {
    given.push(structuredClone(bytes, { transfer: [bytes.buffer] }));
    characters += count;
  }, () => {
    const made = new Splice(old, withBytes ? new TextEncoder().encode(old) : null);
    for (const op of ops) {
      if (typeof op === 'string') made.add(op);
      else if (op.length === 1) made.skip(op[0]);
      else made.copy(op[0], op[1]);
    }
    return made;
  });
  const length = splice.finish();
  return { bytes: Buffer.concat(given), characters, sizes: given.map((b) => b.length), length, text: splice.text(), wellFormed: splice.wellFormed };
}

/** The new text `ops` make of `old`, as run reads them: the old text's rest, from the last skip, kept at the end. */
function expected(old, ops) {
  let text = '';
  let at = 0;
  for (const op of ops) {
    if (typeof op === 'string') text += op;
    else if (op.length === 1) at = op[0];
    else text += old.slice(op[0], op[1]);
  }
  return text + old.slice(at);
}

test('a splice over ASCII bytes hands over the bytes the string path does, in full buffers, across their bounds', () => {
  const big = 'x'.repeat(BYTES - 3) + '<row r="1"><c/></row>'.repeat(BYTES / 8);
  const cases = [
    ['kept and new, small', '<a><b>1</b></a>', [[0, 6], '+\u00e9&amp;', [6, 15], '</c>']],
    ['nothing added', '<a/>', [[0, 4]]],
    ['a long kept range over three buffers', big, [[0, big.length], 'end']],
    ['short copies across a bound', big, [[0, BYTES - 5], [3, 13], [0, 30], '\u{1F600}', [0, 40]]],
    ['a four-byte character at a bound', big, [[0, BYTES - 2], '\u{1F600}\u{1F600}', [5, 9]]],
    ['a two-byte character at a bound', big, [[0, BYTES - 1], '\u00fc', 'a']],
    ['new text longer than a buffer', big, ['\u00e9'.repeat(BYTES), 'y'.repeat(BYTES + 7), [10, 20]]],
    ['a pair split over two pieces', '<a></a>', [[0, 3], 'x\ud83d', '\ude00y', [3, 7]]],
    ['half a pair before a kept range', '<a></a>', [[0, 3], 'x\ud83d', [3, 7]]],
    ['half a pair at the end', '<a></a>', [[0, 7], '\ud83d']],
    ['a lone second half', '<a></a>', [[0, 3], '\ude00', [3, 7]]],
    ['a skip and the same range twice', big, [[0, 100], [BYTES], [BYTES, BYTES + 50], [0, 100], '\u00fc']],
    ['a range kept past the old text\'s end', '<a></a>', [[0, 3], 'x', [3, 12]]],
  ];
  for (const [name, old, ops] of cases) {
    const text = expected(old, ops);
    const bytes = run(old, ops, true);
    const strings = run(old, ops, false);
    assert.deepEqual(bytes.bytes, Buffer.from(text, 'utf8'), name);
    assert.deepEqual(bytes.bytes, strings.bytes, name);
    assert.equal(bytes.text, text, name);
    assert.equal(bytes.characters, text.length, name);
    assert.equal(bytes.length, text.length, name);
    assert.equal(bytes.wellFormed, text.isWellFormed(), name);
    // Full but the last, or as full as whole characters fill them.
    assert.ok(bytes.sizes.slice(0, -1).every((size) => size > BYTES - 4 && size <= BYTES), `${name}: full buffers but the last`);
  }
});

test('a splice over bytes that are not its text\'s ASCII makes strings, and so does one without a sink', () => {
  const old = '<a>\u00fc</a>';
  const made = run(old, [[0, 3], '\u{1F600}', [3, 9]], true);
  assert.deepEqual(made.bytes, Buffer.from(expected(old, [[0, 3], '\u{1F600}', [3, 9]]), 'utf8'));
  const alone = new Splice('<a/>', new TextEncoder().encode('<a/>'));
  alone.copy(0, 2);
  alone.add('\u00e9/>');
  alone.skip(4);
  assert.equal(alone.text(), '<a\u00e9/>');
  assert.equal(alone.finish(), 5);
});

test('any edit of ASCII bytes gives the bytes, characters and text of its new text', () => {
  const old = Array.from({ length: 3000 }, (_, i) => `<c r="A${i}"><v>${i}</v></c>`).join('');
  const piece = fc.array(fc.constantFrom('a', '<c/>', '\u00e9', '\u20ac', '\u{1F600}', '\ud83d', '\ude00', 'x'.repeat(5000)), { maxLength: 6 }).map((parts) => parts.join(''));
  const range = fc.tuple(fc.nat(old.length), fc.nat(old.length)).map(([a, b]) => [Math.min(a, b), Math.max(a, b)]);
  const op = fc.oneof(range, piece, fc.nat(old.length).map((to) => [to]));
  fc.assert(fc.property(fc.array(op, { maxLength: 60 }), (ops) => {
    const text = expected(old, ops);
    const made = run(old, ops, true);
    assert.deepEqual(made.bytes, Buffer.from(text, 'utf8'));
    assert.equal(made.characters, text.length);
    assert.equal(made.length, text.length);
    assert.equal(made.text, text);
    assert.equal(made.wellFormed, text.isWellFormed());
  }), { numRuns: 300 });
});

test('a sheet edited over its part\'s bytes hands over the bytes of the text it makes, added text ASCII or not', () => {
  const count = 20000;
  let xlsxRows = '';
  let odsRows = '';
  for (let i = 1; i <= count; ++i) {
    xlsxRows += `<row r="${i}"><c r="A${i}"><v>${2500 + i}</v></c></row>`;
    odsRows += `<table:table-row><table:table-cell office:value-type="float" office:value="${2500 + i}"><text:p>${2500 + i}</text:p></table:table-cell></table:table-row>`;
  }
  const xlsx = `<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><dimension ref="A1:A${count}"/><sheetData>${xlsxRows}</sheetData></worksheet>`;
  const ods = `<office:spreadsheet><table:table table:name="S"><table:table-column/>${odsRows}</table:table></office:spreadsheet>`;
  const readers = [
    ['xlsx', xlsx, (text, bytes) => readXlsxSheet(text, [], [], bytes)],
    ['ods', ods, (text, bytes) => readOdsSheet(text, { start: text.indexOf('<table:table ') }, bytes)],
  ];
  for (const [kind, old, read] of readers) {
    for (const added of ['x', '\u00fc\u{1F600}']) {
      const additions = (sheet) => sheet.rows.map((row, i) => ({ row, cells: [{ kind: 't', text: `${added}${i}` }, { kind: 'n', text: `${3000 + i}` }], header: i === 0 }));
      const plain = read(old, null);
      const expected = Buffer.from(plain.edit(additions(plain)).text(), 'utf8');
      const given = [];
      const sheet = read(old, new TextEncoder().encode(old));
      const splice = spliceInto((bytes) => given.push(bytes), () => sheet.edit(additions(sheet)));
      splice.finish();
      assert.ok(given.length > 2, `${kind}: handed over in pieces`);
      assert.deepEqual(Buffer.concat(given), expected, `${kind} with ${JSON.stringify(added)}`);
    }
  }
});
