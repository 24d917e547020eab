#include "cli/Runner.h"
#include "db/builtin/BuiltinProviders.h"

#include <QCoreApplication>
#include <iostream>
#include <string>
#include <unistd.h>
#include <vector>

// The command line: the tables window's commands on the windows' settings, without a window.
int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    QCoreApplication application(argc, argv); // the program's folder, where the sample tables are
    db::registerBuiltinProviders();
    cli::Console console{std::cin, std::cout, std::cerr, isatty(STDIN_FILENO) != 0, isatty(STDERR_FILENO) != 0};
    return cli::run(args, console);
}
