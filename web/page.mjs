// The page: starts the engine and wires its parts together (web/page/):
// the direction chosen, the number box, the list box, the file section and
// the chart. Every conversion, message, table row and chart comes from the
// engine; each part owns its controls and what it shows.

import { loadEngine, CSV } from './engine.mjs';
import { wasmBase64 } from './wasm-data.mjs';
import { workerSource } from './worker-source.mjs';
import { $, guarded, createDirection } from './page/shared.mjs';
import { createChartView } from './page/chart-view.mjs';
import { createNumberBox } from './page/number-box.mjs';
import { createBookWorker } from './page/book-worker.mjs';
import { createFileSource } from './page/file-source.mjs';
import { createPaste } from './page/paste.mjs';

const engine = await loadEngine(wasmBase64);
// The footer names the tables the results come from, as the engine has them.
$('tables-identity').textContent = engine.tablesIdentity();

const direction = createDirection(engine);
const chart = createChartView({ engine, direction });
const numberBox = createNumberBox({ engine, direction, chart });
const bookWorker = createBookWorker(engine.module, workerSource);
const fileSource = createFileSource({ engine, direction, worker: bookWorker });
const paste = createPaste({ engine, direction, openTable: fileSource.openPastedTable });

for (const radio of document.querySelectorAll('input[name=direction]')) {
  radio.addEventListener('change', () => {
    direction.choose(radio.value);
    chart.unmark();
    // The number box follows the direction chosen; a converted paste or file
    // keeps the direction it was converted in until converted again on purpose.
    numberBox.directionChanged();
    paste.directionChanged();
    fileSource.directionChanged();
  });
}

// A reload keeps what the browser restored in the controls.
direction.choose(document.querySelector('input[name=direction]:checked')?.value);
numberBox.nameBoxes();
numberBox.restore();
paste.restore();
document.documentElement.dataset.ready = 'true';
performance.mark('varve-ready');
// Once the page takes input: the chart, and a conversion of a few thousand
// numbers as a list and as lines, so that the rows are formatted and the
// engine's code compiled fully before the first long paste.
setTimeout(() => {
  if (!chart.drawn()) chart.draw();
  const warmUp = Array.from({ length: 20000 }, (_, i) => 2500 + (i % 6600)).join(' ');
  const warmUpLines = Array.from({ length: 20000 }, (_, i) => 2500 + (i % 6600)).join('\n');
  guarded($('list-status'), () => {
    engine.convertPaste(direction.current(), warmUp, CSV);
    engine.convertPaste(direction.current(), warmUpLines, CSV);
  });
  // The workbook worker started now, its code read and its engine made
  // ready, rather than when the first workbook is chosen.
  bookWorker.start();
}, 0);
