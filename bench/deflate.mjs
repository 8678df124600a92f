// The engine's deflate of whole files as the page deflates a rewritten
// workbook part: written into the engine in pieces of 256 KB, each deflated
// as it arrives, then finished with the CRC-32. Prints each file's size,
// deflated size and speed (median of ROUNDS, 5 by default), checked against
// node's own inflate and CRC-32, and beside it node's zlib (levels 1 and 6)
// on the same bytes.
//
//   node bench/deflate.mjs FILE...
//   VARVE_WASM=path/to/varve-engine.wasm ROUNDS=9 node bench/deflate.mjs FILE...

import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';
import { instantiate, partWriter } from '../web/engine.mjs';

const here = path.dirname(new URL(import.meta.url).pathname);
const wasm = process.env.VARVE_WASM ?? path.resolve(here, '../build-web/varve-engine.wasm');
const rounds = Number(process.env.ROUNDS ?? 5);
const piece = 256 * 1024;
const x = instantiate(new WebAssembly.Module(fs.readFileSync(wasm)));

const median = (times) => times.sort((a, b) => a - b)[times.length >> 1];
const mbps = (bytes, ms) => (bytes / 1e6 / (ms / 1000)).toFixed(0);

for (const file of process.argv.slice(2)) {
  const bytes = new Uint8Array(fs.readFileSync(file));
  const times = [];
  let result;
  for (let round = 0; round < rounds; ++round) {
    const start = performance.now();
    const writer = partWriter(x);
    for (let at = 0; at < bytes.length; at += piece) {
      writer.write(bytes.subarray(at, at + piece));
      writer.deflate();
    }
    result = writer.finish();
    times.push(performance.now() - start);
  }
  const ms = median(times);
  const inflated = zlib.inflateRawSync(result.compressed);
  const whole = Buffer.compare(inflated, bytes) === 0 && result.size === bytes.length;
  const crc = zlib.crc32 ? result.crc === zlib.crc32(bytes) : 'not checked';
  console.log(`${path.basename(file)}: ${bytes.length} bytes -> ${result.compressed.length} in ${ms.toFixed(0)} ms `
    + `(${mbps(bytes.length, ms)} MB/s), inflates whole: ${whole}, CRC-32 right: ${crc}`);
  for (const level of [1, 6]) {
    const start = performance.now();
    const size = zlib.deflateRawSync(bytes, { level }).length;
    const zms = performance.now() - start;
    console.log(`  node zlib level ${level}: ${size} in ${zms.toFixed(0)} ms (${mbps(bytes.length, zms)} MB/s)`);
  }
}
x.varve_part_clear();
