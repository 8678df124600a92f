// Workbooks in the Office Open XML format (.xlsx): which sheets they have,
// what their cells hold (numbers, shared strings, inline strings, cached
// results of formulas), and a sheet's XML with cells added after its last
// used column, spliced in so that every other byte of the part stays as it
// was. Names are read by their namespaces, wherever those are declared and
// whatever their prefixes.

import { columnLetters, columnOf, rowOf } from './cells.mjs';
import { attribute, eachElement, escapeXml, TOP_SCOPE, unescapeXml, withAttribute, xmlText } from './xml.mjs';
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

/** The shared strings of the part's text, in order. */
function sharedStrings(xml) {
  const strings = [];
  let start = -1;
  let scope = TOP_SCOPE;
  eachElement(xml, 0, TOP_SCOPE, (tag) => {
    if (tag.local !== 'si' || tag.ns !== MAIN) return false;
    if (tag.empty) strings.push('');
    else if (!tag.closing) {
      start = tag.end;
      scope = tag.scope;
    } else {
      // The plain form when its t is the si's own prefix's, as writers write it.
      const plain = PLAIN_STRING.exec(xml.slice(start, tag.start));
      const prefix = tag.name.slice(0, tag.name.indexOf(':') + 1);
      strings.push(plain !== null && (plain[1] ?? '') === prefix ? unescapeXml(plain[2]) : richText(xml, start, tag.start, scope));
    }
    return false;
  });
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

/**
 * The value of attribute `name` in a tag's attributes text, or undefined:
 * looked for only where name= is written, since the name alone is often
 * part of another's (r in customFormat).
 */
const given = (attributes, name) => (attributes.includes(`${name}=`) ? attribute(attributes, name) : undefined);

/** The column (from 0) of the right end of a range ("A1:F3") or of a cell's name; -1 for none. */
const rightColumn = (ref) => columnOf(ref.slice(ref.lastIndexOf(':') + 1).replace(/\$/g, ''));

/**
 * Reads a worksheet's XML: { rows, lastColumn, pictures, code(row, column), edit(additions) }.
 * rows are its row elements in order, each { index (from 1), repeat: 1, cells };
 * lastColumn (from 0) is the last column any cell holding something is in
 * (or a merged range, a hyperlink or a comment of `commented`, cells' names,
 * reaches), -1 for none: empty cells that only carry a style are placeholders,
 * not used. pictures is true when the sheet has a drawing (pictures, charts).
 */
export function readXlsxSheet(xml, strings, commented = []) {
  const rows = [];
  // [min, max, style] of the cols element, columns from 1.
  const columnStyles = [];
  let dimension = null;
  let lastColumn = -1;
  let row = null;
  let cell = null;
  let inSheetData = false;
  let pictures = false;
  let root = true;
  eachElement(xml, 0, TOP_SCOPE, (tag) => {
    if (root) {
      root = false;
      if (tag.ns !== MAIN || tag.local !== 'worksheet') {
        throw new WorkbookError(tag.ns?.startsWith(STRICT) ? STRICT_REFUSAL : 'a sheet of it is not a worksheet the page knows');
      }
      return false;
    }
    if (tag.ns !== MAIN) return false;
    switch (tag.local) {
      case 'c': {
        if (row === null) return false;
        if (tag.closing) {
          if (cell === null) return false;
          cell.end = tag.end;
          cell.used = cell.v !== null || cell.is !== null || cell.f;
          if (cell.used && cell.column > lastColumn) lastColumn = cell.column;
          cell = null;
          return false;
        }
        const r = given(tag.attributes, 'r');
        const last = row.cells[row.cells.length - 1];
        const column = r === undefined ? (last === undefined ? 0 : last.column + 1) : columnOf(r);
        const t = given(tag.attributes, 't');
        const s = given(tag.attributes, 's');
        const c = { column, t, s, start: tag.start, end: tag.end, v: null, is: null, f: false, used: false, scope: tag.scope };
        row.cells.push(c);
        cell = tag.empty ? null : c;
        return false;
      }
      case 'v':
      case 'is':
        if (cell === null) return false;
        if (tag.closing) cell[tag.local][1] = tag.start;
        else cell[tag.local] = [tag.end, tag.end];
        return false;
      case 'f':
        if (cell !== null) cell.f = true;
        return false;
      case 'row': {
        if (!inSheetData) return false;
        if (tag.closing) {
          if (row === null) return false;
          row.close = tag.start;
          row.end = tag.end;
          row = null;
          return false;
        }
        const r = given(tag.attributes, 'r');
        const index = r === undefined ? (rows.length ? rows[rows.length - 1].index + 1 : 1) : Number(r);
        // Cells added to it are named as it is: the same prefix (bound to the same namespace) or none.
        const prefix = tag.name.slice(0, tag.name.indexOf(':') + 1);
        const styled = attribute(tag.attributes, 'customFormat');
        const s = styled === '1' || styled === 'true' ? attribute(tag.attributes, 's') : undefined;
        row = { index, repeat: 1, cells: [], name: tag.name, prefix, s, start: tag.start, open: tag.end, close: tag.empty ? -1 : 0, end: tag.end };
        rows.push(row);
        if (tag.empty) row = null;
        return false;
      }
      case 'sheetData':
        inSheetData = !tag.closing && !tag.empty;
        return false;
      case 'dimension':
        if (!tag.closing && dimension === null) dimension = { start: tag.start, end: tag.end, ref: attribute(tag.attributes, 'ref') ?? '' };
        return false;
      case 'col':
        if (!tag.closing) {
          const style = attribute(tag.attributes, 'style');
          if (style !== undefined) columnStyles.push([Number(attribute(tag.attributes, 'min')), Number(attribute(tag.attributes, 'max')), style]);
        }
        return false;
      case 'mergeCell':
      case 'hyperlink':
        // A merged range or a link may reach past the cells written: the added columns go after it.
        if (!tag.closing) lastColumn = Math.max(lastColumn, rightColumn(attribute(tag.attributes, 'ref') ?? ''));
        return false;
      case 'drawing':
        pictures = true;
        return false;
      default:
        return false;
    }
  });
  for (const name of commented) lastColumn = Math.max(lastColumn, rightColumn(name));

  /** What the cell holds, for the engine: '' empty, 'n' and its stored number, or 't' and its text. */
  function cellCode(c) {
    const v = c.v === null ? null : unescapeXml(xml.slice(c.v[0], c.v[1]));
    switch (c.t) {
      case undefined:
      case 'n':
        return v === null || v === '' ? '' : `n${v}`;
      case 's': {
        const text = v === null ? undefined : strings[Number(v)];
        return text === undefined ? '' : `t${text}`;
      }
      case 'inlineStr':
        return c.is === null ? '' : `t${richText(xml, c.is[0], c.is[1], c.scope)}`;
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
   * empty cell `placeholder` it takes the place of, else the row's or the
   * column's. An added header cell takes the style of the last header cell
   * holding something, unless the cell it replaces has a style of its own.
   */
  function addedStyle(r, column, placeholder, header) {
    const fallback = placeholder?.s ?? r.s ?? columnStyle(column);
    if (!header || (placeholder?.s !== undefined && placeholder.s !== '0' && placeholder.s !== columnStyle(column))) return fallback;
    const before = r.cells.findLast((c) => c.used && c.column < column);
    return before?.s ?? fallback;
  }

  /** The XML of an added cell in column `letters` of row `r`: { kind: 'n', 't' or 'b', text }, with style `s`; '' when empty. */
  function cellXml(r, letters, { kind, text }, s) {
    if (text === '') return '';
    const p = r.prefix;
    const start = `<${p}c r="${letters}${r.index}"${s === undefined ? '' : ` s="${escapeXml(s)}"`}`;
    if (kind === 'n') return `${start}><${p}v>${text}</${p}v></${p}c>`;
    if (kind === 'b') return `${start} t="b"><${p}v>${text === 'true' ? 1 : 0}</${p}v></${p}c>`;
    return `${start} t="inlineStr"><${p}is><${p}t>${escapeXml(text)}</${p}t></${p}is></${p}c>`;
  }

  return {
    rows,
    lastColumn,
    pictures,
    code(r, column) {
      const c = r.cells.find((x) => x.column === column);
      return c === undefined || !c.used ? '' : cellCode(c);
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
      const splice = new Splice(xml);
      const count = additions.length === 0 ? 0 : additions[0].cells.length;
      const letters = Array.from({ length: count }, (_, i) => columnLetters(first + i));
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
        let open = xml.slice(r.start, r.open);
        const spans = given(open, 'spans');
        if (spans !== undefined || r.close < 0) {
          if (spans !== undefined) {
            const [left, right] = spans.split(':');
            open = withAttribute(open, 'spans', `${left}:${Math.max(Number(right) || 0, first + cells.length)}`);
          }
          splice.keep(r.start);
          splice.add(r.close < 0 ? open.replace(/\s*\/>$/, '>') : open);
          splice.skip(r.open);
        }
        if (r.close < 0) {
          for (let i = 0; i < cells.length; ++i) splice.add(cellXml(r, letters[i], cells[i], addedStyle(r, first + i, undefined, header)));
          splice.add(`</${r.name}>`);
          continue;
        }
        // The empty cells from the first added column on, in column order.
        let k = r.cells.findIndex((c) => c.column >= first);
        if (k < 0) k = r.cells.length;
        for (let i = 0; i < cells.length; ++i) {
          const column = first + i;
          const placeholder = r.cells[k]?.column === column ? r.cells[k++] : undefined;
          const added = cellXml(r, letters[i], cells[i], addedStyle(r, column, placeholder, header));
          if (added === '') continue;
          splice.keep(placeholder?.start ?? r.cells[k]?.start ?? r.close);
          splice.add(added);
          if (placeholder !== undefined) splice.skip(placeholder.end);
        }
      }
      return splice;
    },
  };
}
