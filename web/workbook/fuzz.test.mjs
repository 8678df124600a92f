// Fuzzing of the workbook code with fast-check's property tests, for a
// bounded time (VARVE_FUZZ_SECONDS per property, 8 by default):
//  - any bytes, and the page's workbook fixtures with their bytes or their
//    parts' text changed, either are refused with a reason or give cells;
//    a workbook read and saved without added columns is byte for byte the
//    input, and with added columns every original cell reads back the same
//    from a part that is well-formed XML (or the save is refused with a
//    reason when the part was not well-formed before);
//  - sheets generated in every form writers use (.xlsx and .ods) take added
//    columns without a cell changed, into well-formed XML;
//  - the scanner finds the tags a pattern of the tag grammar finds, in any
//    text, and so does passing over them by where their names and they end;
//    the well-formedness check passes generated documents and names the one
//    fault put into each.
// What it found is kept in web/fixtures/fuzz/ and tried first, every run. A
// failure prints fast-check's seed and path, to replay it: VARVE_FUZZ_SEED
// and VARVE_FUZZ_PATH.

import assert from 'node:assert/strict';
import fs from 'node:fs';
import path from 'node:path';
import { test } from 'node:test';
import fc from 'fast-check';
import { loadEngine } from '../engine.mjs';
import { columnLetters } from './cells.mjs';
import { readOdsSheet } from './ods.mjs';
import { openWorkbook } from './workbook.mjs';
import { readXlsxSheet } from './xlsx.mjs';
import { eachElement, eachTag, markupEnd, nameEnd, tagEnd, TagCursor, TOP_SCOPE } from './xml.mjs';
import { readZip, rewriteZip, unzipEntry, WorkbookError } from './zip.mjs';

const fixtures = path.join(path.dirname(new URL(import.meta.url).pathname), '../fixtures');
const seconds = Number(process.env.VARVE_FUZZ_SECONDS ?? 8);
const replay = process.env.VARVE_FUZZ_SEED === undefined ? {} : { seed: Number(process.env.VARVE_FUZZ_SEED), path: process.env.VARVE_FUZZ_PATH };
const options = { interruptAfterTimeLimit: seconds * 1000, numRuns: 1e6, ...replay };
const seeds = fs.readdirSync(fixtures).filter((name) => /\.(xlsx|ods)$/.test(name)).sort()
  .map((name) => new Uint8Array(fs.readFileSync(path.join(fixtures, name))));
const found = fs.readdirSync(path.join(fixtures, 'fuzz')).filter((name) => /\.(xlsx|ods)$/.test(name)).sort().map((name) => [name, new Uint8Array(fs.readFileSync(path.join(fixtures, 'fuzz', name)))]);
/** The engine the page's worker checks a rewritten part with: VARVE_WASM, else the web preset's. */
const engine = await loadEngine(fs.readFileSync(process.env.VARVE_WASM ??
  path.resolve(path.dirname(new URL(import.meta.url).pathname), '../../build-web/varve-engine.wasm')));
/** Why `text` is not well-formed XML, by the engine's check of its UTF-8 bytes; null when it is. */
const xmlFault = (text) => engine.xmlFault(new TextEncoder().encode(text));
const NAMES = [{ name: 'first', kind: 'n' }, { name: 'text', kind: 't' }, { name: 'flag', kind: 'b' }];

/** Runs `work`; a WorkbookError (a refusal with a reason) gives null, any other error fails. */
async function unlessRefused(work) {
  try {
    return await work();
  } catch (error) {
    if (!(error instanceof WorkbookError) || error.message === '') throw error;
    return null;
  }
}

/** Every cell code of a sheet in its first `columns` columns, by cell name (repeated rows one by one). */
function codes(sheet, columns) {
  const all = new Map();
  for (let column = 0; column < columns; ++column) {
    for (const [name, code] of sheet.cells(column, false).cells) {
      assert.match(code, /^(n|t)/s);
      const [, letters, from, to = from] = /^([A-Z]+)(\d+)(?:-[A-Z]+(\d+))?$/.exec(name);
      for (let row = Number(from); row <= Math.min(Number(to), Number(from) + 50); ++row) all.set(`${letters}${row}`, code);
    }
  }
  return all;
}

