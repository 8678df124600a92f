// Workbooks in the Office Open XML format (.xlsx): which sheets they have,
// what their cells hold (numbers, shared strings, inline strings, cached
// results of formulas), and a sheet's XML with cells added after its last
// used column, spliced in so that every other byte of the part stays as it
// was. Names are read by their namespaces, wherever those are declared and
// whatever their prefixes.

import { columnLetters, columnOf, rowOf } from './cells.mjs';
import { attribute, eachElement, escapeXml, TagCursor, TOP_SCOPE, unescapeXml, withAttribute, xmlText } from './xml.mjs';
import { Splice } from './splice.mjs';
import { unzipEntry, WorkbookError, zipEntry } from './zip.mjs';

const MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main';
const RELATIONSHIPS = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships';
const PACKAGE_RELATIONSHIPS = 'http://schemas.openxmlformats.org/package/2006/relationships';
const STRICT = 'http://purl.oclc.org/ooxml/';
const REL_TYPE = `${RELATIONSHIPS}/`;
const STRICT_REFUSAL = 'it is saved as strict Open XML, which the page does not write';

/** The text of the part `name` of `zip`, or null when there is none. */
async function partText(zip, name) {
  const entry = zipEntry(zip, name);
  if (entry === undefined) return null;
  const text = xmlText(await unzipEntry(zip, entry));
  if (text === null) throw new WorkbookError(`its part ${name} is not UTF-8 XML`);
  return text;
}

/** The relationships of the part `name`: Id to { type, target } with target a part's name. */
async function relationships(zip, name) {
  const slash = name.lastIndexOf('/');
  const folder = name.slice(0, slash + 1);
  const text = await partText(zip, `${folder}_rels/${name.slice(slash + 1)}.rels`);
  const found = new Map();
  if (text === null) return found;
  eachElement(text, 0, TOP_SCOPE, (tag) => {
    if (tag.closing || tag.local !== 'Relationship' || tag.ns !== PACKAGE_RELATIONSHIPS) return false;
    if (attribute(tag.attributes, 'TargetMode') === 'External') return false;
    let target = attribute(tag.attributes, 'Target') ?? '';
    target = target.startsWith('/') ? target.slice(1) : folder + target;
    // Resolve "..": a target may point out of the folder.
    const parts = [];
    for (const part of target.split('/')) {
      if (part === '..') parts.pop();
      else if (part !== '.') parts.push(part);
    }
    found.set(attribute(tag.attributes, 'Id'), { type: attribute(tag.attributes, 'Type') ?? '', target: parts.join('/') });
    return false;
  });
  return found;
}

/**
 * The text of a rich-text element (a shared string, an inline string) between
 * `from` and `to`, with the namespaces `scope` in scope there: its runs,
 * without phonetic hints.
 */
function richText(xml, from, to, scope) {
  let text = '';
  let inT = -1;
  let hint = 0;
  eachElement(xml, from, scope, (tag) => {
    if (tag.start >= to) return true;
    if (tag.ns !== MAIN) return false;
    const name = tag.local;
    if (name === 'rPh') hint += tag.closing ? -1 : tag.empty ? 0 : 1;
    else if (name === 't' && hint === 0) {
      if (tag.closing && inT >= 0) text += unescapeXml(xml.slice(inT, tag.start));
      inT = !tag.closing && !tag.empty ? tag.end : -1;
    }
    return false;
  });
  return text;
}

/** A shared string of plain text alone, as most are: the prefix of its t, and its text. */
const PLAIN_STRING = /^<([^\s:<>]+:)?t(?: xml:space="preserve")?>([^<]*)<\/\1t>$/;

/** Where the first colon of the name `text` holds from `from` to `to` lies, or -1. */
function colonIn(text, from, to) {
  for (let i = from; i < to; ++i) if (text.charCodeAt(i) === 58) return i;
  return -1;
}

/**
 * The namespaces of elements' prefixes, looked up by their characters: the
 * last scope and prefix looked up are remembered, so that the elements of a
 * part, which mostly share both, are resolved without a string made.
 */
class PrefixUris {
  /** Prefixes of names in `text`. */
  constructor(text) {
    this.text = text;
    this.scope = null;
    this.prefix = '';
    this.uri = undefined;
  }

