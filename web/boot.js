// A classic script, so that it runs where module scripts cannot (a page opened straight from a file) and can say
// why the converters did not load instead of leaving the page silent.
(function () {
  var loading = document.getElementById('loading');
  function fail(message) {
    loading.textContent = message;
    loading.setAttribute('role', 'alert');
    loading.className = 'error';
  }
  if (location.protocol === 'file:') {
    fail('Browsers run this page only from a web server, not from a file: serve its folder, for instance with ' +
      '"python3 -m http.server -b 127.0.0.1 8000" in it, and open http://127.0.0.1:8000/.');
    return;
  }
  import('./page.js').catch(function (error) {
    fail('The converters could not be loaded: ' + error.message);
  });
})();
