// Stands in for the WebAssembly module, which build.mjs writes into the page.
export const wasmBase64 = '';
