// The yardstick of the idle benchmark: a loop that does nothing but sleep
// 10 ms a pass, as the client's main loop does between frames.
#include <chrono>
#include <thread>

int main() {
    for (;;) std::this_thread::sleep_for(std::chrono::milliseconds(10));
}
