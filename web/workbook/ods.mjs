// Workbooks in the OpenDocument format (.ods): the sheets of content.xml,
// what their cells hold, and content.xml with cells added to a sheet's rows.
// Rows and cells may stand for several (number-rows-repeated,
// number-columns-repeated): a run of empty cells where cells are added is
// split, and a repeated header row is parted from the rows it repeats.

import { columnLetters } from './cells.mjs';
import { attribute, eachTag, escapeXml, unescapeXml, withAttribute, xmlText } from './xml.mjs';
import { Splice } from './splice.mjs';
import { unzipEntry, WorkbookError, zipEntry } from './zip.mjs';

const NAMESPACES = {
  office: 'urn:oasis:names:tc:opendocument:xmlns:office:1.0',
  table: 'urn:oasis:names:tc:opendocument:xmlns:table:1.0',
  text: 'urn:oasis:names:tc:opendocument:xmlns:text:1.0',
};

/**
 * The names the sheets' elements and attributes have with the prefixes
 * `prefixes` (what office, table and text are called in the document).
 */
function odsNames({ office, table, text }) {
  const t = (local) => `${table}:${local}`;
  return {
    office,
    table,
    text,
    cell: t('table-cell'),
    covered: t('covered-table-cell'),
    row: t('table-row'),
    column: t('table-column'),
    sheet: t('table'),
    rowsRepeated: t('number-rows-repeated'),
    columnsRepeated: t('number-columns-repeated'),
    columnsSpanned: t('number-columns-spanned'),
    rowsSpanned: t('number-rows-spanned'),
    formula: t('formula'),
    style: t('style-name'),
    defaultStyle: t('default-cell-style-name'),
    shapes: t('shapes'),
    valueType: `${office}:value-type`,
    value: `${office}:value`,
    stringValue: `${office}:string-value`,
    booleanValue: `${office}:boolean-value`,
    annotation: `${office}:annotation`,
    p: `${text}:p`,
    h: `${text}:h`,
    s: `${text}:s`,
    c: `${text}:c`,
    tab: `${text}:tab`,
    lineBreak: `${text}:line-break`,
  };
}

/** The names of a document that calls its namespaces as most do. */
export const ODS_NAMES = odsNames({ office: 'office', table: 'table', text: 'text' });

/** A repetition count of `attributes`: at least 1. */
function repeated(attributes, name) {
  if (!attributes.includes(name)) return 1;
  const n = Number(attribute(attributes, name));
  return Number.isInteger(n) && n > 1 ? n : 1;
}

/**
 * The prefixes of office, table and text in content.xml `content`, wherever
 * it declares them; null when one of them has no prefix of its own, or
 * several, or a prefix of theirs names another namespace somewhere: then
 * names could not be matched as they are written.
 */
function odsPrefixes(content) {
  // Prefix -> its URIs
  const bound = new Map();
  for (const m of content.matchAll(/\sxmlns(?::([^\s=>]+))?\s*=\s*(?:"([^"]*)"|'([^']*)')/g)) {
    const prefix = m[1] ?? '';
    if (!bound.has(prefix)) bound.set(prefix, new Set());
    bound.get(prefix).add(unescapeXml(m[2] ?? m[3]));
  }
  const prefixes = {};
  for (const [name, uri] of Object.entries(NAMESPACES)) {
    const named = [...bound].filter(([, uris]) => uris.has(uri));
    if (named.length !== 1 || named[0][0] === '' || named[0][1].size !== 1) return null;
    prefixes[name] = named[0][0];
  }
  return prefixes;
}

/**
 * Opens an .ods archive: { sheets: [{ name, start }], content, bytes } with
 * content content.xml's text (bytes its bytes) and where each sheet's table
 * element starts in it. Refuses an encrypted or a signed document, and one that is no
 * spreadsheet.
 */
