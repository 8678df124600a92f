// A workbook (.xlsx or .ods) as the page uses it: its sheets, a sheet's
// header row and the cells of one column for the engine, and the workbook
// written again with the engine's added columns after the sheet's last used
// column. Only the sheet's part changes; every other entry is copied, and
// the part is checked to be well-formed XML before it is offered.

import { columnLetters } from './cells.mjs';
import { odsCellName, openOds, readOdsSheet } from './ods.mjs';
import { commentedCells, openXlsx, readXlsxSheet } from './xlsx.mjs';
import { spliceInto, utf8 } from './splice.mjs';
import { deflating, readZip, rewriteZip, startDeflating, unzipEntry, WorkbookError, zipEntry } from './zip.mjs';
import { xmlText } from './xml.mjs';

/** The columns a sheet can have. */
const MOST_COLUMNS = 16384;

/**
 * True when `bytes` (a file named `name`) should be opened as a workbook
 * rather than as text: a zip archive or a compound file (a legacy .xls, an
 * encrypted workbook), or a file named as a workbook. A text file named .xls,
 * as some programs write tab-separated text, is read as text.
 */
export function isWorkbook(name, bytes) {
  if (/\.(xlsx|xlsm|xltx|xltm|xlsb|ods|ots)$/i.test(name)) return true;
  const magic = (...values) => values.every((value, i) => bytes[i] === value);
  return magic(0x50, 0x4b, 0x03, 0x04) || magic(0xd0, 0xcf, 0x11, 0xe0, 0xa1, 0xb1, 0x1a, 0xe1);
}

/**
 * Throws a WorkbookError when `fault`, why the new bytes of the part `part`
 * are not well-formed XML, is not null: nothing damaged is ever offered.
 * `old` are the part's bytes as they were, checked by `engine` to say
 * whether it was damaged before.
 */
function checkWritten(engine, part, fault, old) {
  if (fault === null) return;
  const before = engine.xmlFault(old);
  if (before !== null) throw new WorkbookError(`its part ${part} is not well-formed XML: ${before}`);
  throw new WorkbookError(`the page could not add the columns to its part ${part} without damaging it (${fault})`);
}

// The save going on, if any: the engine holds one part at a time, which a
// save keeps until it has its deflate data (from the deflating worker, or
// from the engine when that worker stops), so saves run one after another.
let saving = Promise.resolve();

/** What `work()` gives, started once the saves before it have ended. */
function oneAtATime(work) {
  const run = saving.then(work);
  saving = run.catch(() => {});
  return run;
}

/** What a cell's code (as the engine takes it) shows as text. */
const shownText = (code) => code.slice(1);

/**
 * Opens the workbook `bytes`: { kind: 'xlsx' or 'ods', sheets (their names),
 * sheet(i) }, a part it writes again checked and deflated by `engine` (as
 * loadEngine gives it: its xmlFault, part() and module). Throws a
 * WorkbookError saying why when the page cannot open it or could not write
 * it back as it is.
 */
