// The page: reads the controls, asks the engine, shows what it answers.
// Every conversion, message, table row and chart comes from the engine.

import { loadEngine, NE_TO_AM, AM_TO_NE, CONVERTED, OUTSIDE, NOT_A_NUMBER, TSV, CSV } from './engine.mjs';
import { wasmBase64 } from './wasm-data.mjs';

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

let direction = NE_TO_AM;
let mark = null; // The number the chart marks.
let chartSvg = '';
let list = null; // The last converted list: { bytes, starts, count }.
let heldPaste = null; // A long pasted list, held instead of shown in the box.

const directionName = () => (direction === NE_TO_AM ? 'ne-to-am' : 'am-to-ne');
const fromName = () => (direction === NE_TO_AM ? 'NE' : 'AM');

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

function showOne() {
  const records = $('records');
  const summary = $('summary');
  const message = $('one-message');
  guarded(message, () => {
    const typed = $('number').value;
    const answer = engine.lookup(direction, typed);
    if (answer.status === NOT_A_NUMBER) {
      // A message, and nothing else on the page changes.
      show(records, false);
      show(summary, false);
      message.textContent = `"${typed.trim()}" is not a whole number. Type digits, with a sign if needed.`;
      show(message, true);
      return;
    }
    show(message, false);
    show(records, answer.status === CONVERTED);
    show(summary, answer.status === CONVERTED);
    if (answer.status === CONVERTED) {
      records.textContent = answer.records.join('\n');
      summary.replaceChildren();
      for (const row of answer.rows) {
        addSummary(summary, 'Sequence', `NE-${row.sequence}`, true);
        addSummary(summary, 'Relation', row.relation);
        const run = row.ne_first === row.ne_last;
        addSummary(summary, run ? 'NE varve' : 'NE varves', run ? `${row.ne_first}` : `${row.ne_first}-${row.ne_last}`);
        const one = row.am_first === row.am_last;
        addSummary(summary, one ? 'AM varve' : 'AM varves', one ? `${row.am_first}` : `${row.am_first}-${row.am_last}`);
        addSummary(summary, 'False annual couplets', row.false_couplets ? 'yes' : 'no');
      }
      setMark(Number(answer.rows[0].input));
    } else if (answer.status === OUTSIDE) {
      message.textContent = `${answer.message} Accepted ${fromName()} numbers: ${answer.ranges.join(', ')}.`;
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

function fields(line) {
  return decoder.decode(list.bytes.subarray(list.starts[line], list.starts[line + 1] - 1)).split(',');
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
    if (values[2] === 'outside') tr.className = 'outside';
    for (const value of values) {
      const td = document.createElement('td');
      td.textContent = value;
      tr.append(td);
    }
    rows.push(tr);
  }
  body.replaceChildren(spacer(first * ROW_HEIGHT), ...rows, spacer((list.count - last) * ROW_HEIGHT));
}

function convertList() {
  const status = $('list-status');
  const bad = $('bad-tokens');
  guarded(status, () => {
    const text = heldPaste ?? $('list').value;
    const empty = text.trim() === '';
    list = null;
    if (!empty) {
      const result = engine.convertList(direction, text, CSV);
      const starts = lineStarts(result.bytes);
      list = { bytes: result.bytes, starts, count: starts.length - 2 };
      const head = $('rows').tHead.rows[0];
      head.replaceChildren(...fields(0).map((name) => {
        const th = document.createElement('th');
        th.scope = 'col';
        th.textContent = name;
        return th;
      }));
      const items = result.reports.slice(0, MAX_REPORTS).map((report) => {
        const li = document.createElement('li');
        li.textContent = report[0].toUpperCase() + report.slice(1);
        return li;
      });
      if (result.reports.length > MAX_REPORTS) {
        const li = document.createElement('li');
        li.textContent = `and ${result.reports.length - MAX_REPORTS} more`;
        items.push(li);
      }
      bad.replaceChildren(...items);
      status.textContent =
        `${list.count} ${list.count === 1 ? 'row' : 'rows'}.` +
        (result.bad ? ' Tokens that are not whole numbers were skipped, as listed below; every other one was converted.'
          : result.reports.length ? ' See the notes on the list below.' : '');
    } else {
      status.textContent = text === '' ? '' : 'The list holds no numbers.';
    }
    show(bad, !empty && bad.childElementCount > 0);
    show($('table-wrap'), !empty && list.count > 0);
    $('download-csv').disabled = $('copy-tsv').disabled = empty || list.count === 0;
    $('table-wrap').scrollTop = 0;
    renderRows();
  });
}

async function copyTsv() {
  const status = $('list-status');
  const result = engine.convertList(direction, heldPaste ?? $('list').value, TSV);
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
  status.textContent = `Copied ${list.count} ${list.count === 1 ? 'row' : 'rows'} as tab-separated text.`;
}

// A spreadsheet file.

/** Lines of a converted file shown as a preview; Download CSV gives it all. */
const PREVIEW_LINES = 50;
let file = null; // { name, bytes } of the file opened.
let fileResult = null;

function listItems(element, reports) {
  element.replaceChildren(...reports.slice(0, MAX_REPORTS).map((report) => {
    const li = document.createElement('li');
    li.textContent = report;
    return li;
  }));
  show(element, reports.length > 0);
}

async function openFile() {
  const chosen = $('file').files[0];
  file = chosen ? { name: chosen.name, bytes: new Uint8Array(await chosen.arrayBuffer()) } : null;
  const select = $('column');
  select.replaceChildren();
  if (file) {
    guarded($('file-status'), () => {
      engine.firstRow(file.bytes).forEach((cell, i) => {
        const option = document.createElement('option');
        option.value = String(i + 1);
        option.textContent = $('file-header').checked ? `${i + 1}: ${cell}` : `${i + 1}`;
        select.append(option);
      });
    });
  }
  select.disabled = !file;
  convertFile();
}

function convertFile() {
  const status = $('file-status');
  guarded(status, () => {
    fileResult = null;
    if (file && $('column').value) {
      fileResult = engine.convertFile(direction, file.bytes, Number($('column').value), $('file-header').checked);
      const text = decoder.decode(fileResult.bytes);
      const lines = text.split('\n');
      $('file-preview').textContent = lines.slice(0, PREVIEW_LINES).join('\n') +
        (lines.length > PREVIEW_LINES + 1 ? '\n…' : '');
      status.textContent = fileResult.outcome === 2
        ? 'The file could not be converted to its end; Download CSV gives the whole rows before the fault.'
        : `Converted ${file.name}.` + (fileResult.outcome === 1 ? ' Some cells are not whole numbers: their rows say invalid.' : '');
    } else {
      status.textContent = '';
    }
    listItems($('file-notes'), fileResult ? fileResult.reports : []);
    show($('file-preview'), fileResult !== null);
    $('download-file').disabled = fileResult === null;
  });
}

// The chart.

function drawChart() {
  guarded($('chart-caption'), () => {
    chartSvg = engine.chart(direction, mark ?? undefined);
    const chart = $('chart');
    chart.innerHTML = chartSvg.slice(chartSvg.indexOf('<svg'));
    for (const step of chart.querySelectorAll('.vc-step')) {
      step.setAttribute('tabindex', '0');
      step.setAttribute('role', 'img');
      step.setAttribute('aria-label', step.dataset.name);
    }
  });
}

function setMark(number) {
  if (number !== mark) {
    mark = number;
    drawChart();
  }
}

function nameStep(event) {
  const step = event.target.closest?.('.vc-step');
  if (step) $('chart-caption').textContent = step.dataset.name;
}

// Wiring.

for (const radio of document.querySelectorAll('input[name=direction]')) {
  radio.addEventListener('change', () => {
    direction = radio.value === 'am-to-ne' ? AM_TO_NE : NE_TO_AM;
    $('number-label').textContent = `${fromName()} number`;
    mark = null;
    drawChart();
    showOne();
    convertList();
    convertFile();
  });
}
$('number').addEventListener('input', showOne);
const listPlaceholder = $('list').placeholder;
$('list').addEventListener('input', () => {
  heldPaste = null;
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
  $('list').value = '';
  $('list').placeholder = `A pasted list of ${text.split('\n').length} lines is converted below (not shown here, to keep the page quick). Type or paste to replace it.`;
  convertList();
});
$('table-wrap').addEventListener('scroll', () => requestAnimationFrame(renderRows));
$('download-csv').addEventListener('click', () => download(list.bytes, 'text/csv', `varve-${directionName()}.csv`));
$('copy-tsv').addEventListener('click', copyTsv);
$('file').addEventListener('change', openFile);
$('column').addEventListener('change', convertFile);
$('file-header').addEventListener('change', openFile);
$('download-file').addEventListener('click', () => {
  const name = file.name.replace(/\.[^.]*$/, '');
  download(fileResult.bytes, 'text/csv', `${name}-${directionName()}.csv`);
});
$('download-svg').addEventListener('click', () =>
  download(chartSvg, 'image/svg+xml', `varve-chart-${directionName()}${mark === null ? '' : `-${mark}`}.svg`));
for (const kind of ['click', 'mouseover', 'focusin']) {
  $('chart').addEventListener(kind, nameStep);
}

// A reload keeps what the browser restored in the controls.
const checked = document.querySelector('input[name=direction]:checked');
direction = checked?.value === 'am-to-ne' ? AM_TO_NE : NE_TO_AM;
$('number-label').textContent = `${fromName()} number`;
if ($('number').value) showOne();
if ($('list').value) convertList();
document.documentElement.dataset.ready = 'true';
performance.mark('varve-ready');
// Once the page takes input: the chart, and a conversion of a few thousand
// numbers, so that the rows are formatted and the engine's code compiled
// fully before the first long paste.
setTimeout(() => {
  if (!chartSvg) drawChart();
  const warmUp = Array.from({ length: 20000 }, (_, i) => 2500 + (i % 6600)).join(' ');
  guarded($('list-status'), () => engine.convertList(direction, warmUp, CSV));
}, 0);
