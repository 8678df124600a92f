// The page's engine: the project's C++ compiled to WebAssembly, and small
// wrappers that move text in and out of its memory. Every rule, table and
// sentence lives in the C++; this file only carries bytes.

/** The directions, as the module numbers them. */
export const NE_TO_AM = 0;
export const AM_TO_NE = 1;

/** What the text of the number box is (wasm::LookupStatus). */
export const CONVERTED = 0;
export const OUTSIDE = 1;
export const NOT_A_NUMBER = 2;
export const EMPTY = 3;
export const SPAN = 4;
export const SPAN_NOT_CONVERTED = 5;

/** A value missing from a typed added column (wasm::kMissing). */
export const MISSING = -(2 ** 31);

/** The list formats (wasm::ListFormat). */
export const TSV = 0;
export const CSV = 1;

/** How a paste was read (wasm::PasteReading). */
export const PASTE_EMPTY = 0;
export const PASTE_LIST = 1;
export const PASTE_LINES = 2;
export const PASTE_ASK = 3;
export const PASTE_TABLE = 4;

/** How the user chose to read a paste that mixes them (wasm::PasteChoice). */
export const CHOOSE_NONE = 0;
export const CHOOSE_LIST = 1;
export const CHOOSE_COLUMN = 2;

const encoder = new TextEncoder();
const decoder = new TextDecoder();
const strictDecoder = new TextDecoder('utf-8', { fatal: true });
const windows1252 = new TextDecoder('windows-1252');
const ELLIPSIS = '\u2026\n';
/** A number as a workbook stores it: decimal digits, a point, an exponent. */
const PLAIN_NUMBER = /^[+-]?(?:\d+\.?\d*|\.\d+)(?:[eE][+-]?\d+)?$/;

/**
 * A file's preview as text: UTF-8, or else Windows-1252 (the 8-bit encoding
 * spreadsheets write, Latin-1's printable characters among it), with the
 * engine's own "…" line after a cut kept.
 */
function previewText(bytes) {
  const cut = encoder.encode(ELLIPSIS);
  const ends = bytes.length >= cut.length && cut.every((b, i) => bytes[bytes.length - cut.length + i] === b);
  const body = ends ? bytes.subarray(0, bytes.length - cut.length) : bytes;
  let text;
  try {
    text = strictDecoder.decode(body);
  } catch {
    text = windows1252.decode(body);
  }
  return ends ? text + ELLIPSIS : text;
}

/** Decodes base64 text of gzipped bytes (as the page holds its module) into the bytes. */
async function inflateBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  const inflated = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'));
  return new Uint8Array(await new Response(inflated).arrayBuffer());
}

/**
 * An instance of the compiled engine `module`, started: its exports.
 * Functions the C library imports from WASI are only reached on a fatal
 * error, so they stop the call with an error naming themselves. Refers to
 * nothing outside itself, so that a worker's source can hold its text.
 */
export function instantiate(module) {
  const imports = {};
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    imports[from] ??= {};
    imports[from][name] = () => {
      throw new Error(`the engine stopped (${name})`);
    };
  }
  const x = new WebAssembly.Instance(module, imports).exports;
  x._initialize();
  return x;
}

/**
 * A writer of one workbook part into the engine whose exports are `x`,
 * dropping any part written before: write(bytes) adds a piece, clear()
 * drops the part written so far, deflate() deflates and checks what of the
 * part can be so far, finish() ends the deflate data and gives { size, crc,
 * compressed } (the part's length and CRC-32, and its raw deflate data),
 * check() checks the rest and says why the part is not well-formed XML, or
 * null. Refers to nothing outside itself, as instantiate.
 */
export function partWriter(x) {
  x.varve_part_clear();
  return {
    write(bytes) {
      const at = x.varve_part_space(bytes.length);
      // Read after the call: making room may have grown the memory.
      new Uint8Array(x.memory.buffer, at, bytes.length).set(bytes);
    },
    deflate() {
      x.varve_part_deflate();
    },
    finish() {
      const crc = x.varve_part_finish() >>> 0;
      const compressed = new Uint8Array(x.memory.buffer, x.varve_text(0), x.varve_text_size(0)).slice();
      return { size: x.varve_part_size() >>> 0, crc, compressed };
    },
    clear() {
      x.varve_part_clear();
    },
    check() {
      if (x.varve_part_check() !== 1) return null;
      return new TextDecoder().decode(new Uint8Array(x.memory.buffer, x.varve_text(0), x.varve_text_size(0)));
    },
  };
}

