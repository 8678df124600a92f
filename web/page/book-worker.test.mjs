import assert from 'node:assert/strict';
import { test } from 'node:test';
import { WorkbookError } from '../workbook/zip.mjs';
import { Stopped, createBookWorker } from './book-worker.mjs';

/** Workers started, each recording what it was posted; the test answers for it. */
const started = [];
globalThis.Worker = class {
  constructor(url) {
    this.url = url;
    this.posted = [];
    this.terminated = false;
    started.push(this);
  }
  postMessage(message) {
    this.posted.push(message);
  }
  terminate() {
    this.terminated = true;
  }
  answer(data) {
    this.onmessage({ data });
  }
};
let urls = 0;
URL.createObjectURL = () => `blob:worker-${++urls}`;

const settled = (promise) => promise.then((value) => ({ value }), (error) => ({ error }));

test('calls start one worker with the engine first, and each answer settles its own call', async () => {
  started.length = 0;
  const worker = createBookWorker('the module', 'source');
  assert.equal(worker.busy(), false);
  const sheets = worker.call('open', 'bytes');
  const cells = worker.call('headerCells', 2);
  assert.equal(started.length, 1);
  const [one] = started;
  assert.deepEqual(one.posted, [{ module: 'the module' }, { id: 1, call: 'open', args: ['bytes'] }, { id: 2, call: 'headerCells', args: [2] }]);
  assert.equal(worker.busy(), true);
  // How far a call has come answers none of them.
  one.answer({ progress: 0.5 });
  one.answer({ id: 2, value: ['ne_varve'] });
  one.answer({ id: 1, value: ['Sheet1'] });
  assert.deepEqual(await cells, ['ne_varve']);
  assert.deepEqual(await sheets, ['Sheet1']);
  assert.equal(worker.busy(), false);
  // A fault of the workbook is told from a fault of the page.
  const refused = settled(worker.call('open', 'encrypted'));
  const failed = settled(worker.call('sheet', 0));
  one.answer({ id: 3, error: 'the workbook is encrypted', workbook: true });
  one.answer({ id: 4, error: 'out of memory', workbook: false });
  const [{ error: workbookFault }, { error: pageFault }] = await Promise.all([refused, failed]);
  assert.ok(workbookFault instanceof WorkbookError);
  assert.equal(workbookFault.message, 'the workbook is encrypted');
  assert.ok(!(pageFault instanceof WorkbookError));
  assert.equal(pageFault.message, 'out of memory');
  assert.equal(started.length, 1);
});

test('a stopped worker fails its calls as told, and the next call starts another from the same code', async () => {
  started.length = 0;
  const worker = createBookWorker('the module', 'source');
  const calls = [settled(worker.call('open', 'bytes')), settled(worker.call('sheet', 0))];
  const stop = new Stopped();
  worker.stop(stop);
  for (const { error } of await Promise.all(calls)) assert.equal(error, stop);
  assert.equal(started[0].terminated, true);
  assert.equal(worker.busy(), false);
  const again = worker.call('open', 'bytes');
  assert.equal(started.length, 2);
  assert.equal(started[1].url, started[0].url);
  assert.deepEqual(started[1].posted[0], { module: 'the module' });
  started[1].answer({ id: 3, value: ['Sheet1'] });
  assert.deepEqual(await again, ['Sheet1']);
});

test('a worker that cannot run fails every call waiting on it', async () => {
  started.length = 0;
  const worker = createBookWorker('the module', 'source');
  const calls = [settled(worker.call('open', 'bytes')), settled(worker.call('sheet', 0))];
  let prevented = false;
  started[0].onerror({ message: '', preventDefault: () => (prevented = true) });
  for (const { error } of await Promise.all(calls)) assert.equal(error.message, 'the page could not start its worker');
  assert.equal(prevented, true);
  assert.equal(worker.busy(), false);
});

test('a worker started ahead of any call is the one the calls go to, started once', async () => {
  started.length = 0;
  const worker = createBookWorker('the module', 'source');
  worker.start();
  worker.start();
  assert.equal(started.length, 1);
  assert.deepEqual(started[0].posted, [{ module: 'the module' }]);
  assert.equal(worker.busy(), false);
  const sheets = worker.call('open', 'bytes');
  assert.equal(started.length, 1);
  assert.deepEqual(started[0].posted.slice(1), [{ id: 1, call: 'open', args: ['bytes'] }]);
  started[0].answer({ id: 1, value: ['Sheet1'] });
  assert.deepEqual(await sheets, ['Sheet1']);
});
