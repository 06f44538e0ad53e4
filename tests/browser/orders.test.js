// Browser test: a purchase order for a new supplier is typed by keyboard
// alone (two lines, one refused quantity on the way), saved, viewed and
// closed to history; a sales order is saved, reversed with red ink and
// its red-ink copy removed again; the purchase order's print page is
// saved as PDF and as a spreadsheet. Screenshots go into the build folder.
//
//   node orders.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { run, signIn } = require('./harness');
const { text, focusedColumn, whenFocused, typeLine, confirmCommand } = require('./steps');

const SUPPLIER = '新星五金 <O\'Neil & Co>';
const PURCHASE = 'PO-2026-001';
const SALES = 'SO-2026-001';

async function enterPurchaseOrder(page, base, out) {
  await page.goto(base + 'purchaseOrderEdit.htm');
  assert.equal(await text(page, 'main h1'), '新建采购订单');
  assert.equal(await focusedColumn(page), 'ordid', 'the number has the focus');
  assert.equal(await page.locator('#clause-list textarea').count(), 3, 'the standard clauses');
  await page.keyboard.type(PURCHASE);
  await page.keyboard.press('Tab');
  await page.keyboard.type(SUPPLIER);

  // Line 1: 100 x 0.5 with tax; line 2: 200 x 0.3 without, on an order
  // with tax: 200 x 0.3 x 1.17. The quantity 0 is refused first.
  await page.keyboard.press('Alt+N');
  assert.equal(await focusedColumn(page), 'prdnm');
  await typeLine(page, ['螺丝', 'M6', null, '个', '100', '0.5', null]);
  await page.keyboard.type('2026-12-20');
  await page.keyboard.press('Alt+N');
  await typeLine(page, ['螺母', 'M6', '镀锌', '个', '0', '0.3']);
  assert.equal(await focusedColumn(page), 'taxrt');
  await page.keyboard.press('ArrowUp');
  const lines = page.locator('table.order-lines tbody tr');
  assert.equal(await lines.count(), 2);
  assert.equal(await lines.nth(1).locator('[data-column="plndt"]').inputValue(), '2026-12-20', 'the date of the line before');

  await page.keyboard.press('Enter');
  const lineError = page.locator('[data-errors~="qunty"] > .field-error');
  await lineError.waitFor({ state: 'visible' });
  assert.equal((await lineError.textContent()).trim(), '数量应当是不为 0 的数');
  const secondQuantity = lines.nth(1).locator('[data-column="qunty"]');
  assert.equal(await secondQuantity.getAttribute('aria-invalid'), 'true');
  assert.equal(await focusedColumn(page), 'qunty');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('200');
  assert.equal(await text(page, '#order-total'), '120.20', '50.00 + 70.20 as typed');
  assert.equal(await text(page, '#order-amount'), '120.20');
  await page.screenshot({ path: path.join(out, 'order-edit.png'), fullPage: true });

  await Promise.all([page.waitForURL(/purchaseOrderView\.htm\?ordid=PO-2026-001$/), page.keyboard.press('Enter')]);
}

async function viewAndClose(page, out) {
  assert.equal(await text(page, 'main h1'), '采购订单 ' + PURCHASE);
  assert.equal(await page.locator('[data-state="normal"]').count(), 1);
  assert.equal(await text(page, '.page-lead a'), SUPPLIER);
  const rows = page.locator('#lines-title').locator('xpath=ancestor::section').locator('tbody tr');
  assert.equal(await rows.count(), 2);
  assert.match(await rows.nth(1).textContent(), /螺母\s*M6\s*镀锌\s*个\s*200\.00\s*0\.30\s*否\s*70\.20\s*2026-12-20/);
  assert.equal(await text(page, 'tfoot td.num'), '120.20');
  await page.screenshot({ path: path.join(out, 'order-view.png'), fullPage: true });

  await confirmCommand(page, 'history', /purchaseOrderView\.htm\?ordid=PO-2026-001$/);
  await page.locator('[data-state="finish"]').waitFor();
  assert.equal(await text(page, '.page-note'), '订单已转入历史。');
  assert.equal(await page.locator('button[data-command]').count(), 1, 'only the red ink is left');
  assert.equal(await page.locator('a[href^="purchaseOrderEdit.htm?ordid=PO-2026-001"]:not([href*="copyadd"])').count(), 0);
}

async function reverseSalesOrder(page, base, out) {
  await page.goto(base + 'salesOrderEdit.htm?cltid=1');
  const client = await page.inputValue('#pnm');
  assert.ok(client.length > 0, 'the client of the link');
  await whenFocused(page, 'ordid');
  await page.keyboard.type(SALES);
  await page.keyboard.press('Alt+N');
  await typeLine(page, ['电源模块', 'PS-24V', null, '台', '3', '120', null]);
  await page.keyboard.type('2026-12-28');
  await Promise.all([page.waitForURL(/salesOrderView\.htm\?ordid=SO-2026-001$/), page.keyboard.press('Enter')]);
  assert.equal(await text(page, 'main h1'), '销售订单 ' + SALES);

  await confirmCommand(page, 'red', /salesOrderView\.htm\?ordid=SO-2026-001R$/);
  assert.equal(await page.locator('[data-state="redink"]').count(), 1);
  assert.match(await text(page, 'tfoot td.num'), /^-360\.00$/);
  assert.equal(await text(page, 'a[data-original]'), SALES);
  await page.screenshot({ path: path.join(out, 'order-redink.png'), fullPage: true });

  await confirmCommand(page, 'remove', /sales\.htm$/);
  await page.goto(base + 'salesOrderView.htm?ordid=' + SALES);
  assert.equal(await page.locator('[data-state="normal"]').count(), 1, 'the reversed order is open again');
  await page.goto(base + 'salesOrderView.htm?ordid=' + SALES + 'R');
  assert.match(await text(page, 'main'), /找不到这个订单/);
}

async function printPurchaseOrder(page, base, out) {
  await page.goto(base + 'purchaseOrderPrint.htm?ordid=' + PURCHASE);
  assert.equal(await text(page, '#sheet-title'), '采购订单');
  assert.equal(await text(page, '.capital'), '壹佰贰拾元贰角');
  assert.match(await text(page, '.parties'), /需方[\s\S]*供方[\s\S]*新星五金 <O'Neil & Co>/);
  await page.screenshot({ path: path.join(out, 'order-print.png'), fullPage: true });
  await page.emulateMedia({ media: 'print' });
  assert.equal(await page.locator('.sidebar').isVisible(), false, 'no sidebar on paper');
  await page.emulateMedia({ media: 'screen' });
  await page.pdf({ path: path.join(out, 'order-print.pdf'), format: 'A4', printBackground: true });

  const [download] = await Promise.all([page.waitForEvent('download'), page.click('[data-spreadsheet]')]);
  assert.equal(download.suggestedFilename(), PURCHASE + '.xls');
  const file = path.join(out, 'order-print.xls');
  await download.saveAs(file);
  const sheet = fs.readFileSync(file, 'utf8');
  assert.ok(sheet.startsWith('<?xml version="1.0"?>'));
  assert.ok(sheet.includes('新星五金 &lt;O&#39;Neil &amp; Co&gt;'), 'the partner, escaped');
  assert.ok(sheet.includes('<Data ss:Type="Number">120.20</Data>'));
}

async function walk(page, base, out) {
  await signIn(page, base);
  await enterPurchaseOrder(page, base, out);
  await viewAndClose(page, out);
  await reverseSalesOrder(page, base, out);
  await printPurchaseOrder(page, base, out);
}

run('browser orders', walk);
