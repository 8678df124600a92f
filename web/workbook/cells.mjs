// Cell names: a column's letters ("A", "AB") and a cell's name ("C5").

/** The letters of column `column` (from 0). */
export function columnLetters(column) {
  let letters = '';
  for (let n = column + 1; n > 0; n = Math.floor((n - 1) / 26)) letters = String.fromCharCode(65 + ((n - 1) % 26)) + letters;
  return letters;
}

/** The column (from 0) that a cell's name ("AB12") or a column's letters name, or -1. */
export function columnOf(name) {
  let column = 0;
  let i = 0;
  for (; i < name.length; ++i) {
    const c = name.charCodeAt(i) | 32;
    if (c < 97 || c > 122) break;
    column = column * 26 + (c - 96);
  }
  return i === 0 ? -1 : column - 1;
}

/** The row (from 1) of a cell's name ("AB12"), or 0 when it names none. */
export function rowOf(name) {
  const m = /\d+$/.exec(name);
  return m === null ? 0 : Number(m[0]);
}
