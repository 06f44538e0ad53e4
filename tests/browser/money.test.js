// Browser test: from goods to money. A purchase order to be invoiced is
// received from its view; the receipt is invoiced from its own view, one
// quantity refused on the way as more than was received, and the invoice
// saved by keyboard; the invoice is paid from its view and the payment
// saved by keyboard, after which the order owes nothing. The payment is
// reversed with red ink (the order owes again) and the red-ink copy
// removed (paid again). Screenshots go into the build folder.
//
//   node money.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run, signIn } = require('./harness');
const { text, focusedColumn, confirmCommand, fact } = require('./steps');

const SUPPLIER = '深圳市鹏达五金制品厂'; // supplier 2 of the demo company
const ORDER = 'PO-MNY-001';
const SCREW = { prdnm: '不锈钢螺丝', specs: 'M6×20' };
const BOLT = { prdnm: '膨胀螺栓 <M10>', specs: 'M10×80 "A&B"' }; // hostile on purpose

// An order with tax, to be invoiced: the screws priced with tax, the
// bolts without (their amount takes the tax factor 1.17 of the demo).
async function saveOrder(page, base) {
  const form = { cmd: 'save', ordid: ORDER, splnm: SUPPLIER, excdt: '2026-12-01', taxrt: '含税', crncy: '人民币', exchn: '1' };
  [[SCREW, '10', '11.7', '盒', '含税'], [BOLT, '100', '2', '个', '不含税']].forEach(([product, qunty, itmpr, unitg, tax], i) => {
    const at = 'list.' + String(i + 1).padStart(3, '0') + '.';
    Object.assign(form, {
      [at + '_type']: 'create', [at + 'prdnm']: product.prdnm, [at + 'specs']: product.specs, [at + 'unitg']: unitg,
      [at + 'qunty']: qunty, [at + 'itmpr']: itmpr, [at + 'taxrt']: tax, [at + 'plndt']: '2026-12-20',
    });
  });
  const reply = await page.request.post(base + 'purchaseOrderEdit.htm', { form });
  assert.match(await reply.text(), /^ok:/, 'the order is saved');
}

async function receive(page, base) {
  await page.goto(base + 'purchaseOrderView.htm?ordid=' + ORDER);
  await Promise.all([page.waitForURL(/stockImportEdit\.htm\?ordid=PO-MNY-001$/), page.click('text=新建入库单')]);
  assert.equal(await page.locator('table.movement-lines tbody tr').count(), 2);
  await Promise.all([page.waitForURL(/stockImportView\.htm\?impid=/), page.keyboard.press('Enter')]);
  return new URL(page.url()).searchParams.get('impid');
}

async function invoice(page, base, out, impid) {
  await Promise.all([page.waitForURL(/purchaseInvoiceEdit\.htm\?impid=/), page.click('text=登记进项发票')]);
  assert.equal(await text(page, 'main h1'), '新建进项发票');
  assert.equal(await page.inputValue('#pnm'), SUPPLIER);
  assert.match(await page.inputValue('#invid'), /^PI\d+$/, 'the number it will probably get');
  assert.equal(await page.locator('#invid').getAttribute('readonly'), '');
  assert.equal(await page.inputValue('#etxcd'), '91440300MA5D000002', "the supplier's tax number");
  const rows = page.locator('table.invoice-lines tbody tr');
  assert.equal(await rows.count(), 2, 'the lines of the receipt still to invoice');
  assert.match(await rows.nth(1).locator('td').first().textContent(), new RegExp(impid + '\\s*·\\s*2'));
  assert.equal(await rows.nth(1).locator('[data-column="prdnm"]').inputValue(), BOLT.prdnm);
  assert.deepEqual(await rows.locator('td[data-amount]').allTextContents(), ['117.00', '234.00'],
    'the bolts priced without tax take the tax factor');
  assert.equal(await text(page, '#invoice-total'), '351.00');
  assert.equal(await focusedColumn(page), 'qunty', 'the first quantity has the focus');

  // Twelve boxes are more than the ten received: marked, then refused.
  await page.keyboard.type('12');
  assert.equal(await text(page, 'table.invoice-lines .cell-note'), '超出');
  assert.equal(await text(page, '#invoice-total'), '374.40');
  await page.keyboard.press('Enter');
  const lineError = page.locator('[data-errors~="invcs"] > .field-error');
  await lineError.waitFor({ state: 'visible' });
  assert.match(await lineError.textContent(), /开票数量不能超过/);
  assert.equal(await focusedColumn(page), 'qunty');
  assert.equal(await rows.nth(0).locator('[data-column="qunty"]').getAttribute('aria-invalid'), 'true');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('10');
  assert.equal(await page.locator('table.invoice-lines .cell-note').count(), 0);

  await page.focus('#bilid');
  await page.keyboard.type('No.04417788');
  await page.screenshot({ path: path.join(out, 'money-invoice-edit.png'), fullPage: true });
  await Promise.all([page.waitForURL(/purchaseInvoiceView\.htm\?invid=PI\d+$/), page.keyboard.press('Enter')]);

  assert.match(await text(page, 'main h1'), /^进项发票 PI\d+$/);
  assert.equal(await page.locator('[data-state="normal"]').count(), 1);
  assert.equal(await fact(page, '发票号码'), 'No.04417788');
  assert.equal(await fact(page, '发票类型'), '增值税专用发票', 'the type by its word');
  assert.equal(await text(page, '#invoice-total'), '351.00');
  assert.equal(await fact(page, '大写'), '叁佰伍拾壹元整');
  assert.equal(await text(page, '#invoice-lefts'), '351.00', 'the order behind it is not paid yet');
  const lines = page.locator('table.invoice-lines tbody tr');
  assert.match(await lines.nth(1).textContent(), /2\s*GR\d+\s*·\s*2\s*PO-MNY-001\s*膨胀螺栓 <M10>\s*M10×80 "A&B"\s*个\s*100\.00\s*2\.00\s*234\.00/);
  await page.screenshot({ path: path.join(out, 'money-invoice-view.png'), fullPage: true });
  return new URL(page.url()).searchParams.get('invid');
}

