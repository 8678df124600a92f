import assert from 'node:assert/strict';
import fs from 'node:fs';
import { test } from 'node:test';
import { columnLetters } from './cells.mjs';
import { openXlsx, readXlsxSheet } from './xlsx.mjs';
import { readZip, rewriteZip, WorkbookError } from './zip.mjs';

const MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main';
const sheet = (rows, before = '<dimension ref="A1:C4"/>', root = `worksheet xmlns="${MAIN}"`) =>
  `<?xml version="1.0"?><${root}>${before}<sheetData>${rows}</sheetData><pageMargins left="0.7"/></${root.split(' ')[0]}>`;
const N = (text) => ({ kind: 'n', text });
const T = (text) => ({ kind: 't', text });
const B = (text) => ({ kind: 'b', text });

test('cells are read as the engine takes them, whatever their kind', () => {
  const strings = ['3021', 'NE varve'];
  const xml = sheet('<row r="1"><c r="A1" t="s"><v>1</v></c><c r="B1" t="inlineStr"><is><r><t>to</t></r><r><t xml:space="preserve">p </t></r><rPh sb="0" eb="1"><t>X</t></rPh></is></c></row>' +
    '<row r="2"><c t="s"><v>0</v></c><c><v>6.6E3</v></c><c s="2"/><c t="b"><v>1</v></c><c t="e"><f>1/0</f><v>#DIV/0!</v></c><c t="str"><f>A2&amp;""</f><v>3021</v></c><c><v/></c></row>' +
    '<row><c r="C3"><f>B2+1</f><v>6601</v></c></row>');
  const read = readXlsxSheet(xml, strings);
  assert.deepEqual(read.rows.map((row) => row.index), [1, 2, 3]);
  assert.equal(read.lastColumn, 6);
  const codes = read.rows.map((row) => Array.from({ length: 7 }, (_, column) => read.code(row, column)));
  assert.deepEqual(codes, [
    ['tNE varve', 'ttop ', '', '', '', '', ''],
    ['t3021', 'n6.6E3', '', 'tTRUE', 't#DIV/0!', 't3021', ''],
    ['', '', 'n6601', '', '', '', ''],
  ]);
});

test('a cell is read alike in the plain form writers use and in any other', () => {
  const strings = ['zero', 'one'];
  for (const [cell, code, used = true] of [
    ['<c r="A1"><v>7</v></c>', 'n7'],
    ['<c r="A1"><v>7</v></c ><c r="B1"/>', 'n7'],
    ['<c r="A1"><v>7</v><f>B1</f></c>', 'n7'],
    ['<c r="A1"><f>B1</f><v>7</v></c>', 'n7'],
    ['<c r="A1"><v></v></c>', ''],
    ['<c r="A1"/>', '', false],
    ['<c r="A1" t="inlineStr"><is><t>a&amp;b</t></is></c>', 'ta&b'],
    ['<c r="A1" t="inlineStr"><is><t>a</t><t>b</t></is></c>', 'tab'],
    ['<c r="A1" t="inlineStr"><is><r><t>a</t></r></is></c>', 'ta'],
    // Attributes with blanks around =, and references in their values.
    ['<c r = "A1" t = "s"><v>1</v></c>', 'tone'],
    ['<c r="&#65;1" t="&#115;"><v>0</v></c>', 'tzero'],
    // An end tag without its start is passed over.
    ['<c r="A1"></v><v>2</v></c>', 'n2'],
    ['<c r="A1" t="inlineStr"></is><is><t>x</t></is></c>', 'tx'],
  ]) {
    const read = readXlsxSheet(sheet(`<row r="1">${cell}</row>`), strings);
    assert.equal(read.code(read.rows[0], 0), code, cell);
    assert.equal(read.lastColumn, used ? 0 : -1, cell);
  }
});