  /** The URI `scope` binds the prefix from `from` to `to` to (an empty one: the default namespace), as Scope.uri. */
  of(scope, from, to) {
    if (scope !== this.scope || to - from !== this.prefix.length || !this.text.startsWith(this.prefix, from)) {
      this.scope = scope;
      this.prefix = this.text.slice(from, to);
      this.uri = scope.uri(this.prefix);
    }
    return this.uri;
  }
}

/**
 * The URI of the element the cursor `tags` is at when its local name is
 * `local`, or undefined when it is not: the name recognised by its
 * characters first, its prefix resolved only then.
 */
function namespaceOf(tags, uris, local) {
  const text = tags.text;
  const from = tags.nameStart;
  const to = tags.m.nameEnd;
  const colon = colonIn(text, from, to);
  const start = colon < 0 ? from : colon + 1;
  if (to - start !== local.length || !text.startsWith(local, start)) return undefined;
  return uris.of(tags.scope, from, colon < 0 ? from : colon);
}

/** The shared strings of the part's text, in order. */
function sharedStrings(xml) {
  const strings = [];
  let start = -1;
  let scope = TOP_SCOPE;
  const tags = new TagCursor(xml, 0, TOP_SCOPE);
  const { m } = tags;
  const uris = new PrefixUris(xml);
  while (tags.next()) {
    if (namespaceOf(tags, uris, 'si') !== MAIN) continue;
    if (m.empty) strings.push('');
    else if (!m.closing) {
      start = m.end;
      scope = tags.scope;
      // Strings of plain text alone, as writers write most, are read at
      // once, one after the other while they come so (each si without
      // attributes, in the scope of the first): end is where the last of
      // them ends.
      if (m.nameEnd - tags.nameStart !== 2 || m.attributesEnd !== m.nameEnd) continue;
      let end = -1;
      for (let at = start; ;) {
        const open = xml.startsWith('<t>', at) ? 3 : xml.startsWith('<t xml:space="preserve">', at) ? 24 : 0;
        const lt = open === 0 ? -1 : xml.indexOf('<', at + open);
        if (lt < 0 || !xml.startsWith('</t></si>', lt)) break;
        strings.push(unescapeXml(xml.slice(at + open, lt)));
        end = lt + 9;
        if (!xml.startsWith('<si>', end)) break;
        at = end + 4;
        start = at;
      }
      if (end >= 0) tags.passElement(end);
    } else {
      // The plain form when its t is the si's own prefix's, as writers write it.
      const plain = PLAIN_STRING.exec(xml.slice(start, m.start));
      const name = xml.slice(tags.nameStart, m.nameEnd);
      strings.push(plain !== null && (plain[1] ?? '') === name.slice(0, name.indexOf(':') + 1) ? unescapeXml(plain[2]) : richText(xml, start, m.start, scope));
    }
  }
  return strings;
}

/**
 * Opens an .xlsx archive: { sheets: [{ name, part }], strings } with the
 * worksheets in the workbook's order and the shared strings. Refuses a
 * workbook in strict Open XML, a binary one, and a signed one.
 */
export async function openXlsx(zip) {
  if (zip.entries.some((entry) => entry.name.startsWith('_xmlsignatures/'))) {
    throw new WorkbookError('it is signed, and a changed workbook would lose its signature');
  }
  const root = [...(await relationships(zip, '')).values()].find((rel) => rel.type.endsWith('/officeDocument'));
  if (root === undefined) throw new WorkbookError('it has no workbook in it');
  if (root.type.startsWith(STRICT)) throw new WorkbookError(STRICT_REFUSAL);
  if (!root.target.endsWith('.xml')) throw new WorkbookError('it is a binary workbook (.xlsb), which the page does not read');
  const workbook = await partText(zip, root.target);
  if (workbook === null) throw new WorkbookError('its workbook part is missing');
  const rels = await relationships(zip, root.target);
  const sheets = [];
  let strict = false;
  eachElement(workbook, 0, TOP_SCOPE, (tag) => {
    if (tag.ns?.startsWith(STRICT)) strict = true;
    if (tag.closing || tag.local !== 'sheet' || tag.ns !== MAIN) return false;
    const rel = rels.get(tag.scope.attribute(tag.attributes, RELATIONSHIPS, 'id'));
    if (rel?.type === `${REL_TYPE}worksheet` && zipEntry(zip, rel.target)) {
      sheets.push({ name: attribute(tag.attributes, 'name') ?? '', part: rel.target });
    }
    return false;
  });
  if (strict) throw new WorkbookError(STRICT_REFUSAL);
  const stringsRel = [...rels.values()].find((rel) => rel.type === `${REL_TYPE}sharedStrings`);
  const stringsText = stringsRel ? await partText(zip, stringsRel.target) : null;
  return { sheets, strings: stringsText === null ? [] : sharedStrings(stringsText) };
}


