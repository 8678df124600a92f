// The correspondence chart as the engine draws it, split so that its axes
// stay in view while the plot scrolls beneath them; what it marks (the
// number box's number or span), and its markers, which the arrow keys walk.

import { $, guarded } from './shared.mjs';
import { download, chartFileName } from './downloads.mjs';

const SVG = 'http://www.w3.org/2000/svg';

/** Whether two marks (a number, a span [first, last], or null) mark the same. */
export function sameMark(a, b) {
  return Array.isArray(a) && Array.isArray(b) ? a[0] === b[0] && a[1] === b[1] : a === b;
}

/**
 * The marker that `key` moves to from marker `at` of `count`: the arrow keys
 * to the next or the one before, Home and End to the first and last; null
 * for any other key.
 */
export function stepAfterKey(key, at, count) {
  const moves = { ArrowRight: 1, ArrowDown: 1, ArrowLeft: -1, ArrowUp: -1 };
  if (key in moves) return at + moves[key];
  if (key === 'Home') return 0;
  if (key === 'End') return count - 1;
  return null;
}

/** The chart of the direction chosen (`direction`, from shared.mjs), drawn by `engine`. */
export function createChartView({ engine, direction }) {
  // What the chart marks: a number, a span [first, last], or null.
  let mark = null;
  // The marker that takes the focus when the chart is tabbed to.
  let stepAt = 0;
  let svgText = '';
  // The direction of the chart drawn.
  let drawnDirection = null;
  const chart = $('chart');

  /** The chart's step markers, in the order drawn: LC's, then UC's, each by number. */
  const steps = () => [...chart.querySelectorAll('.vc-step')];

  /** Makes marker `i` the chart's one tab stop, and focuses it when `focus`. */
  function moveToStep(i, focus) {
    const all = steps();
    if (all.length === 0) return;
    stepAt = Math.max(0, Math.min(all.length - 1, i));
    all.forEach((step, j) => step.setAttribute('tabindex', j === stepAt ? '0' : '-1'));
    if (focus) all[stepAt].focus();
  }

  /**
   * Scrolls the chart sideways so that the part of its plot from `left` to
   * `right` (in the window's pixels) is centred in view beside the y axis, or
   * begins there when it is wider than the view.
   */
  function centreChartOn(left, right) {
    const box = chart.getBoundingClientRect();
    const from = box.left + parseFloat(chart.style.scrollPaddingLeft || '0');
    const to = box.left + chart.clientWidth;
    chart.scrollLeft += left - from - Math.max(0, (to - from - (right - left)) / 2);
  }

  /**
   * Scrolls the chart sideways so that what it marks is in view, or, on a
   * chart drawn anew without a mark, where LC and UC overlap, so that the first
   * view shows both panels with their lines.
   */
  function showMarked(anew) {
    const marked = chart.querySelector('.vc-span, .vc-marked line');
    if (marked) {
      const at = marked.getBoundingClientRect();
      centreChartOn(at.left, at.right);
      return;
    }
    const overlaps = [...chart.querySelectorAll('.vc-panel .vc-overlap')].map((band) => band.getBoundingClientRect());
    if (!anew || overlaps.length === 0) return;
    const left = Math.min(...overlaps.map((at) => at.left));
    const right = Math.max(...overlaps.map((at) => at.right));
    const middle = (left + right) / 2;
    centreChartOn(middle, middle);
  }

  /** The legend of `svg` as a list that wraps to the page's width: each key's swatch a figure of its own, its label text. */
  function showLegend(svg) {
    $('chart-legend').replaceChildren(...[...svg.querySelectorAll('.vc-key')].map((key) => {
      const label = key.querySelector('text');
      const swatch = document.createElementNS(SVG, 'svg');
      for (const [name, value] of [['class', 'vc-chart'], ['viewBox', '-2 -10 28 20'], ['width', '28'], ['height', '20'], ['aria-hidden', 'true']]) {
        swatch.setAttribute(name, value);
      }
      swatch.append(...[...key.children].filter((part) => part !== label));
      const item = document.createElement('li');
      item.append(swatch, label.textContent);
      return item;
    }));
  }

  /**
   * Splits the chart as the engine drew it: its title and legend leave the
   * figure (the section's heading and the list above it say them), and its y
   * axes, the panels' headers and the x axis's title go to a figure laid over
   * the plot's box, so that they stay in view while the plot scrolls beneath.
   */
  function splitChart(svg) {
    showLegend(svg);
    svg.querySelector('.vc-head').remove();
    const top = Number(svg.dataset.plotTop);
    const [, , width, height] = svg.getAttribute('viewBox').split(' ').map(Number);
    svg.setAttribute('viewBox', `0 ${top} ${width} ${height - top}`);
    svg.setAttribute('height', String(height - top));
    const axes = svg.querySelector('.vc-axes');
    axes.setAttribute('transform', `translate(0 ${-top})`);
    const overlay = document.createElementNS(SVG, 'svg');
    for (const [name, value] of [['class', 'vc-chart chart-axes'], ['height', String(height - top)], ['aria-hidden', 'true']]) {
      overlay.setAttribute(name, value);
    }
    overlay.append(axes);
    $('chart-view').querySelector('.chart-axes')?.remove();
    $('chart-view').append(overlay);
    // What the browser scrolls into view (a marker focused) stays clear of the axis.
    chart.style.scrollPaddingLeft = `${axes.querySelector('.vc-cover').getAttribute('width')}px`;
  }

  function draw() {
    guarded($('chart-caption'), () => {
      svgText = engine.chart(direction.current(), mark ?? undefined);
      chart.innerHTML = svgText.slice(svgText.indexOf('<svg'));
      const all = steps();
      // On the page the figure holds controls, so it is a group, not one image.
      const svg = chart.querySelector('svg');
      svg.setAttribute('role', 'group');
      svg.setAttribute('aria-roledescription', 'chart');
      splitChart(svg);
      all.forEach((step, i) => {
        step.setAttribute('role', 'img');
        const inside = step.classList.contains('vc-in-span') ? ', inside the span' : '';
        step.setAttribute('aria-label', `${step.dataset.name}${inside} (${i + 1} of ${all.length})`);
        // The marker's tooltip would be read again after its label.
        step.querySelector('title')?.remove();
      });
      moveToStep(stepAt, false);
      showMarked(drawnDirection !== direction.current());
      drawnDirection = direction.current();
    });
  }

  function nameStep(event) {
    const step = event.target.closest?.('.vc-step');
    if (step) $('chart-caption').textContent = step.dataset.name;
  }

  $('download-svg').addEventListener('click', () => {
    download(svgText, 'image/svg+xml', chartFileName(direction.name(), mark));
  });
  for (const kind of ['click', 'mouseover', 'focusin']) {
    chart.addEventListener(kind, nameStep);
  }
  chart.addEventListener('click', (event) => {
    const step = event.target.closest?.('.vc-step');
    if (step) moveToStep(steps().indexOf(step), false);
  });
  chart.addEventListener('keydown', (event) => {
    const step = event.target.closest?.('.vc-step');
    if (!step) return;
    const to = stepAfterKey(event.key, steps().indexOf(step), steps().length);
    if (to === null) return;
    event.preventDefault();
    moveToStep(to, true);
  });

  return {
    draw,
    /** Whether a chart was drawn. */
    drawn: () => svgText !== '',
    /** Marks `next` (a number, a span [first, last], or null), drawing the chart again when that changes what it marks. */
    mark(next) {
      if (!sameMark(next, mark)) {
        mark = next;
        draw();
      }
    },
    /** Draws the chart again with nothing marked (a new direction). */
    unmark() {
      mark = null;
      draw();
    },
  };
}
