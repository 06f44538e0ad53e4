// Quillot: the invoice and payment pages of both sides. The edit forms
// with their lines and the picker of what is still to invoice or to pay,
// and the commands of their views. Builds on app.js (window.Quillot);
// text goes into the page as text only.
(function () {
  'use strict';

  var Q = window.Quillot;
  if (!Q)
    return;

  var OFFLINE = '无法连接服务器，请检查网络后重试';

  function headIndex(table, info) {
    var head = table.tHead.querySelector('th[data-info="' + info + '"]');
    return head ? head.cellIndex : -1;
  }

  // A note inside a cell after its number: "超出".
  function markCell(cell, text, title) {
    var note = cell.querySelector('.cell-note');
    if (!text) {
      if (note)
        note.parentNode.removeChild(note);
      cell.removeAttribute('title');
      return;
    }
    if (!note) {
      note = document.createElement('strong');
      note.className = 'cell-note';
      cell.appendChild(note);
    }
    note.textContent = text;
    cell.title = title;
  }

  function columnInput(row, field) {
    return row.querySelector('[data-column="' + field + '"]');
  }

  // ------------------------------------------------ the forms with lines

  // What the invoice and the payment form share: the grid of lines, the
  // picker of what the partner still has open, and saving. The picker's
  // choice is added as the rows the edit page itself renders for it, so
  // the server works out what each line takes. `kind` holds the rules of
  // the document: start, prepareRow, updateRow and updateTotal; rowKey
  // and pickKey (what makes a form row and a picker row the same thing),
  // reference (the page parameter a picker row stands for), refilled,
  // checks (the field a refusal points at) and firstField.
  function LinesForm(form, kind) {
    this.form = form;
    this.kind = kind;
    this.table = form.querySelector('table.money-lines');
    this.locked = form.querySelector('fieldset.form-body').disabled;
    this.partner = form.querySelector('#pnm');
    this.picker = document.getElementById('open-lines');

    var cells = this.table.querySelectorAll('td[data-number]');
    for (var i = 0; i < cells.length; i++)
      cells[i].textContent = Q.tidy(cells[i].textContent.trim());
    this.grid = new Q.Grid(this.table);
    kind.start(this);
    var rows = this.grid.body.rows;
    for (var r = 0; r < rows.length; r++)
      this.prepare(rows[r]);
    this.updateTotal();
    if (this.locked)
      return;
    this.listen();
    this.setUpPicker();
    this.focusFirst();
  }

  LinesForm.prototype.prepare = function (row) {
    var numbers = row.querySelectorAll('[data-kind="number"], [data-column="qunty"], [data-column="itmpr"], [data-column="paids"]');
    for (var n = 0; n < numbers.length; n++)
      numbers[n].inputMode = 'decimal';
    this.kind.prepareRow(this, row);
    this.kind.updateRow(this, row);
  };

  LinesForm.prototype.updateTotal = function () {
    this.kind.updateTotal(this);
  };

  // The rows that count: not marked to delete.
  LinesForm.prototype.liveRows = function () {
    var rows = [];
    for (var i = 0; i < this.grid.body.rows.length; i++)
      if (!this.grid.body.rows[i].classList.contains('is-deleted'))
        rows.push(this.grid.body.rows[i]);
    return rows;
  };

  // The first place to type: the partner while it is empty, otherwise the
  // first line's amount to change.
  LinesForm.prototype.focusFirst = function () {
    if (this.form.querySelector('[autofocus]'))
      return;
    var target = this.table.querySelector('[data-column="' + this.kind.firstField + '"]');
    if (target) {
      target.focus();
      target.select();
    }
  };

  LinesForm.prototype.listen = function () {
    var self = this;
    var form = this.form;
    function changed(event) {
      var row = event.target.closest('tr');
      if (row && self.grid.body.contains(row)) {
        self.kind.updateRow(self, row);
        self.updateTotal();
      }
    }
    this.table.addEventListener('input', changed);
    this.table.addEventListener('change', changed);
    // Marking a line deleted (or dropping a new one) changes the sum.
    this.table.addEventListener('click', function (event) {
      if (event.target.closest('button[data-action]'))
        setTimeout(function () { self.updateTotal(); }, 0);
    });
    this.table.addEventListener('keydown', function (event) {
      if (event.key === 'Escape')
        setTimeout(function () {
          var rows = self.grid.body.rows;
          for (var i = 0; i < rows.length; i++)
            self.kind.updateRow(self, rows[i]);
          self.updateTotal();
        }, 0);
    });
    var add = form.querySelector('[data-line-add]');
    if (add)
      add.addEventListener('click', function () { self.addLine(); });
    form.querySelector('[data-open-lines]').addEventListener('click', function () { self.openPicker(); });
    form.addEventListener('keydown', function (event) {
      if (!event.altKey || event.ctrlKey)
        return;
      var key = event.key.toLowerCase();
      if (key === 'n' && add) {
        event.preventDefault();
        self.addLine();
      } else if (key === 'o' || key === 'n') {
        event.preventDefault();
        self.openPicker();
      }
    });
    var currency = form.elements.crncy;
    var shown = form.querySelector('[data-currency]');
    if (currency && shown)
      currency.addEventListener('change', function () { shown.textContent = currency.value; });
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      self.save();
    });
  };

  LinesForm.prototype.addLine = function () {
    var row = this.grid.add();
    this.prepare(row);
    return row;
  };

  LinesForm.prototype.save = function () {
    var self = this;
    var form = this.form;
    Q.clearFieldErrors(form);
    var body = new URLSearchParams(new FormData(form));
    this.grid.collect(body, 'list');
    var button = form.querySelector('button[type="submit"]');
    if (button)
      button.disabled = true;
    Q.postToPage(form.getAttribute('action'), body)
      .then(function (text) {
        if (text === null)
          return;
        var number = text.indexOf('ok:') === 0 ? text.slice(3).trim() : '';
        if (number) {
          location.href = form.getAttribute('data-view') + encodeURIComponent(number);
          return;
        }
        Q.showRefusal(form, text);
        self.pointAtLine(Q.messageKey(form, text));
      })
      .catch(function () { Q.show(form.querySelector('.form-error'), OFFLINE); })
      .then(function () {
        if (button)
          button.disabled = false;
      });
  };

  // A refused line: the first one that shows the fault gets the focus.
  LinesForm.prototype.pointAtLine = function (key) {
    var check = this.kind.checks[key];
    if (!check)
      return;
    var rows = this.liveRows();
    for (var i = 0; i < rows.length; i++) {
      var control = columnInput(rows[i], check[0]);
      if (control && !control.disabled && check[1](rows[i], control.value, this)) {
        var invalid = this.table.querySelectorAll('[aria-invalid="true"]');
        for (var j = 0; j < invalid.length; j++)
          invalid[j].removeAttribute('aria-invalid');
        control.setAttribute('aria-invalid', 'true');
        control.focus();
        return;
      }
    }
  };

  // ------------------------------------------------------------ the picker

  LinesForm.prototype.pickerError = function (text) {
    var error = this.picker.querySelector('.form-error');
    if (error)
      Q.show(error, text);
    else if (text)
      Q.show(this.form.querySelector('.form-error'), text);
  };

  LinesForm.prototype.setUpPicker = function () {
    var self = this;
    var picker = this.picker;
    this.partnerPicker = new Q.PartnerPicker(picker, this.partner, function (page) { self.refill(page); },
      !this.form.elements._exist.value);
    var all = picker.querySelector('[data-open-all]');
    if (all)
      all.addEventListener('click', function () {
        var boxes = picker.querySelectorAll('tbody input[type="checkbox"]:not([disabled])');
        for (var i = 0; i < boxes.length; i++)
          boxes[i].checked = true;
      });
    // Enter takes the chosen rows, or the row it is pressed on.
    picker.addEventListener('keydown', function (event) {
      var row = event.target.closest('tbody tr');
      if (event.key !== 'Enter' || !row)
        return;
      event.preventDefault();
      if (!picker.querySelector('tbody input:checked')) {
        var box = row.querySelector('input[type="checkbox"]');
        if (box && !box.disabled)
          box.checked = true;
      }
      picker.close('add');
    });
    picker.addEventListener('close', function () {
      var chosen = picker.returnValue === 'add' ? self.chosen() : null;
      var boxes = picker.querySelectorAll('tbody input[type="checkbox"]');
      for (var i = 0; i < boxes.length; i++)
        boxes[i].checked = false;
      if (!chosen || !chosen.length) {
        self.form.querySelector('[data-open-lines]').focus();
        return;
      }
      self.adopt(chosen);
    });
  };

  // The parameters of the chosen picker rows: [name, "A;B"] pairs.
  LinesForm.prototype.chosen = function () {
    var boxes = this.picker.querySelectorAll('tbody input:checked:not([disabled])');
    var byName = {};
    var names = [];
    for (var i = 0; i < boxes.length; i++) {
      var ref = this.kind.reference(this, boxes[i].closest('tr'));
      if (!byName[ref[0]]) {
        byName[ref[0]] = [];
        names.push(ref[0]);
      }
      byName[ref[0]].push(ref[1]);
    }
    return names.map(function (name) { return [name, byName[name].join(';')]; });
  };

  // The partner typed decides what the picker offers: when it is not the
  // one the picker was filled for, the picker is filled anew from the
  // edit page opened for that partner's name.
  LinesForm.prototype.openPicker = function () {
    var self = this;
    var typed = this.partner.value.trim();
    this.pickerError('');
    Q.clearFieldErrors(this.form);
    if (!typed) {
      this.partnerRefused('请先填写' + this.partnerWord());
      return;
    }
    this.partnerPicker.load(typed)
      .then(function (found) {
        if (found === null)
          return;
        if (found.name) {
          self.showPicker();
          return;
        }
        // Only a partner already known: the one named so, or the only one
        // whose name holds what was typed.
        var word = self.partnerWord();
        self.partnerRefused(found.count > 1 ? '有多个名称相近的' + word + '，请输入完整名称' :
          '找不到这个' + word + '：请填写已登记的' + word + '的名称');
      })
      .catch(function () { Q.show(self.form.querySelector('.form-error'), OFFLINE); });
  };

  // "供应商" or "客户", as the partner field's label says.
  LinesForm.prototype.partnerWord = function () {
    return this.partner.labels[0].firstChild.textContent.trim();
  };

  LinesForm.prototype.partnerRefused = function (text) {
    var box = this.partner.closest('.field').querySelector('.field-error');
    Q.show(box, text);
    this.partner.setAttribute('aria-invalid', 'true');
    this.partner.focus();
  };

  // The picker's tables and texts as the page for the partner has them.
  LinesForm.prototype.refill = function (page) {
    var fresh = page.getElementById('open-lines');
    if (!fresh)
      return;
    var tables = this.picker.querySelectorAll('table.open-lines');
    var freshTables = fresh.querySelectorAll('table.open-lines');
    for (var i = 0; i < tables.length && i < freshTables.length; i++)
      tables[i].replaceChild(document.importNode(freshTables[i].tBodies[0], true), tables[i].tBodies[0]);
    var toggled = this.picker.querySelectorAll('[data-none], .open-invoices-part');
    var freshToggled = fresh.querySelectorAll('[data-none], .open-invoices-part');
    for (var j = 0; j < toggled.length && j < freshToggled.length; j++)
      toggled[j].hidden = freshToggled[j].hidden;
    this.kind.refilled(this, page);
  };

  // The rows already in the form are not offered again.
  LinesForm.prototype.showPicker = function () {
    var taken = {};
    var rows = this.liveRows();
    for (var i = 0; i < rows.length; i++)
      taken[this.kind.rowKey(rows[i])] = true;
    var lines = this.picker.querySelectorAll('tbody tr');
    var first = null;
    for (var j = 0; j < lines.length; j++) {
      var key = this.kind.pickKey(lines[j]);
      var inForm = key !== null && !!taken[key];
      var box = lines[j].querySelector('input[type="checkbox"]');
      box.disabled = inForm;
      box.title = inForm ? '已经在单中' : '';
      lines[j].classList.toggle('is-added', inForm);
      if (!inForm && !first)
        first = box;
    }
    this.picker.returnValue = '';
    this.picker.showModal();
    (first || this.picker.querySelector('button[value="cancel"]')).focus();
  };

  // Adds the rows the edit page renders for the chosen references, as new
  // lines, past those already in the form.
  LinesForm.prototype.adopt = function (chosen) {
    var self = this;
    var source = this.picker.getAttribute('data-source');
    var pages = chosen.map(function (pair) {
      return Q.fetchPage(source + '?' + encodeURIComponent(pair[0]) + '=' + encodeURIComponent(pair[1]));
    });
    Promise.all(pages)
      .then(function (results) {
        var first = null;
        for (var p = 0; p < results.length; p++) {
          var table = results[p] && results[p].querySelector('table.money-lines');
          if (!table)
            continue;
          var rows = table.tBodies[0].rows;
          for (var i = 0; i < rows.length; i++) {
            var row = self.take(rows[i]);
            first = first || row;
          }
        }
        self.updateTotal();
        var target = first && columnInput(first, self.kind.firstField);
        if (target) {
          target.focus();
          target.select();
        } else {
          self.form.querySelector('[data-open-lines]').focus();
        }
      })
      .catch(function () { Q.show(self.form.querySelector('.form-error'), OFFLINE); });
  };

  LinesForm.prototype.take = function (fetched) {
    var taken = {};
    var rows = this.liveRows();
    for (var i = 0; i < rows.length; i++)
      taken[this.kind.rowKey(rows[i])] = true;
    var row = document.importNode(fetched, true);
    if (taken[this.kind.rowKey(row)])
      return null;
    row.removeAttribute('data-key');
    var cells = row.querySelectorAll('td[data-number]');
    for (var c = 0; c < cells.length; c++)
      cells[c].textContent = Q.tidy(cells[c].textContent.trim());
    this.grid.body.appendChild(row);
    this.grid.edit(row);
    row.classList.add('is-new');
    var part = this.table.closest('.grid-part');
    if (part)
      part.classList.remove('is-empty');
    this.prepare(row);
    return row;
  };

  // ------------------------------------------------------------ invoices

  var invoices = {
    firstField: 'qunty',

    start: function (lines) {
      var form = lines.form;
      lines.columns = { moved: headIndex(lines.table, 'moved'), source: headIndex(lines.table, 'source') };
      lines.total = document.getElementById('invoice-total');
      // The type by its code; the form sends the option text.
      var type = form.elements.invty;
      var code = type.getAttribute('data-code');
      for (var i = 0; i < type.options.length; i++)
        if (type.options[i].getAttribute('data-code') === code)
          type.selectedIndex = i;
      this.fillDefaults(form, null);
    },

    // A new invoice takes the partner's bank account and tax number
    // unless something else was typed there.
    fillDefaults: function (form, page) {
      ['eacnt', 'etxcd'].forEach(function (name) {
        var input = form.elements[name];
        if (!input || !input.hasAttribute('data-default'))
          return;
        var before = input.getAttribute('data-default').trim();
        var fresh = page ? page.getElementById(input.id) : null;
        var now = fresh ? (fresh.getAttribute('data-default') || '').trim() : before;
        if (!input.value.trim() || input.value === before)
          input.value = now;
        input.setAttribute('data-default', now);
      });
    },

    refilled: function (lines, page) {
      this.fillDefaults(lines.form, page);
    },

    // A row's amount keeps the factor the server applied to it (the tax
    // of a taxable order on a price without tax); a new row has none.
    prepareRow: function (lines, row) {
      var column = lines.table.tHead.querySelector('th[data-amount]').cellIndex;
      var amount = row.cells[column];
      amount.setAttribute('data-amount', '');
      amount.className = 'num';
      row.factor = 1;
      var values = lines.grid.values(row);
      var stored = Q.numberOf(row.getAttribute('data-amount'));
      var plain = Q.numberOf(values.qunty) * Q.numberOf(values.itmpr);
      if (!isNaN(stored) && !isNaN(plain) && plain !== 0 && stored !== 0)
        row.factor = stored / plain;
      if (lines.columns.source >= 0 && !row.cells[lines.columns.source].textContent.trim()) {
        var none = document.createElement('span');
        none.className = 'muted';
        none.textContent = '—';
        row.cells[lines.columns.source].appendChild(none);
      }
    },

    updateRow: function (lines, row) {
      var values = lines.grid.values(row);
      var quantity = Q.numberOf(values.qunty);
      var price = Q.numberOf(values.itmpr);
      var cell = row.querySelector('td[data-amount]');
      var stored = Q.numberOf(row.getAttribute('data-amount'));
      if (lines.grid.keyOf(row) && !isNaN(stored) && !lines.grid.changed(row))
        cell.textContent = Q.money(stored);
      else if (isNaN(quantity) || isNaN(price))
        cell.textContent = '';
      else
        cell.textContent = Q.money(quantity * price * row.factor);
      // More than the stock line still has to invoice.
      var open = Q.numberOf(row.getAttribute('data-open'));
      var over = !isNaN(open) && !isNaN(quantity) && (open >= 0 ? quantity > open + 1e-9 : quantity < open - 1e-9);
      row.classList.toggle('is-over', over);
      if (lines.columns.moved >= 0)
        markCell(row.cells[lines.columns.moved], over ? '超出' : '', over ? '还没开票的只有 ' + Q.tidy(String(open)) : '');
    },

    updateTotal: function (lines) {
      var sum = 0;
      var rows = lines.liveRows();
      for (var i = 0; i < rows.length; i++) {
        var value = Q.numberOf(rows[i].querySelector('td[data-amount]').textContent);
        if (!isNaN(value))
          sum += value;
      }
      lines.total.textContent = Q.money(sum);
    },

    rowKey: function (row) {
      return row.hasAttribute('data-orgid') ? row.getAttribute('data-orgid') + ',' + row.getAttribute('data-orgln') : '';
    },

    pickKey: function (line) {
      return this.rowKey(line);
    },

    reference: function (lines, line) {
      return [lines.picker.getAttribute('data-lines-key'), this.rowKey(line)];
    },

    checks: {
      qunty: ['qunty', function (row, value) { var n = Q.numberOf(value); return isNaN(n) || n === 0; }],
      itmpr: ['itmpr', function (row, value) { var n = Q.numberOf(value); return isNaN(n) || n <= 0; }],
      prdnm: ['prdnm', function (row, value, lines) { return !value.trim() && lines.grid.holdsSomething(row); }],
      specs: ['specs', function (row, value) { return !value.trim(); }],
      invcs: ['qunty', function (row) { return row.classList.contains('is-over'); }]
    }
  };

  // ------------------------------------------------------------ payments

  var payments = {
    firstField: 'paids',

    start: function (lines) {
      lines.columns = { reman: headIndex(lines.table, 'reman') };
      lines.paidWord = lines.form.getAttribute('data-side') === 'sales' ? '收' : '付';
      lines.sum = document.getElementById('payment-sum');
      lines.amount = lines.form.elements.amont;
      var rows = lines.liveRows();
      var sum = 0;
      for (var i = 0; i < rows.length; i++)
        sum += Q.numberOf(columnInput(rows[i], 'paids').value) || 0;
      // The total follows the lines until something else is typed.
      var typed = Q.numberOf(lines.amount.value);
      lines.amountTyped = !isNaN(typed) && Q.money(typed) !== Q.money(sum);
      if (!lines.amountTyped)
        lines.amount.value = lines.amount.value.trim() ? Q.money(typed) : '';
      lines.amount.addEventListener('input', function () {
        lines.amountTyped = lines.amount.value.trim() !== '';
      });
      lines.amount.addEventListener('change', function () {
        if (!lines.amountTyped)
          lines.updateTotal();
      });
    },

    refilled: function () {},

    // The values a line posts but does not edit are hidden inputs; they
    // count as what the line held, so that a line is saved only when its
    // payment or remark changed.
    prepareRow: function (lines, row) {
      this.updateRow(lines, row);
      row.original = row.original || {};
      var hidden = row.querySelectorAll('input[type="hidden"][data-column]');
      for (var i = 0; i < hidden.length; i++)
        row.original[hidden[i].getAttribute('data-column')] = hidden[i].value;
    },

    // What is left after this payment follows what is paid now.
    updateRow: function (lines, row) {
      var lefts = Q.numberOf(columnInput(row, 'lefts').value);
      var paid = Q.numberOf(columnInput(row, 'paids').value);
      var shown = row.querySelector('output[data-reman]');
      var reman = columnInput(row, 'reman');
      if (isNaN(lefts) || isNaN(paid)) {
        shown.textContent = '';
        return;
      }
      reman.value = Q.money(lefts - paid);
      shown.textContent = reman.value;
      var over = lefts >= 0 ? paid > lefts + 1e-9 : paid < lefts - 1e-9;
      row.classList.toggle('is-over', over);
      if (lines.columns.reman >= 0)
        markCell(row.cells[lines.columns.reman], over ? '超出' : '', over ? '订单还没' + lines.paidWord + '的只有 ' + Q.money(lefts) : '');
    },

    updateTotal: function (lines) {
      var sum = 0;
      var rows = lines.liveRows();
      for (var i = 0; i < rows.length; i++) {
        var value = Q.numberOf(columnInput(rows[i], 'paids').value);
        if (!isNaN(value))
          sum += value;
      }
      lines.sum.textContent = Q.money(sum);
      if (!lines.amountTyped)
        lines.amount.value = rows.length ? Q.money(sum) : '';
    },

    rowKey: function (row) {
      return row.getAttribute('data-ordid') || '';
    },

    // Invoices are never "in the form": their orders are checked as they
    // come.
    pickKey: function (line) {
      return line.hasAttribute('data-ordid') ? line.getAttribute('data-ordid') : null;
    },

    reference: function (lines, line) {
      return line.hasAttribute('data-invid') ? ['invid', line.getAttribute('data-invid')] : ['ordid', line.getAttribute('data-ordid')];
    },

    checks: {
      paids: ['paids', function (row, value) { var n = Q.numberOf(value); return isNaN(n) || n === 0 || row.classList.contains('is-over'); }],
      zpordr: ['paids', function (row) { return row.classList.contains('is-over'); }],
      zsordr: ['paids', function (row) { return row.classList.contains('is-over'); }]
    }
  };

  // ------------------------------------------------------------- views

  function showPaidTotal(cell) {
    var paid = document.querySelectorAll('table.payment-lines td[data-paid]');
    var sum = 0;
    for (var i = 0; i < paid.length; i++)
      sum += Q.numberOf(paid[i].getAttribute('data-paid')) || 0;
    cell.textContent = Q.money(sum);
  }

  function setUp() {
    var invoice = document.getElementById('invoice-form');
    if (invoice)
      new LinesForm(invoice, invoices);
    var payment = document.getElementById('payment-form');
    if (payment)
      new LinesForm(payment, payments);
    var nav = document.querySelector('.money-commands');
    if (nav)
      Q.setUpCommands(nav);
    var original = document.querySelector('a[data-original]');
    if (original)
      Q.linkOriginal(original);
    var total = document.getElementById('lines-total');
    if (total && document.querySelector('table.payment-lines'))
      showPaidTotal(total);
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
