// The ground grid: green lines one unit apart in the plane y = 0, covering
// -50..50 on x and z, both borders included.
#pragma once

void DrawGrid();
