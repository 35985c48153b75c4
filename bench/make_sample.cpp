// k11_make_sample FILE: writes the sample history the program ships
// (data/历史号码/示例-模拟数据.txt): simulated draws from the seeded generator, so the file is the
// same on every run. Its first line says that the draws are simulated; it holds no digit, so the
// import passes over it.

#include "synthetic_history.h"

#include <fstream>
#include <iostream>

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: k11_make_sample FILE\n";
        return 2;
    }
    // Forty days of a game with 84 draws a day, across the Lunar New Year of 2025 (January 29).
    const auto draws = synthetic::makeHistory(40 * 84, 25010101, 84, 20250101);
    std::ofstream out(argv[1], std::ios::binary);
    out << "模拟数据：由随机数生成，并非真实开奖号码，仅供试用\r\n" << synthetic::toText(draws);
    out.close();
    if (!out) {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
