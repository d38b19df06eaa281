// The page's side of the web show (web/page_bridge.js).
#pragma once

extern "C" {
double tromvisk_show_seconds();
void tromvisk_toggle_full_screen();
void tromvisk_show_ended(int how);
}

enum ShowEnding { kEndedByTheShow = 0, kEndedByEscape = 1 };
