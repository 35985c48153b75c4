// k11_make_sample FILE: writes the sample history the program ships
// (data/历史号码/示例-模拟数据.txt): simulated draws from the seeded generator, so the file is the
// same on every run. Its first line says that the draws are simulated; it holds no digit, so the
// import passes over it. k11_make_sample --draws N FILE writes N draws from 2016 on instead (for
// the whole-process benchmarks).

#include "synthetic_history.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char* argv[]) {
    const bool sized = argc == 4 && std::string(argv[1]) == "--draws";
    if (argc != 2 && !sized) {
        std::cerr << "usage: k11_make_sample [--draws N] FILE\n";
        return 2;
    }
    const char* path = argv[argc - 1];
    // Forty days of a game with 84 draws a day, across the Lunar New Year of 2025 (January 29).
    const auto draws = sized ? synthetic::makeHistory(std::stoul(argv[2]))
                             : synthetic::makeHistory(40 * 84, 25010101, 84, 20250101);
    std::ofstream out(path, std::ios::binary);
    out << "模拟数据：由随机数生成，并非真实开奖号码，仅供试用\r\n" << synthetic::toText(draws);
    out.close();
    if (!out) {
        std::cerr << "cannot write " << path << "\n";
        return 1;
    }
    return 0;
}
