// A second copy of the program for the locking tests: appends numbered rows with memos to one free table through
// the engine's connection, as a send does. Usage: corvalen-append-rows <folder> <table> <first id> <count>
#include "db/vfp/FreeTableFolder.h"
#include "db/vfp/VfpConnection.h"

#include <exception>
#include <iostream>
#include <memory>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::cerr << "usage: corvalen-append-rows <folder> <table> <first id> <count>\n";
        return 2;
    }
    try {
        db::vfp::VfpConnection connection(std::make_unique<db::vfp::FreeTableFolder>(argv[1]));
        const std::string table = argv[2];
        const int first = std::stoi(argv[3]);
        const int count = std::stoi(argv[4]);
        for (int id = first; id < first + count; ++id) {
            // Memos of varying length, so a block handed out twice shows as another row's text.
            const std::string memo = "memo of " + std::to_string(id) + " " + std::string(id % 300, 'x');
            connection.execute("INSERT INTO \"" + table + "\" VALUES(" + std::to_string(id) + ", '" + memo + "')");
        }
    } catch (const std::exception& e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    return 0;
}