/** The whole path of a workbook through the page: read it, save it without and with added columns, read it again. */
async function throughThePage(bytes) {
  const book = await unlessRefused(() => openWorkbook(bytes, engine));
  if (book === null) return;
  assert.ok(book.sheets.length > 0);
  for (let i = 0; i < book.sheets.length; ++i) {
    const sheet = await unlessRefused(() => book.sheet(i));
    if (sheet === null || sheet.empty || sheet.columns > 60) continue;
    const column = sheet.columns - 1;
    const { records } = sheet.cells(column, true);
    assert.deepEqual(await sheet.save(column, true, [], records.map(() => []), records), bytes, 'saved as it came');
    // Added texts with and without characters beyond ASCII, which the part is written in either way.
    const lines = records.map((_, k) => (k % 3 === 2 ? ['', '', ''] : [`${k}`, k % 2 ? `x<&"${k}` : `L\u00fccke \u{1F600}${k}`, `${k % 2 === 0}`]));
    // Refused only when the part was not well-formed before; never for damage of the page's own.
    const saved = await unlessRefused(() => sheet.save(column, true, NAMES, lines, records).catch((error) => {
      if (/could not add the columns/.test(error.message)) assert.fail(error.message);
      throw error;
    }));
    if (saved === null) continue;
    const again = await (await openWorkbook(saved, engine)).sheet(i);
    const before = codes(sheet, sheet.columns);
    const after = codes(again, sheet.columns);
    assert.deepEqual([...after].filter(([name]) => before.has(name)), [...before], 'every original cell as it was');
    // Every part it rewrote is well-formed (the others are copied as they were, damaged or not).
    const zip = readZip(saved);
    const was = readZip(bytes).entries;
    for (const entry of zip.entries) {
      if (was.find((e) => e.name === entry.name).crc !== entry.crc) assert.equal(engine.xmlFault(await unzipEntry(zip, entry)), null, entry.name);
    }
  }
}

/** Changes to text or bytes: at a place (a fraction of the length), delete some, insert some, or put some in. */
const edits = (pieces) => fc.array(fc.record({ at: fc.double({ min: 0, max: 1, noNaN: true }), cut: fc.nat(8), put: pieces }), { maxLength: 6 });
const editedText = (text, changes) => changes.reduce((t, { at, cut, put }) => {
  const i = Math.floor(at * t.length);
  return t.slice(0, i) + put + t.slice(i + cut);
}, text);
const XML_PIECES = fc.constantFrom('', '<', '>', '/>', '</row>', '<row r="2">', '<c r="Z9" s="1"/>', '<c t="s"><v>99</v></c>', ' xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"',
  ' xmlns=""', 'x:', '&amp;', '&', '"', ' r="A1"', '<dimension ref="A1">', '</dimension>', '<table:table-row>', '</table:table-row>', '<table:table-cell/>',
  ' table:number-columns-repeated="3"', ' table:number-rows-repeated="2"', ' office:value-type="float" office:value="2"', '<![CDATA[x]]>', '<!-- c -->', '\uFEFF', '\u0000', '\u00e9');

test('any bytes are refused with a reason or give cells', async () => {
  for (const [name, bytes] of found) await assert.doesNotReject(throughThePage(bytes), name);
  await fc.assert(fc.asyncProperty(fc.constantFrom(...seeds), edits(fc.uint8Array({ maxLength: 4 })), fc.boolean(), async (seed, changes, raw) => {
    let bytes = seed;
    for (const { at, cut, put } of changes) {
      const i = Math.floor(at * bytes.length);
      const next = new Uint8Array(bytes.length - Math.min(cut, bytes.length - i) + put.length);
      next.set(bytes.subarray(0, i));
      next.set(put, i);
      next.set(bytes.subarray(i + cut), i + put.length);
      bytes = next;
    }
    await throughThePage(raw ? bytes : new Uint8Array(bytes.subarray(0, Math.max(1, bytes.length >> 1))));
  }), options);
});

