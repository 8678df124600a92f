// A spreadsheet file: a text file (CSV, semicolons, tabs) or a pasted table
// converted by varve-batch's column mode, or a workbook read, converted and
// written in the page's worker; the columns offered below a chosen header
// row, a preview, a Stop while the worker works, and the converted file
// offered for download or for converting another of its columns.

import { columnLetters } from '../workbook/cells.mjs';
import { isWorkbook } from '../workbook/workbook.mjs';
import { WorkbookError } from '../workbook/zip.mjs';
import { Stopped } from './book-worker.mjs';
import { $, show, guarded, caption, keepDirection, listItems } from './shared.mjs';
import { download, convertedFile } from './downloads.mjs';

/** The interval list's first entry: no interval, one column of numbers. */
const ONE_COLUMN = 'none: one column';

/**
 * The header row chosen (from 1) when `named` (a row names the columns) with
 * the box's text `text`: a whole number from 1, else the first row; 0 when
 * no row names them.
 */
export function headerRowOf(named, text) {
  if (!named) return 0;
  const row = Math.trunc(Number(text));
  return Number.isFinite(row) && row >= 1 ? row : 1;
}

/**
 * The `count` columns (from 0) of a first row as the column lists offer
 * them: when the row is a `header` naming some as varve numbers (`suggested`,
 * from 1), [named, others] in two groups; else null, all in their order.
 */
export function columnGroups(count, suggested, header) {
  const columns = Array.from({ length: count }, (_, i) => i);
  const named = header ? columns.filter((i) => suggested.has(i + 1)) : [];
  return named.length > 0 ? [named, columns.filter((i) => !suggested.has(i + 1))] : null;
}

/** A column list's first entry, chosen until the user chooses a column: `text` says what it means. */
function placeholder(text = 'Choose a column') {
  const option = document.createElement('option');
  option.value = '';
  option.textContent = text;
  return option;
}

/** Empties and disables both column lists until a row's columns are offered. */
function resetColumns() {
  $('column').replaceChildren(placeholder());
  $('column-to').replaceChildren(placeholder(ONE_COLUMN));
  $('column').disabled = $('column-to').disabled = true;
}

/** Adds an option for each column of a first row to `select`, after its placeholder. */
function fillColumnList(select, row, header, label) {
  const option = (i) => {
    const element = document.createElement('option');
    element.value = String(i + 1);
    element.textContent = label(i);
    return element;
  };
  const groups = columnGroups(row.cells.length, row.suggested, header);
  if (groups) {
    const [first, rest] = ['Named as varve numbers', 'Other columns'].map((name, k) => {
      const group = document.createElement('optgroup');
      group.label = name;
      group.append(...groups[k].map(option));
      return group;
    });
    select.append(first, rest);
  } else {
    select.append(...row.cells.map((_, i) => option(i)));
  }
}

/** Appends to `row` a cell `tag` holding `text`, of class `css` when given. */
function addCell(row, tag, text, css) {
  const cell = document.createElement(tag);
  cell.textContent = text;
  if (css) cell.className = css;
  if (tag === 'th') cell.scope = row.parentElement.tagName === 'THEAD' ? 'col' : 'row';
  row.append(cell);
}

/**
 * Shows the first rows of a converted workbook column (or interval) as a
 * table: each row's cell names, what each source cell holds, then the cells
 * added beside it, under the names of the `ends` (1 or 2) source columns as
 * the column lists give them, and the added columns' `names`; `rows` as the
 * worker's convert gives them, `more` rows left out.
 */
