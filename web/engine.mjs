// The page's engine: the project's C++ compiled to WebAssembly, and small
// wrappers that move text in and out of its memory. Every rule, table and
// sentence lives in the C++; this file only carries bytes.

/** The directions, as the module numbers them. */
export const NE_TO_AM = 0;
export const AM_TO_NE = 1;

/** What the text of the number box is (web::LookupStatus). */
export const CONVERTED = 0;
export const OUTSIDE = 1;
export const NOT_A_NUMBER = 2;
export const EMPTY = 3;

/** The list formats (web::ListFormat). */
export const TSV = 0;
export const CSV = 1;

const encoder = new TextEncoder();
const decoder = new TextDecoder();

/** Decodes base64 text into bytes. */
function fromBase64(text) {
  const binary = atob(text);
  const bytes = new Uint8Array(binary.length);
  for (let i = 0; i < binary.length; ++i) bytes[i] = binary.charCodeAt(i);
  return bytes;
}

/**
 * Compiles and starts the module from its bytes (or base64 text). Functions
 * the C library imports from WASI are only reached on a fatal error, so they
 * stop the call with an error naming themselves.
 */
export async function loadEngine(wasm) {
  const bytes = typeof wasm === 'string' ? fromBase64(wasm) : wasm;
  // Compiled at once rather than in tasks: the module is small, and the page
  // takes input sooner on a busy machine.
  const module = new WebAssembly.Module(bytes);
  const imports = {};
  for (const { module: from, name } of WebAssembly.Module.imports(module)) {
    imports[from] ??= {};
    imports[from][name] = () => {
      throw new Error(`the engine stopped (${name})`);
    };
  }
  const instance = new WebAssembly.Instance(module, imports);
  const x = instance.exports;
  x._initialize();

  const put = (text) => {
    const bytes = typeof text === 'string' ? encoder.encode(text) : text;
    const at = x.varve_input(bytes.length);
    new Uint8Array(x.memory.buffer, at, bytes.length).set(bytes);
  };
  const text = (i) =>
    decoder.decode(new Uint8Array(x.memory.buffer, x.varve_text(i), x.varve_text_size(i)));

  return {
    /**
     * Converts the text of the number box: { status, records, rows } when
     * converted (rows as objects of varve-batch's columns), { status, message,
     * ranges } when outside, else { status }.
     */
    lookup(direction, typed) {
      put(typed);
      const status = x.varve_lookup(direction);
      if (status === CONVERTED) {
        const records = text(0).split('\n').slice(0, -1);
        const rows = text(1).split('\n').slice(0, -1).map((line) => JSON.parse(line));
        return { status, records, rows };
      }
      if (status === OUTSIDE) {
        const ranges = text(1).split('\n').slice(0, -1);
        return { status, message: text(0), ranges };
      }
      return { status };
    },
    /**
     * Converts a pasted list: { bytes, bad, reports }, with bytes the rows and
     * their header as UTF-8 (left undecoded: a long list gives megabytes, and
     * the page decodes only the rows it shows), bad 1 when a token was
     * skipped, and reports varve-batch's messages on the list.
     */
    convertList(direction, list, format) {
      put(list);
      const bad = x.varve_convert_list(direction, format);
      const bytes = new Uint8Array(x.memory.buffer, x.varve_text(0), x.varve_text_size(0)).slice();
      return { bytes, bad, reports: text(1).split('\n').slice(0, -1) };
    },
    /** The cells of a file's first row (the file as bytes), as the column mode reads them. */
    firstRow(file) {
      put(file);
      const count = x.varve_first_row();
      return text(0).split('\n').slice(0, count);
    },
    /**
     * Converts column `column` (from 1) of a file as varve-batch's column mode:
     * { bytes, outcome, reports }, bytes the whole file with the added columns,
     * outcome 0, 1 (cells that are not whole numbers) or 2 (stopped by a fault).
     */
    convertFile(direction, file, column, header) {
      put(file);
      const outcome = x.varve_convert_file(direction, column, header ? 1 : 0);
      const bytes = new Uint8Array(x.memory.buffer, x.varve_text(0), x.varve_text_size(0)).slice();
      return { bytes, outcome, reports: text(1).split('\n').slice(0, -1) };
    },
    /** The correspondence chart as an SVG document; `mark` marked when a number. */
    chart(direction, mark) {
      x.varve_chart(direction, mark === undefined || mark === null ? 0 : 1, mark ?? 0);
      return text(0);
    },
  };
}