test('workbooks with their parts\' text changed are refused with a reason, or read and written back whole', async () => {
  await fc.assert(fc.asyncProperty(fc.constantFrom(...seeds), fc.nat(), edits(XML_PIECES), async (seed, pick, changes) => {
    const zip = readZip(seed);
    const parts = zip.entries.filter((entry) => /\.xml$/.test(entry.name));
    const entry = parts[pick % parts.length];
    const text = new TextDecoder().decode(await unzipEntry(zip, entry));
    const bytes = await rewriteZip(zip, new Map([[entry.name, new TextEncoder().encode(editedText(text, changes))]]));
    await throughThePage(bytes);
  }), options);
});

// Sheets generated in the forms writers use.

const MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main';
const xlsxCell = fc.record({
  gap: fc.nat(3),
  kind: fc.constantFrom('number', 'string', 'formula', 'placeholder', 'paired placeholder', 'empty value'),
  s: fc.option(fc.constantFrom('0', '1', '2'), { nil: undefined }),
  r: fc.boolean(),
});
const xlsxRow = fc.record({
  cells: fc.array(xlsxCell, { maxLength: 6 }),
  placeholders: fc.nat(20),
  form: fc.constantFrom('paired', 'self-closing', 'spans', 'styled'),
  r: fc.boolean(),
});
const xlsxSheet = fc.record({
  rows: fc.array(xlsxRow, { minLength: 1, maxLength: 8 }),
  prefix: fc.constantFrom('', 'x:', 'on sheetData'),
  dimension: fc.constantFrom('none', 'self-closing', 'paired'),
  cols: fc.boolean(),
  merge: fc.option(fc.nat(12), { nil: undefined }),
});

/** The XML of a generated worksheet. */
function xlsxXml({ rows, prefix, dimension, cols, merge }) {
  const p = prefix === 'x:' ? 'x:' : prefix === 'on sheetData' ? 'm:' : '';
  const root = prefix === 'x:' ? `x:worksheet xmlns:x="${MAIN}"` : `worksheet xmlns="${MAIN}"`;
  const data = prefix === 'on sheetData' ? `sheetData xmlns:m="${MAIN}"` : `${prefix === 'x:' ? 'x:' : ''}sheetData`;
  const top = prefix === 'x:' ? 'x:' : '';
  let xml = `<?xml version="1.0"?>\n<${root}>`;
  if (dimension !== 'none') xml += `<${top}dimension ref="A1:C3"${dimension === 'paired' ? `></${top}dimension>` : '/>'}`;
  if (cols) xml += `<${top}cols><${top}col min="2" max="16384" style="2"/></${top}cols>`;
  xml += `<${data}>`;
  rows.forEach((row, i) => {
    const index = i + 1;
    let column = 0;
    let cells = '';
    for (const c of row.cells) {
      column += c.gap;
      const r = c.r ? ` r="${columnLetters(column)}${index}"` : '';
      const s = c.s === undefined ? '' : ` s="${c.s}"`;
      if (!c.r && c.gap > 0) column -= c.gap; // Without r, a cell follows the one before.
      cells += {
        number: `<${p}c${r}${s}><${p}v>${3000 + column}</${p}v></${p}c>`,
        string: `<${p}c${r}${s} t="inlineStr"><${p}is><${p}t>t${column}</${p}t></${p}is></${p}c>`,
        formula: `<${p}c${r}${s}><${p}f>A1+1</${p}f><${p}v>7</${p}v></${p}c>`,
        placeholder: `<${p}c${r}${s}/>`,
        'paired placeholder': `<${p}c${r}${s}></${p}c>`,
        'empty value': `<${p}c${r}${s}><${p}v></${p}v></${p}c>`,
      }[c.kind];
      ++column;
    }
    for (let k = 0; k < row.placeholders; ++k) cells += `<${p}c r="${columnLetters(column + k)}${index}" s="1"/>`;
    const r = row.r ? ` r="${index}"` : '';
    const attributes = r + (row.form === 'spans' ? ' spans="1:3"' : row.form === 'styled' ? ' s="1" customFormat="1"' : '');
    xml += cells === '' && row.form === 'self-closing' ? `<${p}row${attributes}/>` : `<${p}row${attributes}>${cells}</${p}row>`;
  });
  xml += `</${data.split(' ')[0]}>`;
  if (merge !== undefined) xml += `<${top}mergeCells><${top}mergeCell ref="A1:${columnLetters(merge)}1"/></${top}mergeCells>`;
  return `${xml}</${root.split(' ')[0]}>`;
}

