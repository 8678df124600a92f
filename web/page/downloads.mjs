// What the page offers for download, and under what name: the converted list,
// a converted file or workbook, and the chart.

/** Offers `data` as a file named `name` for download. */
export function download(data, type, name) {
  const url = URL.createObjectURL(new Blob([data], { type }));
  const a = document.createElement('a');
  a.href = url;
  a.download = name;
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(url), 10000);
}

/** The converted list's name, after the direction (`directionName`, as varve-batch takes it) that made it. */
export const listFileName = (directionName) => `varve-${directionName}.csv`;

/** The chart's name: its direction, and what it marks (a number, a span [first, last], or null). */
export function chartFileName(directionName, mark) {
  const marked = mark === null ? '' : `-${Array.isArray(mark) ? mark.join('-') : mark}`;
  return `varve-chart-${directionName}${marked}.svg`;
}

const TYPES = {
  '.csv': 'text/csv',
  '.tsv': 'text/tab-separated-values',
  '.xlsx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet',
  '.xlsm': 'application/vnd.ms-excel.sheet.macroEnabled.12',
  '.xltx': 'application/vnd.openxmlformats-officedocument.spreadsheetml.template',
  '.xltm': 'application/vnd.ms-excel.template.macroEnabled.12',
  '.ods': 'application/vnd.oasis.opendocument.spreadsheet',
  '.ots': 'application/vnd.oasis.opendocument.spreadsheet-template',
};

/**
 * A converted file's { name, type }: the file's own name and extension (.csv
 * when it has none), with the direction that made it before the extension; a
 * type the extension does not name is plain text, or any bytes for a workbook.
 */
export function convertedFile(fileName, directionName, workbook) {
  const [, base, extension = '.csv'] = fileName.match(/^(.*?)(\.[^.]*)?$/);
  return {
    name: `${base}-${directionName}${extension}`,
    type: TYPES[extension.toLowerCase()] ?? (workbook ? 'application/octet-stream' : 'text/plain'),
  };
}
