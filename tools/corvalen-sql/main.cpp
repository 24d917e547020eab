// corvalen-sql "<connection string>" [statement ...]
// Runs statements through the providers of this build (FoxPro, ASE through ODBC). Without statement arguments it
// reads one statement per line from standard input. SELECT and SCHEMA print JSON lines.
#include "db/builtin/BuiltinProviders.h"
#include "tools/corvalen-sql/StatementRunner.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::cerr << "usage: corvalen-sql \"<connection string>\" [statement ...]\n"
                     "Without statements, reads one statement per line from standard input.\n";
        return 2;
    }
    db::registerBuiltinProviders();
    std::vector<std::string> statements(argv + 2, argv + argc);
    if (argc == 2) {
        std::string line;
        while (std::getline(std::cin, line)) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            if (line.find_first_not_of(" \t") != std::string::npos)
                statements.push_back(line);
        }
    }
    return tools::runStatements(argv[1], statements, std::cout, std::cerr);
}
