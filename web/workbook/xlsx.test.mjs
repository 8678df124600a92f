import assert from 'node:assert/strict';
import { test } from 'node:test';
import { readXlsxSheet } from './xlsx.mjs';
import { WorkbookError } from './zip.mjs';

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
