// What the browser walks do alike on the pages: read texts and figures,
// type order lines, answer confirmations, find a product's stock row and
// a cell of the monthly report.
'use strict';

const assert = require('node:assert/strict');

async function text(page, selector) {
  return (await page.locator(selector).first().textContent()).trim();
}

async function focusedColumn(page) {
  return page.evaluate(() => document.activeElement.getAttribute('data-column') || document.activeElement.id);
}

// Waits until the page's script has put the focus on `column` (typing
// before would go to the page itself).
async function whenFocused(page, column) {
  await page.waitForFunction((name) => {
    const focused = document.activeElement;
    return focused && (focused.getAttribute('data-column') || focused.id) === name;
  }, column);
}

// Types the cells of the line that has the focus on its first cell; null
// leaves a cell as it is.
async function typeLine(page, cells) {
  for (const cell of cells) {
    if (cell !== null)
      await page.keyboard.type(cell);
    await page.keyboard.press('Tab');
  }
}

// Answers the confirmation of a command with its own button.
async function confirmCommand(page, command, urlPattern) {
  await page.click('button[data-command="' + command + '"]');
  const dialog = page.locator('#confirm-dialog');
  await dialog.waitFor({ state: 'visible' });
  await Promise.all([page.waitForURL(urlPattern), dialog.locator('[data-confirm-yes]').click()]);
}

// The value of a fact of a view's card by its term.
async function fact(page, term) {
  return (await page.locator('dt', { hasText: new RegExp('^' + term + '$') }).locator('xpath=following-sibling::dd[1]')
    .first().textContent()).trim();
}

function today() {
  const now = new Date();
  const pad = (n) => String(n).padStart(2, '0');
  return now.getFullYear() + '-' + pad(now.getMonth() + 1) + '-' + pad(now.getDate());
}

// A figure as the pages show it ("1,234.50", "--" for none) as a number.
function figure(shown) {
  return shown === '--' || shown === '' ? 0 : Number(shown.replace(/,/g, ''));
}

// An amount as the pages show it: two decimals.
function shown(value) {
  return (Math.round(value * 100) / 100).toFixed(2);
}

// A quantity as the lists show it: two decimals, up to four where needed.
function shownQuantity(value) {
  return (Math.round(value * 10000) / 10000).toFixed(4).replace(/0{1,2}$/, '');
}

// The row of the product stock list for a product, as its cells' texts.
async function stockRow(page, base, product) {
  await page.goto(base + 'stockProductList.htm');
  const rows = page.locator('table.stock-list tbody tr');
  for (let i = 0; i < await rows.count(); i++) {
    const cells = (await rows.nth(i).locator('td').allTextContents()).map((cell) => cell.trim());
    if (cells[0] === product.prdnm && cells[1] === product.specs)
      return { row: rows.nth(i), onHand: cells[3], toShip: cells[6], toReceive: cells[7], left: cells[8] };
  }
  assert.fail('no stock row for ' + product.prdnm);
}

// A cell of the monthly report on the page, by column and row.
function reportCell(page, col, row) {
  return text(page, 'td[data-col="' + col + '"][data-row="' + row + '"]');
}

// The figures of the monthly report for the given rows and columns, as
// numbers by "col/row".
async function reportFigures(page, base, cols, rows) {
  await page.goto(base + 'report.htm');
  const figures = {};
  for (const col of cols) {
    for (const row of rows)
      figures[col + '/' + row] = figure(await reportCell(page, col, row));
  }
  return figures;
}

module.exports = {
  text, focusedColumn, whenFocused, typeLine, confirmCommand, fact, today, figure, shown, shownQuantity, stockRow, reportCell,
  reportFigures,
};
