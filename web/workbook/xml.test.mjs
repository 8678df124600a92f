import assert from 'node:assert/strict';
import { test } from 'node:test';
import { attribute, eachElement, eachTag, escapeXml, TOP_SCOPE, unescapeXml, withAttribute, xmlText } from './xml.mjs';

test('tags are found where they lie, whatever their attributes hold', () => {
  const text = '<?xml version="1.0"?><!-- <no> --><a x="1>2" y=\'"\'><b/><![CDATA[<c>]]></a >';
  const found = [];
  eachTag(text, 0, (tag) => {
    found.push([tag.name, tag.closing, tag.empty, text.slice(tag.start, tag.end)]);
  });
  assert.deepEqual(found, [
    ['a', false, false, '<a x="1>2" y=\'"\'>'],
    ['b', false, true, '<b/>'],
    ['a', true, false, '</a >'],
  ]);
  const a = eachTag(text, 0, (tag) => tag.name === 'a');
  assert.equal(attribute(a.attributes, 'x'), '1>2');
  assert.equal(attribute(a.attributes, 'y'), '"');
  assert.equal(attribute(a.attributes, 'z'), undefined);
});

test('attributes are read, set, added and taken out', () => {
  for (const [tag, name, value, expected] of [
    ['<row r="2" spans="1:5">', 'spans', '1:12', '<row r="2" spans="1:12">'],
    ['<row r="2">', 'spans', '1:12', '<row r="2" spans="1:12">'],
    ['<c/>', 't', 'b', '<c t="b"/>'],
    ['<x:c r="A1" />', 't', 'b', '<x:c r="A1" t="b"/>'],
    ["<table:table-row table:number-rows-repeated='3'>", 'table:number-rows-repeated', undefined, '<table:table-row>'],
    ['<table:table-cell table:number-columns-repeated="9"/>', 'table:number-columns-repeated', 4, '<table:table-cell table:number-columns-repeated="4"/>'],
    ['<a ab="1" b="2">', 'b', 'x&"', '<a ab="1" b="x&amp;&quot;">'],
  ]) {
    assert.equal(withAttribute(tag, name, value), expected, tag);
  }
  assert.equal(attribute(' ab="1" b="2"', 'b'), '2');
});

test('entities and character references', () => {
  for (const [escaped, text] of [
    ['a &amp; b &lt;c&gt; &quot;d&quot; &apos;e&apos;', 'a & b <c> "d" \'e\''],
    ['L&#252;cke &#x1F600;', 'L\u00fccke \u{1F600}'],
    ['&amp;lt;', '&lt;'],
  ]) {
    assert.equal(unescapeXml(escaped), text);
  }
  assert.equal(escapeXml('a & <b> "c"'), 'a &amp; &lt;b&gt; &quot;c&quot;');
});

test('parts are read as UTF-8 only', () => {
  const bytes = (text) => new TextEncoder().encode(text);
  assert.equal(xmlText(bytes('\uFEFF<a/>')), '\uFEFF<a/>', 'the byte-order mark kept');
  assert.equal(xmlText(new Uint8Array([0x3c, 0x61, 0xfc, 0x2f, 0x3e])), null);
  assert.equal(xmlText(bytes('<?xml version="1.0" encoding="ISO-8859-1"?><a/>')), null);
  assert.equal(xmlText(bytes('<?xml version="1.0" encoding="UTF-8"?><a/>')).length, 42);
});

test('attributes are read however they are written', () => {
  for (const [attributes, name, value] of [
    [' r="A1" s="0"', 'r', 'A1'],
    [' s="0" r="A1"', 'r', 'A1'],
    [' nr="1" r="2"', 'r', '2'],
    [" r='A1'", 'r', 'A1'],
    [' r = "A1"', 'r', 'A1'],
    [' t="a&amp;b"', 't', 'a&b'],
    [' rr="1"', 'r', undefined],
    [' table:style-name="ce1" table:name="S"', 'table:name', 'S'],
  ]) {
    assert.equal(attribute(attributes, name), value, attributes);
  }
});

test('names are resolved by the namespaces in scope, declared on any element', () => {
  const text = '<w xmlns="u:main"><sheets><sheet xmlns:r="u:rel" r:id="1"/><x:sheet xmlns:x="u:main" xmlns:r="u:other" r:id="2"/></sheets>' +
    '<p:ext xmlns:p="u:ext"><c/><p:c xmlns:p="u:main"/><p:c/></p:ext><c xmlns=""/><r:c/></w>';
  const found = [];
  eachElement(text, 0, TOP_SCOPE, (tag) => {
    if (!tag.closing) found.push([tag.name, tag.ns, tag.local, tag.scope.attribute(tag.attributes, 'u:rel', 'id')]);
  });
  assert.deepEqual(found, [
    ['w', 'u:main', 'w', undefined],
    ['sheets', 'u:main', 'sheets', undefined],
    ['sheet', 'u:main', 'sheet', '1'],
    ['x:sheet', 'u:main', 'sheet', undefined],
    ['p:ext', 'u:ext', 'ext', undefined],
    ['c', 'u:main', 'c', undefined],
    ['p:c', 'u:main', 'c', undefined],
    ['p:c', 'u:ext', 'c', undefined],
    ['c', '', 'c', undefined],
    ['r:c', undefined, 'c', undefined],
  ]);
});
