#pragma once

// Cutting direction (the point order of a figure) and the order of the
// figure list, for the writers that visit figures in list order.

#include "drawing/figure.h"

#include <cstdint>
#include <vector>

// Reverses the figure's points and, with them, its vertex records.
void ReverseFigure(tfigura &figure);

// Reverses figure i; a negative i reverses every figure.
void OdwrocKierunek(std::vector<tfigura> &figures, int i);

// Kept for its callers: always 0, changes nothing.
std::int32_t JakiKierunek(const std::vector<tfigura> &figures, int i);

// Makes every cut figure run the same way along x (direction 1: first x at
// most last x; any other value: first x at least last x) and enters it at
// vertex 0. The caller empties the main window's status panel.
void UstawKierunek(std::vector<tfigura> &figures, int direction);

// -1, 0 or 1: by first point's x, then its y.
int CompareFirstPoints(const tfigura &f, const tfigura &g);

// Sorts the figures by first point (stable) and orders the cross points in
// zig-zag columns.
void UstawKolejnosc(std::vector<tfigura> &figures);

// Reverses every second column of cross points, so that the columns run up,
// down, up...
void SortujKrzyze(std::vector<tfigura> &figures);