function showSheetPreview(rows, more, ends, names) {
  const table = document.createElement('table');
  const titles = [$('column'), $('column-to')].slice(0, ends).map((select) => select.selectedOptions[0].textContent);
  // Numbers to the right, texts (what a cell holds among them) to the left.
  const kinds = ['', ...titles.map(() => 'text'), ...names.map(({ kind }) => (kind === 'n' ? '' : 'text'))];
  const head = table.createTHead().insertRow();
  [ends === 1 ? 'Cell' : 'Cells', ...titles, ...names.map((n) => n.name)].forEach((text, k) => addCell(head, 'th', text, kinds[k]));
  const body = table.createTBody();
  for (const { cells, added } of rows) {
    const line = body.insertRow();
    addCell(line, 'th', cells.map(([name]) => name).join(' '));
    [...cells.map(([, code]) => code.slice(1)), ...added].forEach((text, k) => addCell(line, 'td', text, kinds[k + 1]));
  }
  if (more > 0) {
    const cell = table.createTFoot().insertRow().insertCell();
    cell.colSpan = kinds.length;
    cell.textContent = `\u2026 and ${more} more, in the download`;
  }
  $('file-preview').replaceChildren(table);
}

/**
 * The file section of the direction chosen (`direction`, from shared.mjs),
 * converting text files with `engine` and workbooks through `worker`
 * (book-worker.mjs).
 */
