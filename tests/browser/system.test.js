// Browser test: the administrator sets the company's tax rate to 13 (a
// rate that is no number refused next to its field first) and a new sales
// order then uses it; backs the database up and reads where the copy went;
// changes the password, signs out, is refused the old password and signs
// in with the new one. Screenshots go into the build folder.
//
//   node system.test.js --server PATH --app FOLDER --out FOLDER
'use strict';

const assert = require('node:assert/strict');
const path = require('node:path');
const { run, signIn } = require('./harness');
const { text, whenFocused, typeLine } = require('./steps');

const ORDER = 'SO-TAX-13';
const NEW_PASSWORD = '新密码-2026';

async function changeTaxRate(page, base, out) {
  await page.goto(base + 'systemCompany.htm');
  assert.equal(await text(page, 'main h1'), '公司资料');
  assert.equal(await page.inputValue('#taxrate'), '17');

  await page.fill('#taxrate', '13%');
  await page.press('#taxrate', 'Enter');
  const error = page.locator('[data-errors~="taxrate"] > .field-error');
  await error.waitFor({ state: 'visible' });
  assert.match(await error.textContent(), /税率应当是 0 到 100 之间的数字/);
  assert.equal(await page.inputValue('#taxrate'), '13%', 'what was typed stays');

  await page.fill('#taxrate', '13');
  await Promise.all([page.waitForEvent('load'), page.press('#taxrate', 'Enter')]);
  await page.locator('#company-form .form-ok').waitFor({ state: 'visible' });
  assert.equal(await text(page, '#company-form .form-ok'), '公司资料已保存。');
  assert.equal(await page.inputValue('#taxrate'), '13');
  await page.screenshot({ path: path.join(out, 'system-company.png'), fullPage: true });
}

// 3 x 10 without tax on an order with tax: 3 x 10 x 1.13.
async function orderUsesTheNewRate(page, base, out) {
  await page.goto(base + 'salesOrderEdit.htm?cltid=1');
  await whenFocused(page, 'ordid');
  await page.keyboard.type(ORDER);
  await page.keyboard.press('Alt+N');
  await typeLine(page, ['电源模块', 'PS-24V', null, '台', '3', '10']);
  await page.keyboard.press('ArrowUp');
  await page.keyboard.press('Tab');
  await page.keyboard.type('2026-12-28');
  await Promise.all([page.waitForURL(/salesOrderView\.htm\?ordid=SO-TAX-13$/), page.keyboard.press('Enter')]);
  assert.equal(await text(page, 'main h1'), '销售订单 ' + ORDER);
  assert.equal(await text(page, 'tfoot td.num'), '33.90');
  await page.screenshot({ path: path.join(out, 'system-order-13.png'), fullPage: true });
}

async function backUp(page, base, out) {
  await page.goto(base + 'systemBackup.htm');
  assert.equal(await text(page, 'main h1'), '备份数据');
  await page.click('form[data-backup-form] button[type="submit"]');
  const done = page.locator('form[data-backup-form] .form-ok');
  await done.waitFor({ state: 'visible' });
  assert.match(await done.textContent(), /^数据已经备份到: backup\/demo\.\d{8}\.\d{4}\.db$/);
  await page.screenshot({ path: path.join(out, 'system-backup.png'), fullPage: true });
}

async function changePassword(page, base, out) {
  await page.goto(base + 'systemPassword.htm');
  assert.equal(await text(page, 'main h1'), '修改密码');
  await page.fill('#password-old', 'demo');
  await page.fill('#password-new', NEW_PASSWORD);
  await page.fill('#password-new2', NEW_PASSWORD + 'x');
  await page.press('#password-new2', 'Enter');
  const error = page.locator('#password-form .form-error');
  await error.waitFor({ state: 'visible' });
  assert.equal(await error.textContent(), '两次输入的密码不一样');

  await page.fill('#password-new2', NEW_PASSWORD);
  await page.press('#password-new2', 'Enter');
  const ok = page.locator('#password-form .form-ok');
  await ok.waitFor({ state: 'visible' });
  assert.equal(await ok.textContent(), '密码已修改，下次登录请使用新密码。');
  await page.screenshot({ path: path.join(out, 'system-password.png'), fullPage: true });

  await Promise.all([page.waitForURL(/login(\.htm)?$/i), page.click('a.signout')]);
  await page.fill('#dbname', 'demo');
  await page.fill('#userid', 'SYSTEM');
  await page.fill('#passwd', 'demo');
  await page.press('#passwd', 'Enter');
  await page.locator('#signin-error').waitFor({ state: 'visible' });
  assert.equal(await text(page, '#signin-error'), '用户名或密码不正确');
  await page.fill('#passwd', NEW_PASSWORD);
  await Promise.all([page.waitForURL(/notice(\.htm)?$/i), page.press('#passwd', 'Enter')]);
  assert.equal(await text(page, 'main h1'), '待办提醒');
}

async function walk(page, base, out) {
  await signIn(page, base);
  await changeTaxRate(page, base, out);
  await orderUsesTheNewRate(page, base, out);
  await backUp(page, base, out);
  await changePassword(page, base, out);
}

run('browser system', walk);
