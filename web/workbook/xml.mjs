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
    this.names = new Map(); // Qualified names resolved here: name -> [URI, local name].
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

  /** The prefix (with its colon, '' for the default) that names `uri` here, or undefined. */
  prefixOf(uri) {
    const seen = new Set();
    for (let scope = this; scope !== null; scope = scope.parent) {
      for (const [prefix, bound] of scope.declared) {
        if (seen.has(prefix)) continue;
        seen.add(prefix);
        if (bound === uri) return prefix === '' ? '' : `${prefix}:`;
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

const MARKUP = new RegExp(TAG.source, 'g');
const REFERENCE = /&(?:#x([0-9a-fA-F]{1,6})|#([0-9]{1,7})|lt|gt|amp|quot|apos);/y;
const NOT_CHARACTER = /[\x00-\x08\x0B\x0C\x0E-\x1F\uFFFE\uFFFF]|[\uD800-\uDBFF](?![\uDC00-\uDFFF])|(?<![\uD800-\uDBFF])[\uDC00-\uDFFF]/;
const NAME_PART = /^[A-Za-z_\u00C0-\uFFFD][\w.\-\u00B7\u00C0-\uFFFD]*$/;

/** True when `name` is a name XML with namespaces allows: one colon at most, between two parts. */
function goodName(name, names) {
  let good = names.get(name);
  if (good === undefined) {
    const parts = name.split(':');
    good = parts.length <= 2 && parts.every((part) => NAME_PART.test(part));
    names.set(name, good);
  }
  return good;
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
 * processing instructions outside the root.
 */
export function xmlFault(text) {
  const lineOf = (at) => text.slice(0, at).split('\n').length;
  const fault = (what, at) => `${what} (line ${lineOf(at)})`;
  const bad = NOT_CHARACTER.exec(text);
  if (bad !== null) return fault(`a character XML does not allow, U+${bad[0].charCodeAt(0).toString(16).toUpperCase().padStart(4, '0')}`, bad.index);
  const open = []; // The names of the elements open, and their scopes.
  const scopes = [];
  let scope = TOP_SCOPE;
  const names = new Map();
  let roots = 0;
  let at = text.charCodeAt(0) === 0xfeff ? 1 : 0;
  let amp = text.indexOf('&');
  MARKUP.lastIndex = at;
  for (let m = MARKUP.exec(text); ; m = MARKUP.exec(text)) {
    const end = m === null ? text.length : m.index;
    // The text before this markup: no <, good references, and only blanks outside the root.
    const lt = text.indexOf('<', at);
    if (lt >= 0 && lt < end) return fault('a < that begins no tag', lt);
    if (open.length === 0) {
      if (/\S/.test(text.slice(at, end))) return fault('text outside the root element', at);
    } else {
      // Where the next & lies is looked up again only once it is passed: a text may have none.
      if (amp >= 0 && amp < at) amp = text.indexOf('&', at);
      if (amp >= 0 && amp < end) {
        const ref = badReference(text, at, end, amp);
        if (ref >= 0) return fault('an & that begins no reference', ref);
      }
    }
    if (m === null) break;
    at = MARKUP.lastIndex;
    if (m[2] === undefined) {
      const markup = m[0];
      if (markup.startsWith('<!--') && markup.slice(4, -3).includes('--') || markup.endsWith('--->')) return fault('a comment holding --', m.index);
      if (markup.startsWith('<![CDATA[') && open.length === 0) return fault('CDATA outside the root element', m.index);
      if (markup.startsWith('<!DOCTYPE') && roots > 0) return fault('a document type after the root element', m.index);
      if (markup.startsWith('<?xml') && /^<\?xml\s/.test(markup) && m.index > (text.charCodeAt(0) === 0xfeff ? 1 : 0)) {
        return fault('an XML declaration that is not at the start', m.index);
      }
      continue;
    }
    const name = m[2];
    if (!goodName(name, names)) return fault(`a bad element name, ${name}`, m.index);
    if (m[1] === '/') {
      if (m[3] !== '' || m[4] === '/') return fault(`an end tag with attributes, </${name}${m[3]}${m[4]}>`, m.index);
      if (open.length === 0 || open[open.length - 1] !== name) {
        return fault(open.length === 0 ? `an end tag </${name}> without its start` : `</${name}> where </${open[open.length - 1]}> belongs`, m.index);
      }
      open.pop();
      scope = scopes.pop();
      continue;
    }
    if (open.length === 0 && roots++ > 0) return fault(`a second root element, <${name}>`, m.index);
    let inside = scope;
    if (m[3] !== '') {
      inside = scope.inside(m[3]);
      const seen = [];
      for (const a of m[3].matchAll(ATTRIBUTE)) {
        const attribute = a[1];
        if (!goodName(attribute, names)) return fault(`a bad attribute name, ${attribute}`, m.index);
        if (seen.includes(attribute)) return fault(`the attribute ${attribute} twice in <${name}>`, m.index);
        seen.push(attribute);
        const value = a[2] ?? a[3];
        if (value.includes('<')) return fault(`a < in the value of ${attribute}`, m.index);
        if (value.includes('&') && badReference(value, 0, value.length) >= 0) return fault(`an & that begins no reference in the value of ${attribute}`, m.index);
        const colon = attribute.indexOf(':');
        if (colon > 0 && attribute.slice(0, colon) !== 'xmlns' && inside.uri(attribute.slice(0, colon)) === undefined) {
          return fault(`the prefix of ${attribute} is not declared`, m.index);
        }
        if (attribute.startsWith('xmlns:') && value === '') return fault(`the prefix ${attribute.slice(6)} is declared empty`, m.index);
      }
    }
    if (inside.element(name)[0] === undefined) return fault(`the prefix of <${name}> is not declared`, m.index);
    if (m[4] !== '/') {
      open.push(name);
      scopes.push(scope);
      scope = inside;
    }
  }
  if (open.length > 0) return fault(`<${open[open.length - 1]}> is not closed`, text.length);
  if (roots === 0) return 'no root element';
  return null;
}
