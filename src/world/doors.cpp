#include "world/doors.h"

namespace {

bool g_doorClosed_50_0 = true;
bool g_doorClosed_50_50 = true;
bool g_doorClosed_70_0 = true;
bool g_doorClosed_70_50 = true;

bool* doorFlag(int x, int y) {
    if (x == 50 && y == 0) return &g_doorClosed_50_0;
    if (x == 50 && y == 50) return &g_doorClosed_50_50;
    if (x == 70 && y == 0) return &g_doorClosed_70_0;
    if (x == 70 && y == 50) return &g_doorClosed_70_50;
    return nullptr;
}

} // namespace

bool isDoorClosedAt(int x, int y) {
    const bool* flag = doorFlag(x, y);
    return flag && *flag;
}

void setDoorClosedAt(int x, int y, bool closed) {
    if (bool* flag = doorFlag(x, y)) *flag = closed;
}

void resetDoors() {
    g_doorClosed_50_0 = g_doorClosed_50_50 = g_doorClosed_70_0 = g_doorClosed_70_50 = true;
}