export async function openOds(zip) {
  const first = zip.entries[0];
  const mimetype = first?.name === 'mimetype' && first.method === 0 ? new TextDecoder().decode(await unzipEntry(zip, first)) : '';
  if (!/^application\/vnd\.oasis\.opendocument\.spreadsheet(-template)?$/.test(mimetype)) {
    throw new WorkbookError('it is not an OpenDocument spreadsheet');
  }
  const manifest = zipEntry(zip, 'META-INF/manifest.xml');
  if (manifest && new TextDecoder().decode(await unzipEntry(zip, manifest)).includes('encryption-data')) {
    throw new WorkbookError('it is encrypted (saved with a password)');
  }
  if (zip.entries.some((entry) => /^META-INF\/.*signatures.*\.xml$/.test(entry.name))) {
    throw new WorkbookError('it is signed, and a changed workbook would lose its signature');
  }
  const entry = zipEntry(zip, 'content.xml');
  const bytes = entry === undefined ? null : await unzipEntry(zip, entry);
  const content = bytes === null ? null : xmlText(bytes);
  if (content === null) throw new WorkbookError('its content.xml is missing or not UTF-8 XML');
  const prefixes = odsPrefixes(content);
  if (prefixes === null) throw new WorkbookError('its content.xml names its namespaces in a way the page cannot follow');
  const names = odsNames(prefixes);
  const sheets = [];
  let depth = 0;
  // Only the tables' own tags are looked at: content.xml may be a hundred megabytes.
  const table = names.sheet.replace(/[.]/g, '\\.');
  for (const m of content.matchAll(new RegExp(`<${table}([\\s/>])|</${table}\\s*>`, 'g'))) {
    if (m[1] === undefined) --depth;
    else {
      const end = content.indexOf('>', m.index);
      const tag = content.slice(m.index, end + 1);
      if (tag.endsWith('/>')) continue;
      if (depth++ === 0) sheets.push({ name: attribute(tag, `${names.table}:name`) ?? '', start: m.index, names });
    }
  }
  return { sheets, content, bytes };
}

/** The text a cell shows, between `from` and `to`: its paragraphs a line each, without annotations. */
function cellText(xml, from, to, n) {
  let text = '';
  let paragraphs = 0;
  let inParagraph = 0;
  let annotation = 0;
  let at = from;
  eachTag(xml, from, (tag) => {
    if (tag.start >= to) return true;
    if (inParagraph > 0 && annotation === 0) text += unescapeXml(xml.slice(at, tag.start));
    at = tag.end;
    const name = tag.name;
    if (name === n.annotation) annotation += tag.closing ? -1 : tag.empty ? 0 : 1;
    if (annotation > 0 || (name === n.annotation && tag.closing)) return false;
    if (name === n.p || name === n.h) {
      if (!tag.closing && paragraphs++ > 0) text += '\n';
      if (!tag.empty) inParagraph += tag.closing ? -1 : 1;
    } else if (inParagraph > 0 && !tag.closing) {
      if (name === n.s) text += ' '.repeat(repeated(tag.attributes, n.c));
      else if (name === n.tab) text += '\t';
      else if (name === n.lineBreak) text += '\n';
    }
    return false;
  });
  return text;
}

/** The XML of an added cell: { kind: 'n', 't' or 'b', text } with the style `style` (or none); an empty cell when text is ''. */
function cellXml(n, { kind, text }, style) {
  const start = `<${n.cell}${style === undefined ? '' : ` ${n.style}="${escapeXml(style)}"`}`;
  if (text === '') return `${start}/>`;
  const p = (shown) => `><${n.p}>${shown}</${n.p}></${n.cell}>`;
  if (kind === 'n') return `${start} ${n.valueType}="float" ${n.value}="${text}"${p(text)}`;
  if (kind === 'b') return `${start} ${n.valueType}="boolean" ${n.booleanValue}="${text}"${p(text === 'true' ? 'TRUE' : 'FALSE')}`;
  return `${start} ${n.valueType}="string"${p(escapeXml(text))}`;
}

/**
 * Reads the sheet `sheet` (as openOds gives it) of content.xml `xml`:
 * { rows, lastColumn, pictures, code(row, column), edit(additions) }, rows its row
 * elements in order, each { index (from 1), repeat (the rows it stands for),
 * cells }, lastColumn (from 0) the last column holding anything, -1 for none:
 * empty cells that only carry a style are placeholders, not used. pictures
 * is true when the sheet holds shapes (pictures, charts).
 */
