// A part's new text made by splicing: ranges of its old text kept as they
// are, and new text between them. The pieces are joined a few thousand at a
// time, so that a part of a hundred thousand rows is held as a few hundred
// strings rather than as a string or a range for every cell.

/** How many pieces are joined into one string at a time. */
const BATCH = 4096;

const encoder = new TextEncoder();

// Where the Splices that spliceInto's `make` starts hand their new text.
let nextSink = null;

/**
 * What `make()` gives, each Splice it starts handing its new text to `sink`
 * while it is made, a few thousand pieces at a time, as UTF-8 bytes and the
 * number of characters they are, so that the bytes can be deflated meanwhile.
 */
export function spliceInto(sink, make) {
  nextSink = sink;
  try {
    return make();
  } finally {
    nextSink = null;
  }
}

/** `text` as UTF-8: written straight into as many bytes as it has characters when all are ASCII, as a part's mostly are. */
export function utf8(text) {
  const bytes = new Uint8Array(text.length);
  return encoder.encodeInto(text, bytes).read === text.length ? bytes : encoder.encode(text);
}

export class Splice {
  /** Starts the new text of `text` (the old text), at its start. */
  constructor(text) {
    this.old = text;
    // The new text so far, in strings of many pieces.
    this.joined = [];
    // The pieces since, not joined yet.
    this.pieces = [];
    this.at = 0;
    // Where the old text copied so far ends, while the new text is only the
    // old from its start (-1 once it is not).
    this.copied = 0;
    // Where each joined string goes as bytes too, or null.
    this.sink = nextSink;
    // False once a joined string holds half of a UTF-16 pair alone, which
    // no UTF-8 stands for: encoded, it would become U+FFFD unseen.
    this.wellFormed = true;
  }

  /** Joins the pieces since the last join into one string. */
  join() {
    const joined = this.pieces.join('');
    this.pieces.length = 0;
    this.joined.push(joined);
    if (this.wellFormed && joined.isWellFormed?.() === false) this.wellFormed = false;
    if (this.sink !== null && joined !== '') this.sink(utf8(joined), joined.length);
  }

  /** Adds a piece of the new text. */
  push(piece) {
    this.pieces.push(piece);
    if (this.pieces.length === BATCH) this.join();
  }

  /** Adds the old text from `from` to `to`. */
  copy(from, to) {
    if (to <= from) return;
    this.copied = this.copied === from ? to : -1;
    this.push(this.old.slice(from, to));
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
    this.copied = -1;
    this.push(text);
  }

  /** True when the new text is the old one, kept whole. */
  unchanged() {
    this.keep(this.old.length);
    return this.copied === this.old.length;
  }

  /**
   * The new text's length in characters, the old text's rest (from the last
   * keep or skip) kept and every piece joined, and so handed over where the
   * Splice has a sink: the text itself need not be made.
   */
  finish() {
    this.keep(this.old.length);
    this.join();
    return this.joined.reduce((length, joined) => length + joined.length, 0);
  }

  /** The new text, the old text's rest (from the last keep or skip) kept. */
  text() {
    this.finish();
    const text = this.joined.join('');
    this.joined = [text];
    return text;
  }
}
