// Zip archives as workbooks are stored: entries read (stored or deflated, by
// the browser's own DecompressionStream), and an archive written again with
// some entries replaced. Every other entry is copied as it lies, compressed
// bytes, data descriptor and all; only the central directory's offsets of the
// entries after a replaced one change. What the page could not write back as
// it was (zip64, encryption, archives spread over disks) is refused.

import { instantiate, partWriter, warmUp } from '../engine.mjs';
import { crc32 } from './crc32.mjs';

/** A workbook the page cannot read or cannot keep; the message says why. */
export class WorkbookError extends Error {}

/** The refusal of a zip64 archive. */
const zip64 = () => new WorkbookError('it is a zip64 archive, which the page cannot write back');
/** The refusal of a damaged zip directory, or of its `entry` when given. */
const damaged = (entry) => new WorkbookError(entry ? `its zip entry ${entry.name} is damaged` : 'its zip directory is damaged');

const LOCAL = 0x04034b50;
const CENTRAL = 0x02014b50;
const END = 0x06054b50;
const ZIP64_LOCATOR = 0x07064b50;
/** The flags: encrypted, sizes in a data descriptor after the data, strong encryption. */
const ENCRYPTED = 1;
const DESCRIPTOR = 8;
const STRONG = 64;

/**
 * Runs `pieces` (byte arrays, one after another) through a browser stream
 * (`CompressionStream` or `DecompressionStream`), handed over a megabyte at
 * a time, as views of the bytes rather than copies: a sheet may be a hundred
 * megabytes.
 */
async function through(stream, ...pieces) {
  let at = 0;
  let piece = 0;
  const source = new ReadableStream({
    pull(controller) {
      while (piece < pieces.length && at >= pieces[piece].length) [piece, at] = [piece + 1, 0];
      if (piece < pieces.length) controller.enqueue(pieces[piece].subarray(at, (at += 1 << 20)));
      else controller.close();
    },
  });
  return new Uint8Array(await new Response(source.pipeThrough(stream)).arrayBuffer());
}

/**
 * The gzip data `gzip` of `bytes` (their length `size`) as { crc, compressed }:
 * the CRC-32 its trailer holds and its raw deflate data; null when its
 * header is other than the plain ten bytes or its trailer's size not the
 * bytes', which are not relied on.
 */
function gunwrap(gzip, size) {
  const end = gzip.length - 8;
  const trailer = new DataView(gzip.buffer, gzip.byteOffset);
  if (end < 10 || gzip[3] !== 0 || trailer.getUint32(end + 4, true) !== size >>> 0) return null;
  return { crc: trailer.getUint32(end, true), compressed: gzip.subarray(10, end) };
}

/**
 * Deflates `bytes`: { crc, compressed }, their CRC-32 and raw deflate data.
 * Compressed as gzip, whose trailer holds the CRC-32 of what it compressed,
 * so the bytes are not read a second time for it; its deflate data are those
 * of 'deflate-raw'.
 */
async function deflate(bytes) {
  const wrapped = gunwrap(await through(new CompressionStream('gzip'), bytes), bytes.length);
  return wrapped ?? { crc: crc32(bytes), compressed: await through(new CompressionStream('deflate-raw'), bytes) };
}

/**
 * The deflating worker's code, given the engine's `instantiate`,
 * `partWriter` and `warmUp`: the first message hands it the compiled
 * engine; then each job's pieces come as { job, bytes }, deflated and
 * checked by the engine as they come; { job, end: true } asks for the job's
 * deflate data, answered by { job, done } (done: { size, crc, compressed }
 * as partWriter's finish gives them, and fault, as its check gives it), and
 * { job } alone drops it. One job at a time: a piece of another
 * job starts that one. Self-contained, as its text becomes a worker of its own.
 */
function deflatingWorker(instantiate, partWriter, warmUp) {
  let exports = null;
  let job = null;
  let writer = null;
  onmessage = ({ data }) => {
    if (data.module !== undefined) {
      exports = instantiate(data.module);
      warmUp(partWriter(exports));
      return;
    }
    if (data.job !== job) {
      job = data.job;
      writer = data.bytes === undefined && !data.end ? null : partWriter(exports);
    }
    if (writer === null) return;
    if (data.bytes !== undefined) {
      writer.write(data.bytes);
      writer.deflate();
      return;
    }
    const done = data.end ? { fault: writer.check(), ...writer.finish() } : null;
    writer = null;
    if (done !== null) postMessage({ job, done }, [done.compressed.buffer]);
  };
}

// The worker that deflates while this thread goes on: undefined until first
// asked for, null when none can start here (no Worker, as in node, or one
// refused or stopped); the jobs waiting for their data, by number.
let deflater;
const waiting = new Map();
let jobs = 0;

/**
 * The deflating worker, started on first use with the compiled engine
 * `module`; null when none can run.
 */
