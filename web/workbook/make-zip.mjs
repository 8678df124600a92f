// A zip archive written field by field for the workbook tests, so that an
// archive of any shape (stored or deflated entries, data descriptors, extra
// fields, flags, a comment) can be read by the page's own zip reader.

import zlib from 'node:zlib';
import { crc32 } from './crc32.mjs';

/**
 * A zip archive of `files` ([name, text, { stored, descriptor, extra, flags }]),
 * written here field by field; `comment` after its directory.
 */
export function makeZip(files, comment = '') {
  const locals = [];
  const centrals = [];
  let offset = 0;
  for (const [name, content, options = {}] of files) {
    const data = Buffer.from(content);
    const compressed = options.stored ? data : zlib.deflateRawSync(data);
    const nameBytes = Buffer.from(name);
    const extra = options.extra ?? Buffer.alloc(0);
    const flags = (options.descriptor ? 8 : 0) | (options.flags ?? 0);
    const fields = (header, at) => {
      header.writeUInt16LE(20, at);
      header.writeUInt16LE(flags, at + 2);
      header.writeUInt16LE(options.stored ? 0 : 8, at + 4);
      header.writeUInt16LE(0x6000, at + 6);
      header.writeUInt16LE(0x5a21, at + 8);
    };
    const local = Buffer.alloc(30);
    local.writeUInt32LE(0x04034b50, 0);
    fields(local, 4);
    if (!options.descriptor) {
      local.writeUInt32LE(crc32(data), 14);
      local.writeUInt32LE(compressed.length, 18);
      local.writeUInt32LE(data.length, 22);
    }
    local.writeUInt16LE(nameBytes.length, 26);
    local.writeUInt16LE(extra.length, 28);
    const descriptor = Buffer.alloc(options.descriptor ? 16 : 0);
    if (options.descriptor) {
      descriptor.writeUInt32LE(0x08074b50, 0);
      descriptor.writeUInt32LE(crc32(data), 4);
      descriptor.writeUInt32LE(compressed.length, 8);
      descriptor.writeUInt32LE(data.length, 12);
    }
    const central = Buffer.alloc(46);
    central.writeUInt32LE(0x02014b50, 0);
    central.writeUInt16LE(0x031e, 4);
    fields(central, 6);
    central.writeUInt32LE(crc32(data), 16);
    central.writeUInt32LE(compressed.length, 20);
    central.writeUInt32LE(data.length, 24);
    central.writeUInt16LE(nameBytes.length, 28);
    central.writeUInt16LE(extra.length, 30);
    central.writeUInt32LE(offset, 42);
    const entry = Buffer.concat([local, nameBytes, extra, compressed, descriptor]);
    locals.push(entry);
    centrals.push(Buffer.concat([central, nameBytes, extra]));
    offset += entry.length;
  }
  const directory = Buffer.concat(centrals);
  const end = Buffer.alloc(22);
  end.writeUInt32LE(0x06054b50, 0);
  end.writeUInt16LE(files.length, 8);
  end.writeUInt16LE(files.length, 10);
  end.writeUInt32LE(directory.length, 12);
  end.writeUInt32LE(offset, 16);
  end.writeUInt16LE(Buffer.byteLength(comment), 20);
  return new Uint8Array(Buffer.concat([...locals, directory, end, Buffer.from(comment)]));
}

