// The cube banners: lines of text laid out in unit cubes on the ground plane,
// one function per banner the show draws.
#pragma once

#include "primitives/cubes.h"

// The group's web address, typed out one glyph a second; the credits show it
// in lower case.
constexpr char kWebAddress[] = "SCENETUNER.COM";
constexpr int kAddressSlots = sizeof kWebAddress - 1;

// Draws glyph `name` in unit cubes of one colour, its left column at x =
// `column` and its top row at z = `topRow`, cube tops in the plane y = 0.
// Returns the left column of the next glyph: one empty column further on.
int DrawCubeGlyph(char name, int column, int topRow, CubeFunction cube);

void DrawOpeningBanner();       // VIRVELSTORMGARDEN, the group's name
void DrawAddressSlot(int slot); // glyph `slot` (0 .. kAddressSlots - 1) of the address
void DrawGreetings();           // GREETINGS, and TO under it
void DrawFirstGreetedName();    // DROMSKA
void DrawSecondGreetedName();   // GLT
void DrawEndTitle();            // THE, and END under it