/** The cells that the comments of the worksheet part `part` are on, by name ("B2"). */
export async function commentedCells(zip, part) {
  const cells = [];
  for (const rel of (await relationships(zip, part)).values()) {
    if (rel.type !== `${REL_TYPE}comments`) continue;
    const text = await partText(zip, rel.target);
    if (text === null) continue;
    eachElement(text, 0, TOP_SCOPE, (tag) => {
      if (!tag.closing && tag.local === 'comment' && tag.ns === MAIN) cells.push(attribute(tag.attributes, 'ref') ?? '');
      return false;
    });
  }
  return cells;
}

/** The column (from 0) of the right end of a range ("A1:F3") or of a cell's name; -1 for none. */
const rightColumn = (ref) => columnOf(ref.slice(ref.lastIndexOf(':') + 1).replace(/\$/g, ''));

/** Which element the reader wants the local name `text` holds from `from` to `to` is: its name, or '' for none. */
function sheetElement(text, from, to) {
  switch (to - from) {
    case 1: {
      const c = text.charCodeAt(from);
      return c === 99 ? 'c' : c === 118 ? 'v' : c === 102 ? 'f' : '';
    }
    case 2:
      return text.startsWith('is', from) ? 'is' : '';
    case 3:
      return text.startsWith('row', from) ? 'row' : text.startsWith('col', from) ? 'col' : '';
    case 7:
      return text.startsWith('drawing', from) ? 'drawing' : '';
    case 9:
      for (const name of ['sheetData', 'dimension', 'mergeCell', 'hyperlink']) if (text.startsWith(name, from)) return name;
      return '';
    default:
      return '';
  }
}

/** The column (from 0) the cell's name from `from` to `to` of `text` names, as columnOf reads it once unescaped; -1 for none. */
function columnAt(text, from, to) {
  let column = 0;
  let i = from;
  for (; i < to; ++i) {
    const c = text.charCodeAt(i) | 32;
    if (c < 97 || c > 122) break;
    column = column * 26 + (c - 96);
  }
  if (i < to && text.charCodeAt(i) === 38) return columnOf(unescapeXml(text.slice(from, to)));
  return i === from ? -1 : column - 1;
}

// A cell in the reader's store: STRIDE numbers from its index times STRIDE.
// Its column; where its element starts and ends; where its s and t values,
// its v's text and its is element's content start and end, a pair each
// (-1 for none);
// FORMULA (it has an f) and USED (it holds something); and its scope, an
// index into the reader's scopes.
const STRIDE = 13;
const COLUMN = 0;
const START = 1;
const END = 2;
const S_FROM = 3;
const T_FROM = 5;
const V_FROM = 7;
const IS_FROM = 9;
const FLAGS = 11;
const SCOPE = 12;
const FORMULA = 1;
const USED = 2;

/**
 * A row element of a worksheet: index (from 1), repeat (1), where it lies
 * (start, open: the end of its start tag, close: the start of its end tag,
 * -1 for a self-closing one, end), s (its style when it has its own), and
 * its cells, those from first (count of them) in its sheet's store.
 */
class XlsxRow {
  constructor(sheet, index, start, open, nameEnd, empty) {
    this.sheet = sheet;
    this.index = index;
    this.repeat = 1;
    this.start = start;
    this.open = open;
    this.close = empty ? -1 : 0;
    this.end = open;
    this.nameEnd = nameEnd;
    this.s = undefined;
    // Where its spans value starts and ends, -1 for none.
    this.spansFrom = -1;
    this.spansTo = -1;
    this.first = 0;
    this.count = 0;
  }

