import assert from 'node:assert/strict';
import { test } from 'node:test';
import { attribute, eachTag, elementEnd, escapeXml, namespaces, unescapeXml, withAttribute, xmlText } from './xml.mjs';

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

test('an element ends at its own end tag', () => {
  const text = '<r><c><c/><c>1</c></c><c>2</c></r>';
  const first = eachTag(text, 0, (tag) => tag.name === 'c');
  assert.equal(text.slice(first.start, elementEnd(text, first)), '<c><c/><c>1</c></c>');
  const empty = eachTag(text, first.end, (tag) => tag.name === 'c');
  assert.equal(text.slice(empty.start, elementEnd(text, empty)), '<c/>');
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
  assert.deepEqual([...namespaces('<?xml version="1.0"?><w xmlns="u:main" xmlns:x14ac="u:ac" a="1"/>')],
    [['', 'u:main'], ['x14ac', 'u:ac']]);
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