/**
 * Runs the part writer `writer` (partWriter's) over a small workbook part of
 * its own, checked and deflated, and drops it: the engine's compiler then
 * optimises those functions before a real part comes, rather than running
 * the first one's check, a single call over the whole part, unoptimised.
 * Refers to nothing outside itself, as instantiate.
 */
export function warmUp(writer) {
  let rows = '<?xml version="1.0" encoding="UTF-8"?><sheet xmlns="urn:x" xmlns:t="urn:t"><data>';
  for (let i = 1; i <= 3000; ++i) {
    rows += `<row r="${i}"><c r="A${i}" t="s"><v>${i % 97}</v></c><c r="B${i}"><v>${(i * 7919) % 6700}</v></c>` +
      `<t:cell t:kind="text"><t:p>LC &amp; ${i}</t:p></t:cell></row>`;
  }
  const bytes = new TextEncoder().encode(`${rows}</data></sheet>`);
  for (let at = 0; at < bytes.length; at += 65536) {
    writer.write(bytes.subarray(at, at + 65536));
    writer.deflate();
  }
  writer.check();
  writer.finish();
  writer.clear();
}

/**
 * Starts the module, compiled already or compiled here from its bytes (or
 * base64 text of its gzipped bytes).
 */
export async function loadEngine(wasm) {
  // Compiled at once rather than in tasks: the module is small, and the page
  // takes input sooner on a busy machine.
  const module = wasm instanceof WebAssembly.Module
    ? wasm
    : new WebAssembly.Module(typeof wasm === 'string' ? await inflateBase64(wasm) : wasm);
  const x = instantiate(module);

  const put = (text) => {
    const bytes = typeof text === 'string' ? encoder.encode(text) : text;
    const at = x.varve_input(bytes.length);
    new Uint8Array(x.memory.buffer, at, bytes.length).set(bytes);
  };
  const bytesOf = (i) => new Uint8Array(x.memory.buffer, x.varve_text(i), x.varve_text_size(i));
  const text = (i) => decoder.decode(bytesOf(i));
  const lines = (i) => text(i).split('\n').slice(0, -1);
  /**
   * Puts workbook cells, given as [name, code] pairs with code '' (empty),
   * 'n' and the number the cell stores as its file writes it, or 't' and its
   * text, as the engine reads them: the name, a tab, the code's letter (and
   * for a number the double it is), the text, and NUL. Written byte by byte
   * while the texts are ASCII, as cells' names and numbers are: a hundred
   * thousand cells are not a hundred thousand encoder calls.
   */
  const putCells = (cells) => {
    let size = 0;
    for (const [name, code] of cells) size += (name.length + code.length) * 3 + 11;
    const bytes = new Uint8Array(size);
    const view = new DataView(bytes.buffer);
    let at = 0;
    // Writes `text` from its character `from` on as UTF-8, advancing `at`.
    const write = (text, from) => {
      for (let i = from; i < text.length; ++i) {
        const c = text.charCodeAt(i);
        if (c >= 0x80) {
          at += encoder.encodeInto(text.slice(i), bytes.subarray(at)).written;
          return;
        }
        bytes[at++] = c;
      }
    };
    for (const [name, code] of cells) {
      write(name, 0);
      bytes[at++] = 9;
      if (code !== '') {
        bytes[at++] = code.charCodeAt(0);
        if (code[0] === 'n') {
          // Read as the double it is, correctly rounded as C's strtod reads it;
          // what is no plain decimal number is given as an infinity: no number.
          const number = code.slice(1);
          view.setFloat64(at, PLAIN_NUMBER.test(number) ? Number(number) : Infinity, true);
          at += 8;
        }
        write(code, 1);
      }
      bytes[at++] = 0;
    }
    put(bytes.subarray(0, at));
  };
  /** The typed added columns of the last call, `count` values each: an Int32Array each. */
  const typedColumns = (count) => {
    const all = new Int32Array(bytesOf(0).slice().buffer);
    const columns = [];
    for (let at = 0; at < all.length; at += count) columns.push(all.subarray(at, at + count));
    return columns;
  };
  // The directions' names, indexed by direction, as the engine spells them.
  const names = [NE_TO_AM, AM_TO_NE].map((direction) => {
    x.varve_direction_name(direction);
    return text(0);
  });

  return {
    /** The compiled module, for a worker to start an engine of its own. */
    module,
    /** A new writer of one workbook part into this engine (see partWriter); the part before is dropped. */
    part() {
      return partWriter(x);
    },
    /** The name of `direction` as varve-batch takes it: "ne-to-am" or "am-to-ne". */
    directionName(direction) {
      return names[direction];
    },
    /** The direction named `name`, or undefined when it names none. */
    directionNamed(name) {
      const direction = names.indexOf(name);
      return direction < 0 ? undefined : direction;
    },
    /** The correspondence tables built in: "correspondence tables revision NAME, checksum 0123abcd". */
    tablesIdentity() {
      x.varve_tables_identity();
      return text(0);
    },
    /**
     * Converts the texts of the number boxes, `typed` and the span's `last`
     * number (each read by the cell rule): { status, records, rows } when
     * converted (rows as objects of varve-batch's columns), { status, message,
     * ranges } when outside, { status, message } when not a number, else
     * { status }. A span converted gives its account as the records, with
     * span its [first, last]; a span not converted, { status, message, span }.
     */
    lookup(direction, typed, last = '') {
      put(last === '' ? typed : `${typed}\0${last}`);
      const status = x.varve_lookup(direction);
      const rows = () => lines(1).map((line) => JSON.parse(line));
      const span = () => text(2).split(' ').map(Number);
      if (status === CONVERTED) return { status, records: lines(0), rows: rows() };
      if (status === SPAN) return { status, records: lines(0), rows: rows(), span: span() };
      if (status === SPAN_NOT_CONVERTED) return { status, message: text(0), span: span() };
      if (status === OUTSIDE) return { status, message: text(0), ranges: lines(1) };
      if (status === NOT_A_NUMBER) return { status, message: text(0) };
      return { status };
    },
    /**
     * Converts a paste as what it is: as lines (one row per line) when no line
     * holds more than one value, as a list of tokens when every line that holds
     * anything holds several; a paste that mixes them only as `choice` says
     * (reading PASTE_ASK, nothing converted, without one), and a table of
     * tab-separated cells not at all (PASTE_TABLE). Gives { reading, bytes, bad,
     * reports, firstOne, firstSeveral, quoted }, with bytes the rows and their
     * header as UTF-8 (left undecoded: a long list gives megabytes, and the page
     * decodes only the rows it shows), bad true when a token was skipped or a
     * line was not a whole number, reports the messages on the paste, firstOne
     * and firstSeveral the first lines holding one and several values (0: none),
     * and quoted true when a quoted cell with a line break was read as one line.
     */
    convertPaste(direction, paste, format, choice = CHOOSE_NONE) {
      put(paste);
      const outcome = x.varve_convert_paste(direction, format, choice);
      const [firstOne, firstSeveral, quoted] = text(2).split(' ').map(Number);
      return {
        reading: outcome & 7, bytes: bytesOf(0).slice(), bad: (outcome & 8) !== 0, reports: lines(1),
        firstOne, firstSeveral, quoted: quoted === 1,
      };
    },
    /**
     * Row `headerRow` (from 1) of a file (its bytes), as the column mode reads it:
     * { cells, suggested } with suggested the numbers (from 1) of the cells
     * that name varve numbers, or { error } when the file's encoding is not read.
     */
    firstRow(file, headerRow = 1) {
      put(file);
      const count = x.varve_first_row(headerRow);
      if (count < 0) return { error: text(1) };
      return { cells: lines(0).slice(0, count), suggested: new Set(lines(2).map(Number)) };
    },
    /**
     * Converts column `column` (from 1) of a file as varve-batch's column mode,
     * its header row `headerRow` (from 1; 0 for none), a column of a converted
     * file under names of its own; with `otherEnd` (from 1), the two columns
     * as the ends of an interval in each row, as --span-columns converts them:
     * { bytes, outcome, reports, preview }, bytes the whole file with the added
     * columns in the file's own encoding, outcome 0, 1 (cells that are not
     * whole numbers) or 2 (stopped by a fault), preview its first lines as text
     * (read as Windows-1252 when they are not UTF-8).
     */
    convertFile(direction, file, column, headerRow, otherEnd = 0) {
      put(file);
      const outcome = x.varve_convert_file(direction, column, headerRow, otherEnd);
      return { bytes: bytesOf(0).slice(), outcome, reports: lines(1), preview: previewText(bytesOf(2)) };
    },
    /**
     * The columns a conversion adds in `direction`: [{ name, kind, codes }] with
     * kind 'n' (numbers), 't' (text) or 'b' (true or false), and for text the
     * text each code of convertCells stands for.
     */
    addedColumns(direction) {
      x.varve_added_columns(direction);
      return lines(0).map((line) => {
        const [name, kind, ...codes] = line.split('\t');
        return kind === 't' ? { name, kind, codes } : { name, kind };
      });
    },
    /**
     * The names of the columns converting column `column` (from 1) of a sheet
     * adds (with `otherEnd`, from 1, the two as an interval's ends), its header
     * row's cells' texts given in a list: the plain names, or where the sheet
     * has them already, names after the column.
     */
    plannedNames(direction, cells, column, otherEnd = 0) {
      put(cells.map((cell) => `${cell}\0`).join(''));
      x.varve_planned_names(direction, column, otherEnd);
      return lines(0);
    },
    /**
     * The columns an interval of two ends adds in `direction`: [{ name, kind }]
     * with kind 'n' (numbers), 't' (text: its codes stand for the texts of
     * convertIntervalCells' result) or 'b' (true or false).
     */
    intervalColumns(direction) {
      x.varve_interval_columns(direction);
      return lines(0).map((line) => {
        const [name, kind] = line.split('\t');
        return { name, kind };
      });
    },
    /**
     * A sheet's header row, its cells' texts given in a list: { cells, suggested }
     * as firstRow gives them.
     */
    headerRow(cells) {
      put(cells.map((cell) => `${cell}\0`).join(''));
      const count = x.varve_header_row();
      return { cells: lines(0).slice(0, count), suggested: new Set(lines(2).map(Number)) };
    },
    /**
     * Converts a workbook column's cells, given as [name, code] pairs with code
     * '' (empty), 'n' and the number the cell stores as its file writes it, or
     * 't' and its text: { columns, invalid, reports }, columns the added
     * columns typed (an Int32Array each, in the order of addedColumns: a
     * number, a code, 1 or 0, or MISSING for each cell), invalid the number
     * of cells not converted.
     */
    convertCells(direction, cells) {
      putCells(cells);
      const invalid = x.varve_convert_cells(direction);
      return { columns: typedColumns(cells.length), invalid, reports: lines(1) };
    },
    /**
     * Converts a workbook's intervals, each row's two ends given as a pair of
     * cells ([name, code] as convertCells takes them; code '' for an empty
     * end): { columns, codes, invalid, reports } as convertCells
     * gives them, in the order of intervalColumns, a text column's values
     * being indexes into codes; invalid the number of intervals not
     * converted, each reported by its first end's cell.
     */
    convertIntervalCells(direction, pairs) {
      putCells(pairs.flat());
      const invalid = x.varve_convert_interval_cells(direction);
      const codes = text(2).split('\0').slice(0, -1);
      return { columns: typedColumns(pairs.length), codes, invalid, reports: lines(1) };
    },
    /**
     * Why `bytes`, an XML document in UTF-8, is not well-formed XML (with
     * well-formed namespaces), with the line it is on; null when it is.
     */
    xmlFault(bytes) {
      put(bytes);
      return x.varve_xml_fault() === 1 ? text(0) : null;
    },
    /**
     * The correspondence chart as an SVG document: `mark` marked when a
     * number, shaded as a span when an array [first, last].
     */
    chart(direction, mark) {
      if (Array.isArray(mark)) x.varve_chart(direction, 2, mark[0], mark[1]);
      else x.varve_chart(direction, mark === undefined || mark === null ? 0 : 1, mark ?? 0, 0);
      return text(0);
    },
  };
}