test('shared strings are read in every form: plain text, runs, phonetic hints, any prefix', async () => {
  const fixture = readZip(new Uint8Array(fs.readFileSync(new URL('../fixtures/excel-like.xlsx', import.meta.url))));
  const sst = (inside, root = `sst xmlns="${MAIN}"`) => `<?xml version="1.0"?>\n<${root}>${inside}</${root.split(' ')[0]}>`;
  for (const [text, strings] of [
    [sst('<si><t>a</t></si><si><t xml:space="preserve"> b </t></si><si><t>c&amp;d</t></si>'), ['a', ' b ', 'c&d']],
    [sst('<si><t>a</t></si><si/><si><t>b</t></si> <si><t>c</t></si>'), ['a', '', 'b', 'c']],
    [sst('<si><r><t>H</t></r><r><rPr><b/></rPr><t>C</t></r></si><si><t>x</t></si>'), ['HC', 'x']],
    [sst('<si><t>\u6f22</t><rPh sb="0" eb="1"><t>kan</t></rPh></si><si><t>y</t></si>'), ['\u6f22', 'y']],
    [sst('<si><t>a</t></si><si xmlns="urn:other"><t>z</t></si><si><t xmlns="urn:other">q</t></si><si><t>b</t></si>'), ['a', '', 'b']],
    [sst('<x:si><x:t>p</x:t></x:si><x:si><t>q</t></x:si>', `x:sst xmlns:x="${MAIN}"`), ['p', '']],
    [sst(`<si xmlns="${MAIN}"><t>a</t></si><si><t>b</t></si><si xmlns="${MAIN}" xmlns:x="urn:x"><t>c</t></si><si><t>d</t></si>`, 'sst xmlns="urn:other"'), ['a', 'c']],
  ]) {
    const zip = readZip(await rewriteZip(fixture, new Map([['xl/sharedStrings.xml', new TextEncoder().encode(text)]])));
    assert.deepEqual((await openXlsx(zip)).strings, strings, text);
  }
});

test('cells are added at the ends of rows; only the rows, spans and dimension change', () => {
  const rows = '<row r="1" spans="1:2" x14ac:dyDescent="0.25"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>1</v></c></row>' +
    '<row r="2" spans="1:3"><c r="C2"><v>6245</v></c></row><row r="3" ht="20" customHeight="1"/><row r="4"><c r="A4"><v>2</v></c></row>';
  const xml = sheet(rows, '<dimension ref="A1:C4"/><cols><col min="1" max="1" width="9"/></cols>',
    `worksheet xmlns="${MAIN}" xmlns:x14ac="ac" xmlns:mc="mc" mc:Ignorable="x14ac"`);
  const read = readXlsxSheet(xml, ['a & b']);
  assert.equal(read.lastColumn, 2);
  const edited = read.edit([
    { row: read.rows[0], cells: [T('name <1>'), T('b')] },
    { row: read.rows[1], cells: [N('6230'), B('false')] },
    { row: read.rows[2], cells: [T(''), B('true')] },
    { row: read.rows[3], cells: [T(''), N('')] },
  ]).text();
  assert.equal(edited, sheet(
    '<row r="1" spans="1:5" x14ac:dyDescent="0.25"><c r="A1" t="s"><v>0</v></c><c r="B1"><v>1</v></c><c r="D1" t="inlineStr"><is><t>name &lt;1&gt;</t></is></c><c r="E1" t="inlineStr"><is><t>b</t></is></c></row>' +
    '<row r="2" spans="1:5"><c r="C2"><v>6245</v></c><c r="D2"><v>6230</v></c><c r="E2" t="b"><v>0</v></c></row>' +
    '<row r="3" ht="20" customHeight="1"><c r="E3" t="b"><v>1</v></c></row><row r="4"><c r="A4"><v>2</v></c></row>',
    '<dimension ref="A1:E4"/><cols><col min="1" max="1" width="9"/></cols>',
    `worksheet xmlns="${MAIN}" xmlns:x14ac="ac" xmlns:mc="mc" mc:Ignorable="x14ac"`));
  assert.equal(read.edit([]).text(), xml, 'nothing added, nothing changed');
});

test('the added columns go after a merged range that reaches past the cells written', () => {
  const read = readXlsxSheet(sheet('<row r="1"><c r="A1" t="inlineStr"><is><t>Cores</t></is></c></row><row r="2"><c r="A2"><v>3021</v></c></row>',
    '<dimension ref="A1:A2"/>').replace('</sheetData>', '</sheetData><mergeCells count="1"><mergeCell ref="A1:F1"/></mergeCells>'), []);
  assert.equal(read.lastColumn, 5);
});

