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
    Grid: Grid
  };

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
