// Quillot: the stock pages. The receipt and issue form with its lines and
// the picker of open order lines, the commands and the date form of their
// view, and the product stock list's spreadsheet. Builds on app.js
// (window.Quillot); text goes into the page as text only.
(function () {
  'use strict';

  var Q = window.Quillot;
  if (!Q)
    return;

  var OFFLINE = '无法连接服务器，请检查网络后重试';
  var NOTE = 'quillot.stock';

  function headIndex(table, info) {
    var head = table.tHead.querySelector('th[data-info="' + info + '"]');
    return head ? head.cellIndex : -1;
  }

  // The word of a tax code ("0", "1") from the codes-taxtype list.
  function taxWord(code) {
    var list = document.getElementById('codes-taxtype');
    for (var i = 0; list && i < list.options.length; i++)
      if (list.options[i].value === code)
        return list.options[i].textContent.trim();
    return code;
  }

  // The order line a row was made from: a link to the order and the line.
  function showOrderRef(cell, page, orgid, orgln) {
    cell.textContent = '';
    var link = document.createElement('a');
    link.href = page + encodeURIComponent(orgid);
    link.textContent = orgid;
    var line = document.createElement('span');
    line.className = 'muted';
    line.textContent = ' · ' + orgln;
    cell.appendChild(link);
    cell.appendChild(line);
  }

  function hiddenColumn(cell, field, value) {
    var input = document.createElement('input');
    input.type = 'hidden';
    input.setAttribute('data-column', field);
    input.value = value;
    cell.appendChild(input);
  }

  // A note inside a cell after its number: "不足", "超出".
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

  // ------------------------------------------------------ the edit form

  function MovementForm(form) {
    this.form = form;
    this.issue = form.getAttribute('data-side') === 'sales';
    this.table = form.querySelector('table.movement-lines');
    this.orderPage = this.table.getAttribute('data-order-view');
    this.total = document.getElementById('movement-total');
    this.locked = form.querySelector('fieldset.form-body').disabled;
    this.columns = {
      order: headIndex(this.table, 'order'),
      moved: headIndex(this.table, 'moved'),
      stock: headIndex(this.table, 'stock')
    };

    var cells = this.table.querySelectorAll('td[data-number]');
    for (var i = 0; i < cells.length; i++)
      cells[i].textContent = Q.tidy(cells[i].textContent.trim());
    this.grid = new Q.Grid(this.table);
    var rows = this.grid.body.rows;
    for (var r = 0; r < rows.length; r++) {
      this.prepareRow(rows[r]);
      this.updateRow(rows[r]);
    }
    this.updateTotal();
    this.picker = document.getElementById('open-lines');
    this.partner = form.elements[form.getAttribute('data-partner-column')];
    if (this.locked)
      return;
    this.listen();
    if (this.picker)
      this.setUpPicker();
    this.focusFirst();
  }

  // A row's amount keeps the factor the server applied to it (the tax
  // of a taxable order on a price without tax); a new row has none.
  MovementForm.prototype.prepareRow = function (row) {
    var column = this.table.tHead.querySelector('th[data-amount]').cellIndex;
    var amount = row.cells[column];
    amount.setAttribute('data-amount', '');
    amount.className = 'num';
    row.factor = 1;
    var values = this.grid.values(row);
    var stored = Q.numberOf(row.getAttribute('data-amount'));
    var plain = Q.numberOf(values.qunty) * Q.numberOf(values.itmpr);
    if (!isNaN(stored) && !isNaN(plain) && plain !== 0 && stored !== 0)
      row.factor = stored / plain;

    var numbers = row.querySelectorAll('[data-column="qunty"], [data-column="itmpr"]');
    for (var n = 0; n < numbers.length; n++)
      numbers[n].inputMode = 'decimal';
    // A line of an order takes that order's product, and an invoiced line
    // keeps the product it was invoiced for.
    var invoiced = Q.numberOf(row.getAttribute('data-invoiced'));
    invoiced = !isNaN(invoiced) && invoiced !== 0;
    if (invoiced || row.hasAttribute('data-orgid')) {
      var fixed = row.querySelectorAll('[data-column="prdnm"], [data-column="specs"], [data-column="unitg"]');
      for (var f = 0; f < fixed.length; f++) {
        fixed[f].readOnly = true;
        fixed[f].tabIndex = -1;
        fixed[f].title = row.hasAttribute('data-orgid') ? '产品随订单，不能修改' : '这一行已经开票，不能换产品';
      }
    }
    var remove = row.querySelector('button[data-action="delete"]');
    if (remove && invoiced) {
      remove.disabled = true;
      remove.title = '这一行已经开票，不能删除';
    }
  };

  MovementForm.prototype.updateRow = function (row) {
    var values = this.grid.values(row);
    var quantity = Q.numberOf(values.qunty);
    var price = Q.numberOf(values.itmpr);
    var cell = row.querySelector('td[data-amount]');
    var stored = Q.numberOf(row.getAttribute('data-amount'));
    if (this.grid.keyOf(row) && !isNaN(stored) && !this.grid.changed(row))
      cell.textContent = Q.money(stored);
    else if (isNaN(quantity) || isNaN(price))
      cell.textContent = '';
    else
      cell.textContent = Q.money(quantity * price * row.factor);
    this.warn(row, quantity);
  };

  // Issues: more than the stock on hand. Both: more than the order line
  // still has open.
  MovementForm.prototype.warn = function (row, quantity) {
    var stock = Q.numberOf(row.getAttribute('data-stock'));
    var short = this.issue && !isNaN(stock) && !isNaN(quantity) && quantity > stock + 1e-9;
    row.classList.toggle('is-short', short);
    if (this.columns.stock >= 0)
      markCell(row.cells[this.columns.stock], short ? '不足' : '', short ? '库存只有 ' + stock + '，不够' : '');
    var open = Q.numberOf(row.getAttribute('data-open'));
    var over = open > 0 && !isNaN(quantity) && quantity > open + 1e-9;
    row.classList.toggle('is-over', over);
    if (this.columns.moved >= 0)
      markCell(row.cells[this.columns.moved], over ? '超出' : '', over ? '订单上还没交货的只有 ' + open : '');
  };

  MovementForm.prototype.updateTotal = function () {
    var sum = 0;
    var rows = this.grid.body.rows;
    for (var i = 0; i < rows.length; i++) {
      if (rows[i].classList.contains('is-deleted'))
        continue;
      var cell = rows[i].querySelector('td[data-amount]');
      var value = cell ? Q.numberOf(cell.textContent) : NaN;
      if (!isNaN(value))
        sum += value;
    }
    this.total.textContent = Q.money(sum);
  };

  MovementForm.prototype.addLine = function () {
    var row = this.grid.add();
    this.prepareRow(row);
    return row;
  };

  // The first place to type: the partner when it is still empty (the
  // template gives it autofocus), otherwise the first line's quantity.
  MovementForm.prototype.focusFirst = function () {
    if (this.form.querySelector('[autofocus]'))
      return;
    var quantity = this.table.querySelector('[data-column="qunty"]');
    if (quantity) {
      quantity.focus();
      quantity.select();
    }
  };

  MovementForm.prototype.listen = function () {
    var self = this;
    var form = this.form;
    function changed(event) {
      var row = event.target.closest('tr');
      if (row) {
        self.updateRow(row);
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
            self.updateRow(rows[i]);
          self.updateTotal();
        }, 0);
    });
    form.querySelector('[data-line-add]').addEventListener('click', function () { self.addLine(); });
    form.addEventListener('keydown', function (event) {
      if (!event.altKey || event.ctrlKey)
        return;
      var key = event.key.toLowerCase();
      if (key === 'n') {
        event.preventDefault();
        self.addLine();
      } else if (key === 'o' && self.picker) {
        event.preventDefault();
        self.openPicker();
      }
    });
    var currency = form.elements.crncy;
    var shown = document.querySelector('[data-currency]');
    if (currency && shown)
      currency.addEventListener('change', function () { shown.textContent = currency.value; });
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      self.save();
    });
  };

  MovementForm.prototype.save = function () {
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
  MovementForm.prototype.pointAtLine = function (key) {
    var issue = this.issue;
    var self = this;
    var checks = {
      qunty: ['qunty', function (row, value) { var n = Q.numberOf(value); return isNaN(n) || n === 0; }],
      itmpr: ['itmpr', function (row, value) {
        var n = Q.numberOf(value);
        return isNaN(n) || n < 0 || (n === 0 && (!issue || row.hasAttribute('data-orgid')));
      }],
      prdnm: ['prdnm', function (row, value) { return !value.trim() && self.grid.holdsSomething(row); }],
      specs: ['specs', function (row, value) { return !value.trim(); }],
      zcprdc: ['qunty', function (row) { return row.classList.contains('is-short'); }],
      zpordr: ['qunty', function (row) { return row.classList.contains('is-over'); }],
      ldngs: ['qunty', function (row) { return row.classList.contains('is-over'); }],
      zsordr: ['qunty', function (row) { return row.classList.contains('is-over'); }]
    };
    var check = checks[key];
    if (!check)
      return;
    var rows = this.grid.body.rows;
    for (var i = 0; i < rows.length; i++) {
      var control = rows[i].querySelector('[data-column="' + check[0] + '"]:not([disabled])');
      if (control && check[1](rows[i], control.value)) {
        var invalid = this.table.querySelectorAll('[aria-invalid="true"]');
        for (var j = 0; j < invalid.length; j++)
          invalid[j].removeAttribute('aria-invalid');
        control.setAttribute('aria-invalid', 'true');
        control.focus();
        return;
      }
    }
  };

  // ------------------------------------------- the picker of order lines

  MovementForm.prototype.setUpPicker = function () {
    var self = this;
    var picker = this.picker;
    this.partnerPicker = new Q.PartnerPicker(picker, this.partner, function (page) { self.refill(page); },
      !this.form.elements._exist.value);
    var opener = this.form.querySelector('[data-open-lines]');
    opener.addEventListener('click', function () { self.openPicker(); });
    picker.querySelector('[data-open-all]').addEventListener('click', function () {
      var boxes = picker.querySelectorAll('tbody input[type="checkbox"]:not([disabled])');
      for (var i = 0; i < boxes.length; i++)
        boxes[i].checked = true;
    });
    // Enter takes the chosen lines, or the line it is pressed on.
    picker.addEventListener('keydown', function (event) {
      if (event.key !== 'Enter' || !event.target.closest('tbody'))
        return;
      event.preventDefault();
      if (!picker.querySelector('tbody input:checked')) {
        var box = event.target.closest('tr').querySelector('input[type="checkbox"]');
        if (box && !box.disabled)
          box.checked = true;
      }
      picker.close('add');
    });
    picker.addEventListener('close', function () {
      var added = picker.returnValue === 'add' ? self.takeChosen() : null;
      var boxes = picker.querySelectorAll('tbody input[type="checkbox"]');
      for (var i = 0; i < boxes.length; i++)
        boxes[i].checked = false;
      var target = added && added.querySelector('[data-column="qunty"]');
      if (target) {
        target.focus();
        target.select();
      } else {
        opener.focus();
      }
    });
  };

  // The partner typed decides what the picker offers: when it is not the
  // one the picker was filled for, the picker is filled anew from this
  // page opened for that partner's name.
  MovementForm.prototype.openPicker = function () {
    var self = this;
    var partner = this.partner;
    var typed = partner.value.trim();
    var word = partner.labels[0].firstChild.textContent.trim();
    Q.clearFieldErrors(this.form);
    Q.show(this.picker.querySelector('.form-error'), '');
    if (!typed) {
      this.partnerRefused(partner, '请先填写' + word);
      return;
    }
    this.partnerPicker.load(typed)
      .then(function (found) {
        if (found === null)
          return;
        if (found.name)
          self.showPicker();
        else
          self.partnerRefused(partner, found.count > 1 ? '有多个名称相近的' + word + '，请输入完整名称' :
            '找不到这个' + word + '，也就没有它的订单行可选');
      })
      .catch(function () { Q.show(self.form.querySelector('.form-error'), OFFLINE); });
  };

  MovementForm.prototype.partnerRefused = function (partner, text) {
    Q.show(partner.closest('.field').querySelector('.field-error'), text);
    partner.setAttribute('aria-invalid', 'true');
    partner.focus();
  };

  // The open lines as the page for the partner has them; their tax codes
  // shown as words, as this page's own.
  MovementForm.prototype.refill = function (page) {
    var fresh = page.getElementById('open-lines');
    if (!fresh)
      return;
    var table = this.picker.querySelector('table.open-lines');
    var rows = document.importNode(fresh.querySelector('table.open-lines').tBodies[0], true);
    var codes = rows.querySelectorAll('td[data-code-list="taxtype"]');
    for (var i = 0; i < codes.length; i++)
      codes[i].textContent = taxWord(codes[i].getAttribute('data-code'));
    table.replaceChild(rows, table.tBodies[0]);
    this.picker.querySelector('[data-none]').hidden = fresh.querySelector('[data-none]').hidden;
  };

  // The order lines already in the form are not offered again.
  MovementForm.prototype.showPicker = function () {
    var taken = {};
    var rows = this.grid.body.rows;
    for (var i = 0; i < rows.length; i++)
      if (rows[i].hasAttribute('data-orgid') && !rows[i].classList.contains('is-deleted'))
        taken[rows[i].getAttribute('data-orgid') + '\n' + rows[i].getAttribute('data-orgln')] = true;
    var lines = this.picker.querySelectorAll('tbody tr');
    var first = null;
    for (var j = 0; j < lines.length; j++) {
      var inForm = !!taken[lines[j].getAttribute('data-orgid') + '\n' + lines[j].getAttribute('data-orgln')];
      var box = lines[j].querySelector('input[type="checkbox"]');
      box.disabled = inForm;
      box.title = inForm ? '这一行已经在单中' : '';
      lines[j].classList.toggle('is-added', inForm);
      if (!inForm && !first)
        first = box;
    }
    this.picker.returnValue = '';
    this.picker.showModal();
    (first || this.picker.querySelector('button[value="cancel"]')).focus();
  };

  // Adds the chosen order lines with their open quantity; the first new
  // row, or null when none was chosen.
  MovementForm.prototype.takeChosen = function () {
    var boxes = this.picker.querySelectorAll('tbody input:checked:not([disabled])');
    var first = null;
    for (var i = 0; i < boxes.length; i++) {
      var row = this.addOrderLine(boxes[i].closest('tr'));
      first = first || row;
    }
    this.updateTotal();
    return first;
  };

  MovementForm.prototype.addOrderLine = function (line) {
    var data = function (name) { return line.getAttribute('data-' + name) || ''; };
    var row = this.grid.add();
    row.setAttribute('data-orgid', data('orgid'));
    row.setAttribute('data-orgln', data('orgln'));
    row.setAttribute('data-open', data('qunty'));
    row.setAttribute('data-stock', data('stock'));
    this.grid.fill(row, {
      prdnm: data('prdnm'),
      specs: data('specs'),
      other: data('other'),
      unitg: data('unitg'),
      qunty: Q.tidy(data('qunty')),
      itmpr: Q.tidy(data('itmpr')),
      taxrt: taxWord(data('taxrt')),
      rmrks: data('rmrks')
    });
    if (this.columns.order >= 0) {
      var cell = row.cells[this.columns.order];
      showOrderRef(cell, this.orderPage, data('orgid'), data('orgln'));
      hiddenColumn(cell, 'orgid', data('orgid'));
      hiddenColumn(cell, 'orgln', data('orgln'));
    }
    if (this.columns.moved >= 0)
      row.cells[this.columns.moved].textContent = Q.tidy(data('ordered')) + ' / ' + Q.tidy(data('ldngs'));
    if (this.columns.stock >= 0)
      row.cells[this.columns.stock].textContent = Q.tidy(data('stock'));
    this.prepareRow(row);
    this.updateRow(row);
    return row;
  };

  // ------------------------------------------------------- the view

  // The expected invoice and payment dates, changed in place.
  function setUpDateForm(form) {
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      Q.clearFieldErrors(form);
      var button = form.querySelector('button[type="submit"]');
      button.disabled = true;
      Q.postToPage(form.getAttribute('action'), new URLSearchParams(new FormData(form)))
        .then(function (text) {
          if (text === null)
            return;
          if (text.indexOf('ok:') === 0) {
            try { sessionStorage.setItem(NOTE, '日期已修改。'); } catch (e) { /* no note then */ }
            location.reload();
            return;
          }
          Q.showRefusal(form, text);
        })
        .catch(function () { Q.show(form.querySelector('.form-error'), OFFLINE); })
        .then(function () { button.disabled = false; });
    });
  }

  function showNote() {
    var note = null;
    try {
      note = sessionStorage.getItem(NOTE);
      sessionStorage.removeItem(NOTE);
    } catch (e) { /* private mode */ }
    Q.show(document.querySelector('.page-note'), note || '');
  }

  // The sum of the amounts, when the page did not bring one.
  function sumAmounts(cells) {
    var sum = 0;
    for (var i = 0; i < cells.length; i++) {
      var value = Q.numberOf(cells[i].getAttribute('data-amount') || cells[i].textContent);
      if (!isNaN(value))
        sum += value;
    }
    return Q.money(sum);
  }

  function showViewTotal(total) {
    if (total.getAttribute('data-total'))
      return;
    var text = sumAmounts(document.querySelectorAll('table.movement-lines td[data-amount]'));
    total.textContent = text;
    var foot = document.getElementById('lines-total');
    if (foot)
      foot.textContent = text;
  }

  // ---------------------------------------------- the product stock list

  function setUpExport(button) {
    var error = document.getElementById('export-error');
    button.addEventListener('click', function () {
      Q.show(error, '');
      button.disabled = true;
      var body = new URLSearchParams();
      body.append('cmd', 'export');
      Q.postToPage(button.getAttribute('data-export'), body)
        .then(function (text) {
          if (text === null)
            return;
          var file = text.indexOf('ok:') === 0 ? text.slice(3).trim() : '';
          if (file)
            location.href = file;
          else
            Q.show(error, text.trim() && text.trim() !== 'failed' ? text.trim() : '没有生成表格文件，请重试');
        })
        .catch(function () { Q.show(error, OFFLINE); })
        .then(function () { button.disabled = false; });
    });
  }

  function showStockValue(cell) {
    var values = document.querySelectorAll('table.stock-list td[data-value]');
    var sum = 0;
    for (var i = 0; i < values.length; i++) {
      var value = Q.numberOf(values[i].textContent);
      if (!isNaN(value))
        sum += value;
    }
    cell.textContent = Q.money(sum);
  }

  function setUp() {
    var form = document.getElementById('movement-form');
    if (form)
      new MovementForm(form);
    var nav = document.querySelector('.movement-commands');
    if (nav)
      Q.setUpCommands(nav);
    var dates = document.querySelector('form.date-form');
    if (dates)
      setUpDateForm(dates);
    if (nav || dates)
      showNote();
    var original = document.querySelector('a[data-original]');
    if (original)
      Q.linkOriginal(original);
    var total = document.getElementById('movement-total');
    if (total && !form)
      showViewTotal(total);
    var exporter = document.querySelector('[data-export]');
    if (exporter)
      setUpExport(exporter);
    var value = document.getElementById('stock-value');
    if (value)
      showStockValue(value);
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