  /** Its element's name, as its start tag writes it. */
  get name() {
    return this.sheet.xml.slice(this.start + 1, this.nameEnd);
  }

  /** The prefix of its name with its colon ('' for none): cells added to it are named as it is. */
  get prefix() {
    const { xml } = this.sheet;
    for (let i = this.start + 1; i < this.nameEnd; ++i) if (xml.charCodeAt(i) === 58) return xml.slice(this.start + 1, i + 1);
    return '';
  }

  /** Its cells in order, each { column, start, end, s, used }, made when asked for. */
  get cells() {
    return this.sheet.cellsOf(this);
  }
}

/**
 * Reads a worksheet's XML (decoded from `bytes`, when given, which its edit
 * can copy from): { rows, lastColumn, pictures, code(row, column), edit(additions) }.
 * rows are its row elements in order (XlsxRow: index from 1, repeat 1, cells);
 * lastColumn (from 0) is the last column any cell holding something is in
 * (or a merged range, a hyperlink or a comment of `commented`, cells' names,
 * reaches), -1 for none: empty cells that only carry a style are placeholders,
 * not used. pictures is true when the sheet has a drawing (pictures, charts).
 * Tags are read where they lie, and cells kept as numbers in one typed
 * array rather than as an object each: a sheet has hundreds of thousands.
 */
