// Just enough XML for a workbook's parts, read where they lie in the text so
// that a part can be changed by splicing text into it: tags with their
// offsets, attributes, text and the five entities. Comments, processing
// instructions and CDATA are passed over as they are.

/** True for the characters a JavaScript \s matches: blanks, line ends and Unicode's spaces. */
function isSpace(c) {
  return c <= 32 ? c === 32 || (c >= 9 && c <= 13) : c >= 0xa0 && /\s/.test(String.fromCharCode(c));
}

/** Where the blanks of `text` from `at` on end. */
function blanks(text, at) {
  while (isSpace(text.charCodeAt(at))) ++at;
  return at;
}

/** What markupAt found at a <: nothing it reads, an element's tag, or a comment, processing instruction, CDATA section or document type. */
const NONE = 0;
const TAG = 1;
const OTHER = 2;

/**
 * Reads the markup that begins with the < at `p` of `text` into `m`, its
 * characters looked at one by one so that a part of megabytes is read
 * without a match object or a string per tag: m.start and m.end, and for a
 * tag m.closing, m.empty (self-closing), m.nameEnd (its name from after the
 * < and any /) and m.attributesEnd (its attributes from nameEnd: each after
 * blanks, name = value in double or single quotes, the value any characters
 * but its quote; m.found where each one's name and value start and end,
 * four numbers each, m.count of them). A tag ends in blanks, an optional /
 * and >. Returns what it found: NONE when nothing of that form begins there.
 */
function markupAt(text, p, m) {
  const n = text.length;
  let q = p + 1;
  let c = text.charCodeAt(q);
  m.start = p;
  m.closing = c === 47;
  if (m.closing) c = text.charCodeAt(++q);
  const nameStart = q;
  m.count = 0;
  // A name runs to a blank, /, >, ! or ?.
  while (q < n && !(isSpace(c) || c === 47 || c === 62 || c === 33 || c === 63)) c = text.charCodeAt(++q);
  if (q > nameStart) {
    m.nameEnd = q;
    let end = q;
    for (;;) {
      let r = blanks(text, end);
      if (r === end) break;
      const attributeStart = r;
      for (c = text.charCodeAt(r); r < n && !(isSpace(c) || c === 61 || c === 47 || c === 62); c = text.charCodeAt(++r));
      if (r === attributeStart) break;
      const attributeEnd = r;
      r = blanks(text, r);
      if (text.charCodeAt(r) !== 61) break;
      r = blanks(text, r + 1);
      c = text.charCodeAt(r);
      if (c !== 34 && c !== 39) break;
      const close = text.indexOf(c === 34 ? '"' : "'", r + 1);
      if (close < 0) break;
      end = close + 1;
      m.found[m.count++] = attributeStart;
      m.found[m.count++] = attributeEnd;
      m.found[m.count++] = r + 1;
      m.found[m.count++] = close;
    }
    m.attributesEnd = end;
    end = blanks(text, end);
    m.empty = text.charCodeAt(end) === 47;
    if (m.empty) ++end;
    if (text.charCodeAt(end) === 62) {
      m.end = end + 1;
      return TAG;
    }
    return NONE;
  }
  // The markup other than tags, by how it opens and closes.
  for (const [opening, closing] of [['<!--', '-->'], ['<?', '?>'], ['<![CDATA[', ']]>'], ['<!DOCTYPE', '>']]) {
    if (!text.startsWith(opening, p)) continue;
    const close = text.indexOf(closing, p + opening.length);
    if (close < 0) return NONE;
    m.end = close + closing.length;
    return OTHER;
  }
  return NONE;
}

/** A markup record for markupAt. */
const newMarkup = () => ({ name: '', attributes: '', start: 0, end: 0, closing: false, empty: false, nameEnd: 0, attributesEnd: 0, found: [], count: 0 });

