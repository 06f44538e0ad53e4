// Quillot: the pages' small script, no library. Every text it puts into a
// page goes in as text (textContent), never as HTML.
(function () {
  'use strict';

  // Page names compare without letter case, as the server matches them.
  function pageOf(path) {
    var name = path.split('/').pop().toLowerCase();
    return name.replace(/\.htm$/, '');
  }

  function markCurrentPage() {
    var current = pageOf(location.pathname);
    var links = document.querySelectorAll('.sidebar a');
    for (var i = 0; i < links.length; i++) {
      if (pageOf(links[i].getAttribute('href')) === current)
        links[i].setAttribute('aria-current', 'page');
    }
  }

  // The server's time, once a minute.
  function startClock() {
    var clock = document.getElementById('clock');
    if (!clock || !window.fetch)
      return;
    function tick() {
      fetch('hourly.htm', { credentials: 'same-origin', redirect: 'manual' })
        .then(function (reply) { return reply.ok ? reply.text() : ''; })
        .then(function (text) {
          text = text.trim();
          clock.textContent = /^\d{1,2}:\d{2}$/.test(text) ? text : '';
        })
        .catch(function () { clock.textContent = ''; });
    }
    tick();
    setInterval(tick, 60000);
  }

  function today() {
    var now = new Date();
    var pad = function (n) { return (n < 10 ? '0' : '') + n; };
    return now.getFullYear() + '-' + pad(now.getMonth() + 1) + '-' + pad(now.getDate());
  }

  function daysBetween(from, to) {
    return Math.round((Date.parse(to) - Date.parse(from)) / 86400000);
  }

  // Due dates past or near, in colour.
  function decorateNotices() {
    var now = today();
    var cells = document.querySelectorAll('td[data-due]');
    for (var j = 0; j < cells.length; j++) {
      var due = cells[j].getAttribute('data-due').slice(0, 10);
      if (!/^\d{4}-\d{2}-\d{2}$/.test(due))
        continue;
      var left = daysBetween(now, due);
      if (left < 0) {
        cells[j].classList.add('overdue');
        cells[j].title = '已过期 ' + (-left) + ' 天';
      } else if (left <= 3) {
        cells[j].classList.add('due-soon');
        cells[j].title = left === 0 ? '今天到期' : left + ' 天后到期';
      }
    }
  }

  function show(box, text) {
    if (!box)
      return;
    box.textContent = text;
    box.hidden = !text;
  }

  // Forms whose page answers a script: "ok:" on success, otherwise the
  // text of the error, shown in the form's own error box.
  function submitForScript(form, onAnswer) {
    form.addEventListener('submit', function (event) {
      if (!window.fetch || !window.URLSearchParams)
        return; // the browser posts the form itself
      event.preventDefault();
      var error = form.querySelector('.form-error');
      var ok = form.querySelector('.form-ok');
      show(error, '');
      show(ok, '');
      var repeat = form.querySelector('[data-confirms]');
      if (repeat) {
        var first = form.elements[repeat.getAttribute('data-confirms')];
        if (first && first.value !== repeat.value) {
          show(error, '两次输入的密码不一样');
          repeat.setAttribute('aria-invalid', 'true');
          repeat.focus();
          return;
        }
        repeat.removeAttribute('aria-invalid');
      }
      var button = form.querySelector('button[type="submit"]');
      if (button)
        button.disabled = true;
      var body = new URLSearchParams(new FormData(form));
      fetch(form.getAttribute('action'), {
        method: 'POST',
        credentials: 'same-origin',
        headers: { 'Content-Type': 'application/x-www-form-urlencoded; charset=UTF-8' },
        body: body
      })
        .then(function (reply) {
          // A session that ended sends the script to the sign-in page.
          if (reply.redirected) {
            location.href = reply.url;
            return null;
          }
          return reply.text();
        })
        .then(function (text) {
          if (text === null)
            return;
          if (text.indexOf('ok:') === 0) {
            var next = form.getAttribute('data-success');
            if (next) {
              location.href = next;
              return;
            }
            show(ok, form.getAttribute('data-ok-message') || '已完成。');
          } else {
            show(error, text.trim() || '操作没有完成，请重试');
          }
          if (onAnswer)
            onAnswer(text);
        })
        .catch(function () { show(error, '无法连接服务器，请检查网络后重试'); })
        .then(function () {
          if (button)
            button.disabled = false;
        });
    });
  }

  function setUpSignIn() {
    var form = document.getElementById('signin-form');
    if (!form)
      return;
    var dbname = form.elements.dbname;
    var passwd = form.elements.passwd;
    (dbname.value ? passwd : dbname).focus();
    submitForScript(form, function (text) {
      var databaseWrong = text.trim() === form.getAttribute('data-message-dbname');
      dbname.setAttribute('aria-invalid', databaseWrong ? 'true' : 'false');
      passwd.setAttribute('aria-invalid', databaseWrong ? 'false' : 'true');
      if (databaseWrong) {
        dbname.focus();
        dbname.select();
      } else {
        passwd.value = '';
        passwd.focus();
      }
    });
  }

  // ------------------------------------------------ answers of the pages

  // Posts a form body; the answer's text, or null when the session ended
  // and the browser is on its way to the sign-in page.
  function postToPage(url, body) {
    return fetch(url, {
      method: 'POST',
      credentials: 'same-origin',
      headers: { 'Content-Type': 'application/x-www-form-urlencoded; charset=UTF-8' },
      body: body
    }).then(function (reply) {
      if (reply.redirected) {
        location.href = reply.url;
        return null;
      }
      return reply.text();
    });
  }

  // The error key whose text the page answered, from the form's
  // data-message-KEY attributes; '' when none matches.
  function messageKey(form, text) {
    var wanted = text.trim();
    for (var i = 0; i < form.attributes.length; i++) {
      var attribute = form.attributes[i];
      if (attribute.name.indexOf('data-message-') === 0 && attribute.value === wanted)
        return attribute.name.slice('data-message-'.length);
    }
    return '';
  }

  function clearFieldErrors(form) {
    var boxes = form.querySelectorAll('.field-error');
    for (var i = 0; i < boxes.length; i++)
      show(boxes[i], '');
    var invalid = form.querySelectorAll('[aria-invalid="true"]');
    for (var j = 0; j < invalid.length; j++)
      invalid[j].removeAttribute('aria-invalid');
    show(form.querySelector('.form-error'), '');
    show(form.querySelector('.form-ok'), '');
  }

  // The control an error is about: inside the part of the form that
  // declares the key (data-errors="KEY ..."), an empty one of the column
  // the key names when the part is a grid, else its first control.
  function controlFor(part, key) {
    var column = part.querySelectorAll('[data-column="' + key + '"]');
    for (var i = 0; i < column.length; i++)
      if (!column[i].disabled && !column[i].value.trim())
        return column[i];
    if (column.length)
      return column[0];
    return part.querySelector('input:not([type="hidden"]):not([disabled]), select:not([disabled]), textarea');
  }

  // Shows an answer that is not "ok:" next to the field it concerns.
  function showRefusal(form, text) {
    var message = text.trim() || '操作没有完成，请重试';
    var key = messageKey(form, message);
    var parts = key ? form.querySelectorAll('[data-errors]') : [];
    for (var i = 0; i < parts.length; i++) {
      if (parts[i].getAttribute('data-errors').split(/\s+/).indexOf(key) < 0)
        continue;
      var box = parts[i].querySelector('.field-error');
      var control = controlFor(parts[i], key);
      if (!box)
        break;
      show(box, message);
      if (control) {
        control.setAttribute('aria-invalid', 'true');
        control.focus();
      }
      return;
    }
    show(form.querySelector('.form-error'), message);
  }

  // A saved page reloads and then says so.
  var SAVED = 'quillot.saved';

  function reloadSaved(text) {
    try { sessionStorage.setItem(SAVED, text); } catch (e) { /* private mode: no note */ }
    location.reload();
  }

  function showSavedNote() {
    var text = null;
    try {
      text = sessionStorage.getItem(SAVED);
      sessionStorage.removeItem(SAVED);
    } catch (e) { return; }
    var box = text && document.querySelector('form[data-save] .form-ok');
    if (box)
      show(box, text);
  }

  // ----------------------------------------------------- editable grids

  // A table whose rows are edited in place. Its head cells describe the
  // columns: data-field (the posted name), data-kind ("text", "number" or
  // "select") and data-options (the id of a datalist whose option texts
  // a select offers). Rows carry their key in data-row or data-key; a row
  // without one is new. data-mode="always" keeps every row in edit mode.
  function Grid(table) {
    this.table = table;
    this.body = table.tBodies[0];
    this.keyField = table.getAttribute('data-key-field');
    this.always = table.getAttribute('data-mode') === 'always';
    this.columns = [];
    var heads = table.tHead.rows[0].cells;
    for (var i = 0; i < heads.length; i++) {
      var field = heads[i].getAttribute('data-field');
      this.columns.push(field ? {
        field: field,
        kind: heads[i].getAttribute('data-kind') || 'text',
        options: heads[i].getAttribute('data-options'),
        label: heads[i].textContent.trim()
      } : null);
    }
    table.grid = this;
    var grid = this;
    table.addEventListener('click', function (event) {
      var button = event.target.closest('button[data-action]');
      if (button && grid.body.contains(button))
        grid.act(button.getAttribute('data-action'), button.closest('tr'));
    });
    table.addEventListener('keydown', function (event) { grid.onKey(event); });
    table.addEventListener('focusin', function (event) {
      var row = event.target.closest('tr');
      if (row && grid.always && !(event.relatedTarget && row.contains(event.relatedTarget)))
        row.entered = grid.values(row);
    });
    if (this.always) {
      for (var r = 0; r < this.body.rows.length; r++)
        this.edit(this.body.rows[r]);
    }
  }

  Grid.prototype.keyOf = function (row) {
    return row.getAttribute('data-row') || row.getAttribute('data-key') || '';
  };

  Grid.prototype.optionsOf = function (column) {
    var list = column.options && document.getElementById(column.options);
    var texts = [];
    for (var i = 0; list && i < list.options.length; i++)
      texts.push(list.options[i].textContent.trim());
    return texts;
  };

  Grid.prototype.control = function (column, value) {
    var control;
    if (column.kind === 'select') {
      control = document.createElement('select');
      var texts = this.optionsOf(column);
      // A row without a choice yet takes the first option, as the
      // server would read an empty one.
      if (value === '' && texts.length)
        value = texts[0];
      else if (texts.indexOf(value) < 0)
        texts.unshift(value);
      for (var i = 0; i < texts.length; i++) {
        var option = document.createElement('option');
        option.textContent = texts[i];
        option.value = texts[i];
        control.appendChild(option);
      }
      control.value = value;
    } else {
      control = document.createElement('input');
      control.type = 'text';
      if (column.kind === 'number')
        control.inputMode = 'numeric';
      control.value = value;
    }
    control.setAttribute('data-column', column.field);
    control.setAttribute('aria-label', column.label);
    return control;
  };

  // A row's cells become controls; what they showed is kept to cancel.
  Grid.prototype.edit = function (row) {
    if (row.classList.contains('is-editing'))
      return;
    row.classList.add('is-editing');
    row.original = {};
    for (var i = 0; i < this.columns.length && i < row.cells.length; i++) {
      var column = this.columns[i];
      if (!column)
        continue;
      var cell = row.cells[i];
      var value = cell.hasAttribute('data-value') ? cell.getAttribute('data-value') : cell.textContent.trim();
      row.original[column.field] = value;
      cell.saved = Array.prototype.slice.call(cell.childNodes);
      cell.textContent = '';
      cell.appendChild(this.control(column, value));
    }
    var button = row.querySelector('button[data-action="edit"]');
    if (button)
      button.hidden = true;
  };

  // Back to what the row showed before it was edited.
  Grid.prototype.cancel = function (row) {
    if (!this.keyOf(row)) {
      this.drop(row);
      return;
    }
    if (this.always) {
      this.fill(row, row.entered || row.original);
      return;
    }
    if (!row.classList.contains('is-editing'))
      return;
    for (var i = 0; i < this.columns.length && i < row.cells.length; i++) {
      var cell = row.cells[i];
      if (!this.columns[i] || !cell.saved)
        continue;
      cell.textContent = '';
      for (var j = 0; j < cell.saved.length; j++)
        cell.appendChild(cell.saved[j]);
    }
    row.classList.remove('is-editing');
    var button = row.querySelector('button[data-action="edit"]');
    if (button) {
      button.hidden = false;
      button.focus();
    }
  };

  Grid.prototype.fill = function (row, values) {
    var controls = row.querySelectorAll('[data-column]');
    for (var i = 0; i < controls.length; i++) {
      var field = controls[i].getAttribute('data-column');
      if (values && field in values)
        controls[i].value = values[field];
    }
  };

  Grid.prototype.values = function (row) {
    var values = {};
    var controls = row.querySelectorAll('[data-column]');
    for (var i = 0; i < controls.length; i++)
      values[controls[i].getAttribute('data-column')] = controls[i].value;
    return values;
  };

  Grid.prototype.changed = function (row) {
    var values = this.values(row);
    for (var field in values)
      if (values[field] !== (row.original ? row.original[field] : ''))
        return true;
    return false;
  };

  Grid.prototype.add = function () {
    var row = document.createElement('tr');
    row.className = 'is-new';
    for (var i = 0; i < this.columns.length; i++) {
      var cell = document.createElement('td');
      if (i === this.columns.length - 1 && !this.columns[i]) {
        cell.className = 'row-actions';
        var remove = document.createElement('button');
        remove.type = 'button';
        remove.className = 'button small';
        remove.setAttribute('data-action', 'delete');
        remove.textContent = '移除';
        cell.appendChild(remove);
      }
      row.appendChild(cell);
    }
    this.body.appendChild(row);
    this.edit(row);
    var empty = this.table.closest('.grid-part');
    if (empty)
      empty.classList.remove('is-empty');
    var first = row.querySelector('[data-column]');
    if (first)
      first.focus();
    return row;
  };

  Grid.prototype.drop = function (row) {
    var next = row.nextElementSibling || row.previousElementSibling;
    row.parentNode.removeChild(row);
    var control = next && next.querySelector('[data-column], button');
    (control || this.table.closest('form').querySelector('[data-grid-add]') || document.body).focus();
  };

  // A loaded row is marked to delete (again to keep it); a new one goes.
  Grid.prototype.toggleDelete = function (row, button) {
    if (!this.keyOf(row)) {
      this.drop(row);
      return;
    }
    var deleting = !row.classList.contains('is-deleted');
    row.classList.toggle('is-deleted', deleting);
    var controls = row.querySelectorAll('[data-column]');
    for (var i = 0; i < controls.length; i++)
      controls[i].disabled = deleting;
    button.textContent = deleting ? '恢复' : '删除';
    button.setAttribute('aria-pressed', deleting ? 'true' : 'false');
  };

  Grid.prototype.act = function (action, row) {
    if (action === 'edit') {
      this.edit(row);
      var first = row.querySelector('[data-column]');
      if (first)
        first.focus();
    } else if (action === 'delete') {
      this.toggleDelete(row, row.querySelector('button[data-action="delete"]'));
    }
  };

  // Escape cancels the row being edited; Enter saves the whole form.
  Grid.prototype.onKey = function (event) {
    var row = event.target.closest('tr');
    if (!row || !this.body.contains(row))
      return;
    if (event.key === 'Escape') {
      event.preventDefault();
      this.cancel(row);
    } else if (event.key === 'Enter' && event.target.hasAttribute('data-column')) {
      event.preventDefault();
      var form = this.table.closest('form');
      if (form && form.requestSubmit)
        form.requestSubmit();
    }
  };

  // The rows to save as list.001, list.002, ...: new rows that hold
  // something, loaded rows marked to delete, loaded rows changed.
  Grid.prototype.collect = function (body, prefix) {
    var count = 0;
    for (var i = 0; i < this.body.rows.length; i++) {
      var row = this.body.rows[i];
      var key = this.keyOf(row);
      var type = '';
      if (row.classList.contains('is-deleted') && key)
        type = 'delete';
      else if (!key && row.classList.contains('is-editing'))
        type = this.holdsSomething(row) ? 'create' : '';
      else if (key && row.classList.contains('is-editing') && this.changed(row))
        type = 'update';
      if (!type)
        continue;
      count++;
      var name = prefix + '.' + ('00' + count).slice(-3) + '.';
      body.append(name + '_type', type);
      if (key)
        body.append(name + this.keyField, key);
      if (type === 'delete')
        continue;
      var values = this.values(row);
      for (var field in values)
        body.append(name + field, values[field]);
    }
    return count;
  };

  Grid.prototype.holdsSomething = function (row) {
    var values = this.values(row);
    for (var field in values) {
      var column = this.columnOf(field);
      if (column && column.kind !== 'select' && values[field].trim())
        return true;
    }
    return false;
  };

  Grid.prototype.columnOf = function (field) {
    for (var i = 0; i < this.columns.length; i++)
      if (this.columns[i] && this.columns[i].field === field)
        return this.columns[i];
    return null;
  };

  // --------------------------------------------------------- save forms

  // A form with data-save posts itself, its grids' rows included, to its
  // page. "ok:ID" after a new record goes to data-created + ID; "ok:"
  // reloads the page, which then says it saved; any other answer is
  // shown next to the field it is about, and what was typed stays.
  function setUpSaveForm(form) {
    var grids = [];
    var tables = form.querySelectorAll('table.edit-grid');
    for (var i = 0; i < tables.length; i++)
      grids.push(new Grid(tables[i]));
    var add = form.querySelector('[data-grid-add]');
    if (add && grids.length)
      add.addEventListener('click', function () { grids[0].add(); });
    // Alt+N adds a row wherever the focus is in the form.
    form.addEventListener('keydown', function (event) {
      if (event.altKey && !event.ctrlKey && (event.key === 'n' || event.key === 'N') && grids.length) {
        event.preventDefault();
        grids[0].add();
      }
    });
    form.addEventListener('submit', function (event) {
      if (!window.fetch || !window.URLSearchParams)
        return;
      event.preventDefault();
      clearFieldErrors(form);
      var body = new URLSearchParams(new FormData(form));
      var rows = 0;
      for (var g = 0; g < grids.length; g++)
        rows += grids[g].collect(body, 'list');
      if (form.hasAttribute('data-needs-rows') && rows === 0) {
        show(form.querySelector('.form-error'), '没有修改需要保存');
        return;
      }
      var buttons = form.querySelectorAll('button[type="submit"]');
      for (var b = 0; b < buttons.length; b++)
        buttons[b].disabled = true;
      postToPage(form.getAttribute('action'), body)
        .then(function (text) {
          if (text === null)
            return;
          if (text.indexOf('ok:') !== 0) {
            showRefusal(form, text);
            return;
          }
          var id = text.slice(3).trim();
          if (id && form.getAttribute('data-created'))
            location.href = form.getAttribute('data-created') + encodeURIComponent(id);
          else
            reloadSaved(form.getAttribute('data-ok-message') || '已保存。');
        })
        .catch(function () { show(form.querySelector('.form-error'), '无法连接服务器，请检查网络后重试'); })
        .then(function () {
          for (var b = 0; b < buttons.length; b++)
            buttons[b].disabled = false;
        });
    });
  }

  // A select whose option is chosen by its data-value text. With
  // data-keep a value the list does not offer (a currency the company
  // dropped since) is added first, so that saving keeps it.
  function chooseOptions() {
    var selects = document.querySelectorAll('select[data-value]');
    for (var i = 0; i < selects.length; i++) {
      var wanted = selects[i].getAttribute('data-value');
      var found = false;
      for (var j = 0; j < selects[i].options.length; j++) {
        if (selects[i].options[j].value === wanted) {
          selects[i].selectedIndex = j;
          found = true;
        }
      }
      if (!found && wanted && selects[i].hasAttribute('data-keep')) {
        var option = document.createElement('option');
        option.value = wanted;
        option.textContent = wanted;
        selects[i].insertBefore(option, selects[i].firstChild);
        selects[i].value = wanted;
      }
    }
  }

  // ------------------------------------------------------------ numbers

  // A number as the user typed it; NaN when it is none.
  function numberOf(text) {
    text = String(text || '').trim().replace(/,/g, '');
    return /^[+-]?(\d+\.?\d*|\.\d+)$/.test(text) ? Number(text) : NaN;
  }

  // Half away from zero at two places, as the server keeps money.
  function money(value) {
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

  // Asks in the page's confirm dialog (its text and its button's label);
  // resolves true when the user chose the button.
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

  // Codes shown as the words of their list: data-code-list names a
  // datalist "codes-LIST" whose options map codes (value) to words.
  function nameCodes() {
    var cells = document.querySelectorAll('[data-code-list]');
    for (var i = 0; i < cells.length; i++) {
      var list = document.getElementById('codes-' + cells[i].getAttribute('data-code-list'));
      var code = cells[i].getAttribute('data-code');
      for (var j = 0; list && j < list.options.length; j++) {
        if (list.options[j].value === code) {
          cells[i].textContent = list.options[j].textContent;
          break;
        }
      }
    }
  }

  // ------------------------------------------------------------- filters

  // The search of a list page: a column and a text become the condition
  // "COLUMN IN TEXT"; the raw filter of the advanced box is added after
  // it. A filter that is one such condition shows in the search again.
  function setUpFilterForm(form) {
    var column = form.querySelector('[data-search-column]');
    var text = form.querySelector('[data-search-text]');
    var raw = form.elements.filter;
    if (!column || !text || !raw)
      return;
    var shown = /^(\S+) IN (.*)$/.exec(raw.value);
    if (shown && raw.value.indexOf(';') < 0) {
      for (var i = 0; i < column.options.length; i++) {
        if (column.options[i].value === shown[1]) {
          column.value = shown[1];
          text.value = shown[2];
          raw.value = '';
          break;
        }
      }
    }
    if (raw.value)
      raw.closest('details').open = true;
    form.addEventListener('submit', function () {
      var search = text.value.trim();
      var conditions = [];
      if (search)
        conditions.push(column.value + ' IN ' + search);
      if (raw.value.trim())
        conditions.push(raw.value.trim());
      raw.value = conditions.join(';');
    });
  }

  // ------------------------------------------------------ other pages

  // A page of this server as a document to read from (its scripts do not
  // run), or null when the session ended and the browser is on its way
  // to the sign-in page.
  function fetchPage(url) {
    return fetch(url, { credentials: 'same-origin' }).then(function (reply) {
      if (reply.redirected) {
        location.href = reply.url;
        return null;
      }
      return reply.text().then(function (html) { return new DOMParser().parseFromString(html, 'text/html'); });
    });
  }

  // A partner by name from its list page, whose rows carry their key:
  // {id, name, count}, the row named exactly so or else the only row
  // found (no id when neither), and how many rows the search found.
  // Null when the session ended.
  function findPartner(list, column, typed) {
    var url = list + '?filter=' + encodeURIComponent(column + ' IN ' + typed.split(/\s+/)[0]);
    return fetchPage(url).then(function (page) {
      if (!page)
        return null;
      var rows = page.querySelectorAll('tr[data-row]');
      var found = rows.length === 1 ? rows[0] : null;
      for (var i = 0; i < rows.length; i++) {
        var name = rows[i].querySelector('[data-name]');
        if (name && name.textContent.trim() === typed)
          found = rows[i];
      }
      var named = found && found.querySelector('[data-name]');
      return {
        id: found ? found.getAttribute('data-row') : '',
        name: named ? named.textContent.trim() : '',
        count: rows.length
      };
    });
  }

  // The statement page's partner picker: a key opens the statement; a
  // name is looked up in the partner list.
  function setUpPartnerPicker(form) {
    var input = form.querySelector('[data-partner]');
    var error = form.querySelector('.form-error');
    form.addEventListener('submit', function (event) {
      var typed = input.value.trim();
      var key = form.getAttribute('data-key');
      if (/^\d+$/.test(typed) || !typed || !window.fetch || !window.DOMParser) {
        form.elements[key].value = typed;
        return;
      }
      event.preventDefault();
      show(error, '');
      findPartner(form.getAttribute('data-list'), form.getAttribute('data-name-column'), typed)
        .then(function (found) {
          if (!found)
            return;
          if (!found.id) {
            show(error, found.count ? '有多个名称相近的记录，请输入完整名称或编号' : '找不到这个名称');
            input.setAttribute('aria-invalid', 'true');
            input.focus();
            return;
          }
          location.href = form.getAttribute('action') + '?' + encodeURIComponent(key) + '=' + encodeURIComponent(found.id);
        })
        .catch(function () { show(error, '无法连接服务器，请检查网络后重试'); });
    });
  }

  // The commands of a document's view (data-page, data-key, data-id,
  // data-list on the bar; data-command, data-confirm and
  // data-confirm-button on each button), asked first and posted with the
  // document's number. "red" answers "ok:" and the red-ink copy's number,
  // which is shown next; "remove" goes to the list.
  function setUpCommands(nav) {
    var error = document.querySelector('.page-error');
    var page = nav.getAttribute('data-page');
    var key = nav.getAttribute('data-key');
    var id = nav.getAttribute('data-id');
    var after = {
      red: function (answer) {
        var copy = answer.slice(3).trim();
        location.href = copy ? page + '?' + key + '=' + encodeURIComponent(copy) : location.href;
      },
      remove: function () { location.href = nav.getAttribute('data-list'); }
    };
    nav.addEventListener('click', function (event) {
      var button = event.target.closest('button[data-command]');
      if (!button || !after[button.getAttribute('data-command')])
        return;
      var command = button.getAttribute('data-command');
      show(error, '');
      confirmed(button.getAttribute('data-confirm'), button.getAttribute('data-confirm-button'))
        .then(function (yes) {
          if (!yes)
            return null;
          button.disabled = true;
          var body = new URLSearchParams();
          body.append('cmd', command);
          body.append(key, id);
          return postToPage(page, body).then(function (text) {
            if (text === null)
              return;
            if (text.indexOf('ok:') === 0) {
              after[command](text);
              return;
            }
            button.disabled = false;
            show(error, text.trim() || '操作没有完成，请重试');
            button.focus();
          });
        })
        .catch(function () {
          button.disabled = false;
          show(error, '无法连接服务器，请检查网络后重试');
        });
    });
  }

  // A red-ink document names the one it reverses in its remark: that
  // number and an "R". The link (data-original + number) shows it.
  function linkOriginal(link) {
    var remark = link.getAttribute('data-remark') || '';
    if (!/R$/.test(remark) || remark.length < 2)
      return;
    var original = remark.slice(0, -1);
    link.textContent = original;
    link.href = link.getAttribute('data-original') + encodeURIComponent(original);
    link.hidden = false;
  }

  // ------------------------------------------------------------- lookups

  // The answers of info.htm are "ok:(" + a value + ")". The value is read
  // as data by the small reader below, never run: texts in single quotes
  // with the escapes \\ \' \" \n \r \t and \uXXXX, plain decimal numbers,
  // [lists], {records} keyed by bare words or texts, and parentheses
  // around any of these. Anything else is refused.
  var ESCAPES = { '\\': '\\', '\'': '\'', '"': '"', n: '\n', r: '\r', t: '\t' };
  var MAX_DEPTH = 32;
  var NUMBER = /-?\d+(\.\d+)?/y;
  var WORD = /[A-Za-z_$][A-Za-z0-9_$]*/y;

  function AnswerReader(text) {
    this.text = text;
    this.at = 0;
    this.depth = 0;
  }

  AnswerReader.prototype.fail = function (what) {
    throw new SyntaxError('lookup answer: ' + what + ' at ' + this.at);
  };

  // The next character past spaces and line ends; '' at the end.
  AnswerReader.prototype.peek = function () {
    while (this.at < this.text.length && ' \t\r\n'.indexOf(this.text.charAt(this.at)) >= 0)
      this.at++;
    return this.text.charAt(this.at);
  };

  AnswerReader.prototype.expect = function (c) {
    if (this.peek() !== c)
      this.fail('"' + c + '" expected');
    this.at++;
  };

  AnswerReader.prototype.match = function (pattern) {
    pattern.lastIndex = this.at;
    var found = pattern.exec(this.text);
    if (!found)
      return null;
    this.at = pattern.lastIndex;
    return found[0];
  };

  AnswerReader.prototype.value = function () {
    if (++this.depth > MAX_DEPTH)
      this.fail('nested too deep');
    var c = this.peek();
    var value;
    if (c === '\'') {
      value = this.string();
    } else if (c === '[') {
      value = this.list();
    } else if (c === '{') {
      value = this.record();
    } else if (c === '(') {
      this.at++;
      value = this.value();
      this.expect(')');
    } else {
      var number = this.match(NUMBER);
      if (number === null)
        this.fail('a value expected');
      value = Number(number);
    }
    this.depth--;
    return value;
  };

  AnswerReader.prototype.string = function () {
    var text = this.text;
    var out = '';
    this.at++;
    for (;;) {
      var start = this.at;
      while (this.at < text.length && '\'\\\n\r\u2028\u2029'.indexOf(text.charAt(this.at)) < 0)
        this.at++;
      out += text.slice(start, this.at);
      var c = text.charAt(this.at++);
      if (c === '\'')
        return out;
      if (c !== '\\')
        this.fail(c ? 'line end in a text' : 'unfinished text');
      var escape = text.charAt(this.at++);
      if (escape === 'u') {
        var hex = text.substr(this.at, 4);
        if (!/^[0-9a-fA-F]{4}$/.test(hex))
          this.fail('bad \\u escape');
        out += String.fromCharCode(parseInt(hex, 16));
        this.at += 4;
      } else if (Object.prototype.hasOwnProperty.call(ESCAPES, escape)) {
        out += ESCAPES[escape];
      } else {
        this.fail('unknown escape');
      }
    }
  };

  AnswerReader.prototype.list = function () {
    var items = [];
    this.at++;
    if (this.peek() === ']') {
      this.at++;
      return items;
    }
    for (;;) {
      items.push(this.value());
      if (this.peek() === ']') {
        this.at++;
        return items;
      }
      this.expect(',');
    }
  };

  // Keys are set as own properties, so that even "__proto__" is a key.
  AnswerReader.prototype.record = function () {
    var record = {};
    this.at++;
    if (this.peek() === '}') {
      this.at++;
      return record;
    }
    for (;;) {
      var key = this.peek() === '\'' ? this.string() : this.match(WORD);
      if (key === null)
        this.fail('a key expected');
      this.expect(':');
      Object.defineProperty(record, key, { value: this.value(), enumerable: true, writable: true, configurable: true });
      if (this.peek() === '}') {
        this.at++;
        return record;
      }
      this.expect(',');
    }
  };

  // The value of an answer; null for "ok:()". Throws the answer's text
  // when it is no "ok:(", and a SyntaxError when its value is malformed.
  function readAnswer(answer) {
    var text = String(answer).trim();
    if (text.indexOf('ok:(') !== 0 || text.charAt(text.length - 1) !== ')')
      throw new Error(text || '没有得到回答');
    var reader = new AnswerReader(text.slice(4, -1));
    if (reader.peek() === '')
      return null;
    var value = reader.value();
    if (reader.peek() !== '')
      reader.fail('more after the value');
    return value;
  }

  // Asks info.htm: cmd and the parameters of `params` in the query.
  // Resolves the answer's value; rejects what is no "ok:(" answer. When
  // the session ended the browser goes to the sign-in page.
  function lookup(cmd, params) {
    var query = 'cmd=' + encodeURIComponent(cmd);
    for (var name in params || {})
      if (Object.prototype.hasOwnProperty.call(params, name))
        query += '&' + encodeURIComponent(name) + '=' + encodeURIComponent(params[name]);
    return fetch('info.htm?' + query, { credentials: 'same-origin' })
      .then(function (reply) {
        if (reply.redirected) {
          location.href = reply.url;
          throw new Error('signed out');
        }
        return reply.text();
      })
      .then(readAnswer);
  }

  // --------------------------------------------------------- suggestions

  // The names a lookup lists ("client", "supply", "product"), asked once
  // a page; a failed ask is tried again the next time.
  var namesAsked = {};

  function namesOf(cmd) {
    if (!namesAsked[cmd]) {
      namesAsked[cmd] = lookup(cmd).then(function (names) {
        return Array.isArray(names) ? names.filter(function (name) { return typeof name === 'string'; }) : [];
      });
      namesAsked[cmd].catch(function () { delete namesAsked[cmd]; });
    }
    return namesAsked[cmd];
  }

  // The specifications of a product with their units, [{specs, unitg}],
  // asked once a page for each product.
  var specsAsked = new Map();

  function specsOf(product) {
    product = product.trim();
    if (!product)
      return Promise.resolve([]);
    if (!specsAsked.has(product)) {
      var asked = lookup('specs', { prdnm: product }).then(function (items) {
        return (Array.isArray(items) ? items : []).filter(function (item) {
          return item && typeof item.specs === 'string';
        });
      });
      asked.catch(function () { specsAsked.delete(product); });
      specsAsked.set(product, asked);
    }
    return specsAsked.get(product);
  }

  // A datalist holding `texts`, each once, as its options' values.
  function fillList(list, texts) {
    if (!list)
      return;
    var seen = {};
    var options = document.createDocumentFragment();
    for (var i = 0; i < texts.length; i++) {
      if (seen['=' + texts[i]])
        continue;
      seen['=' + texts[i]] = true;
      var option = document.createElement('option');
      option.value = texts[i];
      options.appendChild(option);
    }
    list.textContent = '';
    list.appendChild(options);
  }

  function ignore() { /* a suggestion that did not come is no fault */ }

  function suggestNames(input, cmd) {
    namesOf(cmd).then(function (names) { fillList(input.list, names); }, ignore);
  }

  function suggestSpecs(input, product) {
    specsOf(product)
      .then(function (items) { fillList(input.list, items.map(function (item) { return item.specs; })); }, ignore);
  }

  // A product line's unit, when it is still empty: the unit of the specification
  // typed, or of the product's only specification.
  function fillUnit(row) {
    var name = row.querySelector('[data-column="prdnm"]');
    var specs = row.querySelector('[data-column="specs"]');
    var unit = row.querySelector('[data-column="unitg"]');
    if (!name || !unit || unit.readOnly || unit.disabled || unit.value.trim() || !name.value.trim())
      return;
    var product = name.value.trim();
    specsOf(product).then(function (items) {
      if (unit.value.trim() || name.value.trim() !== product)
        return;
      var typed = specs ? specs.value.trim() : '';
      var chosen = items.length === 1 ? items[0] : null;
      for (var i = 0; i < items.length; i++)
        if (typed && items[i].specs === typed)
          chosen = items[i];
      if (chosen && typeof chosen.unitg === 'string' && chosen.unitg)
        unit.value = chosen.unitg;
    }, ignore);
  }

  // The product lines of a table with data-lookup="product": its
  // data-products and data-specs name the datalists its name and specification
  // cells suggest from.
  function productTableOf(control) {
    var table = control.closest('table[data-lookup="product"]');
    if (!table || control.readOnly || control.disabled || !control.closest('tbody'))
      return null;
    return table;
  }

  // Suggestions come when an input gets the focus: data-lookup="client",
  // "supply" or "product" lists the names; data-lookup="specs" the specs
  // of the product typed into the input named by data-product.
  function onFocusSuggest(event) {
    var target = event.target;
    if (!(target instanceof HTMLInputElement))
      return;
    var kind = target.getAttribute('data-lookup');
    if (kind === 'specs') {
      var product = document.getElementById(target.getAttribute('data-product'));
      suggestSpecs(target, product ? product.value : '');
      return;
    }
    if (kind) {
      suggestNames(target, kind);
      return;
    }
    var column = target.getAttribute('data-column');
    var table = (column === 'prdnm' || column === 'specs') && productTableOf(target);
    if (!table)
      return;
    if (column === 'prdnm') {
      target.setAttribute('list', table.getAttribute('data-products'));
      suggestNames(target, 'product');
    } else {
      target.setAttribute('list', table.getAttribute('data-specs'));
      var name = target.closest('tr').querySelector('[data-column="prdnm"]');
      suggestSpecs(target, name ? name.value : '');
    }
  }

  // A product chosen from the list (or typed in full) brings its specifications
  // and its unit; so does a specification typed.
  function onProductTyped(event) {
    var target = event.target;
    var column = target.getAttribute && target.getAttribute('data-column');
    var table = (column === 'prdnm' || column === 'specs') && productTableOf(target);
    if (!table)
      return;
    var row = target.closest('tr');
    if (event.type === 'change') {
      fillUnit(row);
      return;
    }
    if (column !== 'prdnm')
      return;
    namesOf('product').then(function (names) {
      if (names.indexOf(target.value.trim()) >= 0)
        fillUnit(row);
    }, ignore);
  }

  function setUpSuggestions() {
    if (!window.fetch)
      return;
    document.addEventListener('focusin', onFocusSuggest);
    document.addEventListener('input', onProductTyped);
    document.addEventListener('change', onProductTyped);
    // A field focused before the script ran (autofocus) gets its list too.
    if (document.activeElement)
      onFocusSuggest({ target: document.activeElement });
  }

  // The page `source` (an edit page with an #open-lines picker) opened
  // for the partner typed into `input` (whose data-lookup names the
  // partner list): the partner named so, or else the only known one whose
  // name holds what was typed. Resolves {name, page} when the page knows
  // the partner (its picker carries the partner's key), else {name: '',
  // count} with how many known names hold what was typed; null when the
  // session ended.
  function pageForPartner(source, input) {
    var typed = input.value.trim();
    function open(name) {
      var url = source + '?' + encodeURIComponent(input.name) + '=' + encodeURIComponent(name);
      return fetchPage(url).then(function (page) {
        if (!page)
          return null;
        var picker = page.getElementById('open-lines');
        var shown = picker && picker.querySelector('[data-partner-name]');
        if (!picker || !picker.getAttribute('data-partner-id'))
          return { name: '', count: 0 };
        return { name: shown ? shown.textContent.trim() : name, page: page };
      });
    }
    return open(typed).then(function (found) {
      if (!found || found.name)
        return found;
      return namesOf(input.getAttribute('data-lookup')).then(function (names) {
        var close = names.filter(function (name) { return name.indexOf(typed) >= 0; });
        return close.length === 1 ? open(close[0]) : { name: '', count: close.length };
      });
    });
  }

  // Whether `name` is one of the names the lookup `cmd` lists.
  function isKnownName(cmd, name) {
    return namesOf(cmd).then(function (names) { return names.indexOf(name.trim()) >= 0; }, function () { return false; });
  }

  // The picker of a form (#open-lines with data-source) kept for the
  // partner typed into `input`; refill(page, name) takes the form's page
  // opened for a partner into the picker. With `watch` (a new document)
  // a partner chosen from the suggestions, or typed in full, fills the
  // picker at once, so that it is ready when asked for.
  function PartnerPicker(picker, input, refill, watch) {
    this.picker = picker;
    this.input = input;
    this.refill = refill;
    this.loading = null;
    if (!watch)
      return;
    var self = this;
    var cmd = input.getAttribute('data-lookup');
    function chosen() {
      var typed = input.value.trim();
      if (!typed)
        return;
      isKnownName(cmd, typed).then(function (known) {
        if (known && input.value.trim() === typed)
          self.load(typed).catch(ignore);
      });
    }
    input.addEventListener('input', chosen);
    input.addEventListener('change', chosen);
  }

  // Fills the picker for the partner `typed`, once however often asked.
  // Resolves what pageForPartner found, {name} at once when the picker
  // already shows that partner; a partner found by part of its name is
  // written into the input in full.
  PartnerPicker.prototype.load = function (typed) {
    var self = this;
    if (typed === this.picker.querySelector('[data-partner-name]').textContent.trim())
      return Promise.resolve({ name: typed });
    if (this.loading && this.loading.typed === typed)
      return this.loading.found;
    var found = pageForPartner(this.picker.getAttribute('data-source'), this.input).then(function (result) {
      // What was typed meanwhile wins over an answer that came late.
      var now = self.input.value.trim();
      if (result && result.name && (now === typed || now === result.name)) {
        self.input.value = result.name;
        var fresh = result.page.getElementById('open-lines');
        self.refill(result.page, result.name);
        self.picker.querySelector('[data-partner-name]').textContent = result.name;
        self.picker.setAttribute('data-partner-id', fresh.getAttribute('data-partner-id'));
      }
      return result;
    });
    this.loading = { typed: typed, found: found };
    var done = function () {
      if (self.loading && self.loading.found === found)
        self.loading = null;
    };
    found.then(done, done);
    return found;
  };

  function setUpPrintButtons() {
    var buttons = document.querySelectorAll('[data-print]');
    for (var i = 0; i < buttons.length; i++)
      buttons[i].addEventListener('click', function () { window.print(); });
  }

  function setUp() {
    markCurrentPage();
    startClock();
    decorateNotices();
    setUpSignIn();
    var forms = document.querySelectorAll('form.ajax-form');
    for (var i = 0; i < forms.length; i++)
      submitForScript(forms[i]);
    chooseOptions();
    nameCodes();
    var saving = document.querySelectorAll('form[data-save]');
    for (var j = 0; j < saving.length; j++)
      setUpSaveForm(saving[j]);
    showSavedNote();
    var filters = document.querySelectorAll('form.filter-form');
    for (var k = 0; k < filters.length; k++)
      setUpFilterForm(filters[k]);
    var pickers = document.querySelectorAll('form.partner-picker');
    for (var p = 0; p < pickers.length; p++)
      setUpPartnerPicker(pickers[p]);
    setUpPrintButtons();
    setUpSuggestions();
  }

  // What page scripts of their own (orders.js, stock.js, money.js) build on.
  window.Quillot = {
    show: show,
    postToPage: postToPage,
    showRefusal: showRefusal,
    clearFieldErrors: clearFieldErrors,
    messageKey: messageKey,
    numberOf: numberOf,
    money: money,
    tidy: tidy,
    confirmed: confirmed,
    fetchPage: fetchPage,
    findPartner: findPartner,
    setUpCommands: setUpCommands,
    linkOriginal: linkOriginal,
    readAnswer: readAnswer,
    lookup: lookup,
    namesOf: namesOf,
    PartnerPicker: PartnerPicker,
    Grid: Grid
  };

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
