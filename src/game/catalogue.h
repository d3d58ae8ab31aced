// Every picture and effect of play, loaded at start-up and released at quit.
#pragma once

bool LoadCatalogue();
void ReleaseCatalogue();