/** The codes of a read sheet in its first `columns` columns at the first, second and last row each row element stands for. */
function sheetCodes(read, columns, at = read) {
  const all = [];
  for (const row of read.rows) {
    for (const index of new Set([row.index, Math.min(row.index + 1, row.index + row.repeat - 1), row.index + row.repeat - 1])) {
      const holder = at.rows.find((r) => r.index <= index && index < r.index + r.repeat);
      all.push(`${index}:${Array.from({ length: columns }, (_, column) => (holder === undefined ? '' : at.code(holder, column))).join('|')}`);
    }
  }
  return all;
}

/** Added cells for each row of a read sheet: the header row's names, then numbers, texts, booleans and blanks. */
function additions(read, widths) {
  return read.rows.map((row, i) => ({
    row,
    header: i === 0,
    cells: NAMES.slice(0, widths).map(({ kind, name }, k) => ({ kind: i === 0 ? 't' : kind, text: i === 0 ? name : (i + k) % 4 === 0 ? '' : kind === 'b' ? 'true' : `${i}${k}` })),
    rest: i === 0 && row.repeat > 1 ? NAMES.slice(0, widths).map(({ kind }) => ({ kind, text: kind === 'b' ? 'false' : '5' })) : undefined,
  }));
}

/** Checks that a sheet read by `read` takes added columns without a cell changed, into well-formed XML. */
function takesColumns(xml, read, widths) {
  const sheet = read(xml);
  assert.equal(sheet.edit([]).text(), xml, 'nothing added, nothing changed');
  const edited = sheet.edit(additions(sheet, widths)).text();
  assert.equal(xmlFault(edited), null, edited);
  const again = read(edited);
  const columns = sheet.lastColumn + 1;
  assert.deepEqual(sheetCodes(sheet, columns, again), sheetCodes(sheet, columns), 'every original cell as it was');
  if (sheet.rows.some((row) => row.cells.some((c) => sheet.code(row, c.column) !== ''))) {
    assert.equal(again.lastColumn, Math.max(sheet.lastColumn + widths, again.lastColumn), 'the added columns after the last used one');
  }
}

test('generated .xlsx sheets take added columns without a cell changed, into well-formed XML', async () => {
  await fc.assert(fc.property(xlsxSheet, fc.integer({ min: 1, max: 3 }), (shape, widths) => {
    const xml = xlsxXml(shape);
    assert.equal(xmlFault(xml), null, xml);
    takesColumns(xml, (text) => readXlsxSheet(text, []), widths);
  }), options);
});

const odsCell = fc.record({
  kind: fc.constantFrom('number', 'string', 'placeholder', 'styled placeholder', 'spanned', 'annotated'),
  repeat: fc.oneof(fc.integer({ min: 1, max: 12 }), fc.constant(1000)),
});
const odsRow = fc.record({ cells: fc.array(odsCell, { maxLength: 5 }), repeat: fc.oneof(fc.integer({ min: 1, max: 12 }), fc.constant(1048000)), empty: fc.boolean() });
const odsSheet = fc.record({ rows: fc.array(odsRow, { minLength: 1, maxLength: 6 }), columns: fc.integer({ min: 0, max: 40 }) });

