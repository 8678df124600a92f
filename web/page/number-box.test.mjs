import assert from 'node:assert/strict';
import { test } from 'node:test';
import { summaryTerms } from './number-box.mjs';

test('a link is summed up with a single varve, or a run of them, on each side', () => {
  const link = { sequence: 'LC', relation: 'corresponds', ne_first: 5674, ne_last: 5674, am_first: 5682, am_last: 5682, false_couplets: false };
  assert.deepEqual(summaryTerms(link), [
    ['Sequence', 'NE-LC'], ['Relation', 'corresponds'], ['NE varve', '5674'], ['AM varve', '5682'], ['False annual couplets', 'no'],
  ]);
  assert.deepEqual(summaryTerms({ ...link, sequence: 'UC', relation: 'joined', ne_last: 5676, false_couplets: true }).slice(0, 5), [
    ['Sequence', 'NE-UC'], ['Relation', 'joined'], ['NE varves', '5674-5676'], ['AM varve', '5682'], ['False annual couplets', 'yes'],
  ]);
  assert.deepEqual(summaryTerms({ ...link, am_first: 5682, am_last: 5683 })[3], ['AM varves', '5682-5683']);
});
