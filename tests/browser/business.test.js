// Browser test: the whole business cycle as a person works it, by menu,
// mouse and keyboard. Goods are bought from a new supplier typed by name
// and received in two parts, the supplier's invoice is entered and paid;
// goods are sold to a new client, shipped, invoiced and the money
// received. The monthly report has grown by the walk's amounts, the stock
// list shows what is left of the walk's products, and the books check
// finds the books right. A screenshot of every page visited goes into the
// build folder, numbered in the order of the walk.
//
//   node business.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run, signIn } = require('./harness');
const { text, focusedColumn, typeLine, fact, shown, stockRow, reportCell, reportFigures, today } = require('./steps');

const SUPPLIER = '温州安达电器配件有限公司';
const CLIENT = '合肥新锐智能科技有限公司';
const PURCHASE = 'PO-BIZ-001';
const SALES = 'SO-BIZ-001';
const SWITCH = { prdnm: '微动开关', specs: 'KW11-3Z', unitg: '个' };
const RELAY = { prdnm: '中间继电器', specs: 'MY2NJ 24V', unitg: '个' };

// Bought: 200 switches at 3.50 and 50 relays at 18.00, prices with tax.
const BOUGHT = { switches: 200, relays: 50, amount: 200 * 3.5 + 50 * 18 };
const FIRST_SWITCHES = 120; // the rest comes with the second receipt
// Sold: 150 switches at 6.00 and 30 relays at 32.00.
const SOLD = { switches: 150, relays: 30, amount: 150 * 6 + 30 * 32 };

const REPORT_ROWS = ['zpordr', 'zwimpr', 'zpinvc', 'zppymn', 'zsordr', 'zwexpr', 'zsinvc', 'zspymn'];
const REPORT_COLS = ['total', 'prev1']; // prev1: this month's actual figures

// Takes the screenshots of the walk, numbered as the pages come.
function camera(out) {
  let taken = 0;
  return (page, name) => {
    taken += 1;
    const file = 'business-' + String(taken).padStart(2, '0') + '-' + name + '.png';
    return page.screenshot({ path: path.join(out, file), fullPage: true });
  };
}

// Opens a page from the sidebar menu by its item.
async function openMenu(page, href) {
  await Promise.all([page.waitForURL(new RegExp(href.replace('.', '\\.') + '$')),
    page.click('.sidebar a[href="' + href + '"]')]);
}

async function clickThrough(page, label, urlPattern) {
  await Promise.all([page.waitForURL(urlPattern), page.click(label)]);
}

function lineRows(page, table) {
  return page.locator('table.' + table + ' tbody tr');
}

// Types an order from the number on: partner, then each line (product,
// specs, unit, quantity, price, due date) and saves it with Enter.
async function typeOrder(page, snap, name, ordid, partner, lines, viewPattern) {
  assert.equal(await focusedColumn(page), 'ordid', 'the number has the focus');
  await page.keyboard.type(ordid);
  await page.keyboard.press('Tab');
  await page.keyboard.type(partner);
  for (const [product, qunty, itmpr] of lines) {
    await page.keyboard.press('Alt+N');
    assert.equal(await focusedColumn(page), 'prdnm');
    await typeLine(page, [product.prdnm, product.specs, null, product.unitg, qunty, itmpr, null]);
    await page.keyboard.press('Control+A');
    await page.keyboard.type(today());
  }
  await snap(page, name + '-edit');
  await Promise.all([page.waitForURL(viewPattern), page.keyboard.press('Enter')]);
}

async function buy(page, snap) {
  await openMenu(page, 'purchaseOrderEdit.htm');
  assert.equal(await text(page, 'main h1'), '新建采购订单');
  const lines = [[SWITCH, String(BOUGHT.switches), '3.5'], [RELAY, String(BOUGHT.relays), '18']];
  await typeOrder(page, snap, 'purchase-order', PURCHASE, SUPPLIER, lines, /purchaseOrderView\.htm\?ordid=PO-BIZ-001$/);
  assert.equal(await text(page, 'main h1'), '采购订单 ' + PURCHASE);
  assert.equal(await text(page, '.page-lead a'), SUPPLIER, 'the new supplier');
  assert.equal(await text(page, 'tfoot td.num'), shown(BOUGHT.amount));
  await snap(page, 'purchase-order');
}