/** The content.xml of a generated sheet. */
function odsXml({ rows, columns }) {
  const C = 'table:table-cell';
  const repeat = (n) => (n > 1 ? ` table:number-columns-repeated="${n}"` : '');
  let xml = '<office:document-content xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0" ' +
    'xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><office:body><office:spreadsheet><table:table table:name="S">';
  if (columns > 0) xml += `<table:table-column table:default-cell-style-name="Default"${repeat(columns)}/>`;
  for (const row of rows) {
    const cells = row.cells.map(({ kind, repeat: n }) => ({
      number: `<${C}${repeat(n)} office:value-type="float" office:value="3021"><text:p>3021</text:p></${C}>`,
      string: `<${C}${repeat(n)} office:value-type="string"><text:p>a &amp; b</text:p></${C}>`,
      placeholder: `<${C}${repeat(n)}/>`,
      'styled placeholder': `<${C} table:style-name="grey"${repeat(n)}/>`,
      spanned: `<${C} table:number-columns-spanned="2" office:value-type="float" office:value="1"><text:p>1</text:p></${C}><table:covered-table-cell/>`,
      annotated: `<${C}><office:annotation><text:p>note</text:p></office:annotation></${C}>`,
    })[kind]).join('');
    const rows = row.repeat > 1 ? ` table:number-rows-repeated="${row.repeat}"` : '';
    xml += cells === '' && row.empty ? `<table:table-row${rows}/>` : `<table:table-row${rows}>${cells}</table:table-row>`;
  }
  return `${xml}</table:table></office:spreadsheet></office:body></office:document-content>`;
}

test('generated .ods sheets take added columns without a cell changed, into well-formed XML', async () => {
  await fc.assert(fc.property(odsSheet, fc.integer({ min: 1, max: 3 }), (shape, widths) => {
    const xml = odsXml(shape);
    assert.equal(xmlFault(xml), null, xml);
    takesColumns(xml, (text) => readOdsSheet(text, { start: text.indexOf('<table:table ') }), widths);
  }), options);
});

