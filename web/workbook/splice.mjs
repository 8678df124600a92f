// A part's new text made by splicing: ranges of its old text kept as they
// are, and new text between them. The pieces are joined a few thousand at a
// time, so that a part of a hundred thousand rows is held as a few hundred
// strings rather than as a string or a range for every cell. A Splice that
// hands its text to a sink, over an old text that is its bytes' ASCII, joins
// and encodes only the new text: kept ranges are copied from the old bytes
// into the buffers of a fixed size it hands over.

/** How many pieces are joined into one string at a time. */
const BATCH = 4096;

/** How many bytes a sink is handed at a time when kept ranges are copied as bytes. */
export const BYTES = 1 << 19;

// Ranges of old bytes shorter than this are copied byte by byte: a view and
// a set cost more than the loop for them.
const SHORT_COPY = 32;

const encoder = new TextEncoder();

// Where the Splices that spliceInto's `make` starts hand their new text.
let nextSink = null;

/**
 * What `make()` gives, each Splice it starts handing its new text to `sink`
 * while it is made, a few thousand pieces or BYTES bytes at a time, as a
 * fresh Uint8Array of UTF-8 (the sink may keep or transfer it) and the number
 * of characters it is, so that the bytes can be deflated meanwhile.
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
  /**
   * Starts the new text of `text` (the old text), at its start; `bytes`, if
   * given, the UTF-8 the old text was decoded from.
   */
  constructor(text, bytes = null) {
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
    // False once a joined string (or, copying bytes, a run of new text
    // between kept ranges) holds half of a UTF-16 pair alone, which no UTF-8
    // stands for: encoded, it would become U+FFFD unseen.
    this.wellFormed = true;
    // Kept ranges are copied as bytes when there is a sink and each of the
    // old text's characters is one byte (ASCII), so that a character's place
    // in the old text is its byte's place in `bytes`.
    this.bytes = this.sink !== null && bytes !== null && bytes.length === text.length ? bytes : null;
    if (this.bytes !== null) {
      // The batch since the last join, in order: a kept range as its two
      // ends, a run of new text (of the pieces) as -1 and its length; the
      // run going on is added to it when a range or the join ends it.
      this.plan = [];
      this.run = 0;
      // The buffer being filled, how far, and how many characters that is.
      this.buffer = new Uint8Array(BYTES);
      this.filled = 0;
      this.characters = 0;
      // The new text's length handed over before the buffer.
      this.length = 0;
      // Where the joined new text is encoded when it is ASCII.
      this.scratch = new Uint8Array(0);
      // Each batch's joined new text and plan, so that text() can still make
      // the new text as a string.
      this.log = [];
    }
  }

  /** Joins the pieces since the last join into one string. */
  join() {
    const joined = this.pieces.join('');
    this.pieces.length = 0;
    if (this.bytes !== null) {
      this.endRun();
      this.writePlan(joined);
      return;
    }
    this.joined.push(joined);
    if (this.wellFormed && joined.isWellFormed?.() === false) this.wellFormed = false;
    if (this.sink !== null && joined !== '') this.sink(utf8(joined), joined.length);
  }

  /**
   * Writes the batch's plan, `joined` its new text, into the buffers: kept
   * ranges from the old bytes, new text from its encoding, or, when it is not
   * ASCII, encoded run by run.
   */
  writePlan(joined) {
    const { plan } = this;
    this.plan = [];
    this.log.push(joined, plan);
    if (this.scratch.length < joined.length) this.scratch = new Uint8Array(Math.max(joined.length, 2 * this.scratch.length));
    const { read, written } = encoder.encodeInto(joined, this.scratch);
    const ascii = read === joined.length && written === joined.length;
    for (let i = 0, at = 0; i < plan.length; i += 2) {
      if (plan[i] >= 0) this.writeBytes(this.bytes, plan[i], plan[i + 1]);
      else if (ascii) this.writeBytes(this.scratch, at, (at += plan[i + 1]));
      else this.writeText(joined.slice(at, (at += plan[i + 1])));
    }
  }

  /** Hands the sink the buffer's bytes so far, and starts a fresh buffer. */
  flush() {
    if (this.filled === 0) return;
    // A full buffer is handed over itself; a part of one, as a copy.
    let bytes = this.buffer;
    if (this.filled === BYTES) this.buffer = new Uint8Array(BYTES);
    else bytes = bytes.slice(0, this.filled);
    const characters = this.characters;
    this.filled = 0;
    this.characters = 0;
    this.length += characters;
    this.sink(bytes, characters);
  }

  /** Writes `source` (ASCII, a byte a character) from `from` to `to` into the buffers. */
  writeBytes(source, from, to) {
    while (from < to) {
      if (this.filled === BYTES) this.flush();
      const buffer = this.buffer;
      const count = Math.min(to - from, BYTES - this.filled);
      if (count < SHORT_COPY) {
        for (let i = 0, at = this.filled; i < count; ++i) buffer[at + i] = source[from + i];
      } else {
        buffer.set(source.subarray(from, from + count), this.filled);
      }
      this.filled += count;
      this.characters += count;
      from += count;
    }
  }

  /** Writes `text` into the buffers as UTF-8, each buffer whole characters. */
  writeText(text) {
    if (this.wellFormed && text.isWellFormed?.() === false) this.wellFormed = false;
    for (let from = 0; from < text.length; ) {
      if (BYTES - this.filled < 4) this.flush();
      const { read, written } = encoder.encodeInto(from === 0 ? text : text.slice(from), this.buffer.subarray(this.filled));
      this.filled += written;
      this.characters += read;
      from += read;
    }
  }

  /** Adds the run of new text going on, if any, to the plan. */
  endRun() {
    if (this.run === 0) return;
    this.plan.push(-1, this.run);
    this.run = 0;
  }

  /** Adds a piece of the new text. */
  push(piece) {
    this.pieces.push(piece);
    if (this.pieces.length === BATCH) this.join();
  }

  /** Adds the old text from `from` to `to`. */
  copy(from, to) {
    // No further than the old text's end, where its slice stops too: copied
    // as bytes, a range past it would count bytes the old text lacks.
    to = Math.min(to, this.old.length);
    if (to <= from) return;
    this.copied = this.copied === from ? to : -1;
    if (this.bytes === null) {
      this.push(this.old.slice(from, to));
      return;
    }
    this.endRun();
    const { plan } = this;
    // A range that goes on from the last one lengthens it: a row kept whole
    // is often copied as its start tag, its cells and its end.
    if (plan.length > 0 && plan[plan.length - 1] === from && plan[plan.length - 2] >= 0) plan[plan.length - 1] = to;
    else plan.push(from, to);
    if (plan.length >= 2 * BATCH) this.join();
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
    if (this.bytes !== null) this.run += text.length;
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
    if (this.bytes === null) return this.joined.reduce((length, joined) => length + joined.length, 0);
    this.flush();
    return this.length;
  }

  /** The new text, the old text's rest (from the last keep or skip) kept. */
  text() {
    this.finish();
    if (this.bytes !== null) {
      const pieces = [];
      for (let k = 0; k < this.log.length; k += 2) {
        const joined = this.log[k];
        const plan = this.log[k + 1];
        for (let i = 0, at = 0; i < plan.length; i += 2) {
          pieces.push(plan[i] >= 0 ? this.old.slice(plan[i], plan[i + 1]) : joined.slice(at, (at += plan[i + 1])));
        }
      }
      return pieces.join('');
    }
    const text = this.joined.join('');
    this.joined = [text];
    return text;
  }
}