export function createFileSource({ engine, direction, worker }) {
  // { name, bytes } of the file opened, once its first row was read.
  let file = null;
  // Its conversion, with the direction that made it.
  let fileResult = null;
  // A workbook opened: { sheets, sheet } (sheet: the one chosen, once read,
  // as the worker describes it); null for a text file.
  let workbook = null;
  // Counts the conversions started: one started later makes an earlier one stop.
  let fileRun = 0;
  // True once the header row is chosen for the sheet being read: reading it
  // then leaves the choice as it is.
  let headerChosen = false;
  // The header row the file's columns were last offered from: a change that
  // leaves it as it was (a box left after its change was taken) changes nothing.
  let offeredHeaderRow = null;
  // What the worker is doing with the file, as Stop would say it stopped: null when idle.
  let busyWith = null;

  /** The header row chosen (from 1), or 0 when no row names the columns. */
  const headerRow = () => headerRowOf($('file-header').checked, $('header-row').value);

  /** What the status says while no column is chosen. */
  const choosePrompt = () => `${file.name}: choose the column with the numbers to convert it.`;

  /**
   * Shows that the worker is busy `doing` something with the file (a bar that
   * moves, and a way to stop it), or with null that it is done.
   */
  function working(doing) {
    busyWith = doing;
    const bar = $('file-progress');
    bar.removeAttribute('value');
    show(bar, doing !== null);
    show($('file-stop'), doing !== null);
  }

  /** Hides every result of an earlier conversion of a file. */
  function clearFileResult() {
    fileResult = null;
    ++fileRun;
    for (const element of [$('file-caption'), $('file-notes'), $('file-preview'), $('file-again')]) show(element, false);
    working(null);
    $('download-file').disabled = $('convert-more').disabled = true;
  }

  async function openFile() {
    const input = $('file');
    const chosen = input.files[0];
    file = null;
    clearFileResult();
    // A workbook still being read or converted is dropped for the new file.
    if (worker.busy()) worker.stop(new Stopped());
    // Started while the file is read, if it is not running already.
    worker.start();
    workbook = null;
    headerChosen = false;
    resetColumns();
    show($('sheet-choice'), false);
    $('file-status').textContent = '';
    if (!chosen) return;
    const bytes = new Uint8Array(await chosen.arrayBuffer());
    // Another file was chosen meanwhile.
    if (input.files[0] !== chosen) return;
    if (isWorkbook(chosen.name, bytes)) {
      await openBook(chosen.name, bytes);
      return;
    }
    file = { name: chosen.name, bytes };
    $('header-row').value = '1';
    offerColumns('');
  }

  /** Offers the columns of a pasted table (cells separated by tabs) as a file's. */
  function openPastedTable(text) {
    clearFileResult();
    workbook = null;
    $('file').value = '';
    show($('sheet-choice'), false);
    file = { name: 'pasted-table.tsv', bytes: new TextEncoder().encode(text) };
    $('header-row').value = '1';
    offerColumns('');
  }

  /**
   * Runs `work` for a workbook; a workbook the page cannot keep, or an engine
   * that stops, is reported. Work the user stopped has said so already.
   */
  async function bookGuarded(name, work) {
    const status = $('file-status');
    try {
      await work();
    } catch (error) {
      if (error instanceof Stopped) return;
      working(null);
      status.textContent = error instanceof WorkbookError
        ? `${name} cannot be converted here: ${error.message}. Nothing was changed.`
        : `Something went wrong: ${error.message}. Reload the page to start again.`;
      if (!(error instanceof WorkbookError)) return;
      file = workbook = null;
      $('column').disabled = $('column-to').disabled = true;
      show($('sheet-choice'), false);
    }
  }

  /** Opens the workbook `bytes`: its sheets are offered, sheet `sheetAt` chosen (its header row kept when `keepHeaderRow`). */
  async function openBook(name, bytes, sheetAt = 0, keepHeaderRow = false) {
    const run = fileRun;
    $('file-status').textContent = `Reading ${name}\u2026`;
    await bookGuarded(name, async () => {
      working(`reading ${name}`);
      const sheets = await worker.call('open', bytes);
      if (run !== fileRun) return;
      file = { name, bytes };
      workbook = { sheets, sheet: null };
      const select = $('sheet');
      select.replaceChildren(...sheets.map((sheet, i) => {
        const option = document.createElement('option');
        option.value = String(i);
        option.textContent = sheet;
        return option;
      }));
      show($('sheet-choice'), true);
      await openSheet(sheetAt, keepHeaderRow);
    });
  }

  /** Reads sheet `i` of the workbook opened and offers its columns. */
  async function openSheet(i, keepHeaderRow = false) {
    clearFileResult();
    const run = fileRun;
    const { name } = file;
    $('sheet').value = String(i);
    resetColumns();
    $('file-status').textContent = `Reading ${name}\u2026`;
    await bookGuarded(name, async () => {
      working(`reading ${name}`);
      const sheet = await worker.call('sheet', i);
      if (run !== fileRun) return;
      workbook.sheet = sheet;
      // A header row chosen while the sheet was read is kept.
      if (!keepHeaderRow && !headerChosen) $('header-row').value = String(Math.max(1, sheet.firstRow));
      working(null);
      await offerColumns('');
    });
  }

  /** Stops reading or converting the workbook: a conversion stopped leaves the workbook open. */
  async function stopBook() {
    const stopped = `Stopped ${busyWith}`;
    worker.stop(new Stopped());
    clearFileResult();
    resetColumns();
    if (workbook?.sheet && file) {
      const { name, bytes } = file;
      await openBook(name, bytes, Number($('sheet').value), true);
      if (file) $('file-status').textContent = `${stopped}; choose a column to convert it.`;
      return;
    }
    $('file-status').textContent = `${stopped}; choose the file again to convert it.`;
    file = workbook = null;
    $('file').value = '';
    show($('sheet-choice'), false);
  }

  /**
   * Offers the columns of the file's first row, the ones named as varve
   * numbers first, with `chosen` (a column's number, or '' for none) chosen,
   * and `chosenTo` as an interval's other end. Nothing is converted until a
   * column is chosen.
   */
  function offerColumns(chosen, chosenTo = '') {
    offeredHeaderRow = headerRow();
    const status = $('file-status');
    resetColumns();
    // A sheet still being read offers its columns once read.
    if (workbook) return workbook.sheet ? offerSheetColumns(chosen, chosenTo) : undefined;
    guarded(status, () => {
      const row = engine.firstRow(file.bytes, Math.max(1, headerRow()));
      if (row.error !== undefined) {
        status.textContent = `${file.name}: ${row.error}.`;
        file = null;
        return;
      }
      if (row.cells.length === 0 && headerRow() > 1) {
        status.textContent = `${file.name} has no row ${headerRow()}: choose the row that names the columns.`;
        return;
      }
      if (row.cells.length === 0) {
        status.textContent = `${file.name} is empty.`;
        file = null;
        return;
      }
      const header = $('file-header').checked;
      fillColumnChoices(row, header, (i) => (header ? `${i + 1}: ${row.cells[i]}` : `${i + 1}`), chosen, chosenTo);
    });
  }

  /** Offers the columns of the workbook's sheet chosen, as offerColumns a file's. */
  async function offerSheetColumns(chosen, chosenTo) {
    const status = $('file-status');
    const { sheet } = workbook;
    const { name } = file;
    if (sheet.empty) {
      status.textContent = sheet.pictures
        ? `The sheet ${sheet.name} of ${name} holds only pictures or charts, no cells to convert; choose another sheet.`
        : `The sheet ${sheet.name} of ${name} is empty.`;
      return;
    }
    const header = $('file-header').checked;
    const run = fileRun;
    let cells;
    await bookGuarded(name, async () => {
      cells = await worker.call('headerCells', header ? headerRow() : undefined);
    });
    if (run !== fileRun || cells === undefined) return;
    const row = engine.headerRow(cells);
    const label = (i) => (header && row.cells[i] ? `${columnLetters(i)}: ${row.cells[i]}` : columnLetters(i));
    fillColumnChoices(row, header, label, chosen, chosenTo);
  }

  /**
   * Fills both column lists from a first row, each column shown by `label(i)`:
   * when the row is a header, the columns it names as varve numbers come first.
   * Keeps `chosen` (a column's number) and `chosenTo` (an interval's other end)
   * when the row still has them.
   */
  function fillColumnChoices(row, header, label, chosen, chosenTo) {
    for (const [select, kept] of [[$('column'), chosen], [$('column-to'), chosenTo]]) {
      fillColumnList(select, row, header, label);
      select.value = kept && Number(kept) <= row.cells.length ? kept : '';
      select.disabled = false;
    }
    $('file-status').textContent = choosePrompt();
  }

  /**
   * Converts the chosen column (or two columns as an interval) of the
   * workbook's sheet: the preview shows the cells read and what is added, the
   * download the whole workbook.
   */
  async function convertSheet() {
    const run = fileRun;
    const { name } = file;
    const { sheet } = workbook;
    const column = Number($('column').value) - 1;
    const otherEnd = $('column-to').value === '' ? null : Number($('column-to').value) - 1;
    const header = $('file-header').checked;
    const at = header ? headerRow() : undefined;
    const made = direction.current();
    const status = $('file-status');
    const ends = otherEnd === null ? `column ${columnLetters(column)}` : `columns ${columnLetters(column)} and ${columnLetters(otherEnd)}`;
    status.textContent = `Converting ${ends} of ${sheet.name}\u2026`;
    await bookGuarded(name, async () => {
      working(`converting ${ends} of ${sheet.name}`);
      const converted = await worker.call('convert', { made, column, otherEnd, header, at });
      if (run !== fileRun) return;
      showSheetPreview(converted.rows, converted.more, otherEnd === null ? 1 : 2, converted.names);
      const extension = name.match(/\.[^.]*$/)?.[0] ?? '';
      fileResult = { bytes: converted.bytes, direction: made, workbook: extension };
      status.textContent = `Converted ${ends}${otherEnd === null ? '' : ' as intervals'} of the sheet ${sheet.name} of ${name} (${converted.count}); ` +
        `the columns are added after column ${columnLetters(sheet.columns - 1)}.${converted.invalid}`;
      listItems($('file-notes'), converted.reports);
      caption($('file-caption'), direction.label(made), '');
      working(null);
      show($('file-preview'), true);
      $('download-file').disabled = $('convert-more').disabled = false;
    });
  }

  /**
   * Converts the chosen column of the file in the direction chosen now and
   * shows its preview. Nothing is shown before a column is chosen.
   */
  function convert() {
    const status = $('file-status');
    clearFileResult();
    const column = $('column').value;
    const otherEnd = $('column-to').value;
    if (!file) return;
    if (!column) {
      // A file whose header row is missing has no columns to choose: its status says so.
      if (!$('column').disabled) status.textContent = choosePrompt();
      return;
    }
    if (otherEnd === column) {
      status.textContent = `${file.name}: an interval's two ends are two columns; choose another for its other end, or none to convert one column.`;
      return;
    }
    if (workbook) {
      if (workbook.sheet) convertSheet();
      return;
    }
    guarded(status, () => {
      const made = direction.current();
      const result = engine.convertFile(made, file.bytes, Number(column), headerRow(), Number(otherEnd));
      if (result.bytes.length === 0) {
        // Nothing was written: nothing to download.
        status.textContent = `${file.name} could not be converted: ${result.reports.join(' ')}`;
        return;
      }
      fileResult = { ...result, direction: made };
      $('file-preview').textContent = result.preview;
      status.textContent = result.outcome === 2
        ? `${file.name} could not be converted to its end; the download gives the whole rows before the fault.`
        : otherEnd
          ? `Converted columns ${column} and ${otherEnd} of ${file.name} as intervals.` +
            (result.outcome === 1 ? ' Some intervals are not converted: their rows say why, as listed below.' : '')
          : `Converted column ${column} of ${file.name}.` +
            (result.outcome === 1 ? ' Some cells are not converted (not whole numbers, or spans that cannot be): their rows say invalid, as listed below.' : '');
      listItems($('file-notes'), result.reports);
      caption($('file-caption'), direction.label(), '');
      show($('file-preview'), true);
      $('download-file').disabled = false;
      $('convert-more').disabled = result.outcome === 2;
    });
  }

  $('file-again').addEventListener('click', () => convert());
  $('file').addEventListener('change', openFile);
  $('sheet').addEventListener('change', () => {
    headerChosen = false;
    openSheet(Number($('sheet').value));
  });
  $('file-stop').addEventListener('click', stopBook);
  // A file dropped anywhere on the page is opened as if chosen.
  document.addEventListener('dragover', (event) => {
    if (!event.dataTransfer?.types.includes('Files')) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    document.body.classList.add('dropping');
  });
  document.addEventListener('dragleave', (event) => {
    if (event.relatedTarget === null) document.body.classList.remove('dropping');
  });
  document.addEventListener('drop', (event) => {
    document.body.classList.remove('dropping');
    if (!event.dataTransfer?.files.length) return;
    event.preventDefault();
    $('file').files = event.dataTransfer.files;
    $('file').dispatchEvent(new Event('change'));
    $('file-section').scrollIntoView({ block: 'nearest' });
  });
  $('column').addEventListener('change', () => convert());
  $('column-to').addEventListener('change', () => convert());
  for (const id of ['file-header', 'header-row']) {
    $(id).addEventListener('change', async () => {
      $('header-row').disabled = !$('file-header').checked;
      headerChosen = true;
      if (!file || headerRow() === offeredHeaderRow) return;
      await offerColumns($('column').value, $('column-to').value);
      convert();
    });
  }
  // The converted file (or workbook) opened in place of the one it came from,
  // so that another of its columns is converted beside the columns added.
  $('convert-more').addEventListener('click', async () => {
    if (!fileResult) return;
    const { bytes } = fileResult;
    const { name } = file;
    const note = `${name} as converted, with the columns added: choose another column to convert; ` +
      'where the added names are taken, the new ones are named after the column.';
    if (workbook) {
      await openBook(name, bytes, Number($('sheet').value), true);
      if (!workbook) return;
    } else {
      clearFileResult();
      file = { name, bytes };
      offerColumns('');
    }
    if (file) $('file-status').textContent = note;
  });
  $('download-file').addEventListener('click', () => {
    const { name, type } = convertedFile(file.name, direction.name(fileResult.direction), fileResult.workbook !== undefined);
    download(fileResult.bytes, type, name);
  });

  return {
    openPastedTable,
    /** Says beside the file converted that it keeps the direction it was made in. */
    directionChanged: () => keepDirection(fileResult, direction, $('file-caption'), $('file-again')),
  };
}
