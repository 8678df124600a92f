// Workbooks in the OpenDocument format (.ods): the sheets of content.xml,
// what their cells hold, and content.xml with cells added to a sheet's rows.
// Rows and cells may stand for several (number-rows-repeated,
// number-columns-repeated): a run of empty cells where cells are added is
// split, and a repeated header row is parted from the rows it repeats.

import { columnLetters } from './cells.mjs';
import { attribute, eachTag, escapeXml, namespaces, unescapeXml, withAttribute, xmlText } from './xml.mjs';
import { Splice } from './splice.mjs';
import { unzipEntry, WorkbookError, zipEntry } from './zip.mjs';

const NAMESPACES = {
  office: 'urn:oasis:names:tc:opendocument:xmlns:office:1.0',
  table: 'urn:oasis:names:tc:opendocument:xmlns:table:1.0',
  text: 'urn:oasis:names:tc:opendocument:xmlns:text:1.0',
};
const CELL = 'table:table-cell';
const COVERED = 'table:covered-table-cell';
const ROW = 'table:table-row';
const COLUMN = 'table:table-column';
const ROWS_REPEATED = 'table:number-rows-repeated';
const COLUMNS_REPEATED = 'table:number-columns-repeated';

/** A repetition count of `attributes`: at least 1. */
function repeated(attributes, name) {
  if (!attributes.includes(name)) return 1;
  const n = Number(attribute(attributes, name));
  return Number.isInteger(n) && n > 1 ? n : 1;
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
  const declared = namespaces(content);
  for (const [prefix, uri] of Object.entries(NAMESPACES)) {
    if (declared.get(prefix) !== uri) throw new WorkbookError('its content.xml is not written as the page expects');
  }
  const sheets = [];
  let depth = 0;
  // Only the tables' own tags are looked at: content.xml may be a hundred megabytes.
  for (const m of content.matchAll(/<table:table([\s/>])|<\/table:table>/g)) {
    if (m[1] === undefined) --depth;
    else {
      const end = content.indexOf('>', m.index);
      const tag = content.slice(m.index, end + 1);
      if (tag.endsWith('/>')) continue;
      if (depth++ === 0) sheets.push({ name: attribute(tag, 'table:name') ?? '', start: m.index });
    }
  }
  return { sheets, content, bytes };
}

/** The text a cell shows, between `from` and `to`: its paragraphs a line each, without annotations. */
function cellText(xml, from, to) {
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
    if (name === 'office:annotation') annotation += tag.closing ? -1 : tag.empty ? 0 : 1;
    if (annotation > 0 || (name === 'office:annotation' && tag.closing)) return false;
    if (name === 'text:p' || name === 'text:h') {
      if (!tag.closing && paragraphs++ > 0) text += '\n';
      if (!tag.empty) inParagraph += tag.closing ? -1 : 1;
    } else if (inParagraph > 0 && !tag.closing) {
      if (name === 'text:s') text += ' '.repeat(repeated(tag.attributes, 'text:c'));
      else if (name === 'text:tab') text += '\t';
      else if (name === 'text:line-break') text += '\n';
    }
    return false;
  });
  return text;
}

/** The XML of an added cell: { kind: 'n', 't' or 'b', text }; an empty cell when text is ''. */
function cellXml({ kind, text }) {
  if (text === '') return `<${CELL}/>`;
  if (kind === 'n') return `<${CELL} office:value-type="float" office:value="${text}"><text:p>${text}</text:p></${CELL}>`;
  if (kind === 'b') {
    return `<${CELL} office:value-type="boolean" office:boolean-value="${text}"><text:p>${text === 'true' ? 'TRUE' : 'FALSE'}</text:p></${CELL}>`;
  }
  return `<${CELL} office:value-type="string"><text:p>${escapeXml(text)}</text:p></${CELL}>`;
}

/**
 * Reads the sheet `sheet` (as openOds gives it) of content.xml `xml`:
 * { rows, lastColumn, code(row, column), edit(additions) }, rows its row
 * elements in order, each { index (from 1), repeat (the rows it stands for),
 * cells }, lastColumn (from 0) the last column holding anything, -1 for none.
 */
