// What the show's web layer asks of the page (web/page.js sets these up on
// Module before the program starts).
mergeInto(LibraryManager.library, {
  // Seconds of show time: the music's clock once it plays, else a wall clock
  // started with the show.
  tromvisk_show_seconds: function() {
    return Module['showSeconds']();
  },
  // Full screen needs the browser's permission: a refusal leaves the show as it is.
  tromvisk_toggle_full_screen: function() {
    Module['toggleFullScreen']();
  },
  // The show has ended: 0 after the closing fade, 1 at once by Escape.
  tromvisk_show_ended: function(how) {
    Module['showEnded'](how);
  },
});
