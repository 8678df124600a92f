// CRC-32 (the polynomial zip archives check their entries with), eight bytes
// at a time ("slicing by eight"): a workbook's sheet may be a hundred megabytes.

const TABLES = (() => {
  const tables = new Uint32Array(8 * 256);
  for (let n = 0; n < 256; ++n) {
    let c = n;
    for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
    tables[n] = c >>> 0;
  }
  for (let n = 0; n < 256; ++n) {
    for (let t = 1; t < 8; ++t) {
      const c = tables[(t - 1) * 256 + n];
      tables[t * 256 + n] = tables[c & 0xff] ^ (c >>> 8);
    }
  }
  return tables;
})();

/** The CRC-32 of `bytes`, continuing from `crc` (that of the bytes before them). */
export function crc32(bytes, crc = 0) {
  const t = TABLES;
  let c = ~crc >>> 0;
  let i = 0;
  for (const end = bytes.length - 8; i <= end; i += 8) {
    const a = (c ^ (bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (bytes[i + 3] << 24))) >>> 0;
    c = t[1792 + (a & 0xff)] ^ t[1536 + ((a >>> 8) & 0xff)] ^ t[1280 + ((a >>> 16) & 0xff)] ^ t[1024 + (a >>> 24)] ^
      t[768 + bytes[i + 4]] ^ t[512 + bytes[i + 5]] ^ t[256 + bytes[i + 6]] ^ t[bytes[i + 7]];
  }
  for (; i < bytes.length; ++i) c = t[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
  return ~c >>> 0;
}