function deflatingThread(module) {
  if (deflater !== undefined) return deflater;
  deflater = null;
  try {
    const code = `(${deflatingWorker})(${instantiate}, ${partWriter}, ${warmUp})`;
    const url = URL.createObjectURL(new Blob([code], { type: 'text/javascript' }));
    deflater = new Worker(url);
    URL.revokeObjectURL(url);
    deflater.postMessage({ module });
  } catch {
    deflater = null;
    return null;
  }
  const thread = deflater;
  // A worker that fails is ended, and its fault goes no further than here:
  // the jobs waiting are deflated by the thread that asked for them instead.
  thread.onerror = thread.onmessageerror = (event) => {
    event.preventDefault?.();
    thread.terminate();
    if (deflater === thread) deflater = null;
    for (const settle of waiting.values()) settle(null);
    waiting.clear();
  };
  thread.onmessage = ({ data: { job, done } }) => {
    waiting.get(job)?.(done);
    waiting.delete(job);
  };
  return deflater;
}

/**
 * Starts the deflating worker with the compiled engine `module`, so that it
 * is ready when a part is written again; null when none can run here.
 */
export function startDeflating(module) {
  return deflatingThread(module);
}

/**
 * Starts a new entry's data, deflated and checked by the engine in a worker
 * of its own while the rest of the work goes on: { write(bytes), done(),
 * abort() }, write handing over its next bytes (taken: their buffer moves
 * to the worker), done() the Promise of { size, crc, compressed, fault }
 * for all of them (fault: why they are not well-formed XML, or null), or of
 * null when the worker stopped, and abort() dropping them. Null where
 * no worker runs (none started by startDeflating): the caller deflates.
 */
export function deflating() {
  const thread = deflater ?? null;
  if (thread === null) return null;
  const job = ++jobs;
  let size = 0;
  const post = (message, moved) => {
    if (deflater === thread) thread.postMessage({ job, ...message }, moved);
  };
  return {
    write(bytes) {
      size += bytes.length;
      post({ bytes }, [bytes.buffer]);
    },
    async done() {
      const done = deflater !== thread ? null : await new Promise((settle) => {
        waiting.set(job, settle);
        post({ end: true });
      });
      return done !== null && done.size === size ? done : null;
    },
    abort() {
      post({});
    },
  };
}

/**
 * Reads the directory of the zip archive `bytes`: { bytes, entries, centralOffset,
 * end }, each entry { name, flags, method, crc, compressedSize, size, offset,
 * dataOffset, central } (central: where its directory record lies), in the
 * directory's order. Throws a WorkbookError when the archive is not one the
 * page can write back unchanged.
 */
export function readZip(bytes) {
  const view = new DataView(bytes.buffer, bytes.byteOffset, bytes.byteLength);
  const u16 = (at) => view.getUint16(at, true);
  const u32 = (at) => view.getUint32(at, true);
  let end = -1;
  for (let at = bytes.length - 22; at >= Math.max(0, bytes.length - 22 - 0xffff); --at) {
    if (u32(at) === END && at + 22 + u16(at + 20) === bytes.length) {
      end = at;
      break;
    }
  }
  if (end < 0) throw new WorkbookError('it is not a zip archive, as .xlsx and .ods files are');
  if (end >= 20 && u32(end - 20) === ZIP64_LOCATOR) {
    throw zip64();
  }
  const count = u16(end + 10);
  const centralSize = u32(end + 12);
  const centralOffset = u32(end + 16);
  if (u16(end + 4) !== 0 || u16(end + 6) !== 0 || u16(end + 8) !== count) {
    throw new WorkbookError('it is a zip archive spread over several files');
  }
  if (count === 0xffff || centralSize === 0xffffffff || centralOffset === 0xffffffff) {
    throw zip64();
  }
  if (centralOffset + centralSize !== end) {
    throw new WorkbookError('its zip directory is not where it should be');
  }
  const decoder = new TextDecoder();
  const entries = [];
  let at = centralOffset;
  for (let i = 0; i < count; ++i) {
    if (at + 46 > end || u32(at) !== CENTRAL) throw damaged();
    const nameLength = u16(at + 28);
    const extraLength = u16(at + 30);
    const length = 46 + nameLength + extraLength + u16(at + 32);
    const entry = {
      name: decoder.decode(bytes.subarray(at + 46, at + 46 + nameLength)),
      flags: u16(at + 8),
      method: u16(at + 10),
      crc: u32(at + 16),
      compressedSize: u32(at + 20),
      size: u32(at + 24),
      offset: u32(at + 42),
      central: { at, length },
    };
    if (entry.flags & (ENCRYPTED | STRONG) || entry.method === 99) {
      throw new WorkbookError('it is encrypted (saved with a password)');
    }
    for (let x = at + 46 + nameLength; x + 4 <= at + 46 + nameLength + extraLength; x += 4 + u16(x + 2)) {
      if (u16(x) === 1) throw zip64();
    }
    if ([entry.compressedSize, entry.size, entry.offset].includes(0xffffffff) || u16(at + 34) === 0xffff) {
      throw zip64();
    }
    const local = entry.offset;
    if (local + 30 > centralOffset || u32(local) !== LOCAL ||
        decoder.decode(bytes.subarray(local + 30, local + 30 + u16(local + 26))) !== entry.name) {
      throw damaged(entry);
    }
    entry.dataOffset = local + 30 + u16(local + 26) + u16(local + 28);
    if (entry.dataOffset + entry.compressedSize > centralOffset) {
      throw damaged(entry);
    }
    entries.push(entry);
    at += length;
  }
  if (at !== end) throw damaged();
  return { bytes, entries, centralOffset, end };
}