export function readXlsxSheet(xml, strings, commented = [], bytes = null) {
  const rows = [];
  // [min, max, style] of the cols element, columns from 1.
  const columnStyles = [];
  let dimension = null;
  let lastColumn = -1;
  let row = null;
  // Where the cell open is in the store, -1 for none.
  let cell = -1;
  let inSheetData = false;
  let pictures = false;
  let store = new Int32Array(STRIDE * Math.max(64, xml.length >> 6));
  let size = 0;
  const scopes = [];
  const sheet = { xml, cellsOf: (r) => cellObjects(r) };
  const tags = new TagCursor(xml, 0, TOP_SCOPE);
  const { m } = tags;
  const found = m.found;
  const uris = new PrefixUris(xml);
  if (tags.next()) {
    const [ns, local] = tags.scope.element(xml.slice(tags.nameStart, m.nameEnd));
    if (ns !== MAIN || local !== 'worksheet') {
      throw new WorkbookError(ns?.startsWith(STRICT) ? STRICT_REFUSAL : 'a sheet of it is not a worksheet the page knows');
    }
  }
  while (tags.next()) {
    const from = tags.nameStart;
    const to = m.nameEnd;
    const colon = colonIn(xml, from, to);
    const element = sheetElement(xml, colon < 0 ? from : colon + 1, to);
    if (element === '' || uris.of(tags.scope, from, colon < 0 ? from : colon) !== MAIN) continue;
    switch (element) {
      case 'c': {
        if (row === null) break;
        if (m.closing) {
          if (cell < 0) break;
          store[cell + END] = m.end;
          if (store[cell + V_FROM] >= 0 || store[cell + IS_FROM] >= 0 || (store[cell + FLAGS] & FORMULA) !== 0) {
            store[cell + FLAGS] |= USED;
            if (store[cell + COLUMN] > lastColumn) lastColumn = store[cell + COLUMN];
          }
          cell = -1;
          break;
        }
        // Its r, s and t, the first of each.
        let r = -1;
        let s = -1;
        let t = -1;
        for (let a = 0; a < m.count; a += 4) {
          if (found[a + 1] - found[a] !== 1) continue;
          const c = xml.charCodeAt(found[a]);
          if (c === 114 && r < 0) r = a;
          else if (c === 115 && s < 0) s = a;
          else if (c === 116 && t < 0) t = a;
        }
        const column = r >= 0 ? columnAt(xml, found[r + 2], found[r + 3]) : row.count === 0 ? 0 : store[(row.first + row.count - 1) * STRIDE + COLUMN] + 1;
        if (size + STRIDE > store.length) {
          const larger = new Int32Array(store.length * 2);
          larger.set(store);
          store = larger;
        }
        if (scopes.length === 0 || scopes[scopes.length - 1] !== tags.scope) scopes.push(tags.scope);
        const k = size;
        size += STRIDE;
        store[k + COLUMN] = column;
        store[k + START] = m.start;
        store[k + END] = m.end;
        store[k + S_FROM] = s < 0 ? -1 : found[s + 2];
        store[k + S_FROM + 1] = s < 0 ? -1 : found[s + 3];
        store[k + V_FROM] = -1;
        store[k + V_FROM + 1] = -1;
        store[k + IS_FROM] = -1;
        store[k + IS_FROM + 1] = -1;
        store[k + T_FROM] = t < 0 ? -1 : found[t + 2];
        store[k + T_FROM + 1] = t < 0 ? -1 : found[t + 3];
        store[k + FLAGS] = 0;
        store[k + SCOPE] = scopes.length - 1;
        ++row.count;
        cell = m.empty ? -1 : k;
        // A cell of a value alone, or of an inline string of plain text, as
        // writers write most, is read at once: its v or is, and its end.
        if (cell < 0 || colon >= 0) break;
        let end = -1;
        const at = m.end;
        if (xml.startsWith('<v>', at)) {
          const lt = xml.indexOf('<', at + 3);
          if (lt >= 0 && xml.startsWith('</v></c>', lt)) {
            store[k + V_FROM] = at + 3;
            store[k + V_FROM + 1] = lt;
            end = lt + 8;
          }
        } else if (xml.startsWith('<is><t>', at)) {
          const lt = xml.indexOf('<', at + 7);
          if (lt >= 0 && xml.startsWith('</t></is></c>', lt)) {
            store[k + IS_FROM] = at + 4;
            store[k + IS_FROM + 1] = lt + 4;
            end = lt + 13;
          }
        }
        if (end < 0) break;
        store[k + END] = end;
        store[k + FLAGS] |= USED;
        if (column > lastColumn) lastColumn = column;
        cell = -1;
        tags.passElement(end);
        break;
      }
      case 'v':
      case 'is': {
        if (cell < 0) break;
        const at = cell + (element === 'v' ? V_FROM : IS_FROM);
        // An end tag without its start is passed over.
        if (!m.closing) store[at] = store[at + 1] = m.end;
        else if (store[at] >= 0) store[at + 1] = m.start;
        break;
      }
      case 'f':
        if (cell >= 0) store[cell + FLAGS] |= FORMULA;
        break;
      case 'row': {
        if (!inSheetData) break;
        if (m.closing) {
          if (row === null) break;
          row.close = m.start;
          row.end = m.end;
          row = null;
          break;
        }
        let r = -1;
        let s = -1;
        let styled = -1;
        let spans = -1;
        for (let a = 0; a < m.count; a += 4) {
          const length = found[a + 1] - found[a];
          if (length === 1) {
            const c = xml.charCodeAt(found[a]);
            if (c === 114 && r < 0) r = a;
            else if (c === 115 && s < 0) s = a;
          } else if (length === 5 && spans < 0 && xml.startsWith('spans', found[a])) spans = a;
          else if (length === 12 && styled < 0 && xml.startsWith('customFormat', found[a])) styled = a;
        }
        const index = r >= 0 ? Number(unescapeXml(xml.slice(found[r + 2], found[r + 3]))) : rows.length ? rows[rows.length - 1].index + 1 : 1;
        row = new XlsxRow(sheet, index, m.start, m.end, m.nameEnd, m.empty);
        row.first = size / STRIDE;
        const format = styled < 0 ? '' : unescapeXml(xml.slice(found[styled + 2], found[styled + 3]));
        if ((format === '1' || format === 'true') && s >= 0) row.s = unescapeXml(xml.slice(found[s + 2], found[s + 3]));
        if (spans >= 0) {
          row.spansFrom = found[spans + 2];
          row.spansTo = found[spans + 3];
        }
        rows.push(row);
        if (m.empty) row = null;
        break;
      }
      case 'sheetData':
        inSheetData = !m.closing && !m.empty;
        break;
      case 'dimension':
        if (!m.closing && dimension === null) dimension = { start: m.start, end: m.end, ref: attribute(xml.slice(m.nameEnd, m.attributesEnd), 'ref') ?? '' };
        break;
      case 'col':
        if (!m.closing) {
          const attributes = xml.slice(m.nameEnd, m.attributesEnd);
          const style = attribute(attributes, 'style');
          if (style !== undefined) columnStyles.push([Number(attribute(attributes, 'min')), Number(attribute(attributes, 'max')), style]);
        }
        break;
      case 'mergeCell':
      case 'hyperlink':
        // A merged range or a link may reach past the cells written: the added columns go after it.
        if (!m.closing) lastColumn = Math.max(lastColumn, rightColumn(attribute(xml.slice(m.nameEnd, m.attributesEnd), 'ref') ?? ''));
        break;
      default: // drawing
        pictures = true;
    }
  }
  for (const name of commented) lastColumn = Math.max(lastColumn, rightColumn(name));

  /** The style (s) of the cell at `k` in the store, or undefined. */
  const styleOf = (k) => (store[k + S_FROM] < 0 ? undefined : unescapeXml(xml.slice(store[k + S_FROM], store[k + S_FROM + 1])));

  /** The cells of row `r` as objects: { column, start, end, s, used }. */
  function cellObjects(r) {
    const cells = [];
    for (let k = r.first * STRIDE, end = (r.first + r.count) * STRIDE; k < end; k += STRIDE) {
      cells.push({ column: store[k + COLUMN], start: store[k + START], end: store[k + END], s: styleOf(k), used: (store[k + FLAGS] & USED) !== 0 });
    }
    return cells;
  }

  /** What the cell at `k` in the store holds, for the engine: '' empty, 'n' and its stored number, or 't' and its text. */
  function cellCode(k) {
    const v = store[k + V_FROM] < 0 ? null : unescapeXml(xml.slice(store[k + V_FROM], store[k + V_FROM + 1]));
    switch (store[k + T_FROM] < 0 ? undefined : unescapeXml(xml.slice(store[k + T_FROM], store[k + T_FROM + 1]))) {
      case undefined:
      case 'n':
        return v === null || v === '' ? '' : `n${v}`;
      case 's': {
        const text = v === null ? undefined : strings[Number(v)];
        return text === undefined ? '' : `t${text}`;
      }
      case 'inlineStr':
        return store[k + IS_FROM] < 0 ? '' : `t${richText(xml, store[k + IS_FROM], store[k + IS_FROM + 1], scopes[store[k + SCOPE]])}`;
      case 'b':
        return v === null ? '' : v.trim() === '1' ? 'tTRUE' : 'tFALSE';
      default: // str (a formula's text), e (an error such as #N/A), d (a date as text)
        return v === null ? '' : `t${v}`;
    }
  }

  /** The style of the cols element for column `column` (from 0), or undefined. */
  function columnStyle(column) {
    return columnStyles.find(([min, max]) => min <= column + 1 && column + 1 <= max)?.[2];
  }

  /**
   * The style an added cell in column `column` of row `r` takes: that of the
   * empty cell it takes the place of (at `placeholder` in the store, -1 for
   * none), else the row's or the column's (`ofColumn`). An added header cell
   * takes the style of the last header cell holding something, unless the
   * cell it replaces has a style of its own.
   */
  function addedStyle(r, column, placeholder, ofColumn, header) {
    const own = placeholder < 0 ? undefined : styleOf(placeholder);
    const fallback = own ?? r.s ?? ofColumn;
    if (!header || (own !== undefined && own !== '0' && own !== ofColumn)) return fallback;
    for (let k = (r.first + r.count - 1) * STRIDE; k >= r.first * STRIDE; k -= STRIDE) {
      if ((store[k + FLAGS] & USED) !== 0 && store[k + COLUMN] < column) return styleOf(k) ?? fallback;
    }
    return fallback;
  }

  /** The XML of an added cell in column `letters` of row `r` (its name's prefix `p`): { kind: 'n', 't' or 'b', text }, with style `s`; '' when empty. */
  function cellXml(r, p, letters, { kind, text }, s) {
    if (text === '') return '';
    const start = `<${p}c r="${letters}${r.index}"${s === undefined ? '' : ` s="${escapeXml(s)}"`}`;
    if (kind === 'n') return `${start}><${p}v>${text}</${p}v></${p}c>`;
    if (kind === 'b') return `${start} t="b"><${p}v>${text === 'true' ? 1 : 0}</${p}v></${p}c>`;
    return `${start} t="inlineStr"><${p}is><${p}t>${escapeXml(text)}</${p}t></${p}is></${p}c>`;
  }

  /**
   * Adds to `splice` row `r`'s start tag as it is to be with `count` cells
   * added after column first - 1: its spans widened to reach them, and a
   * self-closing tag opened. A spans written plainly ( spans="...") has its
   * value alone replaced.
   */
  function openRow(splice, r, first, count) {
    const spans = r.spansFrom < 0 ? undefined : unescapeXml(xml.slice(r.spansFrom, r.spansTo));
    if (spans === undefined && r.close >= 0) return;
    let widened;
    if (spans !== undefined) {
      const [left, right] = spans.split(':');
      widened = `${left}:${Math.max(Number(right) || 0, first + count)}`;
      if (r.close >= 0 && xml.startsWith(' spans="', r.spansFrom - 8)) {
        splice.keep(r.spansFrom);
        splice.add(escapeXml(widened));
        splice.skip(r.spansTo);
        return;
      }
    }
    let open = xml.slice(r.start, r.open);
    if (widened !== undefined) open = withAttribute(open, 'spans', widened);
    splice.keep(r.start);
    splice.add(r.close < 0 ? open.replace(/\s*\/>$/, '>') : open);
    splice.skip(r.open);
  }

  return {
    rows,
    lastColumn,
    pictures,
    code(r, column) {
      for (let k = r.first * STRIDE, end = (r.first + r.count) * STRIDE; k < end; k += STRIDE) {
        if (store[k + COLUMN] === column) return (store[k + FLAGS] & USED) === 0 ? '' : cellCode(k);
      }
      return '';
    },
    /**
     * The sheet's XML with cells added after column lastColumn, as a Splice:
     * additions are [{ row, cells, header }] in row order, cells the added
     * cells in column order, header true for the header row. An added cell
     * takes the place of the empty cell in its column; empty cells it leaves
     * stay as they were.
     */
    edit(additions) {
      const first = lastColumn + 1;
      const splice = new Splice(xml, bytes);
      const count = additions.length === 0 ? 0 : additions[0].cells.length;
      const letters = Array.from({ length: count }, (_, i) => columnLetters(first + i));
      const styles = Array.from({ length: count }, (_, i) => columnStyle(first + i));
      if (dimension !== null && count > 0) {
        const [from, to = from] = dimension.ref.split(':');
        const right = Math.max(columnOf(to), first + count - 1);
        const bottom = Math.max(rowOf(to), rows.length ? rows[rows.length - 1].index : 1);
        splice.keep(dimension.start);
        splice.add(withAttribute(xml.slice(dimension.start, dimension.end), 'ref', `${from || 'A1'}:${columnLetters(right)}${bottom}`));
        splice.skip(dimension.end);
      }
      for (const { row: r, cells, header } of additions) {
        if (cells.every((c) => c.text === '')) continue;
        openRow(splice, r, first, cells.length);
        const p = r.prefix;
        if (r.close < 0) {
          for (let i = 0; i < cells.length; ++i) splice.add(cellXml(r, p, letters[i], cells[i], addedStyle(r, first + i, -1, styles[i], header)));
          splice.add(`</${r.name}>`);
          continue;
        }
        // The empty cells from the first added column on, in column order: k the next in the store.
        const end = (r.first + r.count) * STRIDE;
        let k = r.first * STRIDE;
        while (k < end && store[k + COLUMN] < first) k += STRIDE;
        for (let i = 0; i < cells.length; ++i) {
          const column = first + i;
          let placeholder = -1;
          if (k < end && store[k + COLUMN] === column) {
            placeholder = k;
            k += STRIDE;
          }
          const added = cellXml(r, p, letters[i], cells[i], addedStyle(r, column, placeholder, styles[i], header));
          if (added === '') continue;
          splice.keep(placeholder >= 0 ? store[placeholder + START] : k < end ? store[k + START] : r.close);
          splice.add(added);
          if (placeholder >= 0) splice.skip(store[placeholder + END]);
        }
      }
      return splice;
    },
  };
}