/**
 * Calls `visit(tag)` for each tag of `text` from `from` on, in order, until it
 * returns true: tag is { name, attributes (their text), closing, empty (a
 * self-closing tag), start, end }. Returns the tag it stopped at, or null.
 * Comments, processing instructions, CDATA and a document type are passed
 * over; a < that begins none of them, nor a tag, is passed over alone.
 * The tag object is reused from call to call; a visit may call eachTag.
 */
export function eachTag(text, from, visit) {
  const tag = newMarkup();
  for (let p = text.indexOf('<', from); p >= 0;) {
    const kind = markupAt(text, p, tag);
    if (kind !== TAG) {
      p = text.indexOf('<', kind === NONE ? p + 1 : tag.end);
      continue;
    }
    tag.name = text.slice(tag.closing ? p + 2 : p + 1, tag.nameEnd);
    tag.attributes = text.slice(tag.nameEnd, tag.attributesEnd);
    if (visit(tag)) return tag;
    p = text.indexOf('<', tag.end);
  }
  return null;
}

/** A tag as markupAt reads one, from its < to its >: the regular expression engine reads it faster than a loop over its characters. */
const TAG_FORM = /<\/?[^\s/>!?]+(?:\s+[^\s=/>]+\s*=\s*(?:"[^"]*"|'[^']*'))*\s*\/?>/y;
const otherMarkup = newMarkup();

/**
 * Where the markup that begins with the < at `p` of `text` ends, as eachTag
 * reads it (-1 when none begins there), for readers that find the tags they
 * want by their names' characters and only need to pass over the rest: a
 * tag when the character after the < is neither ! nor ?, else a comment,
 * processing instruction, CDATA section or document type.
 */
export function markupEnd(text, p) {
  const c = text.charCodeAt(p + 1);
  if (c === 33 || c === 63) return markupAt(text, p, otherMarkup) === NONE ? -1 : otherMarkup.end;
  TAG_FORM.lastIndex = p;
  return TAG_FORM.test(text) ? TAG_FORM.lastIndex : -1;
}

/** Where the name of a tag that starts at `from` of `text` ends: at a blank, /, >, ! or ?, or at the text's end. */
export function nameEnd(text, from) {
  let to = from;
  for (let c = text.charCodeAt(to); to < text.length; c = text.charCodeAt(++to)) {
    if (c <= 63 ? isSpace(c) || c === 47 || c === 62 || c === 33 || c === 63 : c >= 0xa0 && isSpace(c)) break;
  }
  return to;
}

/**
 * Where the tag that begins with the < at `p` of `text` ends, as markupEnd
 * gives it, its name ending at `name` (nameEnd, after a name of at least one
 * character): a tag without attributes, <name>, <name/> or </name>, is
 * read from there at once.
 */
export function tagEnd(text, p, name) {
  const c = text.charCodeAt(name);
  if (c === 62) return name + 1;
  if (c === 47 && text.charCodeAt(name + 1) === 62) return name + 2;
  return markupEnd(text, p);
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
  return /[&<>"]/.test(text) ? text.replace(/[&<>"]/g, (c) => ({ '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;' })[c]) : text;
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

const XML_NAMESPACE = 'http://www.w3.org/XML/1998/namespace';
/** The attributes of a start tag, one after the other: name, and value in double or single quotes. */
const ATTRIBUTE = /\s*([^\s=]+)\s*=\s*(?:"([^"]*)"|'([^']*)')/g;

/**
 * The namespaces in scope at an element: those its start tag declares, then
 * its parent's. Scopes are never changed once made, so that an element can
 * keep its own.
 */
export class Scope {
  /** A scope of `declared` (prefix, '' for the default, to URI) inside `parent` (null at the top). */
  constructor(parent, declared) {
    this.parent = parent;
    this.declared = declared;
    // Qualified names resolved here: name -> [URI, local name].
    this.names = new Map();
  }