/** The entry named `name` of `zip`, or undefined. */
export function zipEntry(zip, name) {
  return zip.entries.find((entry) => entry.name === name);
}

/** The uncompressed bytes of `entry`, checked against its CRC-32. */
export async function unzipEntry(zip, entry) {
  const data = zip.bytes.subarray(entry.dataOffset, entry.dataOffset + entry.compressedSize);
  let bytes;
  if (entry.method === 0) bytes = data;
  else if (entry.method === 8) {
    try {
      // Inflated as gzip, the entry's data between a plain gzip header and a
      // trailer of its CRC-32 and size: the stream checks both as it inflates,
      // so the bytes are not read a second time for their CRC.
      const trailer = new DataView(new ArrayBuffer(8));
      trailer.setUint32(0, entry.crc, true);
      trailer.setUint32(4, entry.size, true);
      const header = Uint8Array.of(0x1f, 0x8b, 8, 0, 0, 0, 0, 0, 0, 255);
      bytes = await through(new DecompressionStream('gzip'), header, data, new Uint8Array(trailer.buffer));
    } catch {
      throw damaged(entry);
    }
  } else throw new WorkbookError(`its zip entry ${entry.name} is compressed in a way the page does not read`);
  if (bytes.length !== entry.size || (entry.method === 0 && crc32(bytes) !== entry.crc)) {
    throw damaged(entry);
  }
  return bytes;
}

/** `pieces` of bytes one after the other, in one array. */
export function joinBytes(pieces) {
  const bytes = new Uint8Array(pieces.reduce((size, piece) => size + piece.length, 0));
  let at = 0;
  for (const piece of pieces) {
    bytes.set(piece, at);
    at += piece.length;
  }
  return bytes;
}

/**
 * The archive `zip` again with the entries named in `replaced` (a Map from
 * name to new uncompressed bytes, or for a deflated entry to what a
 * deflating() of them gave) replaced, compressed as they were (stored or
 * deflated), in their places. Every other byte before the directory is
 * copied; the directory's records are copied with new offsets, and the
 * replaced entries' sizes and CRC-32.
 */
export async function rewriteZip(zip, replaced) {
  const { bytes } = zip;
  const byOffset = [...zip.entries].sort((a, b) => a.offset - b.offset);
  const parts = [];
  // Each entry -> { offset, crc, compressedSize, size } in the new archive.
  const moved = new Map();
  let copiedFrom = 0;
  let length = 0;
  const add = (part) => {
    parts.push(part);
    length += part.length;
  };
  for (let i = 0; i < byOffset.length; ++i) {
    const entry = byOffset[i];
    const next = i + 1 < byOffset.length ? byOffset[i + 1].offset : zip.centralOffset;
    const data = replaced.get(entry.name);
    if (data === undefined) {
      moved.set(entry, { offset: length + entry.offset - copiedFrom });
      continue;
    }
    add(bytes.subarray(copiedFrom, entry.offset));
    const { size = data.length, crc, compressed } = !(data instanceof Uint8Array) ? data
      : entry.method === 0 ? { crc: crc32(data), compressed: data } : await deflate(data);
    const nameAndExtra = bytes.subarray(entry.offset + 30, entry.dataOffset);
    const header = new Uint8Array(30);
    header.set(bytes.subarray(entry.offset, entry.offset + 30));
    const view = new DataView(header.buffer);
    view.setUint16(6, entry.flags & ~DESCRIPTOR, true);
    view.setUint16(8, entry.method === 0 ? 0 : 8, true);
    view.setUint32(14, crc, true);
    view.setUint32(18, compressed.length, true);
    view.setUint32(22, size, true);
    moved.set(entry, { offset: length, crc, compressedSize: compressed.length, size });
    add(header);
    add(nameAndExtra);
    add(compressed);
    // A data descriptor after the old data goes with it.
    copiedFrom = next;
  }
  add(bytes.subarray(copiedFrom, zip.centralOffset));
  const centralOffset = length;
  for (const entry of zip.entries) {
    const record = bytes.slice(entry.central.at, entry.central.at + entry.central.length);
    const view = new DataView(record.buffer);
    const now = moved.get(entry);
    view.setUint32(42, now.offset, true);
    if (now.crc !== undefined) {
      view.setUint16(8, entry.flags & ~DESCRIPTOR, true);
      view.setUint16(10, entry.method === 0 ? 0 : 8, true);
      view.setUint32(16, now.crc, true);
      view.setUint32(20, now.compressedSize, true);
      view.setUint32(24, now.size, true);
    }
    add(record);
  }
  const end = bytes.slice(zip.end);
  const view = new DataView(end.buffer);
  view.setUint32(12, length - centralOffset, true);
  view.setUint32(16, centralOffset, true);
  add(end);
  if (length > 0xfffffffe) throw new WorkbookError('the converted workbook would need zip64');
  return joinBytes(parts);
}
