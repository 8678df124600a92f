// A part's new text made by splicing: ranges of its old text kept as they
// are, and new text between them. As bytes, the kept ranges are the old
// part's own bytes, so that only the new text is encoded and nothing of the
// old is copied through a string.

const encoder = new TextEncoder();

export class Splice {
  /** Starts the new text of `text` (the old text), at its start. */
  constructor(text) {
    this.old = text;
    this.pieces = []; // Strings, and [from, to] ranges of the old text.
    this.at = 0;
  }

  /** Adds the old text from `from` to `to`. */
  copy(from, to) {
    if (to <= from) return;
    const last = this.pieces[this.pieces.length - 1];
    if (Array.isArray(last) && last[1] === from) last[1] = to;
    else this.pieces.push([from, to]);
  }

  /** Adds the old text from where the last keep or skip stopped up to `to`. */
  keep(to) {
    this.copy(this.at, to);
    this.at = Math.max(this.at, to);
  }

  /** Leaves out the old text up to `to`. */
  skip(to) {
    this.at = to;
  }

  /** Adds new text. */
  add(text) {
    if (text === '') return;
    const last = this.pieces.length - 1;
    if (typeof this.pieces[last] === 'string' && this.pieces[last].length < 4096) this.pieces[last] += text;
    else this.pieces.push(text);
  }

  /** True when the new text is the old one, kept whole. */
  unchanged() {
    this.keep(this.old.length);
    return this.pieces.length === 0 || (this.pieces.length === 1 && this.pieces[0][0] === 0 && this.pieces[0][1] === this.old.length);
  }

  /** The new text, the old text's rest (from the last keep or skip) kept. */
  text() {
    this.keep(this.old.length);
    return this.pieces.map((piece) => (typeof piece === 'string' ? piece : this.old.slice(piece[0], piece[1]))).join('');
  }

  /** The new text as UTF-8 pieces, the old text's rest kept: `bytes` are the old text's. */
  bytes(bytes) {
    this.keep(this.old.length);
    const old = this.old;
    const ascii = bytes.length === old.length;
    // Where each offset of the old text lies in its bytes, counted on from the last one asked.
    let char = 0;
    let byte = 0;
    const byteAt = (to) => {
      if (ascii) return to;
      if (to < char) char = byte = 0;
      for (; char < to; ++char) {
        const c = old.charCodeAt(char);
        if (c < 0x80) byte += 1;
        else if (c < 0x800) byte += 2;
        else if (c >= 0xd800 && c < 0xdc00 && char + 1 < old.length) {
          byte += 4;
          ++char;
        } else byte += 3;
      }
      return byte;
    };
    // The new text encoded at once (a call per piece costs more than the
    // encoding), then parted again.
    const added = this.pieces.filter((piece) => typeof piece === 'string');
    const encoded = encoder.encode(added.join(''));
    const addedAscii = encoded.length === added.reduce((n, piece) => n + piece.length, 0);
    let next = 0;
    return this.pieces.map((piece) => {
      if (typeof piece === 'string') {
        const length = addedAscii ? piece.length : encoder.encode(piece).length;
        next += length;
        return encoded.subarray(next - length, next);
      }
      const from = byteAt(piece[0]);
      return bytes.subarray(from, byteAt(piece[1]));
    });
  }
}
