// Browser test: goods in and out against orders. A purchase order of two
// lines is received from its view with one quantity lowered (received in
// part) and saved by keyboard; a sales order is shipped in part from its
// view, past a warning and a refusal of too little stock; the product
// stock list shows the stock on hand, what is still to ship and to
// receive, and offers a reorder where the orders want more than there
// will be; the rest of the purchase order is picked from the open order
// lines by keyboard; the delivery note prints; the issue is reversed
// and restored. Screenshots go into the build folder.
//
//   node stock.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run, signIn } = require('./harness');
const { text, figure, shownQuantity, stockRow } = require('./steps');

// Partners of the walk's own, so that only its orders are open for them.
const SUPPLIER = '宁波恒力紧固件有限公司';
const CLIENT = '青岛瑞丰机电贸易有限公司';
const PURCHASE = 'PO-STK-001';
const SALES = 'SO-STK-001';
const SCREW = { prdnm: '不锈钢螺丝', specs: 'M6×20' }; // on hand and on order in the demo's trade
const BOLT = { prdnm: '膨胀螺栓 <M10>', specs: 'M10×80 "A&B"' }; // new, and hostile
const CONTACTOR = { prdnm: '交流接触器', specs: 'CJX2-1810' }; // on hand and on order in the demo's trade

// Saves an order through its page as its form would, lines given as
// [product, quantity, price, unit].
async function saveOrder(page, base, side, fields, lines) {
  const form = Object.assign({ cmd: 'save', excdt: '2026-12-01', taxrt: '不含税', crncy: 'RMB', exchn: '1' }, fields);
  lines.forEach(([product, qunty, itmpr, unitg], i) => {
    const at = 'list.' + String(i + 1).padStart(3, '0') + '.';
    Object.assign(form, {
      [at + '_type']: 'create', [at + 'prdnm']: product.prdnm, [at + 'specs']: product.specs,
      [at + 'unitg']: unitg, [at + 'qunty']: qunty, [at + 'itmpr']: itmpr, [at + 'taxrt']: '不含税',
      [at + 'plndt']: '2026-12-20',
    });
  });
  const reply = await page.request.post(base + side + 'OrderEdit.htm', { form });
  assert.match(await reply.text(), /^ok:/, 'the order is saved');
}

function lineRows(page) {
  return page.locator('table.movement-lines tbody tr');
}

async function receivePart(page, base, out) {
  await saveOrder(page, base, 'purchase', { ordid: PURCHASE, splnm: SUPPLIER },
    [[SCREW, '50', '15.5', '盒'], [BOLT, '40', '2.5', '个']]);
  await page.goto(base + 'purchaseOrderView.htm?ordid=' + PURCHASE);
  await Promise.all([page.waitForURL(/stockImportEdit\.htm\?ordid=PO-STK-001$/), page.click('text=新建入库单')]);
  assert.equal(await text(page, 'main h1'), '新建入库单');
  assert.equal(await page.inputValue('#pnm'), SUPPLIER);
  const rows = lineRows(page);
  assert.equal(await rows.count(), 2, 'the open lines of the order');
  const first = rows.nth(0).locator('[data-column="qunty"]');
  assert.equal(await first.evaluate((input) => input === document.activeElement), true, 'the first quantity has the focus');
  assert.equal(await first.inputValue(), '50');
  assert.equal(await rows.nth(1).locator('[data-column="prdnm"]').inputValue(), BOLT.prdnm);
  assert.equal(await rows.nth(1).locator('[data-column="prdnm"]').getAttribute('readonly'), '', 'the order fixes the product');
  assert.match(await rows.nth(1).locator('td').first().textContent(), /PO-STK-001\s*·\s*2/);

  // Receive 30 of the 40 bolts.
  const second = rows.nth(1).locator('[data-column="qunty"]');
  await second.focus();
  await page.keyboard.press('Control+A');
  await page.keyboard.type('30');
  assert.equal(await text(page, '#movement-total'), '850.00', '50 x 15.5 + 30 x 2.5');
  await page.screenshot({ path: path.join(out, 'stock-receipt-edit.png'), fullPage: true });
  await Promise.all([page.waitForURL(/stockImportView\.htm\?impid=/), page.keyboard.press('Enter')]);

  assert.match(await text(page, 'main h1'), /^入库单 \S+$/);
  assert.equal(await page.locator('[data-state="normal"]').count(), 1);
  const lines = page.locator('table.movement-lines tbody tr');
  assert.equal(await lines.count(), 2);
  assert.match(await lines.nth(1).textContent(), /PO-STK-001\s*·\s*2\s*膨胀螺栓 <M10>\s*M10×80 "A&B"\s*个\s*30\.00\s*2\.50/);
  assert.equal(await text(page, '#movement-total'), '850.00');
  await page.screenshot({ path: path.join(out, 'stock-receipt-view.png'), fullPage: true });
}

