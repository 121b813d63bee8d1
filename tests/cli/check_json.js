#!/usr/bin/env node
// Validates JSON documents of kovxmlmerge (-json) against the schema kept in
// the repository, with ajv (npm, pinned by package-lock.json). Where the same
// run wrote a summary XML report, its overall, file and function figures must
// be the document's.
//
//   node check_json.js SCHEMA DOCUMENT [--summary SUMMARY_XML]
//
// Prints what is wrong and exits 1; exits 0 when the document is valid.
'use strict';

const fs = require('fs');
const Ajv2020 = require('ajv/dist/2020');

function fail(message) {
  console.log(message);
  process.exitCode = 1;
}

// The summary XML report is written one element a line: the figures are read
// with patterns, file by file and function by function.
function readSummary(text) {
  const number = (block, tag) => {
    const found = new RegExp(`<${tag}>(-?[0-9]+)</${tag}>`).exec(block);
    return found ? Number(found[1]) : undefined;
  };
  // Read as ISO-8859-1, the text's characters are the report's; XML holds no
  // control byte but tab, line feed and carriage return, the others are "?".
  const decode = (s) => s.replace(/&quot;/g, '"').replace(/&apos;/g, "'").replace(/&lt;/g, '<')
      .replace(/&gt;/g, '>').replace(/&amp;/g, '&');
  const figures = (block) => ({
    ter: number(block, 'ter'), hits: number(block, 'hits'), all: number(block, 'all'),
    statement_ter: number(block, 'statement_ter'), statement_hits: number(block, 'statement_hits'),
    statement_all: number(block, 'statement_all'),
  });
  const files = [];
  for (const file of text.split('\n\t<file name="').slice(1)) {
    const name = file.slice(0, file.indexOf('">'));
    const functions = [];
    for (const fn of file.split('\n\t\t<function name="').slice(1)) {
      const end = fn.indexOf('</function>');
      functions.push({name: fn.slice(0, fn.indexOf('">')), body: fn.slice(0, end),
                      ...figures(fn.slice(0, end))});
    }
    const summary = file.slice(file.indexOf('<file_summary>'));
    files.push({name, functions, ...figures(summary),
                na: number(summary, 'statement_na_functions')});
  }
  const overall = text.slice(text.indexOf('<overall_summary>'));
  return {decode, files, overall: {
    files: number(overall, 'files'), headers: number(overall, 'headers'),
    functions: number(overall, 'functions'), lines: number(overall, 'lines'),
    na: number(overall, 'statement_na_functions'), ...figures(overall)}};
}

// A report text as the summary XML report holds it.
function asInXml(text) {
  return text.replace(/[\u0000-\u0008\u000B\u000C\u000E-\u001F]/g, '?');
}

function compareWithSummary(document, summaryText) {
  const summary = readSummary(summaryText);
  const same = (label, got, want) => {
    if (got !== want) fail(`${label}: JSON ${JSON.stringify(got)}, summary XML ${JSON.stringify(want)}`);
  };
  const o = summary.overall;
  const s = document.summary;
  for (const key of ['files', 'headers', 'functions', 'lines']) same(`summary.${key}`, s[key], o[key]);
  same('summary.ter', JSON.stringify(s.ter), JSON.stringify({percent: o.ter, hits: o.hits, all: o.all}));
  same('summary.statement', JSON.stringify(s.statement), JSON.stringify({
    percent: o.statement_ter, hits: o.statement_hits, all: o.statement_all,
    not_available_functions: o.na}));
  same('number of files', document.files.length, summary.files.length);
  document.files.forEach((file, i) => {
    const want = summary.files[i];
    if (!want) return;
    same(`file ${i} name`, asInXml(file.name), summary.decode(want.name));
    same(`${file.name}: ter`, JSON.stringify(file.ter),
         JSON.stringify({percent: want.ter, hits: want.hits, all: want.all}));
    same(`${file.name}: statement`, JSON.stringify(file.statement), JSON.stringify({
      percent: want.statement_ter, hits: want.statement_hits, all: want.statement_all,
      not_available_functions: want.na}));
    same(`${file.name}: number of functions`, file.functions.length, want.functions.length);
    file.functions.forEach((fn, j) => {
      const w = want.functions[j];
      if (!w) return;
      same(`${file.name}: function ${j} name`, asInXml(fn.name), summary.decode(w.name));
      same(`${file.name}: ${fn.name}: ter`, JSON.stringify(fn.ter),
           JSON.stringify({percent: w.ter, hits: w.hits, all: w.all}));
      const available = w.body.includes('<statement_available>yes</statement_available>');
      same(`${file.name}: ${fn.name}: statement`, JSON.stringify(fn.statement), JSON.stringify(
          available ? {available, percent: w.statement_ter, hits: w.statement_hits, all: w.statement_all}
                    : {available, percent: null, hits: null, all: null}));
    });
  });
}

function main(argv) {
  const [schemaPath, documentPath] = argv;
  const summaryAt = argv.indexOf('--summary');
  const schema = JSON.parse(fs.readFileSync(schemaPath, 'utf8'));
  const ajv = new Ajv2020({allErrors: true, strict: true});
  const validate = ajv.compile(schema);

  const bytes = fs.readFileSync(documentPath);
  const text = new TextDecoder('utf-8', {fatal: true}).decode(bytes);  // throws on bad UTF-8
  const document = JSON.parse(text);
  if (!validate(document)) {
    fail(`${documentPath} does not match the schema:`);
    for (const error of validate.errors.slice(0, 20)) {
      fail(`  ${error.instancePath || '/'} ${error.message} ${JSON.stringify(error.params)}`);
    }
    return;
  }
  if (summaryAt >= 0) compareWithSummary(document, fs.readFileSync(argv[summaryAt + 1], 'latin1'));
}

try {
  main(process.argv.slice(2));
} catch (error) {
  fail(`${process.argv[3]}: ${error.message}`);
}
