// The 1-, 5- and 15-minute load averages, printed beside the figures so a busy machine shows.
#pragma once

#include <fstream>
#include <string>

inline std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}
