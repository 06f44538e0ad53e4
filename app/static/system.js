// Quillot: the administration pages. The export form (the chosen tables,
// then a link to the file it wrote) and the backup button, whose answer is
// a message rather than "ok:". Builds on app.js (window.Quillot); text goes
// into the page as text only.
(function () {
  'use strict';

  var Q = window.Quillot;
  if (!Q || !window.fetch || !window.URLSearchParams)
    return;

  // "download/<folder>/<name>" with each part encoded for the URL.
  function addressOf(path) {
    return path.split('/').map(encodeURIComponent).join('/');
  }

  function setUpExport(form) {
    var boxes = form.querySelectorAll('input[data-table]');
    var buttons = form.querySelectorAll('[data-check-all]');
    for (var b = 0; b < buttons.length; b++) {
      buttons[b].addEventListener('click', function (event) {
        var on = event.currentTarget.getAttribute('data-check-all') === '1';
        for (var i = 0; i < boxes.length; i++)
          boxes[i].checked = on;
      });
    }
    var link = form.querySelector('[data-export-link]');
    var note = form.querySelector('[data-export-note]');
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      Q.clearFieldErrors(form);
      var chosen = [];
      for (var i = 0; i < boxes.length; i++)
        if (boxes[i].checked)
          chosen.push(boxes[i].value);
      form.elements.tables.value = chosen.join(';');
      var submit = form.querySelector('button[type="submit"]');
      submit.disabled = true;
      Q.postToPage(form.getAttribute('action'), new URLSearchParams(new FormData(form)))
        .then(function (text) {
          if (text === null)
            return;
          if (text.indexOf('ok:') !== 0) {
            Q.showRefusal(form, text);
            return;
          }
          var path = text.slice(3).trim();
          link.href = addressOf(path);
          link.setAttribute('download', path.split('/').pop());
          note.textContent = '已导出 ' + chosen.length + ' 张表。';
          form.querySelector('.form-ok').hidden = false;
          link.focus();
        })
        .catch(function () { Q.show(form.querySelector('.form-error'), '无法连接服务器，请检查网络后重试'); })
        .then(function () { submit.disabled = false; });
    });
  }

  // The page answers the script with the message itself.
  function setUpBackup(form) {
    form.elements.ajax.value = '1';
    var ok = form.querySelector('.form-ok');
    var error = form.querySelector('.form-error');
    form.addEventListener('submit', function (event) {
      event.preventDefault();
      Q.show(ok, '');
      Q.show(error, '');
      var submit = form.querySelector('button[type="submit"]');
      submit.disabled = true;
      Q.postToPage(form.getAttribute('action'), new URLSearchParams(new FormData(form)))
        .then(function (text) {
          if (text === null)
            return;
          text = text.trim();
          var failed = !text || text.indexOf('备份数据失败') === 0;
          Q.show(failed ? error : ok, text || '备份数据失败');
        })
        .catch(function () { Q.show(error, '无法连接服务器，请检查网络后重试'); })
        .then(function () { submit.disabled = false; });
    });
  }

  function setUp() {
    var exports = document.querySelectorAll('form[data-export-form]');
    for (var i = 0; i < exports.length; i++)
      setUpExport(exports[i]);
    var backups = document.querySelectorAll('form[data-backup-form]');
    for (var j = 0; j < backups.length; j++)
      setUpBackup(backups[j]);
  }

  if (document.readyState === 'loading')
    document.addEventListener('DOMContentLoaded', setUp);
  else
    setUp();
})();
