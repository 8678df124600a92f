import assert from 'node:assert/strict';
import { test } from 'node:test';
import { odsCellName, readOdsSheet } from './ods.mjs';
import { WorkbookError } from './zip.mjs';

const CELL = 'table:table-cell';
const table = (columns, rows) => `<office:spreadsheet><table:table table:name="S">${columns}${rows}</table:table><table:table table:name="T"/></office:spreadsheet>`;
const read = (xml) => readOdsSheet(xml, { start: xml.indexOf('<table:table ') });
const text = (t) => `<${CELL} office:value-type="string"><text:p>${t}</text:p></${CELL}>`;
const float = (n) => `<${CELL} office:value-type="float" office:value="${n}"><text:p>${n}</text:p></${CELL}>`;
const N = (t) => ({ kind: 'n', text: t });
const T = (t) => ({ kind: 't', text: t });

test('cells are read as the engine takes them, repeated ones at each of their columns', () => {
  const xml = table('<table:table-column table:number-columns-repeated="6"/>',
    `<table:table-row>${text('NE  varve')}<${CELL} office:value-type="percentage" office:value="0.5"><text:p>50%</text:p></${CELL}>` +
    `<${CELL} office:value-type="string"><text:p>a<text:s text:c="2"/>b<text:tab/>c</text:p><text:p><text:span>d</text:span><text:line-break/>e</text:p></${CELL}>` +
    `<${CELL} office:value-type="date" office:date-value="2023-06-14"><office:annotation><text:p>note</text:p></office:annotation><text:p>14.06.23</text:p></${CELL}>` +
    `<${CELL} table:formula="of:=&quot;x&quot;" office:value-type="string" office:string-value="4282"><text:p>4282</text:p></${CELL}>` +
    `<${CELL}/></table:table-row>` +
    `<table:table-row table:number-rows-repeated="2"><${CELL} table:number-columns-repeated="3" office:value-type="float" office:value="6245"><text:p>6245</text:p></${CELL}></table:table-row>`);
  const sheet = read(xml);
  assert.deepEqual(sheet.rows.map((row) => [row.index, row.repeat]), [[1, 1], [2, 2]]);
  assert.equal(sheet.lastColumn, 4);
  assert.deepEqual(Array.from({ length: 6 }, (_, c) => sheet.code(sheet.rows[0], c)),
    ['tNE  varve', 'n0.5', 'ta  b\tc\nd\ne', 't14.06.23', 't4282', '']);
  assert.deepEqual(Array.from({ length: 4 }, (_, c) => sheet.code(sheet.rows[1], c)), ['n6245', 'n6245', 'n6245', '']);
  assert.equal(odsCellName(sheet.rows[1], 2), 'C2-C3');
  assert.equal(odsCellName(sheet.rows[0], 27), 'AB1');
});

test('cells are added after the last used column, splitting the empty runs there', () => {
  const empty = (n, style = '') => `<${CELL}${style}${n > 1 ? ` table:number-columns-repeated="${n}"` : ''}/>`;
  const xml = table('<table:table-column table:style-name="co1" table:number-columns-repeated="3"/>',
    `<table:table-row table:number-rows-repeated="2">${text('ne')}${empty(1)}${float(1)}${empty(1020, ' table:style-name="ce1"')}</table:table-row>` +
    `<table:table-row>${float(3021)}${empty(2)}${empty(1021)}</table:table-row>` +
    `<table:table-row>${float(4282)}</table:table-row>` +
    `<table:table-row table:number-rows-repeated="3">${float(6245)}${empty(4)}</table:table-row>` +
    `<table:table-row>${empty(3)}<${CELL} table:number-columns-spanned="2" office:value-type="string"><text:p>wide</text:p></${CELL}><table:covered-table-cell/></table:table-row>` +
    `<table:table-row table:number-rows-repeated="1048570">${empty(1024)}</table:table-row>`);
  const sheet = read(xml);
  assert.equal(sheet.lastColumn, 4, 'a spanned cell uses the columns it spans');
  const [header, first, second, repeated] = sheet.rows;
  const edited = sheet.edit([
    { row: header, cells: [T('a'), T('b')], rest: [N('1'), T('')] },
    { row: first, cells: [N('3021'), T('LC')] },
    { row: second, cells: [T(''), T('x')] },
    { row: repeated, cells: [N('6260'), T('')] },
  ]).text();
  const added = (...cells) => cells.map(({ kind, text: t }) => (t === '' ? `<${CELL}/>` : kind === 'n' ? float(t) : text(t))).join('');
  assert.equal(edited, table(
    '<table:table-column table:style-name="co1" table:number-columns-repeated="3"/><table:table-column table:number-columns-repeated="4"/>',
    // The header row parted from the row it repeated, which gets its own conversion.
    `<table:table-row>${text('ne')}${empty(1)}${float(1)}${empty(2, ' table:style-name="ce1"')}${added(T('a'), T('b'))}${empty(1016, ' table:style-name="ce1"')}</table:table-row>` +
    `<table:table-row>${text('ne')}${empty(1)}${float(1)}${empty(2, ' table:style-name="ce1"')}${added(N('1'), T(''))}${empty(1016, ' table:style-name="ce1"')}</table:table-row>` +
    // A run split where the added cells go, and the width of the row kept.
    `<table:table-row>${float(3021)}${empty(2)}${empty(2)}${added(N('3021'), T('LC'))}${empty(1017)}</table:table-row>` +
    // A row that ends before the added columns gets empty cells up to them.
    `<table:table-row>${float(4282)}<${CELL} table:number-columns-repeated="4"/>${added(T(''), T('x'))}</table:table-row>` +
    // Repeated rows stay repeated: the same cell gives the same cells.
    `<table:table-row table:number-rows-repeated="3">${float(6245)}${empty(4)}${added(N('6260'), T(''))}</table:table-row>` +
    `<table:table-row>${empty(3)}<${CELL} table:number-columns-spanned="2" office:value-type="string"><text:p>wide</text:p></${CELL}><table:covered-table-cell/></table:table-row>` +
    `<table:table-row table:number-rows-repeated="1048570">${empty(1024)}</table:table-row>`));
  assert.equal(sheet.edit([{ row: first, cells: [T(''), T('')] }]).text(), xml, 'empty cells alone change nothing');
});

test('tables inside a sheet are refused', () => {
  const xml = table('<table:table-column/>', `<table:table-row><${CELL}><table:table><table:table-row><${CELL}/></table:table-row></table:table></${CELL}></table:table-row>`);
  assert.throws(() => read(xml), (error) => error instanceof WorkbookError && /tables inside/.test(error.message));
});
