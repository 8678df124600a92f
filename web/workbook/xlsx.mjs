// Workbooks in the Office Open XML format (.xlsx): which sheets they have,
// what their cells hold (numbers, shared strings, inline strings, cached
// results of formulas), and a sheet's XML with cells added at the ends of its
// rows, spliced in so that every other byte of the part stays as it was.

import { columnLetters, columnOf, rowOf } from './cells.mjs';
import { attribute, eachTag, escapeXml, localName, namespaces, unescapeXml, withAttribute, xmlText } from './xml.mjs';
import { Splice } from './splice.mjs';
import { unzipEntry, WorkbookError, zipEntry } from './zip.mjs';

const MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main';
const RELATIONSHIPS = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships';
const STRICT = 'http://purl.oclc.org/ooxml/';
const REL_TYPE = `${RELATIONSHIPS}/`;

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
  eachTag(text, 0, (tag) => {
    if (tag.closing || localName(tag.name) !== 'Relationship') return false;
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

/** The text of a rich-text element (a shared string, an inline string) between `from` and `to`: its runs, without phonetic hints. */
function richText(xml, from, to) {
  let text = '';
  let inT = -1;
  let hint = 0;
  eachTag(xml, from, (tag) => {
    if (tag.start >= to) return true;
    const name = localName(tag.name);
    if (name === 'rPh') hint += tag.closing ? -1 : tag.empty ? 0 : 1;
    else if (name === 't' && hint === 0) {
      if (tag.closing && inT >= 0) text += unescapeXml(xml.slice(inT, tag.start));
      inT = !tag.closing && !tag.empty ? tag.end : -1;
    }
    return false;
  });
  return text;
}

/** A shared string of plain text alone, as most are. */
const PLAIN_STRING = /^<(?:\w+:)?t(?: xml:space="preserve")?>([^<]*)<\/(?:\w+:)?t>$/;

/** The shared strings of the part's text, in order. */
function sharedStrings(xml) {
  const strings = [];
  let start = -1;
  eachTag(xml, 0, (tag) => {
    if (localName(tag.name) !== 'si') return false;
    if (tag.empty) strings.push('');
    else if (!tag.closing) start = tag.end;
    else {
      const plain = PLAIN_STRING.exec(xml.slice(start, tag.start));
      strings.push(plain === null ? richText(xml, start, tag.start) : unescapeXml(plain[1]));
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
  if (root.type.startsWith(STRICT)) throw new WorkbookError('it is saved as strict Open XML, which the page does not write');
  if (!root.target.endsWith('.xml')) throw new WorkbookError('it is a binary workbook (.xlsb), which the page does not read');
  const workbook = await partText(zip, root.target);
  if (workbook === null) throw new WorkbookError('its workbook part is missing');
  const declared = namespaces(workbook);
  if ([...declared.values()].some((uri) => uri.startsWith(STRICT))) {
    throw new WorkbookError('it is saved as strict Open XML, which the page does not write');
  }
  const r = [...declared].find(([, uri]) => uri === RELATIONSHIPS)?.[0];
  const rels = await relationships(zip, root.target);
  const sheets = [];
  eachTag(workbook, 0, (tag) => {
    if (tag.closing || localName(tag.name) !== 'sheet') return false;
    const rel = rels.get(attribute(tag.attributes, `${r}:id`));
    if (rel?.type === `${REL_TYPE}worksheet` && zipEntry(zip, rel.target)) {
      sheets.push({ name: attribute(tag.attributes, 'name') ?? '', part: rel.target });
    }
    return false;
  });
  const stringsRel = [...rels.values()].find((rel) => rel.type === `${REL_TYPE}sharedStrings`);
  const stringsText = stringsRel ? await partText(zip, stringsRel.target) : null;
  return { sheets, strings: stringsText === null ? [] : sharedStrings(stringsText) };
}

/**
 * Reads a worksheet's XML: { rows, lastColumn, code(row, column), edit(additions) }.
 * rows are its row elements in order, each { index (from 1), repeat: 1, cells };
 * lastColumn (from 0) is the last column any cell of it is in, -1 for none.
 */
export function readXlsxSheet(xml, strings) {
  const ns = namespaces(xml);
  const prefix = [...ns].find(([, uri]) => uri === MAIN)?.[0];
  if (prefix === undefined) {
    throw new WorkbookError([...ns.values()].some((uri) => uri.startsWith(STRICT))
      ? 'it is saved as strict Open XML, which the page does not write'
      : 'a sheet of it is not a worksheet the page knows');
  }
  const p = prefix === '' ? '' : `${prefix}:`;
  const rows = [];
  let dimension = null;
  let lastColumn = -1;
  let row = null;
  let cell = null;
  let inSheetData = false;
  eachTag(xml, 0, (tag) => {
    const name = tag.name;
    if (name === `${p}c`) {
      if (tag.closing) {
        cell.end = tag.end;
        cell = null;
        return false;
      }
      const r = tag.attributes.includes('r=') ? attribute(tag.attributes, 'r') : undefined;
      const column = r === undefined ? (row.cells.length ? row.cells[row.cells.length - 1].column + 1 : 0) : columnOf(r);
      const t = tag.attributes.includes('t=') ? attribute(tag.attributes, 't') : undefined;
      const c = { column, t, start: tag.start, end: tag.end, v: null, is: null };
      row.cells.push(c);
      if (column > lastColumn) lastColumn = column;
      cell = tag.empty ? null : c;
    } else if (cell !== null && name === `${p}v`) {
      if (tag.closing) cell.v[1] = tag.start;
      else cell.v = [tag.end, tag.end];
    } else if (cell !== null && name === `${p}is`) {
      if (tag.closing) cell.is[1] = tag.start;
      else cell.is = [tag.end, tag.end];
    } else if (name === `${p}row`) {
      if (tag.closing) {
        row.close = tag.start;
        row.end = tag.end;
        return false;
      }
      const r = tag.attributes.includes('r=') ? attribute(tag.attributes, 'r') : undefined;
      const index = r === undefined ? (rows.length ? rows[rows.length - 1].index + 1 : 1) : Number(r);
      row = { index, repeat: 1, cells: [], start: tag.start, open: tag.end, close: tag.empty ? -1 : 0, end: tag.end };
      rows.push(row);
    } else if (name === `${p}sheetData`) {
      if (tag.closing || tag.empty) return true;
      inSheetData = true;
    } else if (name === `${p}dimension` && !inSheetData) {
      dimension = { start: tag.start, end: tag.end, ref: attribute(tag.attributes, 'ref') ?? '' };
    }
    return false;
  });
  // A merged range may reach past the cells written: the added columns go after it.
  for (const m of xml.matchAll(/<(?:\w+:)?mergeCell\s+ref\s*=\s*["'][A-Za-z]+\d+:([A-Za-z]+)\d+["']/g)) {
    lastColumn = Math.max(lastColumn, columnOf(m[1]));
  }

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
        return c.is === null ? '' : `t${richText(xml, c.is[0], c.is[1])}`;
      case 'b':
        return v === null ? '' : v.trim() === '1' ? 'tTRUE' : 'tFALSE';
      default: // str (a formula's text), e (an error such as #N/A), d (a date as text)
        return v === null ? '' : `t${v}`;
    }
  }

  /** The XML of an added cell in column `letters` of row `index`: { kind: 'n', 't' or 'b', text }; '' when empty. */
  function cellXml(index, letters, { kind, text }) {
    if (text === '') return '';
    const r = `${letters}${index}`;
    if (kind === 'n') return `<${p}c r="${r}"><${p}v>${text}</${p}v></${p}c>`;
    if (kind === 'b') return `<${p}c r="${r}" t="b"><${p}v>${text === 'true' ? 1 : 0}</${p}v></${p}c>`;
    return `<${p}c r="${r}" t="inlineStr"><${p}is><${p}t>${escapeXml(text)}</${p}t></${p}is></${p}c>`;
  }

  return {
    rows,
    lastColumn,
    code(row, column) {
      const c = row.cells.find((x) => x.column === column);
      return c === undefined ? '' : cellCode(c);
    },
    /**
     * The sheet's XML with cells added after column lastColumn, as a Splice:
     * additions are [{ row, cells }] in row order, cells the added cells in
     * column order.
     */
    edit(additions) {
      const first = lastColumn + 1;
      const splice = new Splice(xml);
      const letters = additions.length === 0 ? [] : additions[0].cells.map((_, i) => columnLetters(first + i));
      if (dimension !== null && additions.length > 0) {
        const [from, to = from] = dimension.ref.split(':');
        const right = Math.max(columnOf(to), first + additions[0].cells.length - 1);
        const bottom = Math.max(rowOf(to), rows.length ? rows[rows.length - 1].index : 1);
        splice.keep(dimension.start);
        splice.add(withAttribute(xml.slice(dimension.start, dimension.end), 'ref', `${from || 'A1'}:${columnLetters(right)}${bottom}`));
        splice.skip(dimension.end);
      }
      for (const { row: r, cells } of additions) {
        let added = '';
        for (let i = 0; i < cells.length; ++i) added += cellXml(r.index, letters[i], cells[i]);
        if (added === '') continue;
        let open = xml.slice(r.start, r.open);
        const spans = open.includes('spans=');
        if (spans || r.close < 0) {
          if (spans) open = withAttribute(open, 'spans', `${attribute(open, 'spans').split(':')[0]}:${first + cells.length}`);
          splice.keep(r.start);
          splice.add(r.close < 0 ? open.replace(/\s*\/>$/, '>') : open);
          splice.skip(r.open);
        }
        if (r.close < 0) {
          splice.add(`${added}</${p}row>`);
        } else {
          splice.keep(r.close);
          splice.add(added);
        }
      }
      return splice;
    },
  };
}