export async function openWorkbook(bytes, engine) {
  if (bytes[0] === 0xd0 && bytes[1] === 0xcf && bytes[2] === 0x11 && bytes[3] === 0xe0) {
    throw new WorkbookError('it is a legacy .xls workbook or one saved with a password; save it as .xlsx or .ods, without a password, to convert it here');
  }
  const zip = readZip(bytes);
  // Started now, the deflating worker is ready when a part is written again.
  startDeflating(engine.module);
  let kind;
  let opened;
  if (zipEntry(zip, 'mimetype')) {
    kind = 'ods';
    opened = await openOds(zip);
  } else if (zipEntry(zip, '[Content_Types].xml')) {
    kind = 'xlsx';
    opened = await openXlsx(zip);
  } else {
    throw new WorkbookError('it is a zip archive but no workbook');
  }
  if (opened.sheets.length === 0) throw new WorkbookError('it has no sheet of cells');

  async function sheet(i) {
    const { name } = opened.sheets[i];
    let part;
    let read;
    let cellName;
    let partBytes;
    if (kind === 'ods') {
      part = 'content.xml';
      partBytes = opened.bytes;
      read = readOdsSheet(opened.content, opened.sheets[i], partBytes);
      cellName = odsCellName;
    } else {
      part = opened.sheets[i].part;
      partBytes = await unzipEntry(zip, zipEntry(zip, part));
      const xml = xmlText(partBytes);
      if (xml === null) throw new WorkbookError(`its part ${part} is not UTF-8 XML`);
      read = readXlsxSheet(xml, opened.strings, await commentedCells(zip, part), partBytes);
      // Each column's letters made once: a column's cells are named row by row.
      const letters = [];
      cellName = (row, column) => `${(letters[column] ??= columnLetters(column))}${row.index}`;
    }
    const { rows, lastColumn } = read;
    const firstUsed = rows.find((row) => row.cells.some((c) => read.code(row, c.column) !== '')) ?? null;
    /**
     * The header row numbered `at` (from 1, as the sheet numbers its rows),
     * or the first row holding something when `at` is undefined: { headerRow,
     * start } with start its place in rows; headerRow null when no row of the
     * sheet starts there.
     */
    const headerOf = (at) => {
      const headerRow = at === undefined ? firstUsed : rows.find((row) => row.index === at) ?? null;
      if (headerRow !== null) return { headerRow, start: rows.indexOf(headerRow) };
      // Nothing at that row: the rows below it are the data.
      const below = rows.findIndex((row) => row.index > at);
      return { headerRow: null, start: below === -1 ? rows.length : below };
    };

    /**
     * The cells of `columns` (one column from 0, or an interval's two) in
     * each row to convert, as cells() and intervalCells() give them:
     * { cells, records }, cells each record's [name, code] (for two columns,
     * a pair of them); a row empty in all of them is left out.
     */
    const cellsOf = (columns, header, at) => {
      const { headerRow, start } = headerOf(at);
      const records = [];
      const cells = [];
      const [first, last] = columns;
      const add = (row, rest) => {
        const code = read.code(row, first);
        const other = last === undefined ? '' : read.code(row, last);
        if (code === '' && other === '') return;
        const shown = rest ? { index: row.index + 1, repeat: row.repeat - 1 } : row;
        records.push({ row, rest });
        const cell = [cellName(shown, first), code];
        cells.push(last === undefined ? cell : [cell, [cellName(shown, last), other]]);
      };
      for (let i = header ? start : 0; i < rows.length; ++i) {
        if (header && i === start && headerRow !== null) {
          if (rows[i].repeat > 1) add(rows[i], true);
        } else add(rows[i], false);
      }
      return { cells, records };
    };

    return {
      name,
      /** The number of columns, up to the last one used. */
      columns: lastColumn + 1,
      /** True when no cell of the sheet holds anything. */
      empty: firstUsed === null,
      /** The number of the first row holding something (from 1), or 0 when the sheet is empty. */
      firstRow: firstUsed === null ? 0 : firstUsed.index,
      /** True when the sheet has pictures or charts. */
      pictures: read.pictures,
      /**
       * The cells of the header row `at` (as headerOf) as text, one for each
       * column; '' for each when no row starts there, [] when the sheet is empty.
       */
      headerCells(at) {
        if (firstUsed === null) return [];
        const { headerRow } = headerOf(at);
        if (headerRow === null) return Array.from({ length: lastColumn + 1 }, () => '');
        return Array.from({ length: lastColumn + 1 }, (_, column) => shownText(read.code(headerRow, column)));
      },
      /**
       * The cells of `column` (from 0) to convert, those of the header row `at`
       * (as headerOf) and the rows above it left out when `header`: { cells, records } with cells [name, code] pairs for the engine
       * (code: '' empty, 'n' and the number stored, 't' and the text) and records
       * [{ row, rest }] the rows they are in (rest: the copies after the first of
       * a repeated header row). Empty cells are left out.
       */
      cells(column, header, at) {
        return cellsOf([column], header, at);
      },
      /**
       * The two ends of each row's interval, in columns `first` and `last`
       * (from 0), as cells gives one column's: { pairs, records } with pairs
       * each record's [first end, last end], each [name, code] (code '' for
       * an empty end). Rows where both ends are empty are left out.
       */
      intervalCells(first, last, header, at) {
        const { cells, records } = cellsOf([first, last], header, at);
        return { pairs: cells, records };
      },
      /**
       * The workbook again, with added columns after the last used one: `names`
       * [{ name, kind }] as the engine gives them (written in the header row when
       * `header`), `added` the texts of the added cells of each record of
       * cells(column, header, at), an array each ('' for an empty cell).
       * Throws a WorkbookError when names are to be written in a header row
       * the sheet does not have.
       */
      save(column, header, names, added, records, at) {
        return oneAtATime(async () => {
          const { headerRow } = headerOf(at);
          if (lastColumn + 1 + names.length > MOST_COLUMNS) {
            throw new WorkbookError('the sheet has no room for the added columns after its last one');
          }
          const additions = [];
          const byRow = new Map();
          if (header && headerRow === null && names.length > 0 && firstUsed !== null) {
            throw new WorkbookError(`its sheet ${name} has nothing in row ${at}, where the added columns' names would go; choose the row that names the columns`);
          }
          if (header && headerRow !== null) {
            const addition = { row: headerRow, cells: names.map(({ name: text }) => ({ kind: 't', text })), header: true };
            additions.push(addition);
            byRow.set(headerRow, addition);
          }
          records.forEach(({ row, rest }, i) => {
            const texts = added[i];
            const cells = names.map(({ kind }, k) => ({ kind, text: texts[k] ?? '' }));
            if (rest) byRow.get(row).rest = cells;
            else additions.push({ row, cells });
          });
          // A deflated part's new text goes, as it is made, to the deflating
          // worker, whose engine deflates and checks it meanwhile, and into the
          // engine here, which does both where no worker runs (or it stops).
          // A stored part is made whole and checked.
          if (zipEntry(zip, part).method !== 8) {
            const splice = read.edit(additions);
            if (splice.unchanged()) return rewriteZip(zip, new Map());
            const bytes = utf8(splice.text());
            checkWritten(engine, part, engine.xmlFault(bytes), partBytes);
            return rewriteZip(zip, new Map([[part, bytes]]));
          }
          const writer = engine.part();
          const deflated = deflating();
          let characters = 0;
          let done;
          try {
            const sink = (piece, count) => {
              characters += count;
              writer.write(piece);
              if (deflated === null) writer.deflate();
              else deflated.write(piece);
            };
            const splice = spliceInto(sink, () => read.edit(additions));
            // Nothing added (no cell had a value): the workbook as it came.
            if (splice.unchanged()) {
              deflated?.abort();
              return rewriteZip(zip, new Map());
            }
            // What went to the engine is the new text when its characters are
            // as many; else (a text made otherwise than by one Splice) it is
            // made and handed over whole here. Text decoded from UTF-8 encodes
            // back to the bytes it came from.
            const length = splice.finish();
            if (!splice.wellFormed) throw new WorkbookError(`the page could not add the columns to its part ${part} without damaging it (text holding half of a UTF-16 pair)`);
            const whole = characters === length;
            if (!whole) {
              deflated?.abort();
              writer.clear();
              writer.write(utf8(splice.text()));
            }
            done = whole && deflated !== null ? await deflated.done() : null;
            // Checked and deflated here when no worker did it (or it stopped).
            done ??= { fault: writer.check(), ...writer.finish() };
            checkWritten(engine, part, done.fault, partBytes);
          } catch (error) {
            deflated?.abort();
            throw error;
          } finally {
            writer.clear();
          }
          return rewriteZip(zip, new Map([[part, done]]));
        });
      },
    };
  }

  return { kind, sheets: opened.sheets.map((s) => s.name), sheet };
}
