import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';
import { crc32 } from './crc32.mjs';
import { makeZip } from './make-zip.mjs';
import { readZip, rewriteZip, unzipEntry, WorkbookError, zipEntry } from './zip.mjs';

const text = (bytes) => Buffer.from(bytes).toString('utf8');

/** Checks `bytes` with Python's zipfile (CRC of every entry): their names and texts. */
function pythonReads(bytes) {
  const file = path.join(os.tmpdir(), `varve-zip-test-${process.pid}.zip`);
  fs.writeFileSync(file, bytes);
  try {
    return JSON.parse(execFileSync('python3', ['-c', `
import json, sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
assert z.testzip() is None
print(json.dumps([[i.filename, z.read(i).decode()] for i in z.infolist()]))`, file], { encoding: 'utf8' }));
  } finally {
    fs.rmSync(file);
  }
}

const FILES = [
  ['mimetype', 'application/vnd.oasis.opendocument.spreadsheet', { stored: true }],
  ['content.xml', '<a>'.repeat(300) + 'content', { descriptor: true }],
  ['styles.xml', 'styles '.repeat(50), { descriptor: true }],
  ['Thumbnails/thumbnail.png', 'png', { stored: true, extra: Buffer.from([0x55, 0x54, 1, 0, 7]) }],
];

test('reads stored and deflated entries, with and without data descriptors', async () => {
  const zip = readZip(makeZip(FILES, 'a comment'));
  assert.deepEqual(zip.entries.map((entry) => entry.name), FILES.map(([name]) => name));
  for (const [name, content] of FILES) {
    assert.equal(text(await unzipEntry(zip, zipEntry(zip, name))), content, name);
  }
});

test('rewrites one entry and copies every other byte', async () => {
  for (const replacedName of ['content.xml', 'styles.xml', 'mimetype', 'Thumbnails/thumbnail.png']) {
    const bytes = makeZip(FILES, 'kept');
    const zip = readZip(bytes);
    const out = await rewriteZip(zip, new Map([[replacedName, new TextEncoder().encode('new ' + replacedName)]]));
    const again = readZip(out);
    assert.deepEqual(pythonReads(out), FILES.map(([name, content]) => [name, name === replacedName ? 'new ' + name : content]));
    for (const entry of zip.entries) {
      const now = zipEntry(again, entry.name);
      if (entry.name === replacedName) {
        assert.equal(now.method, entry.method, 'compressed as it was');
        assert.equal(now.flags & 8, 0, 'sizes in its header');
        continue;
      }
      // The entry's whole span (header, data, descriptor) and its directory record but the offset.
      const span = (z, e) => {
        const i = z.entries.filter((x) => x.offset > e.offset).map((x) => x.offset);
        return Buffer.from(z.bytes.subarray(e.offset, Math.min(z.centralOffset, ...i)));
      };
      assert.deepEqual(span(again, now), span(zip, entry), entry.name);
      const record = (z, e) => Buffer.from(z.bytes.subarray(e.central.at, e.central.at + e.central.length)).fill(0, 42, 46);
      assert.deepEqual(record(again, now), record(zip, entry), entry.name);
    }
    assert.equal(again.entries[0].name, 'mimetype');
    assert.equal(text(out.subarray(out.length - 4)), 'kept');
  }
  const zip = readZip(makeZip(FILES));
  assert.deepEqual(await rewriteZip(zip, new Map()), zip.bytes, 'nothing replaced, nothing changed');
});

