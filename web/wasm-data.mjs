// Stands in for the WebAssembly module, which build.mjs writes into the page
// (gzipped, as base64).
export const wasmBase64 = '';
