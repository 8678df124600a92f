// The list box: a typed or pasted list converted as varve-batch's list or
// line mode converts it, its rows shown a screenful at a time, downloaded as
// CSV or copied as TSV. A paste that mixes lines of one and of several values
// waits for the user to choose how it is read; a table goes to the file's
// columns. A long paste is held by the page rather than shown in the box.

import {
  TSV, CSV, PASTE_EMPTY, PASTE_LINES, PASTE_ASK, PASTE_TABLE, CHOOSE_NONE, CHOOSE_LIST, CHOOSE_COLUMN,
} from '../engine.mjs';
import { $, show, guarded, caption, keepDirection, reportItems } from './shared.mjs';
import { download, listFileName } from './downloads.mjs';

/** The height of one table row in pixels, as the style sheet sets it. */
const ROW_HEIGHT = 26;
/**
 * Pastes of more lines than this are held by the page instead of the text box:
 * a browser takes seconds to lay out a box of 100,000 lines.
 */
const HELD_PASTE_LINES = 2000;
const decoder = new TextDecoder();

/** Whether a paste of `text` is held by the page rather than put in the box. */
export function holdsPaste(text) {
  let lines = 1;
  for (let at = text.indexOf('\n'); at !== -1 && lines <= HELD_PASTE_LINES; at = text.indexOf('\n', at + 1)) ++lines;
  return lines > HELD_PASTE_LINES;
}

/** The start of each line of `bytes`, and one past the end. */
export function lineStarts(bytes) {
  const starts = [0];
  for (let at = bytes.indexOf(10); at !== -1; at = bytes.indexOf(10, at + 1)) {
    starts.push(at + 1);
  }
  return starts;
}

/** The fields of one line of CSV: quoted fields lose their quotes, and "" is a quote. */
export function csvFields(line) {
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

/**
 * The rows of a table of `count` rows drawn when it is scrolled to
 * `scrollTop` in a box `height` pixels high (0 before it is laid out):
 * [first, last), with ten rows above the view and twenty beyond it.
 */
export function visibleRows(scrollTop, height, count) {
  const first = Math.max(0, Math.floor(scrollTop / ROW_HEIGHT) - 10);
  return [first, Math.min(count, first + Math.ceil((height || 400) / ROW_HEIGHT) + 20)];
}

/** What the status says of a paste converted as `result` (engine.convertPaste, with the choice made), `count` rows. */
export function pasteStatus(result, count) {
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
 * The list box of the direction chosen (`direction`, from shared.mjs); a
 * pasted table is handed to `openTable(text)`.
 */
export function createPaste({ engine, direction, openTable }) {
  // The last converted list: { bytes, starts, count, direction, choice }.
  let list = null;
  // A long pasted list, held instead of shown in the box.
  let heldPaste = null;
  // How the user chose to read a paste that mixes lines of one and of several values.
  let pasteChoice = CHOOSE_NONE;
  const box = $('list');
  const boxPlaceholder = box.placeholder;

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
    const [first, last] = visibleRows(wrap.scrollTop, wrap.clientHeight, list.count);
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

  /**
   * Converts the list box's text (or the paste held instead) in the direction
   * chosen now and shows its rows. Nothing of an earlier list stays on show.
   */
  function convert() {
    const status = $('list-status');
    const bad = $('bad-tokens');
    list = null;
    status.textContent = '';
    for (const element of [$('list-caption'), bad, $('table-wrap'), $('paste-choice'), $('list-again')]) show(element, false);
    $('download-csv').disabled = $('copy-tsv').disabled = true;
    $('rows').tBodies[0].replaceChildren();
    guarded(status, () => {
      const text = heldPaste ?? box.value;
      if (text === '') return;
      const result = { ...engine.convertPaste(direction.current(), text, CSV, pasteChoice), choice: pasteChoice };
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
        openTable(text);
        return;
      }
      const starts = lineStarts(result.bytes);
      list = { bytes: result.bytes, starts, count: starts.length - 2, direction: direction.current(), choice: pasteChoice };
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
        caption($('list-caption'), direction.label(), '');
        $('table-wrap').setAttribute('aria-label', `Converted numbers, ${direction.label()}`);
        show($('table-wrap'), true);
        $('download-csv').disabled = $('copy-tsv').disabled = false;
      }
      $('table-wrap').scrollTop = 0;
      renderRows();
    });
  }

  async function copyTsv() {
    const result = engine.convertPaste(list.direction, heldPaste ?? box.value, TSV, list.choice);
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
    $('list-status').textContent = `Copied ${list.count} ${list.count === 1 ? 'row' : 'rows'} (${direction.label(list.direction)}) as tab-separated text.`;
  }

  box.addEventListener('input', () => {
    heldPaste = null;
    pasteChoice = CHOOSE_NONE;
    box.placeholder = boxPlaceholder;
    convert();
  });
  box.addEventListener('paste', (event) => {
    const text = event.clipboardData?.getData('text/plain') ?? '';
    // The box takes a short paste as usual.
    if (!holdsPaste(text)) return;
    event.preventDefault();
    heldPaste = text;
    pasteChoice = CHOOSE_NONE;
    box.value = '';
    box.placeholder = `A pasted list of ${text.split('\n').length} lines is converted below (not shown here, to keep the page quick). Type or paste to replace it.`;
    convert();
  });
  $('read-column').addEventListener('click', () => {
    pasteChoice = CHOOSE_COLUMN;
    convert();
  });
  $('read-list').addEventListener('click', () => {
    pasteChoice = CHOOSE_LIST;
    convert();
  });
  $('list-again').addEventListener('click', () => convert());
  $('table-wrap').addEventListener('scroll', () => requestAnimationFrame(renderRows));
  $('download-csv').addEventListener('click', () => download(list.bytes, 'text/csv', listFileName(direction.name(list.direction))));
  $('copy-tsv').addEventListener('click', copyTsv);

  return {
    /** Says beside the rows shown that they keep the direction they were made in. */
    directionChanged: () => keepDirection(list, direction, $('list-caption'), $('list-again')),
    /** Converts what the browser restored in the box on a reload. */
    restore() {
      if (box.value) convert();
    },
  };
}