/** The tags of `text` as a pattern of the tag grammar finds them: [name, attributes, closing, empty, start, end]. */
function tagsByPattern(text) {
  const pattern = /<(\/?)([^\s/>!?]+)((?:\s+[^\s=/>]+\s*=\s*(?:"[^"]*"|'[^']*'))*)\s*(\/?)>|<!--[\s\S]*?-->|<\?[\s\S]*?\?>|<!\[CDATA\[[\s\S]*?\]\]>|<!DOCTYPE[^>]*>/g;
  return [...text.matchAll(pattern)].filter((m) => m[2] !== undefined)
    .map((m) => [m[2], m[3], m[1] === '/', m[4] === '/', m.index, m.index + m[0].length]);
}

/** Documents of nested elements with attributes, text, references, comments, CDATA and instructions, prefixes declared where used. */
const documents = (() => {
  const attribute = fc.tuple(fc.constantFrom('r', 's', 'x:t', 'table:style-name', 'xml:space'), fc.constantFrom('1', '', 'A1', '&amp;&#233;', 'a>b', "'"))
    .map(([name, value]) => ` ${name}="${value}"`);
  const content = fc.constantFrom('text', ' \n\t', '&lt;&#x1F600;', '<!-- c -->', '<![CDATA[<a>]]>', '<?p x?>', '\u00e9\u4e2d');
  const element = (inner) => fc.tuple(fc.constantFrom('a', 'x:b', 'table:table-cell', 'c\u00e9'), fc.uniqueArray(attribute, { maxLength: 3, selector: (a) => a.split('=')[0] }), fc.array(inner, { maxLength: 4 }))
    .map(([name, attributes, inside]) => (inside.length === 0 ? `<${name}${attributes.join('')}/>` : `<${name}${attributes.join('')}>${inside.join('')}</${name} >`));
  const tree = element(fc.oneof(content, element(fc.oneof(content, element(content)))));
  return fc.tuple(fc.constantFrom('', '<?xml version="1.0"?>\r\n', '\uFEFF'), tree)
    .map(([head, body]) => `${head}<root xmlns="u:main" xmlns:x="u:x" xmlns:table="u:table">${body}</root>\n`);
})();

test('the scanner finds the tags the tag grammar gives, in any text', () => {
  const piece = fc.constantFrom('<', '>', '/', '"', "'", '=', ' ', '\n', '\u00a0', '\u2028', 'a', 'x:b', '!', '?', '<!--', '-->', '<?', '?>', '<![CDATA[', ']]>', '<!DOCTYPE', '<a b="1">', '</a >', '<b/>', " c='>'");
  const text = fc.oneof(fc.array(piece, { maxLength: 40 }).map((pieces) => pieces.join('')), fc.string({ maxLength: 60 }), documents);
  fc.assert(fc.property(text, (t) => {
    const found = [];
    eachTag(t, 0, (tag) => {
      found.push([tag.name, tag.attributes, tag.closing, tag.empty, tag.start, tag.end]);
    });
    const expected = tagsByPattern(t);
    assert.deepEqual(found, expected);
    // Passed over by where each name and each tag ends, without a string made of either.
    const ends = [];
    for (let p = t.indexOf('<'); p >= 0;) {
      const from = t.charCodeAt(p + 1) === 47 ? p + 2 : p + 1;
      const name = nameEnd(t, from);
      const end = name === from ? markupEnd(t, p) : tagEnd(t, p, name);
      if (name > from && end >= 0) ends.push([t.slice(from, name), p, end]);
      p = t.indexOf('<', end < 0 ? p + 1 : end);
    }
    assert.deepEqual(ends, expected.map(([name, , , , start, end]) => [name, start, end]));
  }), options);
});

test('the cursor reads the tags and namespaces eachElement reads, in any text', () => {
  const piece = fc.constantFrom('<', '>', '/', '"', ' ', '\t', '\u00a0', 'a', 'x:', 'x:b', '<a b="1">', '</a>', '</a >', '<b/>', '<c r="A1" t="s">', '<x:c>', '</x:c>',
    ' xmlns="u:1"', ' xmlns:x="u:2"', ' xmlns:x=\'u:3\'', ' xmlns=""', ' c="xmlns"', ' d="&amp;"', '<!-- <a> -->', '<![CDATA[<b>]]>', '<?p <c>?>', '\u00e9');
  const text = fc.oneof(fc.array(piece, { maxLength: 40 }).map((pieces) => pieces.join('')), documents);
  fc.assert(fc.property(text, (t) => {
    const expected = [];
    eachElement(t, 0, TOP_SCOPE, (tag) => {
      expected.push([tag.name, tag.attributes, tag.closing, tag.empty, tag.start, tag.end, tag.ns, tag.local, tag.scope.uri('x')]);
    });
    const found = [];
    const tags = new TagCursor(t, 0, TOP_SCOPE);
    const { m } = tags;
    while (tags.next()) {
      const name = t.slice(tags.nameStart, m.nameEnd);
      const attributes = t.slice(m.nameEnd, m.attributesEnd);
      const pairs = Array.from({ length: m.count / 4 }, (_, a) => `${t.slice(m.found[4 * a], m.found[4 * a + 1])}=${t.slice(m.found[4 * a + 2], m.found[4 * a + 3])}`);
      assert.deepEqual(pairs, [...attributes.matchAll(/\s*([^\s=]+)\s*=\s*(?:"([^"]*)"|'([^']*)')/g)].map((a) => `${a[1]}=${a[2] ?? a[3]}`), attributes);
      const [ns, local] = tags.scope.element(name);
      found.push([name, attributes, m.closing, m.empty, m.start, m.end, ns, local, tags.scope.uri('x')]);
    }
    assert.deepEqual(found, expected);
  }), options);
});

test('the well-formedness check passes documents and names the fault put into one', () => {
  const faults = [
    [/<root /, '<root b="1" b="2" ', /the attribute b twice/],
    [/<\/root>/, '<y:z/></root>', /the prefix of <y:z> is not declared/],
    [/<\/root>/, '<a q:r="1"/></root>', /the prefix of q:r is not declared/],
    [/<\/root>/, '1 < 2</root>', /a < that begins no tag/],
    [/<\/root>/, '&nbsp;</root>', /an & that begins no reference/],
    [/<\/root>/, '<a></b></root>', /<\/b> where <\/a> belongs/],
    [/<\/root>\n$/, '</root><a/>', /a second root element/],
    [/<\/root>\n$/, '', /<root> is not closed/],
    [/<root /, '<root c="<" ', /a < in the value of c/],
    [/<root /, '<root 1d="x" ', /a bad attribute name/],
  ];
  fc.assert(fc.property(documents, fc.nat(faults.length - 1), (text, k) => {
    assert.equal(xmlFault(text), null, text);
    const [where, put, said] = faults[k];
    assert.match(xmlFault(text.replace(where, put)) ?? 'none', said);
  }), options);
});
