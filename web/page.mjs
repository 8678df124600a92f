// The page: reads the controls, asks the engine, shows what it answers.
// Every conversion, message, table row and chart comes from the engine.

import {
  loadEngine, NE_TO_AM, CONVERTED, OUTSIDE, NOT_A_NUMBER, SPAN, SPAN_NOT_CONVERTED, TSV, CSV,
  PASTE_EMPTY, PASTE_LINES, MISSING, PASTE_ASK, PASTE_TABLE, CHOOSE_NONE, CHOOSE_LIST, CHOOSE_COLUMN,
} from './engine.mjs';
import { wasmBase64 } from './wasm-data.mjs';
import { columnLetters } from './workbook/cells.mjs';
import { isWorkbook } from './workbook/workbook.mjs';
import { WorkbookError } from './workbook/zip.mjs';
import { workerSource } from './worker-source.mjs';

const $ = (id) => document.getElementById(id);
const decoder = new TextDecoder();
/** The height of one table row in pixels, as the style sheet sets it. */
const ROW_HEIGHT = 26;
/** Messages on a list shown at most; the rest are counted. */
const MAX_REPORTS = 200;
/**
 * Pastes of more lines than this are held by the page instead of the text box:
 * a browser takes seconds to lay out a box of 100,000 lines.
 */
const HELD_PASTE_LINES = 2000;

const engine = await loadEngine(wasmBase64);
// The footer names the tables the results come from, as the engine has them.
$('tables-identity').textContent = engine.tablesIdentity();

let direction = NE_TO_AM;
let mark = null; // What the chart marks: a number, a span [first, last], or null.
let stepAt = 0; // The chart's marker that takes the focus when the chart is tabbed to.
let chartSvg = '';
let list = null; // The last converted list: { bytes, starts, count, direction, choice }.
let heldPaste = null; // A long pasted list, held instead of shown in the box.
let pasteChoice = CHOOSE_NONE; // How the user chose to read a paste that mixes lines of one and of several values.

/** The direction's name, as varve-batch takes it and the direction controls' values spell it. */
const directionName = (of = direction) => engine.directionName(of);
const fromName = () => (direction === NE_TO_AM ? 'NE' : 'AM');
/** A direction as its control names it: "NE to AM" or "AM to NE". */
const directionLabel = (of = direction) =>
  document.querySelector(`input[name=direction][value=${directionName(of)}]`).parentElement.textContent.trim();
/** What the number box's result converted again after a change of direction says. */
const AGAIN = 'converted again for the new direction';

/** Shows `element` with its content, or hides it. */
function show(element, visible) {
  element.hidden = !visible;
}

