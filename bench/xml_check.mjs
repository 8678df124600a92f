// Benchmark of the engine's well-formedness check of a rewritten part: loads
// the built engine through the page's own loader and times xmlFault(bytes)
// on each file (copying the bytes into the engine, then the check), with the
// copy alone timed too for comparison; prints the verdict and the medians.
// usage: node bench/xml_check.mjs [--runs N] FILE...   (after cmake --build
//        --preset web; VARVE_WASM names another build of varve-engine.wasm)

import fs from 'node:fs';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import { loadEngine } from '../web/engine.mjs';

const args = process.argv.slice(2);
let runs = 7;
if (args[0] === '--runs') {
  runs = Number(args[1]);
  args.splice(0, 2);
}
const root = path.dirname(path.dirname(fileURLToPath(import.meta.url)));
const wasmPath = process.env.VARVE_WASM ?? path.join(root, 'build-web', 'varve-engine.wasm');
const engine = await loadEngine(fs.readFileSync(wasmPath));
const median = (values) => [...values].sort((a, b) => a - b)[Math.floor(values.length / 2)];
const show = (values) =>
  `median ${median(values).toFixed(1)} ms, min ${Math.min(...values).toFixed(1)}`;

for (const file of args) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const copy = new Uint8Array(bytes.length);
  const checks = [];
  const copies = [];
  let verdict;
  for (let i = 0; i < runs; i++) {
    let start = performance.now();
    verdict = engine.xmlFault(bytes);
    checks.push(performance.now() - start);
    start = performance.now();
    copy.set(bytes);
    copies.push(performance.now() - start);
  }
  console.log(`${path.basename(file)} (${bytes.length} bytes): ${verdict ?? 'well-formed'}`);
  console.log(`  xmlFault: ${show(checks)}; a copy of the bytes alone: ${show(copies)} (${runs} runs)`);
}
