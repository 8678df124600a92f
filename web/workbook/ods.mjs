// Workbooks in the OpenDocument format (.ods): the sheets of content.xml,
// what their cells hold, and content.xml with cells added to a sheet's rows.
// Rows and cells may stand for several (number-rows-repeated,
// number-columns-repeated): a run of empty cells where cells are added is
// split, and a repeated header row is parted from the rows it repeats.

import { columnLetters } from './cells.mjs';
import { attribute, eachTag, escapeXml, markupEnd, nameEnd, tagEnd, unescapeXml, withAttribute, xmlText } from './xml.mjs';
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
  // Each declaration read where the word xmlns lies, rather than by a search that tries every blank of the text.
  const declaration = /\sxmlns(?::([^\s=>]+))?\s*=\s*(?:"([^"]*)"|'([^']*)')/y;
  for (let at = content.indexOf('xmlns', 1); at >= 0; at = content.indexOf('xmlns', at + 1)) {
    declaration.lastIndex = at - 1;
    const m = declaration.exec(content);
    if (m === null) continue;
    at = declaration.lastIndex;
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
  const table = literally(names.sheet);
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

/** True when some of the added cells `list` (or undefined) holds something. */
function holdsText(list) {
  if (list !== undefined) for (const c of list) if (c.text !== '') return true;
  return false;
}

/**
 * The parts of added cells' XML with names `n`, made once for a sheet: what
 * addCell puts around the cells' texts.
 */
function addedCellParts(n) {
  return {
    start: `<${n.cell}`,
    float: ` ${n.valueType}="float" ${n.value}="`,
    boolean: ` ${n.valueType}="boolean" ${n.booleanValue}="`,
    string: ` ${n.valueType}="string"><${n.p}>`,
    shown: `"><${n.p}>`,
    end: `</${n.p}></${n.cell}>`,
  };
}

/**
 * Adds to `splice` the XML of an added cell, { kind: 'n', 't' or 'b', text },
 * with the style `style` (or none), an empty cell when text is '': in pieces,
 * the same strings `parts` (addedCellParts) each time around the cell's text,
 * so that a hundred thousand rows' cells make no string of their own to join.
 */
function addCell(splice, n, parts, { kind, text }, style) {
  splice.add(parts.start);
  if (style !== undefined) splice.add(` ${n.style}="${escapeXml(style)}"`);
  if (text === '') {
    splice.add('/>');
  } else if (kind === 'n' || kind === 'b') {
    splice.add(kind === 'n' ? parts.float : parts.boolean);
    splice.add(text);
    splice.add(parts.shown);
    splice.add(kind === 'n' ? text : text === 'true' ? 'TRUE' : 'FALSE');
    splice.add(parts.end);
  } else {
    splice.add(parts.string);
    splice.add(escapeXml(text));
    splice.add(parts.end);
  }
}

/** `text` as a regular expression that matches it. */
const literally = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');

/**
 * What most cells hold after their start tag, up to their end tag, with
 * names `n`: nothing, or one paragraph of text alone. Where it matches, the
 * tags inside the cell need not be read one by one: none of them is one the
 * sheet reader follows.
 */
function cellRestForm(n) {
  const [cell, p] = [literally(n.cell), literally(n.p)];
  return new RegExp(String.raw`(?:<${p}>[^<]*<\/${p}>)?<\/${cell}>`, 'y');
}

/** Where the attributes of a start tag of `xml` whose name ends at `name` and that ends at `end` (after its >) end: after the last quote, or at the name's end. */
function attributesEnd(xml, name, end) {
  let to = end - 1;
  while (to > name && xml.charCodeAt(to - 1) !== 34 && xml.charCodeAt(to - 1) !== 39) --to;
  return to;
}

/**
 * A sheet's cells as numbers, FIELDS for each in the order read, so that a
 * sheet of a hundred thousand rows makes no object for each cell: its first
 * column, the columns it stands for (number-columns-repeated), where its
 * start tag starts and ends, where its end tag ends (the start tag's end
 * when it has none), and 1 when it holds something (0 for an empty cell
 * that only carries a style).
 */
const FIELDS = 6;
const COLUMN_AT = 0;
const REPEAT = 1;
const START = 2;
const OPEN = 3;
const END = 4;
const USED = 5;

/** The attributes of the start tag of `xml` from `start` to `open`, as their text. */
function attributesOf(xml, start, open) {
  const name = nameEnd(xml, start + 1);
  return xml.slice(name, attributesEnd(xml, name, open));
}

/** A row element of a sheet: where it lies, and where its cells' numbers lie in `read`.fields (read: { xml, fields }). */
class OdsRow {
  constructor(read, index, repeat, start, open, first) {
    this.index = index;
    this.repeat = repeat;
    this.start = start;
    this.open = open;
    this.close = -1;
    this.end = open;
    this.read = read;
    this.first = first;
    this.count = 0;
    this.made = null;
  }

  /** The row's cells as objects. */
  get cells() {
    const { xml, fields } = this.read;
    this.made ??= Array.from({ length: this.count }, (_, i) => {
      const [column, repeat, start, open, end, used] = fields.subarray(this.first + i * FIELDS);
      return { column, repeat, start, open, end, attributes: attributesOf(xml, start, open), used: used === 1 };
    });
    return this.made;
  }
}

/**
 * Reads the sheet `sheet` (as openOds gives it) of content.xml `xml` (decoded
 * from `bytes`, when given, which its edit can copy from):
 * { rows, lastColumn, pictures, code(row, column), edit(additions) }, rows its row
 * elements in order, each { index (from 1), repeat (the rows it stands for),
 * cells }, lastColumn (from 0) the last column holding anything, -1 for none:
 * empty cells that only carry a style are placeholders, not used. pictures
 * is true when the sheet holds shapes (pictures, charts). A row's cells,
 * { column, repeat, start, open, end, attributes, used } each, are made
 * only when asked for: code and edit read the cells' numbers.
 */
export function readOdsSheet(xml, sheet, bytes = null) {
  const n = sheet.names ?? ODS_NAMES;
  // The names of the elements the reader follows, by their lengths (which differ).
  const followed = [];
  for (const name of [n.cell, n.row, n.covered, n.column, n.sheet, n.shapes]) followed[name.length] = name;
  const cellRest = cellRestForm(n);
  const parts = addedCellParts(n);
  // An attribute text without this has neither repetitions nor spans.
  const numbered = `${n.table}:number-`;
  const rows = [];
  // The cells' numbers, FIELDS for each of `cellCount` cells: made longer as needed.
  let fields = new Float64Array(FIELDS * 1024);
  let cellCount = 0;
  // [first column, count, default cell style] of the column elements.
  const columnStyles = [];
  let columns = 0;
  let columnsEnd = -1;
  let lastColumn = -1;
  let index = 1;
  let row = null;
  // Where the numbers of the cell open now start in fields; -1 when none is.
  let cell = -1;
  let tables = 0;
  let pictures = false;
  // What the rows' cells are made from when asked for: fields once read whole.
  const read = { xml, fields: null };

  // Every tag from the sheet's start tag to its end tag, passed over but for
  // those of the elements above; the text between tags is not looked at.
  for (let p = xml.indexOf('<', sheet.start); p >= 0;) {
    const at = p;
    const c = xml.charCodeAt(at + 1);
    const closing = c === 47;
    const from = closing ? at + 2 : at + 1;
    // Where a cell read whole ends (after its end tag; -1 for none).
    let whole = -1;
    const to = nameEnd(xml, from);
    const end = to === from ? markupEnd(xml, at) : tagEnd(xml, at, to);
    // The name compared where it lies, without a string made of it.
    const named = followed[to - from];
    const element = named !== undefined && xml.startsWith(named, from) ? named : undefined;
    if (end < 0 || to === from) {
      // Not a tag, or a comment, processing instruction, CDATA section or document type.
      p = xml.indexOf('<', end < 0 ? at + 1 : end);
      continue;
    }
    const empty = xml.charCodeAt(end - 2) === 47;
    if (element === n.cell && !closing && !empty) {
      cellRest.lastIndex = end;
      if (cellRest.test(xml)) whole = cellRest.lastIndex;
    }
    p = xml.indexOf('<', whole >= 0 ? whole : end);
    if (cell >= 0 && element !== n.cell && element !== n.covered) {
      // Inside a cell, only pictures and charts matter.
      if (element === n.shapes || (to - from >= 6 && xml.startsWith(':frame', to - 6))) pictures = true;
      continue;
    }
    if (element === n.cell || element === n.covered) {
      if (closing) {
        if (cell >= 0) fields[cell + END] = end;
        cell = -1;
        continue;
      }
      if (row === null || cell >= 0) throw new WorkbookError('a sheet of it holds tables inside cells');
      const k = cellCount * FIELDS;
      const column = row.count === 0 ? 0 : fields[k - FIELDS + COLUMN_AT] + fields[k - FIELDS + REPEAT];
      const attributes = xml.slice(to, attributesEnd(xml, to, end));
      let repeat = 1;
      let span = 1;
      let rowSpan = 1;
      if (attributes.includes(numbered)) {
        repeat = repeated(attributes, n.columnsRepeated);
        span = repeated(attributes, n.columnsSpanned);
        rowSpan = repeated(attributes, n.rowsSpanned);
      }
      // A cell holding nothing, of one column and one row, only carries a style.
      const used = !empty || element === n.covered || span > 1 || rowSpan > 1 || attributes.includes(n.valueType) || attributes.includes(n.formula);
      if (k === fields.length) {
        const longer = new Float64Array(2 * k);
        longer.set(fields);
        fields = longer;
      }
      fields[k + COLUMN_AT] = column;
      fields[k + REPEAT] = repeat;
      fields[k + START] = at;
      fields[k + OPEN] = end;
      fields[k + END] = whole >= 0 ? whole : end;
      fields[k + USED] = used ? 1 : 0;
      ++cellCount;
      ++row.count;
      if (used) lastColumn = Math.max(lastColumn, column + repeat - 1 + span - 1);
      if (!empty && whole < 0) cell = k;
    } else if (element === n.row) {
      if (closing) {
        if (row === null) continue;
        row.close = at;
        row.end = end;
        row = null;
        continue;
      }
      const attributes = attributesOf(xml, at, end);
      row = new OdsRow(read, index, attributes.includes(numbered) ? repeated(attributes, n.rowsRepeated) : 1, at, end, cellCount * FIELDS);
      rows.push(row);
      index += row.repeat;
      if (empty) row = null;
    } else if (element === n.column) {
      columnsEnd = end;
      if (!closing) {
        const attributes = attributesOf(xml, at, end);
        const count = repeated(attributes, n.columnsRepeated);
        columnStyles.push([columns, count, attribute(attributes, n.defaultStyle)]);
        columns += count;
      }
    } else if (element === n.sheet) {
      if (closing && --tables === 0) break;
      if (!closing && !empty && ++tables > 1) throw new WorkbookError('a sheet of it holds tables inside tables');
    } else if (element === n.shapes) {
      pictures = true;
    }
  }

  read.fields = fields;

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

  /** Where the first column after the `i`th cell of row `r` is. */
  const after = (r, i) => fields[r.first + i * FIELDS + COLUMN_AT] + fields[r.first + i * FIELDS + REPEAT];

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
    // Most rows end before the added cells: read from the cells' numbers, without the cells as objects.
    let k = 0;
    while (k < r.count && after(r, k) <= first) ++k;
    if (count === 0 || k === r.count) {
      if (r.close >= 0) splice.copy(r.open, r.close);
      if (count > 0) {
        const gap = first - (r.count === 0 ? 0 : after(r, r.count - 1));
        splice.add(gap === 0 ? '' : gap === 1 ? `<${n.cell}/>` : `<${n.cell} ${n.columnsRepeated}="${gap}"/>`);
        cells.forEach((c, i) => addCell(splice, n, parts, c, addedStyle(r, first + i, undefined, header)));
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
        addCell(splice, n, parts, cells[j], addedStyle(r, column, covering, header));
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
      let k = r.first;
      while (k < r.first + r.count * FIELDS && !(fields[k + COLUMN_AT] <= column && column < fields[k + COLUMN_AT] + fields[k + REPEAT])) k += FIELDS;
      if (k === r.first + r.count * FIELDS) return '';
      const attributes = attributesOf(xml, fields[k + START], fields[k + OPEN]);
      const type = attributes.includes(n.valueType) ? attribute(attributes, n.valueType) : undefined;
      if (type === 'float' || type === 'percentage' || type === 'currency') {
        return `n${attribute(attributes, n.value) ?? ''}`;
      }
      if (type === 'string' && attributes.includes(n.stringValue)) return `t${attribute(attributes, n.stringValue)}`;
      const text = fields[k + END] > fields[k + OPEN] ? cellText(xml, fields[k + OPEN], fields[k + END], n) : '';
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
      // Only the rows that gain a cell holding something change.
      const changing = additions.filter(({ cells, rest }) => holdsText(cells) || holdsText(rest));
      const widest = changing.reduce((most, { cells, rest }) => Math.max(most, cells.length, rest?.length ?? 0), 0);
      const splice = new Splice(xml, bytes);
      const needed = lastColumn + 1 + widest - columns;
      if (widest > 0 && needed > 0 && columnsEnd >= 0) {
        splice.keep(columnsEnd);
        splice.add(needed === 1 ? `<${n.column}/>` : `<${n.column} ${n.columnsRepeated}="${needed}"/>`);
      }
      for (const { row, cells, rest, header } of changing) {
        const own = holdsText(cells) ? cells : [];
        splice.keep(row.start);
        if (rest !== undefined && row.repeat > 1) {
          writeRow(splice, row, own, 1, header);
          writeRow(splice, row, holdsText(rest) ? rest : [], row.repeat - 1, false);
        } else {
          writeRow(splice, row, own, row.repeat, header);
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