export function readOdsSheet(xml, sheet) {
  const rows = [];
  let columns = 0;
  let columnsEnd = -1;
  let lastColumn = -1;
  let index = 1;
  let row = null;
  let cell = null;
  let tables = 0;
  eachTag(xml, sheet.start, (tag) => {
    const name = tag.name;
    if (name === CELL || name === COVERED) {
      if (tag.closing) {
        if (cell !== null) cell.end = tag.end;
        cell = null;
        return false;
      }
      if (row === null || cell !== null) throw new WorkbookError('a sheet of it holds tables inside cells');
      const last = row.cells[row.cells.length - 1];
      const c = {
        column: last === undefined ? 0 : last.column + last.repeat,
        repeat: repeated(tag.attributes, COLUMNS_REPEATED),
        start: tag.start,
        open: tag.end,
        end: tag.end,
        attributes: tag.attributes,
      };
      row.cells.push(c);
      const used = !tag.empty || tag.attributes.includes('office:value-type') || tag.attributes.includes('table:formula');
      if (used) {
        const span = repeated(tag.attributes, 'table:number-columns-spanned');
        lastColumn = Math.max(lastColumn, c.column + c.repeat - 1 + span - 1);
      }
      if (!tag.empty) cell = c;
    } else if (cell !== null) {
      return false;
    } else if (name === ROW) {
      if (tag.closing) {
        row.close = tag.start;
        row.end = tag.end;
        row = null;
        return false;
      }
      const repeat = repeated(tag.attributes, ROWS_REPEATED);
      row = { index, repeat, cells: [], start: tag.start, open: tag.end, close: -1, end: tag.end };
      rows.push(row);
      index += repeat;
      if (tag.empty) row = null;
    } else if (name === COLUMN) {
      if (tag.closing) columnsEnd = tag.end;
      else {
        columns += repeated(tag.attributes, COLUMNS_REPEATED);
        columnsEnd = tag.end;
      }
    } else if (name === 'table:table') {
      if (tag.closing && --tables === 0) return true;
      if (!tag.closing && !tag.empty && ++tables > 1) throw new WorkbookError('a sheet of it holds tables inside tables');
    }
    return false;
  });

  /**
   * Writes row `r` into `splice`, from its start tag to its end tag, with
   * `added` (cells' XML, `count` columns) after lastColumn and its repetition
   * `repeat`.
   */
  function writeRow(splice, r, added, count, repeat) {
    let open = xml.slice(r.start, r.open);
    if (r.close < 0) open = open.replace(/\s*\/>$/, '>');
    if (repeat !== r.repeat) open = withAttribute(open, ROWS_REPEATED, repeat > 1 ? repeat : undefined);
    if (open.length === r.open - r.start && r.close >= 0) splice.copy(r.start, r.open);
    else splice.add(open);
    const close = () => {
      if (r.close < 0) splice.add(`</${ROW}>`);
      else splice.copy(r.close, r.end);
    };
    const first = lastColumn + 1;
    const k = count === 0 ? -1 : r.cells.findIndex((c) => c.column + c.repeat > first);
    if (k < 0) {
      if (r.close >= 0) splice.copy(r.open, r.close);
      if (count > 0) {
        const last = r.cells[r.cells.length - 1];
        const gap = first - (last === undefined ? 0 : last.column + last.repeat);
        splice.add(gap === 0 ? '' : gap === 1 ? `<${CELL}/>` : `<${CELL} ${COLUMNS_REPEATED}="${gap}"/>`);
        splice.add(added);
      }
      close();
      return;
    }
    // Empty runs from `first` on give up `count` columns to the added cells.
    const run = (c, n) => {
      splice.add(withAttribute(xml.slice(c.start, c.open), COLUMNS_REPEATED, n > 1 ? n : undefined));
      splice.copy(c.open, c.end);
    };
    splice.copy(r.open, r.cells[k].start);
    const before = first - r.cells[k].column;
    if (before > 0) run(r.cells[k], before);
    splice.add(added);
    let skip = count;
    let i = k;
    for (; i < r.cells.length && skip > 0; ++i) {
      const c = r.cells[i];
      const available = c.column + c.repeat - Math.max(first, c.column);
      const taken = Math.min(skip, available);
      skip -= taken;
      if (available > taken) run(c, available - taken);
    }
    splice.copy(i < r.cells.length ? r.cells[i].start : r.cells[r.cells.length - 1].end, r.close);
    close();
  }

  return {
    rows,
    lastColumn,
    code(r, column) {
      const c = r.cells.find((x) => x.column <= column && column < x.column + x.repeat);
      if (c === undefined || c.attributes === undefined) return '';
      const type = c.attributes.includes('office:value-type') ? attribute(c.attributes, 'office:value-type') : undefined;
      if (type === 'float' || type === 'percentage' || type === 'currency') {
        return `n${attribute(c.attributes, 'office:value') ?? ''}`;
      }
      if (type === 'string' && c.attributes.includes('office:string-value')) return `t${attribute(c.attributes, 'office:string-value')}`;
      const text = c.end > c.open ? cellText(xml, c.open, c.end) : '';
      return text === '' && type === undefined ? '' : `t${text}`;
    },
    /**
     * content.xml with cells added after column lastColumn, as a Splice: additions are
     * [{ row, cells, rest }] in row order, cells the added cells in column
     * order, and rest, for a repeated row whose first copy alone gets cells
     * (the header), what the copies after it get.
     */
    edit(additions) {
      const xmlOf = (list) => (list && list.some((c) => c.text !== '') ? list.map(cellXml).join('') : '');
      const rowsAdded = [];
      let widest = 0;
      for (const { row, cells, rest } of additions) {
        const added = xmlOf(cells);
        const more = xmlOf(rest);
        if (added === '' && more === '') continue;
        widest = Math.max(widest, cells.length, rest?.length ?? 0);
        rowsAdded.push({ row, added, count: added ? cells.length : 0, more, moreCount: more ? rest.length : 0, parted: rest !== undefined && row.repeat > 1 });
      }
      const splice = new Splice(xml);
      const needed = lastColumn + 1 + widest - columns;
      if (widest > 0 && needed > 0 && columnsEnd >= 0) {
        splice.keep(columnsEnd);
        splice.add(needed === 1 ? `<${COLUMN}/>` : `<${COLUMN} ${COLUMNS_REPEATED}="${needed}"/>`);
      }
      for (const { row, added, count, more, moreCount, parted } of rowsAdded) {
        splice.keep(row.start);
        if (parted) {
          writeRow(splice, row, added, count, 1);
          writeRow(splice, row, more, moreCount, row.repeat - 1);
        } else {
          writeRow(splice, row, added, count, row.repeat);
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
