// What every part of the page uses: its elements, showing them, the
// direction chosen, the caption that names the direction a result was made
// in, and the lists of notes beside a result.

import { NE_TO_AM } from '../engine.mjs';

/** The page's element of id `id`. */
export const $ = (id) => document.getElementById(id);

/** Messages on a list shown at most; the rest are counted. */
export const MAX_REPORTS = 200;

/** Shows `element` with its content, or hides it. */
export function show(element, visible) {
  element.hidden = !visible;
}

/** Runs `work`; an engine that stops is reported where `where` shows. */
export function guarded(where, work) {
  try {
    work();
  } catch (error) {
    where.textContent = `Something went wrong: ${error.message}. Reload the page to start again.`;
    show(where, true);
  }
}

/**
 * The direction chosen above, as the engine numbers it; a name the engine
 * does not know chooses NE to AM, the page's first.
 */
export function createDirection(engine) {
  let chosen = NE_TO_AM;
  return {
    current: () => chosen,
    choose(value) {
      chosen = engine.directionNamed(value) ?? NE_TO_AM;
    },
    /** The direction's name, as varve-batch takes it and the direction controls' values spell it. */
    name: (of = chosen) => engine.directionName(of),
    /** A direction as its control names it: "NE to AM" or "AM to NE". */
    label: (of = chosen) =>
      document.querySelector(`input[name=direction][value=${engine.directionName(of)}]`).parentElement.textContent.trim(),
    /** The chronology the numbers typed are read in. */
    from: () => (chosen === NE_TO_AM ? 'NE' : 'AM'),
  };
}

/**
 * Says in `element` which direction (`label`) made the result beside it, and
 * `note` (what happened to the result) after it.
 */
export function caption(element, label, note) {
  const name = document.createElement('strong');
  name.textContent = label;
  element.replaceChildren(name);
  if (note) element.append(` \u2014 ${note}`);
  show(element, true);
}

/**
 * Says in `captionElement`, beside a converted paste or file (`result`, with
 * the direction that made it) made in another direction than the one chosen
 * now, that it keeps its own, and offers with `again` to convert it again.
 */
export function keepDirection(result, direction, captionElement, again) {
  if (!result || result.direction === direction.current()) {
    show(again, false);
    if (result) caption(captionElement, direction.label(result.direction), '');
    return;
  }
  caption(captionElement, direction.label(result.direction),
    `kept as converted; the direction chosen above is now ${direction.label()}`);
  again.textContent = `Convert again ${direction.label()}`;
  show(again, true);
}

/** Items of a list of reports, each begun with a capital, at most MAX_REPORTS and a count of the rest. */
export function reportItems(reports) {
  const items = reports.slice(0, MAX_REPORTS).map((report) => {
    const li = document.createElement('li');
    li.textContent = report[0].toUpperCase() + report.slice(1);
    return li;
  });
  if (reports.length > MAX_REPORTS) {
    const li = document.createElement('li');
    li.textContent = `and ${reports.length - MAX_REPORTS} more`;
    items.push(li);
  }
  return items;
}

/** Fills `element` with the first MAX_REPORTS `reports` as they are, and shows it when there are any. */
export function listItems(element, reports) {
  element.replaceChildren(...reports.slice(0, MAX_REPORTS).map((report) => {
    const li = document.createElement('li');
    li.textContent = report;
    return li;
  }));
  show(element, reports.length > 0);
}