// A receipt from the order's view, the quantities as given (null keeps
// what is offered), saved with Enter.
async function receive(page, snap, name, quantities) {
  await clickThrough(page, 'text=新建入库单', /stockImportEdit\.htm\?ordid=PO-BIZ-001$/);
  const rows = lineRows(page, 'movement-lines');
  assert.equal(await rows.count(), quantities.length, 'the open lines of the order');
  for (let i = 0; i < quantities.length; i++) {
    if (quantities[i] === null)
      continue;
    await rows.nth(i).locator('[data-column="qunty"]').focus();
    await page.keyboard.press('Control+A');
    await page.keyboard.type(quantities[i]);
  }
  await snap(page, name + '-edit');
  await Promise.all([page.waitForURL(/stockImportView\.htm\?impid=/), page.keyboard.press('Enter')]);
  assert.match(await text(page, 'main h1'), /^入库单 \S+$/);
  await snap(page, name);
}

async function receiveInTwoParts(page, base, snap) {
  await receive(page, snap, 'receipt-1', [String(FIRST_SWITCHES), null]);
  assert.equal(await text(page, '#movement-total'), shown(FIRST_SWITCHES * 3.5 + 50 * 18));
  await page.goto(base + 'purchaseOrderView.htm?ordid=' + PURCHASE);
  await snap(page, 'purchase-order-part');
  await receive(page, snap, 'receipt-2', [null]);
  assert.match(await text(page, 'table.movement-lines tbody tr'),
    new RegExp('PO-BIZ-001\\s*·\\s*1\\s*微动开关\\s*KW11-3Z\\s*个\\s*' + (200 - FIRST_SWITCHES) + '\\.00\\s*3\\.50'));
  assert.equal(await text(page, '#movement-total'), shown((200 - FIRST_SWITCHES) * 3.5));
}

// The supplier's invoice for all the order has received, then its payment.
async function invoiceAndPay(page, base, snap) {
  await page.goto(base + 'purchaseOrderView.htm?ordid=' + PURCHASE);
  await clickThrough(page, 'text=登记进项发票', /purchaseInvoiceEdit\.htm\?ordid=PO-BIZ-001$/);
  assert.equal(await page.inputValue('#pnm'), SUPPLIER);
  assert.equal(await lineRows(page, 'invoice-lines').count(), 3, 'the lines of both receipts');
  assert.equal(await text(page, '#invoice-total'), shown(BOUGHT.amount));
  await page.focus('#bilid');
  await page.keyboard.type('No.31005521');
  await snap(page, 'purchase-invoice-edit');
  await Promise.all([page.waitForURL(/purchaseInvoiceView\.htm\?invid=PI\d+$/), page.keyboard.press('Enter')]);
  assert.equal(await text(page, '#invoice-total'), shown(BOUGHT.amount));
  await snap(page, 'purchase-invoice');

  await clickThrough(page, 'a[data-pay]', /purchasePaymentEdit\.htm\?invid=/);
  assert.equal(await page.inputValue('#amont'), shown(BOUGHT.amount), 'all the order owes');
  await snap(page, 'payment-edit');
  await Promise.all([page.waitForURL(/purchasePaymentView\.htm\?pymid=PP\d+$/), page.keyboard.press('Enter')]);
  assert.equal(await text(page, '#payment-total'), shown(BOUGHT.amount));
  await snap(page, 'payment');

  await page.goto(base + 'purchaseOrderView.htm?ordid=' + PURCHASE);
  assert.equal(await fact(page, '已付'), shown(BOUGHT.amount));
  assert.equal(await fact(page, '未结'), '0.00', 'the order owes nothing');
  await snap(page, 'purchase-order-paid');
}

async function sell(page, snap) {
  await openMenu(page, 'salesOrderEdit.htm');
  assert.equal(await text(page, 'main h1'), '新建销售订单');
  const lines = [[SWITCH, String(SOLD.switches), '6'], [RELAY, String(SOLD.relays), '32']];
  await typeOrder(page, snap, 'sales-order', SALES, CLIENT, lines, /salesOrderView\.htm\?ordid=SO-BIZ-001$/);
  assert.equal(await text(page, '.page-lead a'), CLIENT, 'the new client');
  assert.equal(await text(page, 'tfoot td.num'), shown(SOLD.amount));
  await snap(page, 'sales-order');

  await clickThrough(page, 'text=新建出库单', /stockExportEdit\.htm\?ordid=SO-BIZ-001$/);
  assert.equal(await lineRows(page, 'movement-lines').count(), 2);
  assert.equal(await text(page, '#movement-total'), shown(SOLD.amount));
  await snap(page, 'issue-edit');
  await Promise.all([page.waitForURL(/stockExportView\.htm\?expid=/), page.keyboard.press('Enter')]);
  assert.match(await text(page, 'main h1'), /^出库单 \S+$/);
  await snap(page, 'issue');
}