  /** The URI bound to `prefix` ('' for the default namespace: '' when none); undefined when unbound. */
  uri(prefix) {
    for (let scope = this; scope !== null; scope = scope.parent) {
      const uri = scope.declared.get(prefix);
      if (uri !== undefined) return uri;
    }
    if (prefix === 'xml') return XML_NAMESPACE;
    return prefix === '' ? '' : undefined;
  }

  /** An element's qualified name resolved: [URI ('' for none, undefined for an unbound prefix), local name]. */
  element(name) {
    let resolved = this.names.get(name);
    if (resolved === undefined) {
      const colon = name.indexOf(':');
      resolved = colon < 0 ? [this.uri(''), name] : [this.uri(name.slice(0, colon)), name.slice(colon + 1)];
      this.names.set(name, resolved);
    }
    return resolved;
  }

  /** The scope inside a start tag with `attributes`: this one, or one with the tag's declarations. */
  inside(attributes) {
    if (!attributes.includes('xmlns')) return this;
    let declared = null;
    for (const m of attributes.matchAll(ATTRIBUTE)) {
      if (m[1] === 'xmlns' || m[1].startsWith('xmlns:')) (declared ??= new Map()).set(m[1].slice(6), unescapeXml(m[2] ?? m[3]));
    }
    return declared === null ? this : new Scope(this, declared);
  }

  /** The value of the attribute named `local` in namespace `uri` of a start tag's `attributes` in this scope, or undefined. */
  attribute(attributes, uri, local) {
    for (const m of attributes.matchAll(ATTRIBUTE)) {
      const colon = m[1].indexOf(':');
      if (colon > 0 && m[1].slice(colon + 1) === local && this.uri(m[1].slice(0, colon)) === uri && !m[1].startsWith('xmlns:')) {
        return unescapeXml(m[2] ?? m[3]);
      }
    }
    return undefined;
  }
}

/** The scope outside every element: no namespace declared. */
export const TOP_SCOPE = new Scope(null, new Map());

/**
 * eachTag with namespaces resolved as XML resolves them: each tag also has
 * ns (its element's namespace URI: '' for none, undefined for an unbound
 * prefix), local (its local name) and scope (the namespaces in scope inside
 * it). `scope` is the scope at `from`.
 */
