// Pictures too large to draw by hand as text: made in code from shapes, with
// the small text-drawn pictures placed inside them where they appear.
#pragma once

#include <string>
#include <vector>

#include "text_source.h"

namespace pictures {

// The character three times as large, facing left, three mouth frames.
std::vector<NamedPicture> DrawLargeCharacter();

// The moon that wakes up above the ghost crowd: five faces, then the one
// that comes down on them.
std::vector<NamedPicture> DrawMoons();

// The game's name as a logo with a little chase under it. Needs the small
// pictures it shows; names the first one missing in `missing`.
std::vector<NamedPicture> DrawTitle(const TextSources& small, std::string& missing);

}  // namespace pictures
