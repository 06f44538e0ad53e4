// Browser test: a supplier with two contacts is entered by keyboard alone
// on its edit page, refused once without a name, saved, found in the
// supplier list through the search, and opened. Screenshots go into the
// build folder.
//
//   node partners.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run, signIn } = require('./harness');

const NAME = '恒信电子 <O\'Brien & Co>';

async function contactRows(page) {
  return page.locator('#partner-form table.edit-grid tbody tr').count();
}

async function enterSupplier(page, base, out) {
  await page.goto(base + 'purchaseSupplyEdit.htm');
  assert.equal((await page.locator('main h1').textContent()).trim(), '新建供应商');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pnm', 'the name has the focus');

  // Two contacts, each row added with Alt+N; the sex is chosen with the
  // arrow keys.
  await page.keyboard.press('Alt+N');
  await page.keyboard.type('张三');
  await page.keyboard.press('Tab');
  await page.keyboard.press('Tab');
  await page.keyboard.type('销售经理');
  await page.keyboard.press('Tab');
  await page.keyboard.type('010-88880001');
  await page.keyboard.press('Alt+N');
  await page.keyboard.type('李四');
  await page.keyboard.press('Tab');
  await page.keyboard.press('ArrowDown');
  // A third row, given up with Escape, goes again.
  await page.keyboard.press('Alt+N');
  await page.keyboard.type('不要了');
  assert.equal(await contactRows(page), 3);
  await page.keyboard.press('Escape');
  assert.equal(await contactRows(page), 2);

  // Enter without a name: the answer stands next to the name, and what
  // was typed stays.
  await page.locator('#partner-form [data-column="cntct"]').first().press('Enter');
  const nameError = page.locator('[data-errors~="splnm"] .field-error');
  await nameError.waitFor({ state: 'visible' });
  assert.equal((await nameError.textContent()).trim(), '请填写供应商名称');
  assert.equal(await page.getAttribute('#pnm', 'aria-invalid'), 'true');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'pnm');
  assert.equal(await contactRows(page), 2);
  await page.screenshot({ path: path.join(out, 'supplier-edit.png'), fullPage: true });

  await page.keyboard.type(NAME);
  await page.keyboard.press('Tab');
  await page.keyboard.type('2');
  await Promise.all([page.waitForURL(/purchaseSupplyView\.htm\?splid=\d+$/), page.keyboard.press('Enter')]);
}

async function checkView(page, out) {
  assert.equal((await page.locator('main h1').textContent()).trim(), NAME);
  assert.equal(await page.locator('[data-state="enable"]').count(), 1);
  const contacts = page.locator('#contacts-title').locator('xpath=ancestor::section').locator('tbody tr');
  assert.equal(await contacts.count(), 2);
  assert.match(await contacts.nth(0).textContent(), /张三\s*男\s*销售经理\s*010-88880001/);
  assert.equal((await contacts.nth(1).locator('td').nth(0).textContent()).trim(), '李四');
  assert.equal((await contacts.nth(1).locator('td').nth(1).textContent()).trim(), '女');
  await page.screenshot({ path: path.join(out, 'supplier-view.png'), fullPage: true });
}

async function findInList(page, base, out) {
  await page.goto(base + 'purchaseSupplyList.htm');
  const everyone = await page.locator('tr[data-row]').count();
  assert.ok(everyone >= 2, 'the demo suppliers and the new one are listed');
  await page.fill('#search-text', '恒信');
  await Promise.all([page.waitForURL(/filter=splnm\+IN\+/), page.press('#search-text', 'Enter')]);
  assert.equal(await page.locator('tr[data-row]').count(), 1);
  assert.equal(await page.inputValue('#search-text'), '恒信', 'the search shows again');

  // A row edited in place and given up with Escape shows what it did.
  const row = page.locator('tr[data-row]').first();
  await row.locator('button[data-action="edit"]').click();
  const phone = row.locator('[data-column="tlphn"]');
  await phone.fill('999');
  await phone.press('Escape');
  assert.equal(await row.locator('[data-column]').count(), 0);
  await page.screenshot({ path: path.join(out, 'supplier-list.png') });

  await Promise.all([page.waitForURL(/purchaseSupplyView\.htm/), row.locator('a[data-name]').click()]);
  assert.equal((await page.locator('main h1').textContent()).trim(), NAME);
}

async function walk(page, base, out) {
  await signIn(page, base);
  await enterSupplier(page, base, out);
  await checkView(page, out);
  await findInList(page, base, out);
}

run('browser partners', walk);
