// The player's turns, movement and dot eating.
#pragma once

void ReadPlayerInput();
void MovePlayer();
void EatDots();