/** Offers `data` as a file named `name` for download. */
function download(data, type, name) {
  const url = URL.createObjectURL(new Blob([data], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

/**
 * Says in `element` which direction (`made`) made the result beside it, and
 * `note` (what happened to the result) after it.
 */
function caption(element, note, made = direction) {
  const name = document.createElement('strong');
  name.textContent = directionLabel(made);
  element.replaceChildren(name);
  if (note) element.append(` \u2014 ${note}`);
  show(element, true);
}

/** Runs `work`; an engine that stops is reported where `where` shows. */
function guarded(where, work) {
  try {
    work();
  } catch (error) {
    where.textContent = `Something went wrong: ${error.message}. Reload the page to start again.`;
    show(where, true);
  }
}

// One number.

/** Names the number boxes for the direction's chronology. */
function nameBoxes() {
  $('number-label').textContent = `${fromName()} number`;
  $('number-to-name').textContent = `the other ${fromName()} end of a span`;
}

function addSummary(summary, term, value, first) {
  const dt = document.createElement('dt');
  const dd = document.createElement('dd');
  dt.textContent = term;
  dd.textContent = value;
  if (first) {
    dt.className = dd.className = 'link-start';
  }
  summary.append(dt, dd);
}

/**
 * Shows the result for the number box's text, or its message; `note` says
 * why it was converted again. Nothing of an earlier text stays on show.
 */
function showOne(note = '') {
  const records = $('records');
  const summary = $('summary');
  const message = $('one-message');
  for (const element of [$('one-caption'), records, summary, message]) show(element, false);
  records.classList.remove('account');
  guarded(message, () => {
    const answer = engine.lookup(direction, $('number').value, $('number-to').value);
    if (answer.status === NOT_A_NUMBER) {
      message.textContent = answer.message;
      show(message, true);
      setMark(null);
    } else if (answer.status === SPAN_NOT_CONVERTED) {
      message.textContent = answer.message;
      caption($('one-caption'), note);
      show(message, true);
      setMark(null);
    } else if (answer.status === CONVERTED || answer.status === SPAN) {
      records.textContent = answer.records.join('\n');
      records.classList.toggle('account', answer.status === SPAN);
      summary.replaceChildren();
      for (const row of answer.rows) {
        addSummary(summary, 'Sequence', `NE-${row.sequence}`, true);
        addSummary(summary, 'Relation', row.relation);
        const singleNe = row.ne_first === row.ne_last;
        addSummary(summary, singleNe ? 'NE varve' : 'NE varves', singleNe ? `${row.ne_first}` : `${row.ne_first}-${row.ne_last}`);
        const singleAm = row.am_first === row.am_last;
        addSummary(summary, singleAm ? 'AM varve' : 'AM varves', singleAm ? `${row.am_first}` : `${row.am_first}-${row.am_last}`);
        addSummary(summary, 'False annual couplets', row.false_couplets ? 'yes' : 'no');
      }
      caption($('one-caption'), note);
      show(records, true);
      show(summary, true);
      setMark(answer.status === SPAN ? answer.span : Number(answer.rows[0].input));
    } else if (answer.status === OUTSIDE) {
      message.textContent = `${answer.message} Accepted ${fromName()} numbers: ${answer.ranges.join(', ')}.`;
      caption($('one-caption'), note);
      show(message, true);
      setMark(null);
    } else {
      setMark(null);
    }
  });
}

// Many numbers.

/** The start of each line of `bytes`, and one past the end. */
function lineStarts(bytes) {
  const starts = [0];
  for (let at = bytes.indexOf(10); at !== -1; at = bytes.indexOf(10, at + 1)) {
    starts.push(at + 1);
  }
  return starts;
}

/** The fields of one line of CSV: quoted fields lose their quotes, and "" is a quote. */
function csvFields(line) {
  const values = [];
  let at = 0;
  for (;;) {
    let value = '';
    if (line[at] === '"') {
      for (++at; ;) {
        const quote = line.indexOf('"', at);
        value += line.slice(at, quote === -1 ? line.length : quote);
        at = quote === -1 ? line.length : quote + 1;
        if (quote === -1 || line[at] !== '"') break;
        value += '"';
        ++at;
      }
    }
    const comma = line.indexOf(',', at);
    value += line.slice(at, comma === -1 ? line.length : comma);
    values.push(value);
    if (comma === -1) return values;
    at = comma + 1;
  }
}

function fields(line) {
  return csvFields(decoder.decode(list.bytes.subarray(list.starts[line], list.starts[line + 1] - 1)));
}

function spacer(height) {
  const tr = document.createElement('tr');
  tr.setAttribute('aria-hidden', 'true');
  tr.style.height = `${height}px`;
  return tr;
}

/** Shows the rows of the table that are in view, and spacers for the rest. */
function renderRows() {
  const wrap = $('table-wrap');
  const body = $('rows').tBodies[0];
  if (!list || list.count === 0) {
    body.replaceChildren();
    return;
  }
  const first = Math.max(0, Math.floor(wrap.scrollTop / ROW_HEIGHT) - 10);
  const last = Math.min(list.count, first + Math.ceil((wrap.clientHeight || 400) / ROW_HEIGHT) + 20);
  const rows = [];
  for (let i = first; i < last; ++i) {
    const tr = document.createElement('tr');
    const values = fields(i + 1);
    if (values.includes('outside') || values.includes('invalid')) tr.className = 'unlinked';
    for (const value of values) {
      const td = document.createElement('td');
      td.textContent = value;
      tr.append(td);
    }
    rows.push(tr);
  }
  body.replaceChildren(spacer(first * ROW_HEIGHT), ...rows, spacer((list.count - last) * ROW_HEIGHT));
}

/** Items of a list of reports, at most MAX_REPORTS and a count of the rest. */
function reportItems(reports) {
  const items = reports.slice(0, MAX_REPORTS).map((report) => {
    const li = document.createElement('li');
    li.textContent = report[0].toUpperCase() + report.slice(1);
    return li;
  });
  if (reports.length > MAX_REPORTS) {
    const li = document.createElement('li');
    li.textContent = `and ${reports.length - MAX_REPORTS} more`;
    items.push(li);
  }
  return items;
}

/** What the status says of a paste converted as `result` (engine.convertPaste), `count` rows. */
function pasteStatus(result, count) {
  const rows = `${count} ${count === 1 ? 'row' : 'rows'}`;
  const chosen = result.choice === CHOOSE_NONE ? ''
    : result.reading === PASTE_LINES ? 'Read as a column, as you chose: ' : 'Read as a list, as you chose: ';
  if (result.reading === PASTE_LINES) {
    return `${chosen}${rows}, one per line.` +
      (result.quoted ? ' A quoted cell holding a line break is one line.' : '') +
      (result.bad ? ' Lines that are not converted (not whole numbers, or spans that cannot be) are marked invalid, as listed below.' : '');
  }
  return `${chosen}${rows}.` +
    (result.choice !== CHOOSE_NONE ? ' The rows do not stand line for line beside the paste.' : '') +
    (result.bad ? ' Tokens that are not whole numbers were skipped, as listed below; every other one was converted.'
      : result.reports.length ? ' See the notes on the list below.' : '');
}

/** What the status says of a paste that mixes lines of one and of several values. */
function askStatus(result) {
  return `Line ${result.firstSeveral} holds several values, line ${result.firstOne} one: as a column, each line ` +
    `gives one row and a line of several values is one bad cell; as a list, each value gives a row, and the rows ` +
    'no longer stand beside their lines. Nothing is converted until you choose how to read it.';
}

/**
 * Converts the list box's text (or the paste held instead) in the direction
 * chosen now and shows its rows. Nothing of an earlier list stays on show.
 */
function convertList() {
  const status = $('list-status');
  const bad = $('bad-tokens');
  list = null;
  status.textContent = '';
  for (const element of [$('list-caption'), bad, $('table-wrap'), $('paste-choice'), $('list-again')]) show(element, false);
  $('download-csv').disabled = $('copy-tsv').disabled = true;
  $('rows').tBodies[0].replaceChildren();
  guarded(status, () => {
    const text = heldPaste ?? $('list').value;
    if (text === '') return;
    const result = { ...engine.convertPaste(direction, text, CSV, pasteChoice), choice: pasteChoice };
    if (result.reading === PASTE_EMPTY) {
      status.textContent = 'The list holds no numbers.';
      return;
    }
    if (result.reading === PASTE_ASK) {
      status.textContent = askStatus(result);
      show($('paste-choice'), true);
      return;
    }
    if (result.reading === PASTE_TABLE) {
      status.textContent = 'The paste is a table, its cells separated by tabs: choose its column under “A spreadsheet file” below, where it is converted as a file’s column is.';
      openPastedTable(text);
      return;
    }
    const starts = lineStarts(result.bytes);
    list = { bytes: result.bytes, starts, count: starts.length - 2, direction, choice: pasteChoice };
    const head = $('rows').tHead.rows[0];
    head.replaceChildren(...fields(0).map((name) => {
      const th = document.createElement('th');
      th.scope = 'col';
      th.textContent = name;
      return th;
    }));
    const items = reportItems(result.reports);
    bad.replaceChildren(...items);
    status.textContent = pasteStatus(result, list.count);
    show(bad, items.length > 0);
    if (list.count > 0) {
      caption($('list-caption'), '');
      $('table-wrap').setAttribute('aria-label', `Converted numbers, ${directionLabel()}`);
      show($('table-wrap'), true);
      $('download-csv').disabled = $('copy-tsv').disabled = false;
    }
    $('table-wrap').scrollTop = 0;
    renderRows();
  });
}

/**
 * Says beside a converted paste or file made in another direction than the
 * one chosen now that it keeps its own, and offers to convert it again.
 */
function keepDirection(result, captionId, againId) {
  const again = $(againId);
  if (!result || result.direction === direction) {
    show(again, false);
    if (result) caption($(captionId), '', result.direction);
    return;
  }
  caption($(captionId), `kept as converted; the direction chosen above is now ${directionLabel()}`, result.direction);
  again.textContent = `Convert again ${directionLabel()}`;
  show(again, true);
}

async function copyTsv() {
  const status = $('list-status');
  const result = engine.convertPaste(list.direction, heldPaste ?? $('list').value, TSV, list.choice);
  const tsv = decoder.decode(result.bytes);
  try {
    await navigator.clipboard.writeText(tsv);
  } catch {
    // Without clipboard access (some browsers from file://), copy through a selection.
    const area = document.createElement('textarea');
    area.value = tsv;
    document.body.append(area);
    area.select();
    document.execCommand('copy');
    area.remove();
  }
  status.textContent = `Copied ${list.count} ${list.count === 1 ? 'row' : 'rows'} (${directionLabel(list.direction)}) as tab-separated text.`;
}

// A spreadsheet file.

let file = null; // { name, bytes } of the file opened, once its first row was read.
let fileResult = null; // Its conversion, with the direction that made it.
// A workbook opened: { sheets, sheet } (sheet: the one chosen, once read,
// as the worker describes it); null for a text file.
let workbook = null;
let fileRun = 0; // Counts the conversions started: one started later makes an earlier one stop.
// True once the header row is chosen for the sheet being read: reading it
// then leaves the choice as it is.
let headerChosen = false;
// The header row the file's columns were last offered from: a change that
// leaves it as it was (a box left after its change was taken) changes nothing.
let offeredHeaderRow = null;

function listItems(element, reports) {
  element.replaceChildren(...reports.slice(0, MAX_REPORTS).map((report) => {
    const li = document.createElement('li');
    li.textContent = report;
    return li;
  }));
  show(element, reports.length > 0);
}

// The worker that reads, converts and writes workbooks off the main thread,
// made from the page's own code and started with the page's compiled engine.
let worker = null;
let workerUrl = null;
const workerCalls = new Map(); // Calls not yet answered: id -> { resolve, reject }.
let lastCall = 0;

/** What a call of the worker's that the user stopped fails with. */
class Stopped extends Error {}

/** Stops the worker and whatever it does: its calls fail with `error`. */
function stopWorker(error) {
  worker?.terminate();
  worker = null;
  for (const { reject } of workerCalls.values()) reject(error);
  workerCalls.clear();
}

/** Calls `call` of the worker (started when none runs) with `args`: a promise of its answer. */
function bookCall(call, ...args) {
  if (!worker) {
    workerUrl ??= URL.createObjectURL(new Blob([workerSource], { type: 'text/javascript' }));
    worker = new Worker(workerUrl);
    worker.onmessage = ({ data }) => {
      const pending = workerCalls.get(data.id);
      workerCalls.delete(data.id);
      if (data.error === undefined) pending?.resolve(data.value);
      else pending?.reject(data.workbook ? new WorkbookError(data.error) : new Error(data.error));
    };
    worker.onerror = (event) => {
      event.preventDefault();
      stopWorker(new Error(event.message || 'the page could not start its worker'));
    };
    worker.postMessage({ module: engine.module });
  }
  const id = ++lastCall;
  return new Promise((resolve, reject) => {
    workerCalls.set(id, { resolve, reject });
    worker.postMessage({ id, call, args });
  });
}

// What the worker is doing with the file, as Stop would say it stopped: null when idle.
let busyWith = null;

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

/** The header row chosen (from 1), or 0 when no row names the columns. */
function headerRow() {
  if (!$('file-header').checked) return 0;
  const row = Math.trunc(Number($('header-row').value));
  return Number.isFinite(row) && row >= 1 ? row : 1;
}

/** A column list's first entry, chosen until the user chooses a column: `text` says what it means. */
function placeholder(text = 'Choose a column') {
  const option = document.createElement('option');
  option.value = '';
  option.textContent = text;
  return option;
}

/** The interval list's first entry: no interval, one column of numbers. */
const ONE_COLUMN = 'none: one column';

/** Empties and disables both column lists until a row's columns are offered. */
function resetColumns() {
  $('column').replaceChildren(placeholder());
  $('column-to').replaceChildren(placeholder(ONE_COLUMN));
  $('column').disabled = $('column-to').disabled = true;
}

async function openFile() {
  const input = $('file');
  const chosen = input.files[0];
  file = null;
  clearFileResult();
  // A workbook still being read or converted is dropped for the new file.
  if (workerCalls.size > 0) stopWorker(new Stopped());
  workbook = null;
  headerChosen = false;
  resetColumns();
  show($('sheet-choice'), false);
  $('file-status').textContent = '';
  if (!chosen) return;
  const bytes = new Uint8Array(await chosen.arrayBuffer());
  if (input.files[0] !== chosen) return; // Another file was chosen meanwhile.
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
    const sheets = await bookCall('open', bytes);
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
    const sheet = await bookCall('sheet', i);
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
  stopWorker(new Stopped());
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
    cells = await bookCall('headerCells', header ? headerRow() : undefined);
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

/** Adds an option for each column of a first row to `select`, after its placeholder. */
function fillColumnList(select, row, header, label) {
  const option = (i) => {
    const element = document.createElement('option');
    element.value = String(i + 1);
    element.textContent = label(i);
    return element;
  };
  const columns = row.cells.map((_, i) => i);
  const named = header ? columns.filter((i) => row.suggested.has(i + 1)) : [];
  if (named.length > 0) {
    const first = document.createElement('optgroup');
    first.label = 'Named as varve numbers';
    first.append(...named.map(option));
    const rest = document.createElement('optgroup');
    rest.label = 'Other columns';
    rest.append(...columns.filter((i) => !row.suggested.has(i + 1)).map(option));
    select.append(first, rest);
  } else {
    select.append(...columns.map(option));
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
  const made = direction;
  const status = $('file-status');
  const ends = otherEnd === null ? `column ${columnLetters(column)}` : `columns ${columnLetters(column)} and ${columnLetters(otherEnd)}`;
  status.textContent = `Converting ${ends} of ${sheet.name}\u2026`;
  await bookGuarded(name, async () => {
    working(`converting ${ends} of ${sheet.name}`);
    const converted = await bookCall('convert', { made, column, otherEnd, header, at });
    if (run !== fileRun) return;
    showSheetPreview(converted.rows, converted.more, otherEnd === null ? 1 : 2, converted.names);
    const extension = name.match(/\.[^.]*$/)?.[0] ?? '';
    fileResult = { bytes: converted.bytes, direction: made, workbook: extension };
    status.textContent = `Converted ${ends}${otherEnd === null ? '' : ' as intervals'} of the sheet ${sheet.name} of ${name} (${converted.count}); ` +
      `the columns are added after column ${columnLetters(sheet.columns - 1)}.${converted.invalid}`;
    listItems($('file-notes'), converted.reports);
    caption($('file-caption'), '', made);
    working(null);
    show($('file-preview'), true);
    $('download-file').disabled = $('convert-more').disabled = false;
  });
}

/** What the status says while no column is chosen. */
const choosePrompt = () => `${file.name}: choose the column with the numbers to convert it.`;

/**
 * Converts the chosen column of the file in the direction chosen now and
 * shows its preview. Nothing is shown before a column is chosen.
 */
function convertFile() {
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
    const result = engine.convertFile(direction, file.bytes, Number(column), headerRow(), Number(otherEnd));
    if (result.bytes.length === 0) {
      // Nothing was written: nothing to download.
      status.textContent = `${file.name} could not be converted: ${result.reports.join(' ')}`;
      return;
    }
    fileResult = { ...result, direction };
    $('file-preview').textContent = result.preview;
    status.textContent = result.outcome === 2
      ? `${file.name} could not be converted to its end; the download gives the whole rows before the fault.`
      : otherEnd
        ? `Converted columns ${column} and ${otherEnd} of ${file.name} as intervals.` +
          (result.outcome === 1 ? ' Some intervals are not converted: their rows say why, as listed below.' : '')
        : `Converted column ${column} of ${file.name}.` +
          (result.outcome === 1 ? ' Some cells are not converted (not whole numbers, or spans that cannot be): their rows say invalid, as listed below.' : '');
    listItems($('file-notes'), result.reports);
    caption($('file-caption'), '');
    show($('file-preview'), true);
    $('download-file').disabled = false;
    $('convert-more').disabled = result.outcome === 2;
  });
}

// The chart.

/** The chart's step markers, in the order drawn: LC's, then UC's, each by number. */
const steps = () => [...$('chart').querySelectorAll('.vc-step')];

/** Makes marker `i` the chart's one tab stop, and focuses it when `focus`. */
function moveToStep(i, focus) {
  const all = steps();
  if (all.length === 0) return;
  stepAt = Math.max(0, Math.min(all.length - 1, i));
  all.forEach((step, j) => step.setAttribute('tabindex', j === stepAt ? '0' : '-1'));
  if (focus) all[stepAt].focus();
}

const SVG = 'http://www.w3.org/2000/svg';

/**
 * Scrolls the chart sideways so that the part of its plot from `left` to
 * `right` (in the window's pixels) is centred in view beside the y axis, or
 * begins there when it is wider than the view.
 */
function centreChartOn(left, right) {
  const chart = $('chart');
  const box = chart.getBoundingClientRect();
  const from = box.left + parseFloat(chart.style.scrollPaddingLeft || '0');
  const to = box.left + chart.clientWidth;
  chart.scrollLeft += left - from - Math.max(0, (to - from - (right - left)) / 2);
}

/**
 * Scrolls the chart sideways so that what it marks is in view, or, on a
 * chart drawn anew without a mark, where LC and UC overlap, so that the first
 * view shows both panels with their lines.
 */
function showMarked(anew) {
  const chart = $('chart');
  const marked = chart.querySelector('.vc-span, .vc-marked line');
  if (marked) {
    const at = marked.getBoundingClientRect();
    centreChartOn(at.left, at.right);
    return;
  }
  const overlaps = [...chart.querySelectorAll('.vc-panel .vc-overlap')].map((band) => band.getBoundingClientRect());
  if (!anew || overlaps.length === 0) return;
  const left = Math.min(...overlaps.map((at) => at.left));
  const right = Math.max(...overlaps.map((at) => at.right));
  const middle = (left + right) / 2;
  centreChartOn(middle, middle);
}

/** The legend of `svg` as a list that wraps to the page's width: each key's swatch a figure of its own, its label text. */
function showLegend(svg) {
  $('chart-legend').replaceChildren(...[...svg.querySelectorAll('.vc-key')].map((key) => {
    const label = key.querySelector('text');
    const swatch = document.createElementNS(SVG, 'svg');
    for (const [name, value] of [['class', 'vc-chart'], ['viewBox', '-2 -10 28 20'], ['width', '28'], ['height', '20'], ['aria-hidden', 'true']]) {
      swatch.setAttribute(name, value);
    }
    swatch.append(...[...key.children].filter((part) => part !== label));
    const item = document.createElement('li');
    item.append(swatch, label.textContent);
    return item;
  }));
}

/**
 * Splits the chart as the engine drew it: its title and legend leave the
 * figure (the section's heading and the list above it say them), and its y
 * axes, the panels' headers and the x axis's title go to a figure laid over
 * the plot's box, so that they stay in view while the plot scrolls beneath.
 */
function splitChart(svg) {
  showLegend(svg);
  svg.querySelector('.vc-head').remove();
  const top = Number(svg.dataset.plotTop);
  const [, , width, height] = svg.getAttribute('viewBox').split(' ').map(Number);
  svg.setAttribute('viewBox', `0 ${top} ${width} ${height - top}`);
  svg.setAttribute('height', String(height - top));
  const axes = svg.querySelector('.vc-axes');
  axes.setAttribute('transform', `translate(0 ${-top})`);
  const overlay = document.createElementNS(SVG, 'svg');
  for (const [name, value] of [['class', 'vc-chart chart-axes'], ['height', String(height - top)], ['aria-hidden', 'true']]) {
    overlay.setAttribute(name, value);
  }
  overlay.append(axes);
  $('chart-view').querySelector('.chart-axes')?.remove();
  $('chart-view').append(overlay);
  // What the browser scrolls into view (a marker focused) stays clear of the axis.
  $('chart').style.scrollPaddingLeft = `${axes.querySelector('.vc-cover').getAttribute('width')}px`;
}

let chartDirection = null; // The direction of the chart drawn.

function drawChart() {
  guarded($('chart-caption'), () => {
    chartSvg = engine.chart(direction, mark ?? undefined);
    const chart = $('chart');
    chart.innerHTML = chartSvg.slice(chartSvg.indexOf('<svg'));
    const all = steps();
    // On the page the figure holds controls, so it is a group, not one image.
    const svg = chart.querySelector('svg');
    svg.setAttribute('role', 'group');
    svg.setAttribute('aria-roledescription', 'chart');
    splitChart(svg);
    all.forEach((step, i) => {
      step.setAttribute('role', 'img');
      const inside = step.classList.contains('vc-in-span') ? ', inside the span' : '';
      step.setAttribute('aria-label', `${step.dataset.name}${inside} (${i + 1} of ${all.length})`);
      // The marker's tooltip would be read again after its label.
      step.querySelector('title')?.remove();
    });
    moveToStep(stepAt, false);
    showMarked(chartDirection !== direction);
    chartDirection = direction;
  });
}

function setMark(next) {
  const same = Array.isArray(next) && Array.isArray(mark)
    ? next[0] === mark[0] && next[1] === mark[1] : next === mark;
  if (!same) {
    mark = next;
    drawChart();
  }
}

function nameStep(event) {
  const step = event.target.closest?.('.vc-step');
  if (step) $('chart-caption').textContent = step.dataset.name;
}

/** Arrow keys move between the chart's markers; Home and End to the first and last. */
function stepKeys(event) {
  const step = event.target.closest?.('.vc-step');
  if (!step) return;
  const moves = { ArrowRight: 1, ArrowDown: 1, ArrowLeft: -1, ArrowUp: -1 };
  const i = steps().indexOf(step);
  let to;
  if (event.key in moves) to = i + moves[event.key];
  else if (event.key === 'Home') to = 0;
  else if (event.key === 'End') to = steps().length - 1;
  else return;
  event.preventDefault();
  moveToStep(to, true);
}

// Wiring.

for (const radio of document.querySelectorAll('input[name=direction]')) {
  radio.addEventListener('change', () => {
    direction = engine.directionNamed(radio.value) ?? NE_TO_AM;
    nameBoxes();
    mark = null;
    drawChart();
    // The number box follows the direction chosen; a converted paste or file
    // keeps the direction it was converted in until converted again on purpose.
    showOne(AGAIN);
    keepDirection(list, 'list-caption', 'list-again');
    keepDirection(fileResult, 'file-caption', 'file-again');
  });
}
$('number').addEventListener('input', () => showOne());
$('number-to').addEventListener('input', () => showOne());
const listPlaceholder = $('list').placeholder;
$('list').addEventListener('input', () => {
  heldPaste = null;
  pasteChoice = CHOOSE_NONE;
  $('list').placeholder = listPlaceholder;
  convertList();
});
$('list').addEventListener('paste', (event) => {
  const text = event.clipboardData?.getData('text/plain') ?? '';
  let lines = 1;
  for (let at = text.indexOf('\n'); at !== -1 && lines <= HELD_PASTE_LINES; at = text.indexOf('\n', at + 1)) ++lines;
  if (lines <= HELD_PASTE_LINES) return; // The box takes it as usual.
  event.preventDefault();
  heldPaste = text;
  pasteChoice = CHOOSE_NONE;
  $('list').value = '';
  $('list').placeholder = `A pasted list of ${text.split('\n').length} lines is converted below (not shown here, to keep the page quick). Type or paste to replace it.`;
  convertList();
});
$('read-column').addEventListener('click', () => {
  pasteChoice = CHOOSE_COLUMN;
  convertList();
});
$('read-list').addEventListener('click', () => {
  pasteChoice = CHOOSE_LIST;
  convertList();
});
$('list-again').addEventListener('click', () => convertList());
$('file-again').addEventListener('click', () => convertFile());
$('table-wrap').addEventListener('scroll', () => requestAnimationFrame(renderRows));
$('download-csv').addEventListener('click', () => download(list.bytes, 'text/csv', `varve-${directionName(list.direction)}.csv`));
$('copy-tsv').addEventListener('click', copyTsv);
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
$('column').addEventListener('change', () => convertFile());
$('column-to').addEventListener('change', () => convertFile());
for (const id of ['file-header', 'header-row']) {
  $(id).addEventListener('change', async () => {
    $('header-row').disabled = !$('file-header').checked;
    headerChosen = true;
    if (!file || headerRow() === offeredHeaderRow) return;
    await offerColumns($('column').value, $('column-to').value);
    convertFile();
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
  // The file's own name and extension, with the direction that made the result.
  const [, base, extension = '.csv'] = file.name.match(/^(.*?)(\.[^.]*)?$/);
  const type = {
    '.csv': 'text/csv',
    '.tsv': 'text/tab-separated-values',
    '.xlsx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet',
    '.xlsm': 'application/vnd.ms-excel.sheet.macroEnabled.12',
    '.xltx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.template',
    '.xltm': 'application/vnd.ms-excel.template.macroEnabled.12',
    '.ods': 'application/vnd.oasis.opendocument.spreadsheet',
    '.ots': 'application/vnd.oasis.opendocument.spreadsheet-template',
  }[extension.toLowerCase()] ?? (fileResult.workbook === undefined ? 'text/plain' : 'application/octet-stream');
  download(fileResult.bytes, type, `${base}-${directionName(fileResult.direction)}${extension}`);
});
$('download-svg').addEventListener('click', () => {
  const marked = mark === null ? '' : `-${Array.isArray(mark) ? mark.join('-') : mark}`;
  download(chartSvg, 'image/svg+xml', `varve-chart-${directionName()}${marked}.svg`);
});
for (const kind of ['click', 'mouseover', 'focusin']) {
  $('chart').addEventListener(kind, nameStep);
}
$('chart').addEventListener('click', (event) => {
  const step = event.target.closest?.('.vc-step');
  if (step) moveToStep(steps().indexOf(step), false);
});
$('chart').addEventListener('keydown', stepKeys);

// A reload keeps what the browser restored in the controls.
const checked = document.querySelector('input[name=direction]:checked');
direction = engine.directionNamed(checked?.value) ?? NE_TO_AM;
nameBoxes();
if ($('number').value || $('number-to').value) showOne();
if ($('list').value) convertList();
document.documentElement.dataset.ready = 'true';
performance.mark('varve-ready');
// Once the page takes input: the chart, and a conversion of a few thousand
// numbers as a list and as lines, so that the rows are formatted and the
// engine's code compiled fully before the first long paste.
setTimeout(() => {
  if (!chartSvg) drawChart();
  const warmUp = Array.from({ length: 20000 }, (_, i) => 2500 + (i % 6600)).join(' ');
  const warmUpLines = Array.from({ length: 20000 }, (_, i) => 2500 + (i % 6600)).join('\n');
  guarded($('list-status'), () => {
    engine.convertPaste(direction, warmUp, CSV);
    engine.convertPaste(direction, warmUpLines, CSV);
  });
}, 0);
