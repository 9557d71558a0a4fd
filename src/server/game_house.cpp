#include "server/game_house.h"

#include <cstdlib>

bool houseInside(int x, int y) { return x >= 0 && x <= HOUSE_MAX_X && y >= 0 && y <= HOUSE_MAX_Y; }

int houseDoorAt(int x, int y) {
    for (int i = 0; i < HOUSE_DOOR_COUNT; ++i)
        if (HOUSE_DOORS[i].x == x && HOUSE_DOORS[i].y == y) return i;
    return -1;
}

bool houseBlocked(int x, int y, const DoorStates& doors) {
    if (!houseInside(x, y)) return true;
    if (x != 50 && x != 70) return false;
    int door = houseDoorAt(x, y);
    return door < 0 || !doors[door];
}

int houseRoomOf(int x) {
    if (x < 50) return 0;
    if (x == 50) return -1;
    if (x < 70) return 1;
    if (x == 70) return -1;
    return 2;
}

std::array<bool, HOUSE_ROOM_COUNT> houseOpenRooms(const DoorStates& doors) {
    std::array<bool, HOUSE_ROOM_COUNT> open{};
    open[0] = true;
    open[1] = doors[0] || doors[1];
    open[2] = open[1] && (doors[2] || doors[3]);
    return open;
}

const std::vector<Tile>& houseSpawnPoints(int room) {
    // Room 0 has three outer walls, the others only their top and bottom ones.
    static const std::vector<Tile> points[HOUSE_ROOM_COUNT] = {
        {{0, 18}, {0, 34}, {12, 50}, {30, 50}, {44, 50}, {22, 0}, {40, 0}},
        {{56, 0}, {64, 0}, {56, 50}, {64, 50}},
        {{100, 8}, {100, 25}, {100, 42}, {80, 0}, {92, 0}, {80, 50}, {92, 50}},
    };
    return points[room];
}

bool houseLineClear(Tile from, Tile to, const DoorStates& doors) {
    // Bresenham: x changes by at most one a step, so a line between rooms
    // always visits the wall column it crosses.
    int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
    int sx = from.x < to.x ? 1 : -1, sy = from.y < to.y ? 1 : -1;
    int err = dx + dy;
    int x = from.x, y = from.y;
    for (;;) {
        if (houseBlocked(x, y, doors)) return false;
        if (x == to.x && y == to.y) return true;
        int e2 = 2 * err;
        if (e2 >= dy) { err += dy; x += sx; }
        if (e2 <= dx) { err += dx; y += sy; }
    }
}

namespace {

// The grid every search starts from: walls, closed doors and the border -1.
std::vector<int16_t> blankGrid() {
    std::vector<int16_t> grid(HOUSE_GRID, -1);
    const DoorStates closed{};
    for (int y = 0; y <= HOUSE_MAX_Y; ++y)
        for (int x = 0; x <= HOUSE_MAX_X; ++x)
            if (!houseBlocked(x, y, closed)) grid[houseIndex(x, y)] = HOUSE_UNREACHABLE;
    return grid;
}

} // namespace

void houseDistances(const std::vector<Tile>& sources, const DoorStates& doors, std::vector<int16_t>& dist) {
    static const std::vector<int16_t> blank = blankGrid();
    // Scratch reused by every search: the server is single-threaded.
    static std::vector<int> queue(HOUSE_GRID);
    dist = blank;
    for (int i = 0; i < HOUSE_DOOR_COUNT; ++i)
        if (doors[i]) dist[houseIndex(HOUSE_DOORS[i].x, HOUSE_DOORS[i].y)] = HOUSE_UNREACHABLE;
    size_t tail = 0;
    for (const Tile& s : sources) {
        if (!houseInside(s.x, s.y)) continue;
        int i = houseIndex(s.x, s.y);
        if (dist[i] != HOUSE_UNREACHABLE) continue; // blocked, or a second source on one tile
        dist[i] = 0;
        queue[tail++] = i;
    }
    const int around[4] = {1, -1, HOUSE_STRIDE, -HOUSE_STRIDE};
    for (size_t head = 0; head < tail; ++head) {
        int i = queue[head];
        int16_t next = static_cast<int16_t>(dist[i] + 1);
        for (int offset : around) {
            int j = i + offset;
            if (dist[j] != HOUSE_UNREACHABLE) continue;
            dist[j] = next;
            queue[tail++] = j;
        }
    }
}
