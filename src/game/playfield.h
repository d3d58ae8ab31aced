// Drawing of the game in play and of the bare maze.
#pragma once

void DrawPlayfield();
// Walls and dots onto the canvas; large dots only when showLargeDots.
void DrawMaze(bool showLargeDots);
