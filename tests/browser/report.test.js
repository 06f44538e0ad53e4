// Browser test: the monthly report, order tracking and the lookups of the
// page scripts. A purchase order and a sales order (for a client whose
// name is hostile on purpose) are saved through the pages' own posts; the
// lookup answers are read back whole and malformed ones refused; the
// report shows its rows, its chart and its forecast columns, its figures
// grown by the orders' amounts, and is filtered by the client picked
// from the suggestions; the tracking pages, narrowed to one order, switch
// between open and completed lines by keyboard; an order line
// suggests the catalogue and fills the unit; a new payment has its picker
// ready as soon as a known supplier is typed. Screenshots go into the
// build folder.
//
//   node report.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run, signIn } = require('./harness');
const { text, today, shown, reportCell: cell, reportFigures } = require('./steps');

const CLIENT = 'O\'Brien</script>"\\ & 公司';
const SUPPLIER = '深圳市鹏达五金制品厂'; // supplier 2 of the demo company
const SALES = 'SO-RPT-001';
const PURCHASE = 'PO-RPT-001';
const LAMP = { prdnm: 'LED灯管', specs: 'T8 1.2米 18W', unitg: '支' }; // in the demo catalogue, one spec

// An order of one line with tax in the price, dated and due today.
async function saveOrder(page, base, side, fields) {
  const form = {
    cmd: 'save', ordid: fields.ordid, [side === 'sales' ? 'cltnm' : 'splnm']: fields.partner, excdt: today(),
    taxrt: '含税', crncy: '人民币', exchn: '1',
    'list.001._type': 'create', 'list.001.prdnm': fields.prdnm, 'list.001.specs': fields.specs,
    'list.001.unitg': fields.unitg, 'list.001.qunty': fields.qunty, 'list.001.itmpr': fields.itmpr,
    'list.001.taxrt': '含税', 'list.001.plndt': today(),
  };
  const reply = await page.request.post(base + side + 'OrderEdit.htm', { form });
  assert.match(await reply.text(), /^ok:/, fields.ordid + ' is saved');
}

// The page script's reader of lookup answers, and the lookups themselves,
// with the hostile name going there and back.
async function checkLookups(page) {
  const results = await page.evaluate(async (client) => {
    const Q = window.Quillot;
    const refused = (answer) => {
      try {
        Q.readAnswer(answer);
        return false;
      } catch (error) {
        return true;
      }
    };
    const polluted = Q.readAnswer("ok:({'__proto__':{polluted:1}})");
    return {
      record: await Q.lookup('client', { cltnm: client }),
      names: await Q.lookup('client'),
      specs: await Q.lookup('specs', { prdnm: 'LED灯管' }),
      none: await Q.lookup('supply', { splnm: '无此供应商' }),
      badcmd: await Q.lookup('fly').then(() => 'answered', (error) => error.message),
      parsed: Q.readAnswer("ok:( ({'a':[1,-2.50,{b:'\\u003c\\'\\\\\\n'}], c : '' }) )"),
      empty: Q.readAnswer('ok:()'),
      ownKey: Object.keys(polluted).join() + '/' + ({}).polluted,
      refused: [
        'ok:(alert(1))', "ok:('a'+'b')", "ok:(['a'],alert(1))", "ok:('\\x41')", "ok:({a:1}", "ok:('a\nb')",
        'ok:(1e3)', 'ok:([1,])', "ok:({'a' 1})", 'ok:(' + '['.repeat(5000) + ']'.repeat(5000) + ')', 'badcmd', '',
      ].filter((answer) => !refused(answer)),
    };
  }, CLIENT);
  assert.equal(results.record.cltnm, CLIENT, 'the name read back whole');
  assert.ok(results.names.includes(CLIENT), 'the name among all clients');
  assert.deepEqual(results.specs, [{ specs: LAMP.specs, unitg: LAMP.unitg }]);
  assert.deepEqual(results.none, {});
  assert.notEqual(results.badcmd, 'answered', 'an unknown command is refused');
  assert.deepEqual(results.parsed, { a: [1, -2.5, { b: '<\'\\\n' }], c: '' });
  assert.equal(results.empty, null);
  assert.equal(results.ownKey, '__proto__/undefined', 'a key never reaches the prototype');
  assert.deepEqual(results.refused, [], 'every malformed answer is refused');
}

