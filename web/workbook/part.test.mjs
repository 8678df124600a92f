// A workbook part written into the engine a piece at a time (engine.mjs
// partWriter), as the page writes a rewritten part: its deflate data read
// back by node's own inflate, its CRC-32 by node's, whatever the pieces; the
// well-formedness check of the whole part; and the writer and the engine's
// start working from their text alone, as a worker's source holds them.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import vm from 'node:vm';
import zlib from 'node:zlib';
import fc from 'fast-check';
import { instantiate, loadEngine, partWriter } from '../engine.mjs';
import { crc32 } from './crc32.mjs';
import { joinBytes } from './zip.mjs';

const wasm = fs.readFileSync(process.env.VARVE_WASM ??
  path.resolve(path.dirname(new URL(import.meta.url).pathname), '../../build-web/varve-engine.wasm'));
const engine = await loadEngine(wasm);
const seconds = Number(process.env.VARVE_FUZZ_SECONDS ?? 8);

/** Pseudo-random numbers from `seed`, the same each run: a function giving integers below `n`. */
function numbers(seed) {
  let state = seed >>> 0;
  return (n) => {
    state = (Math.imul(state, 1103515245) + 12345) >>> 0;
    return (state >>> 8) % n;
  };
}

/** `size` pseudo-random bytes. */
function noise(size, seed) {
  const next = numbers(seed);
  return Uint8Array.from({ length: size }, () => next(256));
}

/** A sheet's XML of `rows` rows, as UTF-8. */
function sheet(rows) {
  let text = '<?xml version="1.0" encoding="UTF-8"?><worksheet><sheetData>';
  for (let r = 1; r <= rows; ++r) {
    text += `<row r="${r}"><c r="A${r}"><v>${(r * 7919) % 10007}</v></c><c r="B${r}" t="inlineStr"><is><t>r\u00e9sum\u00e9 ${r % 13}</t></is></c></row>`;
  }
  return new TextEncoder().encode(`${text}</sheetData></worksheet>`);
}

/** Writes `bytes` through `writer` in pieces cut at `cuts` (sorted offsets), deflating after each. */
function writeInPieces(writer, bytes, cuts) {
  let from = 0;
  for (const cut of [...cuts, bytes.length]) {
    writer.write(bytes.subarray(from, cut));
    writer.deflate();
    from = cut;
  }
  return writer.finish();
}

/** Asserts that `result` is `bytes` deflated: inflated whole, with their length and CRC-32. */
function assertDeflated(result, bytes, what) {
  assert.equal(result.size, bytes.length, what);
  assert.equal(result.crc, zlib.crc32 ? zlib.crc32(bytes) : crc32(bytes), what);
  assert.deepEqual(new Uint8Array(zlib.inflateRawSync(result.compressed)), bytes, what);
}

test('a part written in pieces deflates to what node inflates back whole, with its CRC-32', () => {
  const run = new Uint8Array(100000).fill(0x61);
  const cases = [
    ['empty', new Uint8Array(0)],
    ['one byte', new Uint8Array([0x3c])],
    ['a sheet', sheet(2000)],
    ['random bytes', noise(300000, 1)],
    ['a long run', run],
    ['over a megabyte, mixed', joinBytes([sheet(10000), noise(70000, 2), run, sheet(5000)])],
  ];
  const next = numbers(7);
  for (const [what, bytes] of cases) {
    const whole = writeInPieces(engine.part(), bytes, []);
    assertDeflated(whole, bytes, what);
    for (let round = 0; round < 3; ++round) {
      const cuts = Array.from({ length: 1 + next(40) }, () => next(bytes.length + 1)).sort((a, b) => a - b);
      const result = writeInPieces(engine.part(), bytes, cuts);
      assertDeflated(result, bytes, `${what}, cut at ${cuts.length} places`);
      assert.deepEqual(result.compressed, whole.compressed, `${what}: the same data however it is cut`);
    }
    // Written without deflating on the way, it is deflated whole at the end.
    const writer = engine.part();
    writer.write(bytes);
    assertDeflated(writer.finish(), bytes, `${what}, deflated at the end`);
  }
});

test('the check of a part written in pieces finds its fault, and none in a well-formed part, checked as it is deflated or at the end', () => {
  const cases = [
    ['<a><b/></a>', null],
    ['<a>\n<b></a>', '</a> where </b> belongs (line 2)'],
    ['', 'no root element'],
    ['<a>&amp;\u00e9\u{1F600}</a>', null],
    ['<a>&am</a>', 'an & that begins no reference (line 1)'],
    ['<a x="1"\n/><b/>', 'a second root element, <b> (line 2)'],
    ['<a><!-- - --></a>\u00e9', 'text outside the root element (line 1)'],
  ];
  for (const [text, fault] of cases) {
    const bytes = new TextEncoder().encode(text);
    // In two pieces, checked at the end; and byte by byte, checked as each is deflated.
    const writer = engine.part();
    writer.write(bytes.subarray(0, 3));
    writer.write(bytes.subarray(3));
    assert.equal(writer.check(), fault, text);
    const fed = engine.part();
    for (let at = 0; at < bytes.length; ++at) {
      fed.write(bytes.subarray(at, at + 1));
      fed.deflate();
    }
    assert.equal(fed.check(), fault, `${text}, fed`);
    // Asked again, the check reads the whole part again.
    assert.equal(fed.check(), fault, `${text}, again`);
  }
});

test('the engine and the part writer start from their text alone, in a context of their own', () => {
  const context = vm.createContext({ TextDecoder, module: new WebAssembly.Module(wasm) });
  const result = vm.runInContext(`(${instantiate})(module)`, context);
  const writer = vm.runInContext(`(${partWriter})`, context)(result);
  const bytes = sheet(100);
  assertDeflated(writeInPieces(writer, bytes, [10, 500]), bytes, 'in a context of its own');
});

test('any bytes cut anywhere deflate to what inflates back whole (property)', () => {
  fc.assert(
    fc.property(
      fc.oneof(fc.uint8Array({ maxLength: 3000 }), fc.uint8Array({ min: 97, max: 99, maxLength: 3000 })),
      fc.array(fc.nat(), { maxLength: 8 }),
      (bytes, at) => {
        const cuts = at.map((n) => n % (bytes.length + 1)).sort((a, b) => a - b);
        assertDeflated(writeInPieces(engine.part(), bytes, cuts), bytes, `cut at ${cuts}`);
      },
    ),
    { interruptAfterTimeLimit: seconds * 1000, numRuns: 1e6 },
  );
});
