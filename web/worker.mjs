// The page's worker: opens a workbook, reads a sheet, converts a column or
// an interval of it and writes the workbook again, off the page's main
// thread, so that the page keeps answering while a large workbook is read.
// The page makes the worker from its own code and hands it the compiled
// engine; each call it posts is answered by a message of the same id.

import { MISSING, loadEngine, warmUp } from './engine.mjs';
import { openWorkbook } from './workbook/workbook.mjs';
import { WorkbookError } from './workbook/zip.mjs';

/** The rows of a converted column the page's preview shows. */
export const PREVIEW_ROWS = 50;

/**
 * The texts a workbook's added cells hold for cell `i`, from the engine's typed
 * `columns` described by `names` (engine.addedColumns): a number's digits, a
 * code's text, true or false, or '' for a missing value.
 */
export function addedTexts(names, columns, i) {
  return names.map(({ kind, codes }, k) => {
    const value = columns[k][i];
    if (kind === 't') return codes[value] ?? '';
    if (value === MISSING) return '';
    return kind === 'b' ? String(value === 1) : String(value);
  });
}

/**
 * One column of a sheet converted in direction `made`, its header row `at`
 * when `header`: { ends, records, names, result, count, invalid }, ends(i)
 * record i's cells read ([name, code] each), names the added columns with
 * the names the table model gives them (the plain ones, or after the column
 * where the sheet has them already: a converted sheet converted again).
 */
function sheetColumn(engine, sheet, made, column, header, at) {
  const { cells, records } = sheet.cells(column, header, at);
  const planned = header ? engine.plannedNames(made, sheet.headerCells(at), column + 1) : [];
  const names = engine.addedColumns(made).map((added, k) => ({ ...added, name: planned[k] ?? added.name }));
  const result = engine.convertCells(made, cells);
  return {
    ends: (i) => [cells[i]], records, names, result,
    count: `${records.length} ${records.length === 1 ? 'cell' : 'cells'}`,
    invalid: ' Some cells are not converted (not whole numbers, or spans that cannot be): their rows say invalid, as listed below.',
  };
}

/**
 * The intervals of two columns of a sheet, `first` and `last` their ends, as
 * sheetColumn gives a column: each row gains its interval's account, and a
 * text column's codes are the texts of this conversion.
 */
function sheetInterval(engine, sheet, made, first, last, header, at) {
  const { pairs, records } = sheet.intervalCells(first, last, header, at);
  const planned = header ? engine.plannedNames(made, sheet.headerCells(at), first + 1, last + 1) : [];
  const result = engine.convertIntervalCells(made, pairs);
  const names = engine.intervalColumns(made).map((added, k) =>
    ({ ...added, name: planned[k] ?? added.name, ...(added.kind === 't' ? { codes: result.codes } : {}) }));
  return {
    ends: (i) => pairs[i], records, names, result,
    count: `${records.length} ${records.length === 1 ? 'row' : 'rows'}`,
    invalid: ' Some intervals are not converted: their rows say why, as listed below.',
  };
}

/**
 * The calls the page makes of its worker, on the workbook it opened last and
 * the sheet it read last; `progress(fraction)` tells the page how far a call
 * has come.
 */
function calls(engine, progress) {
  let book = null;
  let sheet = null;
  return {
    /** Opens the workbook `bytes`: the names of its sheets. */
    async open(bytes) {
      sheet = null;
      book = await openWorkbook(bytes, engine);
      return book.sheets;
    },
    /** Reads sheet `i`: { name, columns, empty, firstRow, pictures } as openWorkbook's sheet has them. */
    async sheet(i) {
      sheet = null;
      sheet = await book.sheet(i);
      const { name, columns, empty, firstRow, pictures } = sheet;
      return { name, columns, empty, firstRow, pictures };
    },
    /** The texts of the sheet's header row `at`, as openWorkbook's sheet gives them. */
    headerCells(at) {
      return sheet.headerCells(at);
    },
    /**
     * Converts `column` (from 0) of the sheet, or the interval of `column` and
     * `otherEnd` when otherEnd is not null, in direction `made`, its header row
     * `at` when `header`: { bytes, rows, more, names, count, invalid, reports },
     * bytes the workbook written again, rows the first rows for the preview
     * ({ cells, added }: each end's [name, code], the added cells' texts), more
     * the rows after them, invalid the sentence saying some are not converted
     * ('' when all are).
     */
    async convert({ made, column, otherEnd, header, at }) {
      const { ends, records, names, result, count, invalid } = otherEnd === null
        ? sheetColumn(engine, sheet, made, column, header, at)
        : sheetInterval(engine, sheet, made, column, otherEnd, header, at);
      progress(0.6);
      const added = records.map((_, i) => addedTexts(names, result.columns, i));
      const bytes = await sheet.save(column, header, names, added, records, at);
      const shown = Math.min(PREVIEW_ROWS, records.length);
      return {
        bytes,
        rows: Array.from({ length: shown }, (_, i) => ({ cells: ends(i), added: added[i] })),
        more: records.length - shown,
        names: names.map(({ name, kind }) => ({ name, kind })),
        count,
        invalid: result.invalid > 0 ? invalid : '',
        reports: result.reports,
      };
    },
  };
}

/**
 * Serves the page's calls in the worker `scope`: the first message hands it
 * the compiled engine; each later one, { id, call, args }, is answered by
 * { id, value }, or { id, error, workbook } when it fails (workbook: a fault
 * of the workbook rather than of the page). { progress } messages come between.
 */
export function serveWorker(scope) {
  let served = null;
  const answer = async ({ id, call, args }) => {
    try {
      scope.postMessage({ id, value: await (await served)[call](...args) });
    } catch (error) {
      scope.postMessage({ id, error: error.message, workbook: error instanceof WorkbookError });
    }
  };
  scope.onmessage = ({ data }) => {
    if (served === null) {
      served = loadEngine(data.module).then((engine) => {
        warmUp(engine.part());
        return calls(engine, (fraction) => scope.postMessage({ progress: fraction }));
      });
    } else {
      answer(data);
    }
  };
}
