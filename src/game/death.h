// The death sequence: the dying animation, then a life less.
#pragma once

void PlayDeath();
