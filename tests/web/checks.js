// The checks of a browser test script: each prints "ok" or "FAIL" with what it
// checked, and RunTest exits non-zero after any failed check or an exception.
'use strict';

let failures = 0;

function Check(ok, what) {
  console.log(`${ok ? 'ok  ' : 'FAIL'} ${what}`);
  if (!ok) {
    ++failures;
  }
}

// `errors`: what the page logged as errors or threw (show_page's WatchConsole).
function CheckNoConsoleError(errors) {
  Check(errors.length === 0, `no console error${errors.length ? `:\n  ${errors.join('\n  ')}` : ''}`);
}

function RunTest(main) {
  main().then(() => {
    if (failures) {
      console.log(`${failures} failure(s)`);
      process.exit(1);
    }
  }, (error) => {
    console.error(error);
    process.exit(1);
  });
}

module.exports = {Check, CheckNoConsoleError, RunTest};
