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

  function setUp() {
    markCurrentPage();
    startClock();
    decorateNotices();
    setUpSignIn();
    var forms = document.querySelectorAll('form.ajax-form');
    for (var i = 0; i < forms.length; i++)
      submitForScript(forms[i]);
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
