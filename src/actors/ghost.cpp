#include "actors/ghost.h"

#include "actors/actor.h"
#include "game/game_vars.h"
#include "game/globals.h"
#include "game/stage.h"
#include "platform/win32.h"

std::uint32_t ghostRandomState = 1;

namespace {

constexpr std::int32_t kChaseRadiusSquared = 10000;

// Which of Left, Right, Up, Down (by their codes) are open.
struct OpenSet {
  bool open[4] = {};

  bool Has(std::int32_t direction) const { return direction >= Left && direction <= Down && open[direction]; }
  int Count() const { return open[Left] + open[Right] + open[Up] + open[Down]; }
  bool IsStraightCorridor() const {
    const bool horizontal = open[Left] && open[Right] && !open[Up] && !open[Down];
    const bool vertical = !open[Left] && !open[Right] && open[Up] && open[Down];
    return horizontal || vertical;
  }
};

OpenSet OpenDirections(const Actor& ghost) {
  OpenSet set;
  for (std::int32_t direction = Left; direction <= Down; ++direction) {
    set.open[direction] = GhostDirectionOpen(ghost, direction);
  }
  return set;
}

std::int32_t Reverse(std::int32_t direction) { return direction ^ 1; }

// One draw r in 1..3 selects the r-th open direction in code order, or the
// last open one when fewer are open. The draw happens even when the choice
// is forced, so every ghost's pick moves the shared sequence on.
std::int32_t RandomPick(const OpenSet& set, std::int32_t current) {
  const std::int32_t r = GhostRandom() % 3 + 1;
  std::int32_t counted = 0;
  std::int32_t last = current;
  for (std::int32_t direction = Left; direction <= Down; ++direction) {
    if (!set.open[direction]) {
      continue;
    }
    last = direction;
    if (++counted == r) {
      return direction;
    }
  }
  return last;
}

std::int32_t ChooseWander(const Actor& ghost, OpenSet set) {
  if (set.Count() >= 2 && ghost.direction >= Left && ghost.direction <= Down) {
    set.open[Reverse(ghost.direction)] = false;
  }
  return RandomPick(set, ghost.direction);
}

std::int32_t ChooseChase(const Actor& ghost, const OpenSet& set) {
  if (set.IsStraightCorridor()) {
    return ghost.direction;
  }
  if (!set.Has(ghost.direction)) {
    return RandomPick(set, ghost.direction);
  }
  // The horizontal difference decides first; the vertical one only when the
  // ghost stands in the player's column.
  if (player.x < ghost.x) {
    return set.open[Left] ? Left : ghost.direction;
  }
  if (player.x > ghost.x) {
    return set.open[Right] ? Right : ghost.direction;
  }
  if (player.y < ghost.y) {
    return set.open[Up] ? Up : ghost.direction;
  }
  if (player.y > ghost.y) {
    return set.open[Down] ? Down : ghost.direction;
  }
  return ghost.direction;
}

std::int32_t TowardX(const Actor& ghost, const OpenSet& set) {
  if (ghost.x < ghost.homeX) {
    return set.open[Right] ? Right : Left;
  }
  if (ghost.x > ghost.homeX) {
    return set.open[Left] ? Left : Right;
  }
  return ghost.direction;
}

// The fallback is the opposite way even when that is a wall: the next
// frame's check of the current direction then picks at random.
std::int32_t ChooseEyes(const Actor& ghost, const OpenSet& set) {
  if (!set.Has(ghost.direction)) {
    return RandomPick(set, ghost.direction);
  }
  if (set.IsStraightCorridor()) {
    return ghost.direction;
  }
  const std::int64_t dx =
      ghost.x > ghost.homeX ? std::int64_t{ghost.x} - ghost.homeX : std::int64_t{ghost.homeX} - ghost.x;
  const std::int64_t dy =
      ghost.y > ghost.homeY ? std::int64_t{ghost.y} - ghost.homeY : std::int64_t{ghost.homeY} - ghost.y;
  if (dx > dy) {
    return TowardX(ghost, set);
  }
  if (ghost.y < ghost.homeY) {
    return set.open[Down] ? Down : Up;
  }
  if (ghost.y > ghost.homeY) {
    return set.open[Up] ? Up : Down;
  }
  return TowardX(ghost, set);
}

std::int64_t DistanceSquaredToPlayer(const Actor& ghost) {
  const std::int64_t dx = std::int64_t{player.x} - ghost.x;
  const std::int64_t dy = std::int64_t{player.y} - ghost.y;
  return dx * dx + dy * dy;
}

}  // namespace