export function readOdsSheet(xml, sheet) {
  const n = sheet.names ?? ODS_NAMES;
  const rows = [];
  // [first column, count, default cell style] of the column elements.
  const columnStyles = [];
  let columns = 0;
  let columnsEnd = -1;
  let lastColumn = -1;
  let index = 1;
  let row = null;
  let cell = null;
  let tables = 0;
  let pictures = false;
  eachTag(xml, sheet.start, (tag) => {
    const name = tag.name;
    if (name === n.cell || name === n.covered) {
      if (tag.closing) {
        if (cell !== null) cell.end = tag.end;
        cell = null;
        return false;
      }
      if (row === null || cell !== null) throw new WorkbookError('a sheet of it holds tables inside cells');
      const last = row.cells[row.cells.length - 1];
      const c = {
        column: last === undefined ? 0 : last.column + last.repeat,
        repeat: repeated(tag.attributes, n.columnsRepeated),
        start: tag.start,
        open: tag.end,
        end: tag.end,
        attributes: tag.attributes,
        used: true,
      };
      row.cells.push(c);
      // A cell holding nothing, of one column and one row, only carries a style.
      const span = repeated(tag.attributes, n.columnsSpanned);
      c.used = !tag.empty || name === n.covered || span > 1 || repeated(tag.attributes, n.rowsSpanned) > 1 ||
        tag.attributes.includes(n.valueType) || tag.attributes.includes(n.formula);
      if (c.used) lastColumn = Math.max(lastColumn, c.column + c.repeat - 1 + span - 1);
      if (!tag.empty) cell = c;
    } else if (cell !== null) {
      if (name === n.shapes || name.endsWith(':frame')) pictures = true;
      return false;
    } else if (name === n.row) {
      if (tag.closing) {
        if (row === null) return false;
        row.close = tag.start;
        row.end = tag.end;
        row = null;
        return false;
      }
      const repeat = repeated(tag.attributes, n.rowsRepeated);
      row = { index, repeat, cells: [], start: tag.start, open: tag.end, close: -1, end: tag.end };
      rows.push(row);
      index += repeat;
      if (tag.empty) row = null;
    } else if (name === n.column) {
      columnsEnd = tag.end;
      if (!tag.closing) {
        const count = repeated(tag.attributes, n.columnsRepeated);
        columnStyles.push([columns, count, attribute(tag.attributes, n.defaultStyle)]);
        columns += count;
      }
    } else if (name === n.sheet) {
      if (tag.closing && --tables === 0) return true;
      if (!tag.closing && !tag.empty && ++tables > 1) throw new WorkbookError('a sheet of it holds tables inside tables');
    } else if (name === n.shapes) {
      pictures = true;
    }
    return false;
  });

  /** The style of a cell (its attributes), or undefined. */
  const styleOf = (c) => (c.attributes.includes(n.style) ? attribute(c.attributes, n.style) : undefined);

  /** The default cell style of column `column`, or undefined. */
  const columnStyle = (column) => columnStyles.find(([from, count]) => from <= column && column < from + count)?.[2];

  /**
   * The style an added cell in column `column` of row `r` takes: that of the
   * empty cell `run` it takes the place of (the column's default else). An
   * added header cell takes the style of the last header cell holding
   * something, unless the cell it replaces has a style of its own.
   */
  function addedStyle(r, column, run, header) {
    const own = run === undefined ? undefined : styleOf(run);
    if (!header || (own !== undefined && own !== columnStyle(column))) return own;
    const before = r.cells.findLast((c) => c.used && c.column < column);
    return (before === undefined ? undefined : styleOf(before)) ?? own;
  }

  /**
   * Writes row `r` into `splice`, from its start tag to its end tag, with
   * `cells` (the added cells, or [] for none) after lastColumn and its
   * repetition `repeat`; `header` when it is the header row.
   */
  function writeRow(splice, r, cells, repeat, header) {
    const old = xml.slice(r.start, r.open);
    let open = old;
    if (r.close < 0) open = open.replace(/\s*\/>$/, '>');
    if (repeat !== r.repeat) open = withAttribute(open, n.rowsRepeated, repeat > 1 ? repeat : undefined);
    if (open === old) splice.copy(r.start, r.open);
    else splice.add(open);
    const close = () => {
      if (r.close < 0) splice.add(`</${n.row}>`);
      else splice.copy(r.close, r.end);
    };
    const first = lastColumn + 1;
    const count = cells.length;
    const k = count === 0 ? -1 : r.cells.findIndex((c) => c.column + c.repeat > first);
    if (k < 0) {
      if (r.close >= 0) splice.copy(r.open, r.close);
      if (count > 0) {
        const last = r.cells[r.cells.length - 1];
        const gap = first - (last === undefined ? 0 : last.column + last.repeat);
        splice.add(gap === 0 ? '' : gap === 1 ? `<${n.cell}/>` : `<${n.cell} ${n.columnsRepeated}="${gap}"/>`);
        cells.forEach((c, i) => splice.add(cellXml(n, c, addedStyle(r, first + i, undefined, header))));
      }
      close();
      return;
    }
    // Empty runs from `first` on give up `count` columns to the added cells,
    // each of which takes the style of the run it replaces; the runs' rest
    // stays as it was.
    const run = (c, columns) => {
      splice.add(withAttribute(xml.slice(c.start, c.open), n.columnsRepeated, columns > 1 ? columns : undefined));
      splice.copy(c.open, c.end);
    };
    splice.copy(r.open, r.cells[k].start);
    const before = first - r.cells[k].column;
    if (before > 0) run(r.cells[k], before);
    let i = k;
    for (let j = 0; j < count; ++j) {
      const column = first + j;
      while (i < r.cells.length && r.cells[i].column + r.cells[i].repeat <= column) ++i;
      const covering = i < r.cells.length ? r.cells[i] : undefined;
      if (covering !== undefined && cells[j].text === '') {
        // An empty added cell: the run's own cell, once.
        splice.add(withAttribute(xml.slice(covering.start, covering.open), n.columnsRepeated, undefined));
      } else {
        splice.add(cellXml(n, cells[j], addedStyle(r, column, covering, header)));
      }
    }
    const end = first + count;
    while (i < r.cells.length && r.cells[i].column + r.cells[i].repeat <= end) ++i;
    if (i < r.cells.length && r.cells[i].column < end) {
      run(r.cells[i], r.cells[i].column + r.cells[i].repeat - end);
      ++i;
    }
    splice.copy(i < r.cells.length ? r.cells[i].start : r.cells[r.cells.length - 1].end, r.close);
    close();
  }

  return {
    rows,
    lastColumn,
    pictures,
    code(r, column) {
      const c = r.cells.find((x) => x.column <= column && column < x.column + x.repeat);
      if (c === undefined || c.attributes === undefined) return '';
      const type = c.attributes.includes(n.valueType) ? attribute(c.attributes, n.valueType) : undefined;
      if (type === 'float' || type === 'percentage' || type === 'currency') {
        return `n${attribute(c.attributes, n.value) ?? ''}`;
      }
      if (type === 'string' && c.attributes.includes(n.stringValue)) return `t${attribute(c.attributes, n.stringValue)}`;
      const text = c.end > c.open ? cellText(xml, c.open, c.end, n) : '';
      return text === '' && type === undefined ? '' : `t${text}`;
    },
    /**
     * content.xml with cells added after column lastColumn, as a Splice: additions are
     * [{ row, cells, rest, header }] in row order, cells the added cells in column
     * order, rest, for a repeated row whose first copy alone gets cells
     * (the header), what the copies after it get, and header true for the
     * header row.
     */
    edit(additions) {
      const some = (list) => list !== undefined && list.some((c) => c.text !== '');
      const rowsAdded = [];
      let widest = 0;
      for (const { row, cells, rest, header } of additions) {
        if (!some(cells) && !some(rest)) continue;
        widest = Math.max(widest, cells.length, rest?.length ?? 0);
        rowsAdded.push({ row, cells: some(cells) ? cells : [], rest: some(rest) ? rest : [], parted: rest !== undefined && row.repeat > 1, header });
      }
      const splice = new Splice(xml);
      const needed = lastColumn + 1 + widest - columns;
      if (widest > 0 && needed > 0 && columnsEnd >= 0) {
        splice.keep(columnsEnd);
        splice.add(needed === 1 ? `<${n.column}/>` : `<${n.column} ${n.columnsRepeated}="${needed}"/>`);
      }
      for (const { row, cells, rest, parted, header } of rowsAdded) {
        splice.keep(row.start);
        if (parted) {
          writeRow(splice, row, cells, 1, header);
          writeRow(splice, row, rest, row.repeat - 1, false);
        } else {
          writeRow(splice, row, cells, row.repeat, header);
        }
        splice.skip(row.end);
      }
      return splice;
    },
  };
}

/** A cell's name for messages: its column's letters and row, "B5-B7" for a repeated row. */
export function odsCellName(row, column) {
  const letters = columnLetters(column);
  return row.repeat > 1 ? `${letters}${row.index}-${letters}${row.index + row.repeat - 1}` : `${letters}${row.index}`;
}