export function eachElement(text, from, scope, visit) {
  const outer = [];
  let current = scope;
  return eachTag(text, from, (tag) => {
    let own = current;
    if (tag.closing) {
      if (outer.length > 0) current = outer.pop();
    } else {
      own = current.inside(tag.attributes);
      if (!tag.empty) {
        outer.push(current);
        current = own;
      }
    }
    const [ns, local] = own.element(tag.name);
    tag.ns = ns;
    tag.local = local;
    tag.scope = own;
    return visit(tag);
  });
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

const REFERENCE = /&(?:#x([0-9a-fA-F]{1,6})|#([0-9]{1,7})|lt|gt|amp|quot|apos);/y;
const NOT_CHARACTER = /[\x00-\x08\x0B\x0C\x0E-\x1F\uFFFE\uFFFF]|[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/;

/** True when `c` may begin a part of a name: a letter, _ or any character from U+00C0 on. */
const nameStart = (c) => (c >= 97 && c <= 122) || (c >= 65 && c <= 90) || c === 95 || (c >= 0xc0 && c <= 0xfffd);
/** True when `c` may continue a part of a name: those, digits, . - and U+00B7. */
const nameCharacter = (c) => nameStart(c) || (c >= 48 && c <= 57) || c === 46 || c === 45 || c === 0xb7;

/**
 * Where the colon of the name `text` holds from `from` to `to` lies (-1 for
 * none), or -2 when it is not a name XML with namespaces allows: one colon
 * at most, between two parts.
 */
function nameColon(text, from, to) {
  let part = from;
  for (let i = from; i < to; ++i) {
    const c = text.charCodeAt(i);
    if (c === 58) {
      if (i === part || part > from) return -2;
      part = i + 1;
    } else if (i === part ? !nameStart(c) : !nameCharacter(c)) return -2;
  }
  return to === part ? -2 : part > from ? part - 1 : -1;
}

/** True when `text` holds the same characters at `a` and `b`, `length` of them. */
function sameText(text, a, b, length) {
  for (let i = 0; i < length; ++i) if (text.charCodeAt(a + i) !== text.charCodeAt(b + i)) return false;
  return true;
}

/**
 * True when the prefix `text` holds from `from` to `to` is bound in `scope`.
 * Each scope remembers the prefixes found bound in it, so that most names are
 * checked without a string made of their prefix.
 */
function prefixBound(text, from, to, scope) {
  const known = (scope.boundPrefixes ??= []);
  for (let i = 0; i < known.length; ++i) if (known[i].length === to - from && text.startsWith(known[i], from)) return true;
  const prefix = text.slice(from, to);
  if (scope.uri(prefix) === undefined) return false;
  known.push(prefix);
  return true;
}

/**
 * Where the first bad reference of `text` from `from` to `to` lies, or -1:
 * each & must begin one of the five entities or a character's. `first` is
 * where the first & from `from` on lies (-1 for none).
 */
function badReference(text, from, to, first = text.indexOf('&', from)) {
  for (let at = first; at >= 0 && at < to; at = text.indexOf('&', at + 1)) {
    REFERENCE.lastIndex = at;
    const m = REFERENCE.exec(text);
    if (m === null || m.index + m[0].length > to) return at;
    const code = m[1] !== undefined ? parseInt(m[1], 16) : m[2] !== undefined ? Number(m[2]) : 0x20;
    if (code > 0x10ffff || (code >= 0xd800 && code < 0xe000) || NOT_CHARACTER.test(String.fromCodePoint(code))) return at;
  }
  return -1;
}

/**
 * Why `text` is not a well-formed XML document with well-formed namespaces,
 * or null when it is: one root element, every element closed in order, end
 * tags without attributes, no attribute twice in a tag, every prefix bound,
 * references and characters XML allows, and nothing but blanks, comments and
 * processing instructions outside the root. One pass over the text, which
 * makes strings only of the namespace declarations and of what a fault names.
 */
export function xmlFault(text) {
  const lineOf = (at) => text.slice(0, at).split('\n').length;
  const fault = (what, at) => `${what} (line ${lineOf(at)})`;
  const bad = NOT_CHARACTER.exec(text);
  if (bad !== null) return fault(`a character XML does not allow, U+${bad[0].charCodeAt(0).toString(16).toUpperCase().padStart(4, '0')}`, bad.index);
  const start = text.charCodeAt(0) === 0xfeff ? 1 : 0;
  // The elements open: where each one's name starts and ends, `depth` numbers, and the scope outside it.
  const open = [];
  let depth = 0;
  const scopes = [];
  let scope = TOP_SCOPE;
  let roots = 0;
  // Where the next & and xmlns lie (-1: none is left), each looked up again only once passed.
  let amp = text.indexOf('&');
  let xmlns = text.indexOf('xmlns');
  const m = newMarkup();
  for (let at = start; ;) {
    const next = text.indexOf('<', at);
    const end = next < 0 ? text.length : next;
    const kind = next < 0 ? NONE : markupAt(text, next, m);
    if (next >= 0 && kind === NONE) return fault('a < that begins no tag', next);
    // The text before this markup: good references, and only blanks outside the root.
    if (depth === 0) {
      if (blanks(text, at) < end) return fault('text outside the root element', at);
    } else if (end > at) {
      if (amp >= 0 && amp < at) amp = text.indexOf('&', at);
      if (amp >= 0 && amp < end) {
        const ref = badReference(text, at, end, amp);
        if (ref >= 0) return fault('an & that begins no reference', ref);
      }
    }
    if (next < 0) break;
    at = m.end;
    if (kind === OTHER) {
      const markup = text.slice(next, m.end);
      if (markup.startsWith('<!--') && markup.slice(4, -3).includes('--') || markup.endsWith('--->')) return fault('a comment holding --', next);
      if (markup.startsWith('<![CDATA[') && depth === 0) return fault('CDATA outside the root element', next);
      if (markup.startsWith('<!DOCTYPE') && roots > 0) return fault('a document type after the root element', next);
      if (/^<\?xml\s/.test(markup) && next > start) {
        return fault('an XML declaration that is not at the start', next);
      }
      continue;
    }
    const from = next + (m.closing ? 2 : 1);
    const to = m.nameEnd;
    const element = () => text.slice(from, to);
    const colon = nameColon(text, from, to);
    if (colon === -2) return fault(`a bad element name, ${element()}`, next);
    if (m.closing) {
      if (m.attributesEnd > to || m.empty) return fault(`an end tag with attributes, ${text.slice(next, m.end)}`, next);
      const openFrom = open[depth - 2];
      const openTo = open[depth - 1];
      if (depth === 0 || openTo - openFrom !== to - from || !sameText(text, openFrom, from, to - from)) {
        return fault(depth === 0 ? `an end tag </${element()}> without its start` : `</${element()}> where </${text.slice(openFrom, openTo)}> belongs`, next);
      }
      depth -= 2;
      scope = scopes.pop();
      continue;
    }
    if (depth === 0 && roots++ > 0) return fault(`a second root element, <${element()}>`, next);
    let inside = scope;
    if (xmlns >= 0 && xmlns < to) xmlns = text.indexOf('xmlns', to);
    if (xmlns >= 0 && xmlns < m.attributesEnd) inside = scope.inside(text.slice(to, m.attributesEnd));
    const found = m.found;
    for (let a = 0; a < m.count; a += 4) {
      const nameFrom = found[a];
      const nameTo = found[a + 1];
      const valueFrom = found[a + 2];
      const valueTo = found[a + 3];
      const name = () => text.slice(nameFrom, nameTo);
      const colon = nameColon(text, nameFrom, nameTo);
      if (colon === -2) return fault(`a bad attribute name, ${name()}`, next);
      for (let k = 0; k < a; k += 4) {
        if (found[k + 1] - found[k] === nameTo - nameFrom && sameText(text, found[k], nameFrom, nameTo - nameFrom)) {
          return fault(`the attribute ${name()} twice in <${element()}>`, next);
        }
      }
      // The next < lies after the tag, unless in this value.
      const lt = text.indexOf('<', valueFrom);
      if (lt >= 0 && lt < valueTo) return fault(`a < in the value of ${name()}`, next);
      if (amp >= 0 && amp < valueFrom) amp = text.indexOf('&', valueFrom);
      if (amp >= 0 && amp < valueTo && badReference(text, valueFrom, valueTo, amp) >= 0) {
        return fault(`an & that begins no reference in the value of ${name()}`, next);
      }
      if (colon >= 0) {
        const declaring = colon - nameFrom === 5 && text.startsWith('xmlns', nameFrom);
        if (!declaring && !prefixBound(text, nameFrom, colon, inside)) return fault(`the prefix of ${name()} is not declared`, next);
        if (declaring && valueTo === valueFrom) return fault(`the prefix ${text.slice(colon + 1, nameTo)} is declared empty`, next);
      }
    }
    if (colon >= 0 && !prefixBound(text, from, colon, inside)) return fault(`the prefix of <${element()}> is not declared`, next);
    if (!m.empty) {
      open[depth++] = from;
      open[depth++] = to;
      scopes.push(scope);
      scope = inside;
    }
  }
  if (depth > 0) return fault(`<${text.slice(open[depth - 2], open[depth - 1])}> is not closed`, text.length);
  if (roots === 0) return 'no root element';
  return null;
}