// The report's figures the walk's orders change, read before they are saved.
const FIGURES = { cols: ['total', 'prev1', 'month'], rows: ['zsordr', 'zpordr', 'zwexpr', 'zwimpr'] };

// A cell of the report grown by the walk's amount since `before`.
async function grown(page, before, col, row, amount) {
  assert.equal(await cell(page, col, row), shown(before[col + '/' + row] + amount), col + '/' + row);
}

async function checkReport(page, base, out, before) {
  await page.goto(base + 'report.htm');
  assert.equal(await text(page, 'main h1'), '月度报表');
  assert.equal(await page.locator('table.report-table tbody tr').count(), 8, 'a row for each kind of document');
  assert.equal(await page.locator('svg.report-chart rect').count(), 14, 'two bars for each of seven months');
  // This month twice: actual figures before the middle, forecast in it.
  const month = today().slice(0, 7);
  assert.equal(await text(page, 'th[data-col="prev1"]'), month);
  assert.equal(await text(page, 'th[data-col="month"]'), month + '(预计)');
  const forecasts = await page.locator('table.report-table th.forecast').allTextContents();
  assert.deepEqual(forecasts.map((heading) => heading.endsWith('(预计)')), [true, true, true, true]);
  assert.equal(await page.locator('svg.report-chart g.forecast').count(), 4, 'forecast bars marked too');
  await grown(page, before, 'total', 'zsordr', 125);
  await grown(page, before, 'prev1', 'zsordr', 125);
  await grown(page, before, 'total', 'zpordr', 80);
  assert.equal(await cell(page, 'month', 'zsordr'), '--', 'no orders are forecast');
  await grown(page, before, 'month', 'zwexpr', 125); // goods to ship this month
  await grown(page, before, 'month', 'zwimpr', 80); // goods to come this month

  // The client picked from the suggestions filters the report.
  await page.focus('#cltnm');
  await page.waitForFunction((name) => Array.from(document.querySelectorAll('#report-clients option'))
    .some((option) => option.value === name), CLIENT);
  await page.keyboard.type(CLIENT);
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  assert.equal(await page.inputValue('#cltnm'), CLIENT, 'the filter shows again as typed');
  assert.equal(await cell(page, 'total', 'zsordr'), '125.00');
  assert.equal(await cell(page, 'total', 'zpordr'), '--', 'purchases do not count for a client');
  assert.equal(await cell(page, 'month', 'zwimpr'), '--');

  // The product filter suggests the catalogue and the product's specs.
  await page.focus('#prdnm');
  await page.locator('#report-products option[value="' + LAMP.prdnm + '"]').waitFor({ state: 'attached' });
  await page.keyboard.type(LAMP.prdnm);
  await page.keyboard.press('Tab');
  await page.locator('#report-specs option[value="' + LAMP.specs + '"]').waitFor({ state: 'attached' });
  await page.screenshot({ path: path.join(out, 'report.png'), fullPage: true });
}

// Sets the switches of a tracking page by keyboard (Space on those to
// change) and shows the lines they select (Enter).
async function showLines(page, wanted) {
  for (const name of ['s1', 's2']) {
    await page.focus('input[name="' + name + '"]');
    if (await page.isChecked('input[name="' + name + '"]') !== wanted[name])
      await page.keyboard.press('Space');
  }
  await Promise.all([page.waitForNavigation(), page.keyboard.press('Enter')]);
  for (const name of ['s1', 's2'])
    assert.equal(await page.isChecked('input[name="' + name + '"]'), wanted[name], name + ' as set');
}

// Narrows a tracking page to one order by its filter, typed.
async function filterOrder(page, ordid) {
  await page.focus('#filter');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('t.ordid EQ ' + ordid);
}