test('refuses what it cannot write back unchanged', async () => {
  const zip64Extra = Buffer.from([1, 0, 0, 0]);
  const cases = [
    [new TextEncoder().encode('sample,ne\nA,3021\n'), /not a zip archive/],
    [new Uint8Array([0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1, ...new Array(600).fill(0)]), /not a zip archive/],
    [makeZip([['a.xml', 'x', { flags: 1 }]]), /encrypted/],
    [makeZip([['a.xml', 'x', { extra: zip64Extra }]]), /zip64/],
    [(() => {
      const bytes = makeZip([['a.xml', 'x']]);
      const locator = Buffer.alloc(20);
      locator.writeUInt32LE(0x07064b50, 0);
      const end = bytes.length - 22;
      const out = Buffer.concat([bytes.subarray(0, end), locator, bytes.subarray(end)]);
      return new Uint8Array(out);
    })(), /zip64|directory/],
    [makeZip([['a.xml', 'x']]).subarray(0, 30), /not a zip archive/],
  ];
  for (const [bytes, message] of cases) {
    assert.throws(() => readZip(bytes), (error) => error instanceof WorkbookError && message.test(error.message));
  }
  const damaged = makeZip([['a.xml', 'some text here', { stored: true }]]);
  damaged[36] ^= 1; // A byte of the data.
  const zip = readZip(damaged);
  await assert.rejects(unzipEntry(zip, zip.entries[0]), /damaged/);
});

test('a replaced entry is deflated as by deflate-raw, a megabyte at a time, with the CRC-32 of its bytes', async () => {
  const deflateRaw = async (bytes) => {
    let at = 0;
    const source = new ReadableStream({
      pull(controller) {
        if (at < bytes.length) controller.enqueue(bytes.subarray(at, (at += 1 << 20)));
        if (at >= bytes.length) controller.close();
      },
    });
    return new Uint8Array(await new Response(source.pipeThrough(new CompressionStream('deflate-raw'))).arrayBuffer());
  };
  let seed = 7;
  const noise = Uint8Array.from({ length: 1.5 * (1 << 20) }, () => (seed = (seed * 1103515245 + 12345) >>> 0) >>> 24);
  const cases = [
    ['empty', new Uint8Array(0)],
    ['one byte', new TextEncoder().encode('a')],
    ['text past two megabytes, beyond ASCII', new TextEncoder().encode('<c r="A1"><v>2400</v></c>\u00e9\u4e2d'.repeat(80000))],
    ['bytes that do not compress', noise],
  ];
  for (const [label, data] of cases) {
    const out = await rewriteZip(readZip(makeZip(FILES)), new Map([['content.xml', data]]));
    const entry = zipEntry(readZip(out), 'content.xml');
    assert.equal(entry.method, 8, label);
    assert.equal(entry.crc, crc32(data), label);
    assert.equal(entry.size, data.length, label);
    assert.deepEqual(out.subarray(entry.dataOffset, entry.dataOffset + entry.compressedSize), await deflateRaw(data), label);
    assert.deepEqual(await unzipEntry(readZip(out), entry), data, label);
  }
});

test('a deflated entry whose data, CRC-32 or size do not agree is refused as damaged', async () => {
  const content = Array.from({ length: 3000 }, (_, i) => `<row r="${i}"><c><v>${(i * 7919) % 6700}</v></c></row>`).join('');
  const bytes = makeZip([['a.xml', content]]);
  const entry = readZip(bytes).entries[0];
  const cases = [
    ['as written', (e) => e, null],
    ['CRC-32 off by one bit', (e) => ({ ...e, crc: (e.crc ^ 1) >>> 0 }), /damaged/],
    ['size one byte more', (e) => ({ ...e, size: e.size + 1 }), /damaged/],
    ['size one byte less', (e) => ({ ...e, size: e.size - 1 }), /damaged/],
    ['data cut short', (e) => ({ ...e, compressedSize: e.compressedSize - 1 }), /damaged/],
    ['data cut in half', (e) => ({ ...e, compressedSize: e.compressedSize >> 1 }), /damaged/],
    ['a byte of the data changed', (e) => {
      const changed = new Uint8Array(bytes);
      changed[e.dataOffset + (e.compressedSize >> 1)] ^= 0x10;
      return { zip: { ...readZip(changed) }, entry: e };
    }, /damaged/],
  ];
  for (const [label, change, refused] of cases) {
    const changed = change(entry);
    const [zip, e] = changed.zip ? [changed.zip, changed.entry] : [readZip(bytes), changed];
    if (refused === null) assert.equal(text(await unzipEntry(zip, e)), content, label);
    else await assert.rejects(unzipEntry(zip, e), (error) => error instanceof WorkbookError && refused.test(error.message), label);
  }
});