async function invoiceAndCollect(page, base, snap) {
  await clickThrough(page, 'text=登记销项发票', /salesInvoiceEdit\.htm\?expid=/);
  assert.equal(await page.inputValue('#pnm'), CLIENT);
  assert.equal(await lineRows(page, 'invoice-lines').count(), 2);
  assert.equal(await text(page, '#invoice-total'), shown(SOLD.amount));
  await page.focus('#bilid');
  await page.keyboard.type('No.62008814');
  await snap(page, 'sales-invoice-edit');
  await Promise.all([page.waitForURL(/salesInvoiceView\.htm\?invid=\w+$/), page.keyboard.press('Enter')]);
  assert.equal(await text(page, '#invoice-total'), shown(SOLD.amount));
  await snap(page, 'sales-invoice');

  await clickThrough(page, 'a[data-pay]', /salesPaymentEdit\.htm\?invid=/);
  assert.equal(await page.inputValue('#amont'), shown(SOLD.amount), 'all the order is owed');
  await snap(page, 'receipt-of-money-edit');
  await Promise.all([page.waitForURL(/salesPaymentView\.htm\?pymid=\w+$/), page.keyboard.press('Enter')]);
  assert.equal(await text(page, '#payment-total'), shown(SOLD.amount));
  await snap(page, 'receipt-of-money');

  await page.goto(base + 'salesOrderView.htm?ordid=' + SALES);
  assert.equal(await fact(page, '未结'), '0.00', 'the client owes nothing');
  await snap(page, 'sales-order-paid');
}

async function checkReport(page, snap, before) {
  await openMenu(page, 'report.htm');
  const amounts = { zpordr: BOUGHT.amount, zwimpr: BOUGHT.amount, zpinvc: BOUGHT.amount, zppymn: BOUGHT.amount,
    zsordr: SOLD.amount, zwexpr: SOLD.amount, zsinvc: SOLD.amount, zspymn: SOLD.amount };
  for (const col of REPORT_COLS) {
    for (const row of REPORT_ROWS)
      assert.equal(await reportCell(page, col, row), shown(before[col + '/' + row] + amounts[row]), col + '/' + row);
  }
  await snap(page, 'report');
}

async function checkStock(page, base, snap) {
  const switches = await stockRow(page, base, SWITCH);
  assert.deepEqual([switches.onHand, switches.toShip, switches.toReceive, switches.left],
    [shown(BOUGHT.switches - SOLD.switches), '0.00', '0.00', shown(BOUGHT.switches - SOLD.switches)]);
  const relays = await stockRow(page, base, RELAY);
  assert.deepEqual([relays.onHand, relays.toShip, relays.toReceive, relays.left],
    [shown(BOUGHT.relays - SOLD.relays), '0.00', '0.00', shown(BOUGHT.relays - SOLD.relays)]);
  await openMenu(page, 'stockProductList.htm');
  await snap(page, 'stock');
}

async function checkBooks(page, snap) {
  await openMenu(page, 'systemCheck.htm');
  assert.equal(await text(page, 'main h1'), '账目检查');
  assert.match(await text(page, '[data-check]'), /账目一致/);
  await snap(page, 'books-check');
}

async function walk(page, base, out) {
  const snap = camera(out);
  await signIn(page, base);
  await snap(page, 'notices');
  const before = await reportFigures(page, base, REPORT_COLS, REPORT_ROWS);
  await snap(page, 'report-before');
  await buy(page, snap);
  await receiveInTwoParts(page, base, snap);
  await invoiceAndPay(page, base, snap);
  await sell(page, snap);
  await invoiceAndCollect(page, base, snap);
  await checkReport(page, snap, before);
  await checkStock(page, base, snap);
  await checkBooks(page, snap);
}

run('browser business', walk);
