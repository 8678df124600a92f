// Stands in for the worker's script, which build.mjs makes from the modules
// the page shares with its worker.
export const workerSource = '';
