// Quillot: the order pages of both sides. The edit form with its lines
// and clauses, the commands of the view page, and the print page's
// spreadsheet. Builds on app.js (window.Quillot); text goes into the page
// as text only.
(function () {
  'use strict';

  var Q = window.Quillot;
  if (!Q)
    return;

  // ---------------------------------------------------------- numbers

  // A number as the user typed it; NaN when it is none.
  function numberOf(text) {
    text = String(text || '').trim().replace(/,/g, '');
    return /^[+-]?(\d+\.?\d*|\.\d+)$/.test(text) ? Number(text) : NaN;
  }

  function money(value) {
    // Half away from zero at two places, as the server keeps money.
    var rounded = Math.round(Math.abs(value) * 100 + 1e-9) / 100;
    return (value < 0 && rounded ? '-' : '') + rounded.toFixed(2);
  }

  // "3.0" and "10.00000000" from the database read as 3 and 10.
  function tidy(text) {
    var value = numberOf(text);
    if (isNaN(value))
      return text;
    var shown = String(value);
    return shown.indexOf('e') < 0 ? shown : text;
  }

  // ------------------------------------------------------ the edit form

  function OrderForm(form) {
    this.form = form;
    this.factor = numberOf(form.getAttribute('data-tax-factor')) || 1;
    this.table = form.querySelector('table.order-lines');
    this.header = form.elements.taxrt;
    this.discount = form.elements.disct;
    this.total = document.getElementById('order-total');
    this.amount = document.getElementById('order-amount');
    this.clauses = document.getElementById('clause-list');
    this.locked = form.querySelector('fieldset.form-body').disabled;

    this.chooseHeaderTax();
    this.keepCurrency();
    var cells = this.table.querySelectorAll('td[data-number]');
    for (var i = 0; i < cells.length; i++)
      cells[i].textContent = tidy(cells[i].textContent.trim());
    this.grid = new Q.Grid(this.table);
    var rows = this.grid.body.rows;
    for (var r = 0; r < rows.length; r++) {
      this.prepareRow(rows[r]);
      if (!this.grid.keyOf(rows[r]))
        this.updateAmount(rows[r]);
    }
    this.updateTotals();
    if (!this.locked)
      this.listen();
  }

  // The header's tax choice by its code; the form sends the option text.
  OrderForm.prototype.chooseHeaderTax = function () {
    var code = this.header.getAttribute('data-code');
    for (var i = 0; i < this.header.options.length; i++)
      if (this.header.options[i].getAttribute('data-code') === code)
        this.header.selectedIndex = i;
  };

  // An order keeps its currency even when the company's list lost it.
  OrderForm.prototype.keepCurrency = function () {
    var select = this.form.elements.crncy;
    var wanted = select.getAttribute('data-value');
    if (!wanted || select.value === wanted)
      return;
    var option = document.createElement('option');
    option.value = wanted;
    option.textContent = wanted;
    select.insertBefore(option, select.firstChild);
    select.value = wanted;
  };

  OrderForm.prototype.taxed = function () {
    var option = this.header.options[this.header.selectedIndex];
    return !!option && option.getAttribute('data-code') !== '0';
  };

  // The code of a line's tax text, from the list the select offers.
  OrderForm.prototype.lineTaxed = function (row) {
    var select = row.querySelector('[data-column="taxrt"]');
    var list = document.getElementById('codes-taxtype');
    for (var i = 0; select && list && i < list.options.length; i++)
      if (list.options[i].textContent.trim() === select.value)
        return list.options[i].value !== '0';
    return false;
  };

  OrderForm.prototype.prepareRow = function (row) {
    var column = this.table.tHead.querySelector('th[data-amount]').cellIndex;
    row.cells[column].setAttribute('data-amount', '');
    row.cells[column].className = 'num';
    var name = row.querySelector('[data-column="prdnm"]');
    var specs = row.querySelector('[data-column="specs"]');
    if (name)
      name.setAttribute('list', 'order-products');
    if (specs)
      specs.setAttribute('list', 'order-specs');
    var dates = row.querySelectorAll('[data-column="plndt"], [data-column="shpdt"]');
    for (var i = 0; i < dates.length; i++) {
      dates[i].placeholder = '2026-12-31';
      dates[i].inputMode = 'numeric';
    }
    var numbers = row.querySelectorAll('[data-column="qunty"], [data-column="itmpr"]');
    for (var n = 0; n < numbers.length; n++)
      numbers[n].inputMode = 'decimal';
    // What was received or invoiced against a line keeps it.
    var moved = numberOf(row.getAttribute('data-moved'));
    var invoiced = numberOf(row.getAttribute('data-invoiced'));
    var remove = row.querySelector('button[data-action="delete"]');
    if (remove && ((moved && !isNaN(moved)) || (invoiced && !isNaN(invoiced)))) {
      remove.disabled = true;
      remove.title = '这一行已有' + (moved ? '收发货' : '开票') + '记录，不能删除';
    }
  };

  OrderForm.prototype.updateAmount = function (row) {
    var cell = row.querySelector('td[data-amount]');
    if (!cell)
      return 0;
    var values = this.grid.values(row);
    var quantity = numberOf(values.qunty);
    var price = numberOf(values.itmpr);
    if (isNaN(quantity) || isNaN(price)) {
      cell.textContent = '';
      return 0;
    }
    var amount = quantity * price;
    if (this.taxed() && !this.lineTaxed(row))
      amount *= this.factor;
    cell.textContent = money(amount);
    return amount;
  };

  // The sum of the lines as shown, less the discount.
  OrderForm.prototype.updateTotals = function () {
    var sum = 0;
    var rows = this.grid.body.rows;
    for (var i = 0; i < rows.length; i++) {
      if (rows[i].classList.contains('is-deleted'))
        continue;
      var cell = rows[i].querySelector('td[data-amount]');
      var value = cell ? numberOf(cell.textContent) : NaN;
      if (!isNaN(value))
        sum += value;
    }
    var discount = numberOf(this.discount.value) || 0;
    this.total.textContent = money(sum);
    this.amount.textContent = money(sum - discount);
  };

  // A new line takes the dates of the line before it and the order's
  // own tax choice for its price.
  OrderForm.prototype.addLine = function () {
    var rows = this.grid.body.rows;
    var before = rows.length ? this.grid.values(rows[rows.length - 1]) : null;
    var row = this.grid.add();
    this.prepareRow(row);
    var values = { taxrt: this.header.value };
    if (before)
      values.plndt = before.plndt;
    this.grid.fill(row, values);
    return row;
  };

  OrderForm.prototype.addClause = function () {
    var template = document.getElementById('clause-template');
    var item = template.content.firstElementChild.cloneNode(true);
    this.clauses.appendChild(item);
    this.numberClauses();
    item.querySelector('textarea').focus();
  };

  OrderForm.prototype.numberClauses = function () {
    var areas = this.clauses.querySelectorAll('textarea');
    for (var i = 0; i < areas.length; i++)
      areas[i].setAttribute('aria-label', '条款 ' + (i + 1));
  };

  OrderForm.prototype.removeClause = function (button) {
    var item = button.closest('li');
    var next = item.nextElementSibling || item.previousElementSibling;
    item.parentNode.removeChild(item);
    this.numberClauses();
    var target = next ? next.querySelector('textarea') : this.form.querySelector('[data-clause-add]');
    if (target)
      target.focus();
  };

  OrderForm.prototype.listen = function () {
    var self = this;
    var form = this.form;
    this.table.addEventListener('input', function (event) {
      var row = event.target.closest('tr');
      if (row) {
        self.updateAmount(row);
        self.updateTotals();
      }
    });
    this.table.addEventListener('change', function (event) {
      var row = event.target.closest('tr');
      if (row) {
        self.updateAmount(row);
        self.updateTotals();
      }
    });
    // Marking a line deleted (or dropping a new one) changes the sum.
    this.table.addEventListener('click', function (event) {
      if (event.target.closest('button[data-action]'))
        setTimeout(function () { self.updateTotals(); }, 0);
    });
    this.table.addEventListener('keydown', function (event) {
      if (event.key === 'Escape')
        setTimeout(function () { self.updateTotals(); }, 0);
    });
    this.header.addEventListener('change', function () {
      var rows = self.grid.body.rows;
      for (var i = 0; i < rows.length; i++)
        self.updateAmount(rows[i]);
      self.updateTotals();
    });
    this.discount.addEventListener('input', function () { self.updateTotals(); });
    form.querySelector('[data-line-add]').addEventListener('click', function () { self.addLine(); });
    form.querySelector('[data-clause-add]').addEventListener('click', function () { self.addClause(); });
    this.clauses.addEventListener('click', function (event) {
      var button = event.target.closest('[data-clause-remove]');
      if (button)
        self.removeClause(button);
    });
    form.addEventListener('keydown', function (event) {
      if (event.altKey && !event.ctrlKey && (event.key === 'n' || event.key === 'N')) {
        event.preventDefault();
        self.addLine();
      }
    });
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      self.save();
    });
  };

  // Every clause goes, in its order; the server numbers them again.
  OrderForm.prototype.collectClauses = function (body) {
    var areas = this.clauses.querySelectorAll('textarea');
    for (var i = 0; i < areas.length; i++)
      body.append('extra.' + ('00' + (i + 1)).slice(-3) + '.cntnt', areas[i].value);
  };

  OrderForm.prototype.save = function () {
    var self = this;
    var form = this.form;
    Q.clearFieldErrors(form);
    var body = new URLSearchParams(new FormData(form));
    this.grid.collect(body, 'list');
    this.collectClauses(body);
    var ordid = form.elements.ordid.value.trim();
    var button = form.querySelector('button[type="submit"]');
    if (button)
      button.disabled = true;
    Q.postToPage(form.getAttribute('action'), body)
      .then(function (text) {
        if (text === null)
          return;
        if (text.indexOf('ok:') === 0) {
          location.href = form.getAttribute('data-view') + encodeURIComponent(ordid);
          return;
        }
        Q.showRefusal(form, text);
        self.pointAtLine(text);
      })
      .catch(function () { Q.show(form.querySelector('.form-error'), '无法连接服务器，请检查网络后重试'); })
      .then(function () {
        if (button)
          button.disabled = false;
      });
  };

  // A refused number or price: the first line whose field is no valid
  // value is the one to fix.
  OrderForm.prototype.pointAtLine = function (text) {
    var checks = {
      qunty: function (value) { var n = numberOf(value); return isNaN(n) || n === 0; },
      itmpr: function (value) { var n = numberOf(value); return isNaN(n) || n <= 0; }
    };
    var key = '';
    for (var field in checks)
      if (this.form.getAttribute('data-message-' + field) === text.trim())
        key = field;
    if (!key)
      return;
    var controls = this.table.querySelectorAll('[data-column="' + key + '"]:not([disabled])');
    for (var i = 0; i < controls.length; i++) {
      if (checks[key](controls[i].value)) {
        var invalid = this.table.querySelectorAll('[aria-invalid="true"]');
        for (var j = 0; j < invalid.length; j++)
          invalid[j].removeAttribute('aria-invalid');
        controls[i].setAttribute('aria-invalid', 'true');
        controls[i].focus();
        return;
      }
    }
  };

  // ------------------------------------------------ the view's commands

  function confirmed(text, label) {
    var dialog = document.getElementById('confirm-dialog');
    if (!dialog || !dialog.showModal)
      return Promise.resolve(window.confirm(text));
    dialog.querySelector('[data-confirm-text]').textContent = text;
    dialog.querySelector('[data-confirm-yes]').textContent = label || '确定';
    dialog.returnValue = '';
    dialog.showModal();
    return new Promise(function (resolve) {
      dialog.addEventListener('close', function () { resolve(dialog.returnValue === 'yes'); }, { once: true });
    });
  }

  var NOTE = 'quillot.order';

  function setUpCommands(nav) {
    var error = document.querySelector('.page-error');
    var ordid = nav.getAttribute('data-ordid');
    var page = nav.getAttribute('data-page');
    var after = {
      red: function () { location.href = page + '?ordid=' + encodeURIComponent(ordid + 'R'); },
      remove: function () { location.href = nav.getAttribute('data-list'); },
      history: function () {
        try { sessionStorage.setItem(NOTE, '订单已转入历史。'); } catch (e) { /* no note then */ }
        location.reload();
      }
    };
    nav.addEventListener('click', function (event) {
      var button = event.target.closest('button[data-command]');
      if (!button)
        return;
      var command = button.getAttribute('data-command');
      Q.show(error, '');
      confirmed(button.getAttribute('data-confirm'), button.getAttribute('data-confirm-button'))
        .then(function (yes) {
          if (!yes)
            return null;
          button.disabled = true;
          var body = new URLSearchParams();
          body.append('cmd', command);
          body.append('ordid', ordid);
          return Q.postToPage(page, body).then(function (text) {
            if (text === null)
              return;
            if (text.indexOf('ok:') === 0) {
              after[command]();
              return;
            }
            button.disabled = false;
            Q.show(error, text.trim() || '操作没有完成，请重试');
            button.focus();
          });
        })
        .catch(function () {
          button.disabled = false;
          Q.show(error, '无法连接服务器，请检查网络后重试');
        });
    });
    var note = null;
    try {
      note = sessionStorage.getItem(NOTE);
      sessionStorage.removeItem(NOTE);
    } catch (e) { /* private mode */ }
    Q.show(document.querySelector('.page-note'), note || '');
  }

  // A red-ink order names the order it reverses: its own number without
  // the last "R".
  function linkOriginal(link) {
    var ordid = document.querySelector('.order-commands').getAttribute('data-ordid');
    var original = ordid.slice(0, -1);
    link.textContent = original;
    link.href = link.getAttribute('data-original') + encodeURIComponent(original);
    link.hidden = false;
  }

  // ------------------------------------------------ the print's spreadsheet

  function setUpSpreadsheet(button) {
    var error = document.getElementById('print-error');
    button.addEventListener('click', function () {
      Q.show(error, '');
      button.disabled = true;
      var body = new URLSearchParams();
      body.append('cmd', 'excel');
      body.append('ordid', button.getAttribute('data-ordid'));
      Q.postToPage(button.getAttribute('data-page'), body)
        .then(function (text) {
          if (text === null)
            return;
          if (text.indexOf('ok:') === 0 && text.slice(3).trim())
            location.href = text.slice(3).trim();
          else
            Q.show(error, text.trim() || '没有生成表格文件，请重试');
        })
        .catch(function () { Q.show(error, '无法连接服务器，请检查网络后重试'); })
        .then(function () { button.disabled = false; });
    });
  }

  function setUp() {
    var form = document.getElementById('order-form');
    if (form)
      new OrderForm(form);
    var nav = document.querySelector('.order-commands');
    if (nav)
      setUpCommands(nav);
    var original = document.querySelector('a[data-original]');
    if (original && nav)
      linkOriginal(original);
    var spreadsheet = document.querySelector('[data-spreadsheet]');
    if (spreadsheet)
      setUpSpreadsheet(spreadsheet);
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
