import assert from 'node:assert/strict';
import { test } from 'node:test';
import { chartFileName, convertedFile } from './downloads.mjs';

test('a converted file keeps its name and extension, with the direction before the extension', () => {
  const XLSX = 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet';
  for (const [name, workbook, saved, type] of [
    ['cores.csv', false, 'cores-ne-to-am.csv', 'text/csv'],
    ['cores', false, 'cores-ne-to-am.csv', 'text/csv'],
    ['site 4.v2.tsv', false, 'site 4.v2-ne-to-am.tsv', 'text/tab-separated-values'],
    ['cores.txt', false, 'cores-ne-to-am.txt', 'text/plain'],
    ['Cores.XLSX', true, 'Cores-ne-to-am.XLSX', XLSX],
    ['cores.xlsm', true, 'cores-ne-to-am.xlsm', 'application/vnd.ms-excel.sheet.macroEnabled.12'],
    ['cores.ots', true, 'cores-ne-to-am.ots', 'application/vnd.oasis.opendocument.spreadsheet-template'],
    ['cores.zip', true, 'cores-ne-to-am.zip', 'application/octet-stream'],
    ['pasted-table.tsv', false, 'pasted-table-ne-to-am.tsv', 'text/tab-separated-values'],
  ]) {
    assert.deepEqual(convertedFile(name, 'ne-to-am', workbook), { name: saved, type }, name);
  }
});

test('the chart is named after its direction and what it marks', () => {
  for (const [mark, name] of [[null, 'varve-chart-am-to-ne.svg'], [6300, 'varve-chart-am-to-ne-6300.svg'],
    [[6200, 6300], 'varve-chart-am-to-ne-6200-6300.svg']]) {
    assert.equal(chartFileName('am-to-ne', mark), name);
  }
});