// The stock of a product as numbers.
async function stockFigures(page, base, product) {
  const row = await stockRow(page, base, product);
  return {
    onHand: figure(row.onHand), toShip: figure(row.toShip), toReceive: figure(row.toReceive), left: figure(row.left),
  };
}

// The sales order wants ten contactors more than there will be, so that
// the stock list offers to reorder them.
async function shipPart(page, base, out, before) {
  const contactors = shownQuantity(before.contactors.left + 10);
  await saveOrder(page, base, 'sales', { ordid: SALES, cltnm: CLIENT },
    [[SCREW, '100', '25', '盒'], [CONTACTOR, contactors, '80', '台']]);
  await page.goto(base + 'salesOrderView.htm?ordid=' + SALES);
  await Promise.all([page.waitForURL(/stockExportEdit\.htm\?ordid=SO-STK-001$/), page.click('text=新建出库单')]);
  assert.equal(await text(page, 'main h1'), '新建出库单');
  const rows = lineRows(page);
  assert.equal(await rows.count(), 2);

  // The contactors wait for the next shipment: Escape drops their line.
  await rows.nth(1).locator('[data-column="qunty"]').focus();
  await page.keyboard.press('Escape');
  assert.equal(await rows.count(), 1);

  // More than the screws on hand and than the 100 ordered: the line says so.
  const tooMany = String(Math.ceil(Math.max(before.screws.onHand + 50, 100)) + 30);
  const quantity = rows.nth(0).locator('[data-column="qunty"]');
  await quantity.focus();
  await page.keyboard.press('Control+A');
  await page.keyboard.type(tooMany);
  assert.equal(await rows.nth(0).getAttribute('class'), 'is-editing is-short is-over');
  assert.deepEqual(await page.locator('table.movement-lines .cell-note').allTextContents(), ['不足', '超出'],
    'more than the stock, and than the order line has open');
  // Saved anyway, it is refused next to the lines, the quantity in focus.
  await page.keyboard.press('Enter');
  const refusal = page.locator('[data-errors~="zcprdc"] > .field-error');
  await refusal.waitFor({ state: 'visible' });
  assert.match(await refusal.textContent(), /库存不够|已发货数量不能超过订单未发货的数量/);
  assert.equal(await quantity.getAttribute('aria-invalid'), 'true');
  assert.equal(await quantity.evaluate((input) => input === document.activeElement), true);
  await page.screenshot({ path: path.join(out, 'stock-issue-short.png'), fullPage: true });
  await page.keyboard.press('Control+A');
  await page.keyboard.type('60');
  assert.equal(await page.locator('table.movement-lines .cell-note').count(), 0);
  assert.equal(await text(page, '#movement-total'), '1500.00');
  await Promise.all([page.waitForURL(/stockExportView\.htm\?expid=/), page.keyboard.press('Enter')]);
  assert.match(await text(page, 'main h1'), /^出库单 \S+$/);
  assert.match(await text(page, 'table.movement-lines tbody tr'), /SO-STK-001\s*·\s*1\s*不锈钢螺丝\s*M6×20\s*盒\s*60\.00\s*25\.00/);
  await page.screenshot({ path: path.join(out, 'stock-issue-view.png'), fullPage: true });
  return new URL(page.url()).searchParams.get('expid');
}

async function checkStock(page, base, out, before) {
  const screws = await stockRow(page, base, SCREW);
  const was = before.screws;
  assert.deepEqual([screws.onHand, screws.toShip, screws.toReceive, screws.left],
    [was.onHand + 50 - 60, was.toShip + 40, was.toReceive, was.left - 50].map(shownQuantity),
    '50 received - 60 shipped; 40 of the sales order to ship');
  const bolts = await stockRow(page, base, BOLT);
  assert.deepEqual([bolts.onHand, bolts.toShip, bolts.toReceive, bolts.left], ['30.00', '0.00', '10.00', '40.00']);
  assert.equal(await bolts.row.locator('a.restock').isVisible(), false);
  const contactors = await stockRow(page, base, CONTACTOR);
  assert.deepEqual([contactors.onHand, contactors.toShip, contactors.left],
    [before.contactors.onHand, before.contactors.toShip + before.contactors.left + 10, -10].map(shownQuantity));
  const reorder = contactors.row.locator('a.restock');
  assert.equal(await reorder.isVisible(), true, 'a reorder where the orders want more than there will be');
  assert.equal(decodeURIComponent((await reorder.getAttribute('href')).replace(/\+/g, ' ')),
    'purchaseOrderEdit.htm?items=交流接触器,CJX2-1810,10.00');
  await page.screenshot({ path: path.join(out, 'stock-products.png'), fullPage: true });
}