async function checkTracking(page, base, out) {
  await page.goto(base + 'purchase.htm');
  assert.equal(await text(page, 'main h1'), '采购订单跟踪');
  await filterOrder(page, PURCHASE);
  await showLines(page, { s1: false, s2: true });
  assert.equal(await page.locator('table.tracking-list').count(), 0, 'nothing of the order is completed yet');
  await showLines(page, { s1: true, s2: false });
  assert.match(await text(page, 'table.tracking-list tbody tr'), /PO-RPT-001\s*1\s*\S+\s*深圳市鹏达五金制品厂\s*不锈钢螺丝/);
  await page.screenshot({ path: path.join(out, 'report-purchase.png'), fullPage: true });

  await page.goto(base + 'sales.htm');
  await filterOrder(page, SALES);
  await showLines(page, { s1: false, s2: true });
  assert.equal(await page.locator('table.tracking-list').count(), 0);
  await showLines(page, { s1: true, s2: false });
  const row = page.locator('table.tracking-list tbody tr').first();
  assert.equal((await row.locator('td').nth(3).textContent()).trim(), CLIENT, 'the name as text');
  await page.screenshot({ path: path.join(out, 'report-sales.png'), fullPage: true });
  // The switches stay for the next visit.
  await page.goto(base + 'sales.htm');
  assert.equal(await page.isChecked('input[name="s1"]'), true);
  assert.equal(await page.isChecked('input[name="s2"]'), false);
}

// A new order line suggests the catalogue; the product typed brings its
// only spec's unit and lists its specs.
async function checkProductSuggestions(page, base) {
  await page.goto(base + 'salesOrderEdit.htm');
  await page.keyboard.press('Alt+N');
  await page.locator('#order-products option[value="' + LAMP.prdnm + '"]').waitFor({ state: 'attached' });
  assert.equal(await page.evaluate(() => document.activeElement.getAttribute('list')), 'order-products');
  await page.keyboard.type(LAMP.prdnm);
  await page.keyboard.press('Tab');
  await page.locator('#order-specs option[value="' + LAMP.specs + '"]').waitFor({ state: 'attached' });
  const unit = page.locator('table.order-lines tbody tr [data-column="unitg"]');
  await page.waitForFunction(() => document.querySelector('table.order-lines tbody [data-column="unitg"]').value !== '');
  assert.equal(await unit.inputValue(), LAMP.unitg);
}

// A blank payment: the supplier typed in full fills the picker before it
// is asked for.
async function checkPickerForTypedPartner(page, base) {
  await page.goto(base + 'purchasePaymentEdit.htm');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pnm');
  await page.keyboard.type(SUPPLIER);
  await page.waitForFunction((name) =>
    document.querySelector('#open-lines [data-partner-name]').textContent.trim() === name, SUPPLIER);
  await page.keyboard.press('Alt+O');
  const picker = page.locator('#open-lines');
  await picker.waitFor({ state: 'visible' });
  assert.equal(await picker.locator('tbody tr[data-ordid="' + PURCHASE + '"]').count(), 1);
  await page.keyboard.press('Escape');
  await picker.waitFor({ state: 'hidden' });
}

async function walk(page, base, out) {
  await signIn(page, base);
  const before = await reportFigures(page, base, FIGURES.cols, FIGURES.rows);
  await saveOrder(page, base, 'sales', { ordid: SALES, partner: CLIENT, ...LAMP, qunty: '10', itmpr: '12.5' });
  await saveOrder(page, base, 'purchase',
    { ordid: PURCHASE, partner: SUPPLIER, prdnm: '不锈钢螺丝', specs: 'M6×20', unitg: '盒', qunty: '100', itmpr: '0.8' });
  await page.goto(base + 'report.htm');
  await checkLookups(page);
  await checkReport(page, base, out, before);
  await checkTracking(page, base, out);
  await checkProductSuggestions(page, base);
  await checkPickerForTypedPartner(page, base);
}

run('browser report', walk);
