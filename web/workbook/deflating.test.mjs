// The rewritten part deflated by a worker of its own while it is made: in
// node, which has no Worker, by a same-thread stand-in that runs the
// worker's own code, so that the workbook this path writes can be compared
// with the one the in-thread path writes (a node process without the stand-in).

import assert from 'node:assert/strict';
import { resolveObjectURL } from 'node:buffer';
import { execFileSync } from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import { test } from 'node:test';

/**
 * What the stand-in workers did, and whether the next one fails once asked
 * for a job's data: 200 ms later, or at once when another job's pieces come
 * meanwhile.
 */
const seen = { started: 0, pieces: 0, failing: false };
globalThis.Worker = class {
  constructor(url) {
    ++seen.started;
    const post = (data, transfer) => setTimeout(() => this.onmessage?.({ data: structuredClone(data, { transfer }) }));
    this.ready = resolveObjectURL(url).text().then((code) => {
      this.deliver = new Function('postMessage', `let onmessage; ${code}; return (data) => onmessage({ data });`)(post);
    });
  }

  postMessage(data, transfer) {
    if (data.bytes !== undefined) ++seen.pieces;
    // The compiled engine is handed over as it is: node cannot clone it.
    const copy = data.module !== undefined ? data : structuredClone(data, { transfer });
    const fail = () => {
      clearTimeout(this.failing);
      setTimeout(() => this.onerror?.({ preventDefault() {} }));
    };
    if (seen.failing && copy.end) this.failing = setTimeout(fail, 200);
    else if (this.failing !== undefined && copy.bytes !== undefined) fail();
    else this.ready.then(() => this.deliver(copy));
  }

  terminate() {}
};

const here = path.dirname(new URL(import.meta.url).pathname);
const { loadEngine } = await import('../engine.mjs');
const { makeZip } = await import('./make-zip.mjs');
const { openWorkbook } = await import('./workbook.mjs');
const { WorkbookError } = await import('./zip.mjs');
const wasm = process.env.VARVE_WASM ?? path.resolve(here, '../../build-web/varve-engine.wasm');
const engine = await loadEngine(fs.readFileSync(wasm));

const RELATIONS = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships';
let rows = '<row r="1"><c r="A1" t="inlineStr"><is><t>NE varve</t></is></c><c r="B1" t="inlineStr"><is><t>note \u00e9\u{1F600}</t></is></c></row>';
for (let i = 2; i <= 12000; ++i) rows += `<row r="${i}"><c r="A${i}"><v>${2500 + (i * 7) % 6500}</v></c><c r="B${i}" t="inlineStr"><is><t>\u00e9\u{1F600}${i}</t></is></c></row>`;
/** A workbook of one sheet, `sheet` its content, deflated. */
const bookOf = (sheet) => makeZip([
  ['[Content_Types].xml', '<Types xmlns="http://schemas.openxmlformats.org/package/2006/content-types"/>'],
  ['_rels/.rels', `<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="r1" Type="${RELATIONS}/officeDocument" Target="xl/workbook.xml"/></Relationships>`],
  ['xl/workbook.xml', `<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="${RELATIONS}"><sheets><sheet name="S" sheetId="1" r:id="rId1"/></sheets></workbook>`],
  ['xl/_rels/workbook.xml.rels', `<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="${RELATIONS}/worksheet" Target="worksheets/sheet1.xml"/></Relationships>`],
  ['xl/worksheets/sheet1.xml', `<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">${sheet}</worksheet>`],
]);
/** A workbook of 12,000 rows, its sheet deflated, with text beyond ASCII. */
const book = bookOf(`<sheetData>${rows}</sheetData>`);

/** Converts column A of `bytes` as the worker does, with added texts beyond ASCII: the workbook written. */
async function converted(bytes) {
  const sheet = await (await openWorkbook(bytes, engine)).sheet(0);
  const { records } = sheet.cells(0, true);
  const names = [{ name: 'AM \u{1F600}', kind: 't' }, { name: 'AM varve', kind: 'n' }];
  return sheet.save(0, true, names, records.map((_, i) => [`\u00fc${i}`, String(3000 + i)]), records);
}

/** The same workbook converted by a node process without the stand-in, in which the part is deflated in-thread. */
function convertedInThread() {
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'varve-deflating-'));
  fs.writeFileSync(path.join(dir, 'in.xlsx'), book);
  const script = `import fs from 'node:fs';
    const { loadEngine } = await import(${JSON.stringify(path.resolve(here, '../engine.mjs'))});
    const { openWorkbook } = await import(${JSON.stringify(path.resolve(here, 'workbook.mjs'))});
    const engine = await loadEngine(fs.readFileSync(${JSON.stringify(wasm)}));
    const sheet = await (await openWorkbook(new Uint8Array(fs.readFileSync(process.argv[1])), engine)).sheet(0);
    const { records } = sheet.cells(0, true);
    const names = [{ name: 'AM \\u{1F600}', kind: 't' }, { name: 'AM varve', kind: 'n' }];
    fs.writeFileSync(process.argv[2], await sheet.save(0, true, names, records.map((_, i) => ['\\u00fc' + i, String(3000 + i)]), records));`;
  execFileSync(process.execPath, ['--input-type=module', '-e', script, path.join(dir, 'in.xlsx'), path.join(dir, 'out.xlsx')]);
  const bytes = fs.readFileSync(path.join(dir, 'out.xlsx'));
  fs.rmSync(dir, { recursive: true, force: true });
  return bytes;
}

test('a part deflated and checked by its own worker as it is made gives the workbook deflated in-thread, byte for byte, a damaged part is refused, and a worker that fails changes nothing', async () => {
  const expected = convertedInThread();
  const written = await converted(book);
  assert.equal(seen.started, 1);
  assert.ok(seen.pieces > 1, `the part handed over in pieces (${seen.pieces})`);
  assert.ok(Buffer.from(written).equals(expected), 'the same workbook as deflated in-thread');
  const again = await (await openWorkbook(written, engine)).sheet(0);
  assert.deepEqual(again.headerCells().slice(2), ['AM \u{1F600}', 'AM varve']);
  assert.deepEqual(again.cells(2, true).cells.at(-1), ['C12000', `t\u00fc${11998}`]);
  // A part found damaged by the worker's check is refused, and said to have been damaged before.
  await assert.rejects(converted(bookOf(`<sheetViews></sheetview><sheetData>${rows}</sheetData>`)), (error) =>
    error instanceof WorkbookError && error.message === 'its part xl/worksheets/sheet1.xml is not well-formed XML: </sheetview> where </sheetViews> belongs (line 1)');
  // A worker that fails when asked for its data: the part is deflated here instead.
  // A worker that fails when asked for its data: the part is deflated here
  // instead, also for a second conversion asked for meanwhile (the engine
  // here holds one part at a time, which each conversion must keep).
  seen.failing = true;
  const other = bookOf(`<sheetData>${rows.replaceAll('<v>', '<v>1')}</sheetData>`);
  const [first, second] = (await Promise.all([converted(book), converted(other)])).map((bytes) => Buffer.from(bytes));
  assert.ok(first.equals(expected), 'the same workbook after the worker failed');
  assert.ok(second.equals(Buffer.from(await converted(other))), 'the other workbook, as converted alone');
  assert.ok(!first.equals(second));
});
