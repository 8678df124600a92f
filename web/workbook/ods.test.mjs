import assert from 'node:assert/strict';
import { test } from 'node:test';
import { odsCellName, readOdsSheet } from './ods.mjs';
import { makeZip } from './make-zip.mjs';
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
  // In a styled run, the added cells (empty ones too) keep its style.
  const styled = (...cells) => added(...cells).replace(/<table:table-cell/g, '<table:table-cell table:style-name="ce1"');
  assert.equal(edited, table(
    '<table:table-column table:style-name="co1" table:number-columns-repeated="3"/><table:table-column table:number-columns-repeated="4"/>',
    // The header row parted from the row it repeated, which gets its own conversion.
    `<table:table-row>${text('ne')}${empty(1)}${float(1)}${empty(2, ' table:style-name="ce1"')}${styled(T('a'), T('b'))}${empty(1016, ' table:style-name="ce1"')}</table:table-row>` +
    `<table:table-row>${text('ne')}${empty(1)}${float(1)}${empty(2, ' table:style-name="ce1"')}${styled(N('1'), T(''))}${empty(1016, ' table:style-name="ce1"')}</table:table-row>` +
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

test('cells are told from markup that only looks like them, and from cells holding more than a paragraph', () => {
  const shapes = (cell) => `<${CELL}>${cell}<text:p>x</text:p></${CELL}>`;
  for (const [row, codes, pictures] of [
    [`${float(1)}<!-- ${float(9)} -->${float(2)}`, ['n1', 'n2', ''], false],
    [`<${CELL} table:style-name="a>b" office:value-type="float" office:value="3"><text:p>3</text:p></${CELL}>${float(4)}`, ['n3', 'n4', ''], false],
    [`<${CELL} office:value-type="string"><text:p>a<text:span>b</text:span></text:p></${CELL}>${text('c')}`, ['tab', 'tc', ''], false],
    [`${shapes('<draw:frame/>')}${float(5)}`, ['tx', 'n5', ''], true],
    [`${shapes('<table:shapes/>')}${float(5)}`, ['tx', 'n5', ''], true],
    [`<${CELL}\u00a0office:value-type="float" office:value="6"><text:p>6</text:p></${CELL} >${float(7)}`, ['n6', 'n7', ''], false],
  ]) {
    const sheet = read(table('<table:table-column/>', `<table:table-row>${row}</table:table-row>`));
    assert.deepEqual([0, 1, 2].map((c) => sheet.code(sheet.rows[0], c)), codes, row);
    assert.equal(sheet.pictures, pictures, row);
  }
});

test('tables inside a sheet are refused', () => {
  const xml = table('<table:table-column/>', `<table:table-row><${CELL}><table:table><table:table-row><${CELL}/></table:table-row></table:table></${CELL}></table:table-row>`);
  assert.throws(() => read(xml), (error) => error instanceof WorkbookError && /tables inside/.test(error.message));
});

test('repeated rows and runs of every count are parted and split without a row or column lost', () => {
  const reread = (xml) => readOdsSheet(xml, { start: xml.indexOf('<table:table ') });
  const codes = (sheet, columns) => sheet.rows.flatMap((row) => Array.from({ length: row.repeat }, () =>
    Array.from({ length: columns }, (_, c) => sheet.code(row, c)).join('|')));
  const width = (row) => row.cells.reduce((sum, c) => sum + c.repeat, 0);
  for (const count of [1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 99, 100, 1000, 1048573]) {
    const run = (n) => `<${CELL} table:style-name="ce9"${n > 1 ? ` table:number-columns-repeated="${n}"` : ''}/>`;
    // A header row repeated `count` times, a row, and a run of `count` empty styled cells in each.
    const xml = table('<table:table-column table:number-columns-repeated="1024"/>',
      `<table:table-row${count > 1 ? ` table:number-rows-repeated="${count}"` : ''}>${text('ne')}${run(count)}${run(1023 - count)}</table:table-row>` +
      `<table:table-row>${float(3021)}${run(count)}${run(1023 - count)}</table:table-row>`.replace(/<table:table-cell table:style-name="ce9"\/>(?=<\/)/, ''));
    const sheet = read(xml);
    const [header, row] = sheet.rows;
    const edited = sheet.edit([
      { row: header, cells: [T('a'), T('b'), T('c')], rest: [N('1'), T(''), N('3')], header: true },
      { row, cells: [N('2'), T('x'), T('')] },
    ]).text();
    const again = reread(edited);
    const label = `count ${count}`;
    assert.deepEqual(codes(again, 5), [
      'tne|ta|tb|tc|',
      ...Array.from({ length: count - 1 }, () => 'tne|n1||n3|'),
      'n3021|n2|tx||',
    ], label);
    assert.deepEqual(again.rows.map(width), again.rows.map((r) => width(sheet.rows[r === again.rows[again.rows.length - 1] ? 1 : 0])), label);
    // Every added cell took the run's style, empty ones too; the header cells too, the run's being a style of their own.
    for (const r of again.rows) {
      assert.ok(r.cells.filter((c) => c.column >= 1).every((c) => c.attributes.includes('table:style-name="ce9"')), label);
    }
  }
});

test('an added header cell takes the style of the header cell before it, unless its place has a style of its own', () => {
  const columns = '<table:table-column table:default-cell-style-name="Default" table:number-columns-repeated="2"/>';
  const header = `<${CELL} table:style-name="bold" office:value-type="string"><text:p>ne</text:p></${CELL}>`;
  for (const [after, expected] of [
    ['', ['bold', 'bold']],
    [`<${CELL} table:style-name="Default"/>`, ['bold', 'bold']],
    [`<${CELL} table:style-name="grey" table:number-columns-repeated="3"/>`, ['grey', 'grey']],
    [`<${CELL}/><${CELL} table:style-name="grey"/>`, ['bold', 'grey']],
  ]) {
    const sheet = read(table(columns, `<table:table-row>${header}${after}</table:table-row>`));
    const edited = sheet.edit([{ row: sheet.rows[0], cells: [T('a'), T('b')], header: true }]).text();
    assert.deepEqual([...edited.matchAll(/style-name="(\w+)" office:value-type="string"><text:p>[ab]</g)].map((m) => m[1]), expected, after);
  }
});

test('documents that call the namespaces by other prefixes are read and written with them', async () => {
  const { openOds } = await import('./ods.mjs');
  const { readZip } = await import('./zip.mjs');
  const content = '<o:document-content xmlns:o="urn:oasis:names:tc:opendocument:xmlns:office:1.0" xmlns:t="urn:oasis:names:tc:opendocument:xmlns:table:1.0">' +
    '<o:body><o:spreadsheet xmlns:p="urn:oasis:names:tc:opendocument:xmlns:text:1.0"><t:table t:name="S"><t:table-column/>' +
    '<t:table-row><t:table-cell o:value-type="float" o:value="3021"><p:p>3021</p:p></t:table-cell></t:table-row></t:table></o:spreadsheet></o:body></o:document-content>';
  /** A stored zip archive of the mimetype and `xml` as content.xml, read through the page's own zip reader. */
  const archive = (xml) => readZip(makeZip([['mimetype', 'application/vnd.oasis.opendocument.spreadsheet', { stored: true }], ['content.xml', xml, { stored: true }]]));
  const opened = await openOds(archive(content));
  assert.deepEqual(opened.sheets.map((s) => s.name), ['S']);
  const sheet = readOdsSheet(opened.content, opened.sheets[0]);
  assert.equal(sheet.code(sheet.rows[0], 0), 'n3021');
  assert.ok(sheet.edit([{ row: sheet.rows[0], cells: [T('LC')] }]).text().includes(
    '<t:table-column/><t:table-column/><t:table-row><t:table-cell o:value-type="float" o:value="3021"><p:p>3021</p:p></t:table-cell><t:table-cell o:value-type="string"><p:p>LC</p:p></t:table-cell></t:table-row>'));
  // A prefix that is no name (the document is damaged) is still matched as it is written, never taken for a pattern.
  const damaged = await openOds(archive(content.replaceAll(/\bt:/g, 't(:').replace('xmlns:t=', 'xmlns:t(=')));
  const cells = readOdsSheet(damaged.content, damaged.sheets[0]);
  assert.deepEqual([damaged.sheets.map((s) => s.name), cells.code(cells.rows[0], 0)], [['S'], 'n3021']);
});
