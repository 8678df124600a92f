// The number box: one number or a span's two ends, read by the engine's rule
// and converted in the direction chosen; the interactive program's own
// records, a summary of each link, and the chart marking what was typed.

import { CONVERTED, OUTSIDE, NOT_A_NUMBER, SPAN, SPAN_NOT_CONVERTED } from '../engine.mjs';
import { $, show, guarded, caption } from './shared.mjs';

/** What the number box's result converted again after a change of direction says. */
const AGAIN = 'converted again for the new direction';

/**
 * The summary of one link (a row of engine.lookup) as [term, value] pairs,
 * a run of varves named in the plural with its first and last.
 */
export function summaryTerms(row) {
  const varves = (chronology, first, last) =>
    (first === last ? [`${chronology} varve`, `${first}`] : [`${chronology} varves`, `${first}-${last}`]);
  return [
    ['Sequence', `NE-${row.sequence}`],
    ['Relation', row.relation],
    varves('NE', row.ne_first, row.ne_last),
    varves('AM', row.am_first, row.am_last),
    ['False annual couplets', row.false_couplets ? 'yes' : 'no'],
  ];
}

/** The number box of the direction chosen (`direction`, from shared.mjs), marking on `chart` what it converts. */
export function createNumberBox({ engine, direction, chart }) {
  /** Names the number boxes for the direction's chronology. */
  function nameBoxes() {
    $('number-label').textContent = `${direction.from()} number`;
    $('number-to-name').textContent = `the other ${direction.from()} end of a span`;
  }

  /** Adds each link's terms to the summary, the first of a link marked as its start. */
  function fillSummary(summary, rows) {
    summary.replaceChildren();
    for (const row of rows) {
      summaryTerms(row).forEach(([term, value], i) => {
        const dt = document.createElement('dt');
        const dd = document.createElement('dd');
        dt.textContent = term;
        dd.textContent = value;
        if (i === 0) {
          dt.className = dd.className = 'link-start';
        }
        summary.append(dt, dd);
      });
    }
  }

  /**
   * Shows the result for the number box's text, or its message; `note` says
   * why it was converted again. Nothing of an earlier text stays on show.
   */
  function showOne(note = '') {
    const records = $('records');
    const summary = $('summary');
    const message = $('one-message');
    const captioned = () => caption($('one-caption'), direction.label(), note);
    for (const element of [$('one-caption'), records, summary, message]) show(element, false);
    records.classList.remove('account');
    guarded(message, () => {
      const answer = engine.lookup(direction.current(), $('number').value, $('number-to').value);
      if (answer.status === NOT_A_NUMBER) {
        message.textContent = answer.message;
        show(message, true);
        chart.mark(null);
      } else if (answer.status === SPAN_NOT_CONVERTED) {
        message.textContent = answer.message;
        captioned();
        show(message, true);
        chart.mark(null);
      } else if (answer.status === CONVERTED || answer.status === SPAN) {
        records.textContent = answer.records.join('\n');
        records.classList.toggle('account', answer.status === SPAN);
        fillSummary(summary, answer.rows);
        captioned();
        show(records, true);
        show(summary, true);
        chart.mark(answer.status === SPAN ? answer.span : Number(answer.rows[0].input));
      } else if (answer.status === OUTSIDE) {
        message.textContent = `${answer.message} Accepted ${direction.from()} numbers: ${answer.ranges.join(', ')}.`;
        captioned();
        show(message, true);
        chart.mark(null);
      } else {
        chart.mark(null);
      }
    });
  }

  $('number').addEventListener('input', () => showOne());
  $('number-to').addEventListener('input', () => showOne());

  return {
    nameBoxes,
    /** Names the boxes for a new direction and converts their text again in it. */
    directionChanged() {
      nameBoxes();
      showOne(AGAIN);
    },
    /** Converts what the browser restored in the boxes on a reload. */
    restore() {
      if ($('number').value || $('number-to').value) showOne();
    },
  };
}
