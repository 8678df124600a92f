// Stands in for the WebAssembly module, which build.mjs writes into the page
// (deflated, as base64).
export const wasmBase64 = '';
