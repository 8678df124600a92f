// Builds the one self-contained page: the HTML template with the style sheet,
// the JavaScript modules and the WebAssembly module (gzipped, as base64)
// written into it.
// usage: node build.mjs WASM VERSION OUTPUT

import fs from 'node:fs';
import path from 'node:path';
import zlib from 'node:zlib';

const [wasmPath, version, output] = process.argv.slice(2);
const here = path.dirname(new URL(import.meta.url).pathname);
const read = (name) => fs.readFileSync(path.join(here, name), 'utf8');

/**
 * A module's text without its imports of sibling modules (inlined before it),
 * without the lines that are comments alone and without indentation, which
 * the sources keep for their readers: the page stays small. Indentation is
 * only taken where no text spans lines: a line that leaves a template literal
 * open stops the build.
 */
function body(name) {
  const code = read(name)
    .replace(/^import \{[^}]*\} from '\.\.?\/[\w/-]+\.mjs';\n/gm, '')
    .replace(/^[ \t]*\/\*(?:[^*]|\*(?!\/))*\*\/[ \t]*\n/gm, '')
    .replace(/^[ \t]*\/\/.*\n/gm, '');
  const open = code.split('\n').find((line) => (line.replaceAll('\\`', '').split('`').length - 1) % 2 === 1);
  if (open !== undefined) {
    throw new Error(`${name}: a template literal spans lines, and its indentation would be lost: ${open.trim()}`);
  }
  return code.replace(/^[ \t]+/gm, '');
}

/** A module as a scope of its own that hands its exports to what follows. */
function inline(name) {
  const text = body(name);
  const names = [...text.matchAll(/^export (?:async )?(?:function|const|let|class) ([\w$]+)/gm)].map((m) => m[1]);
  if (names.length !== text.match(/^export /gm)?.length) {
    throw new Error(`${name}: an export that the build cannot name`);
  }
  return `const { ${names.join(', ')} } = (() => {\n${text.replace(/^export /gm, '')}\nreturn { ${names.join(', ')} };\n})();`;
}

// The module gzipped before it is written as base64: the page is about
// 100 KB smaller, and inflating it takes the browser a few milliseconds
// (gzip rather than raw deflate, which browsers took up later).
const wasm = zlib.gzipSync(fs.readFileSync(wasmPath), { level: 9 }).toString('base64');
// The modules the page shares with its worker, in one function: the page
// calls it, and makes its worker from the function's own text, so the page
// stays one file and holds that code once.
const shared = ['engine.mjs', ...['crc32', 'xml', 'cells', 'splice', 'zip', 'xlsx', 'ods', 'workbook'].map((name) => `workbook/${name}.mjs`), 'worker.mjs'];
const sharedNames = [];
const sharedBody = shared.map((name) => {
  const text = inline(name);
  sharedNames.push(...text.match(/^const \{ ([^}]*) \}/)[1].split(', '));
  return text;
});
// The page's own parts, each after the parts it imports, then the page that
// wires them.
const parts = ['shared', 'downloads', 'chart-view', 'number-box', 'paste', 'book-worker', 'file-source']
  .map((name) => inline(`page/${name}.mjs`));
const script = [
  `const wasmBase64 = '${wasm}';`,
  `function pageModules() {\n${sharedBody.join('\n')}\nreturn { ${sharedNames.join(', ')} };\n}`,
  `const { ${sharedNames.join(', ')} } = pageModules();`,
  'const workerSource = `(${pageModules})().serveWorker(self);`;',
  ...parts,
  body('page.mjs'),
].join('\n');
// Every module's exports share the script's one scope.
const exported = [...sharedNames, ...parts.flatMap((text) => text.match(/^const \{ ([^}]*) \}/)[1].split(', '))];
const twice = exported.filter((name, i) => exported.indexOf(name) !== i);
if (twice.length > 0) {
  throw new Error(`exported by two modules: ${twice.join(', ')}`);
}
if (/^\s*(import|export)\b/m.test(script)) {
  throw new Error('an import or export is left in the inlined script');
}
const html = read('varve-convert.html')
  .replace('/*@STYLE@*/', () => read('style.css'))
  .replace('/*@SCRIPT@*/', () => script)
  .replaceAll('@VERSION@', version);
fs.writeFileSync(output, html);