async function pay(page, base, out, invid) {
  await Promise.all([page.waitForURL(/purchasePaymentEdit\.htm\?invid=/), page.click('a[data-pay]')]);
  assert.equal(await text(page, 'main h1'), '新建付款单');
  assert.equal(await page.inputValue('#pnm'), SUPPLIER);
  const rows = page.locator('table.payment-lines tbody tr');
  assert.equal(await rows.count(), 1, 'the order behind the invoice');
  assert.match(await rows.nth(0).textContent(), /PO-MNY-001\s*351\.00\s*351\.00/);
  const paid = rows.nth(0).locator('[data-column="paids"]');
  assert.equal(await paid.inputValue(), '351');
  assert.equal(await focusedColumn(page), 'paids');
  assert.equal(await page.inputValue('#amont'), '351.00', 'the total follows the lines');

  // Part of it first: what is left and the total follow as typed.
  await page.keyboard.press('Control+A');
  await page.keyboard.type('300');
  assert.equal(await text(page, 'output[data-reman]'), '51.00');
  assert.equal(await page.inputValue('#amont'), '300.00');
  await page.keyboard.press('Control+A');
  await page.keyboard.type('351');
  assert.equal(await text(page, 'output[data-reman]'), '0.00');
  await page.screenshot({ path: path.join(out, 'money-payment-edit.png'), fullPage: true });
  await Promise.all([page.waitForURL(/purchasePaymentView\.htm\?pymid=PP\d+$/), page.keyboard.press('Enter')]);

  assert.match(await text(page, 'main h1'), /^付款单 PP\d+$/);
  assert.equal(await text(page, '#payment-total'), '351.00');
  assert.equal(await fact(page, '大写'), '叁佰伍拾壹元整');
  assert.match(await text(page, 'table.payment-lines tbody tr'), /1\s*PO-MNY-001\s*351\.00\s*351\.00\s*351\.00\s*0\.00\s*0\.00/);
  assert.equal(await text(page, '#lines-total'), '351.00');
  await page.screenshot({ path: path.join(out, 'money-payment-view.png'), fullPage: true });
  const pymid = new URL(page.url()).searchParams.get('pymid');

  await page.goto(base + 'purchaseInvoiceView.htm?invid=' + invid);
  assert.equal(await text(page, '#invoice-lefts'), '0.00');
  assert.equal(await page.locator('a[data-pay]').count(), 0, 'nothing left to pay');
  return pymid;
}

async function orderOwes(page, base) {
  await page.goto(base + 'purchaseOrderView.htm?ordid=' + ORDER);
  return { paid: await fact(page, '已付'), open: await fact(page, '未结'), total: await fact(page, '订单金额') };
}

async function reverseAndRestore(page, base, out, pymid) {
  await page.goto(base + 'purchasePaymentView.htm?pymid=' + pymid);
  await confirmCommand(page, 'red', (url) => /purchasePaymentView\.htm\?pymid=PP\d+$/.test(url.href) &&
    url.searchParams.get('pymid') !== pymid);
  assert.equal(await page.locator('[data-state="redink"]').count(), 1);
  assert.equal(await text(page, '#payment-total'), '-351.00');
  assert.equal(await text(page, 'a[data-original]'), pymid, 'the red-ink copy names the payment it reverses');
  const red = new URL(page.url()).searchParams.get('pymid');
  await page.screenshot({ path: path.join(out, 'money-payment-red.png'), fullPage: true });
  assert.deepEqual(await orderOwes(page, base), { paid: '0.00', open: '351.00', total: '351.00' });

  await page.goBack();
  await confirmCommand(page, 'remove', /purchasePaymentList\.htm$/);
  const rows = page.locator('table.payment-list tbody tr');
  const numbered = (number) =>
    rows.filter({ has: page.locator('td:first-child', { hasText: new RegExp('^' + number + '$') }) });
  assert.equal(await numbered(red).count(), 0, 'the red-ink copy is gone');
  const payment = numbered(pymid);
  assert.equal(await payment.count(), 1);
  assert.match(await payment.textContent(), /有效/);
}

async function walk(page, base, out) {
  await signIn(page, base);
  await saveOrder(page, base);
  const impid = await receive(page, base);
  const invid = await invoice(page, base, out, impid);
  const pymid = await pay(page, base, out, invid);
  assert.deepEqual(await orderOwes(page, base), { paid: '351.00', open: '0.00', total: '351.00' },
    'the order is paid in full');
  await page.screenshot({ path: path.join(out, 'money-order-paid.png'), fullPage: true });

  await reverseAndRestore(page, base, out, pymid);
  assert.deepEqual(await orderOwes(page, base), { paid: '351.00', open: '0.00', total: '351.00' },
    'removing the red-ink copy pays the order again');

  // The sales side's pages stand on the same templates.
  for (const [url, title] of [['salesInvoiceEdit.htm', '新建销项发票'], ['salesPaymentEdit.htm', '新建收款单'],
    ['salesInvoiceList.htm', '销项发票'], ['salesPaymentList.htm', '收款']]) {
    await page.goto(base + url);
    assert.equal(await text(page, 'main h1'), title);
  }
}

run('browser money', walk);
