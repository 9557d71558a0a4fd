#pragma once
// The house's geometry: tiles x 0 to 100 and y 0 to 50, two inner walls along
// x = 50 and x = 70, each with a door at y = 0 and at y = 50. Walls are whole
// columns, so anything that crosses from one room to the next passes through
// a tile of column 50 or 70: a door, open or closed, or the wall itself.
#include <array>
#include <cstdint>
#include <vector>

constexpr int HOUSE_MAX_X = 100;
constexpr int HOUSE_MAX_Y = 50;
// Distance grids keep a blocked border around the house, so a search never
// checks bounds: a tile's neighbours are always inside the grid.
constexpr int HOUSE_STRIDE = HOUSE_MAX_X + 3;
constexpr int HOUSE_GRID = HOUSE_STRIDE * (HOUSE_MAX_Y + 3);
constexpr int HOUSE_DOOR_COUNT = 4;
constexpr int HOUSE_ROOM_COUNT = 3;
// A tile no standing player can be reached from; blocked tiles hold -1.
constexpr int16_t HOUSE_UNREACHABLE = INT16_MAX;

struct Tile {
    int x;
    int y;
};

// In the order the client lists them.
constexpr std::array<Tile, HOUSE_DOOR_COUNT> HOUSE_DOORS{{{50, 0}, {50, 50}, {70, 0}, {70, 50}}};

// true = open; all closed at the start of a game.
using DoorStates = std::array<bool, HOUSE_DOOR_COUNT>;

bool houseInside(int x, int y);
// Index in HOUSE_DOORS of the door at (x, y), or -1.
int houseDoorAt(int x, int y);
// Outside the house, a wall, or a closed door.
bool houseBlocked(int x, int y, const DoorStates& doors);
// 0, 1 or 2 from left to right; -1 on a wall column.
int houseRoomOf(int x);
// A room is open once a path of open doors leads to it from the first room.
std::array<bool, HOUSE_ROOM_COUNT> houseOpenRooms(const DoorStates& doors);
// Where zombies come in, along the outer walls of one room.
const std::vector<Tile>& houseSpawnPoints(int room);
// Every tile of the straight line between two tiles is passable.
bool houseLineClear(Tile from, Tile to, const DoorStates& doors);
// Steps from each tile to the nearest source along passable tiles (4
// neighbours), indexed by houseIndex; HOUSE_UNREACHABLE where none can be
// reached, -1 on blocked tiles. `dist` is resized to HOUSE_GRID.
void houseDistances(const std::vector<Tile>& sources, const DoorStates& doors, std::vector<int16_t>& dist);

inline int houseIndex(int x, int y) { return (y + 1) * HOUSE_STRIDE + x + 1; }
// Tiles that touch, diagonals included: "within one tile".
inline bool houseNextTo(Tile a, Tile b) {
    return a.x - b.x <= 1 && b.x - a.x <= 1 && a.y - b.y <= 1 && b.y - a.y <= 1;
}