async function pickTheRest(page, base, out) {
  // A blank receipt: the supplier typed, the picker fills itself for it.
  await page.goto(base + 'stockImportEdit.htm');
  assert.equal(await lineRows(page).count(), 0);
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pnm');
  await page.keyboard.type(SUPPLIER);
  await page.keyboard.press('Alt+O');
  const picker = page.locator('#open-lines');
  await picker.waitFor({ state: 'visible' });
  assert.equal(await text(page, '#open-lines [data-partner-name]'), SUPPLIER);
  const offered = picker.locator('tbody tr');
  assert.equal(await offered.count(), 1, 'only the bolts are still open');
  await page.screenshot({ path: path.join(out, 'stock-receipt-picker.png'), fullPage: true });
  await page.keyboard.press('Enter');
  await picker.waitFor({ state: 'hidden' });
  const rows = lineRows(page);
  assert.equal(await rows.count(), 1);
  const quantity = rows.nth(0).locator('[data-column="qunty"]');
  assert.equal(await quantity.evaluate((input) => input === document.activeElement), true);
  assert.equal(await quantity.inputValue(), '10');
  assert.equal(await rows.nth(0).locator('[data-column="itmpr"]').inputValue(), '2.5', 'the order price');
  await Promise.all([page.waitForURL(/stockImportView\.htm\?impid=/), page.keyboard.press('Enter')]);
  assert.match(await text(page, 'table.movement-lines tbody tr'), /PO-STK-001\s*·\s*2[\s\S]*10\.00\s*2\.50/);

  const bolts = await stockRow(page, base, BOLT);
  assert.deepEqual([bolts.onHand, bolts.toReceive], ['40.00', '0.00']);
}

async function printDeliveryNote(page, base, out, expid) {
  await page.goto(base + 'stockExportView.htm?expid=' + encodeURIComponent(expid));
  await Promise.all([page.waitForURL(/stockExportPrint\.htm\?expid=/), page.click('text=打印送货单')]);
  assert.equal(await text(page, '#sheet-title'), '送货单');
  assert.match(await text(page, '.parties'), new RegExp('发货方[\\s\\S]*收货方[\\s\\S]*' + CLIENT));
  assert.match(await text(page, '.sheet tbody tr'), /1\s*不锈钢螺丝\s*M6×20\s*盒\s*60\.00\s*25\.00/);
  assert.match(await text(page, '.sheet-sign'), /发货人[\s\S]*收货人[\s\S]*日期/);
  await page.screenshot({ path: path.join(out, 'stock-delivery-note.png'), fullPage: true });
  await page.emulateMedia({ media: 'print' });
  assert.equal(await page.locator('.sidebar').isVisible(), false, 'no sidebar on paper');
  assert.equal(await page.locator('[data-print]').isVisible(), false, 'no buttons on paper');
  await page.emulateMedia({ media: 'screen' });
  await page.pdf({ path: path.join(out, 'stock-delivery-note.pdf'), format: 'A4', printBackground: true });
}

// The expected invoice date changed in place; the issue reversed with red
// ink and the red-ink copy removed again.
async function reverseIssue(page, base, out, expid) {
  const view = base + 'stockExportView.htm?expid=' + encodeURIComponent(expid);
  await page.goto(view);
  await page.fill('#invdt', '2026-13-01');
  await page.press('#invdt', 'Enter');
  const wrong = page.locator('.date-form [data-errors~="invdt"] > .field-error');
  await wrong.waitFor({ state: 'visible' });
  assert.equal(await page.locator('#invdt').getAttribute('aria-invalid'), 'true');
  await page.fill('#invdt', '2026-12-25');
  await Promise.all([page.waitForEvent('load'), page.press('#invdt', 'Enter')]);
  assert.equal(await text(page, '.page-note'), '日期已修改。');
  assert.equal(await page.inputValue('#invdt'), '2026-12-25');

  await page.click('button[data-command="red"]');
  const dialog = page.locator('#confirm-dialog');
  await dialog.waitFor({ state: 'visible' });
  await Promise.all([page.waitForURL((url) => url.searchParams.get('expid') !== expid), dialog.locator('[data-confirm-yes]').click()]);
  assert.equal(await page.locator('[data-state="redink"]').count(), 1);
  assert.equal(await text(page, 'a[data-original]'), expid, 'the red-ink copy names the issue it reverses');
  assert.equal(await text(page, '#movement-total'), '-1500.00');
  await page.screenshot({ path: path.join(out, 'stock-issue-redink.png'), fullPage: true });

  await page.click('button[data-command="remove"]');
  await dialog.waitFor({ state: 'visible' });
  await Promise.all([page.waitForURL(/stockExportList\.htm$/), dialog.locator('[data-confirm-yes]').click()]);
  await page.goto(view);
  assert.equal(await page.locator('[data-state="normal"]').count(), 1, 'the issue is valid again');
}

async function walk(page, base, out) {
  await signIn(page, base);
  const before = {
    screws: await stockFigures(page, base, SCREW), contactors: await stockFigures(page, base, CONTACTOR),
  };
  await receivePart(page, base, out);
  const expid = await shipPart(page, base, out, before);
  await checkStock(page, base, out, before);
  await pickTheRest(page, base, out);
  await printDeliveryNote(page, base, out, expid);
  await reverseIssue(page, base, out, expid);
}

run('browser stock', walk);
