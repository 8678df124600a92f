// Builds the one self-contained page: the HTML template with the style sheet,
// the JavaScript modules and the WebAssembly module (as base64) written into it.
// usage: node build.mjs WASM VERSION OUTPUT

import fs from 'node:fs';
import path from 'node:path';

const [wasmPath, version, output] = process.argv.slice(2);
const here = path.dirname(new URL(import.meta.url).pathname);
const read = (name) => fs.readFileSync(path.join(here, name), 'utf8');

/**
 * A module's text without its imports of sibling modules (inlined before it)
 * and without the lines that are comments alone, which the sources keep for
 * their readers: the page stays small.
 */
function body(name) {
  return read(name)
    .replace(/^import \{[^}]*\} from '\.\/[\w/-]+\.mjs';\n/gm, '')
    .replace(/^[ \t]*\/\*(?:[^*]|\*(?!\/))*\*\/[ \t]*\n/gm, '')
    .replace(/^[ \t]*\/\/.*\n/gm, '');
}

/** A module as a scope of its own that hands its exports to what follows. */
function inline(name) {
  const text = body(name);
  const names = [...text.matchAll(/^export (?:async )?(?:function|const|let|class) (\w+)/gm)].map((m) => m[1]);
  return `const { ${names.join(', ')} } = (() => {\n${text.replace(/^export /gm, '')}\nreturn { ${names.join(', ')} };\n})();`;
}

const wasm = fs.readFileSync(wasmPath).toString('base64');
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
const script = [
  `const wasmBase64 = '${wasm}';`,
  `function pageModules() {\n${sharedBody.join('\n')}\nreturn { ${sharedNames.join(', ')} };\n}`,
  `const { ${sharedNames.join(', ')} } = pageModules();`,
  'const workerSource = `(${pageModules})().serveWorker(self);`;',
  body('page.mjs'),
].join('\n');
if (/^\s*(import|export)\b/m.test(script)) {
  throw new Error('an import or export is left in the inlined script');
}
const html = read('varve-convert.html')
  .replace('/*@STYLE@*/', () => read('style.css'))
  .replace('/*@SCRIPT@*/', () => script)
  .replaceAll('@VERSION@', version);
fs.writeFileSync(output, html);
