// Just enough XML for a workbook's parts, read where they lie in the text so
// that a part can be changed by splicing text into it: tags with their
// offsets, attributes, text and the five entities. Comments, processing
// instructions and CDATA are passed over as they are.

const TAG = /<(\/?)([^\s/>!?]+)((?:\s+[^\s=/>]+\s*=\s*(?:"[^"]*"|'[^']*'))*)\s*(\/?)>|<!--[\s\S]*?-->|<\?[\s\S]*?\?>|<!\[CDATA\[[\s\S]*?\]\]>|<!DOCTYPE[^>]*>/g;

/**
 * Calls `visit(tag)` for each tag of `text` from `from` on, in order, until it
 * returns true: tag is { name, attributes (their text), closing, empty (a
 * self-closing tag), start, end }. Returns the tag it stopped at, or null.
 * The tag object is reused from call to call; a visit may call eachTag.
 */
export function eachTag(text, from, visit) {
  const tag = { name: '', attributes: '', closing: false, empty: false, start: 0, end: 0 };
  TAG.lastIndex = from;
  for (let m = TAG.exec(text); m !== null; m = TAG.exec(text)) {
    if (m[2] === undefined) continue;
    tag.name = m[2];
    tag.attributes = m[3];
    tag.closing = m[1] === '/';
    tag.empty = m[4] === '/';
    tag.start = m.index;
    tag.end = TAG.lastIndex;
    if (visit(tag)) return tag;
    TAG.lastIndex = tag.end; // A visit may have read other tags meanwhile.
  }
  return null;
}

const ENTITY = /&(#x[0-9a-fA-F]+|#[0-9]+|lt|gt|amp|quot|apos);/g;
const NAMED = { lt: '<', gt: '>', amp: '&', quot: '"', apos: "'" };

/** `text` with its character and entity references replaced by what they stand for. */
export function unescapeXml(text) {
  if (!text.includes('&')) return text;
  return text.replace(ENTITY, (_, name) =>
    name[0] === '#' ? String.fromCodePoint(name[1] === 'x' ? parseInt(name.slice(2), 16) : Number(name.slice(1))) : NAMED[name]);
}

/** `text` made safe as XML text and as an attribute's value in double quotes. */
export function escapeXml(text) {
  return text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]);
}

const attributePatterns = new Map();
const settablePatterns = new Map();

/** The pattern of attribute `name`, made once per name: in `table`, with `make`. */
function patternOf(table, name, make) {
  let pattern = table.get(name);
  if (pattern === undefined) {
    pattern = make(name.replace(/[.]/g, '\\.'));
    table.set(name, pattern);
  }
  return pattern;
}

/** The value of attribute `name` in a tag's attributes text, or undefined. */
export function attribute(attributes, name) {
  const at = attributes.indexOf(name);
  if (at < 0) return undefined;
  // Most tags write name="value" after a blank: read that at once.
  const quote = attributes.charCodeAt(at + name.length + 1);
  if (at > 0 && attributes.charCodeAt(at - 1) === 32 && attributes.charCodeAt(at + name.length) === 61 && quote === 34) {
    const end = attributes.indexOf('"', at + name.length + 2);
    const value = attributes.slice(at + name.length + 2, end);
    return value.includes('&') ? unescapeXml(value) : value;
  }
  const m = patternOf(attributePatterns, name, (n) => new RegExp(`(?:^|\\s)${n}\\s*=\\s*(?:"([^"]*)"|'([^']*)')`)).exec(attributes);
  return m === null ? undefined : unescapeXml(m[1] ?? m[2]);
}

/**
 * `tag` (the text of a start tag) with attribute `name` set to `value`, or
 * taken out when `value` is undefined; added at its end when it had none.
 */
export function withAttribute(tag, name, value) {
  const pattern = patternOf(settablePatterns, name, (n) => new RegExp(`\\s${n}\\s*=\\s*(?:"[^"]*"|'[^']*')`));
  const set = value === undefined ? '' : ` ${name}="${escapeXml(String(value))}"`;
  if (tag.includes(name) && pattern.test(tag)) return tag.replace(pattern, () => set);
  if (value === undefined) return tag;
  const end = tag.endsWith('/>') ? tag.length - 2 : tag.length - 1;
  return tag.slice(0, end).replace(/\s*$/, '') + set + tag.slice(end);
}

/** The attributes of the root element of `text` that declare namespaces: prefix ('' for the default) to URI. */
export function namespaces(text) {
  const root = eachTag(text, 0, (tag) => !tag.closing);
  const found = new Map();
  if (root === null) return found;
  for (const m of root.attributes.matchAll(/\sxmlns(?::([^\s=]+))?\s*=\s*(?:"([^"]*)"|'([^']*)')/g)) {
    found.set(m[1] ?? '', unescapeXml(m[2] ?? m[3]));
  }
  return found;
}

/** The local part of a qualified name. */
export const localName = (name) => name.slice(name.indexOf(':') + 1);

/**
 * The end of the element whose start tag is `tag` (an object eachTag gave):
 * the offset after its end tag, or after the tag itself when it is empty.
 */
export function elementEnd(text, tag) {
  if (tag.empty) return tag.end;
  const name = tag.name;
  let depth = 0;
  const end = eachTag(text, tag.end, (t) => {
    if (t.name !== name) return false;
    if (!t.closing) {
      if (!t.empty) ++depth;
      return false;
    }
    return depth-- === 0;
  });
  return end === null ? text.length : end.end;
}

/** An XML part's bytes as text (its byte-order mark kept), or null when it is not in UTF-8. */
export function xmlText(bytes) {
  let text;
  try {
    text = new TextDecoder('utf-8', { fatal: true, ignoreBOM: true }).decode(bytes);
  } catch {
    return null;
  }
  const declared = /^(?:\uFEFF)?<\?xml[^>]*encoding\s*=\s*["']([^"']+)["']/.exec(text);
  if (declared && !/^utf-?8$/i.test(declared[1])) return null;
  return text;
}