test('a sheet with its elements prefixed gets prefixed cells; a strict one is refused', () => {
  const xml = `<x:worksheet xmlns:x="${MAIN}"><x:sheetData><x:row><x:c><x:v>2500</x:v></x:c></x:row></x:sheetData></x:worksheet>`;
  const read = readXlsxSheet(xml, []);
  assert.equal(read.code(read.rows[0], 0), 'n2500');
  assert.equal(read.edit([{ row: read.rows[0], cells: [T('LC')] }]).text(),
    `<x:worksheet xmlns:x="${MAIN}"><x:sheetData><x:row><x:c><x:v>2500</x:v></x:c><x:c r="B1" t="inlineStr"><x:is><x:t>LC</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>`);
  assert.throws(() => readXlsxSheet('<worksheet xmlns="http://purl.oclc.org/ooxml/spreadsheetml/main"><sheetData/></worksheet>', []),
    (error) => error instanceof WorkbookError && /strict Open XML/.test(error.message));
  assert.throws(() => readXlsxSheet('<chartsheet xmlns="urn:other"/>', []), WorkbookError);
});

test('each element the page rewrites is rewritten in its paired and its self-closing form', () => {
  for (const [dimension, rows, expected] of [
    ['<dimension ref="A1"></dimension>', '<row r="1"><c r="A1"><v>1</v></c></row>',
      '<dimension ref="A1:B1"></dimension><sheetData><row r="1"><c r="A1"><v>1</v></c><c r="B1"><v>7</v></c></row>'],
    ['<dimension ref="A1"/>', '<row r="1" spans="1:1"></row>',
      '<dimension ref="A1:A1"/><sheetData><row r="1" spans="1:1"><c r="A1"><v>7</v></c></row>'],
    ['<dimension ref="A1" ></dimension >', '<row r="1" spans="1:1" />',
      '<dimension ref="A1:A1" ></dimension ><sheetData><row r="1" spans="1:1"><c r="A1"><v>7</v></c></row>'],
  ]) {
    const read = readXlsxSheet(sheet(rows, dimension), []);
    const edited = read.edit([{ row: read.rows[0], cells: [N('7')] }]).text();
    assert.equal(edited.slice(edited.indexOf('<dimension'), edited.indexOf('</sheetData>')), expected, dimension + rows);
  }
});

test('namespaces declared on any element, with any prefix, are read; added cells are named as their row', () => {
  const main = `xmlns:x="${MAIN}"`;
  for (const [xml, added] of [
    // As the .NET SDK writes: every element prefixed.
    [`<x:worksheet ${main}><x:sheetData><x:row r="1"><x:c r="A1"><x:v>2500</x:v></x:c></x:row></x:sheetData></x:worksheet>`,
      '<x:c r="B1"><x:v>7</x:v></x:c></x:row>'],
    // The namespace declared on sheetData, and a prefix of another namespace named c.
    [`<worksheet xmlns="${MAIN}" xmlns:c="urn:other"><sheetData xmlns:m="${MAIN}"><m:row r="1"><m:c r="A1"><m:v>2500</m:v></m:c><c:c/></m:row></sheetData></worksheet>`,
      '<m:c r="B1"><m:v>7</m:v></m:c></m:row>'],
    // Elements of another namespace named as the main one's, ignored.
    [`<worksheet xmlns="${MAIN}"><sheetData><row r="1" xmlns:y="${MAIN}"><y:c r="A1"><y:v>2500</y:v></y:c><c r="B1" xmlns="urn:other"><v>9</v></c></row></sheetData></worksheet>`,
      '<y:c r="A1"><y:v>2500</y:v></y:c><c r="B1" xmlns="urn:other"><v>9</v></c><c r="B1"><v>7</v></c></row>'],
  ]) {
    const read = readXlsxSheet(xml, []);
    assert.equal(read.lastColumn, 0, xml);
    assert.equal(read.code(read.rows[0], 0), 'n2500', xml);
    const edited = read.edit([{ row: read.rows[0], cells: [N('7')] }]).text();
    assert.ok(edited.includes(added), edited);
  }
});