std::int32_t GhostRandom() {
  ghostRandomState = ghostRandomState * 214013u + 2531011u;
  return static_cast<std::int32_t>((ghostRandomState >> 16) & 0x7FFFu);
}

bool GhostDirectionOpen(const Actor& ghost, std::int32_t direction) {
  const std::int32_t x = ghost.x;
  const std::int32_t y = ghost.y;
  switch (direction) {
    case Left:
      return OpenAtPixel(x - 1, y) && OpenAtPixel(x - 1, y + kActorEdge);
    case Right:
      return OpenAtPixel(x + kActorSize, y) && OpenAtPixel(x + kActorSize, y + kActorEdge);
    case Up:
      return OpenAtPixel(x, y - 1) && OpenAtPixel(x + kActorEdge, y - 1);
    case Down:
      return OpenAtPixel(x, y + kActorSize) && OpenAtPixel(x + kActorEdge, y + kActorSize);
    default:
      return false;
  }
}

void UpdateGhostMode(Actor& ghost, std::uint32_t now) {
  if (now - ghost.modeStart > ghost.modeDuration) {
    if (ghost.state == Blue) {
      ghost.state = Wander;
      comboCount = 0;
    } else if (ghost.state == Eyes) {
      ghost.state = Wander;
    }
  }
  if (ghost.state == Eyes && ghost.x == ghost.homeX && ghost.y == ghost.homeY) {
    ghost.state = Wander;
  }
  const std::int64_t d2 = DistanceSquaredToPlayer(ghost);
  if (ghost.state == Wander && d2 < kChaseRadiusSquared) {
    ghost.state = Chase;
  } else if (ghost.state == Chase && d2 > kChaseRadiusSquared) {
    ghost.state = Wander;
  }
}

void ChooseGhostDirection(Actor& ghost) {
  const OpenSet set = OpenDirections(ghost);
  switch (ghost.state) {
    case Wander:
    case Blue:
      ghost.direction = ChooseWander(ghost, set);
      break;
    case Chase:
      ghost.direction = ChooseChase(ghost, set);
      break;
    case Eyes:
      ghost.direction = ChooseEyes(ghost, set);
      break;
    default:
      break;
  }
}

void UpdateGhosts() {
  const std::uint32_t now = timeGetTime();
  for (Actor& ghost : ghosts) {
    UpdateGhostMode(ghost, now);
  }
  for (Actor& ghost : ghosts) {
    ChooseGhostDirection(ghost);
  }
}

void MoveGhosts() {
  for (Actor& ghost : ghosts) {
    if (ghost.x < 0) {
      ghost.x = kLastColumnX;
    } else if (ghost.x > kLastColumnX) {
      ghost.x = 0;
    }
    if (ghost.y < 0) {
      ghost.y = kLastRowY;
    } else if (ghost.y > kLastRowY) {
      ghost.y = 0;
    }
    if (!GhostDirectionOpen(ghost, ghost.direction)) {
      continue;
    }
    switch (ghost.direction) {
      case Left:
        ghost.x -= 1;
        break;
      case Right:
        ghost.x += 1;
        break;
      case Up:
        ghost.y -= 1;
        break;
      case Down:
        ghost.y += 1;
        break;
      default:
        break;
    }
  }
}
