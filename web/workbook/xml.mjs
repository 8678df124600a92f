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

/**
 * Reads into `m` the tag at the < at `p` of `text` when it is written in the
 * plain form most tags are: a name of printable ASCII, each attribute after
 * one space as name="value", and > or />. What it reads is what markupAt
 * reads; for any other form it gives false, and markupAt reads the tag.
 */
function plainTagAt(text, p, m) {
  let q = p + 1;
  let c = text.charCodeAt(q);
  const closing = c === 47;
  if (closing) c = text.charCodeAt(++q);
  const nameStart = q;
  while (c > 32 && c < 127 && c !== 47 && c !== 62 && c !== 33 && c !== 63) c = text.charCodeAt(++q);
  if (q === nameStart) return false;
  const nameEnd = q;
  const found = m.found;
  let count = 0;
  let end = q;
  while (c === 32) {
    const attributeStart = ++q;
    c = text.charCodeAt(q);
    while (c > 32 && c < 127 && c !== 61 && c !== 47 && c !== 62) c = text.charCodeAt(++q);
    if (c !== 61 || q === attributeStart || text.charCodeAt(q + 1) !== 34) return false;
    const close = text.indexOf('"', q + 2);
    if (close < 0) return false;
    found[count++] = attributeStart;
    found[count++] = q;
    found[count++] = q + 2;
    found[count++] = close;
    end = close + 1;
    q = end;
    c = text.charCodeAt(q);
  }
  const empty = c === 47;
  if (empty) c = text.charCodeAt(++q);
  if (c !== 62) return false;
  m.start = p;
  m.closing = closing;
  m.nameEnd = nameEnd;
  m.count = count;
  m.attributesEnd = end;
  m.empty = empty;
  m.end = q + 1;
  return true;
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

/**
 * The tags of a text one at a time, with the namespaces in scope as
 * eachElement has them, but without a string made for a tag: a reader of a
 * large part recognises the few names it wants by their characters. After
 * next() gives true, m is the tag as markupAt reads it (start, end, closing,
 * empty, nameEnd, attributesEnd, found and count), nameStart where its name
 * starts, and scope the namespaces in scope inside it (for an end tag, inside
 * the element it ends); a new scope is made only where a tag's attributes
 * hold xmlns.
 */
export class TagCursor {
  /** A cursor before the first tag of `text` from `from` on, `scope` the scope at `from`. */
  constructor(text, from, scope) {
    this.text = text;
    this.m = newMarkup();
    this.nameStart = 0;
    this.scope = scope;
    this.current = scope;
    this.outer = [];
    this.at = text.indexOf('<', from);
    // Where the next "xmlns" lies from the last start tag's name on: -1 when none is left.
    this.xmlns = text.indexOf('xmlns', from);
  }

  /** Moves to the next tag: false when there is none. */
  next() {
    const { text, m } = this;
    for (let p = this.at; p >= 0;) {
      const kind = plainTagAt(text, p, m) ? TAG : markupAt(text, p, m);
      if (kind !== TAG) {
        p = text.indexOf('<', kind === NONE ? p + 1 : m.end);
        continue;
      }
      this.at = text.indexOf('<', m.end);
      let own = this.current;
      if (m.closing) {
        this.nameStart = p + 2;
        if (this.outer.length > 0) this.current = this.outer.pop();
      } else {
        this.nameStart = p + 1;
        if (this.xmlns >= 0 && this.xmlns < m.nameEnd) this.xmlns = text.indexOf('xmlns', m.nameEnd);
        if (this.xmlns >= 0 && this.xmlns + 5 <= m.attributesEnd) own = own.inside(text.slice(m.nameEnd, m.attributesEnd));
        if (!m.empty) {
          this.outer.push(this.current);
          this.current = own;
        }
      }
      this.scope = own;
      return true;
    }
    this.at = -1;
    return false;
  }

  /**
   * Passes the rest of the element whose start tag the cursor is at, up to
   * `end`, where its end tag ends, as if its tags had been read: what lies
   * between, which the caller has read, must be elements closed in it that
   * declare no namespace.
   */
  passElement(end) {
    if (this.outer.length > 0) this.current = this.outer.pop();
    this.at = this.text.indexOf('<', end);
  }
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