test('empty styled cells are no used columns: added cells take their places and styles, the rest stay', () => {
  const placeholders = (row, from, to, s) => Array.from({ length: to - from + 1 }, (_, i) => `<c r="${columnLetters(from + i)}${row}" s="${s}"/>`).join('');
  const columns = '<dimension ref="A1:XFD5"/><cols><col min="1" max="2" width="9"/><col min="3" max="16384" style="7"/></cols>';
  const xml = sheet(
    `<row r="1" spans="1:16384"><c r="A1" s="2" t="inlineStr"><is><t>ne</t></is></c><c r="B1" s="3"></c>${placeholders(1, 2, 2, '7')}${placeholders(1, 4, 16383, '4')}</row>` +
    `<row r="2" spans="1:16384"><c r="A2"><v>3021</v></c>${placeholders(2, 1, 1, '5')}${placeholders(2, 2, 16383, '4')}</row>` +
    '<row r="3" s="6" customFormat="1"><c r="A3"><v>3022</v></c></row><row r="4"><c r="A4"><v>3023</v></c></row><row r="5"/>', columns);
  const read = readXlsxSheet(xml, []);
  assert.equal(read.lastColumn, 0);
  const edited = read.edit([
    { row: read.rows[0], cells: [T('first'), T('second'), T('third')], header: true },
    { row: read.rows[1], cells: [N('1'), T(''), N('3')] },
    { row: read.rows[2], cells: [N('1'), N('2'), T('')] },
    { row: read.rows[3], cells: [N('1'), N('2'), N('3')] },
    { row: read.rows[4], cells: [T(''), B('true'), T('')] },
  ]).text();
  const text = (r, s, t) => `<c r="${r}" s="${s}" t="inlineStr"><is><t>${t}</t></is></c>`;
  const number = (r, s, v) => `<c r="${r}"${s ? ` s="${s}"` : ''}><v>${v}</v></c>`;
  assert.equal(edited, sheet(
    // A header cell keeps a style of its own; else it takes the header's (not the column's).
    `<row r="1" spans="1:16384"><c r="A1" s="2" t="inlineStr"><is><t>ne</t></is></c>${text('B1', '3', 'first')}${text('C1', '2', 'second')}` +
    `${text('D1', '2', 'third')}${placeholders(1, 4, 16383, '4')}</row>` +
    // An empty added cell leaves the empty cell there as it was.
    `<row r="2" spans="1:16384"><c r="A2"><v>3021</v></c>${number('B2', '5', 1)}${placeholders(2, 2, 2, '4')}${number('D2', '4', 3)}${placeholders(2, 4, 16383, '4')}</row>` +
    // Where there is no empty cell: the row's style, else the column's.
    `<row r="3" s="6" customFormat="1"><c r="A3"><v>3022</v></c>${number('B3', '6', 1)}${number('C3', '6', 2)}</row>` +
    `<row r="4"><c r="A4"><v>3023</v></c>${number('B4', '', 1)}${number('C4', '7', 2)}${number('D4', '7', 3)}</row>` +
    '<row r="5"><c r="C5" s="7" t="b"><v>1</v></c></row>', columns));
});

test('comments, links and merged ranges past the cells hold their columns', () => {
  const rows = '<row r="1"><c r="A1"><v>1</v></c><c r="B1" s="1"/></row>';
  for (const [after, commented, lastColumn] of [
    ['', [], 0],
    ['', ['C4'], 2],
    ['<mergeCells count="1"><mergeCell ref="A1:F1"/></mergeCells>', [], 5],
    ['<hyperlinks><hyperlink ref="D1" r:id="rId1" xmlns:r="urn:r"/></hyperlinks>', [], 3],
  ]) {
    const read = readXlsxSheet(sheet(rows).replace('</sheetData>', `</sheetData>${after}`), [], commented);
    assert.equal(read.lastColumn, lastColumn, after + commented);
  }
  assert.equal(readXlsxSheet(sheet('').replace('</sheetData>', '</sheetData><drawing r:id="rId1" xmlns:r="urn:r"/>'), []).pictures, true);
});
