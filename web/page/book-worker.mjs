// The worker that reads, converts and writes workbooks off the main thread,
// made from the page's own code (`source`) and started with the page's
// compiled engine; each call is a promise of the worker's answer to it.

import { WorkbookError } from '../workbook/zip.mjs';

/** What a call of the worker's that the user stopped fails with. */
export class Stopped extends Error {}

/**
 * The worker's calls: `call(name, ...args)` starts the worker when none runs
 * (handing it `module`, the compiled engine, first); `start()` starts it
 * ahead of any call, so that its code and engine are ready when a workbook
 * comes; `stop(error)` ends it, its calls not yet answered failing with
 * `error`; `busy()` while any is.
 */
export function createBookWorker(module, source) {
  let worker = null;
  let url = null;
  // Calls not yet answered: id -> { resolve, reject }.
  const calls = new Map();
  let lastCall = 0;

  function stop(error) {
    worker?.terminate();
    worker = null;
    for (const { reject } of calls.values()) reject(error);
    calls.clear();
  }

  function start() {
    if (!worker) {
      url ??= URL.createObjectURL(new Blob([source], { type: 'text/javascript' }));
      worker = new Worker(url);
      // A message without a call's id (how far a call has come) answers none.
      worker.onmessage = ({ data }) => {
        const pending = calls.get(data.id);
        calls.delete(data.id);
        if (data.error === undefined) pending?.resolve(data.value);
        else pending?.reject(data.workbook ? new WorkbookError(data.error) : new Error(data.error));
      };
      worker.onerror = (event) => {
        event.preventDefault();
        stop(new Error(event.message || 'the page could not start its worker'));
      };
      worker.postMessage({ module });
    }
  }

  function call(name, ...args) {
    start();
    const id = ++lastCall;
    return new Promise((resolve, reject) => {
      calls.set(id, { resolve, reject });
      worker.postMessage({ id, call: name, args });
    });
  }

  return { call, start, stop, busy: () => calls.size > 0 };
}
