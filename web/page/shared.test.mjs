import assert from 'node:assert/strict';
import { test } from 'node:test';
import { NE_TO_AM, AM_TO_NE } from '../engine.mjs';
import { MAX_REPORTS, createDirection, guarded, keepDirection, listItems, reportItems } from './shared.mjs';

/** Just enough of an element for these functions: text, children and hidden. */
class Element {
  hidden = false;
  nodes = [];
  get textContent() {
    return this.nodes.map((node) => (typeof node === 'string' ? node : node.textContent)).join('');
  }
  set textContent(text) {
    this.nodes = [text];
  }
  get children() {
    return this.nodes.filter((node) => typeof node !== 'string');
  }
  append(...nodes) {
    this.nodes.push(...nodes);
  }
  replaceChildren(...nodes) {
    this.nodes = nodes;
  }
}
globalThis.document = { createElement: () => new Element() };

/** A direction as shared.mjs makes it, its labels without the page's controls. */
const direction = (current) => ({
  current: () => current,
  label: (of = current) => (of === NE_TO_AM ? 'NE to AM' : 'AM to NE'),
});

test('reports are listed with a capital, up to a limit past which they are counted', () => {
  for (const [count, shown, last] of [[1, 1, 'Report 1'], [MAX_REPORTS, MAX_REPORTS, `Report ${MAX_REPORTS}`],
    [MAX_REPORTS + 7, MAX_REPORTS + 1, 'and 7 more']]) {
    const items = reportItems(Array.from({ length: count }, (_, i) => `report ${i + 1}`));
    assert.equal(items.length, shown);
    assert.equal(items.at(-1).textContent, last);
  }
  assert.equal(reportItems(['ä is not a whole number'])[0].textContent, 'Ä is not a whole number');
});

test('notes are listed as written, up to the limit, and their list shown only when there are any', () => {
  const notes = new Element();
  listItems(notes, Array.from({ length: MAX_REPORTS + 3 }, (_, i) => `row ${i}`));
  assert.equal(notes.children.length, MAX_REPORTS);
  assert.equal(notes.children[0].textContent, 'row 0');
  assert.equal(notes.hidden, false);
  listItems(notes, []);
  assert.equal(notes.children.length, 0);
  assert.equal(notes.hidden, true);
});

test('an engine that stops is reported where the work shows', () => {
  const where = new Element();
  where.hidden = true;
  guarded(where, () => {
    throw new Error('unreachable executed');
  });
  assert.equal(where.textContent, 'Something went wrong: unreachable executed. Reload the page to start again.');
  assert.equal(where.hidden, false);
});

test('a result keeps the direction it was made in, and offers to convert again in the one chosen', () => {
  for (const [made, chosen, said, again] of [
    [NE_TO_AM, NE_TO_AM, 'NE to AM', null],
    [NE_TO_AM, AM_TO_NE, 'NE to AM \u2014 kept as converted; the direction chosen above is now AM to NE', 'Convert again AM to NE'],
    [AM_TO_NE, NE_TO_AM, 'AM to NE \u2014 kept as converted; the direction chosen above is now NE to AM', 'Convert again NE to AM'],
  ]) {
    const [captionElement, button] = [new Element(), new Element()];
    keepDirection({ direction: made }, direction(chosen), captionElement, button);
    assert.equal(captionElement.textContent, said);
    assert.equal(captionElement.hidden, false);
    assert.equal(button.hidden, again === null);
    if (again !== null) assert.equal(button.textContent, again);
  }
  // Nothing converted: no caption is written, and nothing offered.
  const [captionElement, button] = [new Element(), new Element()];
  captionElement.hidden = true;
  keepDirection(null, direction(AM_TO_NE), captionElement, button);
  assert.deepEqual([captionElement.hidden, captionElement.textContent, button.hidden], [true, '', true]);
});

test('the direction chosen: a name the engine does not know chooses NE to AM', () => {
  const engine = { directionNamed: (name) => ({ 'ne-to-am': NE_TO_AM, 'am-to-ne': AM_TO_NE })[name], directionName: (of) => ['ne-to-am', 'am-to-ne'][of] };
  const chosen = createDirection(engine);
  assert.deepEqual([chosen.current(), chosen.from(), chosen.name()], [NE_TO_AM, 'NE', 'ne-to-am']);
  chosen.choose('am-to-ne');
  assert.deepEqual([chosen.current(), chosen.from(), chosen.name(), chosen.name(NE_TO_AM)], [AM_TO_NE, 'AM', 'am-to-ne', 'ne-to-am']);
  for (const unknown of [undefined, 'sideways']) {
    chosen.choose('am-to-ne');
    chosen.choose(unknown);
    assert.equal(chosen.current(), NE_TO_AM);
  }
});
