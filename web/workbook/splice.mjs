// A part's new text made by splicing: ranges of its old text kept as they
// are, and new text between them.

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
}
