import assert from 'node:assert/strict';
import { test } from 'node:test';
import { crc32 } from './crc32.mjs';

test('CRC-32 of known texts, whole and in pieces', () => {
  const bytes = (text) => new TextEncoder().encode(text);
  for (const [text, crc] of [
    ['', 0],
    ['a', 0xe8b7be43],
    ['123456789', 0xcbf43926],
    ['The quick brown fox jumps over the lazy dog', 0x414fa339],
  ]) {
    assert.equal(crc32(bytes(text)), crc, text);
    const half = Math.floor(text.length / 2);
    assert.equal(crc32(bytes(text.slice(half)), crc32(bytes(text.slice(0, half)))), crc, text);
  }
  assert.equal(crc32(new Uint8Array(256).map((_, i) => i)), 0x29058c73);
});
